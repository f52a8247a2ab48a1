#pragma once
// The pick list window of the lookups: a page of rows through the view, a locator on the order's
// leading key field, the sort option when there are several orders, "Avbryt" and "Velg".
#include <QDialog>

#include "framework/answer.h"
#include "framework/pagedmodel.h"
#include "framework/widgets/pagedview.h"

class QLineEdit;
class QPlainTextEdit;

namespace tavlo {

class PickListDialog : public QDialog {
    Q_OBJECT

  public:
    PickListDialog(ViewManager& view, const PickList& list, QWidget* parent = nullptr);

    PagedTableModel& model() { return *model_; }
    PagedTableView* table() const { return table_; }
    QLineEdit* locator() const { return locator_; }
    // The highlighted row's detail field; null when the list has none.
    QPlainTextEdit* detail() const { return detail_; }

  private:
    void choose();
    void showDetail();

    PagedTableModel* model_;
    PagedTableView* table_;
    QLineEdit* locator_;
    QPlainTextEdit* detail_ = nullptr;
    int detailColumn_ = -1;
};

} // namespace tavlo
