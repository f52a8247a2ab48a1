// "Skriv ut faktura": the invoices' pages in the print preview; printing them marks them
// printed.
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <memory>

#include "data/context.h"
#include "framework/errorclass.h"
#include "framework/filemanager.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/printpreview.h"
#include "framework/widgets/reportprogress.h"
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
    const std::vector<UtskriftValg> valg = varianter(par.get(PAR::FAKTURATYPE));
    if (valg.empty()) {
        say(ctx, "Udefinert fakturatype", "Feil", Icon::Exclamation);
        return;
    }
    GIRO(ctx, fakturaId, valg);
}

void GIRO(Context& ctx, int32_t fakturaId, std::vector<UtskriftValg> valg)
{
    ProcedureScope scope(ctx, "GIRO");
    Record par(table(Tbl::PARAM));
    if (!lesParametre(ctx, par)) {
        say(ctx, "Det oppsto feil under oppslag i parametere", "Feil", Icon::Exclamation);
        par.clear();
    }
    const std::vector<int32_t> ids = fakturaerTilUtskrift(fakturaId);
    // The printer is chosen first when the parameters ask for it, or Shift is held.
    QString printerName;
    if (par.get(PAR::VISPRINTERDIALOG) ||
        (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier)) {
        QPrinter printer;
        QPrintDialog dialog(&printer);
        if (dialog.exec() != QDialog::Accepted)
            return;
        printerName = printer.printerName();
    }
    // One invoice a record, laid out in timed cycles behind "Vent...".
    struct State {
        Record par;
        std::vector<int32_t> ids;
        std::vector<UtskriftValg> valg;
        std::size_t next = 0;
        report::PageList pages;
    };
    auto state = std::make_shared<State>(State{par, ids, std::move(valg), 0, {}});
    Context* c = &ctx;
    ReportRun run;
    run.text = QStringLiteral("Genererer fakturaer");
    run.next = [c, state] {
        if (state->next >= state->ids.size())
            return ProcessClass::Record::End;
        const int32_t id = state->ids[state->next++];
        for (const UtskriftValg& v : state->valg)
            if (!byggFaktura(*c, state->par, id, v, state->pages))
                break; // said; the invoice is skipped
        return ProcessClass::Record::Taken;
    };
    run.percent = [state] {
        return static_cast<int>(state->next * 100 / std::max<std::size_t>(1, state->ids.size()));
    };
    run.done = [c, state, printerName](bool completed, int64_t) {
        if (!completed)
            return; // cancelled: nothing is printed
        if (state->pages.empty()) {
            c->errors().THROW(c->errorState(), MSG_NO_RECORDS);
            return;
        }
        const Record& par = state->par;
        const std::vector<int32_t> ids = state->ids;
        auto* w = new PrintPreviewClass(std::move(state->pages), &TLFA::settings(),
                                        [c, ids](bool printed) {
                                            if (printed)
                                                markerUtskrevet(*c, ids);
                                        });
        w->setPrinterName(printerName);
        // The copies and the paper bin of the variant: with giro or without.
        const bool medGiro = state->valg.front().medGiro;
        w->setPrinterSetup(
            par.get(PAR::ANTALLFAKTURAER),
            par.get(medGiro ? PAR::PAPIRKILDEFAKTURAERMEDGIRO : PAR::PAPIRKILDEFAKTURAERUTENGIRO));
        contextwindows::show(*c, w);
        w->setWindowState(w->windowState() | Qt::WindowMaximized);
    };
    runReport(ctx, std::move(run));
}

} // namespace tavlo::desktop
