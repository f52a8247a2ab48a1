// "Skriv ut faktura": the invoices' pages in the print preview; printing them marks them
// printed.
#include "data/context.h"
#include "framework/errorclass.h"
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
    if (!byggFakturaer(ctx, par, ids, pages))
        return; // it has said why
    if (pages.empty()) {
        ctx.errors().THROW(ctx.errorState(), MSG_NO_RECORDS);
        return;
    }
    Context* c = &ctx;
    auto* w = new PrintPreviewWindow(std::move(pages), &TLFA::settings(), [c, ids](bool printed) {
        if (printed)
            markerUtskrevet(*c, ids);
    });
    // The copies and the paper bin of the variant: with giro or without.
    const bool medGiro = par.get(PAR::FAKTURATYPE) != 2;
    w->setPrinterSetup(
        par.get(PAR::ANTALLFAKTURAER),
        par.get(medGiro ? PAR::PAPIRKILDEFAKTURAERMEDGIRO : PAR::PAPIRKILDEFAKTURAERUTENGIRO));
    contextwindows::show(ctx, w);
    w->setWindowState(w->windowState() | Qt::WindowMaximized);
}

} // namespace tavlo::desktop
