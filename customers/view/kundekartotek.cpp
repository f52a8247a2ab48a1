// The customer register "Kundekartotek", bound to its rules.
#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "customers/kundekartotek.h"
#include "customers/view/customers_view.h"
#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "data/slots.h"
#include "data/view/registerwindow.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/lookupkeys.h"
#include "framework/widgets/slotcommand.h"

namespace tavlo::desktop {

namespace {

class KundekartotekWindow : public RegisterWindow {
  public:
    KundekartotekWindow(Context& ctx, std::unique_ptr<KundeKartotek> rules,
                        std::function<void(int)> selected)
        : RegisterWindow(ctx,
                         {QStringLiteral("Kundekartotek"), "KUNDEKARTOTEK",
                          QStringLiteral("Kunder"), "kunder", QStringLiteral("&Kunde")},
                         rules->releaseBrowse(), rules->filter(), std::move(selected)),
          rules_(std::move(rules))
    {
        list()->browse().updateProcedure = [](Context& c, BrowseClass::FormDone done) {
            openKundeForm(c, std::move(done));
        };
        markColumn();
        list()->table()->setIconSize(QSize(14, 14));

        // The name search on the "Navn" tab, the group range on "Kundegruppe".
        navn_ = new QLineEdit(this);
        navn_->setObjectName(QStringLiteral("navn"));
        navn_->setMaxLength(50);
        // Enter or leaving the field accepts the search.
        connect(navn_, &QLineEdit::editingFinished, this, [this] {
            const std::string text = navn_->text().toStdString();
            if (text == rules_->navn())
                return;
            rules_->setNavn(text);
            shown();
        });
        navnLabel_ = new QLabel(QStringLiteral("Søk i &navn:"), this);
        navnLabel_->setBuddy(navn_);
        gruppe_ = codeRange(
            "&Kundegruppe:", "kundegruppe", 103, [this] { return rules_->kundegruppe(); },
            [this](int32_t g) { rules_->setKundegruppe(g); },
            [this] { return rules_->kundegruppeTekst(); });
        auto* search = new QHBoxLayout;
        search->addWidget(navnLabel_);
        search->addWidget(navn_, 1);
        search->addWidget(gruppe_.label);
        search->addWidget(gruppe_.entry);
        search->addWidget(gruppe_.text, 1);
        rows()->addLayout(search);
        connect(list()->tabBar(), &QTabBar::currentChanged, this, [this] { followTab(); });

        requestButton("Ny kunde", "ny", InsertRecord);
        requestButton("Endre/vise kunde", "endre", ChangeRecord);
        requestButton("Slett kunde", "slett", DeleteRecord);
        item("&Ny kunde\tInsert", [this] { list()->browse().activate(InsertRecord); });
        item("&Endre/vise kunde\tCtrl+Enter", [this] { list()->browse().activate(ChangeRecord); });
        item("&Slette kunde\tDelete", [this] { list()->browse().activate(DeleteRecord); });
        markCommands({"merkAlle", "fjernAvmerkinger", "&Merk alle poster", "&Fjern avmerkinger",
                      [this] { rules_->toggleTag(context().rec(Tbl::KUNDE).get(KUN::KUNDEID)); },
                      [this] { rules_->merkAlle(); }, [this] { rules_->fjernAvmerkinger(); }});
        filterCommands();
        startsProcedure(button("Generer fakturaer", "generer"), procedures::GENERERNYEFAKTURAER,
                        [this] { genererFakturaer(); });
        separator();
        namesProcedure(item("&Generer fakturaer", [this] { genererFakturaer(); }),
                       procedures::GENERERNYEFAKTURAER);
        finish("Velg kunde", 900, 520);
    }

    void start()
    {
        rules_->open();
        list()->tabBar()->setCurrentIndex(KundeKartotek::TabNavn);
        list()->table()->showCurrent();
        followTab();
        shown();
    }

  private:
    // One invoice for each marked customer, from the customer's billing bases.
    void genererFakturaer() { procedures::GENERERNYEFAKTURAER(context(), 1, {}); }

    void followTab()
    {
        const int tab = list()->browse().tab();
        navn_->setVisible(tab == KundeKartotek::TabNavn);
        navnLabel_->setVisible(tab == KundeKartotek::TabNavn);
        gruppe_.show(tab == KundeKartotek::TabKundegruppe);
        list()->updateButtons();
    }

    std::unique_ptr<KundeKartotek> rules_;
    QLineEdit* navn_;
    QLabel* navnLabel_;
    CodeRange gruppe_{};
};

} // namespace

void KUNDEKARTOTEK(Context& ctx, std::function<void(int response)> selected)
{
    auto* w =
        new KundekartotekWindow(ctx, std::make_unique<KundeKartotek>(ctx), std::move(selected));
    contextwindows::show(ctx, w);
    w->start();
}

} // namespace tavlo::desktop
