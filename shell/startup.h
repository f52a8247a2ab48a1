#pragma once
// The start of the desktop program before its frame: the environment file, the modules'
// initialisers, the command-line switch, the parameter record copied into the globals and the
// texts of the status bar.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/answer.h"

namespace tavlo {
class Context;
class ErrorClass;
class INIClass;
} // namespace tavlo

namespace tavlo::tlma {

inline constexpr const char* kCaption = "Tavlo 4.0e";
inline constexpr const char* kEnvironmentFile = "TAVLO.ENV";
inline constexpr const char* kEnvironmentStop =
    "Kan ikke laste environment fil: TAVLO.ENV||Systemet bør ikke brukes før problemet er rettet";
inline constexpr const char* kParamError = "Det oppsto feil under oppslag i parameter tabellen";

// What the environment file names. The program knows one character set for the files it
// exchanges and one collation for its keys; a file naming others is not used.
struct Environment {
    std::string charset = "WINDOWS-1252";
    std::string collation = "NOR";
};
enum class EnvironmentLoad { Loaded, Absent, Damaged };
// Reads "TEGNSETT=…" and "SORTERING=…" lines ('#' starts a comment). Absent: the defaults.
// Damaged (unreadable, an unknown line, a set or collation the program does not have):
// `problem` says what.
EnvironmentLoad loadEnvironment(const std::string& path, Environment& env, std::string& problem);

// "/A" anywhere on the command line (a value after it is ignored).
bool archiveSwitch(const std::vector<std::string>& args);
// The frame's caption, with " - ARKIV" in archive mode.
std::string caption(bool archive);

// The modules' desktop initialisers in the module order, each once, which fill the slots of the
// windows; the finalisers in the same order, which clear them.
void initModules(ErrorClass& errors, INIClass* settings);
void killModules();

// Reads the first parameter record into the context's buffer and copies its values into the
// globals. False when there is none or it cannot be read; the caller shows kParamError and
// halts.
bool readParameters(Context& ctx);

// A message of the frame or start-up, which have no context of their own: the button pressed.
unsigned say(ErrorClass& errors, const std::string& text, const char* caption, Icon icon,
             unsigned buttons = BUTTON_OK, unsigned preselected = BUTTON_OK);

// A folder without a parameter file is offered to be made a data folder, with the standard
// codes. False when the user declines or it cannot be made (said).
bool firstStart(ErrorClass& errors, const std::string& folder);

// The data folder of a start from the desktop menu ("tlma --last-folder"), which names none and
// runs in the home folder: the folder used last, when it still holds data; else the folder the
// user picks, the dialog starting at `suggested` (~/Tavlo). Empty when the user cancels.
std::string menuStartFolder(AnswerService& answers, const std::string& remembered,
                            const std::string& suggested);

// The status bar: "Sunday, 06.12.2026" and "14:05".
std::string weekdayAndDate(int32_t dayNumber);
std::string clock(int hour, int minute);

} // namespace tavlo::tlma
