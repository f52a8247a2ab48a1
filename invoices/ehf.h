#pragma once
// Invoices and credit notes as electronic invoices: Peppol BIS Billing 3.0 in UBL 2.1, which
// Norway calls EHF. The sums are the invoice's own (fakturasummer.h): a line's VAT is what it
// added to the invoice's VAT, so the document's VAT breakdown adds up to the printed VAT to the
// øre, and the rounding is the printout's. What the document needs and the data folder lacks is
// said per invoice in a plain sentence, and that invoice is not written.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/ehfoppsett.h"
#include "data/record.h"

namespace tavlo {

class Context;

struct EhfDokument {
    int32_t fakturaId = 0;
    bool kreditnota = false;
    std::string xml;
};

// "faktura-1234.xml", "kreditnota-1235.xml".
std::string ehfFilnavn(int32_t fakturaId, bool kreditnota);
// The UN/ECE code of a unit as people write it ("stk", "timer", "kg"); "C62" (one) for any
// other.
std::string ehfEnhet(std::string_view enhet);

class EhfSkriver {
  public:
    // Reads the parameter record once for every invoice that follows.
    explicit EhfSkriver(Context& ctx);

    // The document of invoice `fakturaId`; false with `grunn` saying why it cannot be sent
    // ("kunden mangler organisasjonsnummer").
    bool lag(int32_t fakturaId, EhfDokument& ut, std::string& grunn);

    // What is wrong with the company's own data, which stops every invoice; empty when fine.
    const std::string& oppsettFeil() const { return oppsettFeil_; }

  private:
    Context& ctx_;
    Record par_;
    ehf::Oppsett oppsett_;
    std::string oppsettFeil_;
    std::string konto_; // eleven digits, or empty
};

struct EhfUtfall {
    int32_t fakturaId = 0;
    std::string fil;   // written, in the folder
    std::string grunn; // why not; empty when written
};
struct EhfKjoring {
    std::vector<EhfUtfall> utfall; // in the order asked
    int skrevet = 0, avvist = 0;
};

// One file per invoice into `mappe`, each written whole or not at all. `fremdrift` hears
// (done, of) after each invoice.
EhfKjoring sendSomEhf(Context& ctx, const std::vector<int32_t>& fakturaer, const std::string& mappe,
                      const std::function<void(long, long)>& fremdrift = {});

// One line per invoice not written, for a message or the terminal: "Faktura 12: …".
std::string ehfAvvisninger(const EhfKjoring& k);

// "Send som EHF..." in the invoice register: the marked invoices, or `markert` (the highlighted
// one) when none is marked; asks for the folder, writes a file for each, and says what was
// written and which invoices were not, and why. The folder chosen is kept in `mappe` and offered
// the next time. False when there was nothing to send or the user left the folder dialog.
bool sendSomEhfFraKartotek(Context& ctx, int32_t markert, std::string& mappe,
                           const std::function<void(long, long)>& fremdrift = {});

} // namespace tavlo
