#include "products/produktform.h"

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/filemanager.h"
#include "framework/picture.h"
#include "framework/text.h"

namespace tavlo {

namespace {

constexpr const char* kProsentBilde = "@n-14.`2";

// The standard VAT rate of the parameter record as it stands now; the one read at start-up
// when there is none to read.
int32_t standardMvaSats(Context& ctx)
{
    FileManager& par = ctx.access(Tbl::PARAM);
    if (par.OPEN() != LEVEL_BENIGN)
        return GLO::STD_MVA_SATS;
    const Record keep = par.rec();
    par.SET(PAR::KeyParameterId);
    const int32_t sats =
        par.NEXT() == LEVEL_BENIGN ? par.rec().get(PAR::STDMVASATS) : GLO::STD_MVA_SATS;
    par.rec() = keep;
    par.CLOSE();
    return sats;
}

} // namespace

ProduktForm::ProduktForm(Context& ctx, int request)
    : WindowManager(ctx, "ProduktForm", Tbl::PRODUKT, request)
{
}

int ProduktForm::start()
{
    const int rc = init();
    maxRabatt_ = record().get(PRO::MAXFAKTURALINJERABATT);
    lager_ = record().get(PRO::LAGERSTYRING) != 0;
    return rc;
}

std::string ProduktForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Nytt produkt";
    case ChangeRecord: return "Endre/vise produkt";
    default: return "View Record";
    }
}

void ProduktForm::primeFields()
{
    record().set(PRO::MVASATS, GLO::STD_MVA_SATS);
}

int ProduktForm::validateRecord()
{
    return maxRabattAccepted() ? LEVEL_BENIGN : LEVEL_USER;
}

std::string ProduktForm::mvaTypeTekst()
{
    switch (GLO::STD_MVA_TYPE) {
    case 1: return "(Eksklusiv MVA)";
    case 2: return "(Inklusiv MVA)";
    default: return "(Ingen MVA)";
    }
}

bool ProduktForm::mvaAapen() const
{
    return !readOnly() && (GLO::STD_MVA_TYPE == 1 || GLO::STD_MVA_TYPE == 2);
}

void ProduktForm::mvapliktigAccepted()
{
    if (record().get(PRO::MVAPLIKTIG) && record().get(PRO::MVASATS) == 0)
        record().set(PRO::MVASATS, standardMvaSats(context()));
}

bool ProduktForm::maxRabattAccepted()
{
    const std::string typed(text::trim(record().get(PRO::MAXFAKTURALINJERABATT)));
    if (typed == maxRabatt_)
        return true;
    if (typed.empty()) {
        record().set(PRO::MAXFAKTURALINJERABATT, std::string());
        maxRabatt_.clear();
        return true;
    }
    // Typed with a point or a comma for decimals, as people do.
    std::optional<Decimal> value = picture::parseNumber(kProsentBilde, typed);
    if (!value)
        value = Decimal::parse(typed);
    if (!value) {
        record().set(PRO::MAXFAKTURALINJERABATT, maxRabatt_);
        say(context(), "Maksimal rabatt må være et tall fra 0 til 100.", "Feil", Icon::Exclamation);
        return false;
    }
    Decimal v = *value;
    if (v > Decimal::fromInt(100))
        v = Decimal::fromInt(100);
    if (v < Decimal::fromInt(0))
        v = Decimal::fromInt(0);
    maxRabatt_ = maxRabattTekst(v);
    record().set(PRO::MAXFAKTURALINJERABATT, maxRabatt_);
    return true;
}

std::optional<Decimal> ProduktForm::maxRabatt(const std::string& stored)
{
    const std::string_view t = text::trim(stored);
    if (t.empty())
        return std::nullopt;
    return picture::parseNumber(kProsentBilde, t);
}

std::string ProduktForm::maxRabattTekst(const Decimal& value)
{
    return std::string(text::trim(picture::format(kProsentBilde, value)));
}

bool ProduktForm::lagerAapen() const
{
    return !readOnly() && lager_;
}

bool ProduktForm::lagerstyringChanged()
{
    const bool now = record().get(PRO::LAGERSTYRING) != 0;
    if (now == lager_)
        return false;
    lager_ = now;
    return true;
}

std::string ProduktForm::produktgruppeTekst()
{
    return codeText(context(), 102, record().get(PRO::PRODUKTGRUPPE));
}

} // namespace tavlo
