// "tavlo ocr-import": the bank's OCR giro file read in as the window "Innbetalinger fra bank
// (OCR)" reads it, without asking.
#include <iostream>
#include <string>
#include <vector>

#include "data/context.h"
#include "framework/errorclass.h"
#include "invoices/ocrgiro.h"
#include "shell/cli.h"

namespace tavlo::cli {

int ocrImport(const std::vector<std::string>& args)
{
    for (const std::string& a : args)
        if (a.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + a + " (se tavlo --help)"};
    if (args.size() != 2)
        throw Failure{"Bruk: tavlo ocr-import MAPPE FIL"};
    useDataFolder(args[0]);

    RunAnswers answers;
    ErrorClass errors(&answers);
    Context ctx(&errors);
    requireParameters(ctx, answers, args[0]);

    OcrInnlesing run(ctx);
    run.filnavn = args[1];
    const OcrInnlesing::Utfall utfall = run.lesInn();
    if (utfall == OcrInnlesing::Utfall::Avvist)
        throw Failure{answers.lines.empty() ? "Filen ble ikke lest inn" : answers.lines.front()};

    // What was booked before a failure is printed as well: it stays booked.
    for (const OcrLinje& l : run.resultat().linjer) {
        if (!trengerOppfolging(l))
            continue;
        std::cout << "Linje " << l.linje << ": KID " << (l.kid.empty() ? "(tom)" : l.kid);
        if (l.fakturaId)
            std::cout << ", faktura " << l.fakturaId;
        std::cout << ", " << ocrBelop(l.belop) << ", oppgjørsdato " << date::format(l.oppgjorsdato)
                  << ": " << utfallTekst(l) << '\n';
    }
    for (const auto& [hva, verdi] : oppsummering(run.resultat()))
        std::cout << hva << ": " << verdi << '\n';
    if (utfall == OcrInnlesing::Utfall::FerdigMedFeil) {
        std::cout.flush();
        std::cerr << (answers.lines.empty() ? "Det oppsto feil under lagring av innbetalingene"
                                            : answers.lines.front())
                  << '\n';
        return 1;
    }
    return 0;
}

} // namespace tavlo::cli
