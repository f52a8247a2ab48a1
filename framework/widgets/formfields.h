#pragma once
// Small builders the forms share: entry fields sized in characters, labelled rows whose
// label's mnemonic reaches the field, the rules run when a field is accepted or looked up,
// and the texts shown beside a code.
#include <functional>
#include <string>

class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tavlo {

class Context;
class FormWindow;
class WindowManager;

// "&Filnavn:", the file's name (named "filnavn"; no length limit, since a longer path from the
// dialog cut short would name another file) and "..." (named "velgFil", tip "Velg fil"), which
// opens the context's file dialog on `filter` ("Kodeverksfiler|*.TXT"), laid out in `row`.
// The entry; `browse` receives the button when given.
QLineEdit* filnavnrad(Context& ctx, QWidget* w, QHBoxLayout* row, const std::string& start,
                      std::string filter, QPushButton** browse = nullptr);

// `caption` and the count of a run (named "antall", "0" to begin with, room for seven
// digits), laid out in a row of their own. The count's label.
QLabel* antallrad(QWidget* w, QHBoxLayout* row, const char* caption);

// A text entry about `chars` wide; maxLength 0 leaves the length to the bound picture.
QLineEdit* entry(QWidget* parent, const char* name, int chars, int maxLength = 0);
// A right-aligned entry of exactly `chars` width, for numbers and dates.
QLineEdit* numberEntry(QWidget* parent, const char* name, int chars);
// A row "label field" (or the label and a row of controls built around the field).
void addRow(QFormLayout* form, const char* label, QWidget* field, QLayout* row = nullptr);
// A field's rule after it was accepted (Enter or leaving it): the controls show the record
// again. A value that does not fit is said and nothing else happens.
void onAccepted(FormWindow* w, QLineEdit* e, std::function<void()> rule);
// The lookup key on a control of a form that is not read-only: `pick` changes the record, the
// controls show it again.
void onLookup(FormWindow* w, QWidget* c, const WindowManager& rules, std::function<void()> pick);
// A label showing `text()` each time the form's fields are shown (a code's text beside it).
QLabel* textOf(FormWindow* w, const char* name, std::function<std::string()> text);
// A tab page that is one memo of the form's record, filling the page.
QWidget* memoPage(FormWindow* w, const char* name, int memo);

} // namespace tavlo
