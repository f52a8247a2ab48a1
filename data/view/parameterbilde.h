#pragma once
// The system-parameter window: the tabs of the parameter record bound to ParameterForm, which
// holds the rules. Each control is named after its field ("PAR:STDMVASATS").
#include <array>
#include <vector>

#include "data/parameters.h"
#include "framework/widgets/formwindow.h"

class QLabel;
class QLineEdit;
class QTabWidget;

namespace tavlo {

class ParameterWindow : public FormWindow {
    Q_OBJECT

  public:
    explicit ParameterWindow(Context& ctx);

    ParameterForm& rules() { return static_cast<ParameterForm&>(form()); }
    QTabWidget* tabs() const { return tabs_; }
    QLabel* filterNameLabel(int i) const { return filterNames_[i]; }

  private:
    QWidget* oppsett();
    QWidget* leverandorinfo();
    QWidget* fakturatopp();
    QWidget* giro();
    QWidget* ocr();
    QWidget* ehfSide();

    QLineEdit* entry(int field, const char* picture = "", int chars = 0);
    QLabel* prompt(const char* text, QWidget* buddy);
    // Enabled states and filter names from the record as it stands.
    void followRecord();
    // A field typed into, taken into the record at once when it holds a value.
    void takeTyped(QLineEdit* edit, int field, const char* picture);

    QTabWidget* tabs_ = nullptr;
    std::array<QLabel*, 5> filterNames_{};
    QLabel* ratePrompt_ = nullptr;
    QLineEdit* rate_ = nullptr;
    QLineEdit* logoH_ = nullptr;
    QLineEdit* logoW_ = nullptr;
    std::vector<int> layoutFields_;
};

// The system-parameter window, opened beside the caller's windows.
void PARAMETERBILDE(Context& ctx);

} // namespace tavlo
