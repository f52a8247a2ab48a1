#pragma once
// The billing bases' module: the basis form's and line form's rules (grunnlagform.h), the
// register's (grunnlagkartotek.h) and the invoice generation (generering.h); the windows are in
// view/. Its initialiser and finaliser are every module's.
#include "framework/moduleface.h"

TAVLO_MODULE_FACE(TLGR)
