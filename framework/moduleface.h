#pragma once
// What every module shows the program: INIT runs once, keeps the main program's error manager and
// settings object (null: the module's own settings file) and starts the modules it uses with the
// same two; KILL runs once after INIT and ends them too. A module's desktop half shows only the
// two: its module's INIT, then its windows into their slots; KILL clears them and ends the module.
// One macro each, so that the seven modules' headers cannot drift apart.
namespace tavlo {
class ErrorClass;
class INIClass;
} // namespace tavlo

// clang-format off
#define TAVLO_DESKTOP_FACE(NS)                                                                     \
    namespace NS {                                                                                 \
    void INIT(::tavlo::ErrorClass& errors, ::tavlo::INIClass* settings);                           \
    void KILL();                                                                                   \
    }

#define TAVLO_MODULE_FACE(NS)                                                                      \
    TAVLO_DESKTOP_FACE(NS)                                                                         \
    namespace NS {                                                                                 \
    ::tavlo::ErrorClass& errorManager();                                                           \
    ::tavlo::INIClass& settings();                                                                 \
    }
// clang-format on
