#pragma once
// The form rules an invoice and a billing basis share, over the fields of either table: the
// customer and postal place copied in, the VAT type, the totals from the stored lines, the line
// list and moving lines; and for a line: its number, the customer's discount, the product copied
// in, the sum, the discount's bounds, the standard VAT rate and heading lines. Each form adds its
// own rules; the windows bind to these.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/browse.h"
#include "framework/decimal.h"
#include "framework/windowmanager.h"
#include "invoices/dokument.h"

namespace tavlo {

// What a header form and its line forms share while the header is open.
struct DokumentFelles {
    int32_t hoyesteLinjenr = 0; // the highest line number read; each OK of a line raises it
};

class DokumentForm : public WindowManager {
  public:
    // kundeId not 0: opened from that customer's list; the customer is copied in at once and
    // cannot be changed.
    DokumentForm(Context& ctx, const char* name, const HodeFelt& hode, const LinjeFelt& linje,
                 int32_t kundeId, int request);

    const HodeFelt& hode() const { return hode_; }
    const LinjeFelt& linjeFelt() const { return linje_; }
    // The window's title by request.
    virtual std::string caption() const = 0;
    bool kundeLast() const { return kundeId_ != 0; }
    DokumentFelles& felles() { return felles_; }

    // Field rules, each after its field was accepted.
    void kundeAccepted();
    // A customer chosen in the customer register: it is in the KUNDE buffer.
    void kundeValgt();
    void postnrAccepted();
    void fakturadatoAccepted() { forfall(); }
    void betalingsbetingelseAccepted() { forfall(); }
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
    virtual bool totalsumKreditnota() const { return false; }

    // The header's lines in line-number order; heading lines marked 1.
    std::unique_ptr<BrowseClass> linjer();
    static std::string mvaFormat(const Record& linje, const LinjeFelt& f);
    // The highlighted line (the line table's buffer) one place up or down; false when it
    // cannot move.
    bool flyttOpp();
    bool flyttNed();

    std::string poststed();
    const Record& parametre() const { return par_; }

  protected:
    // Reads the parameters and opens the form.
    int startDokument();
    // Then, with what the form keeps of the record as it was: the customer the form was given
    // copied in, the postal place and the totals.
    void kopierGittKunde();
    // The due date after the customer, the date or the terms changed.
    virtual void forfall() = 0;
    void kopierKunde(const Record& kunde);

    int32_t sistKunde_ = 0, sistMvaType_ = 0;

  private:
    bool flytt(bool opp);

    const HodeFelt& hode_;
    const LinjeFelt& linje_;
    int32_t kundeId_;
    Record par_;
    DokumentFelles felles_;
    Decimal avrunding_;
};

class DokumentLinjeForm : public WindowManager {
  public:
    // The header is the one in its table's buffer; `felles` is its form's.
    DokumentLinjeForm(Context& ctx, const char* name, const HodeFelt& hode, const LinjeFelt& linje,
                      DokumentFelles& felles, int request);

    const LinjeFelt& linjeFelt() const { return linje_; }
    // The window's title by request.
    virtual std::string caption() const = 0;

    void produktAccepted();
    // A product chosen in the product register: it is in the PRODUKT buffer.
    void produktValgt();
    void mvapliktigAccepted();
    void rabattAccepted();
    void enhetsprisAccepted() { linjesum(); }
    virtual void antallAccepted() { linjesum(); }
    // The heading box changed: a heading line holds only its text.
    virtual void overskriftChanged();
    bool erOverskrift() const;

    const Decimal& delsum() const { return delsum_; }
    const Decimal& rabattkroner() const { return rabattkroner_; }
    void linjesum();

  protected:
    int startLinje();
    void primeFields() override;
    void okPressed() override;
    // Whether a product's VAT is copied in.
    virtual bool produktMedMva() const { return true; }
    void standardMvaSats();
    const Record& parametre() const { return par_; }
    const Record& hodeRecord();

    DokumentFelles& felles_;
    int32_t sistProdukt_ = 0;

  private:
    void kopierProdukt(const Record& produkt);

    const HodeFelt& hode_;
    const LinjeFelt& linje_;
    Record par_;
    Decimal kundeRabatt_, delsum_, rabattkroner_;
};

// The parameter record as it stands; false when it cannot be read.
bool lesParametre(Context& ctx, Record& par);

// Invoice `fakturaId` into `faktura`, read through the alias so that a window's own buffer keeps
// the invoice it shows; `faktura` is untouched unless it is found.
enum class FakturaOppslag { Funnet, FinnesIkke, KanIkkeApnes };
FakturaOppslag lesFaktura(Context& ctx, int32_t fakturaId, Record& faktura);

} // namespace tavlo
