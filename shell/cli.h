#pragma once
// What the command-line program's commands share: the failure that ends a command with one
// line, and the answers that print the record store's first message.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/context.h"
#include "data/datafolder.h"
#include "data/globals.h"
#include "framework/answer.h"
#include "framework/date.h"
#include "framework/errorclass.h"
#include "framework/report/pagelist.h"
#include "framework/text.h"

class QGuiApplication;

namespace tavlo::cli {

// A mistake on the command line or in the data asked for: printed as one line, exit 1.
struct Failure {
    std::string line;
};

// The record store's first message goes to stderr as one line. Later ones only follow from the
// first and would bury it: they are answered the same way, unseen. A notice waits for a moment:
// when it announces a fatal error, the reason given at the halt says it without the box's
// "press OK" ending.
class CliAnswers : public ConsoleAnswers {
  public:
    unsigned message(const Message& m) override
    {
        if (shown_++ > 0) {
            if (m.buttons & BUTTON_NO)
                return BUTTON_NO;
            return (m.buttons & BUTTON_CANCEL) ? BUTTON_CANCEL : m.defaultButton;
        }
        if (m.buttons == BUTTON_OK) {
            pending_ = m;
            return BUTTON_OK;
        }
        printed_ = true;
        return ConsoleAnswers::message(m);
    }
    void halt(const std::string& reason) override
    {
        if (!printed_) {
            Message m;
            m.text = reason;
            ConsoleAnswers::message(m);
            printed_ = true;
        }
        pending_.reset();
        ConsoleAnswers::halt(reason);
    }
    // Prints a notice still waiting.
    void flush()
    {
        if (pending_ && !printed_)
            ConsoleAnswers::message(*pending_);
        printed_ = printed_ || pending_.has_value();
        pending_.reset();
    }
    // Forgets a notice still waiting, for a caller that says the same thing more plainly.
    void discard() { pending_.reset(); }
    int shown() const { return shown_; }

  private:
    int shown_ = 0;
    bool printed_ = false;
    std::optional<Message> pending_;
};

// A run's messages (the code-set and customer exchanges), kept until the run is over: a run that
// went through prints each of its notices as a line; a failed one only the first message, which
// says why, since what follows only follows from it.
class RunAnswers : public AnswerService {
  public:
    unsigned message(const Message& m) override
    {
        lines.push_back(oneLine(m));
        if (m.buttons & BUTTON_NO)
            return BUTTON_NO;
        return (m.buttons & BUTTON_CANCEL) ? BUTTON_CANCEL : m.defaultButton;
    }
    void halt(const std::string& reason) override
    {
        lines.push_back(oneLine(reason));
        throw Failure{lines.front()};
    }
    std::vector<std::string> lines;
};

// An exchange run needs the folder's parameter record: the failure saying why when it cannot be
// read or is not there.
inline void requireParameters(Context& ctx, const RunAnswers& answers, const std::string& dir)
{
    bool found = false;
    if (findParamRecord(ctx, found) != LEVEL_BENIGN || !found)
        throw Failure{answers.lines.empty() ? "Datamappen " + dir + " har ingen parameterpost"
                                            : answers.lines.front()};
}

// The "import|export MAPPE FIL" of an exchange command ("tavlo codes"): the failure naming what
// is missing, or the first argument too many.
inline void requireFolderAndFile(const std::vector<std::string>& positional,
                                 const std::string& command)
{
    if (positional.size() < 3)
        throw Failure{"Mangler " + std::string(positional.size() < 2 ? "datamappe og " : "") +
                      "filnavn: tavlo " + command + " " + positional[0] + " MAPPE FIL"};
    if (positional.size() > 3)
        throw Failure{"Ukjent argument: " + positional[3]};
}

// The end of an exchange run: the failure with its first message when it did not go through;
// else its notices on stderr and the records handled on stdout.
inline void reportRun(bool completed, bool import, const RunAnswers& answers, long counter)
{
    if (!completed)
        throw Failure{answers.lines.empty()
                          ? (import ? "Importen ble ikke gjort" : "Eksporten ble ikke gjort")
                          : answers.lines.front()};
    for (const auto& line : answers.lines)
        std::cerr << line << '\n';
    std::cout << "Antall poster behandlet: " << counter << '\n';
}

// A value the caller typed, cut short for a message.
inline std::string shortened(std::string_view v)
{
    constexpr std::size_t kMax = 40;
    return text::length(v) <= kMax ? std::string(v) : text::truncate(v, kMax) + "…";
}

// A whole number the caller typed for `option`, or the failure saying it is none.
inline int32_t boundOrFail(const std::string& option, const std::string& value)
{
    int32_t n = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (value.empty() || ec != std::errc() || end != value.data() + value.size())
        throw Failure{"Ugyldig tall til " + option + ": «" + shortened(value) + "»"};
    return n;
}

// A value as one field of a csv line: quoted when it holds a comma, a quote or a line break.
inline std::string csvField(const std::string& v)
{
    if (v.find_first_of(",\"\r\n") == std::string::npos)
        return v;
    std::string out = "\"";
    for (char c : v) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

// A value as a JSON string.
inline std::string jsonString(const std::string& v)
{
    std::string out = "\"";
    for (unsigned char c : v) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + '"';
}

// A date the caller typed for `option` (31.12.2026), or the failure saying it is none.
inline int32_t dateOrFail(const std::string& option, const std::string& value)
{
    const std::optional<int32_t> d = date::parse(value);
    if (!d)
        throw Failure{"Ugyldig dato til " + option + ": «" + shortened(value) +
                      "» (skriv 31.12.2026)"};
    return *d;
}

// Works in the data folder `dir` from now on, or the failure saying why it is none.
inline void useDataFolder(const std::string& dir)
{
    std::string message;
    if (!isDataFolder(dir, message))
        throw Failure{message};
    setDataFolder(dir);
}

// One run of an exchange window's import or export ("import|export MAPPE FIL" in
// `positional`), without its questions: `set` gives the run its further options. Prints what
// the run did; the exit status is `exitStatus` of the finished run, else 0.
template <class Run>
int exchangeRun(const std::vector<std::string>& positional, const std::string& command,
                const std::function<void(Run&)>& set = {},
                const std::function<int(const Run&)>& exitStatus = {})
{
    requireFolderAndFile(positional, command);
    const bool import = positional[0] == "import";
    const std::string& dir = positional[1];
    useDataFolder(dir);

    RunAnswers answers;
    ErrorClass errors(&answers);
    Context ctx(&errors);
    requireParameters(ctx, answers, dir);

    Run run(ctx);
    run.fileName() = positional[2];
    run.confirmed = true;
    if (set)
        set(run);
    const auto outcome = import ? run.importFile() : run.exportFile();
    reportRun(outcome == Run::Outcome::Completed, import, answers, run.counter());
    return exitStatus ? exitStatus(run) : 0;
}

// Fonts and the PDF writer want a Gui application; it is never shown (the offscreen platform,
// unless another is set) and lives as long as the pointer.
std::unique_ptr<QGuiApplication> pdfApplication();
// Writes the pages to the PDF file `pdf` and prints its name, or the failure saying why.
void writePdfOrFail(const report::PageList& pages, const std::string& pdf, const std::string& title,
                    const std::string& author);

// "tavlo records": lists, inserts, updates and deletes the records of a table.
int records(const std::vector<std::string>& args, CliAnswers& answers);
// "tavlo customers": customers and contacts to and from an exchange file.
int customers(const std::vector<std::string>& args);
int products(const std::vector<std::string>& args);
// "tavlo copy-invoice", "tavlo print-invoice" and "tavlo invoices": the invoice register's
// commands.
int copyInvoice(const std::vector<std::string>& args);
int printInvoice(const std::vector<std::string>& args);
int ehf(const std::vector<std::string>& args);
int invoices(const std::vector<std::string>& args);
// "tavlo archive": marked invoices into the archive pair, or archived ones back.
int archive(const std::vector<std::string>& args);
// "tavlo generate": invoices from billing bases.
int generate(const std::vector<std::string>& args);
// "tavlo report": the printed lists as PDF files.
int report(const std::vector<std::string>& args);
// "tavlo statistics": the invoice statistics of one year.
int statistics(const std::vector<std::string>& args);
// "tavlo ocr-import": the bank's OCR giro file of KID payments.
int ocrImport(const std::vector<std::string>& args);

} // namespace tavlo::cli
