#pragma once
// The calendar popup "Velg dato": a thin window over tavlo::Calendar, which holds its rules.
#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>

#include "framework/calendar.h"

class QComboBox;
class QSpinBox;
class QToolButton;

namespace tavlo {

class HentDatoDialog : public QDialog {
    Q_OBJECT
  public:
    HentDatoDialog(AnswerService& answers, int32_t incoming, QWidget* parent = nullptr);

    // The chosen date once a day was clicked, else the incoming date.
    int32_t date() const { return chosen_; }
    const Calendar& calendar() const { return calendar_; }

    // Places the window by the control the date belongs to (none: centred on the screen).
    void placeNear(const QWidget* control);

    QToolButton* dayButton(int cell) const { return days_[cell]; }
    QComboBox* monthBox() const { return month_; }
    QSpinBox* yearBox() const { return year_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    // True when the key is one of the calendar's own and has been acted on.
    bool calendarKey(int key);
    void redraw();

    Calendar calendar_;
    int32_t chosen_;
    QComboBox* month_ = nullptr;
    QSpinBox* year_ = nullptr;
    std::array<QToolButton*, Calendar::kCells> days_{};
};

// Top-left corner for a window of `size` opened by a control whose frame on the screen is
// `control`: just below the control and two pixels in, moved left and up as far as needed to stay
// on `screen` (its available area).
QPoint hentDatoPosition(const QRect& control, const QSize& size, const QRect& screen);

// Ctrl held while the date field's lookup key (F4, or the right mouse button) is pressed asks for
// today's date without opening the calendar.
bool todayAtOnce();

// The calendar for a date field: the chosen date, or `date` when the user leaves without
// choosing. Goes through the data module's answer service, as every question to the user does.
int32_t HENTDATO(int32_t date);

} // namespace tavlo
