#pragma once
// The rules of the window "Produktvedlikehold" (PRODUKTVEDLIKEHOLD): every product to a
// comma-delimited exchange file, and such a file read in as new products. No widgets: a view
// binds "&Filnavn:" to fileName(), shows counter() as "Antall::" whenever progressChanged is
// called, and calls the runs from "&Importer" and "&Eksporter". Every question and notice goes
// through the context's answer service.
#include <string>

#include "data/exchangerun.h"
#include "deltekst/deltekst.h"

namespace tavlo {

class Context;

class ProduktVedlikehold : public exchange::Run {
  public:
    // Failed: stopped and said why; an import leaves PRODUKT as it was.
    using Outcome = exchange::Outcome;

    // The window opens: the file name becomes PRODUKT.TXT in the current directory.
    explicit ProduktVedlikehold(Context& ctx);

    Outcome exportFile();
    Outcome importFile();

    // The exchange record: 32 fields, one line per product.
    static const deltekst::Layout& layout();
};

} // namespace tavlo
