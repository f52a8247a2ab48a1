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

    // ACCESS:<table> of this context.
    FileManager& access(Tbl t);
    Record& rec(Tbl t) { return access(t).rec(); }

    // Open table files are shared within the context by a table and its alias.
    struct OpenFile {
        std::unique_ptr<TableFile> file;
        int users = 0;
    };
    TableFile* findFile(const std::string& path);
    TableFile* addFile(std::unique_ptr<TableFile> file);
    void releaseFile(TableFile* file);

private:
    ErrorClass* errors_;
    ErrorState errorState_;
    std::array<std::unique_ptr<FileManager>, kTableCount> managers_;
    std::map<std::string, OpenFile> files_;
};

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
