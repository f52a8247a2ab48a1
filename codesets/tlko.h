#pragma once
// The code-set module: the register's rules (kodeverkform.h) and the exchange of code sets with
// text files (importeksport.h). Its initialiser and finaliser are every module's.
#include "framework/moduleface.h"

TAVLO_MODULE_FACE(TLKO)
