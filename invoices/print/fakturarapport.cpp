#include "invoices/print/fakturarapport.h"

#include "data/context.h"
#include "data/lookups.h"
#include "framework/errorclass.h"
#include "framework/filterexpr.h"
#include "framework/picture.h"
#include "framework/softassert.h"
#include "framework/text.h"
#include "invoices/kopierfaktura.h"

namespace tavlo {

using report::Align;

namespace {

constexpr const char* kBelop = "@n-14.`2";
constexpr const char* kDato = "@d06.B";

// Each order walks a key that begins with its field.
const report::Sortering kSorteringer[] = {
    {"FAK:FakturaId", FAK::KeyFakturaId},
    {"FAK:KundeId", FAK::KeyKundeId_FakturaDato},
    {"FAK:KundeNavn", FAK::KeyKundeNavn_FakturaDato},
    {"FAK:FakturaStatus", FAK::KeyFakturaStatus_FakturaDato},
    {"FAK:FakturaDato", FAK::KeyFakturaDato},
    {"FAK:ForfallsDato", FAK::KeyForfallsdato},
    {"FAK:BetaltDato", FAK::KeyBetaltDato},
};

std::string dato(int32_t d)
{
    return picture::formatDate(kDato, d);
}

std::string belop(const Decimal& d)
{
    return std::string(text::trim(picture::format(kBelop, d)));
}

// Across an A4 sheet: the amounts take the widest credit note, the customer what is left.
std::vector<report::Column> kolonner()
{
    return {
        {"Fakturanr", 700, Align::Right},    {"Fakturadato", 850, Align::Left},
        {"Kundenr", 650, Align::Right},      {"Kunde", 2950, Align::Left},
        {"Forfallsdato", 850, Align::Left},  {"Betalt dato", 850, Align::Left},
        {"MVA grunnlag", 950, Align::Right}, {"Beløp", 950, Align::Right},
        {"MVA", 950, Align::Right},          {"Totalsum", 950, Align::Right},
    };
}

// LOC:KUNDEFORMAT: the name, the address line, the postal code and the place, each when there.
std::string kundeformat(const Record& fak)
{
    std::string s(text::rtrim(fak.get(FAK::KUNDENAVN)));
    const std::string_view adresse = text::trim(fak.get(FAK::ADRESSE));
    if (!adresse.empty())
        s += ", " + std::string(adresse);
    if (fak.get(FAK::POSTNR) != 0)
        s += ", " + picture::format("@n04", static_cast<int64_t>(fak.get(FAK::POSTNR)));
    const std::string_view sted = text::trim(fak.get(FAK::POSTSTED));
    if (!sted.empty())
        s += " " + std::string(sted);
    return s;
}

} // namespace

const char* sorteringsfelt(int32_t sortering)
{
    return report::sortering(kSorteringer, sortering).felt;
}

Rapportutvalg byggUtvalg(const Fakturaavgrensning& a)
{
    Rapportutvalg u;
    u.sortering = sorteringsfelt(a.sortering);
    u.filter = "(1)";
    auto grense = [&u](const std::string& linje, const std::string& ledd) {
        u.beskrivelse += linje + "\r\n";
        u.filter += ledd;
    };
    const std::string navn(text::trim(a.kundeNavn));
    if (a.kundeId != 0)
        grense("Kundenr = " + std::to_string(a.kundeId) + " - " + navn,
               " AND (FAK:KundeId = " + std::to_string(a.kundeId) + ")");
    else if (!navn.empty())
        // Quoted, so that a name like O'Neil is searched for and does not break the filter.
        grense("Kundenavn inneholder '" + navn + "'",
               " AND INSTRING('" + quotedConstant(navn) + "',FAK:KundeNavn,1,1)");
    if (a.fakturaStatus != 0)
        grense("Fakturastatus = " + std::string(text::trim(a.statusTekst)),
               " AND (FAK:FakturaStatus = " + std::to_string(a.fakturaStatus) + ")");
    report::fakturaperioder(a, grense);
    if (a.betaltBlank)
        grense("Betaltdato = Blank", " AND (NOT FAK:BetaltDato)");
    if (a.kreditnota == 1)
        grense("Bare kreditnotaer", " AND (FAK:KreditNota)");
    else if (a.kreditnota == 2)
        grense("Ingen kreditnotaer", " AND (NOT FAK:KreditNota)");
    const std::string fritt(text::trim(a.filterstreng));
    if (!fritt.empty())
        grense("Filterstreng: " + fritt, " AND (" + fritt + ")");
    return u;
}

void slaOppTekster(Context& ctx, Fakturaavgrensning& a)
{
    if (a.kundeId != 0)
        VISKUNA(ctx, a.kundeId, a.kundeNavn);
    a.statusTekst = a.fakturaStatus != 0 ? fakturastatusTekst(ctx, a.fakturaStatus) : "";
}

bool filterKanBrukes(Context& ctx, const Rapportutvalg& u, const Fakturaavgrensning& a)
{
    return report::filterKanBrukes(ctx, Tbl::FAKTURA, u.filter, a.filterstreng);
}

Fakturarapport::Fakturarapport(Context& ctx, std::string sortering, std::string filter,
                               std::string beskrivelse)
    : ctx_(ctx), sortering_(std::move(sortering)), filter_(std::move(filter)),
      beskrivelse_(std::move(beskrivelse)),
      liste_("Fakturarapport", beskrivelse_.empty() ? "" : "(Utvalg - Se dataavgrensninger)",
             kolonner())
{
}

Fakturarapport::~Fakturarapport() = default;

bool Fakturarapport::open()
{
    return view_.open(ctx_, Tbl::FAKTURA, report::sorteringFor(kSorteringer, sortering_).key,
                      filter_);
}

ProcessClass::Record Fakturarapport::next()
{
    if (const ProcessClass::Record r = view_.next(); r != ProcessClass::Record::Taken)
        return r;
    const Record& fak = view_.rec();
    ++antall_;
    Decimal grunnlag = fak.get(FAK::SUMMVAGRUNNLAG), sum = fak.get(FAK::SUM),
            mva = fak.get(FAK::MVA);
    const Decimal totalsum = fak.get(FAK::TOTALSUM);
    // A credit note keeps its total negative already; its other amounts print negative too.
    if (fak.get(FAK::KREDITNOTA) != 0) {
        grunnlag = -grunnlag;
        sum = -sum;
        mva = -mva;
    }
    grunnlag_ += grunnlag;
    sum_ += sum;
    mva_ += mva;
    totalsum_ += totalsum;
    liste_.row({
        std::to_string(fak.get(FAK::FAKTURAID)),
        dato(fak.get(FAK::FAKTURADATO)),
        fak.get(FAK::KUNDEID) != 0 ? std::to_string(fak.get(FAK::KUNDEID)) : std::string(),
        kundeformat(fak),
        dato(fak.get(FAK::FORFALLSDATO)),
        dato(fak.get(FAK::BETALTDATO)),
        belop(grunnlag),
        belop(sum),
        belop(mva),
        belop(totalsum),
    });
    return ProcessClass::Record::Taken;
}

int Fakturarapport::percent() const
{
    return view_.percent(antall_);
}

report::PageList Fakturarapport::pages()
{
    if (antall_ == 0) {
        report::ingenPoster(ctx_);
        return {};
    }
    liste_.totals("Sum:", {"", "", "", "", "", "", belop(grunnlag_), belop(sum_), belop(mva_),
                           belop(totalsum_)});
    liste_.closing("Antall poster:", std::to_string(antall_));
    liste_.closing("Dataavgrensninger:", beskrivelse_);
    return liste_.take();
}

report::PageList FAKTURARAPPORT(Context& ctx, const std::string& sortering,
                                const std::string& filter, const std::string& beskrivelse)
{
    ProcedureScope scope(ctx, "FAKTURARAPPORT");
    Fakturarapport rapport(ctx, sortering, filter, beskrivelse);
    if (!rapport.open() || !report::kjorHele([&rapport] { return rapport.next(); }))
        return {}; // what stopped it has been said
    return rapport.pages();
}

} // namespace tavlo
