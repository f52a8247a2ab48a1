#pragma once
// Billing bases with their lines for the tests, written through the record store.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "data/context.h"
#include "framework/filemanager.h"

namespace tavlo::testing {

struct GrunnlagLinje {
    int32_t produkt = 0;
    const char* antall = "1";
    const char* pris = "0";
    const char* sum = "0";
    int32_t mvaSats = 25;
    bool mvaPliktig = true;
};

// A basis; `more` sets any other header field first. Its number.
inline int32_t addGrunnlag(Context& ctx, const std::string& kunde, int32_t mvaType,
                           const std::vector<GrunnlagLinje>& linjer,
                           const std::function<void(Record&)>& more = {})
{
    auto& gru = ctx.access(Tbl::GRUNNLAG);
    auto& gli = ctx.access(Tbl::GRULINJE);
    gru.OPEN();
    gli.OPEN();
    gru.rec().clear();
    gru.rec().set(GRU::KUNDENAVN, kunde);
    gru.rec().set(GRU::TEKST, "Grunnlag for " + kunde);
    gru.rec().set(GRU::MVATYPE, mvaType);
    if (more)
        more(gru.rec());
    EXPECT_EQ(gru.INSERT(), LEVEL_BENIGN);
    const int32_t id = gru.rec().get(GRU::GRUNNLAGID);
    int nr = 0;
    for (const GrunnlagLinje& l : linjer) {
        Record& r = gli.rec();
        r.clear();
        r.set(GLI::GRUNNLAGID, id);
        r.set(GLI::LINJENR, ++nr);
        r.set(GLI::PRODUKTID, l.produkt);
        r.set(GLI::PRODUKTNAVN, "Vare " + std::to_string(nr));
        r.set(GLI::ANTALL, *Decimal::parse(l.antall));
        r.set(GLI::ENHETSPRIS, *Decimal::parse(l.pris));
        r.set(GLI::SUM, *Decimal::parse(l.sum));
        r.set(GLI::MVASATS, l.mvaSats);
        r.set(GLI::MVAPLIKTIG, l.mvaPliktig ? 1 : 0);
        r.set(GLI::BESKRIVELSE, "Beskrivelse " + std::to_string(nr));
        EXPECT_EQ(gli.INSERT(), LEVEL_BENIGN);
    }
    gli.CLOSE();
    gru.CLOSE();
    return id;
}

} // namespace tavlo::testing
