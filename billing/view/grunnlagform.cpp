// The billing-basis form "Grunnlag" and its line form, bound to their rules; the parts an
// invoice's windows have too are built by the same code.
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "billing/grunnlagform.h"
#include "billing/view/billing_view.h"
#include "customfields/widgets/egendefinertefelt.h"
#include "data/context.h"
#include "data/lookups.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/formwindow.h"
#include "invoices/view/dokumentvindu.h"

namespace tavlo::desktop {

namespace {

using namespace dokument;

void openGrunnlagLinjeForm(Context& ctx, DokumentFelles& felles, FormDone done)
{
    auto owned = std::make_unique<GrunnlagLinjeForm>(ctx, felles);
    GrunnlagLinjeForm& rules = *owned;
    const int started = rules.start();
    auto [w, tabs] =
        linjevindu(std::move(owned), started, "Grunnlaglinje", "GRUNLAGLINJEFORM", done);
    if (!w)
        return;
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    QLineEdit* produkt = linjefelter(w, rules, page, form, true);
    tabs->addTab(page, QStringLiteral("Fakturalinje"));
    linjememoer(w, rules, tabs);
    visLinjevindu(w, produkt, std::move(done));
}

} // namespace

void GRUNNLAGFORM(Context& ctx, int32_t kundeId, FormDone done)
{
    auto owned = std::make_unique<GrunnlagForm>(ctx, kundeId);
    GrunnlagForm& rules = *owned;
    const int started = rules.start();
    auto [w, layout, left, right] =
        hodevindu(std::move(owned), started, "Grunnlag", "GRUNNLAGFORM", done);
    if (!w)
        return;

    QLineEdit* nr = bound(w, w, "grunnlagid", 9, GRU::GRUNNLAGID.no, "@n_8", true);
    right->addRow(QStringLiteral("Refnr:"), nr);
    QLineEdit* dato = datoOgBetingelse(w, rules, right);
    QLineEdit* forfall = dateField(w, rules, w, "forfallsdato", GRU::FORFALLSDATO.no);
    right->addRow(QStringLiteral("Forfallsdato:"), forfall);

    addRow(left, "&Tekst/beskrivelse:", bound(w, w, "tekst", 40, GRU::TEKST.no, "@s100"));
    QLineEdit* type = bound(w, w, "type", 5, GRU::TYPE.no, "@n_5B", true);
    onAccepted(w, type, [] {});
    onLookup(w, type, rules, [&rules, &ctx] {
        Record& r = rules.record();
        r.set(GRU::TYPE, HENTKODA(ctx, 111, r.get(GRU::TYPE)));
    });
    addRow(left, "&Type:", type,
           row({type, textOf(w, "typetekst", [&rules] { return rules.typeTekst(); })}));
    QLineEdit* kunde = kundeblokk(w, rules, left);

    auto* tabs = new QTabWidget(w);
    tabs->setObjectName(QStringLiteral("faner"));
    tabs->addTab(linjeside(w, rules, openGrunnlagLinjeForm), QStringLiteral("Fakturalinjer"));
    tabs->addTab(infoside(w, rules, GRU::MELDING.no, GRU::BESKRIVELSE.no),
                 QStringLiteral("Fakturainfo"));
    auto* ekstra = new QWidget;
    ekstra->setObjectName(QStringLiteral("EGENDEFINERTTAB"));
    ekstra->setMinimumSize(560, 240);
    // The bases carry the invoices' custom fields.
    if (OPPRETTEGENDEFINERTEFELT(*w, 5, ekstra, 0, 0) > 0)
        tabs->addTab(ekstra, QStringLiteral("Ekstra"));
    else
        delete ekstra;

    auto* status = new QWidget;
    auto* statusForm = new QFormLayout(status);
    QLineEdit* fs = bound(w, status, "fakturastatus", 5, GRU::FAKTURASTATUS.no, "@n_5B", true);
    onAccepted(w, fs, [] {});
    onLookup(w, fs, rules, [&rules, &ctx] {
        Record& r = rules.record();
        r.set(GRU::FAKTURASTATUS, HENTKODA(ctx, 105, r.get(GRU::FAKTURASTATUS)));
    });
    addRow(statusForm, "Faktura&status:", fs, row({fs, textOf(w, "fakturastatustekst", [&rules] {
                                                       return rules.fakturastatusTekst();
                                                   })}));
    addRow(statusForm,
           "Betalt &dato:", dateField(w, rules, status, "betaltdato", GRU::BETALTDATO.no));
    mvatyper(w, rules, status, statusForm);
    tabs->addTab(status, QStringLiteral("Status"));
    tabs->addTab(memoTab(w, "div", GRU::DIV.no, nullptr), QStringLiteral("Div"));
    layout->addWidget(tabs, 1);

    // The number of a new basis may be typed over, as long as no line holds it yet.
    const bool ny = rules.originalRequest() == InsertRecord;
    QObject::connect(w, &FormWindow::fieldsShown, w, [nr, ny, &rules] {
        nr->setReadOnly(!ny || rules.felles().hoyesteLinjenr != 0);
    });
    w->setFirstField(rules.kundeLast() ? dato : kunde);
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre grunnlag"));
    if (w->cancelButton())
        w->cancelButton()->setText(QStringLiteral("Avbryt"));
    emit w->fieldsShown();
}

} // namespace tavlo::desktop
