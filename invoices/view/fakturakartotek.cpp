// The invoice register "Fakturakartotek", bound to its rules.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QVBoxLayout>

#include <map>

#include "data/context.h"
#include "data/slots.h"
#include "data/view/registerwindow.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "invoices/ehf.h"
#include "invoices/fakturakartotek.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

namespace {

QIcon flagIcon()
{
    QPixmap pm(14, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawLine(QPointF(3, 1), QPointF(3, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(210, 0, 0));
    p.drawPolygon(QPolygonF({QPointF(3.5, 1.5), QPointF(12.5, 4.5), QPointF(3.5, 7.5)}));
    return QIcon(pm);
}

// The mark, printer and flag icons of the first three columns, and the row in its status's colour.
class FakturaDelegate : public QStyledItemDelegate {
  public:
    FakturaDelegate(Context& ctx, QObject* parent) : QStyledItemDelegate(parent), ctx_(ctx) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int state = index.data(PagedTableModel::MarkRole).toInt();
        const QStyle* style = option->widget ? option->widget->style() : QApplication::style();
        QIcon icon;
        switch (index.column()) {
        case 0: {
            static const QIcon on = RegisterWindow::markIcon(true),
                               off = RegisterWindow::markIcon(false);
            icon = state & FakturaKartotek::MarkTagged ? on : off;
            break;
        }
        case 1:
            if (state & FakturaKartotek::MarkPrint)
                icon = style->standardIcon(QStyle::SP_FileDialogDetailedView);
            break;
        case 2:
            if (state & FakturaKartotek::MarkOverdue) {
                static const QIcon flag = flagIcon();
                icon = flag;
            }
            break;
        default: break;
        }
        if (!icon.isNull()) {
            option->icon = icon;
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationSize = QSize(14, 14);
        }
        // The colour of the row's status (KOD:LONG2, 0xBBGGRR).
        const int32_t colour = colourOf(FakturaKartotek::statusOfMark(state));
        if (colour >= 0)
            option->palette.setColor(
                QPalette::Text, QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    }

  private:
    // The codes are few: each status's colour is looked up once.
    int32_t colourOf(int32_t status) const
    {
        auto it = colours_.find(status);
        if (it == colours_.end())
            it = colours_.emplace(status, FakturaKartotek::statusFarge(ctx_, status)).first;
        return it->second;
    }

    Context& ctx_;
    mutable std::map<int32_t, int32_t> colours_;
};

class FakturakartotekWindow : public RegisterWindow {
  public:
    FakturakartotekWindow(Context& ctx, std::unique_ptr<FakturaKartotek> rules)
        : RegisterWindow(ctx,
                         {QStringLiteral("Fakturakartotek"), "FAKTURAKARTOTEK",
                          QStringLiteral("Fakturaer"), "fakturaer", QStringLiteral("&Faktura")},
                         rules->releaseBrowse(), rules->filter(), {}),
          rules_(std::move(rules))
    {
        list()->browse().updateProcedure = [](Context& c, BrowseClass::FormDone done) {
            FAKTURAFORM(c, 0, std::move(done));
        };
        list()->browse().printProcedure = [this] { skrivUt(); };
        list()->table()->setItemDelegate(new FakturaDelegate(ctx, list()->table()));
        list()->table()->setIconSize(QSize(14, 14));

        auto* arkiv = new QLabel(QString::fromStdString(FakturaKartotek::arkivStreng()), this);
        arkiv->setObjectName(QStringLiteral("arkiv"));
        arkiv->setStyleSheet(QStringLiteral("color: #a00000; font-weight: bold"));
        arkiv->setVisible(!arkiv->text().isEmpty());
        kunde_ = new QLineEdit(this);
        kunde_->setObjectName(QStringLiteral("kundenavn"));
        kunde_->setMaxLength(50);
        connect(kunde_, &QLineEdit::editingFinished, this, [this] {
            const std::string text = kunde_->text().toStdString();
            if (text == rules_->kundenavn())
                return;
            rules_->setKundenavn(text);
            shown();
        });
        kundeLabel_ = new QLabel(QStringLiteral("Søk i &kundenavn:"), this);
        kundeLabel_->setBuddy(kunde_);
        auto* row = new QHBoxLayout;
        row->addWidget(arkiv);
        row->addWidget(kundeLabel_);
        row->addWidget(kunde_, 1);
        rows()->addLayout(row);
        connect(list()->tabBar(), &QTabBar::currentChanged, this, [this] { followTab(); });

        requestButton("Ny faktura", "ny", InsertRecord);
        requestButton("Endre/vise faktura", "endre", ChangeRecord);
        requestButton("Slett faktura", "slett", DeleteRecord);
        item("&Ny Faktura\tInsert", [this] { list()->browse().activate(InsertRecord); });
        item("&Endre/vise Faktura\tCtrl+Enter",
             [this] { list()->browse().activate(ChangeRecord); });
        item("&Slette Faktura\tDelete", [this] { list()->browse().activate(DeleteRecord); });
        markCommands(
            {"MERKALLEBUTTON", "MERKINGENBUTTON", "&Merk alle", "&Fjern alle",
             [this] { rules_->toggleTag(context().rec(Tbl::FAKTURA).get(FAK::FAKTURAID)); },
             [this] { rules_->merkAlle(); }, [this] { rules_->fjernAvmerkinger(); }});
        filterCommands();
        connect(button("Skriv ut faktura", "SKRIVUTFAKTURABUTTON"), &QPushButton::clicked, this,
                [this] { skrivUt(); });
        separator();
        item("Kopier &faktura...", [this] { kopier(false); });
        item("Lag &kreditnota...", [this] { kopier(true); });
        item("Faktura&vedlikehold...", [this] { FAKTURAVEDLIKEHOLD(context(), afterRun()); });
        separator();
        item("Skriv ut &faktura", [this] { skrivUt(); });
        item("Skriv ut faktura &med girodel", [this] { giro({{true, true}}); });
        item("Skriv ut faktura &uten girodel", [this] { giro({{false, true}}); });
        item("Skriv ut faktura med girodel samt detaljert beskrivelse som &vedlegg", [this] {
            giro({{true, false}, {false, true}});
        });
        separator();
        item("Oppdater faktura&status", [this] { OPPDATERFAKTURASTATUS(context(), afterRun()); });
        item("Oppdater &betaltdato", [this] { OPPDATERBETALTDATO(context(), afterRun()); });
        separator();
        item("Send som &EHF...", [this] { sendEhf(); });
        finish("Velg faktura", 1000, 560);
    }

    void start(const std::string& caller)
    {
        rules_->open(caller);
        list()->tabBar()->setCurrentIndex(FakturaKartotek::TabFakturadato);
        list()->table()->showCurrent();
        followTab();
        shown();
    }

  private:
    // The highlighted invoice's number; 0 when the list is empty.
    int32_t highlighted()
    {
        PagedTableModel& m = list()->browse().model();
        if (m.currentRow() < 0 || m.loadRecord(m.currentRow()) != LEVEL_BENIGN)
            return 0;
        return context().rec(Tbl::FAKTURA).get(FAK::FAKTURAID);
    }
    void refresh() { list()->browse().model().refresh(); }
    // The list is read anew when a window started from it has closed.
    std::function<void()> afterRun()
    {
        QPointer<FakturakartotekWindow> alive(this);
        return [alive] {
            if (alive)
                alive->refresh();
        };
    }
    void kopier(bool kreditnota)
    {
        const int32_t id = highlighted();
        if (id == 0)
            return;
        KOPIERFAKTURA(context(), id, kreditnota, [done = afterRun()](int32_t) { done(); });
    }
    void skrivUt()
    {
        VELGFAKTURARAPPORT(context(), highlighted());
        refresh();
    }
    void giro(std::vector<UtskriftValg> valg)
    {
        GIRO(context(), highlighted(), std::move(valg));
        refresh();
    }
    void sendEhf()
    {
        QProgressDialog fremdrift(QStringLiteral("Skriver EHF-filer ..."), QStringLiteral("Avbryt"),
                                  0, 100, this);
        fremdrift.setWindowTitle(QStringLiteral("Send som EHF"));
        fremdrift.setCancelButton(nullptr); // each file is whole; a run is short
        fremdrift.setMinimumDuration(500);
        sendSomEhfFraKartotek(context(), highlighted(), ehfMappe_, [&](long n, long av) {
            fremdrift.setMaximum(static_cast<int>(av));
            fremdrift.setValue(static_cast<int>(n));
        });
    }
    void followTab()
    {
        const bool kunde = list()->browse().tab() == FakturaKartotek::TabKunde;
        kunde_->setVisible(kunde);
        kundeLabel_->setVisible(kunde);
        list()->updateButtons();
    }

    std::unique_ptr<FakturaKartotek> rules_;
    QLineEdit* kunde_;
    QLabel* kundeLabel_;
    // The folder the last EHF files went to, offered again.
    std::string ehfMappe_ = QDir::homePath().toStdString();
};

} // namespace

void FAKTURAKARTOTEK(Context& ctx, std::string caller)
{
    auto* w = new FakturakartotekWindow(ctx, std::make_unique<FakturaKartotek>(ctx));
    contextwindows::show(ctx, w);
    w->start(caller);
}

} // namespace tavlo::desktop
