// The billing-basis register "Grunnlagkartotek", bound to its rules.
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>

#include "billing/grunnlagkartotek.h"
#include "billing/view/billing_view.h"
#include "data/context.h"
#include "data/lookups.h"
#include "data/view/registerwindow.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"

namespace tavlo::desktop {

namespace {

class GrunnlagkartotekWindow : public RegisterWindow {
  public:
    GrunnlagkartotekWindow(Context& ctx, std::unique_ptr<GrunnlagKartotek> rules, Chosen chosen)
        : RegisterWindow(ctx,
                         {QStringLiteral("Grunnlagkartotek"), "GRUNNLAGKARTOTEK",
                          QStringLiteral("Grunnlag"), "grunnlag", QStringLiteral("&Grunnlag")},
                         rules->releaseBrowse(), rules->filter(), std::move(chosen)),
          rules_(std::move(rules))
    {
        list()->browse().updateProcedure = [](Context& c, BrowseClass::FormDone done) {
            GRUNNLAGFORM(c, 0, std::move(done));
        };
        markColumn();
        auto* row = new QHBoxLayout;
        kunde_ = range(
            "&Kunde:", "kunde", [this](int32_t current) { return HENTKUNA(context(), current); },
            [this] { return rules_->kunde(); }, [this](int32_t v) { rules_->setKunde(v); },
            [this] { return rules_->kundeTekst(); });
        type_ = codeRange(
            "&Type:", "type", 111, [this] { return rules_->type(); },
            [this](int32_t v) { rules_->setType(v); }, [this] { return rules_->typeTekst(); });
        for (const CodeRange& r : {kunde_, type_}) {
            row->addWidget(r.label);
            row->addWidget(r.entry);
            row->addWidget(r.text, 1);
        }
        rows()->addLayout(row);
        connect(list()->tabBar(), &QTabBar::currentChanged, this, [this] { followTab(); });

        requestButton("Nytt grunnlag", "nytt", InsertRecord);
        requestButton("Endre/vise grunnlag", "endre", ChangeRecord);
        requestButton("Slett grunnlag", "slett", DeleteRecord);
        item("&Nytt Grunnlag\tInsert", [this] { list()->browse().activate(InsertRecord); });
        item("&Endre/vise Grunnlag\tCtrl+Enter",
             [this] { list()->browse().activate(ChangeRecord); });
        item("&Slette Grunnlag\tDelete", [this] { list()->browse().activate(DeleteRecord); });
        markCommands(
            {"MERKALLEBUTTON", "MERKINGENBUTTON", "&Merk alle", "&Fjern alle",
             [this] { rules_->toggleTag(context().rec(Tbl::GRUNNLAG).get(GRU::GRUNNLAGID)); },
             [this] { rules_->merkAlle(); }, [this] { rules_->fjernAvmerkinger(); }});
        filterCommands();
        connect(button("Generer fakturaer", "GENERERBUTTON"), &QPushButton::clicked, this, [this] {
            QPointer<GrunnlagkartotekWindow> alive(this);
            GENERERNYEFAKTURAER(context(), 2, [alive] {
                if (alive)
                    alive->list()->browse().model().refresh();
            });
        });
        finish("Velg grunnlag", 900, 500);
    }

    void start()
    {
        rules_->open();
        list()->tabBar()->setCurrentIndex(GrunnlagKartotek::TabRefnr);
        list()->table()->showCurrent();
        followTab();
        shown();
    }

  private:
    void followTab()
    {
        const int tab = list()->browse().tab();
        kunde_.show(tab == GrunnlagKartotek::TabKunde);
        type_.show(tab == GrunnlagKartotek::TabType);
        list()->updateButtons();
    }

    std::unique_ptr<GrunnlagKartotek> rules_;
    CodeRange kunde_{}, type_{};
};

} // namespace

void GRUNNLAGKARTOTEK(Context& ctx, Chosen chosen)
{
    auto* w =
        new GrunnlagkartotekWindow(ctx, std::make_unique<GrunnlagKartotek>(ctx), std::move(chosen));
    contextwindows::show(ctx, w);
    w->start();
}

} // namespace tavlo::desktop
