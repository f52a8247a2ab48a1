// "tavlo customers" and "tavlo products": the exchange files of the windows "Kundevedlikehold"
// and "Produktvedlikehold", without their questions: an import adds, an export writes an
// existing file over.
#include <iostream>
#include <string>
#include <vector>

#include "customers/kundevedlikehold.h"
#include "data/context.h"
#include "data/datafolder.h"
#include "framework/errorclass.h"
#include "products/produktvedlikehold.h"
#include "shell/cli.h"

namespace tavlo::cli {

namespace {

// One run of a maintenance window's export or import; `command` as the user typed it.
template <class Run>
int exchangeRun(const std::string& command, const std::vector<std::string>& args)
{
    if (args.empty() || (args[0] != "import" && args[0] != "export"))
        throw Failure{"Bruk: tavlo " + command + " import|export MAPPE FIL"};
    for (const auto& arg : args)
        if (arg.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + arg};
    const bool import = args[0] == "import";
    requireFolderAndFile(args, command);
    const std::string& dir = args[1];
    useDataFolder(dir);

    RunAnswers answers;
    ErrorClass errors(&answers);
    Context ctx(&errors);
    requireParameters(ctx, answers, dir);

    Run run(ctx);
    run.fileName() = args[2];
    run.confirmed = true;
    auto outcome = import ? run.importFile() : run.exportFile();
    reportRun(outcome == exchange::Outcome::Completed, import, answers, run.counter());
    return 0;
}

} // namespace

int customers(const std::vector<std::string>& args)
{
    return exchangeRun<KundeVedlikehold>("customers", args);
}

int products(const std::vector<std::string>& args)
{
    return exchangeRun<ProduktVedlikehold>("products", args);
}

} // namespace tavlo::cli
