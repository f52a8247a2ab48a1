#pragma once
// The window of a form: the controls of the form's record bound to its fields, OK, Save and
// Cancel bound to the form's rules (WindowManager), Ctrl+H for "Ditto". The window reports its
// end through a callback and never waits in an event loop of its own; while it is open the
// other windows of its context wait for it.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/windowmanager.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace tavlo {

class FormWindow : public QWidget {
    Q_OBJECT

  public:
    using Done = std::function<void(int response, RowRef inserted)>;

    // The form's rules go with the window; set their settings before start().
    FormWindow(std::unique_ptr<WindowManager> form, const QString& caption,
               QWidget* parent = nullptr);
    ~FormWindow() override;

    WindowManager& form() { return *form_; }
    // The form's own controls go in here.
    QWidget* body() const { return body_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Binds a control to a field (or memo) of the form's record: it shows the record's value and
    // what the user types goes back into the record.
    void bind(QLineEdit* edit, int field, std::string picture = {});
    // A check box on a number is 1 or 0 (on a decimal 1,00 or 0), on a text "1" or empty.
    void bind(QCheckBox* box, int field);
    // A whole number; what the user types reaches the record as the value changes.
    void bind(QSpinBox* box, int field);
    // A drop list of the texts a text field may hold.
    void bind(QComboBox* box, int field);
    void bindMemo(QPlainTextEdit* edit, int memo);
    // A text field of several lines.
    void bindText(QPlainTextEdit* edit, int field);
    // Radio buttons of a number field: the button whose id is the field's value is checked.
    void bind(QButtonGroup* group, int field);
    // The control that receives focus after every failure and on a fresh record.
    void setFirstField(QWidget* control) { first_ = control; }

    // Starts the form for its request. When the request needs a window (insert, change, view)
    // it is shown; `done` is called once, with the response, when the form has ended (at once
    // for a delete, which is never shown). The window deletes itself after.
    void start(Done done);

    // Puts every bound control's text into the record. False, with a message and focus on the
    // control, when one holds no value its field can take.
    bool commitFields(bool quiet = false);
    // Shows the record in every bound control.
    void showFields();
    // Shows these fields again (after a picker changed them), leaving what the user typed
    // elsewhere as it is.
    void showFields(const std::vector<int>& fields);

  signals:
    // The controls show the record anew (at the start, after a write, a conflict, a ditto):
    // controls that depend on the values follow.
    void fieldsShown();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Binding {
        QObject* control;
        int field; // field number, or memo number for a memo
        bool memo = false;
        std::string picture;
        bool lines = false; // a text field in a QPlainTextEdit
    };
    void ended(int response);
    void okPressed();
    void savePressed();
    void setBusy(bool on);
    void focusFirst();

    std::unique_ptr<WindowManager> form_;
    QWidget* body_;
    QPushButton* ok_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QWidget* first_ = nullptr;
    std::vector<Binding> bindings_;
    Done done_;
    bool busy_ = false;
    bool ended_ = false;
};

} // namespace tavlo
