#include "shell/procedures.h"

#include "shell/frame.h"

namespace tavlo::tlma {

void addProcedures(Frame& frame)
{
    (void)frame;
}

} // namespace tavlo::tlma
