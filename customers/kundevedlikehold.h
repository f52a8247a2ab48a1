#pragma once
// The rules of the window "Kundevedlikehold" (KUNDEVEDLIKEHOLD): every customer with its contact
// persons to a comma-delimited exchange file, and such a file read in as new customers and
// contacts. No widgets: a view binds "&Filnavn:" to fileName(), shows counter() as "Antall::"
// whenever progressChanged is called, and calls the runs from "&Importer" and "&Eksporter".
// Every question and notice goes through the context's answer service.
#include <string>

#include "data/exchangerun.h"
#include "deltekst/deltekst.h"

namespace tavlo {

class Context;

class KundeVedlikehold : public exchange::Run {
  public:
    // Failed: stopped and said why; an import leaves both tables as they were.
    using Outcome = exchange::Outcome;

    // The window opens: the file name becomes KUNDE.TXT in the current directory.
    explicit KundeVedlikehold(Context& ctx);

    Outcome exportFile();
    Outcome importFile();

    // The exchange record: 38 fields, the customer's on a line of type 1, the contact's on a
    // line of type 2.
    static const deltekst::Layout& layout();
};

} // namespace tavlo
