#include "data/datafolder.h"

#include <cerrno>
#include <filesystem>
#include <set>
#include <system_error>

#include "data/context.h"
#include "data/exchange.h"
#include "data/globals.h"
#include "data/parameters.h"
#include "framework/answer.h"
#include "framework/installation.h"
#include "framework/text.h"
#include "framework/transaction.h"

namespace tavlo {
namespace fs = std::filesystem;
namespace {

// Keeps what the record store reports, so that the caller can pass it on as its own message
// (the desktop shows it in a box, the command line prints it) instead of it being shown here.
class Collector : public AnswerService {
  public:
    unsigned message(const Message& m) override
    {
        if (first_.empty())
            first_ = oneLine(m);
        // Nobody to ask: a question is answered no, so nothing is retried or confirmed.
        return (m.buttons & BUTTON_NO) ? BUTTON_NO : m.defaultButton;
    }
    // A fatal error has been shown; its reason reads better than the box text.
    void halt(const std::string& reason) override
    {
        if (halt_.empty())
            halt_ = oneLine(reason);
    }
    std::string text() const { return halt_.empty() ? first_ : halt_; }

  private:
    std::string first_, halt_;
};

// Switches to the other pair of invoice files for as long as it lives.
class OtherInvoiceFiles {
  public:
    OtherInvoiceFiles() : was_(GLO::ARKIV_AKTIV != 0) { GLO::setArchiveMode(!was_); }
    ~OtherInvoiceFiles() { GLO::setArchiveMode(was_); }
    OtherInvoiceFiles(const OtherInvoiceFiles&) = delete;
    OtherInvoiceFiles& operator=(const OtherInvoiceFiles&) = delete;

  private:
    bool was_;
};

std::set<std::string> filesIn(const std::string& dir)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        names.insert(e.path().filename().string());
    return names;
}

// Opening a table through its manager makes a missing file and checks an existing one.
bool makeReady(Context& ctx, Tbl t)
{
    FileManager& fm = ctx.access(t);
    fm.OPEN();
    int level = fm.USEFILE();
    fm.CLOSE();
    return level == LEVEL_BENIGN;
}

class Creation {
  public:
    Creation(const std::string& dir, std::vector<std::string>* created)
        : dir_(dir), before_(filesIn(dir)), created_(created)
    {
    }

    // Notes the files that appeared since the last call.
    void note()
    {
        for (const auto& name : filesIn(dir_))
            if (!before_.count(name)) {
                before_.insert(name);
                made_.push_back(name);
            }
    }

    void undo()
    {
        std::error_code ec;
        for (const auto& name : made_)
            fs::remove(fs::path(dir_) / name, ec);
        made_.clear();
    }

    void report() const
    {
        if (created_)
            for (const auto& name : made_)
                created_->push_back((fs::path(dir_) / name).string());
    }

  private:
    std::string dir_;
    std::set<std::string> before_;
    std::vector<std::string> made_;
    std::vector<std::string>* created_;
};

// The standard codes, all or none: one transaction, and a damaged file stops the creation.
bool loadStandardCodes(Context& ctx, std::string& why)
{
    const std::string file = standardCodeFile();
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        why = "Finner ikke standardkodefilen " + file;
        return false;
    }
    std::string program, version, headerId;
    int32_t date = 0;
    if (HENTHEADER(ctx, file, program, version, headerId, date, false) != 1)
        return false;
    if (text::upper(program) != text::upper(codeline::kProgram) ||
        text::upper(headerId) != text::upper(codeline::kHeaderId) ||
        text::upper(version) != text::upper(codeline::kVersion)) {
        why =
            "Standardkodefilen " + file + " er ingen kodeverksfil av versjon " + codeline::kVersion;
        return false;
    }
    LineReader in(file);
    std::string line;
    in.next(line); // the header
    FileManager& kod = ctx.access(Tbl::KODEVERK);
    kod.OPEN();
    bool ok = true;
    {
        Transaction tx(ctx);
        StoreError err;
        ok = tx.enlist(kod, err) && tx.begin(err);
        for (long lineNo = 2; ok && in.next(line); ++lineNo) {
            std::string problem;
            if (!codeline::parse(line, kod.rec(), &problem)) {
                why = "Standardkodefilen " + file + " er skadet på linje " +
                      std::to_string(lineNo) + ": " + problem;
                ok = false;
            } else if (kod.rec().get(KOD::GRUPPE) != 0 && kod.rec().get(KOD::NR) != 0 &&
                       kod.TRYINSERT() != LEVEL_BENIGN &&
                       ctx.errorState().currentErrorCode != ERR_DUPLICATE_KEY) {
                // A code the folder has already (tables made before, without parameters) is
                // the user's and stays as it is.
                why = "Standardkoden " + std::to_string(kod.rec().get(KOD::GRUPPE)) + "/" +
                      std::to_string(kod.rec().get(KOD::NR)) +
                      " kunne ikke legges til: " + ctx.errorState().currentErrorText;
                ok = false;
            }
        }
        if (ok && in.failed()) {
            why = fileErrorText(errno) + ": " + file;
            ok = false;
        }
        ok = ok && tx.commit(err);
    }
    kod.CLOSE();
    return ok;
}

bool fill(Context& ctx, Creation& creation, std::string& why)
{
    for (const TableDecl* t : allTables()) {
        if (t->isAlias())
            continue;
        if (!makeReady(ctx, t->id))
            return false;
        creation.note();
    }
    {
        OtherInvoiceFiles archive;
        for (Tbl t : {Tbl::FAKTURA, Tbl::FAKLINJE}) {
            if (!makeReady(ctx, t))
                return false;
            creation.note();
        }
    }

    FileManager& par = ctx.access(Tbl::PARAM);
    par.OPEN();
    Record& r = par.rec();
    r.clear();
    r.set(PAR::FORHANDSVISNING, 1);
    r.set(PAR::STDMVASATS, 25);
    r.set(PAR::STDMVATYPE, 1);
    r.set(PAR::ANTALLFAKTURAER, 1);
    r.set(PAR::BESKRIVELSEPLASSERING_FAKTURALINJE, 2);
    r.set(PAR::BESKRIVELSEPLASSERING_FAKTURA, 2);
    r.set(PAR::FAKTURATYPE, 1);
    r.set(PAR::STDSTATUSFAKTURA, 1);
    r.set(PAR::STDSTATUSKREDITNOTA, 2);
    standardOppsett(r);
    int level = par.INSERT();
    par.CLOSE();
    return level == LEVEL_BENIGN && loadStandardCodes(ctx, why);
}

} // namespace

std::vector<std::string> earlierVersionTables(const std::string& dir)
{
    std::vector<std::pair<std::string, const TableDecl*>> files;
    for (const TableDecl* t : allTables())
        if (!t->isAlias())
            files.emplace_back(t->fileName, t);
    files.emplace_back("BAKTURA.TPS", &table(Tbl::FAKTURA));
    files.emplace_back("BAKLINJE.TPS", &table(Tbl::FAKLINJE));
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& [name, decl] : files) {
        const fs::path file = fs::path(dir) / name;
        FileIdentity id;
        StoreError err;
        if (TableFile::identify(file.string(), id, err)) {
            if (!id.layout.empty() && id.layout != recordLayout(*decl))
                found.push_back(name);
        } else if (err.status == StoreStatus::NOT_FOUND &&
                   fs::exists(fs::path(file).replace_extension(".300"), ec)) {
            found.push_back(fs::path(file).replace_extension(".300").filename().string());
        }
    }
    return found;
}

bool isDataFolder(const std::string& dir, std::string& message)
{
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        message = "Datamappen finnes ikke: " + dir;
        return false;
    }
    if (auto earlier = earlierVersionTables(dir); !earlier.empty()) {
        std::string names;
        for (const auto& n : earlier)
            names += (names.empty() ? "" : ", ") + n;
        message = "Datamappen " + dir + " har tabeller fra en tidligere versjon av Tavlo (" +
                  names + "). Konverter den først med omlegg.";
        return false;
    }
    fs::path param = fs::path(dir) / table(Tbl::PARAM).fileName;
    // An empty file would be made into a table on opening.
    if (!fs::is_regular_file(param, ec) || fs::file_size(param, ec) == 0 || ec) {
        message = "Mappen " + dir + " er ingen datamappe (" + table(Tbl::PARAM).fileName +
                  " mangler). Opprett den med: tavlo init " + dir;
        return false;
    }
    return true;
}

std::string standardCodeFile()
{
    return dataFile("KODNY40.TXT");
}

int findParamRecord(Context& ctx, bool& found)
{
    found = false;
    FileManager& par = ctx.access(Tbl::PARAM);
    par.OPEN();
    par.SET(PAR::KeyParameterId);
    int level = par.NEXT();
    if (level == LEVEL_BENIGN)
        found = true;
    else if (par.GETEOF())
        level = LEVEL_BENIGN;
    par.CLOSE();
    return level;
}

bool createDataFolder(const std::string& dir, std::string& message,
                      std::vector<std::string>* created)
{
    message.clear();
    if (GLO::OWNERNAME != GLO::kOwnerPassword) {
        message = "Eierpassordet er ikke satt; parametertabellen kan ikke opprettes.";
        return false;
    }
    std::error_code ec;
    bool madeFolder = false;
    if (!fs::exists(dir, ec)) {
        madeFolder = fs::create_directories(dir, ec);
        if (ec) {
            message = "Kan ikke opprette mappen " + dir + ": " + ec.message();
            return false;
        }
    } else if (!fs::is_directory(dir, ec)) {
        message = dir + " er ingen mappe.";
        return false;
    }
    setDataFolder(dir);

    Collector collector;
    ErrorClass errors(&collector);
    Creation creation(dir, created);
    std::string why;
    bool ok = true;
    {
        Context ctx(&errors);
        ProcedureScope scope(ctx, "OPPRETTDATAMAPPE");
        fs::path param = fs::path(dir) / table(Tbl::PARAM).fileName;
        if (fs::exists(param, ec)) {
            bool found = false;
            if (findParamRecord(ctx, found) != LEVEL_BENIGN) {
                ok = false;
            } else if (found) {
                message = "Mappen " + dir +
                          " er allerede en datamappe: " + table(Tbl::PARAM).fileName +
                          " har en parameterpost.";
                return false;
            }
        }
        ok = ok && fill(ctx, creation, why);
    }
    if (!ok) {
        creation.note();
        creation.undo();
        if (madeFolder)
            fs::remove(dir, ec); // only when still empty
        message = why.empty() ? collector.text() : why;
        if (message.empty())
            message = "Datamappen " + dir + " kunne ikke opprettes.";
        return false;
    }
    creation.report();
    return true;
}

} // namespace tavlo
