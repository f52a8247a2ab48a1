#include "invoices/kopierfaktura.h"

#include <vector>

#include "data/context.h"
#include "data/kreditnota.h"
#include "data/lookups.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/text.h"
#include "framework/transaction.h"

namespace tavlo {

namespace {

void feil(Context& ctx, const std::string& text)
{
    say(ctx, text, "Feil", Icon::Exclamation);
}

// The parameter record's field, 0 when there is none to read.
int32_t parameter(Context& ctx, IntField field)
{
    FileManager& par = ctx.access(Tbl::PARAM);
    if (par.OPEN() != LEVEL_BENIGN)
        return 0;
    const Record keep = par.rec();
    par.SET(PAR::KeyParameterId);
    const int32_t value = par.TRYNEXT() == LEVEL_BENIGN ? par.rec().get(field) : 0;
    par.rec() = keep;
    par.CLOSE();
    return value;
}

// The managers of a copy, open for as long as it lasts.
struct Open {
    explicit Open(Context& ctx)
        : fak(ctx.access(Tbl::FAKTURA)), fli(ctx.access(Tbl::FAKLINJE)),
          faka(ctx.access(Tbl::FAKTURA_ALIAS)), flia(ctx.access(Tbl::FAKLINJE_ALIAS)),
          kre(ctx.access(Tbl::KREDITERT))
    {
        for (FileManager* m : {&fak, &fli, &faka, &flia, &kre})
            if (m->OPEN() == LEVEL_BENIGN)
                opened.push_back(m);
    }
    ~Open()
    {
        for (FileManager* m : opened)
            m->CLOSE();
    }
    bool all() const { return opened.size() == 5; }

    FileManager &fak, &fli, &faka, &flia, &kre;
    std::vector<FileManager*> opened;
};

} // namespace

KopierValg kopierForslag(Context& ctx, bool kreditnota)
{
    KopierValg v;
    v.fakturaStatus = parameter(ctx, kreditnota ? PAR::STDSTATUSKREDITNOTA : PAR::STDSTATUSFAKTURA);
    return v;
}

std::string fakturastatusTekst(Context& ctx, int32_t status)
{
    return codeText(ctx, 105, status);
}

int32_t kopierFaktura(Context& ctx, int32_t fakturaId, const KopierValg& valg, bool quiet)
{
    ProcedureScope scope(ctx, "KOPIERFAKTURA");
    bool kreditt = false;
    if (SETKODA(ctx, 105, valg.fakturaStatus))
        kreditt = ctx.rec(Tbl::KODEVERK_ALIAS).get(KODA::BYTE1) == 1;
    else
        feil(ctx, "Det oppsto feil under oppslag på fakturastatus");

    Open open(ctx);
    if (!open.all())
        return 0;
    Record& kilde = open.fak.rec();
    kilde.clear();
    kilde.set(FAK::FAKTURAID, fakturaId);
    if (fakturaId == 0 || open.fak.TRYFETCH(FAK::KeyFakturaId) != LEVEL_BENIGN) {
        feil(ctx, "Det oppsto feil under oppslag på Faktura");
        return 0;
    }
    const bool kildeErKreditnota = kilde.get(FAK::KREDITNOTA) != 0;
    // What a credit note credits: the source, or what the source credits when it is one.
    const int32_t kreditert = kildeErKreditnota ? kreditertFaktura(ctx, fakturaId) : fakturaId;

    std::vector<Record> linjer;
    if (valg.kopierLinjer) {
        Record& l = open.fli.rec();
        l.clear();
        l.set(FLI::FAKTURAID, fakturaId);
        open.fli.SETAT(FLI::KeyFakturaId_LinjeNr);
        while (open.fli.TRYNEXT() == LEVEL_BENIGN && l.get(FLI::FAKTURAID) == fakturaId)
            linjer.push_back(l);
    }

    Record& ny = open.faka.rec();
    ny.copyFrom(kilde);
    ny.set(FAKA::FAKTURAID, 0);
    ny.set(FAKA::FAKTURASTATUS, valg.fakturaStatus);
    if (kreditt && !kildeErKreditnota) {
        ny.set(FAKA::KREDITNOTA, 1);
        ny.set(FAKA::TOTALSUM, -ny.get(FAKA::TOTALSUM));
    }
    if (!valg.kopierLinjer) {
        // Without lines there is nothing to sum.
        for (DecField f : {FAKA::SUMMVAGRUNNLAG, FAKA::SUM, FAKA::MVA, FAKA::TOTALSUM})
            ny.set(f, Decimal());
    }
    if (valg.oppdaterDatoer) {
        const int32_t idag = date::today();
        ny.set(FAKA::FAKTURADATO, idag);
        ny.set(FAKA::FORFALLSDATO, idag + ny.get(FAKA::BETALINGSBETINGELSE));
        // A credit note counts as settled on its due date.
        if (kreditt)
            ny.set(FAKA::BETALTDATO, ny.get(FAKA::FORFALLSDATO));
    }

    // One transaction: another user sees the whole copy or nothing, and a line that cannot be
    // written leaves no invoice with part of its lines.
    Transaction tx(ctx);
    StoreError err;
    if (!tx.enlist(open.faka, err) || !tx.enlist(open.flia, err) || !tx.enlist(open.kre, err) ||
        !tx.begin(err)) {
        feil(ctx, "Fakturaen kunne ikke kopieres: " +
                      (err.driverText.empty() ? err.text : err.driverText));
        return 0;
    }
    if (open.faka.INSERT() != LEVEL_BENIGN)
        return 0; // the record store has said why; the transaction is rolled back
    const int32_t nyId = ny.get(FAKA::FAKTURAID);
    for (const Record& l : linjer) {
        Record& kopi = open.flia.rec();
        kopi.copyFrom(l);
        kopi.set(FLIA::FAKLINJEID, 0);
        kopi.set(FLIA::FAKTURAID, nyId);
        if (open.flia.INSERT() != LEVEL_BENIGN)
            return 0;
    }
    if (kreditt && kreditert != 0 && !noterKreditert(ctx, nyId, kreditert))
        return 0;
    if (!tx.commit(err)) {
        feil(ctx, "Fakturaen kunne ikke kopieres: " +
                      (err.driverText.empty() ? err.text : err.driverText));
        return 0;
    }
    if (!quiet)
        say(ctx, "Faktura/Kreditnota nr " + std::to_string(nyId) + " er nå opprettet", "Info",
            Icon::Information);
    return nyId;
}

void SJEKKKREDITTGRENSE(Context& ctx, int32_t kundeId)
{
    if (kundeId == 0)
        return;
    ProcedureScope scope(ctx, "SJEKKKREDITTGRENSE");
    if (!SETKUNA(ctx, kundeId)) {
        feil(ctx, "Det oppsto feil under oppslag på kunde/kredittgrense");
        return;
    }
    const Record& kunde = ctx.rec(Tbl::KUNDE_ALIAS);
    const Decimal grense = kunde.get(KUNA::KREDITTGRENSE);
    if (grense.isZero())
        return;
    const std::string navn = kunde.get(KUNA::NAVN);
    FileManager& faka = ctx.access(Tbl::FAKTURA_ALIAS);
    if (faka.OPEN() != LEVEL_BENIGN)
        return;
    Record& r = faka.rec();
    r.clear();
    r.set(FAKA::KUNDEID, kundeId);
    faka.SETAT(FAKA::KeyKundeId_FakturaDato);
    Decimal sum;
    while (faka.TRYNEXT() == LEVEL_BENIGN && r.get(FAKA::KUNDEID) == kundeId) {
        if (r.get(FAKA::BETALTDATO) != 0)
            continue;
        sum += r.get(FAKA::TOTALSUM);
        if (sum > grense) {
            say(ctx,
                "Utestående fakturaer for " + navn + " har nå oversteget angitt kredittgrense på " +
                    grense.toString(2) + " for denne kunden.",
                "Advarsel", Icon::Exclamation);
            break;
        }
    }
    faka.CLOSE();
}

bool prjLinkInfoGodtatt(Context& ctx, const PrjLinkInfo& info)
{
    if (info.dato == 0) {
        say(ctx, "Dato er ikke utfylt", "Advarsel", Icon::Exclamation);
        return false;
    }
    if (text::trim(info.tekst).empty()) {
        say(ctx, "Tekst er ikke utfylt", "Advarsel", Icon::Exclamation);
        return false;
    }
    return true;
}

} // namespace tavlo
