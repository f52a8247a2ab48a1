// The product register "Produktkartotek", bound to its rules.
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QVBoxLayout>

#include "data/context.h"
#include "data/view/registerwindow.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "products/produktkartotek.h"
#include "products/view/products_view.h"

namespace tavlo::desktop {

namespace {

class ProduktkartotekWindow : public RegisterWindow {
  public:
    ProduktkartotekWindow(Context& ctx, std::unique_ptr<ProduktKartotek> rules,
                          std::function<void(int)> selected)
        : RegisterWindow(ctx,
                         {QStringLiteral("Produktkartotek"), "PRODUKTKARTOTEK",
                          QStringLiteral("Produkter"), "produkter", QStringLiteral("&Produkt")},
                         rules->releaseBrowse(), rules->filter(), std::move(selected)),
          rules_(std::move(rules))
    {
        list()->browse().updateProcedure = [](Context& c, BrowseClass::FormDone done) {
            openProduktForm(c, std::move(done));
        };
        // The group range of the "Produktgruppe" tab.
        gruppe_ = codeRange(
            "&Produktgruppe:", "produktgruppe", 102, [this] { return rules_->produktgruppe(); },
            [this](int32_t g) { rules_->setProduktgruppe(g); },
            [this] { return rules_->produktgruppeTekst(); });
        auto* range = new QHBoxLayout;
        range->addWidget(gruppe_.label);
        range->addWidget(gruppe_.entry);
        range->addWidget(gruppe_.text, 1);
        rows()->addLayout(range);
        connect(list()->tabBar(), &QTabBar::currentChanged, this, [this] { followTab(); });

        requestButton("Nytt produkt", "nytt", InsertRecord);
        requestButton("Endre/vise produkt", "endre", ChangeRecord);
        requestButton("Slett produkt", "slett", DeleteRecord);
        item("&Nytt Produkt\tInsert", [this] { list()->browse().activate(InsertRecord); });
        item("&Endre/vise Produkt\tCtrl+Enter",
             [this] { list()->browse().activate(ChangeRecord); });
        item("&Slette produkt\tDelete", [this] { list()->browse().activate(DeleteRecord); });
        filterCommands();
        finish("Velg produkt", 860, 480);
    }

    void start()
    {
        rules_->open();
        list()->tabBar()->setCurrentIndex(ProduktKartotek::TabNavn);
        list()->table()->showCurrent();
        followTab();
        shown();
    }

  private:
    void followTab()
    {
        gruppe_.show(list()->browse().tab() == ProduktKartotek::TabProduktgruppe);
        list()->updateButtons();
    }

    std::unique_ptr<ProduktKartotek> rules_;
    CodeRange gruppe_{};
};

} // namespace

void PRODUKTKARTOTEK(Context& ctx, std::function<void(int response)> selected)
{
    auto* w =
        new ProduktkartotekWindow(ctx, std::make_unique<ProduktKartotek>(ctx), std::move(selected));
    contextwindows::show(ctx, w);
    w->start();
}

} // namespace tavlo::desktop
