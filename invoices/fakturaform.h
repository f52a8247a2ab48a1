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
#include "invoices/fakturasummer.h"
#include "invoices/kopierfaktura.h"

namespace tavlo {

// What the invoice form and its line forms share while the invoice is open.
struct FakturaFelles {
    int32_t hoyesteLinjenr = 0; // the highest line number read; each OK of a line raises it
};

class FakturaForm : public WindowManager {
  public:
    // kundeId not 0: opened from that customer's invoice list; the customer is copied in at once
    // and cannot be changed.
    FakturaForm(Context& ctx, int32_t kundeId, int request = GlobalRequest);

    int start();
    std::string caption() const;
    bool kundeLast() const { return kundeId_ != 0; }
    FakturaFelles& felles() { return felles_; }

    // Field rules, each after its field was accepted.
    void kundeAccepted();
    // A customer chosen in the customer register: it is in the KUNDE buffer.
    void kundeValgt();
    void fakturadatoAccepted();
    void betalingsbetingelseAccepted();
    void postnrAccepted();
    void statusAccepted();
    void mvaTypeAccepted();
    // The lookup key on our reference: the parameters' standard.
    void varReferanseStandard();

    // "MVA:" or "Herav MVA:", and whether the VAT group is open; the rounding group is open
    // when the parameters round totals.
    std::string mvaLedetekst() const;
    bool mvaAapen() const;
    bool avrundingAapen() const;

    // The totals from the stored lines; at opening and after every change of the lines.
    void summer();
    const Decimal& avrunding() const { return avrunding_; }
    bool totalsumKreditnota() const;

    // The invoice's lines in line-number order; heading lines marked 1.
    std::unique_ptr<BrowseClass> linjer();
    static std::string mvaFormat(const Record& linje);
    // The highlighted line (FAKLINJE buffer) one place up or down; false when it cannot move.
    bool flyttOpp();
    bool flyttNed();

    // The project link. "Opprett ny prosjektlinje": false with the warning when the invoice is
    // linked already. Then, with the project chosen in the PROSJEKT buffer, what the link
    // dialog proposes; its confirmed values make the link, written with the invoice.
    bool kanKobleProsjekt();
    bool prosjektValgt(PrjLinkInfo& forslag);
    void prosjektKoblet(const PrjLinkInfo& info);
    void slettProsjektlinje();
    void brytProsjektkobling();

    std::string poststed();
    std::string fakturastatusTekst();
    std::string utskriftstatusTekst();
    std::string prosjektTekst();
    std::string prjLinjeTekst();

  protected:
    void primeFields() override;
    void beforeWrite() override;
    void afterWrite(bool written) override;

  private:
    void kopierKunde(const Record& kunde);
    void forfall();
    bool flytt(bool opp);

    int32_t kundeId_;
    Record par_;
    FakturaFelles felles_;
    Decimal avrunding_;
    int32_t sistKunde_ = 0, sistStatus_ = 0, sistMvaType_ = 0;
    int32_t statusVedStart_ = 0, datoVedStart_ = 0, forfallVedStart_ = 0;
    bool nyKobling_ = false;
    PrjLinkInfo kobling_;
    std::string valgtProsjekt_, prosjektNavn_;
};

class FakturaLinjeForm : public WindowManager {
  public:
    // The invoice is the one in the FAKTURA buffer; `felles` is its form's.
    FakturaLinjeForm(Context& ctx, FakturaFelles& felles, int request = GlobalRequest);

    int start();
    std::string caption() const;
    // The invoice calculates no VAT: the line's VAT fields are closed.
    bool mvaAapen() const;
    bool datoAapen() const;

    void produktAccepted();
    // A product chosen in the product register: it is in the PRODUKT buffer.
    void produktValgt();
    void mvapliktigAccepted();
    void rabattAccepted();
    void enhetsprisAccepted() { linjesum(); }
    // The stock check while typing, then the sum.
    void antallAccepted();
    // The heading box changed: a heading line holds only its text.
    void overskriftChanged();
    bool erOverskrift() const;

    const Decimal& delsum() const { return delsum_; }
    const Decimal& rabattkroner() const { return rabattkroner_; }
    void linjesum();

    bool kanKobleProsjekt();
    bool prosjektValgt(PrjLinkInfo& forslag);
    void prosjektKoblet(const PrjLinkInfo& info);
    void slettProsjektlinje();
    void brytProsjektkobling();
    std::string prosjektTekst();
    std::string prjLinjeTekst();

  protected:
    void primeFields() override;
    void okPressed() override;
    void beforeWrite() override;

  private:
    void kopierProdukt(const Record& produkt);
    void standardMvaSats();

    FakturaFelles& felles_;
    Record par_;
    Decimal kundeRabatt_, delsum_, rabattkroner_;
    int32_t sistProdukt_ = 0;
    Decimal antallVedStart_, sistSjekket_;
    bool nyKobling_ = false;
    PrjLinkInfo kobling_;
    std::string valgtProsjekt_, prosjektNavn_;
};

// The parameter record as it stands; false when it cannot be read.
bool lesParametre(Context& ctx, Record& par);

} // namespace tavlo
