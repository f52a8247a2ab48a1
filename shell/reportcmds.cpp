// tavlo report: the printed lists written to PDF, with the limits of their windows as options.
#include <QGuiApplication>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "customers/print/kunderapport.h"
#include "data/context.h"
#include "data/datafolder.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/report/pagelist.h"
#include "invoices/dokumentform.h"
#include "invoices/print/fakturarapport.h"
#include "products/print/produktrapport.h"
#include "shell/cli.h"

namespace tavlo::cli {

namespace {

const char* const kInvoiceUsage =
    "Bruk: tavlo report invoices MAPPE [--customer N | --name TEKST] [--status N] "
    "[--from-date DATO] [--to-date DATO] [--from-due DATO] [--to-due DATO] [--from-paid DATO] "
    "[--to-paid DATO] [--unpaid] [--credit-notes only|none] [--filter UTTRYKK] "
    "[--sort fakturanr|kundeid|kundenavn|status|fakturadato|forfallsdato|betaltdato] --pdf FIL";

const char* const kCustomerUsage =
    "Bruk: tavlo report customers MAPPE [--group N] [--postnr N] [--from-date DATO] "
    "[--to-date DATO] [--from-due DATO] [--to-due DATO] [--from-paid DATO] [--to-paid DATO] "
    "[--unpaid] [--filter UTTRYKK] [--contacts] "
    "[--sort kundenr|navn|adresse|postnr|kundegruppe|betalingsbetingelse] --pdf FIL";

const char* const kProductUsage =
    "Bruk: tavlo report products MAPPE [--group N] [--vat only|none] [--stock] "
    "[--filter UTTRYKK] [--sort produktnr|navn|produktgruppe] --pdf FIL";

// The company, the lists' author, when its parameters can be read.
std::string company(Context& ctx)
{
    Record par(table(Tbl::PARAM));
    return lesParametre(ctx, par) ? par.get(PAR::NAVN) : std::string();
}

// The list's pages as the PDF file, with the company as its author; 1 when there are none
// ("Ingen poster", or what stopped the run, has been said). The pages are laid out without a Gui
// application, so a run that prints nothing starts none.
int writeReport(Context& ctx, const report::PageList& pages, const std::string& pdf,
                const std::string& title)
{
    if (pages.empty())
        return 1;
    const auto app = pdfApplication();
    writePdfOrFail(pages, pdf, title, company(ctx));
    return 0;
}

// The sort order named by --sort, or the failure listing the names there are.
int32_t sortOrFail(const std::map<std::string, int32_t>& sorts, const std::string& value,
                   const char* names)
{
    const auto s = sorts.find(value);
    if (s == sorts.end())
        throw Failure{"Ugyldig sortering: «" + shortened(value) + "» (" + names + ")"};
    return s->second;
}

// "only" 1, "none" 2, for an option that limits a list to or away from something.
int32_t onlyOrNone(const std::string& option, const std::string& value)
{
    if (value != "only" && value != "none")
        throw Failure{"Ugyldig verdi til " + option + ": «" + shortened(value) +
                      "» (only eller none)"};
    return value == "only" ? 1 : 2;
}

// The three date ranges the invoice and customer lists share, by option.
std::map<std::string, int32_t*> periods(report::Fakturaperioder& a)
{
    return {{"--from-date", &a.fraFakturaDato}, {"--to-date", &a.tilFakturaDato},
            {"--from-due", &a.fraForfallsDato}, {"--to-due", &a.tilForfallsDato},
            {"--from-paid", &a.fraBetaltDato},  {"--to-paid", &a.tilBetaltDato}};
}

// What every list takes besides its own options: the data folder, --pdf FIL, and --filter and
// --sort into the limits. `own` takes the list's own option `o` (its value, when it has one, is
// args[++i]) and says whether it was one. Returns the folder; the failure `usage` when the
// folder or the file is missing.
template <class Avgrensning, class Own>
std::string listOptions(const std::vector<std::string>& args, Avgrensning& a,
                        const std::map<std::string, int32_t>& sorts, const char* sortNames,
                        const char* usage, std::string& pdf, Own own)
{
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& o = args[i];
        const bool value = i + 1 < args.size();
        if (o == "--pdf" && value)
            pdf = args[++i];
        else if (o == "--filter" && value)
            a.filterstreng = args[++i];
        else if (o == "--sort" && value)
            a.sortering = sortOrFail(sorts, args[++i], sortNames);
        else if (own(o, value, i))
            continue;
        else if (o.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + o + " (se tavlo --help)"};
        else
            positional.push_back(o);
    }
    if (positional.size() != 1 || pdf.empty())
        throw Failure{usage};
    return positional[0];
}

int invoiceReport(const std::vector<std::string>& args)
{
    static const std::map<std::string, int32_t> sorts{
        {"fakturanr", 1},   {"kundeid", 2},      {"kundenavn", 3}, {"status", 4},
        {"fakturadato", 5}, {"forfallsdato", 6}, {"betaltdato", 7}};
    Fakturaavgrensning a;
    std::string pdf;
    std::optional<std::string> name;
    const std::map<std::string, int32_t*> dates = periods(a);
    const std::string folder = listOptions(
        args, a, sorts,
        "fakturanr, kundeid, kundenavn, status, fakturadato, forfallsdato eller betaltdato",
        kInvoiceUsage, pdf, [&](const std::string& o, bool value, std::size_t& i) {
            if (o == "--customer" && value)
                a.kundeId = boundOrFail(o, args[++i]);
            else if (o == "--name" && value)
                name = args[++i];
            else if (o == "--status" && value)
                a.fakturaStatus = boundOrFail(o, args[++i]);
            else if (dates.count(o) && value)
                *dates.at(o) = dateOrFail(o, args[++i]);
            else if (o == "--unpaid")
                a.betaltBlank = true;
            else if (o == "--credit-notes" && value)
                a.kreditnota = onlyOrNone(o, args[++i]);
            else
                return false;
            return true;
        });
    if (name && a.kundeId != 0)
        throw Failure{"Oppgi enten --customer eller --name"};
    if (name) {
        if (text::length(*name) > kKundeNavnLengde)
            throw Failure{"For langt navn til --name: høyst " + std::to_string(kKundeNavnLengde) +
                          " tegn"};
        a.kundeNavn = *name;
    }
    if (a.kundeId < 0 || a.fakturaStatus < 0)
        throw Failure{kInvoiceUsage};
    useDataFolder(folder);

    Context ctx;
    if (a.kundeId != 0 && !SETKUNA(ctx, a.kundeId))
        throw Failure{"Kunde nr " + std::to_string(a.kundeId) + " finnes ikke"};
    if (a.fakturaStatus != 0 && !SETKODA(ctx, 105, a.fakturaStatus))
        throw Failure{"Fakturastatus " + std::to_string(a.fakturaStatus) + " finnes ikke"};
    slaOppTekster(ctx, a);
    const Rapportutvalg u = byggUtvalg(a);
    if (!filterKanBrukes(ctx, u, a))
        return 1; // said

    const report::PageList pages = FAKTURARAPPORT(ctx, u.sortering, u.filter, u.beskrivelse);
    return writeReport(ctx, pages, pdf, "Fakturarapport");
}

int customerReport(const std::vector<std::string>& args)
{
    static const std::map<std::string, int32_t> sorts{
        {"kundenr", 1}, {"navn", 2},        {"adresse", 3},
        {"postnr", 4},  {"kundegruppe", 5}, {"betalingsbetingelse", 6}};
    Kundeavgrensning a;
    std::string pdf;
    const std::map<std::string, int32_t*> dates = periods(a);
    const std::string folder = listOptions(
        args, a, sorts, "kundenr, navn, adresse, postnr, kundegruppe eller betalingsbetingelse",
        kCustomerUsage, pdf, [&](const std::string& o, bool value, std::size_t& i) {
            if (o == "--group" && value)
                a.kundeGruppe = boundOrFail(o, args[++i]);
            else if (o == "--postnr" && value)
                a.postNr = boundOrFail(o, args[++i]);
            else if (dates.count(o) && value)
                *dates.at(o) = dateOrFail(o, args[++i]);
            else if (o == "--unpaid")
                a.betaltBlank = true;
            else if (o == "--contacts")
                a.kontaktpersoner = true;
            else
                return false;
            return true;
        });
    if (a.kundeGruppe < 0 || a.postNr < 0)
        throw Failure{kCustomerUsage};
    useDataFolder(folder);

    Context ctx;
    if (a.kundeGruppe != 0 && !SETKODA(ctx, 103, a.kundeGruppe))
        throw Failure{"Kundegruppe " + std::to_string(a.kundeGruppe) + " finnes ikke"};
    if (a.postNr != 0 && !SETKODA(ctx, 101, a.postNr))
        throw Failure{"Postnr " + std::to_string(a.postNr) + " finnes ikke"};
    slaOppKundetekster(ctx, a);
    const Kundeutvalg u = byggKundeutvalg(a);
    if (!kundefilterKanBrukes(ctx, u, a))
        return 1; // said
    const report::PageList pages = KUNDERAPPORT(ctx, u.sortering, u.beskrivelse,
                                                u.fakturabetingelse, u.filter, a.kontaktpersoner);
    return writeReport(ctx, pages, pdf, "Kunderapport");
}

int productReport(const std::vector<std::string>& args)
{
    static const std::map<std::string, int32_t> sorts{
        {"produktnr", 1}, {"navn", 2}, {"produktgruppe", 3}};
    Produktavgrensning a;
    std::string pdf;
    const std::string folder =
        listOptions(args, a, sorts, "produktnr, navn eller produktgruppe", kProductUsage, pdf,
                    [&](const std::string& o, bool value, std::size_t& i) {
                        if (o == "--group" && value)
                            a.produktgruppe = boundOrFail(o, args[++i]);
                        else if (o == "--vat" && value)
                            a.mvaPliktig = onlyOrNone(o, args[++i]);
                        else if (o == "--stock")
                            a.lagerstyring = true;
                        else
                            return false;
                        return true;
                    });
    if (a.produktgruppe < 0)
        throw Failure{kProductUsage};
    useDataFolder(folder);

    Context ctx;
    if (a.produktgruppe != 0 && !SETKODA(ctx, 102, a.produktgruppe))
        throw Failure{"Produktgruppe " + std::to_string(a.produktgruppe) + " finnes ikke"};
    slaOppProdukttekster(ctx, a);
    const Produktutvalg u = byggProduktutvalg(a);
    if (!produktfilterKanBrukes(ctx, u, a))
        return 1; // said
    const report::PageList pages = PRODUKTRAPPORT(ctx, u.sortering, u.beskrivelse, u.filter);
    return writeReport(ctx, pages, pdf, "Produktrapport");
}

} // namespace

int report(const std::vector<std::string>& args)
{
    const std::string which = args.empty() ? std::string() : args.front();
    const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
    if (which == "invoices")
        return invoiceReport(rest);
    if (which == "customers")
        return customerReport(rest);
    if (which == "products")
        return productReport(rest);
    throw Failure{"Bruk: tavlo report invoices|customers|products MAPPE ... --pdf FIL"};
}

} // namespace tavlo::cli
