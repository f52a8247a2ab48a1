#include "invoices/fakturaform.h"

#include <limits>

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "data/stock.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/picture.h"
#include "framework/text.h"
#include "framework/viewmanager.h"
#include "invoices/dokument.h"
#include "products/produktform.h"
#include "projects/prjlinje.h"

namespace tavlo {

namespace {

void advarsel(Context& ctx, const std::string& text)
{
    say(ctx, text, "Advarsel", Icon::Exclamation);
}

void feil(Context& ctx, const std::string& text)
{
    say(ctx, text, "Feil", Icon::Exclamation);
}

bool sporJa(Context& ctx, const std::string& text, const char* caption, unsigned standard)
{
    return say(ctx, text, caption, Icon::Question, BUTTON_YES | BUTTON_NO, standard) == BUTTON_YES;
}

// The project chosen in the register, read again by its key; the message when it is gone.
bool lesValgtProsjekt(Context& ctx, std::string& id, std::string& navn)
{
    id = ctx.rec(Tbl::PROSJEKT).get(PRJ::PROSJEKTID);
    FileManager& prj = ctx.access(Tbl::PROSJEKT_ALIAS);
    bool found = false;
    if (prj.OPEN() == LEVEL_BENIGN) {
        prj.rec().clear();
        prj.rec().set(PRJA::PROSJEKTID, id);
        found = prj.TRYFETCH(PRJA::KeyProsjektId) == LEVEL_BENIGN;
        if (found)
            navn = prj.rec().get(PRJA::NAVN);
        prj.CLOSE();
    }
    if (!found)
        feil(ctx, "Det oppstod feil under oppslag på prosjekt: " + id);
    return found;
}

std::string prjaTekst(Context& ctx, const std::string& id)
{
    std::string t;
    VISPRJA(ctx, id, t);
    return t;
}

std::string pliaTekst(Context& ctx, int32_t id)
{
    std::string t;
    if (id != 0)
        VISPLIA(ctx, id, t);
    return t;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The invoice

FakturaForm::FakturaForm(Context& ctx, int32_t kundeId, int request)
    : DokumentForm(ctx, "FakturaForm", HodeFelt::faktura(), LinjeFelt::faktura(), kundeId, request)
{
}

int FakturaForm::start()
{
    const int rc = startDokument();
    if (rc != LEVEL_BENIGN)
        return rc;
    Record& r = record();
    sistStatus_ = statusVedStart_ = r.get(FAK::FAKTURASTATUS);
    datoVedStart_ = r.get(FAK::FAKTURADATO);
    forfallVedStart_ = r.get(FAK::FORFALLSDATO);
    kopierGittKunde();
    return rc;
}

std::string FakturaForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Ny faktura";
    case ChangeRecord: return "Endre/vise faktura";
    default: return "View Record";
    }
}

void FakturaForm::primeFields()
{
    Record& r = record();
    const int32_t idag = date::today();
    r.set(FAK::FAKTURADATO, idag);
    r.set(FAK::FORFALLSDATO, idag);
    r.set(FAK::FAKTURASTATUS, 1);
    r.set(FAK::UTSKRIFTSTATUS, 1);
    r.set(FAK::VARREFERANSE, parametre().get(PAR::VAARREFERANSESTD));
    r.set(FAK::MVATYPE, GLO::STD_MVA_TYPE);
}

void FakturaForm::forfall()
{
    Record& r = record();
    const int32_t dato = r.get(FAK::FAKTURADATO);
    r.set(FAK::FORFALLSDATO, dato != 0 ? dato + r.get(FAK::BETALINGSBETINGELSE) : 0);
}

void FakturaForm::statusAccepted()
{
    Record& r = record();
    const int32_t status = r.get(FAK::FAKTURASTATUS);
    if (status == sistStatus_)
        return;
    sistStatus_ = status;
    const bool kreditt =
        SETKODA(context(), 105, status) && context().rec(Tbl::KODEVERK_ALIAS).get(KODA::BYTE1) == 1;
    r.set(FAK::KREDITNOTA, kreditt ? 1 : 0);
    summer();
}

bool FakturaForm::totalsumKreditnota() const
{
    return const_cast<FakturaForm*>(this)->record().get(FAK::KREDITNOTA) != 0;
}

bool FakturaForm::kanKobleProsjekt()
{
    const Record& r = record();
    if (!text::trim(r.get(FAK::PROSJEKTID)).empty() || r.get(FAK::PRJLINJEID) != 0) {
        advarsel(context(), "Denne fakturaen er allerede koblet opp mot en prosjektlinje.");
        return false;
    }
    return true;
}

bool FakturaForm::prosjektValgt(PrjLinkInfo& forslag)
{
    std::string id;
    if (!lesValgtProsjekt(context(), id, prosjektNavn_))
        return false;
    kobling_ = {};
    kobling_.dato = date::today();
    kobling_.tekst = "Faktura " + std::to_string(record().get(FAK::FAKTURAID));
    kobling_.kreditnota = record().get(FAK::KREDITNOTA) != 0;
    kobling_.mvaType = record().get(FAK::MVATYPE);
    forslag = kobling_;
    valgtProsjekt_ = id;
    return true;
}

void FakturaForm::prosjektKoblet(const PrjLinkInfo& info)
{
    kobling_ = info;
    record().set(FAK::PROSJEKTID, valgtProsjekt_);
    nyKobling_ = true;
}

void FakturaForm::slettProsjektlinje()
{
    Record& r = record();
    if (DELETEPRJLINJE(context(), r.get(FAK::PRJLINJEID)) == 1) {
        r.set(FAK::PROSJEKTID, "");
        r.set(FAK::PRJLINJEID, 0);
        prosjektNavn_.clear();
    } else {
        feil(context(), "Det oppstod feil under sletting av prosjektlinje");
    }
}

void FakturaForm::brytProsjektkobling()
{
    record().set(FAK::PROSJEKTID, "");
    record().set(FAK::PRJLINJEID, 0);
    prosjektNavn_.clear();
    nyKobling_ = false;
}

std::string FakturaForm::fakturastatusTekst()
{
    return codeText(context(), 105, record().get(FAK::FAKTURASTATUS));
}

std::string FakturaForm::utskriftstatusTekst()
{
    return codeText(context(), 108, record().get(FAK::UTSKRIFTSTATUS));
}

std::string FakturaForm::prosjektTekst()
{
    return nyKobling_ ? prosjektNavn_ : prjaTekst(context(), record().get(FAK::PROSJEKTID));
}

std::string FakturaForm::prjLinjeTekst()
{
    return pliaTekst(context(), record().get(FAK::PRJLINJEID));
}

void FakturaForm::beforeWrite()
{
    Context& ctx = context();
    Record& r = record();
    // The sums as the stored lines stand now: lines another user added meanwhile are counted,
    // never written over with this window's older sums.
    summer();
    // 1. The first invoice and due dates, while the invoice is not yet sent on.
    if (r.get(FAK::FAKTURASTATUS) <= 1) {
        struct Opprinnelig {
            DateField felt, opprinnelig;
            int32_t vedStart;
            const char* sporsmal;
        };
        const Opprinnelig datoer[] = {
            {FAK::FAKTURADATO, FAK::OPPRINNELIGFAKTURADATO, datoVedStart_,
             "Fakturadato er endret. Vil du oppdatere opprinnelig fakturadato?"},
            {FAK::FORFALLSDATO, FAK::OPPRINNELIGFORFALLSDATO, forfallVedStart_,
             "Forfallsdato er endret. Vil du oppdatere opprinnelig forfallsdato?"}};
        for (const Opprinnelig& d : datoer) {
            if (r.get(d.opprinnelig) == 0)
                r.set(d.opprinnelig, r.get(d.felt));
            else if (r.get(d.felt) != d.vedStart && r.get(FAK::FAKTURASTATUS) == statusVedStart_ &&
                     sporJa(ctx, d.sporsmal, "?", BUTTON_NO))
                r.set(d.opprinnelig, r.get(d.felt));
        }
    }
    // 2. A new status is printed anew.
    if (r.get(FAK::FAKTURASTATUS) != statusVedStart_)
        r.set(FAK::UTSKRIFTSTATUS, 1);
    // 3. An invoice without a customer record may give one.
    if (r.get(FAK::KUNDEID) == 0 &&
        sporJa(ctx, "Vil du lagre denne kunden i kondekartotekiet?", "Lagre kunde", BUTTON_NO)) {
        FileManager& kun = ctx.access(Tbl::KUNDE_ALIAS);
        if (kun.OPEN() == LEVEL_BENIGN) {
            Record& k = kun.rec();
            k.clear();
            k.set(KUNA::NAVN, r.get(FAK::KUNDENAVN));
            k.set(KUNA::ADRESSE, r.get(FAK::ADRESSE));
            k.set(KUNA::ADRESSE2, r.get(FAK::ADRESSE2));
            k.set(KUNA::POSTNR, r.get(FAK::POSTNR));
            k.set(KUNA::BETALINGSBETINGELSER, r.get(FAK::BETALINGSBETINGELSE));
            k.set(KUNA::REGISTRERINGSDATO, date::today());
            if (kun.INSERT() == LEVEL_BENIGN) {
                const int32_t id = k.get(KUNA::KUNDEID);
                say(ctx, "Kunde opprettet: " + std::to_string(id), "Info", Icon::Information);
                r.set(FAK::KUNDEID, id);
                sistKunde_ = id;
            }
            kun.CLOSE();
        }
    }
    // 4. The project line that books the invoice.
    if (!text::trim(r.get(FAK::PROSJEKTID)).empty()) {
        if (nyKobling_) {
            PrjLinjeVerdier v;
            v.prosjektId = r.get(FAK::PROSJEKTID);
            v.fakturaId = r.get(FAK::FAKTURAID);
            v.dato = kobling_.dato;
            v.tekst = kobling_.tekst;
            (kobling_.kreditnota ? v.ut : v.inn) = r.get(FAK::TOTALSUM);
            const int32_t linje = INSERTPRJLINJE(ctx, v);
            r.set(FAK::PRJLINJEID, linje);
            if (linje == 0)
                r.set(FAK::PROSJEKTID, "");
            nyKobling_ = false;
        } else if (originalRequest() == ChangeRecord) {
            const bool kreditt = r.get(FAK::KREDITNOTA) != 0;
            UPDATEPRJLINJE_BELOP(ctx, r.get(FAK::PRJLINJEID), kreditt ? Decimal() : r.get(FAK::SUM),
                                 kreditt ? r.get(FAK::SUM) : Decimal());
        }
    }
}

void FakturaForm::afterWrite(bool)
{
    // 6. Whatever the write's outcome, as the invoice now stands.
    if (record().get(FAK::KUNDEID) != 0)
        SJEKKKREDITTGRENSE(context(), record().get(FAK::KUNDEID));
}

// ---------------------------------------------------------------------------------------------
// A line

FakturaLinjeForm::FakturaLinjeForm(Context& ctx, FakturaFelles& felles, int request)
    : DokumentLinjeForm(ctx, "FakturaLinjeForm", HodeFelt::faktura(), LinjeFelt::faktura(), felles,
                        request)
{
}

int FakturaLinjeForm::start()
{
    const int rc = startLinje();
    if (rc == LEVEL_BENIGN)
        antallVedStart_ = sistSjekket_ = record().get(FLI::ANTALL);
    return rc;
}

std::string FakturaLinjeForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Ny fakturalinje";
    case ChangeRecord: return "Endre/vise fakturalinje";
    default: return "View Record";
    }
}

bool FakturaLinjeForm::mvaAapen() const
{
    return const_cast<FakturaLinjeForm*>(this)->context().rec(Tbl::FAKTURA).get(FAK::MVATYPE) != 0;
}

bool FakturaLinjeForm::datoAapen() const
{
    return parametre().get(PAR::VISFAKTURALINJEDATO) != 0;
}

void FakturaLinjeForm::primeFields()
{
    DokumentLinjeForm::primeFields();
    antallVedStart_ = sistSjekket_ = Decimal();
    nyKobling_ = false;
}

void FakturaLinjeForm::antallAccepted()
{
    Record& r = record();
    const Decimal antall = r.get(FLI::ANTALL);
    if (!antall.isZero() && antall != sistSjekket_) {
        if (antall > antallVedStart_)
            OPPDATERLAGERBEHOLDNING(context(), r.get(FLI::PRODUKTID), antall - antallVedStart_,
                                    true, true);
        sistSjekket_ = antall;
    }
    linjesum();
}

void FakturaLinjeForm::overskriftChanged()
{
    DokumentLinjeForm::overskriftChanged();
    if (!erOverskrift())
        return;
    record().set(FLI::DATO, 0);
    prosjektNavn_.clear();
}

void FakturaLinjeForm::beforeWrite()
{
    Context& ctx = context();
    Record& r = record();
    // 1. Stock, by what this save takes out.
    if (r.get(FLI::PRODUKTID) != 0) {
        const Decimal antall = r.get(FLI::ANTALL);
        if (request() == InsertRecord)
            OPPDATERLAGERBEHOLDNING(ctx, r.get(FLI::PRODUKTID), -antall, false, true);
        else if (antall != antallVedStart_)
            OPPDATERLAGERBEHOLDNING(ctx, r.get(FLI::PRODUKTID), -(antall - antallVedStart_), false,
                                    true);
    }
    // 2. The project line that books the line.
    if (!text::trim(r.get(FLI::PROSJEKTID)).empty()) {
        if (nyKobling_) {
            PrjLinjeVerdier v;
            v.prosjektId = r.get(FLI::PROSJEKTID);
            v.fakturaId = r.get(FLI::FAKTURAID);
            v.fakLinjeId = r.get(FLI::FAKLINJEID);
            v.dato = kobling_.dato;
            v.tekst = kobling_.tekst;
            (kobling_.kreditnota ? v.ut : v.inn) = r.get(FLI::SUM);
            const int32_t linje = INSERTPRJLINJE(ctx, v);
            r.set(FLI::PRJLINJEID, linje);
            if (linje == 0)
                r.set(FLI::PROSJEKTID, "");
            nyKobling_ = false;
        } else if (request() == ChangeRecord) {
            const bool kreditt = ctx.rec(Tbl::FAKTURA).get(FAK::KREDITNOTA) != 0;
            UPDATEPRJLINJE_BELOP(ctx, r.get(FLI::PRJLINJEID), kreditt ? Decimal() : r.get(FLI::SUM),
                                 kreditt ? r.get(FLI::SUM) : Decimal());
        }
    }
    // The next fresh line is checked against stock from nothing.
    antallVedStart_ = sistSjekket_ = request() == InsertRecord ? Decimal() : r.get(FLI::ANTALL);
}

bool FakturaLinjeForm::kanKobleProsjekt()
{
    const Record& r = record();
    if (!text::trim(r.get(FLI::PROSJEKTID)).empty() || r.get(FLI::PRJLINJEID) != 0) {
        advarsel(context(), "Denne fakturalinjen er allerede koblet opp mot en prosjektlinje.");
        return false;
    }
    return true;
}

bool FakturaLinjeForm::prosjektValgt(PrjLinkInfo& forslag)
{
    std::string id;
    if (!lesValgtProsjekt(context(), id, prosjektNavn_))
        return false;
    const Record& f = context().rec(Tbl::FAKTURA);
    kobling_ = {};
    kobling_.dato = date::today();
    kobling_.tekst = record().get(FLI::PRODUKTNAVN);
    kobling_.kreditnota = f.get(FAK::KREDITNOTA) != 0;
    kobling_.mvaType = f.get(FAK::MVATYPE);
    forslag = kobling_;
    valgtProsjekt_ = id;
    return true;
}

void FakturaLinjeForm::prosjektKoblet(const PrjLinkInfo& info)
{
    kobling_ = info;
    record().set(FLI::PROSJEKTID, valgtProsjekt_);
    nyKobling_ = true;
}

void FakturaLinjeForm::slettProsjektlinje()
{
    Record& r = record();
    if (DELETEPRJLINJE(context(), r.get(FLI::PRJLINJEID)) == 1) {
        r.set(FLI::PROSJEKTID, "");
        r.set(FLI::PRJLINJEID, 0);
        prosjektNavn_.clear();
    } else {
        feil(context(), "Det oppstod feil under sletting av prosjektlinje");
    }
}

void FakturaLinjeForm::brytProsjektkobling()
{
    record().set(FLI::PROSJEKTID, "");
    record().set(FLI::PRJLINJEID, 0);
    prosjektNavn_.clear();
    nyKobling_ = false;
}

std::string FakturaLinjeForm::prosjektTekst()
{
    return nyKobling_ ? prosjektNavn_ : prjaTekst(context(), record().get(FLI::PROSJEKTID));
}

std::string FakturaLinjeForm::prjLinjeTekst()
{
    return pliaTekst(context(), record().get(FLI::PRJLINJEID));
}

} // namespace tavlo
