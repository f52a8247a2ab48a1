// "Fakturastatistikk": the year's turnover as a bar chart and per product, bound to its rules.
#include "invoices/view/fakturastatistikk.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/context.h"
#include "data/view/data_view.h"
#include "framework/date.h"
#include "framework/picture.h"
#include "framework/text.h"
#include "framework/widgets/contextwindows.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

namespace {

constexpr const char* kNavn = "FAKTURASTATISTIKK";
constexpr const char* kBelop = "@n-14.`2";

QString tall(const Decimal& d)
{
    return QString::fromStdString(std::string(text::trim(picture::format(kBelop, d))));
}

QLabel* merknad(QWidget* parent, const char* tekst)
{
    auto* l = new QLabel(QString::fromUtf8(tekst), parent);
    l->setObjectName(QStringLiteral("merknad"));
    l->setStyleSheet(QStringLiteral("font-weight: bold"));
    return l;
}

// A list of the products with one column a month between the name and the sum.
QTableWidget* produktliste(QWidget* parent, const char* navn, const char* sum)
{
    QStringList titler{QStringLiteral("Id"), QStringLiteral("Produktnavn")};
    for (int m = 0; m < kMaaneder; ++m)
        titler << QString::fromLatin1(maanedNavn(m));
    titler << QString::fromUtf8(sum);
    auto* t = new QTableWidget(0, static_cast<int>(titler.size()), parent);
    t->setObjectName(QString::fromLatin1(navn));
    t->setHorizontalHeaderLabels(titler);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->verticalHeader()->setVisible(false);
    return t;
}

void fyll(QTableWidget* t, const std::vector<ProduktRad>& rader, bool antall)
{
    t->setRowCount(static_cast<int>(rader.size()));
    auto celle = [t](int rad, int kolonne, const QString& tekst, bool tall) {
        auto* item = new QTableWidgetItem(tekst);
        if (tall)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        t->setItem(rad, kolonne, item);
    };
    for (int r = 0; r < static_cast<int>(rader.size()); ++r) {
        const ProduktRad& p = rader[r];
        celle(r, 0, QString::number(p.produktId), true);
        celle(r, 1, QString::fromStdString(p.navn), false);
        const auto& verdier = antall ? p.antall : p.belop;
        for (int m = 0; m < kMaaneder; ++m)
            celle(r, 2 + m, tall(verdier[m]), true);
        celle(r, 2 + kMaaneder, tall(antall ? p.antallTotalt : p.belopTotalt), true);
    }
    t->resizeColumnsToContents();
}

} // namespace

Diagramflate::Diagramflate(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("stolpediagram"));
    setMinimumHeight(60);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void Diagramflate::vis(const std::array<Decimal, kMaaneder>& maanedTotal)
{
    total_ = maanedTotal;
    beregn();
    update();
}

int Diagramflate::tekstlinje() const
{
    return fontMetrics().height() + 2;
}

void Diagramflate::beregn()
{
    // Under the chart: the amounts, then the month names.
    diagram_ = stolpediagram(total_, width(), std::max(0, height() - 2 * tekstlinje()));
}

void Diagramflate::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    beregn();
    update();
}

void Diagramflate::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const int bunn = std::max(0, height() - 2 * tekstlinje());
    p.setPen(palette().color(QPalette::Text));
    p.drawLine(0, diagram_.grunnlinje, width(), diagram_.grunnlinje);
    const int spor = diagram_.stolpebredde + 3;
    // The amounts get the room of their bar and its gap; a font small enough for the widest.
    QFont liten = font();
    int bredest = 0;
    for (const Decimal& t : total_)
        bredest = std::max(bredest,
                           fontMetrics().horizontalAdvance(QString::fromStdString(maanedBelop(t))));
    if (bredest > spor && spor > 0) {
        if (liten.pointSizeF() > 0)
            liten.setPointSizeF(std::max(5.0, liten.pointSizeF() * spor / bredest));
        else
            liten.setPixelSize(std::max(7, liten.pixelSize() * spor / bredest));
    }
    for (int m = 0; m < kMaaneder; ++m) {
        const Stolpe& s = diagram_.stolper[m];
        if (s.hoyde > 0)
            p.fillRect(s.x, s.y, s.bredde, s.hoyde,
                       s.negativ ? QColor(190, 40, 40) : QColor(40, 90, 170));
        const int midt = 8 + 3 + m * spor + diagram_.stolpebredde / 2;
        const QRect belop(midt - spor, bunn, 2 * spor, tekstlinje());
        const QRect navn(midt - spor, bunn + tekstlinje(), 2 * spor, tekstlinje());
        p.setFont(liten);
        p.drawText(belop, Qt::AlignHCenter | Qt::AlignVCenter,
                   QString::fromStdString(maanedBelop(total_[m])));
        p.setFont(font());
        p.drawText(navn, Qt::AlignHCenter | Qt::AlignVCenter, QString::fromLatin1(maanedNavn(m)));
    }
}

StatistikkVindu::StatistikkVindu(Context& ctx) : ctx_(ctx), regler_(ctx)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QString::fromLatin1(kNavn));
    setWindowTitle(QStringLiteral("Fakturastatistikk"));
    setMinimumSize(300, 200);

    auto* menyer = new QMenuBar(this);
    QMenu* meny = menyer->addMenu(QStringLiteral("Faktura&statistikk"));
    connect(meny->addAction(QStringLiteral("Vis data for &forrige år")), &QAction::triggered, this,
            [this] { steg(-1); });
    connect(meny->addAction(QStringLiteral("Vis data for &neste år")), &QAction::triggered, this,
            [this] { steg(1); });
    meny->addSeparator();
    connect(meny->addAction(QStringLiteral("&Lagre vindusposisjon")), &QAction::triggered, this,
            [this] { saveWindowPosition(ctx_, this, kNavn); });

    auto* forrige = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack), QString(), this);
    forrige->setObjectName(QStringLiteral("forrige"));
    forrige->setToolTip(QStringLiteral("Vis data for forrige år"));
    aar_ = new QLineEdit(this);
    aar_->setObjectName(QStringLiteral("aar"));
    aar_->setMaxLength(4);
    aar_->setAlignment(Qt::AlignCenter);
    aar_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
    auto* neste = new QPushButton(style()->standardIcon(QStyle::SP_ArrowForward), QString(), this);
    neste->setObjectName(QStringLiteral("neste"));
    neste->setToolTip(QStringLiteral("Vis data for neste år"));
    connect(forrige, &QPushButton::clicked, this, [this] { steg(-1); });
    connect(neste, &QPushButton::clicked, this, [this] { steg(1); });
    connect(aar_, &QLineEdit::editingFinished, this, [this] { godtaAar(); });
    auto* topp = new QHBoxLayout;
    topp->addStretch(1);
    topp->addWidget(forrige);
    topp->addWidget(aar_);
    topp->addWidget(neste);
    topp->addStretch(1);

    faner_ = new QTabWidget(this);
    faner_->setObjectName(QStringLiteral("faner"));
    auto* total = new QWidget(faner_);
    diagram_ = new Diagramflate(total);
    totalt_ = new QLabel(total);
    totalt_->setObjectName(QStringLiteral("totalt"));
    auto* totalLayout = new QVBoxLayout(total);
    totalLayout->addWidget(diagram_, 1);
    auto* bunn = new QHBoxLayout;
    bunn->addWidget(merknad(total, "NB! Omsetning inklusiv MVA."));
    bunn->addStretch(1);
    bunn->addWidget(new QLabel(QStringLiteral("Totalt:"), total));
    bunn->addWidget(totalt_);
    totalLayout->addLayout(bunn);
    faner_->addTab(total, QStringLiteral("Total Omsetning"));

    antall_ = produktliste(faner_, "antall", "Sum");
    faner_->addTab(antall_, QStringLiteral("Produktfordelt omsetning - Antall"));
    auto* belopFane = new QWidget(faner_);
    belop_ = produktliste(belopFane, "belop", "Totalt");
    auto* belopLayout = new QVBoxLayout(belopFane);
    belopLayout->addWidget(belop_, 1);
    belopLayout->addWidget(merknad(belopFane, "NB! Omsetning eksklusiv MVA."));
    faner_->addTab(belopFane, QString::fromUtf8("Produktfordelt omsetning - beløp"));

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menyer);
    layout->addLayout(topp);
    layout->addWidget(faner_, 1);
    resize(760, 460);
    restoreWindowPosition(ctx_, this, kNavn);
}

void StatistikkVindu::start(int aar)
{
    settAar(aar);
}

void StatistikkVindu::steg(int retning)
{
    settAar(regler_.aar() + retning);
}

void StatistikkVindu::godtaAar()
{
    const std::string tekst(text::trim(aar_->text().toStdString()));
    if (tekst == std::to_string(regler_.aar()))
        return; // left unchanged: nothing to read again
    const int aar = tekst.size() == 4 && std::all_of(tekst.begin(), tekst.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; })
                        ? std::stoi(tekst)
                        : 0;
    if (aar < date::kFirstYear || aar > date::kLastYear) {
        aar_->setText(QString::number(regler_.aar()));
        say(ctx_,
            "Ugyldig år: «" + tekst + "». Skriv et årstall fra " +
                std::to_string(date::kFirstYear) + " til " + std::to_string(date::kLastYear) + ".",
            "Feil", Icon::Exclamation);
        return;
    }
    settAar(aar);
}

void StatistikkVindu::settAar(int aar)
{
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ProcedureScope scope(ctx_, kNavn);
        regler_.settAar(aar);
        QApplication::restoreOverrideCursor();
    }
    const Aarsstatistikk& s = regler_.statistikk();
    aar_->setText(QString::number(s.aar));
    diagram_->vis(s.maanedTotal);
    totalt_->setText(tall(s.totalt));
    fyll(antall_, s.produkter, true);
    fyll(belop_, s.produkter, false);
}

void FAKTURASTATISTIKK(Context& ctx)
{
    auto* w = new StatistikkVindu(ctx);
    contextwindows::show(ctx, w);
    w->start(date::toYmd(date::today()).year);
}

} // namespace tavlo::desktop
