#pragma once
// The rules of a register's list: the sort orders as tabs over one paged model, the requests a
// row can be given (insert, change, delete, view, print, select) and what the list does when the
// form it started has ended. A thin view binds keys, buttons and the pop-up menu to this.
//
// A form is started through the update procedure and reports its end through the callback it
// is given, never by blocking: the register waits without an event loop of its own, so other
// windows stay usable meanwhile.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/pagedmodel.h"
#include "framework/windowmanager.h"

namespace tavlo {

class Context;

// Actions of a list besides the requests of a form.
enum BrowseAction : int {
    PrintRecord = 100,
    SelectRecord = 101,
};

struct BrowseButtons {
    bool insert = true;
    bool change = true;
    bool remove = true;
    bool view = true;
    bool print = false;
};

class BrowseClass {
  public:
    // How a form reports that it has ended: its response and, after an insert, the record added.
    using FormDone = std::function<void(int response, RowRef inserted)>;
    // Starts the register's form in the context, for GlobalRequest, with the current record (or
    // the primed one, for an insert) in the table buffer. May call done before it returns (a
    // delete is never shown).
    using UpdateProcedure = std::function<void(Context& ctx, FormDone done)>;

    struct MenuItem {
        std::string text;
        int action;
    };

    // One tab per sort order of the view, named in order.
    BrowseClass(Context& ctx, std::unique_ptr<ViewManager> view,
                std::vector<PagedTableModel::Column> columns, std::vector<std::string> tabs);

    Context& context() { return ctx_; }
    PagedTableModel& model() { return *model_; }
    ViewManager& view() { return model_->view(); }
    const std::vector<std::string>& tabs() const { return tabs_; }
    int tab() const { return tab_; }
    // Switches to the tab's sort order (from 0) and shows its first page.
    void setTab(int index);

    BrowseButtons buttons;
    // A register opened for choosing a record: change means select.
    bool selectMode = false;
    UpdateProcedure updateProcedure;
    // Called with the tab's index before its order is read: a tab whose range is a value the
    // buffer must hold (the table number of a register of definitions) puts it there.
    std::function<void(int index)> tabChanging;
    // Tabs whose order has no locator (a range that lists one group, say); by index.
    std::vector<int> withoutLocator;
    std::function<void()> printProcedure;

    // What the view hears of.
    std::function<void(bool running)> formRunning;   // a form of this list opens or ends
    std::function<void(int response)> closeRegister; // select mode has ended the register

    // Whether the action is offered now: a button for it and, but for insert, a row to act on.
    bool enabled(int action) const;
    // Starts the action on the current row: a request through the update procedure, print, or
    // select. False when nothing was started (not offered, no row, the row is gone, a form of
    // this list is open already).
    bool activate(int action);
    bool formOpen() const { return formOpen_; }
    // The pop-up menu: "&Insert", "&Change", "&Delete", "&View", "&Print", each when the
    // register has its button.
    std::vector<MenuItem> popupMenu() const;
    // The action a key means in the list (Qt key and modifiers): Insert, Delete, Ctrl+Enter
    // (change, or select in select mode) and Shift+Enter (view); 0 for any other key.
    int actionForKey(int key, int modifiers) const;
    // Double-click: change, or select in select mode.
    int doubleClickAction() const { return selectMode ? int(SelectRecord) : int(ChangeRecord); }

  private:
    bool ask(int request);
    void formEnded(int request, int response, RowRef inserted);

    Context& ctx_;
    PagedTableModel* model_;
    std::unique_ptr<PagedTableModel> ownedModel_;
    std::vector<std::string> tabs_;
    int tab_ = 0;
    bool formOpen_ = false;
};

} // namespace tavlo
