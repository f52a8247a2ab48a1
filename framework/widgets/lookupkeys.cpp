#include "framework/widgets/lookupkeys.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "data/globals.h"

namespace tavlo {

namespace {

QPointer<QWidget>& frameWindow()
{
    static QPointer<QWidget> frame;
    return frame;
}

class LookupFilter : public QObject {
  public:
    LookupFilter(QWidget* control, std::function<void()> lookup)
        : QObject(control), lookup_(std::move(lookup))
    {
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* control = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            const auto mods = key->modifiers() & ~(Qt::ShiftModifier | Qt::ControlModifier);
            if (key->key() != Qt::Key_F4 || mods != Qt::NoModifier)
                return false;
            break;
        }
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton)
                return false;
            break;
        case QEvent::ContextMenu: return true; // the right button is the lookup's
        default: return false;
        }
        if (!control->isEnabled())
            return false;
        control->setFocus();
        lookup_();
        return true;
    }

  private:
    std::function<void()> lookup_;
};

} // namespace

void installLookup(QWidget* control, std::function<void()> lookup)
{
    control->installEventFilter(new LookupFilter(control, std::move(lookup)));
}

void setFrameWindow(QWidget* frame)
{
    frameWindow() = frame;
}

QRect lookupArea(const QWidget* control)
{
    if (QWidget* frame = frameWindow()) {
        QSize size(GLO::FRAME_W > 0 ? GLO::FRAME_W : frame->width(),
                   GLO::FRAME_H > 0 ? GLO::FRAME_H : frame->height());
        return QRect(frame->mapToGlobal(QPoint(0, 0)), size);
    }
    const QScreen* screen = control ? control->screen() : nullptr;
    return screen ? screen->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
}

QPoint lookupPosition(const QRect& control, const QSize& size, const QRect& area,
                      const QFontMetrics& metrics)
{
    QPoint at =
        control.topLeft() + QPoint(2 * metrics.averageCharWidth() / 4, 13 * metrics.height() / 8);
    at.setX(std::max(area.left(), std::min(at.x(), area.right() + 1 - size.width())));
    at.setY(std::max(area.top(), std::min(at.y(), area.bottom() + 1 - size.height())));
    return at;
}

} // namespace tavlo
