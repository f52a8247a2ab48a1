#pragma once
// A new data folder: every table file, the archive pair and the one parameter record the program
// needs before its first start. The command line's "init" and the desktop's first start share it.
#include <string>
#include <vector>

namespace tavlo {

class Context;

// Makes `dir` (and its parents) when missing, selects it as the data folder, creates every table
// file that is missing, adds the parameter record with its defaults and loads the standard code
// file into KODEVERK. Refuses, changing nothing, a folder whose parameter table already holds a
// record, and a folder holding a file that is not one of our tables. On failure `message` says
// why and every file made so far is removed again. `created` receives the paths of the files made,
// in the order they were made. GLO::OWNERNAME must be set first: the parameter table is sealed with
// it.
bool createDataFolder(const std::string& dir, std::string& message,
                      std::vector<std::string>* created = nullptr);

// The standard code file that ships with the program: the code groups, statuses and types the
// system starts with and the Norwegian postal places, in the code-set exchange format. Found as
// the program's data files are (framework/installation.h).
std::string standardCodeFile();

// Whether `dir` can be used as a data folder as it stands, found without opening any table (an
// open creates a missing table file): the folder exists, holds a parameter file, and no table
// of an earlier data version.
bool isDataFolder(const std::string& dir, std::string& message);

// The table files of `dir` that hold the record of an earlier data version, and the originals an
// interrupted conversion left as NAME.300 with no table beside them: the converter (omlegg)
// must run before the program does, or a table made empty in their place would hide them.
// Empty when there are none.
std::vector<std::string> earlierVersionTables(const std::string& dir);

// Reads the first parameter record of the selected data folder through the context's manager.
// Returns the level of the read; `found` tells whether there was a record. Errors are reported
// through the context's error manager.
int findParamRecord(Context& ctx, bool& found);

} // namespace tavlo
