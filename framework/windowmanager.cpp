#include "framework/windowmanager.h"

#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "data/context.h"
#include "framework/filemanager.h"
#include "framework/relationmanager.h"

namespace tavlo {
namespace {

// What the user typed in a form's last record: the values, and which fields and memos were
// typed (differed from the record as read, primed or last written).
struct Input {
    Record values;
    std::vector<int> fields, memos;
};

// The input last written in each form. Shared by every context: the same form opened from
// another register recalls it too.
class History {
  public:
    void remember(const std::string& form, Input input)
    {
        std::lock_guard guard(lock_);
        values_.insert_or_assign(std::make_pair(form, input.values.decl().id), std::move(input));
    }
    std::optional<Input> recall(const std::string& form, Tbl table) const
    {
        std::lock_guard guard(lock_);
        auto it = values_.find(std::make_pair(form, table));
        if (it == values_.end())
            return std::nullopt;
        return it->second;
    }

  private:
    mutable std::mutex lock_;
    std::map<std::pair<std::string, Tbl>, Input> values_;
};

History& history()
{
    static History h;
    return h;
}

bool isText(const Record& r, int field)
{
    return r.decl().fields[field].type == FieldType::TEXT;
}

bool autoNumbered(const TableDecl& t, int field)
{
    for (const auto& k : t.keys)
        if (k.autoNumber && k.components.back().field == field)
            return true;
    return false;
}

int knownRequest(int request)
{
    switch (request) {
    case InsertRecord:
    case ChangeRecord:
    case DeleteRecord:
    case ViewRecord: return request;
    }
    return ViewRecord; // a form started without a request must not write anything
}

} // namespace

WindowManager::WindowManager(Context& ctx, std::string procedure, Tbl primary, int request)
    : ctx_(ctx), procedure_(std::move(procedure)), table_(primary),
      original_(knownRequest(request)), request_(original_), template_(table(primary)),
      baseline_(table(primary))
{
}

WindowManager::~WindowManager()
{
    kill();
}

FileManager& WindowManager::primary()
{
    return ctx_.access(table_);
}

RelationManager& WindowManager::relate()
{
    return ctx_.relate(table_);
}

Record& WindowManager::record()
{
    return primary().rec();
}

int WindowManager::init()
{
    if (open_ || closed_)
        return closed_ ? LEVEL_NOTIFY : LEVEL_BENIGN;
    ctx_.errors().SETPROCEDURENAME(ctx_.errorState(), procedure_);
    relate().OPEN();
    open_ = true;
    if (readOnly()) {
        settings_.insertAction = INSERT_NONE;
        settings_.changeAction = CHANGE_NONE;
        settings_.deleteAction = DELETE_NONE;
        settings_.cancelAction = 0;
        settings_.hasOk = false;
        settings_.hasSave = false;
    }
    if (original_ == ChangeRecord || original_ == ViewRecord) {
        if (fetchRecord() != LEVEL_BENIGN) {
            finish(RequestCancelled);
            return LEVEL_NOTIFY;
        }
    }
    switch (original_) {
    case InsertRecord:
        if (int level = primeRecord(true); level != LEVEL_BENIGN) {
            finish(RequestCancelled);
            return LEVEL_NOTIFY;
        }
        break;
    case ChangeRecord: relate().SAVE(); break;
    case DeleteRecord: {
        // Never shown: the question (if any) and the delete happen here. The relation manager
        // offers the retry itself when the write fails.
        int level = LEVEL_BENIGN;
        if (settings_.deleteAction == DELETE_WARN)
            level = primary().THROW(MSG_CONFIRM_DELETE);
        if (level == LEVEL_BENIGN) {
            setBusy(true);
            level = relate().DELETE(false);
            setBusy(false);
        }
        finish(level == LEVEL_BENIGN ? RequestCompleted : RequestCancelled);
        return LEVEL_NOTIFY;
    }
    }
    snapshot();
    return LEVEL_BENIGN;
}

int WindowManager::primeRecord(bool first)
{
    FileManager& m = primary();
    int level = LEVEL_BENIGN;
    if (first && m.autoNumberReserved()) {
        // The caller's list primed the record (its range, its number): numbering again would
        // leave that number's record behind in the file.
        callerPrimed_ = true;
        template_.copyFrom(m.rec());
    } else if (callerPrimed_) {
        // Each fresh record belongs to the caller's range like the first.
        m.rec().copyFrom(template_);
        level = m.PRIMERECORD(true);
    } else {
        level = m.PRIMERECORD();
    }
    holdsNumber_ = m.autoNumberReserved();
    if (level == LEVEL_BENIGN)
        primeFields();
    return level;
}

void WindowManager::snapshot()
{
    FileManager& m = primary();
    if (saved_)
        m.RESTOREBUFFER(saved_, false);
    saved_ = m.SAVEBUFFER();
    baseline_.copyFrom(m.rec());
}

bool WindowManager::changed() const
{
    return saved_ != 0 && !ctx_.access(table_).EQUALBUFFER(saved_);
}

void WindowManager::ok()
{
    if (!open_ || closed_ || readOnly() || !settings_.hasOk)
        return;
    okPressed();
    completed(After::Ok);
}

void WindowManager::saveAndStay()
{
    if (open_ && !closed_ && !readOnly() && settings_.hasSave)
        completed(After::Stay);
}

void WindowManager::completed(After after)
{
    Outcome outcome = request_ == InsertRecord ? writeInsert() : writeChange();
    if (outcome == Outcome::Stay)
        return;
    if (outcome == Outcome::Leave || after == After::Leave) {
        finish(response_);
        return;
    }
    if (after == After::Stay) {
        if (request_ == InsertRecord) {
            // The record is stored now: inserting it again would store it twice.
            request_ = ChangeRecord;
            relate().SAVE();
        }
        snapshot();
        refresh();
        return;
    }
    if (request_ == InsertRecord) {
        if (!settings_.batch) {
            if (settings_.insertAction == INSERT_CLOSE) {
                finish(RequestCompleted);
                return;
            }
            if (settings_.insertAction == INSERT_QUERY &&
                ctx_.errors().THROW(ctx_.errorState(), MSG_ADD_ANOTHER) != LEVEL_BENIGN) {
                finish(RequestCompleted);
                return;
            }
        }
        nextInsert();
        return;
    }
    if (settings_.changeAction == CHANGE_CLOSE && !settings_.batch) {
        finish(RequestCompleted);
        return;
    }
    snapshot();
    refresh();
}

WindowManager::Outcome WindowManager::writeInsert()
{
    rememberHistory();
    FileManager& m = primary();
    if (validateRecord() != LEVEL_BENIGN) {
        focus();
        return Outcome::Stay;
    }
    beforeWrite();
    setBusy(true);
    int level = m.INSERT();
    setBusy(false);
    afterWrite(level == LEVEL_BENIGN);
    if (level != LEVEL_BENIGN) {
        focus();
        return Outcome::Stay;
    }
    holdsNumber_ = false;
    insertedAt_ = m.current();
    response_ = RequestCompleted;
    return Outcome::Written;
}

WindowManager::Outcome WindowManager::writeChange()
{
    FileManager& m = primary();
    for (bool first = true;; first = false) {
        if (!changed()) {
            response_ = RequestCompleted;
            return Outcome::Written;
        }
        rememberHistory();
        if (validateRecord() != LEVEL_BENIGN) {
            focus();
            return Outcome::Stay;
        }
        m.SETERROR(0); // so that a conflict is told from this write only
        if (first)
            beforeWrite();
        setBusy(true);
        int level = relate().UPDATE(true);
        setBusy(false);
        afterWrite(level == LEVEL_BENIGN);
        if (level == LEVEL_BENIGN) {
            response_ = RequestCompleted;
            return Outcome::Written;
        }
        if (m.lastError() == MSG_RECORD_CHANGED_SHOWN) {
            // The other user's version is in the buffer; the next save is checked against it.
            // Ctrl+H brings the user's own input back. A record deleted meanwhile has no such
            // version: the input stays unsaved, never taken for the stored record.
            if (m.REGET(m.current()) == LEVEL_BENIGN) {
                relate().SAVE();
                snapshot();
            }
            refresh();
            focus();
            return Outcome::Stay;
        }
        unsigned button =
            ctx_.errors().MESSAGE(ctx_.errorState(), MSG_RETRY_UPDATE,
                                  BUTTON_YES | BUTTON_NO | BUTTON_CANCEL, BUTTON_CANCEL);
        if (button == BUTTON_YES)
            continue;
        if (button == BUTTON_NO)
            return Outcome::Leave;
        focus();
        return Outcome::Stay;
    }
}

void WindowManager::nextInsert()
{
    if (primeRecord(false) != LEVEL_BENIGN) {
        finish(RequestCompleted);
        return;
    }
    snapshot();
    refresh();
    focus();
}

void WindowManager::cancel()
{
    if (!open_ || closed_)
        return;
    if (readOnly() || !changed()) {
        finish(response_);
        return;
    }
    // Also a form that has written before (a batch of inserts, a save-and-stay) asks: what
    // was typed since would otherwise be lost without a word.
    const int action = settings_.cancelAction;
    if (action & CANCEL_SAVE) {
        unsigned button = BUTTON_YES;
        if (action & CANCEL_QUERY)
            button = ctx_.errors().MESSAGE(ctx_.errorState(), MSG_SAVE_RECORD,
                                           BUTTON_YES | BUTTON_NO | BUTTON_CANCEL, BUTTON_CANCEL);
        if (button == BUTTON_YES)
            completed(After::Leave);
        else if (button == BUTTON_NO)
            finish(response_);
        else
            focus();
        return;
    }
    if (ctx_.errors().THROW(ctx_.errorState(), MSG_CONFIRM_CANCEL) != LEVEL_BENIGN) {
        focus();
        return;
    }
    finish(response_);
}

void WindowManager::ditto()
{
    if (!open_ || closed_ || readOnly() || !settings_.historyKey)
        return;
    auto input = history().recall(procedure_, record().decl().id);
    if (!input)
        return;
    // Only what the user typed: the other fields keep what is shown now (after a conflict, the
    // other station's values). The record's own number is never recalled.
    Record& r = record();
    for (int f : input->fields) {
        if (autoNumbered(r.decl(), f))
            continue;
        if (isText(r, f))
            r.setStr(f, input->values.str(f));
        else
            r.setNum(f, input->values.num(f));
    }
    for (int m : input->memos)
        r.setMemo(m, input->values.memo(m));
    refresh();
}

void WindowManager::rememberHistory()
{
    const Record& r = record();
    Input input{r, {}, {}};
    for (int f = 0; f < static_cast<int>(r.decl().fields.size()); ++f)
        if (isText(r, f) ? r.str(f) != baseline_.str(f) : r.num(f) != baseline_.num(f))
            input.fields.push_back(f);
    for (int m = 0; m < static_cast<int>(r.decl().memos.size()); ++m)
        if (r.memo(m) != baseline_.memo(m))
            input.memos.push_back(m);
    history().remember(procedure_, std::move(input));
}

void WindowManager::finish(int response)
{
    response_ = response;
    GlobalResponse = response;
    kill();
    closed_ = true;
    afterClose(response);
    if (view_.closeForm)
        view_.closeForm(response);
}

void WindowManager::kill()
{
    if (!open_)
        return;
    open_ = false;
    FileManager& m = primary();
    if (holdsNumber_ && m.autoNumberReserved())
        relate().CANCELAUTOINC(); // children added to the reserved record go with it
    holdsNumber_ = false;
    if (saved_)
        m.RESTOREBUFFER(saved_, false);
    relate().CLOSE();
    ctx_.errors().SETPROCEDURENAME(ctx_.errorState(), "", true);
}

void WindowManager::setBusy(bool on)
{
    busy_ = on;
    if (view_.setBusy)
        view_.setBusy(on);
}

void WindowManager::focus()
{
    if (view_.focusFirstField)
        view_.focusFirstField();
}

void WindowManager::refresh()
{
    if (view_.refreshFields)
        view_.refreshFields();
}

} // namespace tavlo
