#pragma once
// What the filtered registers' windows share: the list with its requests, the saved filter's
// description above it (F4 or the right button there picks a saved filter), a code range for a
// tab that lists one group, the button row ending in the select button and "Avslutt", the menu
// with the filter and window-position items, and select mode: a register opened for choosing
// tells its caller once how it ended.
#include <QIcon>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace tavlo {

class BrowseClass;
class BrowseWidget;
class Context;
class RegisterFilter;

class RegisterWindow : public QWidget {
  public:
    struct Setup {
        QString title;    // the window's caption
        const char* name; // the window position's name, also the object name
        QString caption;  // the bold word before the filter's description
        const char* list; // the list's object name
        QString menu;     // the menu's title
    };
    // selected: empty for a register started from the menu; else the register chooses a record
    // and its caller hears RequestCompleted (the record in the buffer) or RequestCancelled.
    RegisterWindow(Context& ctx, const Setup& setup, std::unique_ptr<BrowseClass> list,
                   RegisterFilter& filter, std::function<void(int)> selected);
    ~RegisterWindow() override;

    BrowseWidget* list() const { return list_; }
    // The box of a marked row (ticked) or an unmarked one, for the mark column.
    static QIcon markIcon(bool on);
    // The list's first column as the mark box of each row (its row mark not 0: marked).
    void markColumn();

  protected:
    // A code of a group that limits a tab: label, entry (lookup: the group's codes) and the
    // code's text. `set` is told the new code; the text is asked for afterwards.
    struct CodeRange {
        QLabel* label;
        QLineEdit* entry;
        QLabel* text;
        void show(bool on) const;
    };
    CodeRange codeRange(const char* label, const char* name, int32_t group,
                        std::function<int32_t()> get, std::function<void(int32_t)> set,
                        std::function<std::string()> text);
    // The same for any number the lookup key picks (a customer, say): `pick` is given the
    // current number and answers the chosen one.
    CodeRange range(const char* label, const char* name,
                    std::function<int32_t(int32_t current)> pick, std::function<int32_t()> get,
                    std::function<void(int32_t)> set, std::function<std::string()> text);

    // The button row, left to right; a request button is enabled while the list offers it.
    QPushButton* button(const char* text, const char* name);
    QPushButton* requestButton(const char* text, const char* name, int action);
    QAction* item(const char* text, std::function<void()> run);
    void separator();
    // The rows above the list that the register adds itself go in here, before finish().
    QVBoxLayout* rows() const { return rows_; }
    // The buttons "Avgrensning" and "Fjern avgrensning" and their menu items, in their place
    // among the register's own.
    void filterCommands();
    // A register with marks: Space on a row toggles it (`toggle` finds the row's record in the
    // buffer), the buttons "Merk alle poster" and "Fjern alle avmerkinger" and their menu items
    // on Ctrl++ and Ctrl+-; marking all runs under the busy cursor.
    struct Marking {
        const char* allName; // the buttons' object names
        const char* noneName;
        const char* allItem; // the menu items' texts, without their keys
        const char* noneItem;
        std::function<void()> toggle, all, none;
    };
    void markCommands(Marking marking);
    // The window-position item, the select button and "Avslutt", the list under the rows; the
    // window goes where it was saved.
    void finish(const char* selectText, int width, int height);

    void avgrensning();
    void fjernAvgrensning();
    // The filter's description, and the buttons for the rows the list now has.
    void shown();
    Context& context() { return ctx_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ended(int response);

    Context& ctx_;
    RegisterFilter& filter_;
    std::function<void(int)> selected_;
    std::string name_;
    BrowseWidget* list_;
    QLineEdit* description_;
    QVBoxLayout* rows_;
    QHBoxLayout* buttons_;
    QMenu* menu_;
    QVBoxLayout* layout_;
    std::function<void()> toggle_;
};

} // namespace tavlo
