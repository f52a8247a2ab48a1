#pragma once
// A context is what a thread was in the earlier design: every procedure started from the frame
// gets one, with its own record buffers, positions, record-store managers, open table files and
// error state. Forms and lookups a procedure calls run in its context.
#include <array>
#include <map>
#include <memory>
#include <string>

#include "data/store.h"
#include "framework/errorclass.h"
#include "framework/filemanager.h"
#include "framework/relationmanager.h"

namespace tavlo {

class INIClass;

class Context {
  public:
    // Uses the data module's error manager unless another is given.
    explicit Context(ErrorClass* errors = nullptr);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    ErrorClass& errors() { return *errors_; }
    ErrorState& errorState() { return errorState_; }
    std::string procedure() const { return errors_->GETPROCEDURENAME(errorState_); }
    // A procedure's own message or question, through the answer service of the context's error
    // manager (on the console when it has none); the button pressed.
    unsigned say(const Message& m);

    // ACCESS:<table> of this context.
    FileManager& access(Tbl t);
    Record& rec(Tbl t) { return access(t).rec(); }
    // RELATE:<table> of this context.
    RelationManager& relate(Tbl t);

    // Open table files are shared within the context by a table and its alias.
    struct OpenFile {
        std::unique_ptr<TableFile> file;
        int users = 0;
    };
    TableFile* findFile(const std::string& path);
    TableFile* addFile(std::unique_ptr<TableFile> file);
    void releaseFile(TableFile* file);

    // While a transaction over several files runs, each enlisted file is reached through the
    // transaction's connection: managers ask here which file to use for a path.
    TableFile* routeFor(const std::string& path, TableFile* own) const
    {
        auto it = routes_.find(path);
        return it == routes_.end() ? own : it->second;
    }
    void route(const std::string& path, TableFile* via) { routes_[path] = via; }
    void unroute(const std::string& path) { routes_.erase(path); }
    // Forget every manager's read-ahead (after a transaction, records may have moved).
    void dropReadAhead();

    // Relation trees are walked once per call; the pass number tells which call.
    int nextPass() { return ++pass_; }

  private:
    ErrorClass* errors_;
    ErrorState errorState_;
    std::array<std::unique_ptr<FileManager>, kTableCount> managers_;
    std::array<std::unique_ptr<RelationManager>, kTableCount> relations_;
    std::map<std::string, OpenFile> files_;
    std::map<std::string, TableFile*> routes_;
    int pass_ = 0;
};

// Shows a message of a procedure through the context's answer service (on stderr when there is
// none) and returns the button pressed.
unsigned say(Context& ctx, const std::string& text, const char* caption, Icon icon,
             unsigned buttons = BUTTON_OK, unsigned defaultButton = BUTTON_OK);

// Registers a procedure name with the error manager for as long as it runs.
class ProcedureScope {
  public:
    ProcedureScope(Context& ctx, std::string_view name) : ctx_(ctx)
    {
        ctx_.errors().SETPROCEDURENAME(ctx_.errorState(), name);
    }
    ~ProcedureScope() { ctx_.errors().SETPROCEDURENAME(ctx_.errorState(), "", true); }

  private:
    Context& ctx_;
};

} // namespace tavlo

namespace TLFI {
// Makes the main program's error manager and settings object the data module's own; a second
// call does nothing.
void INIT(tavlo::ErrorClass& errors, tavlo::INIClass* settings);
void KILL();
// The data module's error manager: the main program's after INIT, a private one before.
tavlo::ErrorClass& errorManager();
tavlo::INIClass* settings();
} // namespace TLFI
