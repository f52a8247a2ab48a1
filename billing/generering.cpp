#include "billing/generering.h"

#include <chrono>
#include <limits>
#include <memory>

#include "customfields/egendef.h"
#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "data/marks.h"
#include "data/stock.h"
#include "framework/filemanager.h"
#include "framework/text.h"
#include "framework/transaction.h"
#include "invoices/fakturaform.h"
#include "invoices/fakturasummer.h"

namespace tavlo {

namespace {

void feil(Context& ctx, const std::string& text)
{
    say(ctx, text, "Feil", Icon::Hand);
}

bool sporNei(Context& ctx, const std::string& text)
{
    return say(ctx, text, "Advarsel", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO) !=
           BUTTON_YES;
}

std::vector<int32_t> ider(const std::vector<TagEntry>& merker)
{
    std::vector<int32_t> v;
    v.reserve(merker.size());
    for (const TagEntry& t : merker)
        v.push_back(t.id);
    return v;
}

// The managers a run uses, open for as long as it lasts.
class Apne {
  public:
    explicit Apne(Context& ctx)
    {
        for (Tbl t : {Tbl::GRUNNLAG_ALIAS, Tbl::GRULINJE_ALIAS, Tbl::FAKTURA_ALIAS,
                      Tbl::FAKLINJE_ALIAS, Tbl::PRODUKT, Tbl::KUNDE_ALIAS, Tbl::KODEVERK_ALIAS}) {
            FileManager& m = ctx.access(t);
            if (m.OPEN() != LEVEL_BENIGN)
                return;
            open_.push_back(&m);
        }
    }
    ~Apne()
    {
        for (FileManager* m : open_)
            m->CLOSE();
    }
    bool alle() const { return open_.size() == 7; }

  private:
    std::vector<FileManager*> open_;
};

} // namespace

// The invoices of a run are committed together, a fraction of a second's worth at a time, each
// in a savepoint of its own: an invoice that fails is rolled back alone, and a run that is killed
// loses at most the last group, every invoice of it whole. A commit of the three files costs a
// dozen disk syncs; one per invoice would make a month's run several times slower.
class FakturaGenerering::Skriving {
  public:
    explicit Skriving(FakturaGenerering& g) : g_(g) {}
    ~Skriving() { fullfor(); }

    // The transaction of the group, begun when the first invoice of it is written.
    bool apne(StoreError& err)
    {
        if (tx_)
            return true;
        Context& ctx = g_.ctx_;
        tx_ = std::make_unique<Transaction>(ctx);
        start_ = std::chrono::steady_clock::now();
        return tx_->enlist(ctx.access(Tbl::FAKTURA_ALIAS), err) &&
               tx_->enlist(ctx.access(Tbl::FAKLINJE_ALIAS), err) &&
               tx_->enlist(ctx.access(Tbl::PRODUKT), err) && tx_->begin(err);
    }
    // True when the group was committed with it: only then may other windows run (and write),
    // since they would otherwise wait for this transaction's lock on this very thread.
    bool skrevet(int32_t id)
    {
        ventende_.push_back(id);
        if (std::chrono::steady_clock::now() - start_ <= std::chrono::milliseconds(200))
            return false;
        fullfor();
        return true;
    }
    // Commits the group; its invoices are made only now.
    bool fullfor()
    {
        if (!tx_)
            return true;
        StoreError err;
        const bool ok = tx_->commit(err);
        tx_.reset();
        g_.ctx_.dropReadAhead();
        if (!ok) {
            g_.generert_ -= static_cast<int>(ventende_.size());
            ventende_.clear();
            feil(g_.ctx_, "Fakturaene kunne ikke lagres: " +
                              (err.driverText.empty() ? err.text : err.driverText));
            return false;
        }
        for (int32_t id : ventende_) {
            g_.fakturaer_.push_back(id);
            if (g_.merker_)
                g_.merker_->append(id);
        }
        ventende_.clear();
        return true;
    }

  private:
    FakturaGenerering& g_;
    std::unique_ptr<Transaction> tx_;
    std::chrono::steady_clock::time_point start_;
    std::vector<int32_t> ventende_;
};

// What one invoice is made of: the basis with its lines, and in mode 1 the customer.
struct FakturaGenerering::Kilde {
    explicit Kilde() : grunnlag(table(Tbl::GRUNNLAG_ALIAS)), kunde(table(Tbl::KUNDE_ALIAS)) {}
    Record grunnlag;
    std::vector<Record> linjer;
    Record kunde;
    bool medKunde = false;
    Decimal avrunding;
    // The spare fields of the basis and the invoice, as pairs of field numbers.
    std::vector<std::pair<int, int>> egne;
};

FakturaGenerering::FakturaGenerering(Context& ctx, int32_t modus) : ctx_(ctx), modus_(modus) {}

FakturaGenerering::Apning FakturaGenerering::apne()
{
    if (modus_ == PerKunde && GLQ::TAG_KUNDE.empty()) {
        feil(ctx_, "Ingen kunder markert");
        return Apning::IngenMerket;
    }
    if (modus_ == PerGrunnlag && GLQ::TAG_GRUNNLAG.empty()) {
        feil(ctx_, "Ingen grunnlag markert");
        return Apning::IngenMerket;
    }
    if (modus_ != PerKunde && modus_ != PerGrunnlag) {
        feil(ctx_, "Ukjent genereringstype");
        return Apning::UkjentType;
    }
    return Apning::Apnes;
}

void FakturaGenerering::grunnlagAccepted(int32_t id)
{
    if (id != 0 && SETGRUA(ctx_, id)) {
        const Record& g = ctx_.rec(Tbl::GRUNNLAG_ALIAS);
        grunnlagId_ = g.get(GRUA::GRUNNLAGID);
        melding = g.get(GRUA::MELDING);
        grunnlagTekst_ = g.get(GRUA::TEKST);
        return;
    }
    grunnlagId_ = 0;
    melding.clear();
    grunnlagTekst_.clear();
}

void FakturaGenerering::grunnlagValgt()
{
    const Record& g = ctx_.rec(Tbl::GRUNNLAG);
    grunnlagId_ = g.get(GRU::GRUNNLAGID);
    melding = g.get(GRU::MELDING);
    grunnlagTekst_ = g.get(GRU::TEKST);
}

std::string FakturaGenerering::fremdrift() const
{
    return std::to_string(generert_) + "/" + std::to_string(antall_);
}

FakturaGenerering::Utfall FakturaGenerering::generer()
{
    if (modus_ != PerKunde && modus_ != PerGrunnlag)
        return Utfall::Ingenting;
    ProcedureScope scope(ctx_, "GENERERNYEFAKTURAER");
    Marks merker(GLQ::TAG_FAKTURA);
    if (markerFakturaer)
        merker.clear();
    generert_ = 0;
    fakturaer_.clear();
    hoppetOver_.clear();
    if (modus_ == PerKunde && grunnlagId_ == 0) {
        feil(ctx_, "Du må angi grunnlag");
        return Utfall::Ingenting;
    }
    // Counted again now: another window may have changed the marks since the window opened.
    const std::vector<int32_t> liste =
        utvalg ? *utvalg : ider(modus_ == PerKunde ? GLQ::TAG_KUNDE : GLQ::TAG_GRUNNLAG);
    antall_ = static_cast<int>(liste.size());
    if (liste.empty()) {
        feil(ctx_,
             modus_ == PerKunde ? "Ingen kunder er markert" : "Ingen grunnlagsposter er markert");
        return Utfall::Lukk;
    }
    merker_ = markerFakturaer ? &merker : nullptr;
    running_ = true;
    const Utfall u = kjor(liste);
    running_ = false;
    merker_ = nullptr;
    if (progressChanged)
        progressChanged();
    return u;
}

FakturaGenerering::Utfall FakturaGenerering::kjor(const std::vector<int32_t>& liste)
{
    Apne apne(ctx_);
    if (!apne.alle())
        return Utfall::Avbrutt; // the record store has said why
    Skriving skriving(*this);
    Kilde k;
    Record par(table(Tbl::PARAM));
    if (lesParametre(ctx_, par))
        k.avrunding = par.get(PAR::AVRUNDING);
    for (int i = 1; i <= 20; ++i)
        k.egne.emplace_back(spareField(Tbl::GRUNNLAG, i), spareField(Tbl::FAKTURA, i));

    // A basis with its lines, in line-number order.
    auto lesGrunnlag = [this, &k](int32_t id) {
        FileManager& grua = ctx_.access(Tbl::GRUNNLAG_ALIAS);
        grua.rec().clear();
        grua.rec().set(GRUA::GRUNNLAGID, id);
        if (id == 0 || grua.TRYFETCH(GRUA::KeyGrunnlagId) != LEVEL_BENIGN)
            return false;
        k.grunnlag.copyFrom(grua.rec());
        k.linjer.clear();
        FileManager& glia = ctx_.access(Tbl::GRULINJE_ALIAS);
        Record& l = glia.rec();
        l.clear();
        l.set(GLIA::GRUNNLAGID, id);
        l.set(GLIA::LINJENR, std::numeric_limits<int32_t>::min());
        glia.SETAT(GLIA::KeyGrunnlagId_LinjeNr);
        int rc;
        while ((rc = glia.TRYNEXT()) == LEVEL_BENIGN && l.get(GLIA::GRUNNLAGID) == id)
            k.linjer.push_back(l);
        return rc == LEVEL_BENIGN || glia.GETEOF();
    };
    auto avslutt = [this, &skriving] {
        if (!skriving.fullfor())
            return Utfall::Avbrutt;
        say(ctx_, std::to_string(generert_) + " fakturaer er Generert", "Info", Icon::Exclamation);
        return Utfall::Ferdig;
    };

    if (modus_ == PerKunde) {
        if (!lesGrunnlag(grunnlagId_)) {
            feil(ctx_, "Det oppsto feil under oppslag på Grunnlag");
            return Utfall::Avbrutt;
        }
        const std::string nr = std::to_string(grunnlagId_);
        if (!text::trim(k.grunnlag.get(GRUA::KUNDENAVN)).empty() &&
            sporNei(ctx_, "Kunde er angitt på grunnlag nr " + nr +
                              ". Vil du generere faktura for denne posten allikevel?")) {
            hoppetOver_.push_back(grunnlagId_);
            return Utfall::Ingenting;
        }
        k.medKunde = true;
        for (int32_t kunde : liste) {
            if (!SETKUNA(ctx_, kunde)) {
                feil(ctx_, "Det oppsto feil under oppslag på Kunde");
                return Utfall::Avbrutt;
            }
            k.kunde.copyFrom(ctx_.rec(Tbl::KUNDE_ALIAS));
            if (!skrivFaktura(k, skriving))
                return Utfall::Avbrutt;
            if (stopp && stopp())
                break;
        }
        return avslutt();
    }

    for (int32_t id : liste) {
        if (!lesGrunnlag(id)) {
            feil(ctx_, "Det oppsto feil under oppslag på Grunnlag");
            return Utfall::Avbrutt;
        }
        if (text::trim(k.grunnlag.get(GRUA::KUNDENAVN)).empty() &&
            sporNei(ctx_, "Kunde er ikke angitt på grunnlag nr " + std::to_string(id) +
                              ". Vil du generere faktura for denne posten allikevel?")) {
            hoppetOver_.push_back(id);
            continue;
        }
        if (!skrivFaktura(k, skriving))
            return Utfall::Avbrutt;
        if (stopp && stopp())
            break;
    }
    return avslutt();
}

bool FakturaGenerering::skrivFaktura(const Kilde& k, Skriving& s)
{
    FileManager& faka = ctx_.access(Tbl::FAKTURA_ALIAS);
    FileManager& flia = ctx_.access(Tbl::FAKLINJE_ALIAS);
    const Record& g = k.grunnlag;
    Record& f = faka.rec();
    f.clear();
    f.set(FAKA::FAKTURADATO, fakturadato);
    if (k.medKunde) {
        const Record& c = k.kunde;
        f.set(FAKA::KUNDEID, c.get(KUNA::KUNDEID));
        f.set(FAKA::KUNDENAVN, c.get(KUNA::NAVN));
        f.set(FAKA::ADRESSE, c.get(KUNA::ADRESSE));
        f.set(FAKA::ADRESSE2, c.get(KUNA::ADRESSE2));
        f.set(FAKA::POSTNR, c.get(KUNA::POSTNR));
        f.set(FAKA::POSTSTED, codeText(ctx_, 101, c.get(KUNA::POSTNR)));
        f.set(FAKA::KONTAKTID, c.get(KUNA::HOVEDKONTAKT));
        const int32_t terms = g.get(GRUA::BETALINGSBETINGELSE);
        f.set(FAKA::BETALINGSBETINGELSE, terms != 0 ? terms : c.get(KUNA::BETALINGSBETINGELSER));
    } else {
        f.set(FAKA::KUNDEID, g.get(GRUA::KUNDEID));
        f.set(FAKA::KUNDENAVN, g.get(GRUA::KUNDENAVN));
        f.set(FAKA::ADRESSE, g.get(GRUA::ADRESSE));
        f.set(FAKA::ADRESSE2, g.get(GRUA::ADRESSE2));
        f.set(FAKA::POSTNR, g.get(GRUA::POSTNR));
        f.set(FAKA::POSTSTED, g.get(GRUA::POSTSTED));
        f.set(FAKA::KONTAKTID, g.get(GRUA::KONTAKTID));
        f.set(FAKA::BETALINGSBETINGELSE, g.get(GRUA::BETALINGSBETINGELSE));
    }
    f.set(FAKA::FORFALLSDATO, fakturadato + f.get(FAKA::BETALINGSBETINGELSE));
    f.set(FAKA::FAKTURASTATUS, 1);
    f.set(FAKA::UTSKRIFTSTATUS, 1);
    f.set(FAKA::DERESREFERANSE, g.get(GRUA::DERESREFERANSE));
    f.set(FAKA::VARREFERANSE, g.get(GRUA::VARREFERANSE));
    f.set(FAKA::MVATYPE, g.get(GRUA::MVATYPE));
    const std::string_view egen = text::rtrim(melding);
    f.set(FAKA::MELDING, egen.empty() ? std::string_view(g.get(GRUA::MELDING)) : egen);
    f.set(FAKA::DIV, g.get(GRUA::DIV));
    for (const auto& [fra, til] : k.egne) {
        if (g.decl().fields[fra].type == FieldType::TEXT)
            f.setStr(til, g.str(fra));
        else
            f.setNum(til, g.num(fra));
    }

    // The lines, and the totals from them as the invoice form has them.
    std::vector<Record> linjer;
    linjer.reserve(k.linjer.size());
    FakturaSummering summering(f.get(FAKA::MVATYPE));
    for (const Record& gl : k.linjer) {
        Record l(table(Tbl::FAKLINJE_ALIAS));
        l.set(FLIA::OVERSKRIFT, gl.get(GLIA::OVERSKRIFT));
        l.set(FLIA::LINJENR, gl.get(GLIA::LINJENR));
        l.set(FLIA::PRODUKTID, gl.get(GLIA::PRODUKTID));
        l.set(FLIA::PRODUKTNAVN, gl.get(GLIA::PRODUKTNAVN));
        l.set(FLIA::MVAPLIKTIG, gl.get(GLIA::MVAPLIKTIG));
        l.set(FLIA::MVASATS, gl.get(GLIA::MVASATS));
        l.set(FLIA::ANTALL, gl.get(GLIA::ANTALL));
        l.set(FLIA::ENHETSBENEVNELSE, gl.get(GLIA::ENHETSBENEVNELSE));
        l.set(FLIA::RABATT, gl.get(GLIA::RABATT));
        l.set(FLIA::ENHETSPRIS, gl.get(GLIA::ENHETSPRIS));
        l.set(FLIA::SUM, gl.get(GLIA::SUM));
        l.set(FLIA::BESKRIVELSE, gl.get(GLIA::BESKRIVELSE));
        l.set(FLIA::DIV, gl.get(GLIA::DIV));
        summering.add(l);
        linjer.push_back(std::move(l));
    }
    settSummer(f, summering.result(k.avrunding, false));

    StoreError err;
    if (!s.apne(err)) {
        feil(ctx_, "Fakturaen kunne ikke lagres: " +
                       (err.driverText.empty() ? err.text : err.driverText));
        return false;
    }
    // The invoice's own savepoint: what fails of it goes, the group's other invoices stay.
    TableFile* fil = faka.file();
    if (!fil->begin(err))
        return false;
    auto angre = [this, fil] {
        fil->rollback(); // to the savepoint, and out of it
        ctx_.dropReadAhead();
        return false;
    };
    if (faka.INSERT() != LEVEL_BENIGN)
        return angre(); // the record store has said why; nothing of the invoice stays
    const int32_t id = f.get(FAKA::FAKTURAID);
    for (const Record& l : linjer) {
        flia.rec().copyFrom(l);
        flia.rec().set(FLIA::FAKTURAID, id);
        if (flia.TRYINSERT() != LEVEL_BENIGN) {
            say(ctx_,
                "Det oppsto feil under opprettese av fakturalinje på faktura nr " +
                    std::to_string(id),
                "", Icon::Hand);
            return angre();
        }
        // Silently: the run asks nothing; its result is not looked at.
        OPPDATERLAGERBEHOLDNING(ctx_, l.get(FLIA::PRODUKTID), -l.get(FLIA::ANTALL), false, false);
    }
    if (!fil->commit(err))
        return angre();
    ++generert_;
    if (s.skrevet(id) && progressChanged)
        progressChanged();
    return true;
}

} // namespace tavlo
