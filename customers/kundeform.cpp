#include "customers/kundeform.h"

#include <vector>

#include "data/context.h"
#include "data/lookups.h"
#include "data/slots.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/viewmanager.h"

namespace tavlo {

KundeKopi KundeKopi::of(const Record& r)
{
    return {r.get(KUN::NAVN),
            r.get(KUN::ADRESSE),
            r.get(KUN::ADRESSE2),
            r.get(KUN::POSTNR),
            r.get(KUN::BETALINGSBETINGELSER),
            r.get(KUN::RABATT)};
}

KundeForm::KundeForm(Context& ctx, int request)
    : WindowManager(ctx, "KundeForm", Tbl::KUNDE, request)
{
}

int KundeForm::start()
{
    const int rc = init();
    opened_ = written_ = KundeKopi::of(record());
    kundeId_ = record().get(KUN::KUNDEID);
    return rc;
}

std::string KundeForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Ny kunde";
    case ChangeRecord: return "Endre/vise kunde";
    default: return "Vise kunde";
    }
}

void KundeForm::primeFields()
{
    record().set(KUN::REGISTRERINGSDATO, date::today());
}

int KundeForm::validateRecord()
{
    // The buffer is the caller's again once the form has closed: what is written is kept here.
    written_ = KundeKopi::of(record());
    return LEVEL_BENIGN;
}

void KundeForm::markHovedkontakt(int32_t kontaktId)
{
    record().set(KUN::HOVEDKONTAKT, isHovedkontakt(kontaktId) ? 0 : kontaktId);
}

void KundeForm::fjernHovedkontakt()
{
    record().set(KUN::HOVEDKONTAKT, 0);
}

void KundeForm::kontaktSlettet(int32_t kontaktId)
{
    if (isHovedkontakt(kontaktId))
        fjernHovedkontakt();
}

bool KundeForm::isHovedkontakt(int32_t kontaktId)
{
    return kontaktId != 0 && record().get(KUN::HOVEDKONTAKT) == kontaktId;
}

std::string KundeForm::poststed()
{
    return codeText(context(), 101, record().get(KUN::POSTNR)).substr(0, 50);
}

std::string KundeForm::kundegruppeTekst()
{
    return codeText(context(), 103, record().get(KUN::KUNDEGRUPPE));
}

void KundeForm::afterClose(int)
{
    grunnlagOppdatert_ = oppdaterGrunnlag();
}

int KundeForm::oppdaterGrunnlag()
{
    Context& ctx = context();
    const KundeKopi& now = written_;
    if (response() != RequestCompleted || now == opened_)
        return 0;
    const int32_t kundeId = kundeId_;

    FileManager& gru = ctx.access(Tbl::GRUNNLAG);
    if (gru.OPEN() != LEVEL_BENIGN)
        return 0;
    // The bases are found first and rewritten after, so that no write moves the walk.
    std::vector<int32_t> ids;
    gru.rec().clear();
    gru.rec().set(GRU::KUNDEID, kundeId);
    gru.SETAT(GRU::KeyKundeId_FakturaDato);
    while (gru.TRYNEXT() == LEVEL_BENIGN && gru.rec().get(GRU::KUNDEID) == kundeId)
        ids.push_back(gru.rec().get(GRU::GRUNNLAGID));
    int count = 0;
    if (!ids.empty() &&
        say(ctx,
            "Det eksisterer fakturagrunnlag på denne kunden. Vil du oppdatere disse grunlagene "
            "med de nye kundeendringene?",
            "Oppdater grunnlag?", Icon::Question, BUTTON_YES | BUTTON_NO,
            BUTTON_YES) == BUTTON_YES) {
        for (int32_t id : ids) {
            gru.rec().clear();
            gru.rec().set(GRU::GRUNNLAGID, id);
            bool ok = gru.TRYFETCH(GRU::KeyGrunnlagId) == LEVEL_BENIGN;
            if (ok) {
                gru.rec().set(GRU::KUNDENAVN, now.navn);
                gru.rec().set(GRU::ADRESSE, now.adresse);
                gru.rec().set(GRU::ADRESSE2, now.adresse2);
                gru.rec().set(GRU::POSTNR, now.postnr);
                gru.rec().set(GRU::BETALINGSBETINGELSE, now.betalingsbetingelser);
                ok = gru.TRYUPDATE() == LEVEL_BENIGN;
            }
            if (ok)
                ++count;
            else
                say(ctx, "Det oppstod feil ved oppdatering av grunnlag", "Feil", Icon::Exclamation);
        }
        if (now.rabatt != opened_.rabatt)
            say(ctx,
                "Det er foretatt endring i kundens standard rabatt. Dette kan ikke oppdateres "
                "automatisk så det anbefales at det gåes igjennom denne kundens fakturagrunnlag "
                "mht rabatt",
                "Advarsel", Icon::Exclamation);
        if (count > 0)
            say(ctx, std::to_string(count) + " fakturagrunnlag er oppdatert", "Info",
                Icon::Information);
    }
    gru.CLOSE();
    return count;
}

std::unique_ptr<BrowseClass> KundeForm::kontakter()
{
    Context& ctx = context();
    ctx.rec(Tbl::KONTAKT).set(KON::KUNDEID, record().get(KUN::KUNDEID));
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::KONTAKT);
    view->SETSORT(view->ADDSORTORDER(KON::KeyKundeId_Navn));
    view->ADDRANGE(KON::KUNDEID.no);
    auto list = std::make_unique<BrowseClass>(
        ctx, std::move(view),
        std::vector<PagedTableModel::Column>{{KON::NAVN.no, "Navn", "@s50", {}},
                                             {KON::ROLLESTILLING.no, "Rolle/Stilling", "@s50", {}},
                                             {KON::TELEFON.no, "Telefon", "@s20", {}},
                                             {KON::MOBIL.no, "Mobil", "@s20", {}},
                                             {KON::EMAIL.no, "E-mail", "@s127", {}}},
        std::vector<std::string>{"Navn"});
    Record& kunde = record();
    list->model().rowMark = [&kunde](const Record& r) {
        const int32_t id = r.get(KON::KONTAKTID);
        return id != 0 && kunde.get(KUN::HOVEDKONTAKT) == id ? 1 : 0;
    };
    // A contact added here belongs to this customer, even one not yet saved.
    list->tabChanging = [&ctx, &kunde](int) {
        ctx.rec(Tbl::KONTAKT).set(KON::KUNDEID, kunde.get(KUN::KUNDEID));
    };
    if (readOnly())
        list->buttons = {false, false, false, false, false};
    return list;
}

std::unique_ptr<BrowseClass> KundeForm::fakturaer()
{
    Context& ctx = context();
    ctx.rec(Tbl::FAKTURA).set(FAK::KUNDEID, record().get(KUN::KUNDEID));
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::FAKTURA);
    view->SETSORT(view->ADDSORTORDER(FAK::KeyKundeId_FakturaDato));
    view->ADDRANGE(FAK::KUNDEID.no);
    auto list = std::make_unique<BrowseClass>(
        ctx, std::move(view),
        std::vector<PagedTableModel::Column>{{FAK::FAKTURAID.no, "Ordrenr", "@n_8", {}},
                                             {FAK::FAKTURADATO.no, "Fakturadato", "@d06.B", {}},
                                             {FAK::FORFALLSDATO.no, "Forfallsdato", "@d06.B", {}},
                                             {FAK::BETALTDATO.no, "Betalt dato", "@d06.B", {}},
                                             {FAK::FAKTURASTATUS.no, "Status", "@n_5", {}},
                                             {FAK::TOTALSUM.no, "Totalsum", "@n-14.`2", {}}},
        std::vector<std::string>{"Fakturadato"});
    list->model().rowMark = [](const Record& r) { return r.get(FAK::FAKTURASTATUS); };
    Record& kunde = record();
    list->tabChanging = [&ctx, &kunde](int) {
        ctx.rec(Tbl::FAKTURA).set(FAK::KUNDEID, kunde.get(KUN::KUNDEID));
    };
    // The invoice form and its printout belong to the invoice module: the list's requests stay
    // off until that module has filled their slots.
    const bool form = procedures::FAKTURAFORM.filled() && !readOnly();
    list->buttons = {form, form, form, form,
                     procedures::VELGFAKTURARAPPORT.filled() && !readOnly()};
    list->updateProcedure = [&kunde](Context& c, FormDone done) {
        procedures::FAKTURAFORM(c, kunde.get(KUN::KUNDEID), std::move(done));
    };
    list->printProcedure = [&ctx] {
        procedures::VELGFAKTURARAPPORT(ctx, ctx.rec(Tbl::FAKTURA).get(FAK::FAKTURAID));
    };
    return list;
}

std::unique_ptr<BrowseClass> KundeForm::grunnlag()
{
    Context& ctx = context();
    ctx.rec(Tbl::GRUNNLAG).set(GRU::KUNDEID, record().get(KUN::KUNDEID));
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, Tbl::GRUNNLAG);
    view->SETSORT(view->ADDSORTORDER(GRU::KeyKundeId_FakturaDato));
    view->ADDRANGE(GRU::KUNDEID.no);
    auto list = std::make_unique<BrowseClass>(
        ctx, std::move(view),
        std::vector<PagedTableModel::Column>{
            {GRU::TEKST.no, "Tekst", "@s100", {}},
            {GRU::BETALINGSBETINGELSE.no, "Betalingsbet.", "@n_5B", {}},
            {GRU::TOTALSUM.no, "Totalsum", "@n-14.`2", {}}},
        std::vector<std::string>{"Fakturadato"});
    Record& kunde = record();
    list->tabChanging = [&ctx, &kunde](int) {
        ctx.rec(Tbl::GRUNNLAG).set(GRU::KUNDEID, kunde.get(KUN::KUNDEID));
    };
    // The basis form belongs to the billing module, as the invoice form does above.
    const bool form = procedures::GRUNNLAGFORM.filled() && !readOnly();
    list->buttons = {form, form, form, form, false};
    list->updateProcedure = [&kunde](Context& c, FormDone done) {
        procedures::GRUNNLAGFORM(c, kunde.get(KUN::KUNDEID), std::move(done));
    };
    return list;
}

void KundeForm::setFakturaPeriode(BrowseClass& list, int32_t fra, int32_t til)
{
    ViewManager& view = list.view();
    view.SETFILTER(fra ? "FAK:FakturaDato >= " + std::to_string(fra) : std::string(), "10");
    view.SETFILTER(til ? "FAK:FakturaDato <= " + std::to_string(til) : std::string(), "11");
    list.setTab(list.tab());
}

KundeForm::Summer KundeForm::fakturaSummer(BrowseClass& list)
{
    Summer sum;
    // Read through a view of its own, so that the list's position and buffer stay.
    Context& ctx = context();
    FileManager& fak = ctx.access(Tbl::FAKTURA);
    const Record keep = fak.rec();
    ViewManager all;
    all.INIT(ctx, Tbl::FAKTURA);
    all.SETSORT(all.ADDSORTORDER(FAK::KeyKundeId_FakturaDato));
    all.ADDRANGE(FAK::KUNDEID.no);
    all.SETFILTER(list.view().filterText());
    fak.rec().set(FAK::KUNDEID, record().get(KUN::KUNDEID));
    if (all.OPEN() == LEVEL_BENIGN) {
        all.RESET();
        while (all.NEXT() == LEVEL_BENIGN) {
            const Decimal total = fak.rec().get(FAK::TOTALSUM);
            sum.total += total;
            if (fak.rec().get(FAK::BETALTDATO) != 0)
                sum.betalt += total;
        }
        all.CLOSE();
    }
    fak.rec() = keep;
    return sum;
}

FakturaStatus fakturaStatus(Context& ctx, int32_t status)
{
    if (!SETKODA(ctx, 105, status))
        return {"???", std::nullopt};
    const Record& koda = ctx.rec(Tbl::KODEVERK_ALIAS);
    return {koda.get(KODA::TEKST), koda.get(KODA::LONG2)};
}

KontaktForm::KontaktForm(Context& ctx, int request)
    : WindowManager(ctx, "KONTAKTFORM", Tbl::KONTAKT, request)
{
}

std::string KontaktForm::caption()
{
    switch (originalRequest()) {
    case InsertRecord: return "Ny kontaktperson  (New)";
    case ChangeRecord:
        return "Endre/vise kontaktperson  (" + context().rec(Tbl::KUNDE).get(KUN::NAVN) + ")";
    case DeleteRecord:
        return "Vise kontaktperson  (" + context().rec(Tbl::KUNDE).get(KUN::NAVN) + ")";
    default: return "Vise kontaktperson";
    }
}

bool KontaktForm::kopier(Felt felt)
{
    struct Kopi {
        TextField from, to;
        const char* question;
    };
    static const Kopi kopier[] = {
        {KUN::TELEFON, KON::TELEFON, "Vil du overskrive allerede angitt telefonnummer?"},
        {KUN::MOBIL, KON::MOBIL, "Vil du overskrive allerede angitt mobilnummer?"},
        {KUN::FAKS, KON::FAKS, "Vil du overskrive allerede angitt Faksnummer?"},
        {KUN::EMAIL, KON::EMAIL, "Vil du overskrive allerede angitt E-post adresse?"}};
    const Kopi& k = kopier[felt];
    Record& kontakt = record();
    if (!kontakt.get(k.to).empty() && say(context(), k.question, "Advarsel", Icon::Question,
                                          BUTTON_YES | BUTTON_NO, BUTTON_NO) != BUTTON_YES)
        return false;
    kontakt.set(k.to, context().rec(Tbl::KUNDE).get(k.from));
    return true;
}

} // namespace tavlo
