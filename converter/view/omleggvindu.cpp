#include "converter/view/omleggvindu.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "converter/omlegging.h"
#include "data/context.h"
#include "framework/widgets/navnebilde.h"

namespace tavlo::desktop {
namespace {

// "Vent, konvertering pågår": the table being converted and how far it has come. It cannot be
// closed; the run ends it.
class Vent : public QDialog {
  public:
    explicit Vent(QWidget* parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("Vent"));
        setWindowTitle(QStringLiteral("Vent, konvertering pågår"));
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        auto* layout = new QVBoxLayout(this);
        tekst_ = new QLabel(this);
        tekst_->setObjectName(QStringLiteral("tekst"));
        layout->addWidget(tekst_);
        auto* rad = new QHBoxLayout;
        tellerTekst_ = new QLabel(this);
        tellerTekst_->setObjectName(QStringLiteral("tellertekst"));
        teller_ = new QLabel(this);
        teller_->setObjectName(QStringLiteral("teller"));
        rad->addWidget(tellerTekst_);
        rad->addWidget(teller_);
        rad->addStretch(1);
        layout->addLayout(rad);
        bar_ = new QProgressBar(this);
        bar_->setObjectName(QStringLiteral("fremdrift"));
        layout->addWidget(bar_);
        setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 28);
    }
    void vis(const omlegg::Omlegging& run)
    {
        if (!run.underveis) {
            hide();
            return;
        }
        tekst_->setText(QString::fromStdString(run.progressTekst));
        tellerTekst_->setText(QString::fromStdString(run.tellerTekst));
        teller_->setText(run.tellerTekst.empty() ? QString() : QString::number(run.teller));
        bar_->setRange(0, static_cast<int>(std::max(1L, run.antall)));
        bar_->setValue(static_cast<int>(std::min(run.teller, std::max(1L, run.antall))));
        if (!isVisible())
            show();
        // The run works on this thread: let the window be drawn.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

  protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
    void reject() override {}

  private:
    QLabel* tekst_;
    QLabel* tellerTekst_;
    QLabel* teller_;
    QProgressBar* bar_;
};

} // namespace

QPixmap omleggBilde()
{
    desktop::Navnebilde b;
    b.hoyde = 130;
    b.navnPunkt = 26;
    b.navnY = 0;
    b.linje = QStringLiteral("Konvertering av data fra versjon 3 til versjon 4");
    b.linjeY = 80;
    return desktop::navnebilde(b);
}

OmleggVindu::OmleggVindu(Context& ctx, const std::string& mappe, QWidget* parent)
    : QDialog(parent), regler_(std::make_unique<omlegg::Omlegging>(ctx, mappe))
{
    setObjectName(QStringLiteral("OMLEGG"));
    setWindowTitle(QStringLiteral("Tavlo - konvertering av data"));
    auto* layout = new QVBoxLayout(this);
    auto* bilde = new QLabel(this);
    bilde->setObjectName(QStringLiteral("bilde"));
    bilde->setPixmap(omleggBilde());
    layout->addWidget(bilde);
    auto* hvor = new QLabel(QStringLiteral("Datamappe: ") + QString::fromStdString(mappe), this);
    hvor->setObjectName(QStringLiteral("datamappe"));
    hvor->setWordWrap(true);
    layout->addWidget(hvor);
    sikkerhetskopi_ = new QCheckBox(QStringLiteral("&Ja, jeg  har tatt sikkerhetskopi"), this);
    sikkerhetskopi_->setObjectName(QStringLiteral("sikkerhetskopi"));
    layout->addWidget(sikkerhetskopi_);
    auto* rad = new QHBoxLayout;
    rad->addStretch(1);
    konverter_ = new QPushButton(QStringLiteral("&Konverter"), this);
    konverter_->setObjectName(QStringLiteral("KONVERTERBUTTON"));
    konverter_->setToolTip(QStringLiteral("Start konvertering av data"));
    avslutt_ = new QPushButton(QStringLiteral("&Avslutt"), this);
    avslutt_->setObjectName(QStringLiteral("AVSLUTTBUTTON"));
    avslutt_->setToolTip(QStringLiteral("Avslutt konverteringsprogram"));
    rad->addWidget(konverter_);
    rad->addWidget(avslutt_);
    layout->addLayout(rad);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(konverter_, &QPushButton::clicked, this, [this] { konverterTrykket(); });
    connect(avslutt_, &QPushButton::clicked, this, [this] { reject(); });
}

OmleggVindu::~OmleggVindu() = default;

void OmleggVindu::konverterTrykket()
{
    opptatt_ = true;
    konverter_->setEnabled(false);
    avslutt_->setEnabled(false);
    Vent* vent = nullptr;
    regler_->progressChanged = [this, &vent] {
        if (!vent)
            vent = new Vent(this);
        vent->vis(*regler_);
    };
    bool ferdig = regler_->KONVERTER(sikkerhetskopi_->isChecked());
    regler_->progressChanged = nullptr;
    delete vent;
    opptatt_ = false;
    konverter_->setEnabled(true);
    avslutt_->setEnabled(true);
    if (ferdig)
        accept();
}

void OmleggVindu::closeEvent(QCloseEvent* e)
{
    if (opptatt_)
        e->ignore();
    else
        QDialog::closeEvent(e);
}

void OmleggVindu::reject()
{
    if (!opptatt_)
        QDialog::reject();
}

} // namespace tavlo::desktop
