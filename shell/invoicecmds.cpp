// The invoice register's commands: copy, print, the batch status and paid-date updates, and the
// archive.
// They run the register's own procedures, without asking.
#include <QGuiApplication>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "billing/generering.h"
#include "data/context.h"
#include "data/datafolder.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/answer.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/filterexpr.h"
#include "framework/viewmanager.h"
#include "invoices/ehf.h"
#include "invoices/fakturaform.h"
#include "invoices/fakturaoppdatering.h"
#include "invoices/fakturavedlikehold.h"
#include "invoices/kopierfaktura.h"
#include "invoices/print/fakturautskrift.h"
#include "shell/cli.h"

namespace tavlo::cli {

namespace {

// Every invoice named is there, before anything is written: else the first missing one is the
// command's one line. False when the invoices cannot be read at all (the record store said why).
bool requireInvoices(Context& ctx, const std::vector<int32_t>& ids)
{
    FileManager& fak = ctx.access(Tbl::FAKTURA);
    if (fak.OPEN() != LEVEL_BENIGN)
        return false;
    for (int32_t id : ids) {
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURAID, id);
        if (id == 0 || fak.TRYFETCH(FAK::KeyFakturaId) != LEVEL_BENIGN) {
            fak.CLOSE();
            throw Failure{"Faktura nr " + std::to_string(id) + " finnes ikke"};
        }
    }
    fak.CLOSE();
    return true;
}

} // namespace

// The register's copy of an invoice, with the dialog's choices as options.
int copyInvoice(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    bool credit = false, noDates = false, noLines = false;
    std::optional<int32_t> status;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--credit")
            credit = true;
        else if (a == "--no-dates")
            noDates = true;
        else if (a == "--no-lines")
            noLines = true;
        else if (a == "--status" && i + 1 < args.size())
            status = boundOrFail(a, args[++i]);
        else if (a.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + a + " (se tavlo --help)"};
        else
            positional.push_back(a);
    }
    if (positional.size() != 2)
        throw Failure{"Bruk: tavlo copy-invoice MAPPE FAKTURANR [--credit] [--status N] "
                      "[--no-dates] [--no-lines]"};
    const int32_t id = boundOrFail("FAKTURANR", positional[1]);
    useDataFolder(positional[0]);

    Context ctx;
    if (!requireInvoices(ctx, {id}))
        return 1; // the record store has said why
    KopierValg valg = kopierForslag(ctx, credit);
    if (status) {
        if (!SETKODA(ctx, 105, *status))
            throw Failure{"Fakturastatus " + std::to_string(*status) + " finnes ikke"};
        valg.fakturaStatus = *status;
    }
    valg.oppdaterDatoer = !noDates;
    valg.kopierLinjer = !noLines;
    const int32_t ny = kopierFaktura(ctx, id, valg, true);
    if (ny == 0)
        return 1; // it has said why
    std::cout << ny << '\n';
    return 0;
}

// Invoices and credit notes as EHF documents, one file each into a folder.
int ehf(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--out" && i + 1 < args.size())
            out = args[++i];
        else if (a.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + a + " (se tavlo --help)"};
        else
            positional.push_back(a);
    }
    if (positional.size() < 2 || out.empty())
        throw Failure{"Bruk: tavlo ehf MAPPE FAKTURANR... --out MAPPE"};
    std::vector<int32_t> ids;
    for (std::size_t i = 1; i < positional.size(); ++i)
        ids.push_back(boundOrFail("FAKTURANR", positional[i]));
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (!std::filesystem::is_directory(out))
        throw Failure{"Mappen " + out + " kan ikke lages"};
    useDataFolder(positional[0]);

    Context ctx;
    const EhfKjoring k = sendSomEhf(ctx, ids, out);
    for (const EhfUtfall& u : k.utfall)
        if (u.grunn.empty())
            std::cout << (std::filesystem::path(out) / u.fil).string() << '\n';
    std::cerr << ehfAvvisninger(k);
    return k.avvist == 0 ? 0 : 1;
}

// The invoice printout's pages written to one PDF.
int printInvoice(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    std::string pdf;
    std::optional<int32_t> type;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--pdf" && i + 1 < args.size())
            pdf = args[++i];
        else if (a == "--type" && i + 1 < args.size())
            type = boundOrFail(a, args[++i]);
        else if (a.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + a + " (se tavlo --help)"};
        else
            positional.push_back(a);
    }
    if (positional.size() < 2 || pdf.empty())
        throw Failure{"Bruk: tavlo print-invoice MAPPE FAKTURANR... [--type 1|2|3] --pdf FIL"};
    if (type && (*type < 1 || *type > 3))
        throw Failure{"Ugyldig fakturatype: " + std::to_string(*type) + " (1, 2 eller 3)"};
    std::vector<int32_t> ids;
    for (std::size_t i = 1; i < positional.size(); ++i)
        ids.push_back(boundOrFail("FAKTURANR", positional[i]));
    useDataFolder(positional[0]);

    Context ctx;
    if (!requireInvoices(ctx, ids))
        return 1; // the record store has said why
    Record par(table(Tbl::PARAM));
    if (!lesParametre(ctx, par))
        throw Failure{"Det oppsto feil under oppslag i parametere"};
    if (type)
        par.set(PAR::FAKTURATYPE, *type);

    const auto app = pdfApplication();
    report::PageList pages;
    if (!byggFakturaer(ctx, par, ids, pages) || pages.empty())
        return 1; // it has said why
    const std::string title =
        ids.size() == 1 ? "Faktura " + std::to_string(ids.front()) : "Fakturaer";
    // The supplier is the invoices' author.
    writePdfOrFail(pages, pdf, title, par.get(PAR::NAVN));
    return 0;
}

namespace {

// The answers of a batch update: its errors become lines on stderr, a question whether to
// overwrite a paid date is answered as --overwrite says, the closing notice is left out (the
// invoices written are the output).
class BatchAnswers : public AnswerService {
  public:
    explicit BatchAnswers(bool overwrite) : overwrite_(overwrite) {}
    unsigned message(const Message& m) override
    {
        if (m.buttons & BUTTON_YES)
            return overwrite_ ? BUTTON_YES : BUTTON_NO;
        if (m.caption != "Info")
            std::cerr << oneLine(m.text) << '\n';
        return m.defaultButton;
    }
    void halt(const std::string& reason) override { throw Failure{oneLine(reason)}; }

  private:
    bool overwrite_;
};

// "--ids 1,2,3": the numbers in the order given, each once.
std::vector<int32_t> idList(const std::string& value)
{
    std::vector<int32_t> ids;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        const std::string part(
            text::trim(value.substr(start, comma == std::string::npos ? comma : comma - start)));
        const int32_t id = boundOrFail("--ids", part);
        if (std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
        if (comma == std::string::npos)
            return ids;
        start = comma + 1;
    }
}

// The invoices a filter takes, in number order, read as the register reads them.
std::vector<int32_t> filtered(Context& ctx, const std::string& filter)
{
    ViewManager view;
    view.INIT(ctx, Tbl::FAKTURA);
    view.ADDSORTORDER(FAK::KeyFakturaId);
    view.SETFILTER(filter);
    if (view.APPLYFILTER() != LEVEL_BENIGN)
        throw Failure{"Filteret kan ikke brukes: " + ctx.errorState().currentErrorText};
    view.OPEN();
    view.file().setWalkMemos(false); // only the numbers are wanted
    std::vector<int32_t> ids;
    while (view.NEXT() == LEVEL_BENIGN)
        ids.push_back(view.file().rec().get(FAK::FAKTURAID));
    const bool end = view.file().GETEOF();
    view.file().setWalkMemos(true);
    view.CLOSE();
    if (!end)
        throw Failure{"Kunne ikke lese FAKTURA"};
    return ids;
}

// The invoices a command acts on: those --ids names (each must be there) or --filter takes.
struct Utvalg {
    std::optional<std::string> ids, filter;
    std::vector<int32_t> wanted;

    // Before anything is opened: the numbers read, the filter parsed.
    void check()
    {
        if (ids)
            wanted = idList(*ids);
        else if (filter && !text::trim(*filter).empty()) {
            FilterExpr f = FilterExpr::parse(*filter, table(Tbl::FAKTURA));
            if (!f.ok())
                throw Failure{"Filteret kan ikke brukes: " + f.error()};
        }
    }
    // False when the invoices cannot be read at all (the record store has said why).
    bool read(Context& ctx)
    {
        if (ids)
            return requireInvoices(ctx, wanted);
        wanted = filtered(ctx, *filter);
        return true;
    }
};

} // namespace

// tavlo invoices set-status | set-paid: the register's batch updates on the invoices named by
// --ids or taken by --filter instead of the marked ones.
int invoices(const std::vector<std::string>& args)
{
    const std::string usage =
        "Bruk: tavlo invoices set-status MAPPE STATUS [--redate] (--ids N,... | --filter "
        "UTTRYKK)\n       tavlo invoices set-paid MAPPE [--date DATO | --due-date] "
        "[--overwrite] (--ids N,... | --filter UTTRYKK)";
    if (args.empty() || (args[0] != "set-status" && args[0] != "set-paid"))
        throw Failure{usage};
    const bool status = args[0] == "set-status";
    std::vector<std::string> positional;
    Utvalg utvalg;
    auto& [ids, filter, wanted] = utvalg;
    std::optional<std::string> paid;
    bool redate = false, dueDate = false, overwrite = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool value = i + 1 < args.size();
        if (a == "--ids" && value)
            ids = args[++i];
        else if (a == "--filter" && value)
            filter = args[++i];
        else if (status && a == "--redate")
            redate = true;
        else if (!status && a == "--date" && value)
            paid = args[++i];
        else if (!status && a == "--due-date")
            dueDate = true;
        else if (!status && a == "--overwrite")
            overwrite = true;
        else if (a.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + a + " (se tavlo --help)"};
        else
            positional.push_back(a);
    }
    if (positional.size() != (status ? 2u : 1u))
        throw Failure{usage};
    if (ids.has_value() == filter.has_value())
        throw Failure{"Oppgi enten --ids eller --filter"};
    if (paid && dueDate)
        throw Failure{"Oppgi enten --date eller --due-date"};
    const int32_t nyStatus = status ? boundOrFail("STATUS", positional[1]) : 0;
    std::optional<int32_t> betalt;
    if (paid)
        betalt = dateOrFail("--date", *paid);
    utvalg.check();
    useDataFolder(positional[0]);

    BatchAnswers answers(overwrite);
    ErrorClass errors(&answers);
    Context ctx(&errors);
    if (!utvalg.read(ctx))
        return 1; // the record store has said why
    if (status && !SETKODA(ctx, 105, nyStatus))
        throw Failure{"Fakturastatus " + std::to_string(nyStatus) + " finnes ikke"};
    if (wanted.empty()) {
        std::cerr << "Ingen fakturaer passer til filteret\n";
        return 0;
    }

    FakturaOppdatering run(ctx);
    FakturaOppdatering::Utfall utfall;
    if (status) {
        run.fakturaStatus = nyStatus;
        run.oppdaterDatoer = redate;
        utfall = run.oppdaterStatus(wanted);
    } else {
        run.brukForfallsdato = dueDate;
        if (betalt)
            run.betaltDato = *betalt;
        utfall = run.oppdaterBetaltdato(wanted);
        for (int32_t id : run.uendret())
            std::cerr << "Faktura " << id
                      << " er allerede markert som betalt og ble ikke endret (--overwrite "
                         "skriver over)\n";
    }
    for (int32_t id : run.oppdatert())
        std::cout << id << '\n';
    return utfall == FakturaOppdatering::Utfall::Ferdig ? 0 : 1;
}

// tavlo archive: the marked-invoice archiving of "Fakturavedlikehold" on the invoices named by
// --ids or taken by --filter, or with --restore the archived invoices of a date range back.
int archive(const std::vector<std::string>& args)
{
    const std::string usage = "Bruk: tavlo archive MAPPE (--ids N,... | --filter UTTRYKK)\n"
                              "       tavlo archive MAPPE --restore [--from DATO] [--to DATO]";
    std::vector<std::string> positional;
    Utvalg utvalg;
    auto& [ids, filter, wanted] = utvalg;
    std::optional<std::string> from, to;
    bool restore = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool value = i + 1 < args.size();
        if (a == "--ids" && value)
            ids = args[++i];
        else if (a == "--filter" && value)
            filter = args[++i];
        else if (a == "--restore")
            restore = true;
        else if (a == "--from" && value)
            from = args[++i];
        else if (a == "--to" && value)
            to = args[++i];
        else if (a.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + a + " (se tavlo --help)"};
        else
            positional.push_back(a);
    }
    if (positional.size() != 1)
        throw Failure{usage};
    if (restore && (ids || filter))
        throw Failure{"--restore tar ikke --ids eller --filter"};
    if (!restore && (from || to))
        throw Failure{"--from og --to hører til --restore"};
    if (!restore && ids.has_value() == filter.has_value())
        throw Failure{"Oppgi enten --ids eller --filter"};
    const int32_t fra = from ? dateOrFail("--from", *from) : 0;
    const int32_t til = to ? dateOrFail("--to", *to) : 0;
    utvalg.check();
    useDataFolder(positional[0]);

    BatchAnswers answers(false);
    ErrorClass errors(&answers);
    Context ctx(&errors);
    FakturaVedlikehold run(ctx);
    FakturaVedlikehold::Utfall utfall;
    if (restore) {
        utfall = run.importer(fra, til);
    } else {
        if (!utvalg.read(ctx))
            return 1; // the record store has said why
        if (wanted.empty()) {
            std::cerr << "Ingen fakturaer passer til filteret\n";
            return 0;
        }
        utfall = run.eksporter(wanted);
    }
    for (int32_t id : run.flyttet())
        std::cout << id << '\n';
    using U = FakturaVedlikehold::Utfall;
    return utfall == U::Ferdig || utfall == U::IngenIPerioden ? 0 : 1;
}

namespace {

// Every record named is there, before anything is written.
void require(Context& ctx, Tbl t, KeyRef key, IntField id, const std::vector<int32_t>& ids,
             const char* what)
{
    FileManager& m = ctx.access(t);
    if (m.OPEN() != LEVEL_BENIGN)
        throw Failure{std::string("Kunne ikke lese ") + table(t).name};
    for (int32_t n : ids) {
        m.rec().clear();
        m.rec().set(id, n);
        if (n == 0 || m.TRYFETCH(key) != LEVEL_BENIGN) {
            m.CLOSE();
            throw Failure{std::string(what) + " nr " + std::to_string(n) + " finnes ikke"};
        }
    }
    m.CLOSE();
}

} // namespace

// tavlo generate: the invoice generation without questions, for a scheduled run.
int generate(const std::vector<std::string>& args)
{
    const std::string usage = "Bruk: tavlo generate MAPPE (--basis N --customers ID,... | --bases "
                              "ID,...) --date DATO [--message TEKST] [--no-mark]";
    std::vector<std::string> positional;
    std::optional<std::string> customers, bases, dato, message;
    std::optional<int32_t> basis;
    bool noMark = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool value = i + 1 < args.size();
        if (a == "--basis" && value)
            basis = boundOrFail(a, args[++i]);
        else if (a == "--customers" && value)
            customers = args[++i];
        else if (a == "--bases" && value)
            bases = args[++i];
        else if (a == "--date" && value)
            dato = args[++i];
        else if (a == "--message" && value)
            message = args[++i];
        else if (a == "--no-mark")
            noMark = true;
        else if (a.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + a + " (se tavlo --help)"};
        else
            positional.push_back(a);
    }
    if (positional.size() != 1 || !dato)
        throw Failure{usage};
    if (customers.has_value() == bases.has_value())
        throw Failure{"Oppgi enten --customers (med --basis) eller --bases"};
    if (customers && !basis)
        throw Failure{"--customers trenger --basis: grunnlaget som faktureres hver kunde"};
    if (bases && basis)
        throw Failure{"--basis gjelder bare med --customers"};
    const int32_t fakturadato = dateOrFail("--date", *dato);
    const std::vector<int32_t> ids = idList(customers ? *customers : *bases);
    useDataFolder(positional[0]);

    BatchAnswers answers(false);
    ErrorClass errors(&answers);
    Context ctx(&errors);
    if (customers) {
        require(ctx, Tbl::GRUNNLAG, GRU::KeyGrunnlagId, GRU::GRUNNLAGID, {*basis}, "Grunnlag");
        require(ctx, Tbl::KUNDE, KUN::KeyKundeId, KUN::KUNDEID, ids, "Kunde");
    } else {
        require(ctx, Tbl::GRUNNLAG, GRU::KeyGrunnlagId, GRU::GRUNNLAGID, ids, "Grunnlag");
    }

    FakturaGenerering run(ctx,
                          customers ? FakturaGenerering::PerKunde : FakturaGenerering::PerGrunnlag);
    run.fakturadato = fakturadato;
    run.markerFakturaer = !noMark;
    run.utvalg = ids;
    if (customers)
        run.grunnlagAccepted(*basis);
    if (message)
        run.melding = *message;
    const auto utfall = run.generer();
    for (int32_t id : run.hoppetOver())
        std::cerr << "Grunnlag " << id
                  << (customers ? " har egen kunde og ble ikke fakturert kundene"
                                : " har ingen kunde og ble hoppet over")
                  << '\n';
    for (int32_t id : run.fakturaer())
        std::cout << id << '\n';
    return utfall == FakturaGenerering::Utfall::Avbrutt ? 1 : 0;
}

} // namespace tavlo::cli
