#pragma once
// Where each register opens: its position and size, stored per window name in WINPOS so that
// the user can fix them with "&Lagre vindusposisjon".
#include <string>

#include "framework/iniclass.h"

namespace tavlo {

class Context;

enum WindowPositionMode : int {
    WINPOS_SAVE = 1,
    WINPOS_RESTORE = 2,
};

// Positions and sizes are in pixels (Qt's device-independent pixels): x and y of the window's
// frame in the area that holds it, width and height its size; the maximised and minimised
// states are not kept here. Save: stores the four values (one that is kAbsent is stored empty).
// Restore: overwrites those of the four for which a value is stored and leaves the others, so
// the view passes the window's designed place in and applies what comes back.
// Window names are matched in upper case without trailing blanks. Any other mode only opens and
// closes the table. Returns LEVEL_BENIGN, or the level of the write that failed and stopped the
// save (the record store has shown why).
int HANDLEWINDOWPOSITION(Context& ctx, int mode, const std::string& windowName,
                         WindowPlacement& window);

} // namespace tavlo
