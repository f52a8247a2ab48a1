#pragma once
// The customers' windows.
#include <functional>

#include "data/store.h"
#include "framework/moduleface.h"

namespace tavlo {
class Context;
namespace desktop {

// The customer register "Kundekartotek". With `selected`, the register is opened for choosing
// a customer in the caller's context: it ends with RequestCompleted and the chosen customer in
// the KUNDE buffer, or RequestCancelled when closed without a choice.
// `selected` runs before the register closes its files: a caller that holds the table open itself
// gets its own record back afterwards, so it takes the chosen one there.
void KUNDEKARTOTEK(Context& ctx, std::function<void(int response)> selected = {});
// The register's update procedure: the customer form for GlobalRequest on the KUN buffer.
void openKundeForm(Context& ctx, std::function<void(int response, RowRef inserted)> done);
// The contact list's update procedure; the customer is the one in the KUN buffer.
void KONTAKTFORM(Context& ctx, std::function<void(int response, RowRef inserted)> done);
// "Kunderapport": the limits and order of the customer list, then the list.
void AVGRENSNINGERKUNDERAPPORT(Context& ctx);
// "Kundevedlikehold": customers and contacts to and from the exchange file KUNDE.TXT.
void KUNDEVEDLIKEHOLD(Context& ctx);

} // namespace desktop
} // namespace tavlo

// The customers' desktop half: TLKU::INIT, then KUNDEKARTOTEK, AVGRENSNINGERKUNDERAPPORT and
// KUNDEVEDLIKEHOLD into their slots. KILL clears them and ends the module.
TAVLO_DESKTOP_FACE(TLKU_VIEW)
