#pragma once
// The invoice statuses the invoice tests use, and the parameters proposing them.
#include <gtest/gtest.h>

#include "data/context.h"
#include "framework/filemanager.h"

namespace tavlo::testing {

// Status 1 "Ubetalt" for a copy, 2 "Kreditnota" (a credit-note status) for a credit note.
inline void addInvoiceStatuses(Context& ctx)
{
    auto& kod = ctx.access(Tbl::KODEVERK);
    kod.OPEN();
    for (int nr : {1, 2}) {
        kod.rec().clear();
        kod.rec().set(KOD::GRUPPE, 105);
        kod.rec().set(KOD::NR, nr);
        kod.rec().set(KOD::TEKST, nr == 1 ? "Ubetalt" : "Kreditnota");
        kod.rec().set(KOD::BYTE1, nr == 2 ? 1 : 0);
        EXPECT_EQ(kod.INSERT(), LEVEL_BENIGN);
    }
    kod.CLOSE();
    auto& par = ctx.access(Tbl::PARAM);
    par.OPEN();
    par.rec().clear();
    par.rec().set(PAR::STDSTATUSFAKTURA, 1);
    par.rec().set(PAR::STDSTATUSKREDITNOTA, 2);
    EXPECT_EQ(par.INSERT(), LEVEL_BENIGN);
    par.CLOSE();
}

} // namespace tavlo::testing
