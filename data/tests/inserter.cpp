// Inserts N customers into a data folder, as a second user would, for the numbering tests.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/context.h"
#include "data/globals.h"
#include "framework/scriptedanswers.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    tavlo::setDataFolder(argv[1]);
    GLO::OWNERNAME = GLO::kOwnerPassword;
    // "Try again?" is answered yes, but not for ever: a failure that does not pass must end
    // the run, not spin it.
    tavlo::ScriptedAnswers answers;
    answers.script.assign(200, tavlo::BUTTON_YES);
    answers.script.push_back(tavlo::BUTTON_NO);
    tavlo::ErrorClass errors(&answers);
    tavlo::Context ctx(&errors);
    auto& kun = ctx.access(tavlo::Tbl::KUNDE);
    kun.OPEN();
    for (int i = 0, n = std::atoi(argv[2]); i < n; ++i) {
        kun.rec().clear();
        kun.rec().set(tavlo::KUN::NAVN, "Kunde " + std::to_string(i));
        if (kun.INSERT() != tavlo::LEVEL_BENIGN) {
            for (const auto& m : answers.shown)
                std::fprintf(stderr, "%s: %s\n", m.caption.c_str(), m.text.c_str());
            return 1;
        }
    }
    kun.CLOSE();
    // Under heavy load a wait for the other writer may run out and be answered "try again"
    // (the scripted default): that is contention, not a fault. Anything else shown is.
    for (const auto& m : answers.shown)
        if (m.caption != "Auto Increment Error")
            return 1;
    return 0;
}
