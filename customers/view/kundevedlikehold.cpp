// The window "Kundevedlikehold": customers and their contacts to and from the exchange file.
#include "customers/kundevedlikehold.h"
#include "customers/view/customers_view.h"
#include "data/view/vedlikeholdsvindu.h"
#include "framework/widgets/contextwindows.h"

namespace tavlo::desktop {

void KUNDEVEDLIKEHOLD(Context& ctx)
{
    contextwindows::show(ctx, new VedlikeholdsVindu<KundeVedlikehold>(ctx, "Kundevedlikehold",
                                                                      "KUNDEVEDLIKEHOLD",
                                                                      "Kodeverksfiler|*.TXT"));
}

} // namespace tavlo::desktop
