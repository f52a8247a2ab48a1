// The invoice form "Faktura" and the invoice line form "Fakturalinje", bound to their rules.
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "customfields/widgets/egendefinertefelt.h"
#include "data/context.h"
#include "data/lookups.h"
#include "data/slots.h"
#include "framework/picture.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lookupkeys.h"
#include "invoices/fakturaform.h"
#include "invoices/view/dokumentvindu.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

namespace {

using namespace dokument;

// The project tab of the invoice or of a line: the link made through the project register in
// select mode and the link dialog, the linked line deleted, or the link broken.
template <class Rules>
QWidget* prosjektPage(FormWindow* w, Rules& rules, int prosjektField, int linjeField)
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    QLineEdit* prosjekt = bound(w, page, "prosjektid", 20, prosjektField, "@s50");
    prosjekt->setReadOnly(true);
    form->addRow(
        QStringLiteral("&Prosjekt:"),
        row({prosjekt, textOf(w, "prosjekttekst", [&rules] { return rules.prosjektTekst(); })}));
    QLineEdit* linje = bound(w, page, "prjlinjeid", 9, linjeField, "@n_8B", true);
    linje->setReadOnly(true);
    form->addRow(
        QStringLiteral("Prosjekt&linje:"),
        row({linje, textOf(w, "prjlinjetekst", [&rules] { return rules.prjLinjeTekst(); })}));
    auto* add = new QPushButton(QStringLiteral("Opprett ny prosjektlinje"), page);
    add->setObjectName(QStringLiteral("ADDPROSJEKTLINKBUTTON"));
    auto* del = new QPushButton(QStringLiteral("Slett tilhørende prosjektlinje"), page);
    del->setObjectName(QStringLiteral("DELETEPROSJEKTLINKBUTTON"));
    auto* brk = new QPushButton(QStringLiteral("Bryt kobling til prosjekt"), page);
    brk->setObjectName(QStringLiteral("BREAKPROSJEKTLINKBUTTON"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, del, brk}) {
        b->setEnabled(!rules.readOnly());
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    form->addRow(buttons);
    auto refresh = [w] {
        w->showFields();
        emit w->fieldsShown();
    };
    Context& ctx = rules.context();
    QObject::connect(add, &QPushButton::clicked, w, [w, &rules, &ctx, refresh] {
        w->commitFields(true);
        if (!rules.kanKobleProsjekt())
            return;
        QPointer<FormWindow> alive(w);
        procedures::PROSJEKTKARTOTEK(ctx, [alive, &rules, &ctx, refresh](int response) {
            PrjLinkInfo forslag;
            if (!alive || response != RequestCompleted || !rules.prosjektValgt(forslag))
                return;
            GETPRJLINKINFO(ctx, forslag,
                           [alive, &rules, refresh](bool ok, const PrjLinkInfo& info) {
                               if (!alive || !ok)
                                   return;
                               rules.prosjektKoblet(info);
                               refresh();
                           });
        });
    });
    QObject::connect(del, &QPushButton::clicked, w, [&rules, refresh] {
        rules.slettProsjektlinje();
        refresh();
    });
    QObject::connect(brk, &QPushButton::clicked, w, [&rules, refresh] {
        rules.brytProsjektkobling();
        refresh();
    });
    return page;
}

void openFakturaLinjeForm(Context& ctx, FakturaFelles& felles,
                          std::function<void(int response, RowRef inserted)> done)
{
    auto owned = std::make_unique<FakturaLinjeForm>(ctx, felles);
    FakturaLinjeForm& rules = *owned;
    const int started = rules.start();
    auto [w, tabs] =
        linjevindu(std::move(owned), started, "Fakturalinje", "FAKTURALINJEFORM", done);
    if (!w)
        return;
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    QLineEdit* dato = dateField(w, rules, page, "dato", FLI::DATO.no);
    dato->setEnabled(rules.datoAapen());
    addRow(form, "&Dato:", dato);
    QWidget* prosjekt = prosjektPage(w, rules, FLI::PROSJEKTID.no, FLI::PRJLINJEID.no);
    QLineEdit* produkt =
        linjefelter(w, rules, page, form, rules.mvaAapen(), [&rules, dato, prosjekt](bool open) {
            dato->setEnabled(open && rules.datoAapen());
            prosjekt->setEnabled(open);
        });
    tabs->addTab(page, QStringLiteral("Fakturalinje"));
    tabs->addTab(prosjekt, QStringLiteral("Prosjekt"));
    linjememoer(w, rules, tabs);
    visLinjevindu(w, produkt, std::move(done));
}

} // namespace

void FAKTURAFORM(Context& ctx, int32_t kundeId, std::function<void(int, RowRef)> done)
{
    auto owned = std::make_unique<FakturaForm>(ctx, kundeId);
    FakturaForm& rules = *owned;
    const int started = rules.start();
    auto [w, layout, left, right] =
        hodevindu(std::move(owned), started, "Faktura", "FAKTURAFORM", done);
    if (!w)
        return;

    QLineEdit* nr = shown(w, "fakturanr", 9);
    w->bind(nr, FAK::FAKTURAID.no, "@n_8");
    right->addRow(QStringLiteral("Fakturanr:"), nr);
    QLineEdit* dato = datoOgBetingelse(w, rules, right);
    QLineEdit* forfall = bound(w, w, "forfallsdato", 10, FAK::FORFALLSDATO.no, kDato, true);
    forfall->setReadOnly(true);
    right->addRow(QStringLiteral("Forfallsdato:"), forfall);

    QLineEdit* kunde = kundeblokk(w, rules, left);

    auto* tabs = new QTabWidget(w);
    tabs->setObjectName(QStringLiteral("faner"));
    tabs->addTab(linjeside(w, rules,
                           [](Context& c, DokumentFelles& felles, FormDone done) {
                               openFakturaLinjeForm(c, felles, std::move(done));
                           }),
                 QStringLiteral("Fakturalinjer"));

    QWidget* info = infoside(w, rules, FAK::MELDING.no, FAK::BESKRIVELSE.no);
    tabs->addTab(info, QStringLiteral("Fakturainfo"));

    auto* ekstra = new QWidget;
    ekstra->setObjectName(QStringLiteral("EGENDEFINERTTAB"));
    ekstra->setMinimumSize(560, 240);
    if (OPPRETTEGENDEFINERTEFELT(*w, 3, ekstra, 0, 0) > 0)
        tabs->addTab(ekstra, QStringLiteral("Ekstra"));
    else
        delete ekstra;

    auto* status = new QWidget;
    auto* statusForm = new QFormLayout(status);
    QLineEdit* fs = bound(w, status, "fakturastatus", 5, FAK::FAKTURASTATUS.no, "@n_5B", true);
    onAccepted(w, fs, [&rules] { rules.statusAccepted(); });
    onLookup(w, fs, rules, [&rules, &ctx] {
        Record& r = rules.record();
        r.set(FAK::FAKTURASTATUS, HENTKODA(ctx, 105, r.get(FAK::FAKTURASTATUS)));
        rules.statusAccepted();
    });
    addRow(statusForm, "Faktura&status:", fs, row({fs, textOf(w, "fakturastatustekst", [&rules] {
                                                       return rules.fakturastatusTekst();
                                                   })}));
    QLineEdit* us = bound(w, status, "utskriftstatus", 5, FAK::UTSKRIFTSTATUS.no, "@n_5B", true);
    onAccepted(w, us, [] {});
    onLookup(w, us, rules, [&rules, &ctx] {
        Record& r = rules.record();
        r.set(FAK::UTSKRIFTSTATUS, HENTKODA(ctx, 108, r.get(FAK::UTSKRIFTSTATUS)));
    });
    addRow(statusForm, "Ut&skriftstatus:", us, row({us, textOf(w, "utskriftstatustekst", [&rules] {
                                                        return rules.utskriftstatusTekst();
                                                    })}));
    addRow(statusForm,
           "Betalt &dato:", dateField(w, rules, status, "betaltdato", FAK::BETALTDATO.no));
    mvatyper(w, rules, status, statusForm);
    QLineEdit* od =
        bound(w, status, "opprinneligfakturadato", 10, FAK::OPPRINNELIGFAKTURADATO.no, kDato, true);
    QLineEdit* of = bound(w, status, "opprinneligforfallsdato", 10, FAK::OPPRINNELIGFORFALLSDATO.no,
                          kDato, true);
    od->setReadOnly(true);
    of->setReadOnly(true);
    statusForm->addRow(QStringLiteral("Opprinnelig fakturadato:"), od);
    statusForm->addRow(QStringLiteral("Opprinnelig forfallsdato:"), of);
    auto* kreditt = new QCheckBox(QStringLiteral("Kreditnota"), status);
    kreditt->setObjectName(QStringLiteral("kreditnota"));
    w->bind(kreditt, FAK::KREDITNOTA.no);
    QObject::connect(kreditt, &QCheckBox::clicked, w, [w, &rules] {
        w->commitFields(true);
        rules.summer();
        w->showFields();
        emit w->fieldsShown();
    });
    statusForm->addRow(kreditt);
    tabs->addTab(status, QStringLiteral("Status"));
    tabs->addTab(prosjektPage(w, rules, FAK::PROSJEKTID.no, FAK::PRJLINJEID.no),
                 QStringLiteral("Prosjekt"));
    tabs->addTab(memoTab(w, "div", FAK::DIV.no, nullptr), QStringLiteral("Div"));
    layout->addWidget(tabs, 1);

    w->setFirstField(rules.kundeLast() ? dato : kunde);
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre faktura"));
    emit w->fieldsShown();
}

} // namespace tavlo::desktop
