#pragma once
// The program's name in white on its blue, with a line under it and a mark in the corner: the
// picture of the splash window, the "Om" window and the converter.
#include <QPixmap>
#include <QString>

namespace tavlo::desktop {

struct Navnebilde {
    int bredde = 420;
    int hoyde = 220;
    int navnPunkt = 34; // the name's point size
    int navnY = 40;     // top of the name's band, 80 high
    QString linje;      // under the name, 12 point
    int linjeY = 120;   // top of the line's band, 30 high
    QString hjorne;     // at the bottom right, 12 point; empty for none
};

QPixmap navnebilde(const Navnebilde& b);

} // namespace tavlo::desktop
