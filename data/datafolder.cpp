#include "data/datafolder.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "data/context.h"
#include "data/globals.h"
#include "framework/answer.h"

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
            first_ = oneLine(m.caption.empty() ? m.text : m.caption + ": " + m.text);
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
    // As the console shows a message: "|" breaks no line, and blanks do not pile up.
    static std::string oneLine(const std::string& s)
    {
        std::string out;
        for (char c : s) {
            if (c == '|')
                c = ' ';
            if (c != ' ' || out.empty() || out.back() != ' ')
                out += c;
        }
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out;
    }
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

bool fill(Context& ctx, Creation& creation)
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
    int level = par.INSERT();
    par.CLOSE();
    return level == LEVEL_BENIGN;
}

} // namespace

bool isDataFolder(const std::string& dir, std::string& message)
{
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        message = "Datamappen finnes ikke: " + dir;
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
        ok = ok && fill(ctx, creation);
    }
    if (!ok) {
        creation.note();
        creation.undo();
        if (madeFolder)
            fs::remove(dir, ec); // only when still empty
        message = collector.text();
        if (message.empty())
            message = "Datamappen " + dir + " kunne ikke opprettes.";
        return false;
    }
    creation.report();
    return true;
}

} // namespace tavlo
