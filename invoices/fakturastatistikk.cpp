#include "invoices/fakturastatistikk.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "data/context.h"
#include "data/lookups.h"
#include "data/tables.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/picture.h"
#include "framework/text.h"

namespace tavlo {

namespace {

constexpr const char* kMaanedNavn[kMaaneder] = {"Jan", "Feb", "Mar", "Apr", "Mai", "Jun",
                                                "Jul", "Aug", "Sep", "Okt", "Nov", "Des"};
constexpr const char* kUspesifisert = "Uspesifisert ***";
// Invoice numbers closer than this are read in one run over the lines: reading the lines of a
// few invoices of other years costs less than starting another read.
constexpr int64_t kSammeLesing = 64;

// What the lines need to know of their invoice.
struct Faktura {
    int64_t id;
    int maaned;
    bool kreditnota;
};

// The sums in hundredths while they are added up: exact, and far from the limits of 64 bits.
struct Summer {
    std::array<int64_t, kMaaneder> antall{}, belop{};
};

int lesefeil(FileManager& m, const StoreError& err)
{
    recordStoreError(m.context().errorState(), err);
    return m.THROW(MSG_RETRIEVAL_ERROR);
}

// Opens the table for the run; the level of the failure (it has been shown) otherwise.
int aapne(FileManager& m)
{
    int level = m.OPEN();
    if (level == LEVEL_BENIGN)
        level = m.USEFILE();
    if (level == LEVEL_BENIGN && !m.file())
        level = m.THROW(MSG_OPEN_ERROR);
    if (level != LEVEL_BENIGN)
        m.CLOSE();
    return level;
}

Decimal sum(const std::array<Decimal, kMaaneder>& v)
{
    Decimal s;
    for (const Decimal& d : v)
        s += d;
    return s;
}

// The lines of the invoices (in number order), added to the products' sums.
int lesLinjer(FileManager& fli, const std::vector<Faktura>& fakturaer,
              std::unordered_map<int32_t, Summer>& produkter)
{
    const std::vector<int> felt = {FLI::FAKTURAID.no, FLI::PRODUKTID.no, FLI::ANTALL.no,
                                   FLI::SUM.no};
    std::vector<int64_t> linjer;
    StoreError err;
    Summer* siste = nullptr;
    int32_t sisteProdukt = 0;
    for (std::size_t start = 0; start < fakturaer.size();) {
        std::size_t slutt = start + 1;
        while (slutt < fakturaer.size() &&
               fakturaer[slutt].id - fakturaer[slutt - 1].id <= kSammeLesing)
            ++slutt;
        const SqlCondition innenfor = fieldBetween(fli.decl(), FLI::FAKTURAID.no,
                                                   fakturaer[start].id, fakturaer[slutt - 1].id);
        linjer.clear();
        if (!fli.file()->walkNumbers(FLI::KeyFakturaId_LinjeNr.no, Bound{}, felt, &innenfor, linjer,
                                     err))
            return lesefeil(fli, err);
        // Lines and invoices both in number order: one pass over each.
        std::size_t f = start;
        for (std::size_t i = 0; i + 3 < linjer.size(); i += 4) {
            while (f < slutt && fakturaer[f].id < linjer[i])
                ++f;
            if (f == slutt)
                break;
            if (fakturaer[f].id != linjer[i])
                continue; // an invoice of another year between this year's numbers
            const auto produkt = static_cast<int32_t>(linjer[i + 1]);
            if (!siste || produkt != sisteProdukt) {
                siste = &produkter[produkt];
                sisteProdukt = produkt;
            }
            const int m = fakturaer[f].maaned;
            siste->antall[m] += linjer[i + 2];
            siste->belop[m] += fakturaer[f].kreditnota ? -linjer[i + 3] : linjer[i + 3];
        }
        start = slutt;
    }
    return LEVEL_BENIGN;
}

int lesAar(Context& ctx, Aarsstatistikk& out, std::unordered_map<int32_t, Summer>& produkter)
{
    const int32_t fra = date::fromYmd(out.aar, 1, 1), til = date::fromYmd(out.aar, 12, 31);
    if (fra == 0 || til == 0)
        return LEVEL_BENIGN; // no invoice can be dated in a year the calendar does not have
    FileManager& fak = ctx.access(Tbl::FAKTURA);
    FileManager& fli = ctx.access(Tbl::FAKLINJE);
    int level = aapne(fak);
    if (level != LEVEL_BENIGN)
        return level;
    if ((level = aapne(fli)) != LEVEL_BENIGN) {
        fak.CLOSE();
        return level;
    }

    std::vector<int64_t> hoder;
    StoreError err;
    const SqlCondition iAaret = fieldBetween(fak.decl(), FAK::FAKTURADATO.no, fra, til);
    if (!fak.file()->walkNumbers(
            FAK::KeyFakturaDato.no, Bound{},
            {FAK::FAKTURAID.no, FAK::FAKTURADATO.no, FAK::TOTALSUM.no, FAK::KREDITNOTA.no}, &iAaret,
            hoder, err))
        level = lesefeil(fak, err);

    std::array<int64_t, kMaaneder> total{};
    std::vector<Faktura> fakturaer;
    fakturaer.reserve(hoder.size() / 4);
    for (std::size_t i = 0; level == LEVEL_BENIGN && i + 3 < hoder.size(); i += 4) {
        const int m = date::toYmd(static_cast<int32_t>(hoder[i + 1])).month - 1;
        total[m] += hoder[i + 2];
        ++out.antallFakturaer[m];
        fakturaer.push_back({hoder[i], m, hoder[i + 3] != 0});
    }
    if (level == LEVEL_BENIGN) {
        std::sort(fakturaer.begin(), fakturaer.end(),
                  [](const Faktura& a, const Faktura& b) { return a.id < b.id; });
        level = lesLinjer(fli, fakturaer, produkter);
    }
    fli.CLOSE();
    fak.CLOSE();
    if (level != LEVEL_BENIGN) {
        produkter.clear();
        return level;
    }
    for (int m = 0; m < kMaaneder; ++m)
        out.maanedTotal[m] = Decimal::fromCents(total[m]);
    out.totalt = sum(out.maanedTotal);
    return LEVEL_BENIGN;
}

} // namespace

const char* maanedNavn(int m)
{
    return m >= 0 && m < kMaaneder ? kMaanedNavn[m] : "";
}

std::string maanedBelop(const Decimal& belop)
{
    return std::string(text::trim(picture::format("@n-14.", belop)));
}

int statistikkForAar(Context& ctx, int aar, Aarsstatistikk& out)
{
    out = Aarsstatistikk{};
    out.aar = aar;
    std::unordered_map<int32_t, Summer> produkter;
    const int level = lesAar(ctx, out, produkter);
    if (level != LEVEL_BENIGN) {
        out = Aarsstatistikk{};
        out.aar = aar;
        return level;
    }
    std::vector<int32_t> ider;
    ider.reserve(produkter.size());
    for (const auto& [id, summer] : produkter)
        ider.push_back(id);
    std::sort(ider.begin(), ider.end());
    // Held open over the names, so that each lookup does not open the file anew.
    FileManager& navn = ctx.access(Tbl::PRODUKT_ALIAS);
    const bool holdt = navn.OPEN() == LEVEL_BENIGN;
    for (int32_t id : ider) {
        const Summer& s = produkter[id];
        ProduktRad rad;
        rad.produktId = id;
        if (id == 0)
            rad.navn = kUspesifisert;
        else
            VISPROA(ctx, id, rad.navn);
        for (int m = 0; m < kMaaneder; ++m) {
            rad.antall[m] = Decimal::fromCents(s.antall[m]);
            rad.belop[m] = Decimal::fromCents(s.belop[m]);
        }
        rad.antallTotalt = sum(rad.antall);
        rad.belopTotalt = sum(rad.belop);
        out.produkter.push_back(std::move(rad));
    }
    if (holdt)
        navn.CLOSE();
    return LEVEL_BENIGN;
}

Stolpediagram stolpediagram(const std::array<Decimal, kMaaneder>& maanedTotal, int bredde,
                            int hoyde)
{
    Stolpediagram d;
    d.grunnlinje = hoyde;
    d.stolpebredde = std::max(0, (bredde - 8 - kMaaneder * 3 - 10) / kMaaneder);
    const int64_t plass = hoyde - 3;
    int64_t opp = 0, ned = 0; // the highest month above 0 and the deepest below, in hundredths
    for (const Decimal& t : maanedTotal) {
        opp = std::max(opp, t.toCents());
        ned = std::max(ned, -t.toCents());
    }
    const __int128 spenn = static_cast<__int128>(opp) + ned;
    if (spenn == 0 || plass <= 0 || d.stolpebredde == 0)
        return d;
    // Rounded to the nearest unit, halves up; every quantity here is at least 0.
    auto skalert = [&](int64_t cents) {
        return static_cast<int>((static_cast<__int128>(cents) * plass * 2 + spenn) / (spenn * 2));
    };
    d.grunnlinje = 3 + skalert(opp);
    for (int m = 0; m < kMaaneder; ++m) {
        const int64_t t = maanedTotal[m].toCents();
        Stolpe& s = d.stolper[m];
        s.x = 8 + 3 + m * (d.stolpebredde + 3);
        s.bredde = d.stolpebredde;
        if (t == 0)
            continue;
        s.negativ = t < 0;
        s.hoyde = std::max(1, skalert(s.negativ ? -t : t));
        if (s.negativ) // the two roundings together may pass the bottom by one
            s.hoyde = std::max(1, std::min(s.hoyde, hoyde - d.grunnlinje));
        s.y = s.negativ ? d.grunnlinje : d.grunnlinje - s.hoyde;
    }
    return d;
}

FakturaStatistikk::FakturaStatistikk(Context& ctx) : ctx_(ctx) {}

bool FakturaStatistikk::settAar(int aar)
{
    if (aar < date::kFirstYear || aar > date::kLastYear)
        return false;
    statistikkForAar(ctx_, aar, stat_);
    return true;
}

} // namespace tavlo
