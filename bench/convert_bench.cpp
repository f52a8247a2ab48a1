#include "bench/convert_bench.h"

#include <cstdio>
#include <filesystem>

#include "bench/common.h"
#include "converter/omlegging.h"
#include "converter/testmappe/versjon3mappe.h"
#include "converter/versjon3.h"

namespace tavlo::bench {

namespace {

constexpr double kLimitMs = 60000;
constexpr int kLines = 5;

// What a careful programmer would write by hand: each old table attached to the new file and
// copied across in one INSERT ... SELECT, the added fields given their values in SQL. It leaves
// out what ours does besides: the sealed parameter table, the invoice lookup of each line, the
// originals kept aside, and the code sets.
double baseline(const std::string& from, const std::string& to)
{
    std::filesystem::create_directories(to);
    const auto t0 = Clock::now();
    for (const char* navn : {"KUNDE", "PRODUKT", "GRUNNLAG", "FAKTURA", "FAKLINJE"}) {
        const TableDecl& v4 = *findTable(navn);
        const TableDecl& v3 = omlegg::versjon3(v4.id);
        Plain p(to + "/" + navn + ".db");
        p.exec(plainSchema(v4, "main"));
        p.attach(from + "/" + navn + ".TPS", "old");
        std::string cols, vals;
        for (const auto& f : v4.fields) {
            cols += (cols.empty() ? "\"" : ", \"") + f.column + "\"";
            std::string v = v3.fieldNo(f.column) >= 0   ? "\"" + f.column + "\""
                            : f.type == FieldType::TEXT ? "''"
                            : f.column == "MVATYPE"     ? "1"
                                                        : "0";
            vals += (vals.empty() ? "" : ", ") + v;
        }
        for (const auto& m : v4.memos) {
            cols += ", \"" + m.column + "\"";
            vals += ", rtrim(\"" + m.column + "\", ' ')";
        }
        p.exec("BEGIN IMMEDIATE; INSERT OR IGNORE INTO main." + v4.name + " (" + cols +
               ") SELECT " + vals + " FROM old." + v4.name + " ORDER BY rowid; COMMIT");
    }
    return msSince(t0);
}

// Messages of the run are counted, not shown.
class Stille : public AnswerService {
  public:
    unsigned message(const Message& m) override
    {
        ++antall;
        siste = m.text;
        return m.defaultButton;
    }
    void halt(const std::string& reason) override { die(reason); }
    int antall = 0;
    std::string siste;
};

} // namespace

void benchConvert(const std::string& dir, int customers, int invoices)
{
    const std::string mappe = dir + "/versjon3";
    omlegg::testmappe::Omfang o;
    o.kunder = customers;
    o.produkter = 1000;
    o.grunnlag = 1000;
    o.fakturaer = invoices;
    o.arkiverte = 0;
    o.linjer = kLines;
    const auto g0 = Clock::now();
    omlegg::testmappe::lag(mappe, o);
    std::printf("# convert_100k: the version 3 folder made in %.0f ms\n", msSince(g0));

    const double plain = baseline(mappe, dir + "/versjon3-baseline");

    Stille svar;
    ErrorClass errors(&svar);
    double ours = 0;
    {
        Context ctx(&errors);
        omlegg::Omlegging run(ctx, mappe);
        const auto t0 = Clock::now();
        if (!run.konverter(false))
            die("convert: " + svar.siste);
        ours = msSince(t0);
        for (const auto& r : run.resultater())
            std::printf("# convert_100k: %-9s %ld records\n", r.navn.c_str(), r.skrevet);
    }
    if (svar.antall != 1)
        die("convert: " + std::to_string(svar.antall) + " messages, the last: " + svar.siste);
    report("convert_100k", ours, plain);
    std::printf("# convert_100k: %d customers, %d invoices of %d lines; ours also keeps the "
                "originals, converts the parameters and loads the code sets; the limit is %.0f "
                "ms\n",
                customers, invoices, kLines, kLimitMs);
}

} // namespace tavlo::bench
