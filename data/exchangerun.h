#pragma once
// What the runs of the maintenance windows share (customers, products): the run's file name,
// options and count, the export file made and closed, their questions and error boxes, the
// "code - text" that follows a failure, and a record's fields as the texts of a delimited
// exchange line and back.
#include <fstream>
#include <functional>
#include <string>

#include "deltekst/deltekst.h"

namespace tavlo {

class Context;
class Record;
struct StoreError;

namespace exchange {

enum class Outcome {
    Completed, // the run went through; its notice has been shown
    Declined,  // the user answered No before anything was changed
    Failed,    // stopped and said why; an import leaves the tables as they were
};

// What the run of an exchange window holds besides its own rules: the file name (a global the
// window shows), the confirmations, the file's options and the count of records handled.
class Run {
  public:
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // The global that holds the file's name.
    std::string& fileName() { return fileName_; }
    // The runs' own questions (before an import, overwriting the file) taken as Yes without
    // being asked: for scripts.
    bool confirmed = false;
    // How the file is cut and in which character set it is written (read: told apart).
    deltekst::Options options;
    std::function<void()> progressChanged;

    // LOC:LOOPTELLER: records handled by the run going on or the last one ("Antall::").
    long counter() const { return counter_; }

  protected:
    // The window opens: the file name becomes `defaultName` in the current directory.
    Run(Context& ctx, std::string& fileName, const char* defaultName);
    // One more record handled, and the window told.
    void count();
    // Back to none, and the window told.
    void resetCount();

    Context& ctx_;
    long counter_ = 0;

  private:
    std::string& fileName_;
};

// Yes/No, No preselected, caption "Advarsel".
bool askYes(Context& ctx, const std::string& question);
// An error box, caption "Feil".
void sayError(Context& ctx, const std::string& text);

// A failed file operation as "code - text".
std::string fileError(int errnum);
// What the record store said last, as "code - text".
std::string storeError(Context& ctx);
std::string storeError(const StoreError& err);

// Makes the export file anew. Declined when it is there and the user will not have it written
// over (not asked when `confirmed`); Failed after saying why it cannot be made; Completed with
// `out` open on it.
Outcome createExportFile(Context& ctx, const std::string& file, bool confirmed, std::ofstream& out);
// A write to the export file that failed, said with what the system reported (errno).
void sayExportError(Context& ctx);
// Closes the export file: Failed after saying why, else Completed after the closing notices
// (how many texts were written with '?' for letters Windows-1252 lacks, then "Eksporten er
// fullført").
Outcome finishExport(Context& ctx, std::ofstream& out, const deltekst::Writer& writer);

// Where a column's value sits in a record: a field or a memo (-1 for neither).
struct Place {
    int field = -1;
    int memo = -1;
};
Place placeOf(const Record& r, const std::string& name);

// The text width of a column no wider than what the record keeps, so that nothing read is cut.
int fittedWidth(const Record& r, Place p, deltekst::Type type, int width);

// A field's or memo's value for the writer; numbers plain, decimals with two places. A place
// the record lacks gives an empty text.
deltekst::Value valueOf(const Record& r, Place p, deltekst::Type type);

// Stores a text the reader has checked into a field or memo. False when a number does not fit
// its field: `problem` says which, with the column's name.
bool store(Record& r, Place p, deltekst::Type type, const std::string& name,
           const std::string& text, std::string& problem);

} // namespace exchange
} // namespace tavlo
