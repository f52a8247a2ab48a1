#include "invoices/dokumentform.h"

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/filemanager.h"
#include "framework/text.h"
#include "framework/viewmanager.h"
#include "invoices/fakturasummer.h"

namespace tavlo {

namespace {

bool sporJa(Context& ctx, const std::string& text, const char* caption, unsigned standard)
{
    return say(ctx, text, caption, Icon::Question, BUTTON_YES | BUTTON_NO, standard) == BUTTON_YES;
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

FakturaOppslag lesFaktura(Context& ctx, int32_t fakturaId, Record& faktura)
{
    FileManager& faka = ctx.access(Tbl::FAKTURA_ALIAS);
    if (faka.OPEN() != LEVEL_BENIGN)
        return FakturaOppslag::KanIkkeApnes;
    faka.rec().clear();
    faka.rec().set(FAKA::FAKTURAID, fakturaId);
    const bool funnet = faka.TRYFETCH(FAKA::KeyFakturaId) == LEVEL_BENIGN;
    if (funnet)
        faktura = faka.rec();
    faka.CLOSE();
    return funnet ? FakturaOppslag::Funnet : FakturaOppslag::FinnesIkke;
}

// ---------------------------------------------------------------------------------------------
// The header

DokumentForm::DokumentForm(Context& ctx, const char* name, const HodeFelt& hode,
                           const LinjeFelt& linje, int32_t kundeId, int request)
    : WindowManager(ctx, name, hode.tabell, request), hode_(hode), linje_(linje), kundeId_(kundeId),
      par_(table(Tbl::PARAM))
{
}

int DokumentForm::startDokument()
{
    Context& ctx = context();
    if (!lesParametre(ctx, par_))
        par_.clear();
    const int rc = init();
    if (rc != LEVEL_BENIGN)
        return rc;
    Record& r = record();
    sistKunde_ = r.get(hode_.kundeId);
    sistMvaType_ = r.get(hode_.mvaType);
    return rc;
}

void DokumentForm::kopierGittKunde()
{
    Record& r = record();
    if (kundeId_ != 0 && !readOnly()) {
        // Opened from the customer's list: that customer, copied in at once.
        r.set(hode_.kundeId, kundeId_);
        if (originalRequest() == InsertRecord || sistKunde_ != kundeId_) {
            sistKunde_ = 0;
            kundeAccepted();
        }
    }
    if (r.get(hode_.postnr) != 0)
        r.set(hode_.poststed, poststed());
    summer();
}

void DokumentForm::kopierKunde(const Record& k)
{
    tavlo::kopierKunde(context(), record(), hode_, k);
    forfall();
}

void DokumentForm::kundeAccepted()
{
    Record& r = record();
    const int32_t id = r.get(hode_.kundeId);
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
    glemKunde(r, hode_);
}

void DokumentForm::kundeValgt()
{
    const Record& k = context().rec(Tbl::KUNDE);
    record().set(hode_.kundeId, k.get(KUN::KUNDEID));
    sistKunde_ = k.get(KUN::KUNDEID);
    kopierKunde(k);
}

void DokumentForm::postnrAccepted()
{
    record().set(hode_.poststed, poststed());
}

void DokumentForm::mvaTypeAccepted()
{
    const int32_t type = record().get(hode_.mvaType);
    if (type == sistMvaType_)
        return;
    sistMvaType_ = type;
    summer();
}

void DokumentForm::varReferanseStandard()
{
    record().set(hode_.varReferanse, par_.get(PAR::VAARREFERANSESTD));
}

std::string DokumentForm::mvaLedetekst() const
{
    return const_cast<DokumentForm*>(this)->record().get(hode_.mvaType) == 2 ? "Herav MVA:"
                                                                             : "MVA:";
}

bool DokumentForm::mvaAapen() const
{
    return const_cast<DokumentForm*>(this)->record().get(hode_.mvaType) != 0;
}

bool DokumentForm::avrundingAapen() const
{
    return !par_.get(PAR::AVRUNDING).isZero();
}

void DokumentForm::summer()
{
    Record& r = record();
    FakturaSummer s;
    if (!summerLinjer(context(), linje_, r.get(hode_.id), r.get(hode_.mvaType),
                      par_.get(PAR::AVRUNDING), totalsumKreditnota(), s))
        return;
    settSummer(r, hode_, s);
    avrunding_ = s.avrunding;
    felles_.hoyesteLinjenr = s.hoyesteLinjenr;
}

std::string DokumentForm::mvaFormat(const Record& l, const LinjeFelt& f)
{
    if (!l.get(f.mvaPliktig) || l.get(f.mvaSats) == 0)
        return {};
    return std::to_string(l.get(f.mvaSats));
}

std::unique_ptr<BrowseClass> DokumentForm::linjer()
{
    Context& ctx = context();
    Record& hode = record();
    const LinjeFelt& f = linje_;
    const HodeFelt& h = hode_;
    auto prime = [&ctx, &hode, &f, &h](int) { ctx.rec(f.tabell).set(f.hodeId, hode.get(h.id)); };
    prime(0);
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, f.tabell);
    view->SETSORT(view->ADDSORTORDER(f.hodeLinjeKey));
    view->ADDRANGE(f.hodeId.no);
    auto list = std::make_unique<BrowseClass>(
        ctx, std::move(view),
        std::vector<PagedTableModel::Column>{{f.produktId.no, "Nr", "@n_8B"},
                                             {f.produktnavn.no, "Produkt", "@s40"},
                                             {f.enhet.no, "Enhet", "@s10"},
                                             {f.mvaSats.no, "MVA", "@s4", Qt::AlignRight,
                                              [&f](const Record& l) { return mvaFormat(l, f); }},
                                             {f.enhetspris.no, "Enhetspris", "@n-14.`2B"},
                                             {f.antall.no, "Antall", "@n-14.`2B"},
                                             {f.rabatt.no, "% Rab", "@n-7`2B"},
                                             {f.sum.no, "Sum", "@n-14.`2B"}},
        std::vector<std::string>{"Linjer"});
    list->withoutLocator = {0};
    list->model().rowMark = [&f](const Record& l) { return l.get(f.overskrift) ? 1 : 0; };
    list->tabChanging = prime;
    if (readOnly())
        list->buttons = {false, false, false, false, false};
    return list;
}

bool DokumentForm::flytt(bool opp)
{
    const bool ok = flyttLinje(context(), linje_, opp, felles_.hoyesteLinjenr);
    summer();
    return ok;
}

bool DokumentForm::flyttOpp()
{
    return flytt(true);
}

bool DokumentForm::flyttNed()
{
    return flytt(false);
}

std::string DokumentForm::poststed()
{
    return codeText(context(), 101, record().get(hode_.postnr));
}

// ---------------------------------------------------------------------------------------------
// A line

DokumentLinjeForm::DokumentLinjeForm(Context& ctx, const char* name, const HodeFelt& hode,
                                     const LinjeFelt& linje, DokumentFelles& felles, int request)
    : WindowManager(ctx, name, linje.tabell, request), felles_(felles), hode_(hode), linje_(linje),
      par_(table(Tbl::PARAM))
{
    settings().insertAction = INSERT_STAY;
}

int DokumentLinjeForm::startLinje()
{
    if (!lesParametre(context(), par_))
        par_.clear();
    const int rc = init();
    if (rc != LEVEL_BENIGN)
        return rc;
    sistProdukt_ = record().get(linje_.produktId);
    linjesum();
    return rc;
}

const Record& DokumentLinjeForm::hodeRecord()
{
    return context().rec(hode_.tabell);
}

void DokumentLinjeForm::primeFields()
{
    Context& ctx = context();
    Record& r = record();
    r.set(linje_.linjenr, felles_.hoyesteLinjenr + 1);
    delsum_ = rabattkroner_ = Decimal();
    sistProdukt_ = 0;
    kundeRabatt_ = Decimal();
    const int32_t kunde = hodeRecord().get(hode_.kundeId);
    if (kunde != 0 && SETKUNA(ctx, kunde)) {
        kundeRabatt_ = ctx.rec(Tbl::KUNDE_ALIAS).get(KUNA::RABATT);
        r.set(linje_.rabatt, kundeRabatt_);
    }
}

void DokumentLinjeForm::kopierProdukt(const Record& p)
{
    Record& r = record();
    tavlo::kopierProdukt(r, linje_, p, kundeRabatt_, produktMedMva());
    sistProdukt_ = r.get(linje_.produktId);
    standardMvaSats();
    linjesum();
}

void DokumentLinjeForm::produktAccepted()
{
    const int32_t id = record().get(linje_.produktId);
    if (id == 0 || id == sistProdukt_)
        return;
    // A number that is not there gives blank and zero values, as its lookup leaves them.
    SETPROA(context(), id);
    kopierProdukt(context().rec(Tbl::PRODUKT_ALIAS));
}

void DokumentLinjeForm::produktValgt()
{
    const Record& p = context().rec(Tbl::PRODUKT);
    record().set(linje_.produktId, p.get(PRO::PRODUKTID));
    kopierProdukt(p);
}

void DokumentLinjeForm::standardMvaSats()
{
    tavlo::standardMvaSats(record(), linje_, par_.get(PAR::STDMVASATS));
}

void DokumentLinjeForm::mvapliktigAccepted()
{
    standardMvaSats();
}

void DokumentLinjeForm::rabattAccepted()
{
    rabattGrense(record(), linje_);
    linjesum();
}

void DokumentLinjeForm::linjesum()
{
    const Linjeberegning b = tavlo::linjesum(record(), linje_);
    delsum_ = b.delsum;
    rabattkroner_ = b.rabattkroner;
}

void DokumentLinjeForm::overskriftChanged()
{
    Record& r = record();
    if (!r.get(linje_.overskrift))
        return;
    tomOverskrift(r, linje_);
    delsum_ = rabattkroner_ = Decimal();
    sistProdukt_ = 0;
}

bool DokumentLinjeForm::erOverskrift() const
{
    return const_cast<DokumentLinjeForm*>(this)->record().get(linje_.overskrift) != 0;
}

void DokumentLinjeForm::okPressed()
{
    ++felles_.hoyesteLinjenr;
    standardMvaSats();
    Record& r = record();
    if (bareTekst(r, linje_) &&
        sporJa(context(), "Mye tyder på at dette er en overskrift. Er det det?", "Overskrift?",
               BUTTON_YES))
        r.set(linje_.overskrift, 1);
}

} // namespace tavlo
