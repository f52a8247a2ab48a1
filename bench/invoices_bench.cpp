#include "bench/invoices_bench.h"

#include <cstdio>
#include <vector>

#include "bench/common.h"
#include "invoices/fakturaform.h"
#include "invoices/fakturasummer.h"

namespace tavlo::bench {

namespace {

constexpr int kLines = 500;
constexpr int kRuns = 21;
// The figures the work is held to (ms): the baseline column of these two.
constexpr double kTotalsLimit = 20, kOpenLimit = 50;

int32_t storeInvoice(Hold& h)
{
    FileManager& fak = h.ctx.access(Tbl::FAKTURA);
    fak.rec().clear();
    fak.rec().set(FAK::KUNDENAVN, "Benk AS");
    fak.rec().set(FAK::MVATYPE, 1);
    if (fak.INSERT() != LEVEL_BENIGN)
        die("the invoice is not stored");
    const int32_t id = fak.rec().get(FAK::FAKTURAID);
    std::vector<Record> lines;
    for (int i = 1; i <= kLines; ++i) {
        Record l(table(Tbl::FAKLINJE));
        l.set(FLI::FAKTURAID, id);
        l.set(FLI::LINJENR, i);
        l.set(FLI::PRODUKTNAVN, "Linje " + std::to_string(i));
        l.set(FLI::ANTALL, Decimal::fromInt(i % 7 + 1));
        l.set(FLI::ENHETSPRIS, Decimal::fromCents(1999 + i));
        l.set(FLI::SUM, Decimal::fromCents((1999 + i) * (i % 7 + 1)));
        l.set(FLI::MVAPLIKTIG, i % 3 != 0);
        l.set(FLI::MVASATS, i % 2 ? 25 : 15);
        lines.push_back(std::move(l));
    }
    h.insertAll(Tbl::FAKLINJE, lines);
    return id;
}

} // namespace

void benchInvoices(const std::string& dir, bool totals, bool open)
{
    Hold h(dir + "/invoice", {Tbl::FAKTURA, Tbl::FAKLINJE});
    const int32_t id = storeInvoice(h);
    if (totals) {
        std::vector<double> ms;
        FakturaSummer s;
        for (int run = 0; run < kRuns; ++run) {
            const auto t0 = Clock::now();
            if (!summerFaktura(h.ctx, id, 1, Decimal::fromInt(1), false, s))
                die("the lines are not read");
            ms.push_back(msSince(t0));
        }
        if (s.linjer != kLines)
            die("the totals read " + std::to_string(s.linjer) + " lines");
        report("invoice_totals", median(ms), kTotalsLimit);
        std::printf("# invoice_totals: %d lines, median of %d; total %s; baseline = the limit\n",
                    kLines, kRuns, s.totalsum.toString(2).c_str());
    }
    if (open) {
        std::vector<double> ms;
        FileManager& fak = h.ctx.access(Tbl::FAKTURA);
        int rows = 0;
        for (int run = 0; run < kRuns; ++run) {
            fak.rec().set(FAK::FAKTURAID, id);
            if (fak.FETCH(FAK::KeyFakturaId) != LEVEL_BENIGN)
                die("the invoice is not read");
            const auto t0 = Clock::now();
            FakturaForm form(h.ctx, 0, ChangeRecord);
            if (form.start() != LEVEL_BENIGN)
                die("the form does not open");
            auto list = form.linjer();
            list->model().setPageSize(20);
            list->setTab(0);
            rows = list->model().rowCount();
            ms.push_back(msSince(t0));
            form.cancel();
        }
        report("invoice_open", median(ms), kOpenLimit);
        std::printf("# invoice_open: the form's rules over %d lines (totals, first page of %d "
                    "rows), median of %d; baseline = the limit\n",
                    kLines, rows, kRuns);
    }
}

} // namespace tavlo::bench
