#pragma once
// The product form's rules: the caption, a new product's VAT rate, the text beside the price,
// which groups of controls are open, the highest discount kept as a number text, and the
// product group's text. Headless; the window binds to these.
#include <cstdint>
#include <optional>
#include <string>

#include "framework/decimal.h"
#include "framework/windowmanager.h"

namespace tavlo {

class ProduktForm : public WindowManager {
  public:
    explicit ProduktForm(Context& ctx, int request = GlobalRequest);

    // init(), then what the field rules compare with later.
    int start();
    std::string caption() const;

    // The text beside the price, from the system's standard VAT type.
    static std::string mvaTypeTekst();
    // The VAT rate and "MVA pliktig" can be changed only when the system calculates VAT.
    bool mvaAapen() const;
    // "MVA pliktig" accepted: a VAT-liable product without a rate gets the system's standard
    // rate.
    void mvapliktigAccepted();

    // The highest discount accepted: a new value becomes a number text between 0,00 and
    // 100,00; empty stays empty. Text that is no number is refused with a message and the
    // field gets back what it held (false).
    bool maxRabattAccepted();
    // The highest discount as a number, for the line forms; none when the text is empty.
    static std::optional<Decimal> maxRabatt(const std::string& stored);
    static std::string maxRabattTekst(const Decimal& value);

    // Whether the stock fields are open: they follow "Lagerstyring".
    bool lagerAapen() const;
    // "Lagerstyring" changed; true when the stock fields opened or closed.
    bool lagerstyringChanged();

    std::string produktgruppeTekst();

  protected:
    void primeFields() override;
    // The highest discount as typed is normalised before every write, even when the field was
    // never left.
    int validateRecord() override;

  private:
    std::string maxRabatt_;
    bool lager_ = false;
};

} // namespace tavlo
