#pragma once
// The invoice a credit note credits. Norwegian bookkeeping wants every credit note to name it,
// on paper and in the electronic invoice; the copy that makes a credit note notes it here.
#include <cstdint>

namespace tavlo {

class Context;
class WriteHooks;

// Notes that credit note `kreditnotaId` credits invoice `fakturaId`; false when it cannot be
// written (the record store has said why).
bool noterKreditert(Context& ctx, int32_t kreditnotaId, int32_t fakturaId);
// The invoice credit note `kreditnotaId` credits; 0 when none is noted.
int32_t kreditertFaktura(Context& ctx, int32_t kreditnotaId);

// The data module's rule: a deleted invoice takes its note along, so that a later invoice given
// the same number names nothing it does not credit.
void addKreditnotaRules(WriteHooks& hooks);

} // namespace tavlo
