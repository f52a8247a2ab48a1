#pragma once
// Invoices of 2024 and its neighbouring years for the statistics' tests: January's and
// December's edge days, a credit note in March, nothing in February, a line without product, and
// invoices of other years numbered between this year's.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "data/context.h"
#include "framework/date.h"
#include "framework/filemanager.h"

namespace tavlo::testing {

struct Linje {
    int32_t produkt;
    int64_t antall, sum; // hundredths
};

inline int32_t leggInnFaktura(Context& ctx, int32_t dato, int64_t totalsum, bool kreditnota,
                              const std::vector<Linje>& linjer)
{
    auto& fak = ctx.access(Tbl::FAKTURA);
    auto& fli = ctx.access(Tbl::FAKLINJE);
    fak.OPEN();
    fli.OPEN();
    fak.rec().clear();
    fak.rec().set(FAK::FAKTURADATO, dato);
    fak.rec().set(FAK::TOTALSUM, Decimal::fromCents(totalsum));
    fak.rec().set(FAK::KREDITNOTA, kreditnota ? 1 : 0);
    EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
    const int32_t id = fak.rec().get(FAK::FAKTURAID);
    int nr = 0;
    for (const Linje& l : linjer) {
        fli.rec().clear();
        fli.rec().set(FLI::FAKTURAID, id);
        fli.rec().set(FLI::LINJENR, ++nr);
        fli.rec().set(FLI::PRODUKTID, l.produkt);
        fli.rec().set(FLI::ANTALL, Decimal::fromCents(l.antall));
        fli.rec().set(FLI::SUM, Decimal::fromCents(l.sum));
        EXPECT_EQ(fli.INSERT(), LEVEL_BENIGN);
    }
    fli.CLOSE();
    fak.CLOSE();
    return id;
}

// The product's number: the next free one.
inline int32_t leggInnProdukt(Context& ctx, const char* navn)
{
    auto& pro = ctx.access(Tbl::PRODUKT);
    pro.OPEN();
    pro.rec().clear();
    pro.rec().set(PRO::NAVN, navn);
    EXPECT_EQ(pro.INSERT(), LEVEL_BENIGN);
    const int32_t id = pro.rec().get(PRO::PRODUKTID);
    pro.CLOSE();
    return id;
}

// 2024: January 1 250,00 (2 × product 2 at 1 000,00), March 250,00 (10 × product 1 at 200,00)
// less a credit note of 125,00 (1 × product 2 at 100,00), December 500,00 (1 line without
// product at 400,00). Around them invoices of 2023 and 2025, more than a few of them numbered
// between 2024's.
inline void statistikkdata(Context& ctx)
{
    // One transaction a file, with the files held open across it: much quicker than a
    // durable write for each record.
    auto& fak = ctx.access(Tbl::FAKTURA);
    auto& fli = ctx.access(Tbl::FAKLINJE);
    fak.OPEN();
    fli.OPEN();
    ASSERT_EQ(fak.USEFILE(), LEVEL_BENIGN);
    ASSERT_EQ(fli.USEFILE(), LEVEL_BENIGN);
    StoreError err;
    ASSERT_TRUE(fak.file()->begin(err) && fli.file()->begin(err)) << err.text;
    const int32_t skruer = leggInnProdukt(ctx, "Skruer"),
                  timer = leggInnProdukt(ctx, "Konsulenttime");
    leggInnFaktura(ctx, date::fromYmd(2023, 12, 31), 99900, false, {{timer, 500, 99900}});
    leggInnFaktura(ctx, date::fromYmd(2024, 1, 1), 125000, false, {{timer, 200, 100000}});
    for (int i = 0; i < 100; ++i)
        leggInnFaktura(ctx, date::fromYmd(2022, 6, 1), 1000, false, {{skruer, 100, 800}});
    leggInnFaktura(ctx, date::fromYmd(2024, 3, 15), 25000, false, {{skruer, 1000, 20000}});
    leggInnFaktura(ctx, date::fromYmd(2025, 1, 1), 88800, false, {{skruer, 100, 88800}});
    leggInnFaktura(ctx, date::fromYmd(2024, 3, 20), -12500, true, {{timer, 100, 10000}});
    leggInnFaktura(ctx, date::fromYmd(2024, 12, 31), 50000, false, {{0, 100, 40000}});
    EXPECT_TRUE(fli.file()->commit(err) && fak.file()->commit(err)) << err.text;
    fli.CLOSE();
    fak.CLOSE();
}

} // namespace tavlo::testing
