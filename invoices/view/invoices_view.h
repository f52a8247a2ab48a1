#pragma once
// The invoices' windows (so far the two small dialogs the register and the forms use).
#include <cstdint>
#include <functional>

#include "framework/moduleface.h"
#include "invoices/kopierfaktura.h"

namespace tavlo {
class Context;
namespace desktop {

// "Kopier faktura/Lag kreditnota" for invoice `fakturaId`; `kreditnota` proposes the credit
// note's status. `done` hears the new invoice's number, or 0 when nothing was copied.
void KOPIERFAKTURA(Context& ctx, int32_t fakturaId, bool kreditnota,
                   std::function<void(int32_t nyFakturaId)> done = {});
// "Opprett prosjektlinje med kobling": `done` hears true and the values typed on "&Ok", false
// and the values as given on "&Avbryt".
void GETPRJLINKINFO(Context& ctx, PrjLinkInfo info,
                    std::function<void(bool ok, const PrjLinkInfo& info)> done);

} // namespace desktop
} // namespace tavlo

// The invoices' desktop half: TLFA::INIT; its windows come with the invoice register.
TAVLO_DESKTOP_FACE(TLFA_VIEW)
