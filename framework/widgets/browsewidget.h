#pragma once
// The list of a register on the screen: a tab per sort order, the locator, a page of rows, and
// the keys, double-click and pop-up menu of the list bound to its rules (BrowseClass).
#include <QWidget>
#include <memory>

#include "framework/browse.h"
#include "framework/widgets/pagedview.h"

class QAbstractButton;
class QLineEdit;
class QMenu;
class QTabBar;

namespace tavlo {

class BrowseWidget : public QWidget {
    Q_OBJECT

  public:
    BrowseWidget(std::unique_ptr<BrowseClass> browse, QWidget* parent = nullptr);
    ~BrowseWidget() override;

    BrowseClass& browse() { return *browse_; }
    PagedTableView* table() const { return table_; }
    QTabBar* tabBar() const { return tabs_; }
    QLineEdit* locator() const { return locator_; }

    // A button of the register that starts an action of the list; enabled while it is offered.
    void connectButton(QAbstractButton* button, int action);
    // Shows the first page (call once the window is set up).
    void start();
    // The pop-up menu as the right button opens it (for the caller to exec or inspect).
    QMenu* popupMenu();
    // Re-enables the buttons after the current row or the rows changed.
    void updateButtons();

  private:
    void tabChanged(int index);

    std::unique_ptr<BrowseClass> browse_;
    QTabBar* tabs_;
    QLineEdit* locator_;
    QWidget* locatorLabel_;
    PagedTableView* table_;
    std::vector<std::pair<QAbstractButton*, int>> buttons_;
};

} // namespace tavlo
