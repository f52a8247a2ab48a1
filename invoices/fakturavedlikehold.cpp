#include "invoices/fakturavedlikehold.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <memory>

#include "data/context.h"
#include "data/globals.h"
#include "framework/filemanager.h"
#include "framework/transaction.h"

namespace tavlo {

namespace {

using Clock = std::chrono::steady_clock;

void feil(Context& ctx, const std::string& text, const StoreError& err)
{
    say(ctx, text + std::to_string(err.code) + " - " + err.text, "Feil", Icon::Hand);
}

std::unique_ptr<TableFile> apneArkiv(const std::string& navn, Tbl t, StoreError& err)
{
    return TableFile::open(dataPath(navn), table(t), TableFile::Mode::READ_WRITE, true,
                           GLO::OWNERNAME, err);
}

} // namespace

// What differs between the two ways a run goes: which pair is read and which is written, and
// what the messages say.
struct FakturaVedlikehold::Retning {
    bool tilArkiv;
    const char* progress;
    const char* fakturaFeil;
    const char* linjeFeil;
    const char* ferdig;
};

FakturaVedlikehold::FakturaVedlikehold(Context& ctx) : ctx_(ctx) {}

FakturaVedlikehold::Utfall FakturaVedlikehold::eksporter(const std::vector<int32_t>& fakturaer)
{
    static const Retning retning{true, "Arkiverer merkede fakturaer",
                                 "Det oppsto feil under arkivering av faktura.|",
                                 "Det oppsto feil under arkivering av fakturalinje.|",
                                 "Merkede fakturaer med tilhørende fakturalinjer er nå arkivert"};
    ProcedureScope scope(ctx_, "FAKTURAVEDLIKEHOLD");
    const Utfall utfall = flytt(retning, fakturaer);
    // The invoices archived are no longer in the register; those left stay marked.
    std::vector<int32_t> borte = flyttet_;
    std::sort(borte.begin(), borte.end());
    auto& marks = GLQ::TAG_FAKTURA;
    marks.erase(std::remove_if(marks.begin(), marks.end(),
                               [&borte](const TagEntry& t) {
                                   return std::binary_search(borte.begin(), borte.end(), t.id);
                               }),
                marks.end());
    return utfall;
}

FakturaVedlikehold::Utfall FakturaVedlikehold::importer(int32_t fra, int32_t til)
{
    static const Retning retning{
        false, "Henter fakturaer fra arkivet",
        "Det oppsto feil under henting av faktura fra arkivet.|",
        "Det oppsto feil under henting av fakturalinje fra arkivet.|",
        "Fakturaene med tilhørende fakturalinjer er nå hentet tilbake fra arkivet"};
    ProcedureScope scope(ctx_, "FAKTURAVEDLIKEHOLD");
    flyttet_.clear();
    holdtIgjen_.clear();
    if (fra != 0 && til != 0 && fra > til) {
        say(ctx_, "Fra dato kan ikke være senere enn til dato", "Feil", Icon::Exclamation);
        return Utfall::UgyldigPeriode;
    }
    // The archived invoices of the range, by date, read without their memos: only the numbers
    // are wanted here.
    StoreError err;
    std::vector<int32_t> ids;
    {
        auto arkiv = apneArkiv(GLO::BAKTURA_PATH, Tbl::FAKTURA, err);
        if (!arkiv) {
            feil(ctx_, "Det oppsto feil under åpning av fakturaarkiv.|", err);
            return Utfall::ArkivFeil;
        }
        Record fom(table(Tbl::FAKTURA));
        fom.set(FAK::FAKTURADATO, fra);
        Bound b{Bound::AT, &fom, 0};
        std::vector<Row> rows;
        for (;;) {
            rows.clear();
            if (!arkiv->page(FAK::KeyFakturaDato.no, b, true, 1000, rows, err, false)) {
                feil(ctx_, "Det oppsto feil under oppslag i Fakturaliste.|", err);
                return Utfall::ArkivFeil;
            }
            bool forbi = rows.empty();
            for (const Row& r : rows) {
                if (til != 0 && r.rec.get(FAK::FAKTURADATO) > til) {
                    forbi = true;
                    break;
                }
                ids.push_back(r.rec.get(FAK::FAKTURAID));
            }
            if (forbi)
                break;
            fom.copyFrom(rows.back().rec);
            b = Bound{Bound::AFTER, &fom, rows.back().ref.rowid};
        }
    }
    if (ids.empty()) {
        say(ctx_, "Ingen fakturaer i arkivet har fakturadato i dette tidsrommet", "Info",
            Icon::Information);
        return Utfall::IngenIPerioden;
    }
    return flytt(retning, ids);
}

// The invoice with the highest number, and the one holding the line with the highest number,
// stay where they are: the next number is the highest stored plus one, and would otherwise be
// taken again by a new invoice or line while the archive holds it.
bool FakturaVedlikehold::holdTilbake(std::vector<int32_t>& fakturaer, StoreError& err)
{
    FileManager& faka = ctx_.access(Tbl::FAKTURA_ALIAS);
    FileManager& flia = ctx_.access(Tbl::FAKLINJE_ALIAS);
    std::vector<Row> rows;
    int32_t hoyesteFaktura = 0, linjensFaktura = 0, hoyesteLinje = 0;
    if (!faka.file()->page(FAK::KeyFakturaId.no, Bound{}, false, 1, rows, err, false))
        return false;
    if (!rows.empty())
        hoyesteFaktura = rows.front().rec.get(FAK::FAKTURAID);
    rows.clear();
    if (!flia.file()->page(FLI::KeyFakLinjeId.no, Bound{}, false, 1, rows, err, false))
        return false;
    if (!rows.empty()) {
        hoyesteLinje = rows.front().rec.get(FLI::FAKLINJEID);
        linjensFaktura = rows.front().rec.get(FLI::FAKTURAID);
    }
    std::string melding;
    auto hold = [&](int32_t id, const std::string& hvorfor) {
        auto it = std::find(fakturaer.begin(), fakturaer.end(), id);
        if (id == 0 || it == fakturaer.end())
            return;
        fakturaer.erase(it);
        holdtIgjen_.push_back(id);
        melding += (melding.empty() ? "" : "|") + std::string("Faktura ") + std::to_string(id) +
                   " arkiveres ikke: den har " + hvorfor +
                   ", og nummereringen fortsetter fra det. Den må ligge igjen i fakturakartoteket.";
    };
    if (hoyesteFaktura == linjensFaktura)
        hold(hoyesteFaktura, "det høyeste fakturanummeret og fakturalinjen med det høyeste "
                             "linjenummeret (" +
                                 std::to_string(hoyesteLinje) + ")");
    else {
        hold(hoyesteFaktura, "det høyeste fakturanummeret");
        hold(linjensFaktura,
             "fakturalinjen med det høyeste linjenummeret (" + std::to_string(hoyesteLinje) + ")");
    }
    if (!melding.empty())
        say(ctx_, melding, "Advarsel", Icon::Exclamation);
    return true;
}

FakturaVedlikehold::Utfall FakturaVedlikehold::flytt(const Retning& r,
                                                     std::vector<int32_t> const& valgte)
{
    flyttet_.clear();
    holdtIgjen_.clear();
    StoreError err;
    auto arkivFakturaer = apneArkiv(GLO::BAKTURA_PATH, Tbl::FAKTURA, err);
    if (!arkivFakturaer) {
        feil(ctx_, "Det oppsto feil under åpning av fakturaarkiv.|", err);
        return Utfall::ArkivFeil;
    }
    auto arkivLinjer = apneArkiv(GLO::BAKLINJE_PATH, Tbl::FAKLINJE, err);
    if (!arkivLinjer) {
        feil(ctx_, "Det oppsto feil under åpning av fakturalinjearkiv.|", err);
        return Utfall::ArkivFeil;
    }
    // The aliases: a register of this context keeps the invoice it shows in its own buffer.
    FileManager& faka = ctx_.access(Tbl::FAKTURA_ALIAS);
    FileManager& flia = ctx_.access(Tbl::FAKLINJE_ALIAS);
    if (faka.OPEN() != LEVEL_BENIGN)
        return Utfall::ArkivFeil; // the record store has said why
    if (flia.OPEN() != LEVEL_BENIGN) {
        faka.CLOSE();
        return Utfall::ArkivFeil;
    }
    // The files themselves, for the highest numbers before any transaction.
    if (faka.USEFILE() != LEVEL_BENIGN || flia.USEFILE() != LEVEL_BENIGN) {
        flia.CLOSE();
        faka.CLOSE();
        return Utfall::ArkivFeil;
    }
    struct Lukk {
        FileManager &a, &b;
        ~Lukk()
        {
            b.CLOSE();
            a.CLOSE();
        }
    } lukk{faka, flia};

    progressMelding = r.progress;
    progressTeller = 0;
    antall = static_cast<long>(valgte.size());
    prosent_ = -1;
    fremdrift(true);
    if (valgte.empty()) {
        say(ctx_, "Ingen fakturaer er merket", "Feil", Icon::Exclamation);
        return Utfall::IngenMerket;
    }
    std::vector<int32_t> fakturaer = valgte;
    if (r.tilArkiv && !holdTilbake(fakturaer, err)) {
        feil(ctx_, "Det oppsto feil under oppslag på Faktura.|", err);
        return Utfall::Stoppet;
    }

    // The invoices are committed a fifth of a second's worth at a time, each in a savepoint of
    // its own: a commit over four files costs a dozen disk syncs, and a killed run loses at most
    // the group, every invoice of it still in the files it came from.
    std::unique_ptr<Transaction> tx;
    TableFile *fraF = nullptr, *fraL = nullptr, *tilF = nullptr, *tilL = nullptr;
    Clock::time_point start;
    std::vector<int32_t> ventende;
    auto fullfor = [&]() {
        if (!tx)
            return true;
        const bool ok = tx->commit(err);
        tx.reset();
        ctx_.dropReadAhead();
        if (ok)
            flyttet_.insert(flyttet_.end(), ventende.begin(), ventende.end());
        ventende.clear();
        // Only now may other windows run: they would otherwise wait for this run's lock.
        fremdrift(true);
        return ok;
    };
    auto apne = [&]() {
        tx = std::make_unique<Transaction>(ctx_);
        start = Clock::now();
        if (!tx->enlist(faka, err) || !tx->enlist(flia, err))
            return false;
        TableFile* arkF = tx->enlist(*arkivFakturaer, err);
        TableFile* arkL = arkF ? tx->enlist(*arkivLinjer, err) : nullptr;
        if (!arkL || !tx->begin(err))
            return false;
        fraF = r.tilArkiv ? faka.file() : arkF;
        fraL = r.tilArkiv ? flia.file() : arkL;
        tilF = r.tilArkiv ? arkF : faka.file();
        tilL = r.tilArkiv ? arkL : flia.file();
        return true;
    };

    const TableDecl& fakDecl = table(Tbl::FAKTURA);
    const TableDecl& fliDecl = table(Tbl::FAKLINJE);
    Row faktura{{}, Record(fakDecl)};
    Record finn(fakDecl), linjeStart(fliDecl);
    std::vector<Row> linjer;
    for (int32_t id : fakturaer) {
        if (!tx && !apne()) {
            tx.reset();
            feil(ctx_, r.fakturaFeil, err);
            fremdrift(true);
            return Utfall::Stoppet;
        }
        // A failure takes back this invoice's savepoint; the group before it is kept.
        bool savepoint = false;
        auto stopp = [&](const char* tekst) {
            if (savepoint)
                fraF->rollback();
            StoreError saved = err;
            const bool ok = fullfor();
            feil(ctx_, ok ? tekst : r.fakturaFeil, ok ? saved : err);
            return Utfall::Stoppet;
        };
        if (!fraF->begin(err)) {
            tx.reset(); // the group's state is unknown: none of it is kept
            ventende.clear();
            feil(ctx_, r.fakturaFeil, err);
            fremdrift(true);
            return Utfall::Stoppet;
        }
        savepoint = true;
        finn.clear();
        finn.set(FAK::FAKTURAID, id);
        if (!fraF->findEqual(FAK::KeyFakturaId.no, finn, faktura, err))
            return stopp("Det oppsto feil under oppslag på Faktura.|");
        RowRef ny;
        if (!tilF->insert(faktura.rec, ny, err))
            return stopp(r.fakturaFeil);
        // The lines in line-number order, a page at a time; each page is gone from where it was
        // when the next is read.
        for (;;) {
            linjer.clear();
            linjeStart.clear();
            linjeStart.set(FLI::FAKTURAID, id);
            linjeStart.set(FLI::LINJENR, INT32_MIN);
            if (!fraL->page(FLI::KeyFakturaId_LinjeNr.no, Bound{Bound::AT, &linjeStart, 0}, true,
                            200, linjer, err, true))
                return stopp(r.linjeFeil);
            bool slutt = linjer.empty();
            for (const Row& l : linjer) {
                if (l.rec.get(FLI::FAKTURAID) != id) {
                    slutt = true;
                    break;
                }
                // Copied and deleted as they are: moving an invoice is no sale nor a return,
                // so no stock or project rule of a line's deletion runs.
                if (!tilL->insert(l.rec, ny, err) || !fraL->remove(l.ref, err))
                    return stopp(r.linjeFeil);
            }
            if (slutt)
                break;
        }
        if (!fraF->remove(faktura.ref, err))
            return stopp(r.fakturaFeil);
        savepoint = false; // a release that fails takes the savepoint back itself
        if (!fraF->commit(err))
            return stopp(r.fakturaFeil);
        ventende.push_back(id);
        ++progressTeller;
        if (Clock::now() - start > std::chrono::milliseconds(200) && !fullfor()) {
            feil(ctx_, r.fakturaFeil, err);
            return Utfall::Stoppet;
        }
    }
    if (!fullfor()) {
        feil(ctx_, r.fakturaFeil, err);
        return Utfall::Stoppet;
    }
    if (!flyttet_.empty())
        say(ctx_, r.ferdig, "Info", Icon::Information);
    return Utfall::Ferdig;
}

void FakturaVedlikehold::fremdrift(bool alltid)
{
    const int now = antall == 0 ? 100 : static_cast<int>(progressTeller * 100 / antall);
    if (now == prosent_ && !alltid)
        return;
    prosent_ = now;
    if (progressChanged)
        progressChanged();
}

} // namespace tavlo
