// "Produktrapport": the order and limits of the product list, then the list in the print preview
// (or on the printer when the preview is turned off). The window stays for another run.
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <memory>

#include "data/context.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/lookupkeys.h"
#include "framework/widgets/rapportvalg.h"
#include "products/print/produktrapport.h"
#include "products/tlpr.h"
#include "products/view/products_view.h"

namespace tavlo::desktop {

void AVGRENSNINGERPRODUKTRAPPORT(Context& ctx)
{
    auto* w = new Dialog({});
    w->setObjectName(QStringLiteral("AVGRENSNINGERPRODUKTRAPPORT"));
    w->setWindowTitle(QStringLiteral("Produktrapport"));
    Context* c = &ctx;
    auto* layout = new QHBoxLayout(w);

    auto* sortBoks = new QGroupBox(QStringLiteral("Sortering"), w);
    QButtonGroup* sortering =
        radioer(w, sortBoks, {" &Produktnr", " &Navn", " Produkt&gruppe"}, "sortering", 1);
    layout->addWidget(sortBoks);

    auto* hoyre = new QVBoxLayout;
    layout->addLayout(hoyre, 1);
    auto* avgrensninger = new QGroupBox(QStringLiteral("Avgrensninger"), w);
    auto* avgLayout = new QVBoxLayout(avgrensninger);
    auto* form = new QFormLayout;
    avgLayout->addLayout(form);
    hoyre->addWidget(avgrensninger);
    QLineEdit* gruppe = kodefelt(c, w, form, "&Produktgruppe", "produktgruppe", 102);
    QLineEdit* filter = filterfelt(c, w, form, 2);
    auto* lager = new QCheckBox(QStringLiteral("Ta med kun produkter med &Lagerstyring"), w);
    lager->setObjectName(QStringLiteral("lagerstyring"));
    avgLayout->addWidget(lager);
    auto* mvaBoks = new QGroupBox(QStringLiteral("MVA pliktig"), avgrensninger);
    QButtonGroup* mva = radioer(
        w, mvaBoks, {"&Alle", " &Bare MVA pliktige produkter", " &Ingen MVA pliktige produkter"},
        "mva", 0);
    avgLayout->addWidget(mvaBoks);

    QPushButton* skrivUt = handlingsrad(w, hoyre, "Skriv ut", "PRINTBUTTON", "Avbryt", "avbryt");

    QObject::connect(skrivUt, &QPushButton::clicked, w, [=] {
        if (w->busy)
            return;
        const auto g = lesTall(*c, gruppe, "produktgruppe");
        if (!g)
            return;
        Produktavgrensning a;
        a.sortering = sortering->checkedId();
        a.produktgruppe = *g;
        a.filterstreng = filter->text().toStdString();
        a.lagerstyring = lager->isChecked();
        a.mvaPliktig = std::max(0, mva->checkedId());
        slaOppProdukttekster(*c, a);
        const Produktutvalg u = byggProduktutvalg(a);
        if (!produktfilterKanBrukes(*c, u, a))
            return;
        auto rapport = std::make_shared<Produktrapport>(*c, u.sortering, u.beskrivelse, u.filter);
        if (!rapport->open())
            return;
        kjorListe(*c, w, skrivUt,
                  {QStringLiteral("Produktrapport"), [rapport] { return rapport->next(); },
                   [rapport] { return rapport->percent(); }, [rapport] { return rapport->pages(); },
                   &TLPR::settings()});
    });

    contextwindows::show(ctx, w);
}

} // namespace tavlo::desktop
