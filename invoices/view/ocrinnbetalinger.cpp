// "Innbetalinger fra bank (OCR)": the bank's OCR file chosen, read with a bar, and what it did:
// the counts and the payments that need looking at.
#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

#include "data/context.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/formfields.h"
#include "invoices/ocrgiro.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

namespace {

// The counts, one label each (named after the count), and the list below them.
void visResultat(const OcrResultat& r, QFormLayout* antall, QTableWidget* liste)
{
    const auto linjer = oppsummering(r);
    for (int i = 0; i < static_cast<int>(linjer.size()); ++i) {
        auto* verdi = qobject_cast<QLabel*>(antall->itemAt(i, QFormLayout::FieldRole)->widget());
        verdi->setText(QString::fromStdString(linjer[i].second));
    }
    liste->setRowCount(0);
    for (const OcrLinje& l : r.linjer) {
        if (!trengerOppfolging(l))
            continue;
        const int rad = liste->rowCount();
        liste->insertRow(rad);
        const auto celler = ocrCeller(l);
        for (int k = 0; k < static_cast<int>(celler.size()); ++k) {
            auto* item = new QTableWidgetItem(QString::fromStdString(celler[k]));
            if (k == 1 || k == 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            liste->setItem(rad, k, item);
        }
    }
    liste->resizeColumnsToContents();
}

} // namespace

void OCRINNBETALINGER(Context& ctx, std::function<void()> done)
{
    auto* w = new Dialog([done] {
        if (done)
            done();
    });
    w->setObjectName(QStringLiteral("OCRINNBETALINGER"));
    w->setWindowTitle(QStringLiteral("Innbetalinger fra bank (OCR)"));
    auto rules = std::make_shared<OcrInnlesing>(ctx);
    auto* layout = new QVBoxLayout(w);
    auto* note = new QLabel(
        QStringLiteral("Velg OCR-filen med KID-innbetalinger fra banken. Fakturaer som blir "
                       "betalt fullt ut, får betaltdato."),
        w);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* filRad = new QHBoxLayout;
    QLineEdit* fil = filnavnrad(ctx, w, filRad, rules->filnavn,
                                "OCR-filer|*.txt;*.TXT;*.ocr;*.OCR;*.dat;*.DAT|Alle filer|*");
    layout->addLayout(filRad);
    auto* bar = new QProgressBar(w);
    bar->setObjectName(QStringLiteral("fremdrift"));
    bar->setRange(0, 100);
    bar->setVisible(false);
    layout->addWidget(bar);

    auto* antall = new QFormLayout;
    for (const auto& [hva, verdi] : oppsummering(OcrResultat{})) {
        auto* l = new QLabel(QString(), w);
        l->setObjectName(QString::fromStdString(hva));
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        antall->addRow(QString::fromStdString(hva) + QLatin1Char(':'), l);
    }
    layout->addLayout(antall);
    auto* overskrift = new QLabel(QStringLiteral("Må følges opp:"), w);
    overskrift->setStyleSheet(QStringLiteral("font-weight: bold"));
    layout->addWidget(overskrift);
    QStringList titler;
    for (const std::string& k : ocrKolonner())
        titler << QString::fromStdString(k);
    auto* liste = new QTableWidget(0, static_cast<int>(titler.size()), w);
    liste->setObjectName(QStringLiteral("oppfolging"));
    liste->setHorizontalHeaderLabels(titler);
    liste->setEditTriggers(QAbstractItemView::NoEditTriggers);
    liste->setSelectionBehavior(QAbstractItemView::SelectRows);
    liste->verticalHeader()->setVisible(false);
    liste->horizontalHeader()->setStretchLastSection(true);
    liste->setMinimumWidth(liste->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 50);
    layout->addWidget(liste, 1);

    QPushButton* lesInn = handlingsrad(w, layout, "&Les inn", "lesinn", "&Lukk", "lukk");

    OcrInnlesing* r = rules.get();
    r->progressChanged = [bar, r] {
        bar->setVisible(r->running() || r->behandlet() > 0);
        bar->setValue(r->antall() ? static_cast<int>(r->behandlet() * 100 / r->antall()) : 0);
        // The run works on this thread: let the bar and the other windows be drawn.
        QApplication::processEvents();
    };
    QObject::connect(lesInn, &QPushButton::clicked, w, [w, rules, fil, antall, liste] {
        if (w->busy)
            return;
        rules->filnavn = fil->text().trimmed().toStdString();
        w->busy = true;
        w->setEnabled(false);
        const auto utfall = rules->lesInn();
        w->setEnabled(true);
        w->busy = false;
        // A refused file has said why and changed nothing: what the last read did stays shown.
        if (utfall != OcrInnlesing::Utfall::Avvist)
            visResultat(rules->resultat(), antall, liste);
    });
    contextwindows::show(ctx, w);
}

} // namespace tavlo::desktop
