#pragma once
// The products' module: the register and the product form (produktkartotek.h,
// produktform.h); the windows are in view/. Its initialiser and finaliser are
// every module's.
#include "framework/moduleface.h"

TAVLO_MODULE_FACE(TLPR)
