#include "shell/startup.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "billing/view/billing_view.h"
#include "codesets/view/codesets_view.h"
#include "customers/view/customers_view.h"
#include "customfields/widgets/customfields_view.h"
#include "data/context.h"
#include "data/datafolder.h"
#include "data/globals.h"
#include "data/view/data_view.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/text.h"
#include "invoices/view/invoices_view.h"
#include "products/view/products_view.h"
#include "projects/view/projects_view.h"

namespace tavlo::tlma {

EnvironmentLoad loadEnvironment(const std::string& path, Environment& env, std::string& problem)
{
    env = Environment{};
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec)
        return EnvironmentLoad::Absent;
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path, ec)) {
        problem = "kan ikke leses";
        return EnvironmentLoad::Damaged;
    }
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        const std::string t(text::trim(line));
        if (t.empty())
            continue;
        const auto eq = t.find('=');
        const std::string key =
            eq == std::string::npos ? t : text::upper(text::trim(t.substr(0, eq)));
        const std::string value =
            eq == std::string::npos ? "" : text::upper(text::trim(t.substr(eq + 1)));
        if (key == "TEGNSETT" && (value == "WINDOWS-1252" || value == "CP1252"))
            env.charset = "WINDOWS-1252";
        else if (key == "SORTERING" && value == "NOR")
            env.collation = value;
        else {
            problem = "linje " + std::to_string(lineNo) + ": " + t;
            return EnvironmentLoad::Damaged;
        }
    }
    return EnvironmentLoad::Loaded;
}

bool archiveSwitch(const std::vector<std::string>& args)
{
    for (const auto& a : args)
        if (a.size() >= 2 && a[0] == '/' && (a[1] == 'A' || a[1] == 'a') &&
            (a.size() == 2 || a[2] == '=' || a[2] == ':'))
            return true;
    return false;
}

std::string caption(bool archive)
{
    return std::string(kCaption) + (archive ? " - ARKIV" : "");
}

void initModules(ErrorClass& errors, INIClass* settings)
{
    // The desktop halves: each starts its module's rules (which start the modules they use,
    // each once) and fills the slots of the module's windows.
    TLFI_VIEW::INIT(errors, settings);
    TLKU_VIEW::INIT(errors, settings);
    TLPR_VIEW::INIT(errors, settings);
    TLFA_VIEW::INIT(errors, settings);
    TLKO_VIEW::INIT(errors, settings);
    TLGR_VIEW::INIT(errors, settings);
    TLDR_VIEW::INIT(errors, settings);
    TLPJ_VIEW::INIT(errors, settings);
}

void killModules()
{
    TLFI_VIEW::KILL();
    TLKU_VIEW::KILL();
    TLPR_VIEW::KILL();
    TLFA_VIEW::KILL();
    TLKO_VIEW::KILL();
    TLGR_VIEW::KILL();
    TLDR_VIEW::KILL();
    TLPJ_VIEW::KILL();
}

bool readParameters(Context& ctx)
{
    FileManager& par = ctx.access(Tbl::PARAM);
    if (par.OPEN() != LEVEL_BENIGN)
        return false;
    par.SET(PAR::KeyParameterId);
    const bool found = par.NEXT() == LEVEL_BENIGN;
    par.CLOSE();
    if (!found)
        return false;
    const Record& r = par.rec();
    GLO::PREVIEW = r.get(PAR::FORHANDSVISNING);
    GLO::STD_MVA_SATS = r.get(PAR::STDMVASATS);
    GLO::STD_MVA_TYPE = r.get(PAR::STDMVATYPE);
    GLO::AVRUNDING = r.get(PAR::AVRUNDING);
    GLO::VIS_FAKTURALINJEDATO = r.get(PAR::VISFAKTURALINJEDATO);
    GLO::FAST_FILTERID_FAKTURA = r.get(PAR::FASTFILTERIDFAKTURA);
    GLO::FAST_FILTERID_KUNDE = r.get(PAR::FASTFILTERIDKUNDE);
    GLO::FAST_FILTERID_PRODUKT = r.get(PAR::FASTFILTERIDPRODUKT);
    GLO::FAST_FILTERID_GRUNNLAG = r.get(PAR::FASTFILTERIDGRUNNLAG);
    GLO::FAST_FILTERID_PROSJEKT = r.get(PAR::FASTFILTERIDPROSJEKT);
    return true;
}

unsigned say(ErrorClass& errors, const std::string& text, const char* caption, Icon icon,
             unsigned buttons, unsigned preselected)
{
    Context ctx(&errors);
    return ctx.say({text, caption, icon, buttons, preselected});
}

bool firstStart(ErrorClass& errors, const std::string& folder)
{
    std::string why;
    if (isDataFolder(folder, why))
        return true;
    Context ctx(&errors);
    if (!earlierVersionTables(folder).empty()) {
        ctx.say({why, "Feil", Icon::Hand, BUTTON_OK, BUTTON_OK});
        return false;
    }
    if (ctx.say(
            {"Mappen " + folder + " har ingen Tavlo-data.||Vil du opprette en ny datamappe her?",
             "Ny datamappe", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_YES}) != BUTTON_YES)
        return false;
    std::string message;
    if (createDataFolder(folder, message))
        return true;
    ctx.say(
        {"Datamappen kunne ikke opprettes:|" + message, "Feil", Icon::Hand, BUTTON_OK, BUTTON_OK});
    return false;
}

std::string menuStartFolder(AnswerService& answers, const std::string& remembered,
                            const std::string& suggested)
{
    std::string why;
    if (!remembered.empty() && isDataFolder(remembered, why))
        return remembered;
    // A folder that is not there yet cannot start a dialog: its parent can, and the user may
    // make it from there.
    std::error_code ec;
    FileChoice choice{"Velg datamappen for Tavlo", "",
                      std::filesystem::is_directory(suggested, ec)
                          ? suggested
                          : std::filesystem::path(suggested).parent_path().string(),
                      FileChoice::Folder};
    return answers.pickFile(choice) ? choice.path : std::string();
}

std::string weekdayAndDate(int32_t dayNumber)
{
    static const char kDays[] = "Sunday   Monday   Tuesday  WednesdayThursday Friday   Saturday ";
    const int d = ((dayNumber % 7) + 7) % 7;
    std::string name(text::rtrim(std::string_view(kDays + d * 9, 9)));
    const date::Ymd ymd = date::toYmd(dayNumber);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", ymd.day, ymd.month, ymd.year);
    return name + ", " + buf;
}

std::string clock(int hour, int minute)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d:%02d", hour, minute);
    return buf;
}

} // namespace tavlo::tlma
