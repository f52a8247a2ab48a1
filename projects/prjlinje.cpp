#include "projects/prjlinje.h"

#include "data/context.h"
#include "framework/filemanager.h"
#include "framework/text.h"

namespace tavlo {

namespace {

void feil(Context& ctx, const std::string& text)
{
    say(ctx, text, "Feil", Icon::Exclamation);
}

void info(Context& ctx, const std::string& text)
{
    say(ctx, text, "Info", Icon::Information);
}

// The table open for one operation, closed again on every way out.
class Linjer {
  public:
    explicit Linjer(Context& ctx)
        : fm_(ctx.access(Tbl::PRJLINJE)), open_(fm_.OPEN() == LEVEL_BENIGN)
    {
    }
    ~Linjer()
    {
        if (open_)
            fm_.CLOSE();
    }
    Linjer(const Linjer&) = delete;
    Linjer& operator=(const Linjer&) = delete;
    bool open() const { return open_; }
    FileManager* operator->() { return &fm_; }
    Record& rec() { return fm_.rec(); }

    // The line `id` into the buffer; the lookup message when it is not there.
    bool fetch(Context& ctx, int32_t id)
    {
        rec().clear();
        rec().set(PLI::PRJLINJEID, id);
        if (fm_.TRYFETCH(PLI::KeyPrjLinjeId) == LEVEL_BENIGN)
            return true;
        feil(ctx, "Det oppstod feil under oppslag på prosjektlinje.");
        return false;
    }

  private:
    FileManager& fm_;
    bool open_;
};

// False when an amount does not fit in its field (more than nine digits before the comma).
bool store(Context& ctx, Record& r, const PrjLinjeVerdier& v)
{
    r.set(PLI::PROSJEKTID, v.prosjektId);
    r.set(PLI::FAKTURAID, v.fakturaId);
    r.set(PLI::FAKLINJEID, v.fakLinjeId);
    r.set(PLI::DATO, v.dato);
    r.set(PLI::FAKTURASTATUS, v.fakturaStatus);
    r.set(PLI::TEKST, v.tekst);
    r.set(PLI::DIV, v.div);
    if (r.set(PLI::INN, v.inn) && r.set(PLI::UT, v.ut))
        return true;
    feil(ctx, "Beløpet er for stort for en prosjektlinje.");
    return false;
}

} // namespace

bool prosjektIdPasser(Context& ctx, const std::string& id)
{
    if (text::length(id) <= kPrjLinjeIdLengde)
        return true;
    feil(ctx, "Prosjekt-ID-en «" + id + "» er lengre enn " + std::to_string(kPrjLinjeIdLengde) +
                  " tegn og kan ikke brukes på en prosjektlinje.");
    return false;
}

int32_t INSERTPRJLINJE(Context& ctx, const PrjLinjeVerdier& v)
{
    ProcedureScope scope(ctx, "INSERTPRJLINJE");
    if (!prosjektIdPasser(ctx, v.prosjektId))
        return 0;
    Linjer pli(ctx);
    if (!pli.open())
        return 0;
    pli.rec().clear();
    if (pli->TRYPRIMEAUTOINC() != LEVEL_BENIGN) {
        feil(ctx, "Det oppstod feil under klargjøring av prosjektlinje info.");
        return 0;
    }
    if (!store(ctx, pli.rec(), v)) {
        pli->CANCELAUTOINC();
        return 0;
    }
    if (pli->INSERT() != LEVEL_BENIGN) {
        pli->CANCELAUTOINC();
        feil(ctx, "Det oppstod feil under opprettelse av prosjektlinje.");
        return 0;
    }
    info(ctx, "Prosjektlinje er opprettet");
    return pli.rec().get(PLI::PRJLINJEID);
}

int UPDATEPRJLINJE(Context& ctx, int32_t prjLinjeId, const PrjLinjeVerdier& v)
{
    ProcedureScope scope(ctx, "UPDATEPRJLINJE");
    if (!prosjektIdPasser(ctx, v.prosjektId))
        return 0;
    Linjer pli(ctx);
    if (!pli.open() || !pli.fetch(ctx, prjLinjeId) || !store(ctx, pli.rec(), v))
        return 0;
    if (pli->UPDATE() != LEVEL_BENIGN) {
        feil(ctx, "Det oppstod feil under oppdatering av prosjektlinje.");
        return 0;
    }
    info(ctx, "Prosjektlinje er oppdatert");
    return 1;
}

int DELETEPRJLINJE(Context& ctx, int32_t prjLinjeId)
{
    ProcedureScope scope(ctx, "DELETEPRJLINJE");
    Linjer pli(ctx);
    if (!pli.open() || !pli.fetch(ctx, prjLinjeId))
        return 0;
    if (pli->DELETERECORD(true) != LEVEL_BENIGN) {
        feil(ctx, "Det oppstod feil under sletting av prosjektlinje.");
        return 0;
    }
    info(ctx, "Prosjektlinje er Slettet");
    return 1;
}

int UPDATEPRJLINJE_BELOP(Context& ctx, int32_t prjLinjeId, const Decimal& inn, const Decimal& ut)
{
    ProcedureScope scope(ctx, "UPDATEPRJLINJE_BELOP");
    Linjer pli(ctx);
    if (!pli.open() || !pli.fetch(ctx, prjLinjeId))
        return 0;
    if (!pli.rec().set(PLI::INN, inn) || !pli.rec().set(PLI::UT, ut)) {
        feil(ctx, "Beløpet er for stort for en prosjektlinje.");
        return 0;
    }
    if (pli->UPDATE() != LEVEL_BENIGN) {
        feil(ctx, "Det oppstod feil under oppdatering av beløp på prosjektlinje.");
        return 0;
    }
    info(ctx, "Beløp på prosjektlinje er oppdatert");
    return 1;
}

} // namespace tavlo
