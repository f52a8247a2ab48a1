#pragma once
// Invoices made from billing bases in one run: one chosen basis for every marked customer
// (mode 1), or every marked basis for the customer it names (mode 2). The bases are only read.
// Each invoice is written with its lines, its totals and its stock changes in one transaction:
// a run that stops, however it stops, leaves every invoice it made whole, and no part of one.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavlo {

class Context;
class Marks;

class FakturaGenerering {
  public:
    enum Modus : int32_t { PerKunde = 1, PerGrunnlag = 2 };
    enum class Apning {
        Apnes,       // the window opens
        IngenMerket, // nothing marked: the window does not open
        UkjentType,  // the window opens, but generates nothing
    };
    enum class Utfall {
        Ingenting, // nothing was run (no basis chosen, the user said no): the window stays
        Lukk,      // the marks were gone: the window closes
        Ferdig,    // the run went through, or was stopped: see generert()
        Avbrutt,   // the run ended on an error
    };

    FakturaGenerering(Context& ctx, int32_t modus);

    // The checks before the window opens, with their messages.
    Apning apne();

    int32_t modus() const { return modus_; }
    int32_t fakturadato = 0;
    bool markerFakturaer = true;
    std::string melding;
    // Mode 1: the basis chosen.
    int32_t grunnlagId() const { return grunnlagId_; }
    const std::string& grunnlagTekst() const { return grunnlagTekst_; }
    // A basis number typed: found, its number, message and text are taken; else all three are
    // emptied.
    void grunnlagAccepted(int32_t id);
    // A basis chosen in the register: it is in the GRUNNLAG buffer.
    void grunnlagValgt();

    // The customers (mode 1) or bases (mode 2) to invoice, in order, instead of the marks.
    std::optional<std::vector<int32_t>> utvalg;

    Utfall generer();
    // Whether the invoice register is started (with "Kunde" or "Grunnlag") after the run.
    bool visFakturaer() const { return markerFakturaer && generert_ > 0; }
    const char* kartotekKaller() const { return modus_ == PerKunde ? "Kunde" : "Grunnlag"; }

    // The run going on, or the last: invoices made, of how many; "3/10".
    int generert() const { return generert_; }
    int antall() const { return antall_; }
    std::string fremdrift() const;
    const std::vector<int32_t>& fakturaer() const { return fakturaer_; }
    // Bases left out because the user said no (mode 2; in mode 1 the chosen one).
    const std::vector<int32_t>& hoppetOver() const { return hoppetOver_; }
    bool running() const { return running_; }
    // Asked after every invoice: true stops the run there.
    std::function<bool()> stopp;
    // Between invoices, after a commit (a few times a second) and at the end: the window shows
    // the count and lets other windows work.
    std::function<void()> progressChanged;

  private:
    struct Kilde;
    class Skriving;
    Utfall kjor(const std::vector<int32_t>& ider);
    bool skrivFaktura(const Kilde& k, Skriving& s);

    Context& ctx_;
    int32_t modus_;
    int32_t grunnlagId_ = 0;
    std::string grunnlagTekst_;
    int generert_ = 0, antall_ = 0;
    std::vector<int32_t> fakturaer_, hoppetOver_;
    bool running_ = false;
    Marks* merker_ = nullptr; // where the new invoices are marked, during a run
};

} // namespace tavlo
