#include "products/produktvedlikehold.h"

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "data/context.h"
#include "data/globals.h"
#include "framework/openmanagers.h"
#include "framework/transaction.h"

namespace tavlo {
namespace fs = std::filesystem;
using deltekst::Type;
using exchange::fileError;
using exchange::storeError;

namespace {

constexpr const char* kProcedure = "PRODUKTVEDLIKEHOLD";

struct Column {
    std::string name;
    Type type;
    int width;
};

std::vector<Column> columns()
{
    std::vector<Column> c = {
        {"IMPORTBATCHNR", Type::Integer, 10},
        {"PRODUKTID", Type::Integer, 10}, // written, never read back: numbered anew
        {"NAVN", Type::Text, 50},
        {"PRODUKTGRUPPE", Type::Integer, 10},
        {"ENHETSBENEVNING", Type::Text, 20},
        {"ENHETSPRIS", Type::Decimal, 15},
        {"MVAPLIKTIG", Type::Integer, 3},
        {"MVASATS", Type::Integer, 10},
        {"STDFAKTURALINJEANTALL", Type::Decimal, 15},
        {"STDFAKTURALINJERABATT", Type::Decimal, 15},
        {"BESKRIVELSE", Type::Text, 1000},
        {"DIV", Type::Text, 1000},
    };
    for (int i = 1; i <= 10; ++i)
        c.push_back({"HELTALL" + std::to_string(i), Type::Integer, 10});
    for (int i = 1; i <= 5; ++i)
        c.push_back({"DESIMALTALL" + std::to_string(i), Type::Decimal, 15});
    for (int i = 1; i <= 5; ++i)
        c.push_back({"TEKST" + std::to_string(i), Type::Text, 50});
    return c;
}

const std::vector<Column>& kColumns()
{
    static const std::vector<Column> c = columns();
    return c;
}

std::vector<deltekst::Value> lineOf(const Record& r)
{
    std::vector<deltekst::Value> out;
    for (const Column& c : kColumns()) {
        if (c.name == "MVAPLIKTIG")
            out.emplace_back(std::string(r.get(PRO::MVAPLIKTIG) ? "1" : "0"));
        else
            out.push_back(exchange::valueOf(r, exchange::placeOf(r, c.name), c.type));
    }
    return out;
}

// Fills a cleared product from a line that the reader has checked; PRO:PRODUKTID is left for
// the store to give. False when a number does not fit its field: `problem` says which.
bool fill(Record& r, const std::vector<std::string>& fields, std::string& problem)
{
    const auto& cols = kColumns();
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const Column& c = cols[i];
        if (c.name != "PRODUKTID" &&
            !exchange::store(r, exchange::placeOf(r, c.name), c.type, c.name, fields[i], problem))
            return false;
    }
    return true;
}

} // namespace

const deltekst::Layout& ProduktVedlikehold::layout()
{
    static const deltekst::Layout l = [] {
        const Record produkt(table(Tbl::PRODUKT));
        deltekst::Layout out;
        for (const Column& c : kColumns())
            out.push_back({c.name, c.type,
                           exchange::fittedWidth(produkt, exchange::placeOf(produkt, c.name),
                                                 c.type, c.width),
                           c.type == Type::Decimal ? 2 : 0});
        return out;
    }();
    return l;
}

ProduktVedlikehold::ProduktVedlikehold(Context& ctx)
    : Run(ctx, GLO::PRODUKTIMPORTPTH, "PRODUKT.TXT")
{
}

ProduktVedlikehold::Outcome ProduktVedlikehold::exportFile()
{
    ProcedureScope scope(ctx_, kProcedure);
    resetCount();
    const std::string file = fileName();
    std::ofstream out;
    if (Outcome o = exchange::createExportFile(ctx_, file, confirmed, out); o != Outcome::Completed)
        return o;
    FileManager& pro = ctx_.access(Tbl::PRODUKT);
    OpenManagers opened{&pro};
    if (pro.USEFILE() != LEVEL_BENIGN)
        return Outcome::Failed; // the record store has said why
    deltekst::Writer writer(options);
    std::string problem;
    pro.SET(PRO::KeyProduktId);
    for (;;) {
        if (pro.NEXT() != LEVEL_BENIGN) {
            if (!pro.GETEOF())
                return Outcome::Failed;
            break;
        }
        auto line = writer.format(lineOf(pro.rec()), &problem);
        if (!line) {
            exchange::sayError(ctx_, "Det oppsto feil under eksport:|" + problem + " (produkt " +
                                         std::to_string(pro.rec().get(PRO::PRODUKTID)) + ")");
            return Outcome::Failed;
        }
        errno = 0;
        out << *line;
        if (!out.flush()) {
            exchange::sayExportError(ctx_);
            return Outcome::Failed;
        }
        count();
    }
    return exchange::finishExport(ctx_, out, writer);
}

ProduktVedlikehold::Outcome ProduktVedlikehold::importFile()
{
    ProcedureScope scope(ctx_, kProcedure);
    resetCount();
    const std::string file = fileName();
    if (!confirmed && !exchange::askYes(ctx_, "Nye Produkter vil bli lagt til. Vil du fortsette"))
        return Outcome::Declined;
    std::error_code ec;
    if (!fs::exists(file, ec)) {
        exchange::sayError(ctx_, "Finner ikke filen " + file);
        return Outcome::Failed;
    }
    FileManager& pro = ctx_.access(Tbl::PRODUKT);
    OpenManagers opened{&pro};
    const char* notReady = "Det oppsto feil under klargjøring av PRODUKT for import";
    pro.rec().clear();
    if (pro.USEFILE() != LEVEL_BENIGN) {
        exchange::sayError(ctx_, notReady);
        return Outcome::Failed;
    }
    pro.SET(PRO::KeyProduktId);
    if (pro.TRYPREVIOUS() != LEVEL_BENIGN && !pro.GETEOF()) {
        exchange::sayError(ctx_, notReady);
        return Outcome::Failed;
    }

    deltekst::Reader in = deltekst::Reader::open(file, layout(), options);
    if (!in.isOpen()) {
        exchange::sayError(ctx_, "Det oppsto feil under åpning av filen: " + file + "|" +
                                     fileError(in.errorNumber()));
        return Outcome::Failed;
    }
    Transaction tx(ctx_);
    StoreError err;
    if (!tx.enlist(pro, err) || !tx.begin(err)) {
        exchange::sayError(ctx_,
                           "Det oppsto feil under klargjøring til import.|" + storeError(err));
        return Outcome::Failed;
    }
    auto stop = [&](const std::string& text) {
        tx.rollback();
        resetCount();
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
        pro.rec().clear();
        if (!fill(pro.rec(), line.fields, problem))
            return stop(damaged + problem + where);
        if (pro.TRYINSERT() != LEVEL_BENIGN)
            return stop("Det oppsto feil under import av produkt " + std::to_string(counter_) +
                        "|" + storeError(ctx_));
        count();
    }
    if (!tx.commit(err)) {
        resetCount();
        exchange::sayError(ctx_, "Det oppsto feil under lagring av importen.|" + storeError(err));
        return Outcome::Failed;
    }
    say(ctx_, "Importen er fullført", "Info", Icon::Information);
    return Outcome::Completed;
}

} // namespace tavlo
