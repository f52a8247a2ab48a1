#include "shell/procedures.h"

#include "customfields/widgets/egendefbrowse.h"
#include "customfields/widgets/filterbrowse.h"
#include "shell/frame.h"

namespace tavlo::tlma {

void addProcedures(Frame& frame)
{
    frame.addProcedure("EGENDEFBROWSE", EGENDEFBROWSE);
    frame.addProcedure("FILTERBROWSE", FILTERBROWSE);
}

} // namespace tavlo::tlma
