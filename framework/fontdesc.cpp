#include "framework/fontdesc.h"

#include <cstdlib>

#include "framework/text.h"

namespace tavlo {

FontDescription FontDescription::parse(const std::string& text)
{
    FontDescription f;
    f.face = text::element(text, 1, ",");
    f.size = std::atoi(text::element(text, 2, ",").c_str());
    f.colour = static_cast<int32_t>(std::atol(text::element(text, 3, ",").c_str()));
    f.style = std::atoi(text::element(text, 4, ",").c_str());
    return f;
}

std::string FontDescription::text() const
{
    if (face.empty() && size == 0 && colour == 0 && style == 0)
        return {};
    return face + "," + std::to_string(size) + "," + std::to_string(colour) + "," +
           std::to_string(style);
}

} // namespace tavlo
