#pragma once
// Where each register opens: its position and size, stored per window name in WINPOS so that
// the user can fix them with "&Lagre vindusposisjon".
#include <climits>
#include <string>

namespace tavlo {

class Context;

// A window's place in pixels (Qt's device-independent pixels): x and y of the window's frame in
// the area that holds it, w and h its size. A value the register does not have is kNotSet.
struct WindowGeometry {
    static constexpr int kNotSet = INT_MIN;
    int x = kNotSet;
    int y = kNotSet;
    int w = kNotSet;
    int h = kNotSet;
};

enum WindowPositionMode : int {
    WINPOS_SAVE = 1,
    WINPOS_RESTORE = 2,
};

// Save: stores the four values of `geometry` for the window (a value that is kNotSet is stored
// empty). Restore: overwrites those members of `geometry` for which a value is stored and leaves
// the others, so the view passes the window's designed place in and applies what comes back.
// Window names are matched in upper case without trailing blanks. Any other mode only opens and
// closes the table. Returns LEVEL_BENIGN, or the level of the write that failed and stopped the
// save (the record store has shown why).
int HANDLEWINDOWPOSITION(Context& ctx, int mode, const std::string& windowName,
                         WindowGeometry& geometry);

} // namespace tavlo
