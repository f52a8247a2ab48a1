#pragma once
// The billing bases' windows: the register, the basis form and the invoice generation.
#include <cstdint>

#include "data/slots.h"
#include "framework/moduleface.h"

namespace tavlo {
class Context;
namespace desktop {

// "Grunnlagkartotek": from the menu (`chosen` empty), or for choosing a basis, which is then in
// the GRUNNLAG buffer.
void GRUNNLAGKARTOTEK(Context& ctx, Chosen chosen);
// The basis form "Grunnlag" for GlobalRequest on the GRU buffer; `kundeId` not 0: opened from
// that customer's list of bases, whose customer it keeps.
void GRUNNLAGFORM(Context& ctx, int32_t kundeId, FormDone done);
// "Generer fakturaer": mode 1 the chosen basis for every marked customer, 2 every marked basis.
void GENERERNYEFAKTURAER(Context& ctx, int32_t mode, Closed closed);

} // namespace desktop
} // namespace tavlo

// The billing bases' desktop half: TLGR::INIT, then the three windows into their slots.
TAVLO_DESKTOP_FACE(TLGR_VIEW)
