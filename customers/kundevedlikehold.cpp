#include "customers/kundevedlikehold.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

#include "data/context.h"
#include "data/exchange.h"
#include "data/globals.h"
#include "framework/openmanagers.h"
#include "framework/transaction.h"

namespace tavlo {
namespace fs = std::filesystem;
using deltekst::Type;
using exchange::fileError;
using exchange::storeError;

namespace {

constexpr const char* kProcedure = "KUNDEVEDLIKEHOLD";
constexpr const char* kPostType = "POSTTYPE";

// One field of the exchange record: the customer's field or memo it carries, and whether a
// contact line carries the contact's field of the same name.
struct Column {
    std::string name;
    Type type;
    int width;
    bool contact;
};

std::vector<Column> columns()
{
    std::vector<Column> c = {
        {kPostType, Type::Text, 0, false},
        {"IMPORTBATCHNR", Type::Integer, 10, false},
        {"KUNDEID", Type::Integer, 10, false}, // a contact line has its KONTAKTID here
        {"REGISTRERINGSDATO", Type::Date, 10, false},
        {"NAVN", Type::Text, 50, true},
        {"ADRESSE", Type::Text, 50, true},
        {"ADRESSE2", Type::Text, 50, true},
        {"POSTNR", Type::Integer, 10, true},
        {"TELEFON", Type::Text, 20, true},
        {"MOBIL", Type::Text, 20, true},
        {"FAKS", Type::Text, 20, true},
        {"EMAIL", Type::Text, 128, true},
        {"HOVEDKONTAKT", Type::Integer, 10, false},
        {"BETALINGSBETINGELSER", Type::Integer, 10, false},
        {"LEVERINGSMATE", Type::Integer, 10, false},
        {"KUNDEGRUPPE", Type::Integer, 10, false},
        {"KREDITTGRENSE", Type::Decimal, 15, false},
        {"DIV", Type::Text, 1000, true},
    };
    for (int i = 1; i <= 10; ++i)
        c.push_back({"HELTALL" + std::to_string(i), Type::Integer, 10, false});
    for (int i = 1; i <= 5; ++i)
        c.push_back({"DESIMALTALL" + std::to_string(i), Type::Decimal, 15, false});
    for (int i = 1; i <= 5; ++i)
        c.push_back({"TEKST" + std::to_string(i), Type::Text, 50, false});
    return c;
}

const std::vector<Column>& kColumns()
{
    static const std::vector<Column> c = columns();
    return c;
}

// Where a column's value sits in a record of KUNDE or KONTAKT.
exchange::Place placeIn(const Record& r, const Column& c)
{
    if (r.decl().base == Tbl::KONTAKT && c.name == "KUNDEID")
        return exchange::placeOf(r, "KONTAKTID");
    if (c.name != kPostType && (r.decl().base == Tbl::KUNDE || c.contact))
        return exchange::placeOf(r, c.name);
    return {};
}

// Every column's place in KUNDE or KONTAKT, looked up once: by name it would cost more than
// the rest of a line.
const std::vector<exchange::Place>& placesIn(const TableDecl& decl)
{
    static const auto of = [](Tbl t) {
        const Record r(table(t));
        std::vector<exchange::Place> out;
        for (const Column& c : kColumns())
            out.push_back(placeIn(r, c));
        return out;
    };
    static const std::vector<exchange::Place> kunde = of(Tbl::KUNDE), kontakt = of(Tbl::KONTAKT);
    return decl.base == Tbl::KUNDE ? kunde : kontakt;
}

// The customer's or contact's values as the line's texts; a column the table does not carry
// stays empty.
std::vector<deltekst::Value> lineOf(const Record& r, const char* postType)
{
    std::vector<deltekst::Value> out;
    out.reserve(kColumns().size());
    const std::vector<exchange::Place>& places = placesIn(r.decl());
    for (std::size_t i = 0; i < kColumns().size(); ++i) {
        const Column& c = kColumns()[i];
        out.push_back(c.name == kPostType ? deltekst::Value(std::string(postType))
                                          : exchange::valueOf(r, places[i], c.type));
    }
    return out;
}

// Fills a cleared record from a line that the reader has checked. The record's own numbers
// (KUNDEID, KONTAKTID) are left for the store to give. False when a decimal does not fit its
// field: `problem` says which.
bool fill(Record& r, const std::vector<std::string>& fields, std::string& problem)
{
    const auto& cols = kColumns();
    const std::vector<exchange::Place>& places = placesIn(r.decl());
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const Column& c = cols[i];
        if (c.name != "KUNDEID" &&
            !exchange::store(r, places[i], c.type, c.name, fields[i], problem))
            return false;
    }
    return true;
}

} // namespace

const deltekst::Layout& KundeVedlikehold::layout()
{
    static const deltekst::Layout l = [] {
        const Record kunde(table(Tbl::KUNDE));
        deltekst::Layout out;
        for (const Column& c : kColumns())
            out.push_back({c.name, c.type,
                           exchange::fittedWidth(kunde, placeIn(kunde, c), c.type, c.width),
                           c.type == Type::Decimal ? 2 : 0});
        return out;
    }();
    return l;
}

KundeVedlikehold::KundeVedlikehold(Context& ctx) : Run(ctx, GLO::KUNDEIMPORTPTH, "KUNDE.TXT") {}

KundeVedlikehold::Outcome KundeVedlikehold::exportFile()
{
    ProcedureScope scope(ctx_, kProcedure);
    counter_ = 0;
    const std::string file = fileName();
    std::ofstream out;
    if (Outcome o = exchange::createExportFile(ctx_, file, confirmed, out); o != Outcome::Completed)
        return o;
    OpenManagers opened{&ctx_.access(Tbl::KUNDE), &ctx_.access(Tbl::KONTAKT)};
    FileManager& kun = ctx_.access(Tbl::KUNDE);
    FileManager& kon = ctx_.access(Tbl::KONTAKT);
    if (kun.USEFILE() != LEVEL_BENIGN || kon.USEFILE() != LEVEL_BENIGN)
        return Outcome::Failed; // the record store has said why
    deltekst::Writer writer(options);
    std::string problem;
    auto write = [&](const Record& r, const char* type) {
        auto line = writer.format(lineOf(r, type), &problem);
        if (!line) {
            exchange::sayError(ctx_, "Det oppsto feil under eksport:|" + problem + " (" +
                                         (r.decl().base == Tbl::KUNDE ? "kunde " : "kontakt ") +
                                         std::to_string(r.num(0)) + ")");
            return false;
        }
        errno = 0;
        out << *line;
        if (!out) {
            exchange::sayExportError(ctx_);
            return false;
        }
        count();
        return true;
    };
    // Both tables walked once, side by side: contacts in customer number order, each customer's
    // by name. A contact read past the customer waits in the buffer for the next one; a contact
    // whose customer is gone is passed over.
    kun.SET(KUN::KeyKundeId);
    kon.SET(KON::KeyKundeId_Navn);
    bool contactWaits = false, contactsLeft = true;
    for (;;) {
        if (kun.NEXT() != LEVEL_BENIGN) {
            if (!kun.GETEOF())
                return Outcome::Failed;
            break;
        }
        if (!write(kun.rec(), "1"))
            return Outcome::Failed;
        const int32_t id = kun.rec().get(KUN::KUNDEID);
        while (contactsLeft) {
            if (!contactWaits) {
                if (kon.NEXT() != LEVEL_BENIGN) {
                    if (!kon.GETEOF())
                        return Outcome::Failed;
                    contactsLeft = false;
                    break;
                }
                contactWaits = true;
            }
            const int32_t owner = kon.rec().get(KON::KUNDEID);
            if (owner > id)
                break;
            contactWaits = false;
            if (owner == id && !write(kon.rec(), "2"))
                return Outcome::Failed;
        }
    }
    return exchange::finishExport(ctx_, out, writer);
}

KundeVedlikehold::Outcome KundeVedlikehold::importFile()
{
    ProcedureScope scope(ctx_, kProcedure);
    counter_ = 0;
    const std::string file = fileName();
    if (!confirmed &&
        !exchange::askYes(ctx_, "Nye Kunder og Kontaktpersoner vil bli lagt til. Vil du fortsette"))
        return Outcome::Declined;
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        exchange::sayError(ctx_, "Finner ikke filen " + file);
        return Outcome::Failed;
    }
    OpenManagers opened{&ctx_.access(Tbl::KUNDE), &ctx_.access(Tbl::KONTAKT)};
    FileManager& kun = ctx_.access(Tbl::KUNDE);
    FileManager& kon = ctx_.access(Tbl::KONTAKT);
    // A contact line before the first customer line goes with the customer stored last.
    struct Ready {
        FileManager& m;
        KeyRef key;
        const char* text;
    };
    for (const Ready& r :
         {Ready{kun, KUN::KeyKundeId, "Det oppsto feil under klargjøring av KUNDE for import"},
          Ready{kon, KON::KeyKontaktId,
                "Det oppsto feil under klargjøring av KONTAKT for import"}}) {
        r.m.rec().clear();
        if (r.m.USEFILE() != LEVEL_BENIGN) {
            exchange::sayError(ctx_, r.text);
            return Outcome::Failed;
        }
        r.m.SET(r.key);
        if (r.m.TRYPREVIOUS() != LEVEL_BENIGN) {
            if (!r.m.GETEOF()) {
                exchange::sayError(ctx_, r.text);
                return Outcome::Failed;
            }
            r.m.rec().clear();
        }
    }
    int32_t customerId = kun.rec().get(KUN::KUNDEID);

    deltekst::Reader in = deltekst::Reader::open(file, layout(), options);
    if (!in.isOpen()) {
        exchange::sayError(ctx_, "Det oppsto feil under åpning av filen: " + file + "|" +
                                     fileError(in.errorNumber()));
        return Outcome::Failed;
    }
    // Customers and contacts in one transaction: a contact must never stay behind pointing at
    // a customer number that a rollback has freed for the next customer stored.
    Transaction tx(ctx_);
    StoreError err;
    if (!tx.enlist(kun, err) || !tx.enlist(kon, err) || !tx.begin(err)) {
        exchange::sayError(ctx_,
                           "Det oppsto feil under klargjøring til import.|" + storeError(err));
        return Outcome::Failed;
    }
    auto stop = [&](const std::string& text) {
        tx.rollback();
        counter_ = 0;
        if (progressChanged)
            progressChanged();
        exchange::sayError(ctx_, text);
        return Outcome::Failed;
    };
    const std::string damaged = "Importen er avbrutt pga feil i importfil: ";
    std::string problem;
    for (deltekst::ReadResult line = in.next(); line.status != deltekst::ReadResult::End;
         line = in.next()) {
        const std::string where = "|Linje " + std::to_string(line.line);
        if (line.status == deltekst::ReadResult::Error)
            return stop(damaged + line.problem + where);
        const std::string type = line.fields[0];
        if (type == "1") {
            kun.rec().clear();
            if (!fill(kun.rec(), line.fields, problem))
                return stop(damaged + problem + where);
            if (kun.TRYINSERT() != LEVEL_BENIGN)
                return stop("Det oppsto feil under import av kunde " + std::to_string(counter_) +
                            "|" + storeError(ctx_));
            customerId = kun.rec().get(KUN::KUNDEID);
        } else if (type == "2") {
            kon.rec().clear();
            if (!fill(kon.rec(), line.fields, problem))
                return stop(damaged + problem + where);
            kon.rec().set(KON::KUNDEID, customerId);
            if (kon.TRYINSERT() != LEVEL_BENIGN)
                return stop("Det oppsto feil under import av kontakt " + std::to_string(counter_) +
                            "|" + storeError(ctx_));
        } else {
            return stop(damaged + "Ukjent pottype" + where);
        }
        count();
    }
    if (!tx.commit(err)) {
        counter_ = 0;
        exchange::sayError(ctx_, "Det oppsto feil under lagring av importen.|" + storeError(err));
        return Outcome::Failed;
    }
    say(ctx_, "Importen er fullført", "Info", Icon::Information);
    return Outcome::Completed;
}

} // namespace tavlo
