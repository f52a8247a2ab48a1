#pragma once
// The rules of the window "Produktvedlikehold" (PRODUKTVEDLIKEHOLD): every product to a
// comma-delimited exchange file, and such a file read in as new products. No widgets: a view
// binds "&Filnavn:" to fileName(), shows counter() as "Antall::" whenever progressChanged is
// called, and calls the runs from "&Importer" and "&Eksporter". Every question and notice goes
// through the context's answer service.
#include <functional>
#include <string>

#include "data/exchangerun.h"
#include "deltekst/deltekst.h"

namespace tavlo {

class Context;

class ProduktVedlikehold {
  public:
    // Failed: stopped and said why; an import leaves PRODUKT as it was.
    using Outcome = exchange::Outcome;

    // The window opens: the file name becomes PRODUKT.TXT in the current directory.
    explicit ProduktVedlikehold(Context& ctx);
    ProduktVedlikehold(const ProduktVedlikehold&) = delete;
    ProduktVedlikehold& operator=(const ProduktVedlikehold&) = delete;

    // GLO::PRODUKTIMPORTPTH.
    std::string& fileName();
    // The runs' own questions (before an import, overwriting the file) taken as Yes without
    // being asked: for scripts.
    bool confirmed = false;
    // How the file is cut and in which character set it is written (read: told apart).
    deltekst::Options options;
    std::function<void()> progressChanged;

    // LOC:LOOPTELLER: products handled by the run going on or the last one ("Antall::").
    long counter() const { return counter_; }

    Outcome exportFile();
    Outcome importFile();

    // The exchange record: 32 fields, one line per product.
    static const deltekst::Layout& layout();

  private:
    void count();
    void resetCount();

    Context& ctx_;
    long counter_ = 0;
};

} // namespace tavlo
