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

bool lesParametre(Context& ctx, Record& par)
{
    FileManager& m = ctx.access(Tbl::PARAM);
    if (m.OPEN() != LEVEL_BENIGN)
        return false;
    const Record keep = m.rec();
    m.SET(PAR::KeyParameterId);
    const bool ok = m.TRYNEXT() == LEVEL_BENIGN;
    if (ok)
        par = m.rec();
    m.rec() = keep;
    m.CLOSE();
    return ok;
}

// ---------------------------------------------------------------------------------------------
// The invoice

FakturaForm::FakturaForm(Context& ctx, int32_t kundeId, int request)
    : WindowManager(ctx, "FakturaForm", Tbl::FAKTURA, request), kundeId_(kundeId),
      par_(table(Tbl::PARAM))
{
}

int FakturaForm::start()
{
    Context& ctx = context();
    if (!lesParametre(ctx, par_))
        par_.clear();
    const int rc = init();
    if (rc != LEVEL_BENIGN)
        return rc;
    Record& r = record();
    sistKunde_ = r.get(FAK::KUNDEID);
    sistStatus_ = statusVedStart_ = r.get(FAK::FAKTURASTATUS);
    sistMvaType_ = r.get(FAK::MVATYPE);
    datoVedStart_ = r.get(FAK::FAKTURADATO);
    forfallVedStart_ = r.get(FAK::FORFALLSDATO);
    if (kundeId_ != 0 && !readOnly()) {
        // Opened from the customer's list: that customer, copied in at once.
        r.set(FAK::KUNDEID, kundeId_);
        if (originalRequest() == InsertRecord || sistKunde_ != kundeId_) {
            sistKunde_ = 0;
            kundeAccepted();
        }
    }
    if (r.get(FAK::POSTNR) != 0)
        r.set(FAK::POSTSTED, poststed());
    summer();
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
    r.set(FAK::VARREFERANSE, par_.get(PAR::VAARREFERANSESTD));
    r.set(FAK::MVATYPE, GLO::STD_MVA_TYPE);
}

void FakturaForm::kopierKunde(const Record& k)
{
    tavlo::kopierKunde(context(), record(), HodeFelt::faktura(), k);
    forfall();
}

void FakturaForm::kundeAccepted()
{
    Record& r = record();
    const int32_t id = r.get(FAK::KUNDEID);
    if (id == sistKunde_)
        return;
    sistKunde_ = id;
    if (id == 0)
        return; // the typed name and address stay
    if (SETKUNA(context(), id)) {
        kopierKunde(context().rec(Tbl::KUNDE_ALIAS));
        return;
    }
    sistKunde_ = 0;
    glemKunde(r, HodeFelt::faktura());
}

void FakturaForm::kundeValgt()
{
    const Record& k = context().rec(Tbl::KUNDE);
    record().set(FAK::KUNDEID, k.get(KUN::KUNDEID));
    sistKunde_ = k.get(KUN::KUNDEID);
    kopierKunde(k);
}

void FakturaForm::forfall()
{
    Record& r = record();
    const int32_t dato = r.get(FAK::FAKTURADATO);
    r.set(FAK::FORFALLSDATO, dato != 0 ? dato + r.get(FAK::BETALINGSBETINGELSE) : 0);
}

void FakturaForm::fakturadatoAccepted()
{
    forfall();
}

void FakturaForm::betalingsbetingelseAccepted()
{
    forfall();
}

void FakturaForm::postnrAccepted()
{
    record().set(FAK::POSTSTED, poststed());
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

void FakturaForm::mvaTypeAccepted()
{
    const int32_t type = record().get(FAK::MVATYPE);
    if (type == sistMvaType_)
        return;
    sistMvaType_ = type;
    summer();
}

void FakturaForm::varReferanseStandard()
{
    record().set(FAK::VARREFERANSE, par_.get(PAR::VAARREFERANSESTD));
}

std::string FakturaForm::mvaLedetekst() const
{
    return const_cast<FakturaForm*>(this)->record().get(FAK::MVATYPE) == 2 ? "Herav MVA:" : "MVA:";
}

bool FakturaForm::mvaAapen() const
{
    return const_cast<FakturaForm*>(this)->record().get(FAK::MVATYPE) != 0;
}

bool FakturaForm::avrundingAapen() const
{
    return !par_.get(PAR::AVRUNDING).isZero();
}

void FakturaForm::summer()
{
    Record& r = record();
    FakturaSummer s;
    if (!summerFaktura(context(), r.get(FAK::FAKTURAID), r.get(FAK::MVATYPE),
                       par_.get(PAR::AVRUNDING), r.get(FAK::KREDITNOTA) != 0, s))
        return;
    settSummer(r, s);
    avrunding_ = s.avrunding;
    felles_.hoyesteLinjenr = s.hoyesteLinjenr;
}

bool FakturaForm::totalsumKreditnota() const
{
    return const_cast<FakturaForm*>(this)->record().get(FAK::KREDITNOTA) != 0;
}

std::string FakturaForm::mvaFormat(const Record& l)
{
    if (!l.get(FLI::MVAPLIKTIG) || l.get(FLI::MVASATS) == 0)
        return {};
    return std::to_string(l.get(FLI::MVASATS));
}

std::unique_ptr<BrowseClass> FakturaForm::linjer()
{
    Context& ctx = context();
    Record& faktura = record();
    auto prime = [&ctx, &faktura](int) {
        ctx.rec(Tbl::FAKLINJE).set(FLI::FAKTURAID, faktura.get(FAK::FAKTURAID));
    };
    prime(0);
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::FAKLINJE);
    view->SETSORT(view->ADDSORTORDER(FLI::KeyFakturaId_LinjeNr));
    view->ADDRANGE(FLI::FAKTURAID.no);
    auto list = std::make_unique<BrowseClass>(
        ctx, std::move(view),
        std::vector<PagedTableModel::Column>{
            {FLI::PRODUKTID.no, "Nr", "@n_8B"},
            {FLI::PRODUKTNAVN.no, "Produkt", "@s40"},
            {FLI::ENHETSBENEVNELSE.no, "Enhet", "@s10"},
            {FLI::MVASATS.no, "MVA", "@s4", Qt::AlignRight, mvaFormat},
            {FLI::ENHETSPRIS.no, "Enhetspris", "@n-14.`2B"},
            {FLI::ANTALL.no, "Antall", "@n-14.`2B"},
            {FLI::RABATT.no, "% Rab", "@n-7`2B"},
            {FLI::SUM.no, "Sum", "@n-14.`2B"}},
        std::vector<std::string>{"Linjer"});
    list->withoutLocator = {0};
    list->model().rowMark = [](const Record& l) { return l.get(FLI::OVERSKRIFT) ? 1 : 0; };
    list->tabChanging = prime;
    if (readOnly())
        list->buttons = {false, false, false, false, false};
    return list;
}

bool FakturaForm::flytt(bool opp)
{
    const bool ok = flyttLinje(context(), LinjeFelt::faktura(), opp, felles_.hoyesteLinjenr);
    summer();
    return ok;
}

bool FakturaForm::flyttOpp()
{
    return flytt(true);
}

bool FakturaForm::flyttNed()
{
    return flytt(false);
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

std::string FakturaForm::poststed()
{
    return codeText(context(), 101, record().get(FAK::POSTNR));
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
    : WindowManager(ctx, "FakturaLinjeForm", Tbl::FAKLINJE, request), felles_(felles),
      par_(table(Tbl::PARAM))
{
    settings().insertAction = INSERT_STAY;
}

int FakturaLinjeForm::start()
{
    if (!lesParametre(context(), par_))
        par_.clear();
    const int rc = init();
    if (rc != LEVEL_BENIGN)
        return rc;
    sistProdukt_ = record().get(FLI::PRODUKTID);
    antallVedStart_ = sistSjekket_ = record().get(FLI::ANTALL);
    linjesum();
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
    return par_.get(PAR::VISFAKTURALINJEDATO) != 0;
}

void FakturaLinjeForm::primeFields()
{
    Context& ctx = context();
    Record& r = record();
    r.set(FLI::LINJENR, felles_.hoyesteLinjenr + 1);
    delsum_ = rabattkroner_ = Decimal();
    sistProdukt_ = 0;
    kundeRabatt_ = Decimal();
    antallVedStart_ = sistSjekket_ = Decimal();
    nyKobling_ = false;
    const int32_t kunde = ctx.rec(Tbl::FAKTURA).get(FAK::KUNDEID);
    if (kunde != 0 && SETKUNA(ctx, kunde)) {
        kundeRabatt_ = ctx.rec(Tbl::KUNDE_ALIAS).get(KUNA::RABATT);
        r.set(FLI::RABATT, kundeRabatt_);
    }
}

void FakturaLinjeForm::kopierProdukt(const Record& p)
{
    Record& r = record();
    tavlo::kopierProdukt(r, LinjeFelt::faktura(), p, kundeRabatt_, mvaAapen());
    sistProdukt_ = r.get(FLI::PRODUKTID);
    standardMvaSats();
    linjesum();
}

void FakturaLinjeForm::produktAccepted()
{
    const int32_t id = record().get(FLI::PRODUKTID);
    if (id == 0 || id == sistProdukt_)
        return;
    // A number that is not there gives blank and zero values, as its lookup leaves them.
    SETPROA(context(), id);
    kopierProdukt(context().rec(Tbl::PRODUKT_ALIAS));
}

void FakturaLinjeForm::produktValgt()
{
    const Record& p = context().rec(Tbl::PRODUKT);
    record().set(FLI::PRODUKTID, p.get(PRO::PRODUKTID));
    kopierProdukt(p);
}

void FakturaLinjeForm::standardMvaSats()
{
    tavlo::standardMvaSats(record(), LinjeFelt::faktura(), par_.get(PAR::STDMVASATS));
}

void FakturaLinjeForm::mvapliktigAccepted()
{
    standardMvaSats();
}

void FakturaLinjeForm::rabattAccepted()
{
    rabattGrense(record(), LinjeFelt::faktura());
    linjesum();
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

void FakturaLinjeForm::linjesum()
{
    const Linjeberegning b = tavlo::linjesum(record(), LinjeFelt::faktura());
    delsum_ = b.delsum;
    rabattkroner_ = b.rabattkroner;
}

void FakturaLinjeForm::overskriftChanged()
{
    Record& r = record();
    if (!r.get(FLI::OVERSKRIFT))
        return;
    tomOverskrift(r, LinjeFelt::faktura());
    r.set(FLI::DATO, 0);
    delsum_ = rabattkroner_ = Decimal();
    prosjektNavn_.clear();
    sistProdukt_ = 0;
}

bool FakturaLinjeForm::erOverskrift() const
{
    return const_cast<FakturaLinjeForm*>(this)->record().get(FLI::OVERSKRIFT) != 0;
}

void FakturaLinjeForm::okPressed()
{
    ++felles_.hoyesteLinjenr;
    Record& r = record();
    if (bareTekst(r, LinjeFelt::faktura()) &&
        sporJa(context(), "Mye tyder på at dette er en overskrift. Er det det?", "Overskrift?",
               BUTTON_YES))
        r.set(FLI::OVERSKRIFT, 1);
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
