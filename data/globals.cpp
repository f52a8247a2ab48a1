#include "data/globals.h"

namespace tavlo {
namespace {
std::string& folder()
{
    static std::string f = ".";
    return f;
}
} // namespace

const std::string& dataFolder()
{
    return folder();
}

void setDataFolder(std::string f)
{
    folder() = f.empty() ? "." : std::move(f);
}

std::string dataPath(const std::string& fileName)
{
    if (!fileName.empty() && fileName.front() == '/')
        return fileName;
    return folder() + "/" + fileName;
}

} // namespace tavlo

namespace GLO {
void setArchiveMode(bool on)
{
    ARKIV_AKTIV = on ? 1 : 0;
    FAKTURA_PATH = on ? "BAKTURA.TPS" : "FAKTURA.TPS";
    FAKLINJE_PATH = on ? "BAKLINJE.TPS" : "FAKLINJE.TPS";
    BAKTURA_PATH = on ? "FAKTURA.TPS" : "BAKTURA.TPS";
    BAKLINJE_PATH = on ? "FAKLINJE.TPS" : "BAKLINJE.TPS";
}
} // namespace GLO
