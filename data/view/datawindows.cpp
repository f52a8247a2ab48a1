// The backup's status window, the window that empties tables, and register window positions.
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "data/context.h"
#include "data/lagfiler.h"
#include "data/view/data_view.h"
#include "data/winpos.h"
#include "framework/widgets/contextwindows.h"

namespace tavlo::desktop {

BackupResult BACKUP(Context& ctx, BackupOptions options)
{
    auto status = std::make_shared<QPointer<QWidget>>();
    options.view.open = [&ctx, status](const std::string& caption, const std::string& text) {
        auto* w = new QWidget(nullptr, Qt::Window);
        w->setObjectName(QStringLiteral("BACKUP"));
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setWindowTitle(QString::fromStdString(caption));
        auto* layout = new QVBoxLayout(w);
        auto* label = new QLabel(QString::fromStdString(text), w);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
        w->setMinimumSize(280, 80);
        *status = w;
        contextwindows::show(ctx, w);
        QApplication::processEvents();
    };
    // The copies run on this thread: keep the windows drawn between files.
    options.view.copying = [](const std::string&, int, int) { QApplication::processEvents(); };
    options.view.close = [status] {
        if (*status)
            delete status->data();
    };
    return tavlo::BACKUP(ctx, options);
}

namespace {

class LagfilerWindow : public QWidget {
  public:
    explicit LagfilerWindow(Context& ctx) : rules_(ctx)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setObjectName(QStringLiteral("LAGFILER"));
        setWindowTitle(QString::fromUtf8(tavlo::LAGFILER::kCaption));
        auto* layout = new QVBoxLayout(this);
        auto* text = new QLabel(QString::fromUtf8(tavlo::LAGFILER::kText), this);
        text->setWordWrap(true);
        layout->addWidget(text);

        auto* path = new QLineEdit(QString::fromStdString(rules_.activePath()), this);
        path->setObjectName(QStringLiteral("datafolder"));
        path->setReadOnly(true);
        path->setFocusPolicy(Qt::ClickFocus);
        layout->addWidget(path);

        for (const auto& box : lagfilerBoxes()) {
            auto* b = new QCheckBox(QString::fromUtf8(box.label), this);
            bool& ticked = rules_.choice.*box.ticked;
            b->setChecked(ticked);
            connect(b, &QCheckBox::toggled, this, [&ticked](bool on) { ticked = on; });
            layout->addWidget(b);
        }

        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        auto* start = new QPushButton(QString::fromUtf8(tavlo::LAGFILER::kStart), this);
        auto* cancel = new QPushButton(QString::fromUtf8(tavlo::LAGFILER::kCancel), this);
        connect(start, &QPushButton::clicked, this, [this, start, cancel] {
            start->setEnabled(false);
            cancel->setEnabled(false);
            rules_.start();
            start->setEnabled(true);
            cancel->setEnabled(true);
        });
        connect(cancel, &QPushButton::clicked, this, &QWidget::close);
        buttons->addWidget(start);
        buttons->addWidget(cancel);
        layout->addLayout(buttons);
        resize(460, sizeHint().height());
    }

  private:
    tavlo::LAGFILER rules_;
};

} // namespace

void LAGFILER(Context& ctx)
{
    contextwindows::show(ctx, new LagfilerWindow(ctx));
}

namespace {

// Inside the frame's window area the child window that holds the register is what moves.
QWidget* placed(QWidget* window)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        return sub;
    return window;
}

WindowPlacement placementOf(QWidget* w)
{
    WindowPlacement p;
    p.x = w->x();
    p.y = w->y();
    p.width = w->width();
    p.height = w->height();
    return p;
}

} // namespace

void restoreWindowPosition(Context& ctx, QWidget* window, const std::string& name)
{
    QWidget* w = placed(window);
    WindowPlacement p = placementOf(w);
    if (HANDLEWINDOWPOSITION(ctx, WINPOS_RESTORE, name, p) != LEVEL_BENIGN)
        return;
    w->move(p.x, p.y);
    w->resize(p.width, p.height);
}

int saveWindowPosition(Context& ctx, QWidget* window, const std::string& name)
{
    WindowPlacement p = placementOf(placed(window));
    return HANDLEWINDOWPOSITION(ctx, WINPOS_SAVE, name, p);
}

} // namespace tavlo::desktop
