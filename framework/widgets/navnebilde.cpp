#include "framework/widgets/navnebilde.h"

#include <QColor>
#include <QFont>
#include <QPainter>

namespace tavlo::desktop {

QPixmap navnebilde(const Navnebilde& b)
{
    QPixmap bilde(b.bredde, b.hoyde);
    bilde.fill(QColor(0x1f, 0x4e, 0x79));
    QPainter p(&bilde);
    p.setPen(Qt::white);
    QFont stor = p.font();
    stor.setPointSize(b.navnPunkt);
    stor.setBold(true);
    p.setFont(stor);
    p.drawText(QRect(0, b.navnY, b.bredde, 80), Qt::AlignCenter, QStringLiteral("Tavlo"));
    QFont liten = p.font();
    liten.setPointSize(12);
    liten.setBold(false);
    p.setFont(liten);
    p.drawText(QRect(0, b.linjeY, b.bredde, 30), Qt::AlignCenter, b.linje);
    if (!b.hjorne.isEmpty())
        p.drawText(QRect(0, b.hoyde - 50, b.bredde - 10, 30), Qt::AlignRight | Qt::AlignVCenter,
                   b.hjorne);
    return bilde;
}

} // namespace tavlo::desktop
