#pragma once
// The data module's own windows: the backup's status window, emptying of tables, and the saved
// place of a register's window.
#include <string>

#include "data/backup.h"
#include "framework/moduleface.h"

class QWidget;

namespace tavlo {

class Context;

namespace desktop {

// Backs the data folder up, showing "Vent..." while the files are copied. The options as for
// tavlo::BACKUP; their view is this window's.
BackupResult BACKUP(Context& ctx, BackupOptions options = {});
// "Slett data - klargkjør for ny drift".
void LAGFILER(Context& ctx);

// A register's window where the user last saved it ("&Lagre vindusposisjon"); as designed when
// it was never saved. Call before the window is shown.
void restoreWindowPosition(Context& ctx, QWidget* window, const std::string& name);
// Saves where the window is and its size; LEVEL_BENIGN or the level of the failed write.
int saveWindowPosition(Context& ctx, QWidget* window, const std::string& name);

} // namespace desktop
} // namespace tavlo

// The data module's desktop half: TLFI::INIT, then its windows into their slots (PARAMETERBILDE,
// BACKUP, LAGFILER). KILL clears them and ends the module.
TAVLO_DESKTOP_FACE(TLFI_VIEW)
