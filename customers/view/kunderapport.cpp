// "Kunderapport": the limits and the order of the customer list, then the list in the print
// preview (or on the printer when the preview is turned off). The window stays for another run.
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <memory>

#include "customers/print/kunderapport.h"
#include "customers/tlku.h"
#include "customers/view/customers_view.h"
#include "data/context.h"
#include "data/lookups.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/lookupkeys.h"
#include "framework/widgets/rapportvalg.h"

namespace tavlo::desktop {

void AVGRENSNINGERKUNDERAPPORT(Context& ctx)
{
    auto* w = new Dialog({});
    w->setObjectName(QStringLiteral("AVGRENSNINGERKUNDERAPPORT"));
    w->setWindowTitle(QStringLiteral("Kunderapport"));
    Context* c = &ctx;
    auto* layout = new QVBoxLayout(w);

    auto* avgrensninger = new QGroupBox(QStringLiteral("Avgrensninger"), w);
    auto* form = new QFormLayout(avgrensninger);
    layout->addWidget(avgrensninger);
    QLineEdit* gruppe = kodefelt(c, w, form, "&Kundegruppe", "kundegruppe", 103);
    QLineEdit* postnr = kodefelt(c, w, form, "&Postnr:", "postnr", 101);

    const auto faktura = periodefelt(w, form, "Faktura&dato:", "fakturadato");
    const auto forfall = periodefelt(w, form, "&Forfallsdato:", "forfallsdato");
    auto* blank = new QCheckBox(QStringLiteral("&Blank"), w);
    blank->setObjectName(QStringLiteral("betaltblank"));
    const auto betalt = periodefelt(w, form, "&Betaltdato:", "betaltdato", blank);

    QLineEdit* filter = filterfelt(c, w, form, 1);

    auto* valg = new QHBoxLayout;
    layout->addLayout(valg);
    auto* taMed = new QGroupBox(QStringLiteral("Ta med på rapport"), w);
    auto* taMedLayout = new QVBoxLayout(taMed);
    auto* kontakter = new QCheckBox(QStringLiteral("&Kontaktpersoner"), taMed);
    kontakter->setObjectName(QStringLiteral("kontaktpersoner"));
    taMedLayout->addWidget(kontakter);
    taMedLayout->addStretch(1);
    valg->addWidget(taMed);

    auto* sortBoks = new QGroupBox(QStringLiteral("Sortering"), w);
    QButtonGroup* sortering = radioer(
        w, sortBoks,
        {"&Kundenr", "&Navn", "&Adresse", "&Postnr", "Kunde&gruppe", "&Betalingsbetingelse"},
        "sortering", 1, false);
    valg->addWidget(sortBoks, 1);

    QPushButton* skrivUt =
        handlingsrad(w, layout, "Skriv ut", "PRINTBUTTON", "Avbryt", "avbryt", true);

    QObject::connect(skrivUt, &QPushButton::clicked, w, [=] {
        if (w->busy)
            return;
        Kundeavgrensning a;
        const auto g = lesTall(*c, gruppe, "kundegruppe");
        const auto p = g ? lesTall(*c, postnr, "postnr") : std::nullopt;
        if (!g || !p)
            return;
        a.kundeGruppe = *g;
        a.postNr = *p;
        if (!lesPerioder(*c, faktura, forfall, betalt, a))
            return;
        a.betaltBlank = blank->isChecked();
        a.filterstreng = filter->text().toStdString();
        a.kontaktpersoner = kontakter->isChecked();
        a.sortering = sortering->checkedId();
        slaOppKundetekster(*c, a);
        const Kundeutvalg u = byggKundeutvalg(a);
        if (!kundefilterKanBrukes(*c, u, a))
            return;
        auto rapport = std::make_shared<Kunderapport>(
            *c, u.sortering, u.beskrivelse, u.fakturabetingelse, u.filter, a.kontaktpersoner);
        if (!rapport->open())
            return;
        kjorListe(*c, w, skrivUt,
                  {QStringLiteral("Kunderapport"), [rapport] { return rapport->next(); },
                   [rapport] { return rapport->percent(); }, [rapport] { return rapport->pages(); },
                   &TLKU::settings()});
    });

    contextwindows::show(ctx, w);
}

} // namespace tavlo::desktop
