#pragma once
// The customers' windows.
#include <functional>

#include "data/store.h"

namespace tavlo {
class Context;
namespace desktop {

// The customer register "Kundekartotek".
void KUNDEKARTOTEK(Context& ctx);
// The register's update procedure: the customer form for GlobalRequest on the KUN buffer.
void openKundeForm(Context& ctx, std::function<void(int response, RowRef inserted)> done);
// The contact list's update procedure; the customer is the one in the KUN buffer.
void KONTAKTFORM(Context& ctx, std::function<void(int response, RowRef inserted)> done);

} // namespace desktop
} // namespace tavlo
