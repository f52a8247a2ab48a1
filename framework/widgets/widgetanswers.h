#pragma once
// The desktop's answer service: message boxes, the calendar and the end of the program, with
// widgets.
#include "framework/answer.h"

namespace tavlo {

class WidgetAnswers : public AnswerService {
  public:
    // An application-modal box with Norwegian button texts; "|" starts a new line. Esc gives
    // Cancel, else No, else OK (Abort, then Ignore, for the abort/retry/ignore set).
    unsigned message(const Message& m) override;
    // The fatal message has been shown already. With the event loop running, every loop is told
    // to end and the program's exec() returns 3, so the frame closes the way it always does;
    // before the loop runs (start-up) the process ends with 3 at once. Nothing is shown after.
    void halt(const std::string& reason) override;
    // Today at once when todayAtOnce() holds; otherwise the calendar next to the focused control.
    int32_t pickDate(int32_t initial) override;
    // The pick list window, modal, next to the focused control.
    bool pickFromList(ViewManager& view, const PickList& list) override;
    // "Lag filter", modal.
    bool buildFilter(int tableNo, std::string& expression) override;

    // The desktop's file, folder, font and colour dialogs.
    bool pickFile(FileChoice& choice) override;
    bool pickFont(std::string& font) override;
    bool pickColor(const std::string& title, int32_t& colour) override;

  private:
    bool halted_ = false;
};

} // namespace tavlo
