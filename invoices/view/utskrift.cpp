// "Skriv ut faktura": the invoices' pages in the print preview; printing them marks them
// printed.
#include "data/context.h"
#include "framework/filemanager.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/printpreview.h"
#include "invoices/fakturaform.h"
#include "invoices/print/fakturautskrift.h"
#include "invoices/tlfa.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

void VELGFAKTURARAPPORT(Context& ctx, int32_t fakturaId)
{
    ProcedureScope scope(ctx, "VELGFAKTURARAPPORT");
    Record par(table(Tbl::PARAM));
    if (!lesParametre(ctx, par)) {
        const ErrorState& e = ctx.errorState();
        say(ctx,
            "Det oppsto feil under oppslag i parameteoppsett -|" +
                std::to_string(e.currentErrorCode) + " - " + e.currentErrorText,
            "Feil", Icon::Exclamation);
    }
    const std::vector<int32_t> ids = fakturaerTilUtskrift(fakturaId);
    report::PageList pages;
    if (!byggFakturaer(ctx, par, ids, pages) || pages.empty())
        return; // it has said why
    Context* c = &ctx;
    auto* w = new PrintPreviewWindow(std::move(pages), &TLFA::settings(), [c, ids](bool printed) {
        if (printed)
            markerUtskrevet(*c, ids);
    });
    contextwindows::show(ctx, w);
    w->setWindowState(w->windowState() | Qt::WindowMaximized);
}

} // namespace tavlo::desktop
