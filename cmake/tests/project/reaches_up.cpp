// A foundation file that reaches into the data module; never compiled.
#include "data/tables.h"
#include "framework/text.h"
#include <string>
