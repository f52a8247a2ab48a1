#include "framework/widgets/hentdato.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "data/context.h"

namespace tavlo {

namespace {
constexpr const char* kWeekdays[Calendar::kColumns] = {"Ma", "Ti", "On", "To", "Fr", "Lø", "Sø"};
} // namespace

HentDatoDialog::HentDatoDialog(AnswerService& answers, int32_t incoming, QWidget* parent)
    : QDialog(parent), calendar_(answers, incoming), chosen_(incoming)
{
    setWindowTitle(QStringLiteral("Velg dato"));

    month_ = new QComboBox(this);
    for (int m = 1; m <= 12; ++m)
        month_->addItem(QString::fromUtf8(Calendar::monthName(m)));
    year_ = new QSpinBox(this);
    // Wide enough to type any year, so that one outside the calendar's gets its message instead
    // of being silently refused; and read only when typing is done, not at every digit.
    year_->setRange(1, 9999);
    year_->setKeyboardTracking(false);
    year_->setAlignment(Qt::AlignRight);

    auto* top = new QHBoxLayout;
    top->addWidget(month_, 1);
    top->addWidget(year_);

    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    for (int c = 0; c < Calendar::kColumns; ++c) {
        auto* heading = new QLabel(QString::fromUtf8(kWeekdays[c]), this);
        heading->setAlignment(Qt::AlignCenter);
        grid->addWidget(heading, 0, c);
    }
    for (int cell = 0; cell < Calendar::kCells; ++cell) {
        auto* b = new QToolButton(this);
        b->setCheckable(true); // the checked look marks the incoming day
        b->setMinimumSize(32, 26);
        // Blank days are hidden but keep their place, so the window does not change size.
        QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        policy.setRetainSizeWhenHidden(true);
        b->setSizePolicy(policy);
        connect(b, &QToolButton::clicked, this, [this, cell] {
            if (const int32_t d = calendar_.choose(cell)) {
                chosen_ = d;
                accept();
            }
        });
        grid->addWidget(b, 1 + cell / Calendar::kColumns, cell % Calendar::kColumns);
        days_[cell] = b;
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);

    connect(month_, &QComboBox::currentIndexChanged, this, [this](int index) {
        calendar_.setMonth(index + 1);
        redraw();
    });
    connect(year_, &QSpinBox::valueChanged, this, [this](int year) {
        calendar_.setYear(year);
        redraw();
    });

    // The calendar's keys mean the same wherever the focus is: the month list and the spin box
    // would otherwise take the arrows and page keys for themselves.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    redraw();
    if (const int h = calendar_.highlighted(); h >= 0)
        days_[h]->setFocus();
}

void HentDatoDialog::redraw()
{
    const QSignalBlocker blockMonth(month_);
    const QSignalBlocker blockYear(year_);
    month_->setCurrentIndex(calendar_.month() - 1);
    year_->setValue(calendar_.year());

    const Calendar::Grid cells = calendar_.grid();
    const int highlighted = calendar_.highlighted();
    for (int cell = 0; cell < Calendar::kCells; ++cell) {
        QToolButton* b = days_[cell];
        b->setText(cells[cell] ? QString::number(cells[cell]) : QString());
        b->setEnabled(cells[cell] != 0);
        b->setVisible(cells[cell] != 0);
        b->setChecked(cell == highlighted);
        QFont f = b->font();
        f.setBold(cell == highlighted);
        b->setFont(f);
    }
}

bool HentDatoDialog::calendarKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp: calendar_.previousYear(); break;
    case Qt::Key_PageDown: calendar_.nextYear(); break;
    case Qt::Key_Left:
    case Qt::Key_Up: calendar_.previousMonth(); break;
    case Qt::Key_Right:
    case Qt::Key_Down: calendar_.nextMonth(); break;
    default: return false;
    }
    redraw();
    return true;
}

bool HentDatoDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && calendarKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void HentDatoDialog::keyPressEvent(QKeyEvent* event)
{
    if (calendarKey(event->key()))
        event->accept();
    else
        QDialog::keyPressEvent(event); // Esc leaves with the incoming date
}

void HentDatoDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        reject();
    else
        QDialog::mousePressEvent(event);
}

void HentDatoDialog::placeNear(const QWidget* control)
{
    adjustSize();
    const QScreen* screen = control ? control->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    if (!control) {
        move(area.center() - rect().center());
        return;
    }
    const QRect frame(control->mapToGlobal(QPoint(0, 0)), control->size());
    move(hentDatoPosition(frame, size(), area));
}

QPoint hentDatoPosition(const QRect& control, const QSize& size, const QRect& screen)
{
    int x = control.left() + 2;
    int y = control.top() + control.height();
    x = std::max(std::min(x, screen.left() + screen.width() - size.width()), screen.left());
    y = std::max(std::min(y, screen.top() + screen.height() - size.height()), screen.top());
    return {x, y};
}

bool todayAtOnce()
{
    return QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier);
}

int32_t HENTDATO(int32_t date)
{
    AnswerService* answers = TLFI::errorManager().answers();
    return answers ? answers->pickDate(date) : date;
}

} // namespace tavlo
