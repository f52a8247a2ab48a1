// The window "Produktvedlikehold": every product to the exchange file PRODUKT.TXT, or such a
// file read in as new products.
#include "products/produktvedlikehold.h"
#include "data/view/vedlikeholdsvindu.h"
#include "framework/widgets/contextwindows.h"
#include "products/view/products_view.h"

namespace tavlo::desktop {

void PRODUKTVEDLIKEHOLD(Context& ctx)
{
    contextwindows::show(ctx, new VedlikeholdsVindu<ProduktVedlikehold>(ctx, "Produktvedlikehold",
                                                                        "PRODUKTVEDLIKEHOLD",
                                                                        "Produktfiler|*.TXT"));
}

} // namespace tavlo::desktop
