#pragma once
// The billing-basis form's rules and its line form's: the shared rules of an invoice-like form,
// and what is the basis's own: its priming, its due date (kept when the date or the terms are
// missing), its captions and code texts. Headless; the windows bind to these.
#include <cstdint>
#include <string>

#include "invoices/dokumentform.h"

namespace tavlo {

class GrunnlagForm : public DokumentForm {
  public:
    // kundeId not 0: opened from that customer's list of bases.
    GrunnlagForm(Context& ctx, int32_t kundeId, int request = GlobalRequest);

    int start();
    std::string caption() const override;
    std::string typeTekst();
    std::string fakturastatusTekst();

  protected:
    void primeFields() override;
    void forfall() override;
};

class GrunnlagLinjeForm : public DokumentLinjeForm {
  public:
    // The basis is the one in the GRUNNLAG buffer; `felles` is its form's.
    GrunnlagLinjeForm(Context& ctx, DokumentFelles& felles, int request = GlobalRequest);

    int start() { return startLinje(); }
    std::string caption() const override;
};

} // namespace tavlo
