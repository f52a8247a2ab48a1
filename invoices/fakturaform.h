#pragma once
// The invoice form's rules and the invoice line form's: priming, the customer's and the
// product's data copied in, the due date, the credit note from the status, the VAT type, the
// totals after every change of the lines, moving lines, the project link, the saving steps and
// the credit-limit check; for a line: its number, discounts, sum, heading lines, stock and its
// project link. Headless; the windows bind to these.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/browse.h"
#include "framework/decimal.h"
#include "framework/windowmanager.h"
#include "invoices/dokumentform.h"
#include "invoices/fakturasummer.h"
#include "invoices/kopierfaktura.h"

namespace tavlo {

using FakturaFelles = DokumentFelles;

class FakturaForm : public DokumentForm {
  public:
    // kundeId not 0: opened from that customer's invoice list; the customer is copied in at once
    // and cannot be changed.
    FakturaForm(Context& ctx, int32_t kundeId, int request = GlobalRequest);

    int start();
    std::string caption() const override;

    void statusAccepted();
    bool totalsumKreditnota() const override;

    // The project link. "Opprett ny prosjektlinje": false with the warning when the invoice is
    // linked already. Then, with the project chosen in the PROSJEKT buffer, what the link
    // dialog proposes; its confirmed values make the link, written with the invoice.
    bool kanKobleProsjekt();
    bool prosjektValgt(PrjLinkInfo& forslag);
    void prosjektKoblet(const PrjLinkInfo& info);
    void slettProsjektlinje();
    void brytProsjektkobling();

    std::string fakturastatusTekst();
    std::string utskriftstatusTekst();
    std::string prosjektTekst();
    std::string prjLinjeTekst();

  protected:
    void primeFields() override;
    void beforeWrite() override;
    void afterWrite(bool written) override;
    void forfall() override;

  private:
    int32_t sistStatus_ = 0;
    int32_t statusVedStart_ = 0, datoVedStart_ = 0, forfallVedStart_ = 0;
    bool nyKobling_ = false;
    PrjLinkInfo kobling_;
    std::string valgtProsjekt_, prosjektNavn_;
};

class FakturaLinjeForm : public DokumentLinjeForm {
  public:
    // The invoice is the one in the FAKTURA buffer; `felles` is its form's.
    FakturaLinjeForm(Context& ctx, FakturaFelles& felles, int request = GlobalRequest);

    int start();
    std::string caption() const override;
    // The invoice calculates no VAT: the line's VAT fields are closed.
    bool mvaAapen() const;
    bool datoAapen() const;

    // The stock check while typing, then the sum.
    void antallAccepted() override;
    void overskriftChanged() override;

    bool kanKobleProsjekt();
    bool prosjektValgt(PrjLinkInfo& forslag);
    void prosjektKoblet(const PrjLinkInfo& info);
    void slettProsjektlinje();
    void brytProsjektkobling();
    std::string prosjektTekst();
    std::string prjLinjeTekst();

  protected:
    void primeFields() override;
    void beforeWrite() override;
    bool produktMedMva() const override { return mvaAapen(); }

  private:
    Decimal antallVedStart_, sistSjekket_;
    bool nyKobling_ = false;
    PrjLinkInfo kobling_;
    std::string valgtProsjekt_, prosjektNavn_;
};

} // namespace tavlo
