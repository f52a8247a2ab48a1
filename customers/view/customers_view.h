#pragma once
// The customers' windows.
namespace tavlo {
class Context;
namespace desktop {

// The customer register "Kundekartotek".
void KUNDEKARTOTEK(Context& ctx);

} // namespace desktop
} // namespace tavlo
