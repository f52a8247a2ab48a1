#include "framework/widgets/pagedview.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "framework/picture.h"

namespace tavlo {

namespace {
// The scroll bar stands for the whole view without knowing its size: the thumb sits at the
// top on the first page, at the bottom on the last, in the middle anywhere else.
constexpr int kTop = 0, kMiddle = 1, kBottom = 2;
} // namespace

PagedTableView::PagedTableView(PagedTableModel& model, QWidget* parent)
    : QTableView(parent), model_(model), bar_(new QScrollBar(Qt::Vertical, this))
{
    setModel(&model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(false);
    sizeColumns();
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    bar_->setRange(kTop, kBottom);
    bar_->setPageStep(1);
    connect(bar_, &QAbstractSlider::actionTriggered, this, &PagedTableView::scrollAction);

    connect(&model_, &PagedTableModel::currentRowChanged, this, &PagedTableView::showCurrent);
    connect(&model_, &QAbstractItemModel::modelReset, this, &PagedTableView::showCurrent);
    // The model keeps the current row across page reads: the table's cursor is the model's.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now) {
                if (now.isValid() && now.row() != model_.currentRow())
                    model_.setCurrentRow(now.row());
            });
}

void PagedTableView::showCurrent()
{
    const int row = model_.currentRow();
    if (row >= 0 && currentIndex().row() != row)
        selectRow(row);
    QSignalBlocker quiet(bar_);
    bar_->setValue(edge_);
}

void PagedTableView::moved(bool down, int got, int wanted)
{
    // A read that came short has met that end of the view.
    edge_ = got < wanted ? (down ? kBottom : kTop) : kMiddle;
}

void PagedTableView::scrollAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: moved(true, model_.scrollDown(1), 1); break;
    case QAbstractSlider::SliderSingleStepSub: moved(false, model_.scrollUp(1), 1); break;
    case QAbstractSlider::SliderPageStepAdd: pageDown(); break;
    case QAbstractSlider::SliderPageStepSub: pageUp(); break;
    case QAbstractSlider::SliderToMinimum: home(); break;
    case QAbstractSlider::SliderToMaximum: end(); break;
    case QAbstractSlider::SliderMove:
        if (bar_->sliderPosition() == kTop)
            home();
        else if (bar_->sliderPosition() == kBottom)
            end();
        break;
    default: break;
    }
    showCurrent();
}

void PagedTableView::keyPressEvent(QKeyEvent* event)
{
    const int row = currentIndex().row();
    const int last = model_.rowCount() - 1;
    const bool plain =
        !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier));
    if (keyHook && keyHook(event->key(), event->modifiers()))
        return event->accept();
    switch (plain ? event->key() : 0) {
    case Qt::Key_Down:
        if (row < last)
            return QTableView::keyPressEvent(event);
        if (int got = model_.scrollDown(1); moved(true, got, 1), got)
            model_.setCurrentRow(model_.rowCount() - 1);
        break;
    case Qt::Key_Up:
        if (row > 0)
            return QTableView::keyPressEvent(event);
        if (int got = model_.scrollUp(1); moved(false, got, 1), got)
            model_.setCurrentRow(0);
        break;
    case Qt::Key_PageDown: pageDown(); break;
    case Qt::Key_PageUp: pageUp(); break;
    case Qt::Key_Home: home(); break;
    case Qt::Key_End: end(); break;
    default: return QTableView::keyPressEvent(event);
    }
    showCurrent();
}

void PagedTableView::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 40; // three rows a notch
    if (steps < 0)
        moved(true, model_.scrollDown(-steps), -steps);
    else if (steps > 0)
        moved(false, model_.scrollUp(steps), steps);
    showCurrent();
    event->accept();
}

void PagedTableView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    const int rows = viewport()->height() / verticalHeader()->defaultSectionSize();
    if (rows >= 1 && rows != model_.pageSize()) {
        model_.setPageSize(rows);
        showCurrent();
    }
}

void PagedTableView::home()
{
    model_.home();
    edge_ = kTop;
    showCurrent();
}

void PagedTableView::end()
{
    model_.end();
    edge_ = kBottom;
    showCurrent();
}

void PagedTableView::pageDown()
{
    moved(true, model_.pageDown(), model_.pageSize());
    showCurrent();
}

void PagedTableView::pageUp()
{
    moved(false, model_.pageUp(), model_.pageSize());
    showCurrent();
}

void PagedTableView::updateGeometries()
{
    QTableView::updateGeometries();
    // The table sets the margins for its headers; the scroll bar takes its place on the right.
    const QMargins m = viewportMargins();
    const int w = bar_->sizeHint().width();
    if (m.right() != w)
        setViewportMargins(m.left(), m.top(), w, m.bottom());
    const QRect area = viewport()->geometry();
    bar_->setGeometry(area.right() + 1, area.top(), w, area.height());
}

void PagedTableView::sizeColumns()
{
    // As wide as the column's picture allows, within reason; the widest text column takes
    // whatever room is left.
    const int ch = fontMetrics().averageCharWidth();
    int widest = -1, widestChars = 0;
    const auto& columns = model_.columns();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        const picture::Picture p = picture::describe(columns[i].picture);
        int chars = p.width > 0 ? p.width : 10;
        if (p.kind == picture::Picture::Kind::Date)
            chars = 10;
        if (p.kind == picture::Picture::Kind::Text && chars > widestChars) {
            widest = i;
            widestChars = chars;
        }
        chars = std::max<int>(chars, columns[i].heading.size() + 1);
        setColumnWidth(i, std::min(chars, 24) * ch + 12);
    }
    if (widest < 0)
        horizontalHeader()->setStretchLastSection(true);
    else
        horizontalHeader()->setSectionResizeMode(widest, QHeaderView::Stretch);
}

} // namespace tavlo
