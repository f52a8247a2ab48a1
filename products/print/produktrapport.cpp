#include "products/print/produktrapport.h"

#include "data/context.h"
#include "data/lookups.h"
#include "framework/decimal.h"
#include "framework/picture.h"
#include "framework/softassert.h"
#include "framework/text.h"

namespace tavlo {

using report::Align;

namespace {

constexpr const char* kTall = "@n-14.`2";

const report::Sortering kSorteringer[] = {
    {"PRO:ProduktId", PRO::KeyProduktId},
    {"PRO:Navn", PRO::KeyNavn},
    {"PRO:ProduktGruppe", PRO::KeyProduktGruppe},
};

std::string tall(const Decimal& d)
{
    return std::string(text::trim(picture::format(kTall, d)));
}

// Across an A4 sheet lying down; the name takes what is left.
std::vector<report::Column> kolonner()
{
    return {
        {"Produktnr", 750, Align::Right},     {"Navn", 3100, Align::Left},
        {"Produktgruppe", 1600, Align::Left}, {"Enhets-\nbenevning", 1150, Align::Left},
        {"MVA\nsats", 550, Align::Right},     {"Lagerbeholdning", 1200, Align::Left},
        {"Enhetsspris", 1200, Align::Right},  {"Rabatt %", 800, Align::Right},
    };
}

} // namespace

const char* produktsortering(int32_t sortering)
{
    return report::sortering(kSorteringer, sortering).felt;
}

Produktutvalg byggProduktutvalg(const Produktavgrensning& a)
{
    Produktutvalg u;
    u.sortering = produktsortering(a.sortering);
    u.filter = "(1)";
    auto grense = [&u](const std::string& linje, const std::string& ledd) {
        u.beskrivelse += linje + "\r\n";
        u.filter += ledd;
    };
    if (a.produktgruppe != 0)
        grense("Produktgruppe = " + std::string(text::trim(a.gruppeTekst)),
               " AND (PRO:ProduktGruppe = " + std::to_string(a.produktgruppe) + ")");
    if (a.mvaPliktig == 1)
        grense("Bare MVA pliktige produkter", " AND (PRO:MVAPliktig)");
    else if (a.mvaPliktig == 2)
        grense("Ingen MVA pliktige produkter", " AND (NOT PRO:MVAPliktig)");
    const std::string fritt(text::trim(a.filterstreng));
    if (!fritt.empty())
        grense("Filterstreng: " + fritt, " AND (" + fritt + ")");
    if (a.lagerstyring)
        grense("Bare produkter med lagerstyring", " AND (PRO:Lagerstyring)");
    return u;
}

void slaOppProdukttekster(Context& ctx, Produktavgrensning& a)
{
    a.gruppeTekst = a.produktgruppe != 0 ? codeText(ctx, 102, a.produktgruppe) : "";
}

bool produktfilterKanBrukes(Context& ctx, const Produktutvalg& u, const Produktavgrensning& a)
{
    return report::filterKanBrukes(ctx, Tbl::PRODUKT, u.filter, a.filterstreng);
}

Produktrapport::Produktrapport(Context& ctx, std::string sortering, std::string beskrivelse,
                               std::string filter)
    : ctx_(ctx), sortering_(std::move(sortering)), beskrivelse_(std::move(beskrivelse)),
      filter_(std::move(filter)),
      liste_("Produktrapport", beskrivelse_.empty() ? "" : "(Utvalg - Se dataavgrensninger)",
             kolonner())
{
}

bool Produktrapport::open()
{
    return view_.open(ctx_, Tbl::PRODUKT, report::sorteringFor(kSorteringer, sortering_).key,
                      filter_);
}

ProcessClass::Record Produktrapport::next()
{
    if (const ProcessClass::Record r = view_.next(); r != ProcessClass::Record::Taken)
        return r;
    const Record& pro = view_.rec();
    ++antall_;
    const int32_t gruppe = pro.get(PRO::PRODUKTGRUPPE);
    // The rate only where VAT is charged, the stock only where it is kept.
    const bool mva = pro.get(PRO::MVAPLIKTIG) != 0;
    const bool lager = pro.get(PRO::LAGERSTYRING) != 0;
    liste_.row({
        std::to_string(pro.get(PRO::PRODUKTID)),
        std::string(text::trim(pro.get(PRO::NAVN))),
        gruppe != 0 ? codeText(ctx_, 102, gruppe) : std::string(),
        std::string(text::trim(pro.get(PRO::ENHETSBENEVNING))),
        mva ? std::to_string(pro.get(PRO::MVASATS)) : std::string(),
        lager ? tall(pro.get(PRO::LAGERBEHOLDNING)) : std::string(),
        tall(pro.get(PRO::ENHETSPRIS)),
        tall(pro.get(PRO::STDFAKTURALINJERABATT)),
    });
    return ProcessClass::Record::Taken;
}

int Produktrapport::percent() const
{
    return view_.percent(antall_);
}

report::PageList Produktrapport::pages()
{
    if (antall_ == 0) {
        report::ingenPoster(ctx_);
        return {};
    }
    liste_.closing("Antall poster:", std::to_string(antall_));
    liste_.closing("Dataavgrensninger:", beskrivelse_);
    return liste_.take();
}

report::PageList PRODUKTRAPPORT(Context& ctx, const std::string& sortering,
                                const std::string& beskrivelse, const std::string& filter)
{
    ProcedureScope scope(ctx, "PRODUKTRAPPORT");
    Produktrapport rapport(ctx, sortering, beskrivelse, filter);
    if (!rapport.open() || !report::kjorHele([&rapport] { return rapport.next(); }))
        return {}; // what stopped it has been said
    return rapport.pages();
}

} // namespace tavlo
