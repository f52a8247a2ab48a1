// The project register "Prosjektkartotek", bound to its rules.
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QVBoxLayout>

#include "data/context.h"
#include "data/lookups.h"
#include "data/view/registerwindow.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "projects/prosjektkartotek.h"
#include "projects/view/projects_view.h"

namespace tavlo::desktop {

namespace {

class ProsjektkartotekWindow : public RegisterWindow {
  public:
    ProsjektkartotekWindow(Context& ctx, std::unique_ptr<ProsjektKartotek> rules,
                           std::function<void(int)> selected)
        : RegisterWindow(ctx,
                         {QStringLiteral("Prosjektkartotek"), "PROSJEKTKARTOTEK",
                          QStringLiteral("Prosjekter"), "prosjekter", QStringLiteral("&Prosjekt")},
                         rules->releaseBrowse(), rules->filter(), std::move(selected)),
          rules_(std::move(rules))
    {
        list()->browse().updateProcedure = [](Context& c, BrowseClass::FormDone done) {
            openProsjektForm(c, std::move(done));
        };
        using K = ProsjektKartotek;
        auto* row = new QHBoxLayout;
        auto add = [this, row](K::Range which, CodeRange r) {
            ranges_[which] = r;
            row->addWidget(r.label);
            row->addWidget(r.entry);
            row->addWidget(r.text, 1);
        };
        auto get = [this](K::Range which) {
            return [this, which] { return rules_->range(which); };
        };
        auto set = [this](K::Range which) {
            return [this, which](int32_t v) { rules_->setRange(which, v); };
        };
        auto text = [this](K::Range which) {
            return [this, which] { return rules_->rangeTekst(which); };
        };
        add(K::RangeType, codeRange("&Type:", "type", 109, get(K::RangeType), set(K::RangeType),
                                    text(K::RangeType)));
        add(K::RangeStatus, codeRange("&Status:", "status", 110, get(K::RangeStatus),
                                      set(K::RangeStatus), text(K::RangeStatus)));
        add(K::RangeKunde, range(
                               "&Kunde:", "kunde",
                               [this](int32_t current) { return HENTKUNA(context(), current); },
                               get(K::RangeKunde), set(K::RangeKunde), text(K::RangeKunde)));
        rows()->addLayout(row);
        connect(list()->tabBar(), &QTabBar::currentChanged, this, [this] { followTab(); });

        requestButton("Nytt prosjekt", "nytt", InsertRecord);
        requestButton("Endre/vise prosjekt", "endre", ChangeRecord);
        requestButton("Slett prosjekt", "slett", DeleteRecord);
        item("&Nytt Prosjekt\tInsert", [this] { list()->browse().activate(InsertRecord); });
        item("&Endre/vise Prosjekt\tCtrl+Enter",
             [this] { list()->browse().activate(ChangeRecord); });
        item("&Slette Prosjekt\tDelete", [this] { list()->browse().activate(DeleteRecord); });
        filterCommands();
        finish("Velg prosjekt", 900, 480);
    }

    void start()
    {
        rules_->open();
        list()->tabBar()->setCurrentIndex(ProsjektKartotek::TabNavn);
        list()->table()->showCurrent();
        followTab();
        shown();
    }

  private:
    void followTab()
    {
        const int tab = list()->browse().tab();
        for (auto which : {ProsjektKartotek::RangeType, ProsjektKartotek::RangeStatus,
                           ProsjektKartotek::RangeKunde})
            ranges_[which].show(tab == ProsjektKartotek::tabOf(which));
        list()->updateButtons();
    }

    std::unique_ptr<ProsjektKartotek> rules_;
    CodeRange ranges_[3]{};
};

} // namespace

void PROSJEKTKARTOTEK(Context& ctx, std::function<void(int response)> selected)
{
    auto* w = new ProsjektkartotekWindow(ctx, std::make_unique<ProsjektKartotek>(ctx),
                                         std::move(selected));
    contextwindows::show(ctx, w);
    w->start();
}

} // namespace tavlo::desktop
