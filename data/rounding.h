#pragma once
// Rounding of amounts to a multiple of a step: the øre rounding of invoice totals (whole kroner,
// half kroner, tens …).
#include "framework/decimal.h"

namespace tavlo {

// The multiple of step nearest to value, computed exactly. Halfway between two multiples goes
// to the higher one, toward plus infinity also below zero (-1.5 by 1 gives -1). A step of 0 or
// less gives value unchanged.
Decimal ROUNDREAL(const Decimal& value, const Decimal& step);

} // namespace tavlo
