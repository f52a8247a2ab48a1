// "tavlo customers" and "tavlo products": the exchange files of the windows "Kundevedlikehold"
// and "Produktvedlikehold", without their questions: an import adds, an export writes an
// existing file over.
#include <string>
#include <vector>

#include "customers/kundevedlikehold.h"
#include "products/produktvedlikehold.h"
#include "shell/cli.h"

namespace tavlo::cli {

namespace {

// "import|export MAPPE FIL", with no options; `command` as the user typed it.
template <class Run>
int exchangeCommand(const std::string& command, const std::vector<std::string>& args)
{
    if (args.empty() || (args[0] != "import" && args[0] != "export"))
        throw Failure{"Bruk: tavlo " + command + " import|export MAPPE FIL"};
    for (const auto& arg : args)
        if (arg.rfind("--", 0) == 0)
            throw Failure{"Ukjent valg: " + arg};
    return exchangeRun<Run>(args, command);
}

} // namespace

int customers(const std::vector<std::string>& args)
{
    return exchangeCommand<KundeVedlikehold>("customers", args);
}

int products(const std::vector<std::string>& args)
{
    return exchangeCommand<ProduktVedlikehold>("products", args);
}

} // namespace tavlo::cli
