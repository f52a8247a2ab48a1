#include "data/ehfoppsett.h"

#include <algorithm>
#include <cctype>

#include "data/context.h"
#include "data/record.h"
#include "framework/filemanager.h"
#include "framework/text.h"

namespace tavlo::ehf {

namespace {

constexpr int32_t kKundeTabell = 1; // custom-field table number of KUNDE

} // namespace

Oppsett lesOppsett(const Record& par)
{
    Oppsett o;
    o.orgnr = orgnrSifre(par.get(ORGNR));
    o.mvaRegistrert = par.get(MVAREGISTRERT) != 0;
    o.foretaksregisteret = par.get(FORETAKSREGISTERET) != 0;
    const int32_t felt = par.get(KUNDEORGNRFELT);
    o.kundeOrgnrFelt = felt >= 1 && felt <= 5 ? felt : 0;
    return o;
}

std::string orgnrSifre(std::string_view typed)
{
    std::string t(text::trim(typed));
    std::string upper = t;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::string_view core(upper);
    if (core.substr(0, 2) == "NO")
        core.remove_prefix(2);
    if (core.size() >= 3 && core.substr(core.size() - 3) == "MVA")
        core.remove_suffix(3);
    std::string digits;
    for (char c : core) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits += c;
        else if (c != ' ' && c != '.' && c != '-')
            return t;
    }
    return digits;
}

bool gyldigOrgnr(std::string_view d)
{
    if (d.size() != 9 || !std::all_of(d.begin(), d.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        }))
        return false;
    static constexpr int kVekt[8] = {3, 2, 7, 6, 5, 4, 3, 2};
    int sum = 0;
    for (int i = 0; i < 8; ++i)
        sum += (d[i] - '0') * kVekt[i];
    const int rest = sum % 11;
    const int kontroll = rest == 0 ? 0 : 11 - rest;
    return kontroll != 10 && kontroll == d[8] - '0';
}

std::optional<TextField> kundeOrgnrFelt(int tekstNr)
{
    static constexpr TextField kFelt[5] = {KUN::TEKST1, KUN::TEKST2, KUN::TEKST3, KUN::TEKST4,
                                           KUN::TEKST5};
    if (tekstNr < 1 || tekstNr > 5)
        return std::nullopt;
    return kFelt[tekstNr - 1];
}

bool sikreOrgnrFelt(Context& ctx, int tekstNr)
{
    if (tekstNr < 1 || tekstNr > 5)
        return true;
    const std::string navn = "Tekst " + std::to_string(tekstNr);
    FileManager& egn = ctx.access(Tbl::EGENDEF);
    if (egn.OPEN() != LEVEL_BENIGN)
        return false;
    Record& r = egn.rec();
    r.clear();
    r.set(EGN::TABELLNR, kKundeTabell);
    r.set(EGN::FELTNR, INT32_MIN);
    egn.SETAT(EGN::KeyTabellNr_FeltNr);
    int32_t nesteY = 4, hoyesteNr = 0;
    bool finnes = false;
    while (egn.TRYNEXT() == LEVEL_BENIGN && r.get(EGN::TABELLNR) == kKundeTabell) {
        std::string felt(text::trim(r.get(EGN::FELTNAVN)));
        std::transform(felt.begin(), felt.end(), felt.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (felt == "TEKST " + std::to_string(tekstNr))
            finnes = true;
        nesteY = std::max(nesteY, r.get(EGN::FELTPOSY) + r.get(EGN::FELTPOSH) + 4);
        hoyesteNr = std::max(hoyesteNr, r.get(EGN::FELTNR));
    }
    bool ok = true;
    if (!finnes) {
        r.clear();
        r.set(EGN::TABELLNR, kKundeTabell);
        r.set(EGN::FELTNR, hoyesteNr + 1);
        r.set(EGN::FELTNAVN, navn);
        r.set(EGN::LEDETEKST, "Organisasjonsnr.:");
        r.set(EGN::LEDETEKSTPOSX, 4);
        r.set(EGN::LEDETEKSTPOSY, nesteY);
        r.set(EGN::LEDETEKSTPOSW, 64);
        r.set(EGN::LEDETEKSTPOSH, 10);
        r.set(EGN::FELTPOSX, 72);
        r.set(EGN::FELTPOSY, nesteY);
        r.set(EGN::FELTPOSW, 60);
        r.set(EGN::FELTPOSH, 10);
        ok = egn.INSERT() == LEVEL_BENIGN;
    }
    egn.CLOSE();
    return ok;
}

} // namespace tavlo::ehf
