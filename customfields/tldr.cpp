#include "customfields/tldr.h"

#include "data/context.h"
#include "framework/modulestate.h"

namespace TLDR {
namespace {
tavlo::ModuleState& state()
{
    static tavlo::ModuleState s("tldr.INI", {{TLFI::INIT, TLFI::KILL}});
    return s;
}
} // namespace

void INIT(tavlo::ErrorClass& e, tavlo::INIClass* settings)
{
    state().init(e, settings);
}

void KILL()
{
    state().kill();
}

tavlo::ErrorClass& errorManager()
{
    return state().errorManager();
}

tavlo::INIClass& settings()
{
    return state().settings();
}
} // namespace TLDR
