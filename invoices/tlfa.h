#pragma once
// The invoices' module: so far the copy and credit note, the credit-limit check and the
// project-link check (kopierfaktura.h); the dialogs are in view/. Its initialiser and finaliser
// are every module's.
#include "framework/moduleface.h"

TAVLO_MODULE_FACE(TLFA)
