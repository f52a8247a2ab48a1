// The windows of the batch updates: "Oppdater fakturastatus" and "Oppdater betaltdato".
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

#include <memory>

#include "data/context.h"
#include "data/lookups.h"
#include "framework/date.h"
#include "framework/picture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lookupkeys.h"
#include "invoices/fakturaoppdatering.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

namespace {

constexpr const char* kDato = "@d06.B";

// The parts both windows have: the note on top, the bar of the run, and the two buttons.
struct Oppdateringsvindu {
    Dialog* w;
    QVBoxLayout* layout;
    QFormLayout* form;
    QProgressBar* bar;
    QPushButton* start;
    std::shared_ptr<FakturaOppdatering> rules;
};

Oppdateringsvindu lagVindu(Context& ctx, const char* name, const char* title, const char* note,
                           std::function<void()> done)
{
    Oppdateringsvindu v;
    v.w = new Dialog([done] {
        if (done)
            done();
    });
    v.w->setObjectName(QString::fromLatin1(name));
    v.w->setWindowTitle(QString::fromUtf8(title));
    v.rules = std::make_shared<FakturaOppdatering>(ctx);
    v.w->setMinimumWidth(v.w->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 30);
    v.layout = new QVBoxLayout(v.w);
    auto* nb = new QLabel(QString::fromUtf8(note), v.w);
    nb->setObjectName(QStringLiteral("note"));
    nb->setWordWrap(true);
    nb->setStyleSheet(QStringLiteral("font-weight: bold"));
    v.layout->addWidget(nb);
    v.form = new QFormLayout;
    v.layout->addLayout(v.form);
    v.bar = new QProgressBar(v.w);
    v.bar->setRange(0, 100);
    v.bar->setVisible(false);
    v.layout->addWidget(v.bar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    v.start = addButton(v.w, buttons, "Start oppdatering", "OPPDATERFAKTURABUTTON");
    v.start->setDefault(true);
    QPushButton* avbryt = addButton(v.w, buttons, "Avbryt", "avbryt");
    v.layout->addLayout(buttons);
    QObject::connect(avbryt, &QPushButton::clicked, v.w, &QWidget::close);

    Dialog* w = v.w;
    QProgressBar* bar = v.bar;
    FakturaOppdatering* rules = v.rules.get();
    rules->progressChanged = [w, bar, rules] {
        bar->setVisible(rules->running() || rules->behandlet() > 0);
        bar->setValue(rules->antall() ? static_cast<int>(rules->behandlet() * 100 / rules->antall())
                                      : 0);
        // The run works on this thread: let the bar and the other windows be drawn.
        QApplication::processEvents();
    };
    return v;
}

// Runs one update with the window's buttons off; the window closes when the run went through.
void kjor(const Oppdateringsvindu& v,
          FakturaOppdatering::Utfall (FakturaOppdatering::*run)(const std::vector<int32_t>&))
{
    if (v.w->busy)
        return;
    v.w->busy = true;
    v.w->setEnabled(false);
    const auto utfall = (v.rules.get()->*run)(FakturaOppdatering::merkede());
    v.w->setEnabled(true);
    v.w->busy = false;
    if (FakturaOppdatering::lukkes(utfall))
        v.w->close();
}

} // namespace

void OPPDATERFAKTURASTATUS(Context& ctx, std::function<void()> done)
{
    Oppdateringsvindu v =
        lagVindu(ctx, "OPPDATERFAKTURASTATUS", "Oppdater fakturastatus",
                 "NB! Denne rutinen vil oppdatere status på alle markerte fakturaer", done);
    FakturaOppdatering* rules = v.rules.get();
    auto* status = numberEntry(v.w, "fakturastatus", 6);
    auto* tekst = new QLabel(v.w);
    tekst->setObjectName(QStringLiteral("fakturastatustekst"));
    Context* c = &ctx;
    auto show = [c, rules, status, tekst] {
        status->setText(rules->fakturaStatus ? QString::number(rules->fakturaStatus) : QString());
        tekst->setText(QString::fromStdString(fakturastatusTekst(*c, rules->fakturaStatus)));
    };
    QObject::connect(status, &QLineEdit::editingFinished, v.w, [rules, status, show] {
        rules->fakturaStatus = status->text().trimmed().toInt();
        show();
    });
    installLookup(status, [c, rules, show] {
        rules->fakturaStatus = HENTKODA(*c, 105, rules->fakturaStatus);
        show();
    });
    auto* row = new QHBoxLayout;
    row->addWidget(status);
    row->addWidget(tekst, 1);
    addRow(v.form, "&Ny fakturastatus:", status, row);
    auto* datoer = new QCheckBox(QStringLiteral(" &Oppdater datoer"), v.w);
    datoer->setObjectName(QStringLiteral("oppdaterdatoer"));
    datoer->setChecked(true);
    v.form->addRow(QString(), datoer);
    QObject::connect(v.start, &QPushButton::clicked, v.w, [v, rules, status, datoer] {
        rules->fakturaStatus = status->text().trimmed().toInt();
        rules->oppdaterDatoer = datoer->isChecked();
        kjor(v, &FakturaOppdatering::oppdaterStatus);
    });
    show();
    contextwindows::show(ctx, v.w);
}

void OPPDATERBETALTDATO(Context& ctx, std::function<void()> done)
{
    Oppdateringsvindu v =
        lagVindu(ctx, "OPPDATERBETALTDATO", "Oppdater betaltdato",
                 "NB! Denne rutinen vil oppdatere betaltdato på alle markerte fakturaer", done);
    FakturaOppdatering* rules = v.rules.get();
    auto* forfall = new QCheckBox(QStringLiteral(" Bruk &forfallsdato"), v.w);
    forfall->setObjectName(QStringLiteral("brukforfallsdato"));
    v.form->addRow(QString(), forfall);
    auto* dato = numberEntry(v.w, "betaltdato", 10);
    auto show = [rules, dato] {
        dato->setText(QString::fromStdString(picture::formatDate(kDato, rules->betaltDato)));
    };
    auto typed = [rules, dato] {
        rules->betaltDato =
            picture::parseDate(kDato, dato->text().toStdString()).value_or(rules->betaltDato);
    };
    QObject::connect(dato, &QLineEdit::editingFinished, v.w, [typed, show] {
        typed();
        show();
    });
    installLookup(dato, [rules, dato, show] {
        if (!dato->isEnabled())
            return;
        rules->betaltDato = HENTDATO(rules->betaltDato);
        show();
    });
    addRow(v.form, "&Betalt dato:", dato);
    QObject::connect(forfall, &QCheckBox::toggled, dato,
                     [dato](bool on) { dato->setEnabled(!on); });
    QObject::connect(v.start, &QPushButton::clicked, v.w, [v, rules, forfall, typed] {
        typed();
        rules->brukForfallsdato = forfall->isChecked();
        kjor(v, &FakturaOppdatering::oppdaterBetaltdato);
    });
    show();
    contextwindows::show(ctx, v.w);
}

} // namespace tavlo::desktop
