// "tavlo statistics": the numbers of the window Fakturastatistikk for one year, for scripts.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "data/context.h"
#include "data/datafolder.h"
#include "data/globals.h"
#include "framework/date.h"
#include "invoices/fakturastatistikk.h"
#include "shell/cli.h"

namespace tavlo::cli {

namespace {

std::string belop(const Decimal& d)
{
    return d.toString(2);
}

// One rectangular table, one row per kind of figure: the month totals and the number of
// invoices, then each product's quantities and amounts; the last column is the year's.
void skrivCsv(const Aarsstatistikk& s)
{
    std::string linje = "rad,produktid,produktnavn";
    for (int m = 0; m < kMaaneder; ++m)
        linje += std::string(",") + maanedNavn(m);
    std::cout << linje << ",Totalt\n";
    linje = "omsetning,,";
    for (const Decimal& d : s.maanedTotal)
        linje += "," + belop(d);
    std::cout << linje << "," << belop(s.totalt) << '\n';
    linje = "fakturaer,,";
    int antall = 0;
    for (int n : s.antallFakturaer) {
        linje += "," + std::to_string(n);
        antall += n;
    }
    std::cout << linje << "," << antall << '\n';
    for (bool antallRad : {true, false})
        for (const ProduktRad& p : s.produkter) {
            linje = std::string(antallRad ? "antall," : "belop,") + std::to_string(p.produktId) +
                    "," + csvField(p.navn);
            for (const Decimal& d : antallRad ? p.antall : p.belop)
                linje += "," + belop(d);
            std::cout << linje << "," << belop(antallRad ? p.antallTotalt : p.belopTotalt) << '\n';
        }
}

std::string liste(const std::array<Decimal, kMaaneder>& v)
{
    std::string s = "[";
    for (int m = 0; m < kMaaneder; ++m)
        s += (m ? ", " : "") + belop(v[m]);
    return s + "]";
}

void skrivJson(const Aarsstatistikk& s, bool arkiv)
{
    std::cout << "{\n  \"aar\": " << s.aar << ",\n  \"arkiv\": " << (arkiv ? "true" : "false")
              << ",\n  \"totalt\": " << belop(s.totalt) << ",\n  \"maaneder\": [\n";
    for (int m = 0; m < kMaaneder; ++m)
        std::cout << "    {\"maaned\": " << jsonString(maanedNavn(m))
                  << ", \"omsetning\": " << belop(s.maanedTotal[m])
                  << ", \"fakturaer\": " << s.antallFakturaer[m] << "}"
                  << (m + 1 < kMaaneder ? ",\n" : "\n");
    std::cout << "  ],\n  \"produkter\": [";
    for (std::size_t i = 0; i < s.produkter.size(); ++i) {
        const ProduktRad& p = s.produkter[i];
        std::cout << (i ? ",\n" : "\n") << "    {\"produktid\": " << p.produktId
                  << ", \"produktnavn\": " << jsonString(p.navn)
                  << ",\n     \"antall\": " << liste(p.antall)
                  << ", \"sumAntall\": " << belop(p.antallTotalt)
                  << ",\n     \"belop\": " << liste(p.belop)
                  << ", \"sumBelop\": " << belop(p.belopTotalt) << "}";
    }
    std::cout << (s.produkter.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

} // namespace

int statistics(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    std::string format = "csv";
    bool archive = false;
    std::optional<int32_t> year;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--archive") {
            archive = true;
        } else if (a == "--year" || a == "--format") {
            if (i + 1 >= args.size())
                throw Failure{"Mangler verdi til " + a};
            if (a == "--year")
                year = boundOrFail(a, args[++i]);
            else
                format = args[++i];
        } else if (a.rfind("--", 0) == 0) {
            throw Failure{"Ukjent valg: " + a + " (se tavlo --help)"};
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 1 || !year)
        throw Failure{"Bruk: tavlo statistics MAPPE --year ÅR [--format csv|json] [--archive]"};
    if (format != "csv" && format != "json")
        throw Failure{"Ukjent format: " + shortened(format) + " (csv eller json)"};
    if (*year < date::kFirstYear || *year > date::kLastYear)
        throw Failure{"Ugyldig år: " + std::to_string(*year) + " (fra " +
                      std::to_string(date::kFirstYear) + " til " + std::to_string(date::kLastYear) +
                      ")"};
    // Opening a table creates a missing file: a folder that is not a data folder must stay
    // as it is.
    useDataFolder(positional[0]);
    GLO::setArchiveMode(archive);

    Context ctx;
    ProcedureScope scope(ctx, "FAKTURASTATISTIKK");
    Aarsstatistikk s;
    if (statistikkForAar(ctx, *year, s) != LEVEL_BENIGN)
        return 1; // the record store has said why
    if (format == "json")
        skrivJson(s, archive);
    else
        skrivCsv(s);
    return 0;
}

} // namespace tavlo::cli
