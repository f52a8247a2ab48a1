// tavlo: the command line for the jobs people script. It works on the data folder through the
// same record-store managers as the desktop program and applies no rule of its own. The records
// command is in records.cpp, the invoice commands in invoicecmds.cpp; what the commands share, in
// cli.h.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "codesets/importeksport.h"
#include "data/backup.h"
#include "data/context.h"
#include "data/datafolder.h"
#include "data/globals.h"
#include "framework/answer.h"
#include "framework/filemanager.h"
#include "framework/installation.h"
#include "shell/cli.h"

namespace {
using namespace tavlo;
using namespace tavlo::cli;

// What `tavlo --help` lists: every command with a line.
struct Command {
    const char* name;
    const char* summary;
};
constexpr Command kCommands[] = {
    {"init", "oppretter en ny datamappe med standardkodene"},
    {"records", "lister, legger til, endrer og sletter poster i en tabell"},
    {"codes", "leser kodeverk inn fra eller skriver det ut til en kodeverksfil"},
    {"customers", "leser kunder inn fra eller skriver dem ut til en kundefil"},
    {"products", "leser produkter inn fra eller skriver dem ut til en produktfil"},
    {"backup", "tar sikkerhetskopi av datamappen til en annen mappe"},
    {"copy-invoice", "kopierer en faktura til en ny faktura eller en kreditnota"},
    {"print-invoice", "skriver fakturaer ut til en PDF-fil"},
    {"ehf", "skriver fakturaer og kreditnotaer som elektronisk faktura (EHF)"},
    {"invoices", "gir fakturaer ny fakturastatus eller betaltdato"},
    {"generate", "lager fakturaer fra faste fakturagrunnlag"},
    {"archive", "flytter fakturaer til arkivet eller henter dem tilbake"},
    {"report", "skriver faktura-, kunde- eller produktrapporten til en PDF-fil"},
    {"statistics", "fakturastatistikken for et år, per måned og produkt"},
    {"ocr-import", "leser KID-innbetalinger fra bankens OCR-fil og merker betalte fakturaer"},
};

// What `tavlo help KOMMANDO` shows: the paragraphs that start "  tavlo KOMMANDO".
constexpr const char* kDetails = R"usage(
  tavlo init MAPPE
      Oppretter en ny datamappe: alle tabellfilene, arkivparet BAKTURA.TPS og BAKLINJE.TPS
      og parameterposten. Skriver ut filene som ble laget, én per linje. Nekter når mappen
      allerede har en parameterpost.

  tavlo records MAPPE TABELL list [--key NØKKEL] [--fields FELT,...] [--format csv|json]
                                  [--filter UTTRYKK]
      Lister postene i nøkkelens rekkefølge (standard: primærnøkkelen). Uten --fields kommer
      alle feltene; memoer (f.eks. KUN:DIV) kommer bare med når de nevnes i --fields.
      csv (standard): en linje med feltnavnene, så én linje per post. json: en liste med ett
      objekt per post.
      --filter tar bare med postene uttrykket gjelder for. Feltene skrives med prefiks
      (KUN:PostNr, over et alias KUNA:PostNr), tekster i enkle anførselstegn; ellers
      = <> < > <= >=, AND, OR, NOT, parenteser, UPPER(tekst) og
      INSTRING(del, tekst, steg, start). Et felt alene er sant når det ikke er 0 eller tomt.
      Eksempler:
        --filter "(KUN:PostNr >= 5000) OR (KUN:PostNr < 1000)"
        --filter "INSTRING('AS',UPPER(FAK:KundeNavn),1,1)"
        --filter "(FAK:TotalSum > 1000) AND (NOT FAK:BetaltDato)"
      Et filter som ikke kan brukes, gir én feilmelding før noe åpnes. Et tomt filter
      betyr alle postene.

  tavlo records MAPPE TABELL insert FELT=VERDI ...
      Legger til en post og skriver ut primærnøkkelen den fikk. Tabeller med løpenummer gir
      alltid neste ledige nummer (høyeste + 1), også når et nummer er oppgitt.

  tavlo records MAPPE TABELL update NØKKEL FELT=VERDI ...
      Endrer posten med primærnøkkelen NØKKEL og skriver ut nøkkelen. En nøkkel med flere
      deler skrives som en csv-linje, f.eks. KODEVERK 101,5000 (gruppe 101, nr 5000) og
      WINPOS "Kunde, kartotek",Bredde; insert skriver nøkkelen på samme måte.

  tavlo records MAPPE TABELL delete NØKKEL
      Sletter posten med primærnøkkelen NØKKEL (skrevet som for update) uten å spørre, og
      skriver ut nøkkelen. Det som hører til posten, følger med: en kundes kontaktpersoner,
      en fakturas linjer (antallet på linjene går tilbake til lageret). En kunde som har
      fakturaer, slettes ikke. Blir slettingen nektet eller feiler den, er ingenting endret.
      PARAM og aliastabellene kan ikke slettes fra.

  tavlo codes import MAPPE FIL [--overwrite] [AVGRENSNING]
  tavlo codes export MAPPE FIL [AVGRENSNING]
      Leser kodeverk inn fra en kodeverksfil (KODEVERK.TXT) eller skriver det ut til en, som
      vinduet Kodeverksvedlikehold gjør, uten å spørre: en fil som finnes, skrives over.
      import legger bare til nye koder; med --overwrite erstattes også koder som finnes (og
      deres KOD:DIV tømmes). En kode med gruppe 0 eller nr 0 telles, men lagres ikke.
      AVGRENSNING: --from-group N --to-group N --from-nr N --to-nr N; hver grense er valgfri,
      og 0 betyr ingen grense. Skriver ut antall poster behandlet. Meldingene underveis kommer
      på standard feil, én per linje. En fil av annen versjon enn 4.0 leses ikke; da er
      ingenting endret. Avslutningskode 2 når alt ellers gikk bra, men skadede linjer (import)
      eller koder som ikke passer i filens kolonner (export) ble utelatt; meldingen sier hvor
      mange og hvilken som var først.

  tavlo customers export MAPPE FIL
  tavlo customers import MAPPE FIL
      Skriver alle kundene med kontaktpersonene til en kundefil (KUNDE.TXT, kommaseparert,
      Windows-1252) eller leser en slik fil inn, som vinduet Kundevedlikehold gjør, uten å
      spørre: en fil som finnes, skrives over. import legger kundene og kontaktpersonene til
      med neste ledige nummer; en kontaktperson hører til kunden foran den i filen. En fil i
      UTF-8 leses også. Skriver ut antall linjer behandlet. En skadet linje stopper importen
      med linjenummeret og hva som er galt; da er ingenting lagt til.

  tavlo products export MAPPE FIL
  tavlo products import MAPPE FIL
      Skriver alle produktene til en produktfil (PRODUKT.TXT, kommaseparert, Windows-1252)
      eller leser en slik fil inn, som vinduet Produktvedlikehold gjør, uten å spørre: en fil
      som finnes, skrives over. import legger produktene til med neste ledige produktnummer,
      uansett hvilket nummer filen har; lagerstyring, lagerbeholdning og høyeste rabatt blir
      tomme. En fil i UTF-8 leses også. Skriver ut antall produkter behandlet. En skadet linje
      stopper importen med linjenummeret og hva som er galt; da er ingenting lagt til.

  tavlo backup MAPPE MÅLMAPPE
      Tar sikkerhetskopi av alle tabellfilene i datamappen, også arkivparet, til MÅLMAPPE
      (som må finnes), og skriver BACKUP.INI der. Kopiene blir riktige også mens andre
      bruker datamappen. Skriver ut kopiene, én per linje. Spør ikke om noe; meldingen til
      slutt kommer på standard feil. Mangler én kopi, er avslutningskoden 1.

  tavlo copy-invoice MAPPE FAKTURANR [--credit] [--status N] [--no-dates] [--no-lines]
      Kopierer fakturaen med linjene til en ny faktura, som Kopier faktura i fakturakartoteket,
      uten å spørre, og skriver ut nummeret den nye fakturaen fikk. --credit lager en
      kreditnota (totalsummen med motsatt fortegn, betalt på forfallsdatoen) som husker
      hvilken faktura den krediterer. Statusen er parameterens standard for kopi eller
      kreditnota, eller N fra --status; en status med «kreditnota» merket gir alltid
      kreditnota. --no-dates beholder fakturaens datoer i stedet for dagens dato og ny
      forfallsdato, --no-lines kopierer uten linjer (og uten summer). Lagerbeholdningen
      endres ikke. Alt skrives i én transaksjon: feiler noe, er ingenting skrevet.

  tavlo print-invoice MAPPE FAKTURANR... [--type 1|2|3] --pdf FIL
      Skriver fakturaene ut til én PDF-fil, slik utskriften fra fakturakartoteket ville
      skrevet dem, uten å spørre. --type velger variant i stedet for parameterens
      fakturatype: 1 med girodel, 2 uten girodel, 3 girodel med «Faktura i følge
      vedlegg...» og så hele fakturaen som vedlegg. Filen skrives under et midlertidig navn
      og får sitt navn først når den er ferdig. Utskriftstatusen endres ikke.

  tavlo ehf MAPPE FAKTURANR... --out MAPPE
      Skriver hver faktura og kreditnota som et EHF-dokument (Peppol BIS Billing 3.0) i
      mappen etter --out, som lages når den mangler: faktura-NR.xml eller kreditnota-NR.xml.
      Skriver ut filene som ble skrevet, én per linje. Selgerens organisasjonsnummer og
      registreringer og hvilket felt hos kunden som holder kundens organisasjonsnummer,
      står i systemparametrene (fanen EHF). En faktura som ikke kan sendes (et ugyldig
      organisasjonsnummer, tom «Deres referanse», ingen linjer …), skrives ikke, og
      grunnen kommer på standard feil som «Faktura NR: …»; da er avslutningskoden 1, men
      de andre fakturaene er skrevet. Hver fil skrives hel eller ikke i det hele tatt.

  tavlo invoices set-status MAPPE STATUS [--redate] (--ids N,... | --filter UTTRYKK)
      Gir fakturaene ny fakturastatus, som Oppdater fakturastatus i fakturakartoteket, og
      merker dem for utskrift. Fakturaer som allerede har statusen, endres ikke. --redate
      gir dem dagens dato og ny forfallsdato (statusens betalingsbetingelse når den har en);
      en faktura med status 1 eller lavere husker da sin opprinnelige faktura- og
      forfallsdato.

  tavlo invoices set-paid MAPPE [--date DATO | --due-date] [--overwrite]
                               (--ids N,... | --filter UTTRYKK)
      Setter betalt dato, som Oppdater betaltdato i fakturakartoteket: DATO, hver fakturas
      egen forfallsdato med --due-date, ellers dagens dato. En faktura som allerede er
      betalt, endres bare med --overwrite.

      For begge: --ids tar fakturanumrene (kommaskilt), som alle må finnes; --filter tar
      fakturaene uttrykket gjelder for (som for records list). Skriver ut numrene på
      fakturaene som ble endret, én per linje. Hver faktura skrives for seg: stanses
      kommandoen, er hver faktura enten endret eller som før. Avslutningskode 1 når en
      faktura ikke kunne leses eller skrives; meldingen sier hvilken.

  tavlo generate MAPPE (--basis N --customers ID,... | --bases ID,...) --date DATO
                 [--message TEKST] [--no-mark]
      Lager fakturaer fra fakturagrunnlag, som Generer fakturaer, uten å spørre: med
      --customers får hver kunde én faktura fra grunnlag N (med kundens navn, adresse og
      kontakt), med --bases får hvert grunnlag én faktura til kunden på grunnlaget. DATO blir
      fakturadato, og forfallsdatoen regnes fra betalingsbetingelsen. --message erstatter
      grunnlagenes egen melding. Et grunnlag som har kunde (med --customers) eller mangler kunde
      (med --bases), hoppes over med en linje på standard feil. Lageret trekkes for varene.
      Skriver ut numrene på de nye fakturaene, én per linje. Hver faktura skrives med linjer,
      summer og lagertrekk i én transaksjon: stanses kjøringen, er hver faktura hel eller ikke
      laget. Passer for en månedlig kjøring fra cron.

  tavlo archive MAPPE (--ids N,... | --filter UTTRYKK)
  tavlo archive MAPPE --restore [--from DATO] [--to DATO]
      Arkiverer fakturaene, som Fakturavedlikehold: hver faktura flyttes med linjene,
      beskrivelsene og notatene sine til arkivparet BAKTURA.TPS og BAKLINJE.TPS og slettes
      fra fakturakartoteket, uten at lageret endres. Fakturaen med det høyeste fakturanummeret
      og fakturaen med den høyeste fakturalinjen blir liggende (nummereringen fortsetter fra
      dem); hver av dem får en linje på standard feil. --restore henter de arkiverte
      fakturaene med fakturadato fra og med --from til og med --to (uten grense når de
      mangler) tilbake til fakturakartoteket. Skriver ut numrene på fakturaene som ble
      flyttet, én per linje. Hver faktura flyttes i én transaksjon over alle fire filene:
      stanses kjøringen, ligger hver faktura hel på ett av stedene. Avslutningskode 1 når en
      faktura ikke kunne flyttes; meldingen sier hvilken, og de neste blir liggende.

  tavlo report invoices MAPPE [AVGRENSNING] [--sort REKKEFØLGE] --pdf FIL
      Skriver fakturarapporten til en PDF-fil, som Fakturarapport i menyen Rapport, uten å
      spørre: én linje per faktura med beløpene (kreditnotaer med minus), summene, antall
      poster og dataavgrensningene til slutt. AVGRENSNING: --customer N (kundenummer) eller
      --name TEKST (del av kundenavnet, store og små bokstaver skilles, høyst 30 tegn),
      --status N (fakturastatus), --from-date DATO --to-date DATO (fakturadato),
      --from-due DATO --to-due DATO (forfallsdato), --from-paid DATO --to-paid DATO
      (betaltdato), --unpaid (betaltdato blank), --credit-notes only|none (bare eller ingen
      kreditnotaer), --filter UTTRYKK (som for records list). REKKEFØLGE: fakturanr
      (standard), kundeid, kundenavn, status, fakturadato, forfallsdato eller betaltdato.
      Et filter som ikke kan brukes, eller et utvalg uten fakturaer («Det er ingen poster
      tilgjenngelig for prosessering.»), gir melding og avslutningskode 1, og ingen fil.

  tavlo report customers MAPPE [AVGRENSNING] [--contacts] [--sort REKKEFØLGE] --pdf FIL
      Skriver kunderapporten til en PDF-fil, som Kunderapport i menyen Rapport, uten å
      spørre: én linje per kunde med summen av fakturaene som er med i utvalget, med
      kontaktpersonene under når --contacts er gitt, summen, antall poster og
      dataavgrensningene til slutt. AVGRENSNING: --group N (kundegruppe), --postnr N,
      --from-date DATO --to-date DATO (fakturadato), --from-due DATO --to-due DATO
      (forfallsdato), --from-paid DATO --to-paid DATO (betaltdato), --unpaid (betaltdato
      blank); datoene avgrenser fakturaene som summeres, ikke kundene. --filter UTTRYKK
      (over KUNDE, som for records list). REKKEFØLGE: kundenr (standard), navn, adresse,
      postnr, kundegruppe eller betalingsbetingelse. Et filter som ikke kan brukes, eller
      et utvalg uten kunder, gir melding og avslutningskode 1, og ingen fil.

  tavlo report products MAPPE [AVGRENSNING] [--sort REKKEFØLGE] --pdf FIL
      Skriver produktrapporten til en PDF-fil, som Produktrapport i menyen Rapport, uten å
      spørre: én linje per produkt, antall poster og dataavgrensningene til slutt.
      AVGRENSNING: --group N (produktgruppe), --vat only|none (bare eller ingen MVA
      pliktige produkter), --stock (bare produkter med lagerstyring), --filter UTTRYKK
      (over PRODUKT). REKKEFØLGE: produktnr (standard), navn eller produktgruppe. Et filter
      som ikke kan brukes, eller et utvalg uten produkter, gir melding og avslutningskode
      1, og ingen fil.

  tavlo statistics MAPPE --year ÅR [--format csv|json] [--archive]
      Fakturastatistikken for året, som vinduet Fakturastatistikk viser den: fakturaene
      datert 1. januar til 31. desember, med kreditnotaene trukket fra. csv (standard): en
      linje med kolonnenavnene (rad, produktid, produktnavn, Jan ... Des, Totalt), så
      «omsetning» (fakturaenes totalsum per måned, inklusiv MVA), «fakturaer» (antall per
      måned), og for hvert produkt i nummerrekkefølge en linje «antall» og en linje «belop»
      (linjenes sum uten MVA, negativ for kreditnotaer). Produkt 0 heter «Uspesifisert ***».
      json: det samme som ett objekt. --archive regner på arkivet (BAKTURA.TPS og
      BAKLINJE.TPS).

  tavlo ocr-import MAPPE FIL
      Leser en OCR-fil fra banken (KID-innbetalinger, poster på 80 tegn) inn, som
      Innbetalinger fra bank (OCR) i menyen Drift, uten å spørre. Hele filen kontrolleres
      først: hver post, antall transaksjoner og poster og totalbeløpet i slutten av hvert
      oppdrag og av forsendelsen, og at oppdragskontoen er kontonummeret i parameterne (når
      det er fylt ut). En fil som ikke stemmer, avvises med linjenummeret og hva som er galt;
      da er ingenting lest inn. KID-en er fakturanummeret med kontrollsiffer (MOD10); en KID
      med feil kontrollsiffer eller uten faktura er ukjent. En faktura er betalt når alle
      innbetalingene på den til nå, minus tilbakeføringer, dekker totalsummen: den får
      oppgjørsdatoen til innbetalingen som gjorde den betalt som betaltdato. En tilbakeføring
      som gjør at den ikke lenger er betalt, fjerner betaltdatoen. Hver innbetaling leses bare
      én gang: leses filen på nytt, er innbetalingene «allerede lest». Skriver ut én linje per
      innbetaling som må følges opp (delvis betalt, overbetalt, ukjent KID, tilbakeføring), så
      antallene og totalbeløpet. Avslutningskode 1 når filen avvises eller en innbetaling ikke
      kunne lagres; de foran er da lest inn, og resten kommer med når filen leses inn igjen.
      Kan ikke brukes i arkivmodus.

)usage";

// Shown after the records command's paragraphs.
constexpr const char* kRecordsNotes = R"usage(
  Valg for records:
      --archive    arbeid på arkivet: FAKTURA og FAKLINJE leser og skriver BAKTURA.TPS og
                   BAKLINJE.TPS.

  TABELL: tabellnavnet (KUNDE) eller prefikset (KUN), også aliastabeller (KUNDE_ALIAS).
  FELT: feltnavnet med eller uten prefiks (KUN:NAVN eller NAVN); store og små bokstaver
  gjelder likt. Datoer skrives 31.12.2004, desimaltall 1234,50 eller 1234.50.
)usage";

constexpr const char* kExitStatus =
    "\n  Avslutningskode 0 når alt gikk bra, ellers 1 med én feilmelding på standard feil.\n";

std::string usage()
{
    std::string out = "Bruk: tavlo KOMMANDO [ARGUMENTER]\n\nKommandoer:\n";
    for (const Command& c : kCommands) {
        std::string name = c.name;
        name.resize(16, ' ');
        out += "  " + name + c.summary + "\n";
    }
    out += "\n  tavlo help KOMMANDO  alt om kommandoen: argumenter, valg og eksempler\n"
           "  tavlo help all       alt om alle kommandoene\n"
           "  tavlo --version      versjonen\n";
    return out + kExitStatus;
}

// The paragraphs of kDetails about `command` ("all": every one), with the notes that go with
// them. Empty for a command that is not there.
std::string details(const std::string& command)
{
    const std::string details = kDetails + 1; // after the raw string's first line break
    std::string out;
    for (size_t at = 0; at < details.size();) {
        size_t end = details.find("\n\n", at);
        end = end == std::string::npos ? details.size() : end + 2;
        const std::string paragraph = details.substr(at, end - at);
        const std::string head = "  tavlo " + command;
        if (command == "all" || (paragraph.compare(0, head.size(), head) == 0 &&
                                 (paragraph[head.size()] == ' ' || paragraph[head.size()] == '\n')))
            out += paragraph;
        at = end;
    }
    if (out.empty())
        return out;
    out.pop_back(); // the blank line after the last paragraph
    if (command == "all" || command == "records")
        out += kRecordsNotes;
    return "Bruk:\n" + out + kExitStatus;
}

int codes(const std::vector<std::string>& args)
{
    std::vector<std::string> positional;
    bool overwrite = false;
    std::map<std::string, int32_t> bounds{
        {"--from-group", 0}, {"--to-group", 0}, {"--from-nr", 0}, {"--to-nr", 0}};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--overwrite") {
            overwrite = true;
            continue;
        }
        std::string name = arg, value;
        if (auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        } else if (bounds.count(name)) {
            if (i + 1 >= args.size())
                throw Failure{"Mangler verdi til " + name};
            value = args[++i];
        }
        if (!bounds.count(name))
            throw Failure{"Ukjent valg: " + arg};
        bounds[name] = boundOrFail(name, value);
    }
    if (positional.empty() || (positional[0] != "import" && positional[0] != "export"))
        throw Failure{"Bruk: tavlo codes import|export MAPPE FIL [--overwrite] "
                      "[--from-group N --to-group N --from-nr N --to-nr N]"};
    const bool import = positional[0] == "import";
    requireFolderAndFile(positional, "codes");
    if (overwrite && !import)
        throw Failure{"--overwrite gjelder bare import"};

    return exchangeRun<ImportEksportKodeverk>(
        positional, "codes",
        [&](ImportEksportKodeverk& run) {
            run.overwrite = overwrite;
            run.fromGroup = bounds["--from-group"];
            run.toGroup = bounds["--to-group"];
            run.fromNr = bounds["--from-nr"];
            run.toNr = bounds["--to-nr"];
        },
        [](const ImportEksportKodeverk& run) { return run.leftOut() > 0 ? 2 : 0; });
}

int init(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        throw Failure{"Bruk: tavlo init MAPPE"};
    std::string message;
    std::vector<std::string> created;
    if (!createDataFolder(args[0], message, &created))
        throw Failure{message};
    for (const auto& path : created)
        std::cout << path << '\n';
    return 0;
}

// The desktop's backup, to a folder named here instead of the parameter's.
int backup(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        throw Failure{"Bruk: tavlo backup MAPPE MÅLMAPPE"};
    std::string message;
    if (!isDataFolder(args[0], message))
        throw Failure{message};
    // A folder that is not there is not made: it may be a disk that is not mounted.
    std::error_code ec;
    if (!std::filesystem::is_directory(args[1], ec))
        throw Failure{"Mappen for sikkerhetskopi finnes ikke: " + args[1]};
    setDataFolder(args[0]);

    Context ctx;
    BackupOptions options;
    options.folder = args[1];
    BackupResult result = BACKUP(ctx, options);
    if (!result.complete())
        return 1; // it has said so
    for (const auto& path : result.copied)
        std::cout << path << '\n';
    return 0;
}

int run(const std::vector<std::string>& args, CliAnswers& answers)
{
    if (args.empty()) {
        std::cerr << usage();
        return 1;
    }
    const std::string& cmd = args.front();
    if (cmd == "--help" || cmd == "-h" || (cmd == "help" && args.size() == 1)) {
        std::cout << usage();
        return 0;
    }
    // "tavlo help records" and "tavlo records --help" alike.
    if (cmd == "help" || (args.size() == 2 && (args[1] == "--help" || args[1] == "-h"))) {
        const std::string text = details(cmd == "help" ? args[1] : cmd);
        if (text.empty())
            throw Failure{"Ukjent kommando: " + (cmd == "help" ? args[1] : cmd) +
                          " (se tavlo --help)"};
        std::cout << text;
        return 0;
    }
    if (cmd == "--version") {
        std::cout << "tavlo (Tavlo) " << programVersion() << '\n';
        return 0;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (cmd == "init")
        return init(rest);
    if (cmd == "records")
        return records(rest, answers);
    if (cmd == "codes")
        return codes(rest);
    if (cmd == "customers")
        return customers(rest);
    if (cmd == "products")
        return products(rest);
    if (cmd == "backup")
        return backup(rest);
    if (cmd == "copy-invoice")
        return copyInvoice(rest);
    if (cmd == "print-invoice")
        return printInvoice(rest);
    if (cmd == "ehf")
        return ehf(rest);
    if (cmd == "invoices")
        return invoices(rest);
    if (cmd == "generate")
        return generate(rest);
    if (cmd == "archive")
        return archive(rest);
    if (cmd == "report")
        return cli::report(rest);
    if (cmd == "statistics")
        return statistics(rest);
    if (cmd == "ocr-import")
        return ocrImport(rest);
    throw Failure{"Ukjent kommando: " + cmd + " (se tavlo --help)"};
}

} // namespace

int main(int argc, char** argv)
{
    GLO::OWNERNAME = GLO::kOwnerPassword;
    CliAnswers answers;
    TLFI::errorManager().setAnswers(&answers);
    int rc = 1;
    try {
        rc = run(std::vector<std::string>(argv + 1, argv + argc), answers);
        answers.flush();
    } catch (const HaltProgram&) {
        rc = 1; // the fatal error has been shown
    } catch (const Failure& f) {
        answers.flush();
        std::cout.flush();
        // A line may quote what the caller typed, line breaks and all.
        std::string line = f.line;
        std::replace_if(
            line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        std::cerr << line << '\n';
        rc = 1;
    } catch (const std::exception& e) {
        answers.flush();
        std::cerr << "Uventet feil: " << e.what() << '\n';
        rc = 1;
    }
    std::cout.flush();
    TLFI::errorManager().setAnswers(nullptr);
    return rc;
}
