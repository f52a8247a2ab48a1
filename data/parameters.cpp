#include "data/parameters.h"

#include "data/ehfoppsett.h"

#include <algorithm>
#include <fstream>

#include "data/context.h"
#include "data/filterproc.h"
#include "framework/filemanager.h"
#include "framework/iniclass.h"
#include "framework/text.h"

namespace tavlo {

namespace {

#define TAVLO_ELEMENT(SECTION, PROMPT, N)                                                          \
    LayoutElement                                                                                  \
    {                                                                                              \
        SECTION, PROMPT,                                                                           \
        {                                                                                          \
            {                                                                                      \
                {"X", PAR::N##_X.no}, {"Y", PAR::N##_Y.no}, {"H", PAR::N##_H.no},                  \
                    {"W", PAR::N##_W.no}, {"Font", PAR::N##_FONT.no},                              \
                {                                                                                  \
                    "Justering", PAR::N##_JUSTERING.no                                             \
                }                                                                                  \
            }                                                                                      \
        }                                                                                          \
    }

bool isText(const Record& r, int field)
{
    return r.decl().fields[field].type == FieldType::TEXT;
}

// A value is one line of the file.
std::string oneLine(std::string value)
{
    std::replace(value.begin(), value.end(), '\r', ' ');
    std::replace(value.begin(), value.end(), '\n', ' ');
    return value;
}

} // namespace

void standardOppsett(Record& par)
{
    struct Plass {
        IntField x, y, w, h;
        TextField font, justering;
        int vx, vy, vw, vh;
        const char* f;
        const char* j;
    };
#define TAVLO_PLASS(N, X, Y, W, H, F, J)                                                           \
    Plass                                                                                          \
    {                                                                                              \
        PAR::N##_X, PAR::N##_Y, PAR::N##_W, PAR::N##_H, PAR::N##_FONT, PAR::N##_JUSTERING, X, Y,   \
            W, H, F, J                                                                             \
    }
    const Plass plasser[] = {
        TAVLO_PLASS(NAVN, 406, 500, 4200, 330, "Arial,16,0,700", "V"),
        TAVLO_PLASS(LEVERANDORINFO, 406, 860, 4200, 800, "Arial,9", "V"),
        TAVLO_PLASS(OVERSKRIFTSTATUS, 5000, 500, 3000, 400, "Arial,20,0,700", "H"),
        TAVLO_PLASS(KUNDEINFO, 406, 1900, 3800, 1000, "Arial,11", "V"),
        TAVLO_PLASS(FAKTURANRLEDETEKST, 5300, 1100, 1300, 200, "Arial,10", "V"),
        TAVLO_PLASS(FAKTURANR, 6600, 1100, 1400, 200, "Arial,10,0,700", "H"),
        TAVLO_PLASS(FAKTURADATOLEDETEKST, 5300, 1300, 1300, 200, "Arial,10", "V"),
        TAVLO_PLASS(FAKTURADATO, 6600, 1300, 1400, 200, "Arial,10", "H"),
        TAVLO_PLASS(FORFALLSDATOLEDETEKST, 5300, 1500, 1300, 200, "Arial,10", "V"),
        TAVLO_PLASS(FORFALLSDATO, 6600, 1500, 1400, 200, "Arial,10,0,700", "H"),
        TAVLO_PLASS(KUNDENRLEDETEKST, 5300, 1700, 1300, 200, "Arial,10", "V"),
        TAVLO_PLASS(KUNDENR, 6600, 1700, 1400, 200, "Arial,10", "H"),
        TAVLO_PLASS(DERESREFERANSELEDETEKST, 5300, 2000, 1300, 200, "Arial,10", "V"),
        TAVLO_PLASS(DERESREFERANSE, 6300, 2000, 1700, 200, "Arial,10", "H"),
        TAVLO_PLASS(VAARREFERANSELEDETEKST, 5300, 2200, 1300, 200, "Arial,10", "V"),
        TAVLO_PLASS(VAARREFERANSE, 6300, 2200, 1700, 200, "Arial,10", "H"),
    };
#undef TAVLO_PLASS
    for (const Plass& p : plasser) {
        par.set(p.x, p.vx);
        par.set(p.y, p.vy);
        par.set(p.w, p.vw);
        par.set(p.h, p.vh);
        par.set(p.font, p.f);
        par.set(p.justering, p.j);
    }
}

const std::vector<LayoutElement>& layoutElements()
{
    static const std::vector<LayoutElement> elements{
        TAVLO_ELEMENT("Navn", "&Navn:", NAVN),
        TAVLO_ELEMENT("Leverandorinfo", "&Leverandørinfo:", LEVERANDORINFO),
        TAVLO_ELEMENT("OverskriftStatus", "&Overskrift/satus:", OVERSKRIFTSTATUS),
        TAVLO_ELEMENT("Kundeinfo", "&Kundeinfo:", KUNDEINFO),
        TAVLO_ELEMENT("Kundenr", "Kundenr:", KUNDENR),
        LayoutElement{"Logo",
                      "Logo:",
                      {{{"X", PAR::LOGO_X.no},
                        {"Y", PAR::LOGO_Y.no},
                        {"H", PAR::LOGO_H.no},
                        {"W", PAR::LOGO_W.no},
                        {"Resize", PAR::LOGO_RESIZE.no},
                        {"Path", PAR::LOGO_PATH.no}}}},
        TAVLO_ELEMENT("FakturaNrLedetekst", "Faktura&nr Ledetekst:", FAKTURANRLEDETEKST),
        TAVLO_ELEMENT("FakturaNr", "Faktura&nr:", FAKTURANR),
        TAVLO_ELEMENT("FakturaDatoLedetekst", "Faktura&dato Ledetekst:", FAKTURADATOLEDETEKST),
        TAVLO_ELEMENT("FakturaDato", "Faktura&dato:", FAKTURADATO),
        TAVLO_ELEMENT("ForfallsDatoLedetekst", "F&orfallsdato Ledetekst:", FORFALLSDATOLEDETEKST),
        TAVLO_ELEMENT("ForfallsDato", "F&orfallsdato:", FORFALLSDATO),
        TAVLO_ELEMENT("DeresReferanseLedetekst", "&Deres ref. Ledetekst:", DERESREFERANSELEDETEKST),
        TAVLO_ELEMENT("DeresReferanse", "&Deres ref:", DERESREFERANSE),
        TAVLO_ELEMENT("VaarReferanseLedetekst", "&Vår ref. Ledetekst:", VAARREFERANSELEDETEKST),
        TAVLO_ELEMENT("VaarReferanse", "&Vår ref:", VAARREFERANSE),
        TAVLO_ELEMENT("KundeNrLedetekst", "Kundenr Ledetekst:", KUNDENRLEDETEKST),
    };
    return elements;
}

#undef TAVLO_ELEMENT

bool writeLayoutFile(const Record& par, const std::string& path)
{
    std::string out;
    auto line = [&out](std::string_view key, const std::string& value) {
        out += text::toCp1252(std::string(key) + "=" + oneLine(value)) + "\r\n";
    };
    for (const LayoutElement& e : layoutElements()) {
        out += "[" + std::string(e.section) + "]\r\n";
        for (const LayoutKey& k : e.keys)
            line(k.key, isText(par, k.field) ? par.str(k.field) : std::to_string(par.num(k.field)));
        out += "\r\n";
    }
    out += "[" + std::string(kLayoutHeaderSection) + "]\r\n";
    line(kLayoutInvertKey, std::to_string(par.get(PAR::INVERTERFAKTURALINJEHEADER)));
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << out;
    file.close();
    return !file.fail();
}

bool readLayoutFile(Record& par, const std::string& path)
{
    if (!std::ifstream(path, std::ios::binary))
        return false;
    INIClass ini;
    ini.Init(path);
    auto number = [&ini](std::string_view section, std::string_view key) {
        int32_t v = 0;
        if (!ini.Fetch(section, key, v))
            v = 0;
        return v;
    };
    for (const LayoutElement& e : layoutElements())
        for (const LayoutKey& k : e.keys) {
            if (isText(par, k.field)) {
                std::string v;
                ini.Fetch(e.section, k.key, v);
                par.setStr(k.field, v);
            } else {
                par.setNum(k.field, number(e.section, k.key));
            }
        }
    // A flag holds 0 or 1, whatever a hand-written file says.
    par.set(PAR::INVERTERFAKTURALINJEHEADER,
            number(kLayoutHeaderSection, kLayoutInvertKey) != 0 ? 1 : 0);
    return true;
}

const std::array<StandardFilter, 5>& standardFilters()
{
    static const std::array<StandardFilter, 5> filters{{
        {1, PAR::FASTFILTERIDKUNDE, "&Kundekortotek:"},
        {2, PAR::FASTFILTERIDPRODUKT, "&Produktkortotek:"},
        {3, PAR::FASTFILTERIDFAKTURA, "&Fakturakortotek:"},
        {5, PAR::FASTFILTERIDGRUNNLAG, "&Grunnlagkortotek:"},
        {13, PAR::FASTFILTERIDPROSJEKT, "&Prosjektkortotek:"},
    }};
    return filters;
}

ParameterForm::ParameterForm(Context& ctx)
    : WindowManager(ctx, "PARAMETERBILDE", Tbl::PARAM, ChangeRecord)
{
}

int ParameterForm::fetchRecord()
{
    FileManager& par = primary();
    par.SET(PAR::KeyParameterId);
    int level = par.NEXT();
    if (level != LEVEL_BENIGN && par.GETEOF()) {
        // The program never starts without the record; a folder that lost it has nothing to
        // edit here.
        level = par.THROWMESSAGE(MSG_NO_RECORDS, table(Tbl::PARAM).name);
        if (level == LEVEL_BENIGN)
            level = LEVEL_NOTIFY;
    }
    if (level != LEVEL_BENIGN)
        return level;
    fetched_ = true;
    refreshFilterNames();
    return LEVEL_BENIGN;
}

bool ParameterForm::rateEnabled()
{
    return record().get(PAR::STDMVATYPE) != 0;
}

bool ParameterForm::logoSizeEnabled()
{
    return record().get(PAR::LOGO_RESIZE) == 0;
}

void ParameterForm::refreshFilterNames()
{
    const auto& filters = standardFilters();
    for (std::size_t i = 0; i < filters.size(); ++i)
        VISFILTER(context(), filters[i].tableNo, record().get(filters[i].field), filterNames_[i]);
}

bool ParameterForm::pickFilter(int i)
{
    const StandardFilter& f = standardFilters()[i];
    std::string expression, description;
    const int32_t chosen = HENTFILTER(context(), f.tableNo, expression, description);
    if (chosen == 0)
        return false;
    record().set(f.field, chosen);
    refreshFilterNames();
    return true;
}

bool ParameterForm::pickFont(int field)
{
    AnswerService* answers = context().errors().answers();
    std::string font = text::truncate(record().str(field), 100);
    if (!answers || !answers->pickFont(font))
        return false;
    record().setStr(field, font);
    return true;
}

bool ParameterForm::pickLogo()
{
    AnswerService* answers = context().errors().answers();
    FileChoice choice{"Velg fakturalogo",
                      "Alle filer (*.*)|*.*|Windows metafile (*.WMF)|*.WMF|Bitmap (*.BMP)|*.BMP|"
                      "PCX (*.PCX)|*.PCX|Graphic Interchange Format (*.GIF)|*.GIF|"
                      "JPEG (*.JPG)|*.JPG",
                      record().get(PAR::LOGO_PATH), FileChoice::Open};
    if (!answers || !answers->pickFile(choice))
        return false;
    record().set(PAR::LOGO_PATH, choice.path);
    return true;
}

bool ParameterForm::pickBackupFolder()
{
    AnswerService* answers = context().errors().answers();
    FileChoice choice{"Velg område for sikkerhetskopiering", "", record().get(PAR::STDBACKUPPATH),
                      FileChoice::Folder};
    if (!answers || !answers->pickFile(choice))
        return false;
    record().set(PAR::STDBACKUPPATH, choice.path);
    return true;
}

bool ParameterForm::saveLayout()
{
    AnswerService* answers = context().errors().answers();
    FileChoice choice{"Angi filnavn", "Fakturalayout|*.FAK", "", FileChoice::Save};
    if (!answers || !answers->pickFile(choice))
        return false;
    // Telling the user it was saved when it was not would lose the layout without a word.
    if (!writeLayoutFile(record(), choice.path)) {
        say(context(), "Fakturalayout kunne ikke lagres i filen " + choice.path, "Feil",
            Icon::Exclamation);
        return false;
    }
    say(context(), "Fakturalayout er lagret i filen " + choice.path, "Info", Icon::Information);
    return true;
}

bool ParameterForm::loadLayout()
{
    AnswerService* answers = context().errors().answers();
    FileChoice choice{"Velg fakturalayout", "Fakturalayout|*.FAK", "", FileChoice::Open};
    if (!answers || !answers->pickFile(choice))
        return false;
    // A file that cannot be read would otherwise blank the whole layout.
    if (!readLayoutFile(record(), choice.path)) {
        say(context(), "Fakturalayout kunne ikke leses fra filen " + choice.path, "Feil",
            Icon::Exclamation);
        return false;
    }
    say(context(), "Fakturalayout " + choice.path + " er importert", "Info", Icon::Information);
    return true;
}

void ParameterForm::afterWrite(bool written)
{
    if (written)
        ehf::sikreOrgnrFelt(context(), ehf::lesOppsett(record()).kundeOrgnrFelt);
}

void ParameterForm::windowClosed()
{
    if (!fetched_)
        return;
    say(context(), kRestartText, "Advarsel", Icon::Exclamation);
}

} // namespace tavlo
