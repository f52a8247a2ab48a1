#pragma once
// Small builders the forms share: entry fields sized in characters, and labelled rows whose
// label's mnemonic reaches the field.
class QFormLayout;
class QLayout;
class QLineEdit;
class QWidget;

namespace tavlo {

class FormWindow;

// A text entry about `chars` wide; maxLength 0 leaves the length to the bound picture.
QLineEdit* entry(QWidget* parent, const char* name, int chars, int maxLength = 0);
// A right-aligned entry of exactly `chars` width, for numbers and dates.
QLineEdit* numberEntry(QWidget* parent, const char* name, int chars);
// A row "label field" (or the label and a row of controls built around the field).
void addRow(QFormLayout* form, const char* label, QWidget* field, QLayout* row = nullptr);
// A tab page that is one memo of the form's record, filling the page.
QWidget* memoPage(FormWindow* w, const char* name, int memo);

} // namespace tavlo
