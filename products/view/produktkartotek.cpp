// The product register "Produktkartotek", bound to its rules.
#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "data/context.h"
#include "data/lookups.h"
#include "data/view/data_view.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/lookupkeys.h"
#include "products/produktkartotek.h"
#include "products/view/products_view.h"

namespace tavlo::desktop {

namespace {

constexpr const char* kWindowName = "PRODUKTKARTOTEK";

class ProduktkartotekWindow : public QWidget {
  public:
    ProduktkartotekWindow(Context& ctx, std::function<void(int)> selected)
        : ctx_(ctx), rules_(std::make_unique<ProduktKartotek>(ctx)), selected_(std::move(selected))
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Produktkartotek"));
        setObjectName(QString::fromLatin1(kWindowName));

        BrowseClass& b = rules_->browse();
        b.updateProcedure = [](Context& c, BrowseClass::FormDone done) {
            openProduktForm(c, std::move(done));
        };
        b.selectMode = static_cast<bool>(selected_);
        b.closeRegister = [this](int response) {
            finish(response);
            close();
        };
        list_ = new BrowseWidget(rules_->releaseBrowse(), this);
        list_->setObjectName(QStringLiteral("produkter"));

        auto* caption = new QLabel(QStringLiteral("Produkter"), this);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        description_ = new QLineEdit(this);
        description_->setObjectName(QStringLiteral("beskrivelse"));
        description_->setReadOnly(true);
        installLookup(description_, [this] {
            if (rules_->filter().hentFilter())
                shown();
        });
        auto* top = new QHBoxLayout;
        top->addWidget(caption);
        top->addWidget(description_, 1);

        // The group range of the "Produktgruppe" tab.
        gruppe_ = new QLineEdit(this);
        gruppe_->setObjectName(QStringLiteral("produktgruppe"));
        gruppe_->setAlignment(Qt::AlignRight);
        gruppe_->setMaximumWidth(gruppe_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 6);
        connect(gruppe_, &QLineEdit::returnPressed, this,
                [this] { setGroup(gruppe_->text().trimmed().toInt()); });
        installLookup(gruppe_,
                      [this] { setGroup(HENTKODA(ctx_, 102, rules_->produktgruppe())); });
        gruppeLabel_ = new QLabel(QStringLiteral("&Produktgruppe:"), this);
        gruppeLabel_->setBuddy(gruppe_);
        gruppeTekst_ = new QLabel(this);
        gruppeTekst_->setObjectName(QStringLiteral("produktgruppetekst"));
        auto* range = new QHBoxLayout;
        range->addWidget(gruppeLabel_);
        range->addWidget(gruppe_);
        range->addWidget(gruppeTekst_, 1);
        connect(list_->tabBar(), &QTabBar::currentChanged, this, [this] { followTab(); });

        auto* buttons = new QHBoxLayout;
        auto button = [this, buttons](const char* text, const char* name) {
            auto* btn = new QPushButton(QString::fromUtf8(text), this);
            btn->setObjectName(QString::fromLatin1(name));
            buttons->addWidget(btn);
            return btn;
        };
        list_->connectButton(button("Nytt produkt", "nytt"), InsertRecord);
        list_->connectButton(button("Endre/vise produkt", "endre"), ChangeRecord);
        list_->connectButton(button("Slett produkt", "slett"), DeleteRecord);
        connect(button("Avgrensning", "avgrensning"), &QPushButton::clicked, this,
                [this] { avgrensning(); });
        connect(button("Fjern avgrensning", "fjernAvgrensning"), &QPushButton::clicked, this,
                [this] { fjernAvgrensning(); });
        buttons->addStretch(1);
        QPushButton* velg = button("Velg produkt", "velg");
        velg->setVisible(b.selectMode);
        list_->connectButton(velg, SelectRecord);
        connect(button("Avslutt", "avslutt"), &QPushButton::clicked, this, &QWidget::close);

        auto* menuBar = new QMenuBar(this);
        QMenu* menu = menuBar->addMenu(QStringLiteral("&Produkt"));
        auto item = [this, menu](const char* text, std::function<void()> run) {
            QAction* a = menu->addAction(QString::fromUtf8(text));
            connect(a, &QAction::triggered, this, std::move(run));
            return a;
        };
        item("&Nytt Produkt\tInsert", [this] { list_->browse().activate(InsertRecord); });
        item("&Endre/vise Produkt\tCtrl+Enter",
             [this] { list_->browse().activate(ChangeRecord); });
        item("&Slette produkt\tDelete", [this] { list_->browse().activate(DeleteRecord); });
        menu->addSeparator();
        item("&Avgrensning", [this] { avgrensning(); });
        item("Fjern a&vgrensning", [this] { fjernAvgrensning(); });
        menu->addSeparator();
        item("&Lagre vindusposisjon", [this] { saveWindowPosition(ctx_, this, kWindowName); });

        auto* layout = new QVBoxLayout(this);
        layout->setMenuBar(menuBar);
        layout->addLayout(top);
        layout->addLayout(range);
        layout->addWidget(list_, 1);
        layout->addLayout(buttons);
        resize(860, 480);
        restoreWindowPosition(ctx_, this, kWindowName);
    }

    ~ProduktkartotekWindow() override { finish(RequestCancelled); }

    void start()
    {
        rules_->open();
        list_->tabBar()->setCurrentIndex(ProduktKartotek::TabNavn);
        list_->table()->showCurrent();
        gruppeTekst_->setText(QString::fromStdString(rules_->produktgruppeTekst()));
        followTab();
        shown();
    }

  private:
    // The caller of a select hears once how the register ended.
    void finish(int response)
    {
        if (auto f = std::exchange(selected_, nullptr))
            f(response);
    }

    void followTab()
    {
        const bool range = list_->browse().tab() == ProduktKartotek::TabProduktgruppe;
        for (QWidget* w : {static_cast<QWidget*>(gruppe_), static_cast<QWidget*>(gruppeLabel_),
                           static_cast<QWidget*>(gruppeTekst_)})
            w->setVisible(range);
        list_->updateButtons();
    }

    void setGroup(int32_t group)
    {
        rules_->setProduktgruppe(group);
        gruppe_->setText(group ? QString::number(group) : QString());
        gruppeTekst_->setText(QString::fromStdString(rules_->produktgruppeTekst()));
        list_->updateButtons();
    }

    void avgrensning()
    {
        if (rules_->filter().avgrensning())
            shown();
    }

    void fjernAvgrensning()
    {
        rules_->filter().fjern();
        shown();
    }

    void shown()
    {
        description_->setText(QString::fromStdString(rules_->filter().description()));
        description_->setCursorPosition(0);
        list_->updateButtons();
    }

    Context& ctx_;
    std::unique_ptr<ProduktKartotek> rules_;
    std::function<void(int)> selected_;
    BrowseWidget* list_;
    QLineEdit* description_;
    QLineEdit* gruppe_;
    QLabel* gruppeLabel_;
    QLabel* gruppeTekst_;
};

} // namespace

void PRODUKTKARTOTEK(Context& ctx, std::function<void(int response)> selected)
{
    auto* w = new ProduktkartotekWindow(ctx, std::move(selected));
    contextwindows::show(ctx, w);
    w->start();
}

} // namespace tavlo::desktop
