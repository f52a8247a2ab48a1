#pragma once
// The invoice printout as a page list: the header laid out from the parameter record's
// positions and fonts, the lines in their columns (descriptions above or below them), the totals
// of the VAT type, the status's text and the fixed text, and the giro band at the foot of the
// last page. Every device replays the same pages.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/report/pagelist.h"

namespace tavlo {

class Context;
class Record;

struct UtskriftValg {
    bool medGiro = true;
    bool medLinjer = true; // false: "Faktura i følge vedlegg..." in place of the lines
};

// The top of the giro band on the page, in thousandths of an inch: the band fills the last
// third of an A4 sheet, the machine-read line a third of an inch above its foot.
constexpr int kGiroTopp = 7500;

// Appends the pages of invoice `fakturaId` to `pages`; false, with the message shown, when the
// invoice cannot be read.
bool byggFaktura(Context& ctx, const Record& par, int32_t fakturaId, const UtskriftValg& valg,
                 report::PageList& pages);

// The documents `PAR:FAKTURATYPE` asks for per invoice: 1 with giro, 2 without, 3 the giro with
// its one line and then the whole invoice without giro; none for another type.
std::vector<UtskriftValg> varianter(int32_t fakturaType);

// The invoices of one run in order: the marked ones when there are marks, else `fakturaId`;
// each in the variants `PAR:FAKTURATYPE` asks for (3: the giro page with its one line, then the
// whole invoice without giro). False with "Udefinert fakturatype" for another type.
bool byggFakturaer(Context& ctx, const Record& par, const std::vector<int32_t>& fakturaer,
                   report::PageList& pages);

// The invoices a printout takes: every marked invoice in the marks' order when there are marks,
// else `fakturaId`.
std::vector<int32_t> fakturaerTilUtskrift(int32_t fakturaId);
// After the pages were printed: each invoice's print status 2. One that cannot be read or
// written is said, and the others are still marked.
void markerUtskrevet(Context& ctx, const std::vector<int32_t>& fakturaer);

// The text printed after the totals from the status's text and the fixed text, as the status's
// KOD:LONG1 combines them.
std::string fastTekst(int32_t kombinasjon, const std::string& statusTekst,
                      const std::string& fastTekst);

} // namespace tavlo
