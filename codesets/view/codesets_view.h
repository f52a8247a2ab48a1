#pragma once
// The code sets' windows. Each entry procedure opens its window in the context it is given and
// returns at once; the window lives until the user closes it.
#include <functional>
#include <memory>

#include "data/store.h"
#include "framework/moduleface.h"

class QWidget;

namespace tavlo {

class Context;
class KodeverkForm;

namespace desktop {

// "Kodeverk": the groups (the codes of group 999) beside the codes of the highlighted group.
void KODEVERKKARTOTEK(Context& ctx);
// "Kodeverksvedlikehold": code sets to and from an exchange file, and deletion of ranges.
void IMPORTEKSPORTKODEVERK(Context& ctx);

// The window of a code's form for its group, started (shown unless it was a delete, which asks
// and ends at once); `done` hears the response. For the register's update procedure.
void openKodeverkForm(Context& ctx, std::unique_ptr<KodeverkForm> form,
                      std::function<void(int response, RowRef inserted)> done);

} // namespace desktop
} // namespace tavlo

// The code sets' desktop half: TLKO::INIT, then KODEVERKKARTOTEK and IMPORTEKSPORTKODEVERK into
// their slots. KILL clears them and ends the module.
TAVLO_DESKTOP_FACE(TLKO_VIEW)
