#pragma once
// Backup of the data folder: every table file copied into a backup folder, and a small record
// file there (BACKUP.INI) that tells afterwards whether the last run completed.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavlo {

class Context;

// What the backup's status window shows. A view opens a small window on `open` ("Vent...",
// "Sikkerhetskopiering pågår..."), may show `copying` as progress (and let its event loop run
// there, since the copies run on the caller's thread) and closes the window on `close`.
struct BackupView {
    std::function<void(const std::string& caption, const std::string& text)> open;
    std::function<void(const std::string& fileName, int done, int total)> copying;
    std::function<void()> close;
};

struct BackupOptions {
    // A folder chosen by the caller instead of the parameter's: the parameter is not read and the
    // user is not asked to get the folder ready (the command line names its target itself).
    std::optional<std::string> folder;
    BackupView view;
};

struct BackupResult {
    std::string folder;              // where the copies went
    std::vector<std::string> copied; // paths of the copies, in the order made
    std::vector<std::string> failed; // names of the files that were not copied
    bool recordWritten = false;      // BACKUP.INI says "FULLSTENDIG"
    bool complete() const { return failed.empty() && recordWritten; }
};

// The table files a backup copies, in order: the parameter table first, the invoice files by the
// names in use (the live pair and the archive pair, also in archive mode), and every other table
// of the folder, projects, custom fields and filters included.
std::vector<std::string> backupFiles();

// Where a backup goes when the parameter names no folder: "Tavlo-sikkerhetskopi" in the user's
// home folder. It is made when missing; a folder the user has named must exist.
std::string defaultBackupFolder();

// Copies the table files of the data folder into the backup folder, each through the table
// driver so that the copy is consistent while others write; a failed copy is counted and the
// next file copied. Says beforehand which folder is used (unless the caller chose it) and
// afterwards whether every file was copied. A file is never copied onto itself.
BackupResult BACKUP(Context& ctx, const BackupOptions& options = {});

// 1 when the path exists (a file or a folder), else 0.
int EXIST(const std::string& path);

} // namespace tavlo
