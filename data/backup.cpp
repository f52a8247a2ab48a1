#include "data/backup.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "data/context.h"
#include "data/globals.h"
#include "framework/date.h"
#include "framework/iniclass.h"
#include "framework/picture.h"
#include "framework/text.h"

namespace tavlo {
namespace fs = std::filesystem;
namespace {

constexpr const char* kRecordFile = "BACKUP.INI";
constexpr const char* kSection = "FILER";

std::string joined(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// A fresh record file saying the backup is under way. False when the folder cannot take it,
// or when an old record file cannot be removed: it might say an earlier backup was complete.
bool startRecord(const std::string& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return false;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int32_t day = date::fromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    const int32_t hundredths = (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 100;
    INIClass ini;
    ini.Init(path);
    return ini.Update(kSection, "DATO", picture::formatDate("@d6.", day)) &&
           ini.Update(kSection, "KL", picture::formatTime("@t01", hundredths)) &&
           ini.Update(kSection, "STATUS", "UFULLSTENDIG");
}

bool finishRecord(const std::string& path)
{
    INIClass ini;
    ini.Init(path);
    return ini.Update(kSection, "STATUS", "FULLSTENDIG");
}

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return dataFolder();
}

} // namespace

std::vector<std::string> backupFiles()
{
    std::vector<std::string> names;
    auto add = [&](const std::string& name) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    for (Tbl t : {Tbl::PARAM, Tbl::KUNDE, Tbl::KONTAKT, Tbl::PRODUKT, Tbl::FAKTURA, Tbl::FAKLINJE,
                  Tbl::GRUNNLAG, Tbl::GRULINJE})
        add(tableFileName(table(t)));
    // The other invoice pair by its name in use: in archive mode that is the live invoices.
    add(GLO::BAKTURA_PATH);
    add(GLO::BAKLINJE_PATH);
    for (Tbl t : {Tbl::KODEVERK, Tbl::WINPOS, Tbl::DUMMY})
        add(tableFileName(table(t)));
    // A restore must give back projects, custom fields and filters too.
    for (const TableDecl* t : allTables())
        if (!t->isAlias())
            add(tableFileName(*t));
    return names;
}

std::string defaultBackupFolder()
{
    return joined(homeFolder(), "Tavlo-sikkerhetskopi");
}

BackupResult BACKUP(Context& ctx, const BackupOptions& options)
{
    ProcedureScope scope(ctx, "BACKUP");
    BackupResult result;
    std::string folder;
    if (options.folder) {
        folder = text::rtrim(*options.folder);
    } else {
        // Read while the table is open: closing gives a caller that uses it its record back.
        FileManager& par = ctx.access(Tbl::PARAM);
        par.OPEN();
        par.SET(PAR::KeyParameterId);
        if (par.NEXT() == LEVEL_BENIGN)
            folder = text::rtrim(par.rec().get(PAR::STDBACKUPPATH));
        else
            ctx.say({"Det oppsto feil under åpning av parametere", "Feil", Icon::Hand, BUTTON_OK,
                     BUTTON_OK});
        par.CLOSE();
        if (folder.empty()) {
            folder = defaultBackupFolder();
            std::error_code ec;
            fs::create_directories(folder, ec); // a failure shows as failed copies
        }
        ctx.say({"Sørg for at området for sikkerhetskopi (" + folder + ") er klart for kopiering",
                 "Info", Icon::Information, BUTTON_OK, BUTTON_OK});
    }
    result.folder = folder;
    const std::string record = joined(folder, kRecordFile);
    const BackupView& view = options.view;
    if (view.open)
        view.open("Vent...", "Sikkerhetskopiering pågår...");

    const bool started = startRecord(record);
    const std::vector<std::string> files = backupFiles();
    const int total = static_cast<int>(files.size());
    for (int i = 0; i < total; ++i) {
        const std::string& name = files[i];
        if (view.copying)
            view.copying(name, i, total);
        const std::string to = joined(folder, fs::path(name).filename().string());
        StoreError err;
        if (copyTableFile(dataPath(name), to, err))
            result.copied.push_back(to);
        else
            result.failed.push_back(name);
    }
    if (view.close)
        view.close();

    result.recordWritten = started && result.failed.empty() && finishRecord(record);
    if (result.complete())
        ctx.say(
            {"Sikkerhetskopieringen er fullført", "Info", Icon::Information, BUTTON_OK, BUTTON_OK});
    else
        ctx.say({"Det oppsto feil under sikkerhetskopieringen. Det er ikke en fulstendig "
                 "sikkerhetskopi på disketten. Det anbefales at du tar en manuell "
                 "sikkerhetskopi.",
                 "Feil", Icon::Hand, BUTTON_OK, BUTTON_OK});
    return result;
}

int EXIST(const std::string& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 ? 1 : 0;
}

} // namespace tavlo
