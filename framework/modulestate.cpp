#include "framework/modulestate.h"

#include "data/context.h"

namespace tavlo {

bool ModuleState::init(ErrorClass& errors, INIClass* settings)
{
    if (initialised_)
        return false;
    initialised_ = true;
    errors_ = &errors;
    shared_ = settings;
    if (!shared_)
        own_.Init(iniName_);
    for (const Uses& u : uses_)
        u.init(errors, settings);
    return true;
}

bool ModuleState::kill()
{
    if (!initialised_)
        return false;
    initialised_ = false;
    if (!shared_)
        own_.Kill();
    errors_ = nullptr;
    shared_ = nullptr;
    for (const Uses& u : uses_)
        u.kill();
    return true;
}

ErrorClass& ModuleState::errorManager()
{
    return errors_ ? *errors_ : TLFI::errorManager();
}

} // namespace tavlo
