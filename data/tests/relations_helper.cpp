// Deletes or renumbers customer 1 of a data folder through its relation manager, stopping the
// process dead after a given number of child writes: the tests then check that nothing of the
// half-done work is left in any file.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "data/context.h"
#include "data/globals.h"
#include "framework/scriptedanswers.h"

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    tavlo::setDataFolder(argv[1]);
    GLO::OWNERNAME = GLO::kOwnerPassword;
    std::string mode = argv[2];
    int stopAfter = std::atoi(argv[3]);
    int writes = 0;
    tavlo::RelationManager::afterChildWrite = [&] {
        if (++writes == stopAfter)
            _exit(9);
    };
    tavlo::ScriptedAnswers answers;
    tavlo::ErrorClass errors(&answers);
    tavlo::Context ctx(&errors);
    auto& relate = ctx.relate(tavlo::Tbl::KUNDE);
    relate.OPEN();
    auto& kun = ctx.access(tavlo::Tbl::KUNDE);
    kun.rec().set(tavlo::KUN::KUNDEID, 1);
    if (kun.FETCH(tavlo::KUN::KeyKundeId) != tavlo::LEVEL_BENIGN)
        return 1;
    int level = tavlo::LEVEL_NOTIFY;
    if (mode == "delete") {
        level = relate.DELETE(false);
    } else {
        relate.SAVE();
        kun.rec().set(tavlo::KUN::KUNDEID, 999);
        level = relate.UPDATE();
    }
    relate.CLOSE();
    return level == tavlo::LEVEL_BENIGN ? 0 : 1;
}
