#include "customers/tlku.h"

#include "customfields/tldr.h"
#include "data/context.h"
#include "framework/iniclass.h"

namespace TLKU {
namespace {
tavlo::ErrorClass* errors = nullptr;
tavlo::INIClass* shared = nullptr;
bool initialised = false;

tavlo::INIClass& own()
{
    static tavlo::INIClass file;
    return file;
}
} // namespace

void INIT(tavlo::ErrorClass& e, tavlo::INIClass* settings)
{
    if (initialised)
        return;
    initialised = true;
    errors = &e;
    shared = settings;
    if (!shared)
        own().Init("tlku.INI");
    TLFI::INIT(e, settings);
    TLDR::INIT(e, settings);
}

void KILL()
{
    if (!initialised)
        return;
    initialised = false;
    if (!shared)
        own().Kill();
    errors = nullptr;
    shared = nullptr;
    TLDR::KILL();
    TLFI::KILL();
}

tavlo::ErrorClass& errorManager()
{
    return errors ? *errors : TLFI::errorManager();
}

tavlo::INIClass& settings()
{
    return shared ? *shared : own();
}
} // namespace TLKU
