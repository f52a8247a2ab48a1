#include "data/globals.h"

#include "data/tables.h"

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

const std::string& nameVariable(NameVar v)
{
    static const std::string none;
    switch (v) {
    case NameVar::FAKTURA_PATH: return GLO::FAKTURA_PATH;
    case NameVar::FAKLINJE_PATH: return GLO::FAKLINJE_PATH;
    case NameVar::NOVAR: break;
    }
    return none;
}

std::string tableFileName(const TableDecl& t)
{
    const std::string& var = nameVariable(t.nameVar);
    return var.empty() ? t.fileName : var;
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
