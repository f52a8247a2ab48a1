#pragma once
// The customers' module: the register, the customer form and the contact form (kundekartotek.h,
// kundeform.h); the windows are in view/. Its initialiser and finaliser are
// every module's.
#include "framework/moduleface.h"

TAVLO_MODULE_FACE(TLKU)
