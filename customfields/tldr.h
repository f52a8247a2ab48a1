#pragma once
// The module of custom fields and saved filters: the definitions of the spare fields and their
// creation on the forms (egendef.h), and the saved filters' form (filterform.h). The windows are
// in widgets/. Its initialiser and finaliser are every module's.
#include "framework/moduleface.h"

TAVLO_MODULE_FACE(TLDR)
