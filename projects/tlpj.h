#pragma once
// The projects' module: the register and the forms' rules (prosjektkartotek.h,
// prosjektform.h) and the project-line operations other modules call (prjlinje.h); the windows
// are in view/. Its initialiser and finaliser are every module's.
#include "framework/moduleface.h"

TAVLO_MODULE_FACE(TLPJ)
