#include "products/tlpr.h"

#include "customfields/tldr.h"
#include "data/context.h"
#include "framework/modulestate.h"

namespace TLPR {
namespace {
tavlo::ModuleState& state()
{
    static tavlo::ModuleState s("tlpr.INI");
    return s;
}
} // namespace

void INIT(tavlo::ErrorClass& e, tavlo::INIClass* settings)
{
    if (!state().init(e, settings))
        return;
    TLFI::INIT(e, settings);
    TLDR::INIT(e, settings);
}

void KILL()
{
    if (!state().kill())
        return;
    TLFI::KILL();
    TLDR::KILL();
}

tavlo::ErrorClass& errorManager()
{
    return state().errorManager();
}

tavlo::INIClass& settings()
{
    return state().settings();
}
} // namespace TLPR
