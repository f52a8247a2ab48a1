#include "framework/pagedmodel.h"

#include <QtGlobal>

#include <algorithm>
#include <climits>

#include "framework/decimal.h"
#include "framework/fieldtext.h"
#include "framework/picture.h"
#include "framework/text.h"

namespace tavlo {
namespace {

bool isNumber(FieldType t)
{
    return t == FieldType::INT32 || t == FieldType::BYTE || t == FieldType::DEC;
}

bool contains(const std::vector<int64_t>& ids, int64_t id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The row id in a position text "key|R|rowid|values…"; 0 for a position that names no record.
// The fields before the key values hold digits and letters only, so no escape can occur there.
int64_t rowidOf(const std::string& position)
{
    std::size_t a = position.find('|');
    if (a == std::string::npos || position.compare(a + 1, 2, "R|") != 0)
        return 0;
    std::size_t b = a + 3;
    std::size_t e = position.find('|', b);
    return std::atoll(position.substr(b, e == std::string::npos ? e : e - b).c_str());
}

} // namespace

PagedTableModel::PagedTableModel(std::unique_ptr<ViewManager> view, std::vector<Column> columns,
                                 QObject* parent)
    : PagedTableModel(*view, std::move(columns), parent)
{
    owned_ = std::move(view);
}

PagedTableModel::PagedTableModel(ViewManager& view, std::vector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), view_(&view)
{
    const TableDecl& decl = file().decl();
    for (auto& c : columns) {
        if (c.field < 0 || c.field >= static_cast<int>(decl.fields.size())) {
            qWarning("PagedTableModel: %s has no field %d; column \"%s\" left out",
                     decl.name.c_str(), c.field, qPrintable(c.heading));
            continue;
        }
        if (!(c.alignment & Qt::AlignHorizontal_Mask))
            c.alignment |= isNumber(decl.fields[c.field].type) ? Qt::AlignRight : Qt::AlignLeft;
        if (!(c.alignment & Qt::AlignVertical_Mask))
            c.alignment |= Qt::AlignVCenter; // level with the rows' other cells
        columns_.push_back(std::move(c));
    }
    view_->OPEN();
    key_ = file().currentKey();
}

PagedTableModel::~PagedTableModel()
{
    view_->CLOSE();
}

// ---------------------------------------------------------------------------------------------
// The model

int PagedTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PagedTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant PagedTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: return rows_[index.row()].cells[index.column()];
    case Qt::TextAlignmentRole: return static_cast<int>(columns_[index.column()].alignment);
    case MarkRole: return rows_[index.row()].mark;
    default: return {};
    }
}

QVariant PagedTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole: return columns_[section].heading;
    case Qt::TextAlignmentRole: return static_cast<int>(columns_[section].alignment);
    default: return {};
    }
}

Qt::ItemFlags PagedTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QString PagedTableModel::cell(const Column& c, const Record& r) const
{
    const std::string s = c.text ? c.text(r) : showField(r, c.field, c.picture);
    // The alignment places the text in its column; a picture's padding would only shift it.
    return QString::fromUtf8(std::string(text::trim(s)));
}

// ---------------------------------------------------------------------------------------------
// Reading

PagedTableModel::Row PagedTableModel::capture()
{
    const Record& r = file().rec();
    Row row;
    row.cells.reserve(columns_.size());
    for (const auto& c : columns_)
        row.cells.push_back(cell(c, r));
    if (rowMark)
        row.mark = rowMark(r);
    row.position = file().POSITION();
    row.ref = file().current();
    return row;
}

std::vector<PagedTableModel::Row>
PagedTableModel::read(bool forward, int n, const std::vector<int64_t>& skip, int keep, int* count)
{
    std::vector<Row> out;
    int got = 0;
    while (got < n) {
        // The end of the view, or a failure the view has reported already.
        if ((forward ? view_->NEXT() : view_->PREVIOUS()) != LEVEL_BENIGN)
            break;
        if (contains(skip, file().current().rowid))
            continue;
        ++got;
        if (static_cast<int>(out.size()) == keep)
            out.erase(out.begin());
        out.push_back(capture());
    }
    if (count)
        *count = got;
    return out;
}

void PagedTableModel::replaceRows(std::vector<Row> rows, int current)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
    // Reported even when the number is the same: the row holds another record now.
    current_ = rows_.empty() ? -1 : std::clamp(current, 0, rowCount() - 1);
    emit currentRowChanged(current_);
}

void PagedTableModel::home()
{
    file().SET(key_);
    replaceRows(read(true, pageSize_), 0);
}

void PagedTableModel::end()
{
    file().SET(key_);
    auto rows = read(false, pageSize_);
    std::reverse(rows.begin(), rows.end());
    int last = static_cast<int>(rows.size()) - 1;
    replaceRows(std::move(rows), last);
}

PagedTableModel::Scrolled PagedTableModel::scroll(bool down, int n)
{
    if (rows_.empty() || n <= 0)
        return {};
    const Row& anchor = down ? rows_.back() : rows_.front();
    if (file().RESET(anchor.position) != LEVEL_BENIGN)
        return {};
    // The position reads its own row again; rows already shown (one another user moved on in
    // the order) are not shown twice.
    std::vector<int64_t> shown;
    for (const auto& r : rows_)
        shown.push_back(r.ref.rowid);
    int passed = 0;
    auto got = read(down, n, shown, pageSize_, &passed);
    if (got.empty())
        return {};
    if (!down)
        std::reverse(got.begin(), got.end());
    const int size = rowCount(), k = static_cast<int>(got.size());
    const int drop = std::min(size, std::max(0, size + k - pageSize_));
    // Dropping before adding: the window never holds more than its rows.
    if (drop > 0) {
        int first = down ? 0 : size - drop;
        beginRemoveRows({}, first, first + drop - 1);
        rows_.erase(rows_.begin() + first, rows_.begin() + first + drop);
        endRemoveRows();
    }
    int at = down ? rowCount() : 0;
    beginInsertRows({}, at, at + k - 1);
    rows_.insert(rows_.begin() + at, std::make_move_iterator(got.begin()),
                 std::make_move_iterator(got.end()));
    endInsertRows();
    return {passed, drop, k};
}

int PagedTableModel::scrollDown(int n)
{
    auto s = scroll(true, n);
    if (s.got > 0) // the current row stays on its record, or at the top when that went
        setCurrentRow(std::max(0, current_ - s.dropped));
    return s.got;
}

int PagedTableModel::scrollUp(int n)
{
    auto s = scroll(false, n);
    if (s.got > 0)
        setCurrentRow(std::min(rowCount() - 1, current_ + s.added));
    return s.got;
}

int PagedTableModel::pageDown()
{
    int at = current_;
    auto s = scroll(true, pageSize_);
    setCurrentRow(s.got == pageSize_ ? at : rowCount() - 1);
    return s.got;
}

int PagedTableModel::pageUp()
{
    int at = current_;
    auto s = scroll(false, pageSize_);
    setCurrentRow(s.got == pageSize_ ? at : 0);
    return s.got;
}

bool PagedTableModel::parseLocator(const QString& typed, Record& into) const
{
    const TableDecl& decl = into.decl();
    const auto& comps = decl.keys[key_.no].components;
    const int field =
        comps[std::min<std::size_t>(view_->fixedComponents(), comps.size() - 1)].field;
    const std::string t(text::trim(typed.toStdString()));
    switch (decl.fields[field].type) {
    case FieldType::TEXT: into.setStr(field, t); return true;
    case FieldType::DATE: {
        // Typed as the list shows the field.
        std::string pic = kDatePicture;
        for (const auto& c : columns_)
            if (c.field == field && !c.picture.empty() &&
                picture::describe(c.picture).kind == picture::Picture::Kind::Date)
                pic = c.picture;
        auto d = picture::parseDate(pic, t);
        if (!d)
            return false;
        into.setNum(field, *d);
        return true;
    }
    case FieldType::DEC:
    case FieldType::INT32:
    case FieldType::BYTE: {
        if (t.empty()) {
            into.setNum(field, 0);
            return true;
        }
        auto d = Decimal::parse(t);
        if (!d)
            return false;
        const FieldType type = decl.fields[field].type;
        if (type == FieldType::DEC) {
            // Beyond what the field holds: before or after every record.
            int64_t max = 1;
            for (int i = 0; i < decl.fields[field].size; ++i)
                max = max * 10;
            if (!d->fits(decl.fields[field].size, 2))
                into.setNum(field, d->isNegative() ? -(max - 1) : max - 1);
            else
                into.setNum(field, d->toCents());
            return true;
        }
        const int64_t lo = type == FieldType::BYTE ? 0 : INT32_MIN;
        const int64_t hi = type == FieldType::BYTE ? 255 : INT32_MAX;
        auto whole = d->rounded(0);
        if (whole < Decimal::fromInt(lo))
            into.setNum(field, lo);
        else if (whole > Decimal::fromInt(hi))
            into.setNum(field, hi);
        else
            into.setNum(field, whole.toInt());
        return true;
    }
    }
    return false;
}

bool PagedTableModel::locate(const QString& text)
{
    // The locator works on the first key component the range leaves free.
    view_->fillRange();
    if (!parseLocator(text, file().rec()))
        return false;
    // The rest of the key from its start, so that the first row with the typed value comes.
    const int located =
        std::min<int>(view_->fixedComponents(), file().decl().keys[key_.no].components.size() - 1);
    if (static_cast<int>(file().decl().keys[key_.no].components.size()) > located + 1)
        file().CLEARKEY(key_, located + 2);
    view_->RESETAT();
    auto rows = read(true, pageSize_);
    if (rows.empty())
        end();
    else if (static_cast<int>(rows.size()) < pageSize_) // a full page, filled from above
        loadAround(rows.front().position, 0);
    else
        replaceRows(std::move(rows), 0);
    return true;
}

void PagedTableModel::setSort(int order)
{
    view_->SETSORT(order);
    view_->RESET();
    key_ = file().currentKey();
    home();
}

void PagedTableModel::loadAround(const std::string& position, int wantAt)
{
    wantAt = std::clamp(wantAt, 0, pageSize_ - 1);
    if (file().RESET(position) != LEVEL_BENIGN) {
        home();
        return;
    }
    auto below = read(true, pageSize_);
    std::vector<Row> above;
    const int aboveWanted = std::max(wantAt, pageSize_ - static_cast<int>(below.size()));
    if (aboveWanted > 0) {
        // The position reads its own row again.
        std::vector<int64_t> skip;
        for (const auto& r : below)
            skip.push_back(r.ref.rowid);
        file().RESET(position);
        above = read(false, aboveWanted, skip);
    }
    const int nAbove = static_cast<int>(above.size());
    below.resize(std::min<std::size_t>(below.size(), pageSize_ - nAbove));
    const int current = below.empty() ? nAbove - 1 : nAbove;
    std::vector<Row> rows(std::make_move_iterator(above.rbegin()),
                          std::make_move_iterator(above.rend()));
    for (auto& r : below)
        rows.push_back(std::move(r));
    replaceRows(std::move(rows), current);
}

void PagedTableModel::refresh()
{
    if (rows_.empty()) {
        home();
        return;
    }
    const int at = std::max(current_, 0);
    const Row anchor = rows_[at];
    loadAround(anchor.position, at);
}

bool PagedTableModel::showRecord(const RowRef& record)
{
    // Read under the view's key, the position names the record in the view's order.
    file().SET(key_);
    if (record.rowid == 0 || file().REGET(record) != LEVEL_BENIGN) {
        refresh();
        return false;
    }
    loadAround(file().POSITION(), std::max(current_, 0));
    return current_ >= 0 && rows_[current_].ref.rowid == record.rowid;
}

bool PagedTableModel::showRecord(const std::string& position)
{
    return showRecord(RowRef{rowidOf(position), 0});
}

void PagedTableModel::setPageSize(int rows)
{
    rows = std::max(rows, 1);
    if (rows == pageSize_)
        return;
    pageSize_ = rows;
    if (!rows_.empty())
        refresh();
}

void PagedTableModel::setCurrentRow(int row)
{
    if (rows_.empty())
        row = -1;
    else
        row = std::clamp(row, 0, rowCount() - 1);
    if (row == current_)
        return;
    current_ = row;
    emit currentRowChanged(row);
}

int PagedTableModel::loadRecord(int row)
{
    if (row < 0 || row >= rowCount())
        return LEVEL_NOTIFY;
    setCurrentRow(row);
    return file().REGET(rows_[row].ref);
}

std::string PagedTableModel::position(int row) const
{
    return row >= 0 && row < rowCount() ? rows_[row].position : std::string();
}

RowRef PagedTableModel::rowRef(int row) const
{
    return row >= 0 && row < rowCount() ? rows_[row].ref : RowRef{};
}

} // namespace tavlo
