#pragma once
// The customer form's rules and the contact form's: captions, the main contact, the texts
// beside the codes, the copy of a changed customer into its billing bases, and the contact's
// copies of the customer's numbers. Headless; the windows bind to these.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "framework/browse.h"
#include "framework/decimal.h"
#include "framework/windowmanager.h"

namespace tavlo {

// The customer's fields that its billing bases carry a copy of (and the discount, which they
// cannot take over), as they were when the form opened.
struct KundeKopi {
    std::string navn, adresse, adresse2;
    int32_t postnr = 0;
    int32_t betalingsbetingelser = 0;
    Decimal rabatt;

    static KundeKopi of(const Record& kunde);
    bool operator==(const KundeKopi&) const = default;
};

class KundeForm : public WindowManager {
  public:
    explicit KundeForm(Context& ctx, int request = GlobalRequest);

    // init() and the customer's values as they are now, for the billing bases later.
    int start();
    std::string caption() const;

    // "Marker hovedkontakt": this contact becomes the main one, or none when it was already.
    void markHovedkontakt(int32_t kontaktId);
    void fjernHovedkontakt();
    bool isHovedkontakt(int32_t kontaktId);
    // A contact deleted from the list: the customer keeps no main contact that is gone.
    void kontaktSlettet(int32_t kontaktId);

    // The texts beside the post number and the group: empty for a code without a match.
    std::string poststed();
    std::string kundegruppeTekst();

    // The billing bases rewritten when the form ended (see afterClose).
    int grunnlagOppdatert() const { return grunnlagOppdatert_; }

    // The customer's contacts, the main contact's row marked 1.
    std::unique_ptr<BrowseClass> kontakter();

    // The customer's billing bases by invoice date; their form is GRUNNLAGFORM for this
    // customer, once the billing module has filled its slot.
    std::unique_ptr<BrowseClass> grunnlag();
    // The customer's invoices by date, each row marked with its status code; their form is
    // FAKTURAFORM for this customer and their printout VELGFAKTURARAPPORT, once the invoice
    // module has filled the slots.
    std::unique_ptr<BrowseClass> fakturaer();
    // The period of the invoice list (0: open at that end); the list is read anew.
    void setFakturaPeriode(BrowseClass& list, int32_t fra, int32_t til);
    struct Summer {
        Decimal betalt, total;
    };
    // Over every invoice the list's view holds: the total, and the part already paid.
    Summer fakturaSummer(BrowseClass& list);

  protected:
    void primeFields() override;
    int validateRecord() override;
    // Once the customer is written and the form has closed: when the name, address, post
    // number, payment terms or discount changed, offers to rewrite the customer's billing bases.
    void afterClose(int response) override;

  private:
    int oppdaterGrunnlag();

    KundeKopi opened_, written_;
    int32_t kundeId_ = 0;
    int grunnlagOppdatert_ = 0;
};

// An invoice status as the lists show it: the text of its code, and its colour (BGR) or none.
struct FakturaStatus {
    std::string tekst;
    std::optional<int32_t> farge;
};
FakturaStatus fakturaStatus(Context& ctx, int32_t status);

class KontaktForm : public WindowManager {
  public:
    enum Felt { Telefon, Mobil, Faks, Epost };

    // The customer is the one in the KUN buffer.
    explicit KontaktForm(Context& ctx, int request = GlobalRequest);
    std::string caption();
    // The customer's value into the contact; a filled field only after Yes. False when left.
    bool kopier(Felt felt);
};

} // namespace tavlo
