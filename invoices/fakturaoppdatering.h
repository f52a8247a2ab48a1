#pragma once
// The batch updates on the marked invoices: a new status, re-dating them when asked, or a paid
// date. Each invoice is read, changed and written in a transaction of its own, so a run stopped
// halfway leaves every invoice either updated or as it was, never half.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavlo {

class Context;
class Record;

class FakturaOppdatering {
  public:
    enum class Utfall {
        IngenMerket,      // nothing to update: the window stays
        StatusFinnesIkke, // the chosen status is not a code: the window stays
        Ferdig,
        FerdigMedFeil, // some invoices could not be read or written
    };

    explicit FakturaOppdatering(Context& ctx);

    // "Oppdater fakturastatus": the new status, and whether the invoices are re-dated.
    int32_t fakturaStatus = 0;
    bool oppdaterDatoer = true;
    // "Oppdater betaltdato": the invoice's own due date, or the date given.
    bool brukForfallsdato = false;
    int32_t betaltDato;
    // The date invoices are re-dated to (today).
    int32_t idag;

    // The invoices marked in the register, in the list's order.
    static std::vector<int32_t> merkede();

    // Invoices that already have the new status are left alone; the marks stay.
    Utfall oppdaterStatus(const std::vector<int32_t>& fakturaer);
    // An invoice already paid is overwritten only when the user says so.
    Utfall oppdaterBetaltdato(const std::vector<int32_t>& fakturaer);

    // Whether the window closes after the run.
    static bool lukkes(Utfall u) { return u == Utfall::Ferdig || u == Utfall::FerdigMedFeil; }

    // The invoices written by the last run, in order.
    const std::vector<int32_t>& oppdatert() const { return oppdatert_; }
    // Those read but left as they were: the status was the new one already, or the user kept
    // the paid date.
    const std::vector<int32_t>& uendret() const { return uendret_; }
    // Invoices handled so far of the run going on (or the last), and of how many.
    long behandlet() const { return behandlet_; }
    long antall() const { return antall_; }
    bool running() const { return running_; }
    // Called every percent of a run: the window redraws its bar and lets events run.
    std::function<void()> progressChanged;

  private:
    enum class Steg { Skriv, LaVaere };
    Utfall kjor(const std::vector<int32_t>& fakturaer,
                const std::function<Steg(Record& faktura)>& endre);
    void fremdrift();

    Context& ctx_;
    std::vector<int32_t> oppdatert_;
    std::vector<int32_t> uendret_;
    long behandlet_ = 0;
    long antall_ = 0;
    int prosent_ = -1;
    bool running_ = false;
};

} // namespace tavlo
