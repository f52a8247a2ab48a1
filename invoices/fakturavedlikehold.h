#pragma once
// Moving invoices between the live invoice files and the archive pair: "Eksporter" moves the
// marked invoices into the archive, "Importer" brings back the archived invoices of a date
// range. Each invoice goes with its lines, descriptions and notes, copied and deleted in one
// transaction over all four files, so a run that fails or is killed leaves every invoice in
// exactly one place, whole.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tavlo {

class Context;
struct StoreError;

class FakturaVedlikehold {
  public:
    enum class Utfall {
        IngenMerket,    // nothing marked: nothing done
        IngenIPerioden, // no archived invoice in the date range
        UgyldigPeriode, // from after to
        ArkivFeil,      // the other pair of files could not be opened
        Ferdig,
        Stoppet, // an invoice could not be moved: the run stopped there
    };

    explicit FakturaVedlikehold(Context& ctx);

    // The marked invoices in the list's order, into the archive. The invoice with the highest
    // number and the one holding the line with the highest number stay: numbering goes on from
    // the highest number stored, and a number taken again would be in both places. The marks
    // of the invoices archived go; those held back stay marked.
    Utfall eksporter(const std::vector<int32_t>& fakturaer);
    // The archived invoices dated fra to til (0: no bound) back into the live files.
    Utfall importer(int32_t fra, int32_t til);

    // The invoices moved by the last run, in order, and those held back.
    const std::vector<int32_t>& flyttet() const { return flyttet_; }
    const std::vector<int32_t>& holdtIgjen() const { return holdtIgjen_; }

    // What the window "Vent..." shows: LOC:PROGRESSMELDING, and LOC:PROGRESSTELLER of antall.
    std::string progressMelding;
    long progressTeller = 0;
    long antall = 0;
    // Called as the run goes on (each percent, and at each commit): the window redraws.
    std::function<void()> progressChanged;

  private:
    struct Retning;
    Utfall flytt(const Retning& r, const std::vector<int32_t>& fakturaer);
    bool holdTilbake(std::vector<int32_t>& fakturaer, StoreError& err);
    void fremdrift(bool alltid = false);

    Context& ctx_;
    std::vector<int32_t> flyttet_;
    std::vector<int32_t> holdtIgjen_;
    int prosent_ = -1;
};

} // namespace tavlo
