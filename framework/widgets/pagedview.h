#pragma once
// A table view over a paged model: the window holds one page, and moving past either end, the
// page keys, Home, End, the wheel and the scroll bar read on through the model. The page is
// what the view shows: no row is read that cannot be seen.
#include <QTableView>
#include <functional>

#include "framework/pagedmodel.h"

class QScrollBar;

namespace tavlo {

class PagedTableView : public QTableView {
    Q_OBJECT

  public:
    PagedTableView(PagedTableModel& model, QWidget* parent = nullptr);

    PagedTableModel& pagedModel() { return model_; }
    // Puts the table's cursor on the model's current row.
    void showCurrent();
    // The first and last page, a page on and back, as the keys do.
    void home();
    void end();
    void pageDown();
    void pageUp();
    // Keys the view does not move by: true when the hook has acted on the key.
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> keyHook;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void scrollAction(int action);
    void updateGeometries() override;
    void sizeColumns();
    void moved(bool down, int got, int wanted);

    PagedTableModel& model_;
    QScrollBar* bar_;
    int edge_ = 0; // the scroll bar's thumb: 0 first page, 1 between, 2 last page
};

} // namespace tavlo
