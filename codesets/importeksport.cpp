#include "codesets/importeksport.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

#include "data/context.h"
#include "data/exchange.h"
#include "data/globals.h"
#include "framework/date.h"
#include "framework/text.h"
#include "framework/transaction.h"

namespace tavlo {
namespace fs = std::filesystem;
namespace {

constexpr const char* kProcedure = "IMPORTEKSPORTKODEVERK";

// What the record store said last, as the runtime words it.
std::string storeErrorText(Context& ctx)
{
    const ErrorState& s = ctx.errorState();
    std::string text = s.currentErrorText.empty() ? "Ukjent feil" : s.currentErrorText;
    if (!s.currentFileErrorText.empty())
        text += " (" + s.currentFileErrorText + ")";
    return text;
}

std::string codeName(int32_t group, int32_t nr)
{
    return "gruppe " + std::to_string(group) + ", nr " + std::to_string(nr);
}

bool yes(Context& ctx, const std::string& question)
{
    return say(ctx, question, "Advarsel", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO) ==
           BUTTON_YES;
}

bool sameText(const std::string& a, const char* b)
{
    return text::upper(a) == text::upper(b);
}

// Writes go to the table in transactions of kSize records: one durable write per record would
// make a large file take minutes, and another user's write to the table waits for one batch at
// most. What a batch wrote stays when a later record fails.
class Batch {
  public:
    static constexpr int kSize = 500;

    Batch(Context& ctx, FileManager& m) : ctx_(ctx), m_(m) {}
    ~Batch() { commit(false); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // Before a write. False after saying why.
    bool ready()
    {
        if (tx_)
            return true;
        tx_.emplace(ctx_);
        StoreError err;
        if (tx_->enlist(m_, err) && tx_->begin(err))
            return true;
        tx_.reset();
        report(err);
        return false;
    }
    // After a write.
    bool wrote() { return ++written_ < kSize || commit(); }
    bool commit(bool tell = true)
    {
        if (!tx_)
            return true;
        StoreError err;
        bool ok = tx_->commit(err);
        tx_.reset();
        written_ = 0;
        if (!ok && tell)
            report(err);
        return ok;
    }

  private:
    void report(const StoreError& err)
    {
        recordStoreError(ctx_.errorState(), err);
        say(ctx_, storeErrorText(ctx_), "Feil", Icon::Hand);
    }

    Context& ctx_;
    FileManager& m_;
    std::optional<Transaction> tx_;
    int written_ = 0;
};

int64_t recordCount(FileManager& m)
{
    StoreError err;
    int64_t n = m.file() ? m.file()->count(err) : 0;
    return n > 0 ? n : 0;
}

} // namespace

// One run of the window: registered with the error manager, never two at once (a view that lets
// its events run during a run could otherwise start another from a button).
class ImportEksportKodeverk::Run {
  public:
    explicit Run(ImportEksportKodeverk& w) : w_(w), scope_(w.ctx_, kProcedure), ok_(!w.running_)
    {
        if (!ok_)
            return;
        w_.running_ = true;
        w_.progress_ = 0;
        w_.counter_ = 0;
        w_.leftOut_ = 0;
        w_.firstLeftOut_.clear();
        w_.setProgress(0, 1);
    }
    ~Run()
    {
        if (!ok_)
            return;
        w_.running_ = false;
        if (w_.progressChanged)
            w_.progressChanged();
    }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    bool ok() const { return ok_; }

  private:
    ImportEksportKodeverk& w_;
    ProcedureScope scope_;
    bool ok_;
};

ImportEksportKodeverk::ImportEksportKodeverk(Context& ctx) : ctx_(ctx)
{
    std::error_code ec;
    fs::path here = fs::current_path(ec);
    GLO::ASCIIKODEVERKPTH = (ec ? fs::path("KODEVERK.TXT") : here / "KODEVERK.TXT").string();
}

std::string& ImportEksportKodeverk::fileName()
{
    return GLO::ASCIIKODEVERKPTH;
}

bool ImportEksportKodeverk::inRange(int32_t group, int32_t nr) const
{
    return (fromGroup == 0 || group >= fromGroup) && (toGroup == 0 || group <= toGroup) &&
           (fromNr == 0 || nr >= fromNr) && (toNr == 0 || nr <= toNr);
}

void ImportEksportKodeverk::setProgress(uint64_t done, uint64_t total)
{
    int now = total == 0 ? 100 : static_cast<int>(std::min<uint64_t>(done * 100 / total, 100));
    // Redrawn per percent, not per record: a view repainting five thousand times is slow.
    if (now == progress_ && done != 0)
        return;
    progress_ = now;
    if (progressChanged)
        progressChanged();
}

void ImportEksportKodeverk::leaveOut(const std::string& where, const std::string& problem)
{
    if (leftOut_++ == 0)
        firstLeftOut_ = where + ": " + problem;
}

void ImportEksportKodeverk::sayLeftOut(const char* what)
{
    if (leftOut_ > 0)
        say(ctx_,
            std::string(what) + ": " + std::to_string(leftOut_) + " (første: " + firstLeftOut_ +
                ")",
            "Advarsel", Icon::Exclamation);
}

ImportEksportKodeverk::Outcome ImportEksportKodeverk::importFile()
{
    Run run(*this);
    if (!run.ok())
        return Outcome::Declined;
    const std::string file = fileName();
    if (!confirmed &&
        !yes(ctx_, overwrite ? "Eksisterende kodeverksposter vil eventuelt bli overskrevet og nye "
                               "kodeverksposter vil bli lagt til. Vil du fortsette"
                             : "Nye kodeverksposter vil bli lagt til. Vil du fortsette"))
        return Outcome::Declined;
    std::error_code ec;
    if (!fs::exists(file, ec))
        say(ctx_, "Finner ikke filen " + file, "Feil", Icon::Hand);
    std::string program, version, headerId;
    int32_t exported = 0;
    if (HENTHEADER(ctx_, file, program, version, headerId, exported, !confirmed) != 1)
        return Outcome::Failed;
    struct Expected {
        const std::string& read;
        const char* wanted;
        const char* otherwise;
    };
    for (const Expected& e : {Expected{program, codeline::kProgram, "Feil applikasjon: "},
                              Expected{headerId, codeline::kHeaderId, "Feil tabell: "},
                              Expected{version, codeline::kVersion, "Feil versjon: "}}) {
        if (!sameText(e.read, e.wanted)) {
            say(ctx_, e.otherwise + e.read, "Feil", Icon::Hand);
            return Outcome::Failed;
        }
    }

    FileManager& kod = ctx_.access(Tbl::KODEVERK);
    kod.OPEN();
    if (kod.USEFILE() != LEVEL_BENIGN) {
        kod.CLOSE();
        return Outcome::Failed;
    }
    LineReader in(file);
    if (!in.isOpen()) {
        sayFileError(ctx_, file);
        kod.CLOSE();
        return Outcome::Failed;
    }
    const uint64_t size = fs::file_size(file, ec);
    Outcome outcome = Outcome::Completed;
    {
        Batch batch(ctx_, kod);
        Record fromLine(table(Tbl::KODEVERK));
        std::string line, problem;
        in.next(line); // the header
        for (long lineNo = 2; in.next(line); ++lineNo) {
            setProgress(in.bytesRead(), size);
            int32_t group = 0, nr = 0;
            if (!codeline::key(line, group, nr)) {
                leaveOut("linje " + std::to_string(lineNo), "gruppe eller nr kan ikke leses");
                continue;
            }
            if (!inRange(group, nr))
                continue;
            // Read in full before the table is looked at: a damaged line changes nothing.
            if (!codeline::parse(line, fromLine, &problem)) {
                leaveOut("linje " + std::to_string(lineNo), problem);
                continue;
            }
            ++counter_;
            kod.rec().clear();
            kod.rec().set(KOD::GRUPPE, group);
            kod.rec().set(KOD::NR, nr);
            const bool found = kod.TRYFETCH(KOD::KeyGruppe_Nr) == LEVEL_BENIGN;
            if (found && !overwrite) {
                --counter_;
                continue;
            }
            // A code without group or number is counted but never stored.
            if (group == 0 || nr == 0)
                continue;
            kod.rec().copyFrom(fromLine);
            if (!batch.ready()) {
                outcome = Outcome::Failed;
                break;
            }
            if ((found ? kod.TRYUPDATE() : kod.TRYINSERT()) != LEVEL_BENIGN) {
                say(ctx_, storeErrorText(ctx_) + " (" + codeName(group, nr) + ")", "Feil",
                    Icon::Hand);
                outcome = Outcome::Failed;
                break;
            }
            if (!batch.wrote()) {
                outcome = Outcome::Failed;
                break;
            }
        }
        if (outcome == Outcome::Completed && in.failed()) {
            sayFileError(ctx_, file);
            outcome = Outcome::Failed;
        }
        if (!batch.commit())
            outcome = Outcome::Failed;
    }
    kod.CLOSE();
    if (outcome != Outcome::Completed)
        return outcome;
    setProgress(size, size);
    sayLeftOut("Linjer i filen som var skadet og ikke ble lest inn");
    say(ctx_, "Importen er fullført", "Info", Icon::Information);
    return Outcome::Completed;
}

ImportEksportKodeverk::Outcome ImportEksportKodeverk::exportFile()
{
    Run run(*this);
    if (!run.ok())
        return Outcome::Declined;
    const std::string file = fileName();
    std::error_code ec;
    if (fs::exists(file, ec) && !confirmed &&
        !yes(ctx_, "Filen " + file + " finnes fra før. Vil du overskrive filen"))
        return Outcome::Declined;
    if (LAGHEADER(ctx_, file, codeline::kProgram, codeline::kHeaderId, codeline::kVersion,
                  date::today(), true) != 1)
        return Outcome::Failed;
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out) {
        sayFileError(ctx_, file);
        return Outcome::Failed;
    }
    FileManager& kod = ctx_.access(Tbl::KODEVERK);
    kod.OPEN();
    if (kod.USEFILE() != LEVEL_BENIGN) {
        kod.CLOSE();
        return Outcome::Failed;
    }
    const int64_t total = recordCount(kod);
    Outcome outcome = Outcome::Completed;
    std::string problem;
    kod.SET(KOD::KeyGruppe_Nr);
    for (;;) {
        if (kod.NEXT() != LEVEL_BENIGN) {
            if (!kod.GETEOF())
                outcome = Outcome::Failed; // the record store has said why
            break;
        }
        const Record& r = kod.rec();
        if (!inRange(r.get(KOD::GRUPPE), r.get(KOD::NR)))
            continue;
        auto line = codeline::format(r, &problem);
        if (!line) {
            leaveOut(codeName(r.get(KOD::GRUPPE), r.get(KOD::NR)), problem);
            continue;
        }
        ++counter_;
        out << *line << "\r\n";
        if (!out) {
            sayFileError(ctx_, file);
            outcome = Outcome::Failed;
            break;
        }
        setProgress(counter_, total);
    }
    kod.CLOSE();
    out.close();
    if (outcome == Outcome::Completed && !out) {
        sayFileError(ctx_, file);
        outcome = Outcome::Failed;
    }
    if (outcome != Outcome::Completed)
        return outcome;
    sayLeftOut("Kodeverksposter som ikke passer i filens kolonner og ble utelatt");
    say(ctx_, "Eksporten er fullført", "Info", Icon::Information);
    return Outcome::Completed;
}

ImportEksportKodeverk::Outcome ImportEksportKodeverk::deleteCodes()
{
    Run run(*this);
    if (!run.ok())
        return Outcome::Declined;
    if (!confirmed && !yes(ctx_, "Angitte kodeverksposter vil bli slettet. Vil du fortsette"))
        return Outcome::Declined;
    RelationManager& relate = ctx_.relate(Tbl::KODEVERK);
    relate.OPEN();
    FileManager& kod = relate.me();
    if (kod.USEFILE() != LEVEL_BENIGN) {
        relate.CLOSE();
        return Outcome::Failed;
    }
    const int64_t total = recordCount(kod);
    Outcome outcome = Outcome::Completed;
    {
        // Asked about each record, the user is the slow part, and no batch may hold the table
        // while a question waits; unasked, the deletions go in batches.
        Batch batch(ctx_, kod);
        kod.SET(KOD::KeyGruppe_Nr);
        for (;;) {
            if (kod.NEXT() != LEVEL_BENIGN) {
                if (!kod.GETEOF())
                    outcome = Outcome::Failed;
                break;
            }
            if (!inRange(kod.rec().get(KOD::GRUPPE), kod.rec().get(KOD::NR)))
                continue;
            ++counter_;
            if ((confirmed && !batch.ready()) || relate.DELETE(!confirmed) != LEVEL_BENIGN ||
                (confirmed && !batch.wrote())) {
                outcome = Outcome::Failed;
                break;
            }
            setProgress(counter_, total);
        }
        if (!batch.commit())
            outcome = Outcome::Failed;
    }
    relate.CLOSE();
    if (outcome != Outcome::Completed) {
        say(ctx_, "Det oppstod feil under sletting", "Feil", Icon::Hand);
        return outcome;
    }
    say(ctx_, "Slettingen er fullført", "Info", Icon::Information);
    return Outcome::Completed;
}

} // namespace tavlo
