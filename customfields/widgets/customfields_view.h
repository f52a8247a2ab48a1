#pragma once
#include "framework/moduleface.h"

// The desktop half of the custom fields' module: TLDR::INIT, then EGENDEFBROWSE and FILTERBROWSE
// into their slots. KILL clears them and ends the module.
TAVLO_DESKTOP_FACE(TLDR_VIEW)
