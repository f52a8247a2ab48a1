#include "invoices/fakturaoppdatering.h"

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/transaction.h"

namespace tavlo {

namespace {

void feil(Context& ctx, const std::string& text)
{
    say(ctx, text, "Feil", Icon::Exclamation);
}

} // namespace

FakturaOppdatering::FakturaOppdatering(Context& ctx)
    : betaltDato(date::today()), idag(date::today()), ctx_(ctx)
{
}

std::vector<int32_t> FakturaOppdatering::merkede()
{
    std::vector<int32_t> ids;
    ids.reserve(GLQ::TAG_FAKTURA.size());
    for (const TagEntry& t : GLQ::TAG_FAKTURA)
        ids.push_back(t.id);
    return ids;
}

FakturaOppdatering::Utfall FakturaOppdatering::oppdaterStatus(const std::vector<int32_t>& fakturaer)
{
    ProcedureScope scope(ctx_, "OPPDATERFAKTURASTATUS");
    if (fakturaer.empty()) {
        say(ctx_, "Ingen fakturaer er merket for oppdatering", "Advarsel", Icon::Exclamation);
        return Utfall::IngenMerket;
    }
    if (!SETKODA(ctx_, 105, fakturaStatus)) {
        feil(ctx_, "Det oppsto feil under oppslag på fakturastatus");
        return Utfall::StatusFinnesIkke;
    }
    const int32_t betingelse = ctx_.rec(Tbl::KODEVERK_ALIAS).get(KODA::LONG3);
    return kjor(fakturaer, [this, betingelse](Record& f) {
        if (f.get(FAKA::FAKTURASTATUS) == fakturaStatus)
            return Steg::LaVaere;
        if (oppdaterDatoer) {
            // An invoice leaving its first status keeps the dates it was first sent with.
            if (f.get(FAKA::FAKTURASTATUS) <= 1) {
                if (f.get(FAKA::OPPRINNELIGFAKTURADATO) == 0)
                    f.set(FAKA::OPPRINNELIGFAKTURADATO, f.get(FAKA::FAKTURADATO));
                if (f.get(FAKA::OPPRINNELIGFORFALLSDATO) == 0)
                    f.set(FAKA::OPPRINNELIGFORFALLSDATO, f.get(FAKA::FORFALLSDATO));
            }
            f.set(FAKA::FAKTURADATO, idag);
            if (betingelse != 0)
                f.set(FAKA::BETALINGSBETINGELSE, betingelse);
            f.set(FAKA::FORFALLSDATO, idag + f.get(FAKA::BETALINGSBETINGELSE));
        }
        f.set(FAKA::FAKTURASTATUS, fakturaStatus);
        f.set(FAKA::UTSKRIFTSTATUS, 1); // to be printed again
        return Steg::Skriv;
    });
}

FakturaOppdatering::Utfall
FakturaOppdatering::oppdaterBetaltdato(const std::vector<int32_t>& fakturaer)
{
    ProcedureScope scope(ctx_, "OPPDATERBETALTDATO");
    if (fakturaer.empty()) {
        say(ctx_, "Ingen fakturaer er merket for oppdatering", "Advarsel", Icon::Exclamation);
        return Utfall::IngenMerket;
    }
    return kjor(fakturaer, [this](Record& f) {
        const int32_t id = f.get(FAKA::FAKTURAID);
        if (f.get(FAKA::BETALTDATO) != 0 &&
            say(ctx_,
                "Faktura " + std::to_string(id) +
                    " er allerede markert som betalt. Vil du overskrive?",
                "Advarsel", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO) != BUTTON_YES)
            return Steg::LaVaere;
        f.set(FAKA::BETALTDATO, brukForfallsdato ? f.get(FAKA::FORFALLSDATO) : betaltDato);
        f.set(FAKA::UTSKRIFTSTATUS, 2);
        return Steg::Skriv;
    });
}

FakturaOppdatering::Utfall FakturaOppdatering::kjor(const std::vector<int32_t>& fakturaer,
                                                    const std::function<Steg(Record&)>& endre)
{
    oppdatert_.clear();
    uendret_.clear();
    behandlet_ = 0;
    antall_ = static_cast<long>(fakturaer.size());
    prosent_ = -1;
    running_ = true;
    fremdrift();
    // The alias: the register's own buffer keeps the invoice it shows.
    FileManager& faka = ctx_.access(Tbl::FAKTURA_ALIAS);
    int feilet = 0;
    const bool open = faka.OPEN() == LEVEL_BENIGN;
    for (int32_t id : fakturaer) {
        const std::string nr = std::to_string(id);
        if (!open) {
            feil(ctx_, "Det oppsto feil under oppslag på Faktura: " + nr);
            ++feilet;
            break;
        }
        // The read and the write in one transaction: another user's change in between is not
        // overwritten, and a killed run leaves the invoice as it was.
        Transaction tx(ctx_);
        StoreError err;
        faka.rec().clear();
        faka.rec().set(FAKA::FAKTURAID, id);
        if (!tx.enlist(faka, err) || !tx.begin(err) ||
            faka.TRYFETCH(FAKA::KeyFakturaId) != LEVEL_BENIGN) {
            feil(ctx_, "Det oppsto feil under oppslag på Faktura: " + nr);
            ++feilet;
        } else {
            switch (endre(faka.rec())) {
            case Steg::Skriv:
                if (faka.TRYUPDATE() != LEVEL_BENIGN || !tx.commit(err)) {
                    feil(ctx_, "Det oppsto feil under oppdatering av Faktura: " + nr);
                    ++feilet;
                } else {
                    oppdatert_.push_back(id);
                }
                break;
            case Steg::LaVaere: uendret_.push_back(id); break;
            }
        }
        ++behandlet_;
        fremdrift();
    }
    if (open)
        faka.CLOSE();
    running_ = false;
    if (progressChanged)
        progressChanged();
    say(ctx_,
        feilet ? "Det oppsto feil under oppdatering av fakturaer"
               : "Markerte fakturaer er nå opprettet",
        "Info", Icon::Information);
    return feilet ? Utfall::FerdigMedFeil : Utfall::Ferdig;
}

void FakturaOppdatering::fremdrift()
{
    const int now = antall_ == 0 ? 100 : static_cast<int>(behandlet_ * 100 / antall_);
    // Per percent, not per invoice: a bar repainted for every invoice slows the run down.
    if (now == prosent_)
        return;
    prosent_ = now;
    if (progressChanged)
        progressChanged();
}

} // namespace tavlo
