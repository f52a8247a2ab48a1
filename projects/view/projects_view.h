#pragma once
// The projects' windows.
#include <functional>

#include "data/store.h"
#include "framework/moduleface.h"

namespace tavlo {
class Context;
namespace desktop {

// The project register "Prosjektkartotek". With `selected`, the register is opened for choosing
// a project in the caller's context: it ends with RequestCompleted and the chosen project in the
// PROSJEKT buffer, or RequestCancelled when closed without a choice.
void PROSJEKTKARTOTEK(Context& ctx, std::function<void(int response)> selected = {});
// The register's update procedure: the project form for GlobalRequest on the PRJ buffer.
void openProsjektForm(Context& ctx, std::function<void(int response, RowRef inserted)> done);

} // namespace desktop
} // namespace tavlo

// The projects' desktop half: TLPJ::INIT, then PROSJEKTKARTOTEK into its slot. KILL clears it and
// ends the module.
TAVLO_DESKTOP_FACE(TLPJ_VIEW)
