#pragma once
// The rules of a form: one record of a primary table, opened for a request (insert, change,
// delete or view), answering a response. No widgets here: a view binds its controls to this
// object and is told through callbacks what to show. A form never blocks in an event loop of its
// own; its end is reported through the closeForm callback, so forms of several contexts can stay
// open side by side.
//
// Life of a form:
//   WindowManager wm(ctx, "KUNDEFORM", Tbl::KUNDE);   // copies GlobalRequest
//   wm.settings().insertAction = INSERT_STAY;           // before init()
//   wm.bind({...});
//   if (wm.init() == LEVEL_BENIGN) { show the form; OK -> wm.ok(); Cancel -> wm.cancel(); ... }
//   // closeForm(response) tells the view the form has ended (also from init(), when the
//   // request needed no form: a delete, or an insert whose number could not be reserved).
//
// The form's record is the primary table's buffer of the context (ctx.rec(primary)): the view
// edits that buffer and shows it again when refreshFields is called. Every message comes from
// the error catalogue.
#include <functional>
#include <string>

#include "data/record.h"
#include "data/store.h"
#include "framework/errorclass.h"

namespace tavlo {

class Context;
class FileManager;
class RelationManager;

// Requests a caller gives a form, and the responses the form answers.
enum Request : int {
    InsertRecord = 1,
    ChangeRecord = 2,
    DeleteRecord = 3,
    ViewRecord = 6,
};
enum Response : int {
    RequestCompleted = 1,
    RequestCancelled = 2,
};

// A caller sets GlobalRequest right before it starts a form; the form copies it when it is
// created and leaves its response in GlobalResponse when it ends. Process-wide, like the other
// globals of the data module.
inline int GlobalRequest = 0;
inline int GlobalResponse = 0;

// What follows a successful insert.
enum InsertAction : int {
    INSERT_NONE = 1,  // view forms
    INSERT_CLOSE = 2, // close the form
    INSERT_STAY = 3,  // stay open with a fresh record
    INSERT_QUERY = 4, // ask "Record Added": Yes stays with a fresh record, No closes
};
enum ChangeAction : int {
    CHANGE_NONE = 1,  // stay open
    CHANGE_CLOSE = 2, // close the form
};
enum DeleteAction : int {
    DELETE_NONE = 1, // delete without asking
    DELETE_WARN = 2, // ask "Bekreft Sletting" first
};
// Bits of the cancel action, for a form whose record has unsaved changes.
enum CancelAction : int {
    CANCEL_SAVE = 1,  // offer to save ("Lagre post": Yes saves, No leaves, Cancel stays)
    CANCEL_QUERY = 2, // ask first
    // Without CANCEL_SAVE: "Changes will be lost!" (No stays). CANCEL_SAVE alone saves without
    // asking.
};

struct FormSettings {
    int insertAction = INSERT_CLOSE;
    int changeAction = CHANGE_CLOSE;
    int deleteAction = DELETE_WARN;
    int cancelAction = CANCEL_SAVE | CANCEL_QUERY;
    bool batch = false;     // never close itself after a write
    bool hasOk = true;      // OK writes and (per the actions) closes
    bool hasSave = false;   // Save writes and stays
    bool historyKey = true; // Ctrl+H recalls the previous record's values (ditto)
};

// What the form asks of its view. Any callback may be left empty.
struct FormView {
    std::function<void()> focusFirstField; // after every failure, and on a fresh record
    std::function<void(int)> closeForm;    // the form has ended with this response
    std::function<void()> refreshFields;   // the buffer changed under the controls
    std::function<void(bool)> setBusy;     // busy cursor on/off around writes
};

class WindowManager {
  public:
    // procedure: the form's procedure name (registered with the error manager while the form
    // runs, and the key of its history values).
    WindowManager(Context& ctx, std::string procedure, Tbl primary, int request = GlobalRequest);
    virtual ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // Set before init(); init() overrides them for the view request (no actions, no writes).
    FormSettings& settings() { return settings_; }
    const FormSettings& settings() const { return settings_; }
    void bind(FormView view) { view_ = std::move(view); }

    // Opens the files and prepares the record for the request: insert primes a new record
    // (reserving its number; a record the caller has primed already, holding a reserved
    // number, is taken over as it stands), change and view keep the caller's current record,
    // delete deletes it at once. A request code other than the four is taken as view.
    // LEVEL_BENIGN: show the form. LEVEL_NOTIFY: the form has ended already (closeForm was
    // called; response() tells how) and is not shown: always so for delete.
    int init();

    // OK: writes per the request, then closes or stays per the actions. Nothing is written
    // for a change whose record is unchanged. A failed write keeps the form open.
    void ok();
    // Save: writes as OK does and stays open with the record; an inserted record is from then
    // on changed, not inserted again.
    void saveAndStay();
    // Cancel or closing the window: asks per the cancel action when the record has unsaved
    // changes; an insert form that leaves without saving gives its reserved number back, with
    // any children added to it meanwhile.
    void cancel();
    // Ctrl+H: the fields the user typed in the previous record written in this form (in any
    // context), or in this record before a conflict; the other fields stay as shown.
    void ditto();

    Context& context() { return ctx_; }
    FileManager& primary();
    RelationManager& relate();
    Record& record();
    int originalRequest() const { return original_; }
    // The request the form now works as: an insert saved by saveAndStay() goes on as a change.
    int request() const { return request_; }
    bool readOnly() const { return original_ == ViewRecord; }
    // RequestCompleted once anything was written (or deleted), else RequestCancelled.
    int response() const { return response_; }
    bool closed() const { return closed_; }
    bool busy() const { return busy_; }
    // Whether the record differs from what was read, primed or last written.
    bool changed() const;
    // The record inserted last, for the caller's list to show (rowid 0 when none).
    RowRef insertedAt() const { return insertedAt_; }

  protected:
    // Sets the defaults of a freshly primed record (after the number was reserved).
    virtual void primeFields() {}
    // A change or view form that finds its record itself (the one parameter record) reads it
    // here, with the files open; others keep the caller's current record. Anything but
    // LEVEL_BENIGN ends the form, cancelled, before it is shown.
    virtual int fetchRecord() { return LEVEL_BENIGN; }
    // Checked before every write; anything but LEVEL_BENIGN keeps the form open unwritten.
    virtual int validateRecord() { return LEVEL_BENIGN; }
    // OK pressed, before anything is checked or written (a question that may change the record).
    virtual void okPressed() {}
    // The completion step's own work, once the record is valid and just before it is written
    // (stock booked, a project line made): once per OK, even when the write is tried again.
    // What it did stays done if the write then fails.
    virtual void beforeWrite() {}
    // After the write was tried: `written` tells whether it went through.
    virtual void afterWrite(bool /*written*/) {}
    // The form has ended: its files are closed and the caller's record is back in the buffer;
    // the view hears of the end afterwards. For what must follow a written record in other
    // tables.
    virtual void afterClose(int /*response*/) {}

  private:
    enum class After { Ok, Stay, Leave };
    enum class Outcome { Written, Stay, Leave };

    int primeRecord(bool first);
    void snapshot();
    void completed(After after);
    Outcome writeInsert();
    Outcome writeChange();
    void nextInsert();
    void rememberHistory();
    void finish(int response);
    void kill();
    void setBusy(bool on);
    void focus();
    void refresh();

    Context& ctx_;
    std::string procedure_;
    Tbl table_;
    int original_;
    int request_;
    FormSettings settings_;
    FormView view_;
    int response_ = RequestCancelled;
    bool open_ = false; // between init() and the end: files open, procedure registered
    bool closed_ = false;
    bool busy_ = false;
    bool holdsNumber_ = false;  // a number reserved by or for this form, not yet written
    bool callerPrimed_ = false; // the caller's priming (its range) is repeated for fresh records
    Record template_;
    uint16_t saved_ = 0; // the record store's copy, for changed()
    Record baseline_;    // the same values, to tell which fields the user typed
    RowRef insertedAt_;
};

} // namespace tavlo
