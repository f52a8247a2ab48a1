// A foundation file that reaches into the data module; never compiled.
#include "framework/text.h"
#include "data/tables.h"
#include <string>
