#pragma once
// Where the program is and where its data files are: the same programs run from the build tree,
// from /usr after an install, and from a package unpacked anywhere else (a scratch root), so the
// data files are looked for relative to the running program, never at a fixed place.
#include <string>

namespace tavlo {

// The program's version, as the build names it ("4.0").
const char* programVersion();

// The folder of the running program ("" when the system does not tell).
std::string programFolder();

// The data file `name` (KODNY40.TXT, brukerveiledning.html): the first of
//   beside the program;
//   PROGRAM/../share/tavlo, where an install puts it, and where the build tree mirrors it;
//   the build tree's share/tavlo, for a program of the build tree in a folder of its own (tests).
// When none holds it, the path where an install would have put it, for the message.
std::string dataFile(const std::string& name);

} // namespace tavlo
