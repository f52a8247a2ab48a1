#include "bench/ehf_bench.h"

#include <cstdio>
#include <vector>

#include "bench/common.h"
#include "data/ehfoppsett.h"
#include "framework/filemanager.h"
#include "invoices/ehf.h"

namespace tavlo::bench {

namespace {

constexpr double kLimitMs = 5000;
constexpr int kLines = 10;

} // namespace

void benchEhf(const std::string& dir, int n)
{
    const std::vector<Customer> customers = makeCustomers(n, 2112);
    std::vector<Record> kunder, fakturaer, linjer;
    Record par(table(Tbl::PARAM));
    par.set(PAR::PARAMETERID, 1);
    par.set(PAR::NAVN, "Snekker Hansen AS");
    par.set(PAR::ADRESSE, "Verkstedveien 3");
    par.set(PAR::POSTNR_POSTSTED, "5003 BERGEN");
    par.set(PAR::KONTONUMMER, "12345678903");
    par.set(PAR::OCR_AVTALEID, "1");
    par.set(PAR::AVRUNDING, Decimal::fromCents(100));
    par.set(ehf::ORGNR, "987654325");
    par.set(ehf::MVAREGISTRERT, 1);
    par.set(ehf::FORETAKSREGISTERET, 1);
    par.set(ehf::KUNDEORGNRFELT, 1);
    int32_t lineId = 0;
    for (int i = 1; i <= n; ++i) {
        const Customer& c = customers[i - 1];
        Record k(table(Tbl::KUNDE));
        k.set(KUN::KUNDEID, i);
        k.set(KUN::NAVN, c.navn);
        k.set(KUN::EMAIL, c.email);
        k.set(KUN::TEKST1, "123 456 785");
        kunder.push_back(std::move(k));
        Record f(table(Tbl::FAKTURA));
        f.set(FAK::FAKTURAID, i);
        f.set(FAK::FAKTURADATO, 82000 + i % 365);
        f.set(FAK::FORFALLSDATO, 82014 + i % 365);
        f.set(FAK::BETALINGSBETINGELSE, 14);
        f.set(FAK::KUNDEID, i);
        f.set(FAK::KUNDENAVN, c.navn);
        f.set(FAK::ADRESSE, c.adresse);
        f.set(FAK::POSTNR, c.postnr);
        f.set(FAK::POSTSTED, "BERGEN");
        f.set(FAK::DERESREFERANSE, "Innkjøp");
        f.set(FAK::MVATYPE, 1 + i % 2);
        f.set(FAK::MELDING, "Takk for handelen.");
        fakturaer.push_back(std::move(f));
        for (int l = 1; l <= kLines; ++l) {
            Record r(table(Tbl::FAKLINJE));
            r.set(FLI::FAKLINJEID, ++lineId);
            r.set(FLI::FAKTURAID, i);
            r.set(FLI::LINJENR, l);
            r.set(FLI::PRODUKTID, l);
            r.set(FLI::PRODUKTNAVN, "Konsulenttime " + std::to_string(l));
            r.set(FLI::ENHETSBENEVNELSE, "timer");
            r.set(FLI::ANTALL, Decimal::fromInt(l));
            r.set(FLI::ENHETSPRIS, Decimal::fromCents(12550));
            r.set(FLI::RABATT, Decimal::fromInt(l % 3 == 0 ? 10 : 0));
            r.set(FLI::SUM, Decimal::fromCents(12550 * l * (l % 3 == 0 ? 90 : 100) / 100));
            r.set(FLI::MVAPLIKTIG, l % 5 == 0 ? 0 : 1);
            r.set(FLI::MVASATS, l % 4 == 0 ? 15 : 25);
            r.set(FLI::BESKRIVELSE, "Beskrivelse av linje " + std::to_string(l));
            linjer.push_back(std::move(r));
        }
    }
    std::vector<int32_t> ids;
    for (int i = 1; i <= n; ++i)
        ids.push_back(i);

    Hold h(dir + "/ehf", {Tbl::PARAM, Tbl::KUNDE, Tbl::FAKTURA, Tbl::FAKLINJE});
    h.storeAll(Tbl::PARAM, {par});
    h.storeAll(Tbl::KUNDE, kunder);
    h.storeAll(Tbl::FAKTURA, fakturaer);
    h.storeAll(Tbl::FAKLINJE, linjer);
    const std::string ut = dir + "/ehf-ut";
    std::filesystem::create_directories(ut);
    const auto t0 = Clock::now();
    const EhfKjoring k = sendSomEhf(h.ctx, ids, ut);
    const double ours = msSince(t0);
    if (k.skrevet != n)
        die("ehf: " + std::to_string(k.skrevet) + " written; " + ehfAvvisninger(k));
    report("ehf_1000", ours, kLimitMs);
    std::printf("# ehf_1000: %d invoices of %d lines (VAT types 1 and 2, three categories, "
                "discounts, rounding) read, summed and written as one EHF file each; the "
                "baseline is the limit, %.0f ms\n",
                n, kLines, kLimitMs);
}

} // namespace tavlo::bench
