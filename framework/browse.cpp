#include "framework/browse.h"

#include <Qt>

#include "data/context.h"
#include "framework/filemanager.h"

namespace tavlo {

BrowseClass::BrowseClass(Context& ctx, std::unique_ptr<ViewManager> view,
                         std::vector<PagedTableModel::Column> columns,
                         std::vector<std::string> tabs)
    : ctx_(ctx), tabs_(std::move(tabs))
{
    ownedModel_ = std::make_unique<PagedTableModel>(std::move(view), std::move(columns));
    model_ = ownedModel_.get();
}

void BrowseClass::setTab(int index)
{
    if (index < 0 || index >= static_cast<int>(tabs_.size()))
        return;
    tab_ = index;
    if (tabChanging)
        tabChanging(index);
    model_->setSort(index + 1);
}

bool BrowseClass::enabled(int action) const
{
    const bool row = model_->currentRow() >= 0;
    switch (action) {
    case InsertRecord: return buttons.insert;
    case ChangeRecord: return buttons.change && row;
    case DeleteRecord: return buttons.remove && row;
    case ViewRecord: return buttons.view && row;
    case PrintRecord: return buttons.print && row && printProcedure != nullptr;
    case SelectRecord: return selectMode && row;
    }
    return false;
}

bool BrowseClass::activate(int action)
{
    if (formOpen_ || !enabled(action))
        return false;
    switch (action) {
    case PrintRecord:
        if (model_->loadRecord(model_->currentRow()) != LEVEL_BENIGN) {
            model_->refresh();
            return false;
        }
        printProcedure();
        return true;
    case SelectRecord:
        if (model_->loadRecord(model_->currentRow()) != LEVEL_BENIGN) {
            model_->refresh();
            return false;
        }
        if (closeRegister)
            closeRegister(RequestCompleted);
        return true;
    default: return ask(action);
    }
}

bool BrowseClass::ask(int request)
{
    if (!updateProcedure)
        return false;
    if (request == InsertRecord) {
        // The record belongs to the list's range and holds its number before the form opens.
        if (view().PRIMERECORD() != LEVEL_BENIGN)
            return false;
    } else if (model_->loadRecord(model_->currentRow()) != LEVEL_BENIGN) {
        // Gone since the page was read: show the list as it is now instead.
        model_->refresh();
        return false;
    }
    formOpen_ = true;
    if (formRunning)
        formRunning(true);
    GlobalRequest = request;
    updateProcedure(ctx_, [this, request](int response, RowRef inserted) {
        formEnded(request, response, inserted);
    });
    return true;
}

void BrowseClass::formEnded(int request, int response, RowRef inserted)
{
    if (!formOpen_)
        return;
    formOpen_ = false;
    if (response == RequestCompleted) {
        if (request == InsertRecord && inserted.rowid != 0)
            model_->showRecord(inserted);
        else
            model_->refresh();
    }
    if (formRunning)
        formRunning(false);
}

std::vector<BrowseClass::MenuItem> BrowseClass::popupMenu() const
{
    std::vector<MenuItem> items;
    if (buttons.insert)
        items.push_back({"&Insert", InsertRecord});
    if (buttons.change)
        items.push_back({"&Change", ChangeRecord});
    if (buttons.remove)
        items.push_back({"&Delete", DeleteRecord});
    if (buttons.view)
        items.push_back({"&View", ViewRecord});
    if (buttons.print)
        items.push_back({"&Print", PrintRecord});
    return items;
}

int BrowseClass::actionForKey(int key, int modifiers) const
{
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const int mods = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (enter && mods == Qt::ControlModifier)
        return doubleClickAction();
    if (enter && mods == Qt::ShiftModifier)
        return ViewRecord;
    if (mods == 0 && key == Qt::Key_Insert)
        return InsertRecord;
    if (mods == 0 && key == Qt::Key_Delete)
        return DeleteRecord;
    return 0;
}

} // namespace tavlo
