#pragma once
// The list of a register: a table model over a view that holds one window of rows (a screen
// page) and reads more through the view when the list scrolls past either end. Each row keeps
// its display texts and its position in the view's order, so that any operation can read on
// from there; the whole table is never in memory.
#include <QAbstractTableModel>
#include <QString>

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/store.h"
#include "framework/viewmanager.h"

namespace tavlo {

class PagedTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    static constexpr int kDefaultPageSize = 20;
    // A row's mark (rowMark's answer for its record) for a delegate that draws rows apart.
    static constexpr int MarkRole = Qt::UserRole + 1;

    struct Column {
        Column() = default;
        Column(int field, QString heading, std::string picture = {}, Qt::Alignment alignment = {},
               std::function<std::string(const Record&)> text = {})
            : field(field), heading(std::move(heading)), picture(std::move(picture)),
              alignment(alignment), text(std::move(text))
        {
        }
        int field = 0; // field number in the view's table
        QString heading;
        std::string picture;          // framework/picture.h; empty: the field type's usual picture
        Qt::Alignment alignment = {}; // none: numbers right, dates and texts left
        // A text made from the row's record instead of the field's (a code's text, a value
        // shown only when another field allows it); taken once, when the row is read.
        std::function<std::string(const Record&)> text;
    };

    // Takes the view as the caller built it (sort orders, ranges, filters) and opens it: the
    // range and filter of its current order are built from the buffer as it is now. Nothing
    // is read until home(), end(), locate() or showRecord().
    PagedTableModel(std::unique_ptr<ViewManager> view, std::vector<Column> columns,
                    QObject* parent = nullptr);
    // Over a view that the caller keeps (a pick list's); it must outlive the model.
    PagedTableModel(ViewManager& view, std::vector<Column> columns, QObject* parent = nullptr);
    ~PagedTableModel() override;

    ViewManager& view() { return *view_; }
    // Taken from each record as its row is read, before the rows are shown: what the list draws
    // beyond the texts (a lock, greyed text) without reading the record again.
    std::function<int(const Record&)> rowMark;
    const std::vector<Column>& columns() const { return columns_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rows in the window: at most this many are held. Changing it re-reads around the current
    // row.
    int pageSize() const { return pageSize_; }
    void setPageSize(int rows);

    // The first and the last page of the view.
    void home();
    void end();
    // Reads up to n rows past the bottom (top) of the window and drops as many at the other
    // end; returns how many were passed (0 at the end of the view: nothing changes). Of more
    // than a page, only the last page is kept.
    int scrollDown(int n = 1);
    int scrollUp(int n = 1);
    // A page on; when less than a page is left the current row goes to the last (first) row.
    int pageDown();
    int pageUp();
    // The locator: the text goes into the leading component of the order's key (numbers and
    // dates parsed, texts as typed) and the page starts at the first row at or after it, that
    // row current; near the end of the view the page is filled from above, and past the end
    // the last page shows with its last row current. False, nothing changed, when the text is
    // no value of the component.
    bool locate(const QString& text);
    // Switches the view to a sort order (or the same one again), builds that order's range and
    // filter from the buffer anew and shows its first page.
    void setSort(int order);
    // Re-reads the page around the current row, keeping it where it is on the screen; a row
    // that is gone gives its place to the one after it.
    void refresh();
    // Shows the page containing a record (after an insert), the record current at the current
    // row's place. The position is FileManager::POSITION() taken on the record under any key.
    // False when the record is gone or outside the view (the page then shows where it would be).
    bool showRecord(const std::string& position);
    bool showRecord(const RowRef& record);

    // -1 when the window is empty.
    int currentRow() const { return current_; }
    void setCurrentRow(int row);
    // The row's whole record (memos included) into the table buffer, the table positioned on
    // it, for change, view and select. The record as stored now: another user's change shows.
    int loadRecord(int row);
    // Where a row of the window stands: FileManager::POSITION() under the view's order.
    std::string position(int row) const;
    RowRef rowRef(int row) const;

  signals:
    void currentRowChanged(int row);

  private:
    struct Row {
        std::vector<QString> cells;
        int mark = 0;
        std::string position;
        RowRef ref;
    };
    struct Scrolled {
        int got = 0, dropped = 0, added = 0;
    };

    FileManager& file() { return view_->file(); }
    // Reads up to n rows on from where the file stands, skipping the rows in `skip` and keeping
    // the last `keep` of them; *count tells how many were read.
    std::vector<Row> read(bool forward, int n, const std::vector<int64_t>& skip = {},
                          int keep = INT_MAX, int* count = nullptr);
    Row capture();
    // Reads up to n rows past one end of the window and drops as many at the other end.
    Scrolled scroll(bool down, int n);
    QString cell(const Column& c, const Record& r) const;
    // Replaces the window with the rows around a position: `wantAt` rows above it where the
    // view has them, the row at (or after) it current.
    void loadAround(const std::string& position, int wantAt);
    void replaceRows(std::vector<Row> rows, int current);
    bool parseLocator(const QString& text, Record& into) const;

    std::unique_ptr<ViewManager> owned_;
    ViewManager* view_;
    std::vector<Column> columns_;
    KeyRef key_{0};
    int pageSize_ = kDefaultPageSize;
    std::vector<Row> rows_;
    int current_ = -1;
};

} // namespace tavlo
