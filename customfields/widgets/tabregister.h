#pragma once
// A register of a table whose rows belong to numbered tables (custom-field definitions, saved
// filters): a tab per table number, each listing that number's rows in one key's order, the
// locator on the key's next component. A new row gets the current tab's number.
#include <QWidget>
#include <memory>
#include <vector>

#include "customfields/egendef.h"
#include "framework/pagedmodel.h"

class QBoxLayout;
class QPushButton;

namespace tavlo {

class BrowseWidget;
class Context;
class ProcedureScope;

class TabRegister : public QWidget {
    Q_OBJECT

  public:
    // key: leading component `tableField`, the table number.
    TabRegister(Context& ctx, const char* procedure, const QString& caption, Tbl table, KeyRef key,
                int tableField, std::vector<RegisterTab> tabs,
                std::vector<PagedTableModel::Column> columns, QWidget* parent = nullptr);
    ~TabRegister() override;

    BrowseWidget* list() const { return list_; }
    // The table number of the current tab.
    int32_t tableNo() const;
    // Room under the list, above the buttons.
    QBoxLayout* body() const { return body_; }
    // A button of the row at the bottom that starts an action of the list.
    QPushButton* addButton(const QString& text, int action, const QString& tip = {});
    QPushButton* closeButton() const { return close_; }

  private:
    std::unique_ptr<ProcedureScope> scope_; // first: the list's files open under its name
    std::vector<RegisterTab> tabs_;
    BrowseWidget* list_;
    QBoxLayout* body_;
    QBoxLayout* buttons_;
    QPushButton* close_;
};

} // namespace tavlo
