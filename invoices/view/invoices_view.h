#pragma once
// The invoices' windows.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/store.h"

#include "framework/moduleface.h"
#include "invoices/kopierfaktura.h"
#include "invoices/print/fakturautskrift.h"

namespace tavlo {
class Context;
namespace desktop {

// The invoice register "Fakturakartotek": `caller` blank (the menu) empties the marks, "Kunde" or
// "Grunnlag" (the invoice generation) keeps them.
void FAKTURAKARTOTEK(Context& ctx, std::string caller);
// The invoice form "Faktura" for GlobalRequest on the FAK buffer; `kundeId` not 0: opened from
// that customer's invoice list, whose customer it keeps.
void FAKTURAFORM(Context& ctx, int32_t kundeId,
                 std::function<void(int response, RowRef inserted)> done);

// "Skriv ut faktura": the marked invoices, or `fakturaId`, in the variant the parameters choose,
// in the print preview; printed from there, they are marked printed.
void VELGFAKTURARAPPORT(Context& ctx, int32_t fakturaId);
// "Fakturarapport": the limits and order of the invoice list, which it runs into the print
// preview as often as asked.
void AVGRENSNINGERFAKTURARAPPORT(Context& ctx);
// The printout in the documents given, for the register's print variants.
void GIRO(Context& ctx, int32_t fakturaId, std::vector<UtskriftValg> valg);
// "Kopier faktura/Lag kreditnota" for invoice `fakturaId`; `kreditnota` proposes the credit
// note's status. `done` hears the new invoice's number, or 0 when nothing was copied.
void KOPIERFAKTURA(Context& ctx, int32_t fakturaId, bool kreditnota,
                   std::function<void(int32_t nyFakturaId)> done = {});
// "Oppdater fakturastatus" and "Oppdater betaltdato" on the marked invoices; `done` hears when
// the window has closed, after a run or without one.
void OPPDATERFAKTURASTATUS(Context& ctx, std::function<void()> done = {});
void OPPDATERBETALTDATO(Context& ctx, std::function<void()> done = {});
// "Fakturavedlikehold": the marked invoices into the archive, or archived ones back; `done`
// hears when the window has closed.
void FAKTURAVEDLIKEHOLD(Context& ctx, std::function<void()> done = {});
// "Opprett prosjektlinje med kobling": `done` hears true and the values typed on "&Ok", false
// and the values as given on "&Avbryt".
void GETPRJLINKINFO(Context& ctx, PrjLinkInfo info,
                    std::function<void(bool ok, const PrjLinkInfo& info)> done);
// "Fakturastatistikk" on the current year.
void FAKTURASTATISTIKK(Context& ctx);
// "Innbetalinger fra bank (OCR)": the bank's OCR file of KID payments read in, and what it did;
// `done` hears when the window has closed.
void OCRINNBETALINGER(Context& ctx, std::function<void()> done = {});

} // namespace desktop
} // namespace tavlo

// The invoices' desktop half: TLFA::INIT, then FAKTURAKARTOTEK, FAKTURAFORM and
// VELGFAKTURARAPPORT into their slots, and FAKTURASTATISTIKK and OCRINNBETALINGER. KILL clears
// them and ends the module.
TAVLO_DESKTOP_FACE(TLFA_VIEW)
