// The window "Generer fakturaer", bound to the generation's rules.
#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QVBoxLayout>

#include <memory>

#include "billing/generering.h"
#include "billing/view/billing_view.h"
#include "data/context.h"
#include "data/slots.h"
#include "framework/picture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lookupkeys.h"

namespace tavlo::desktop {

namespace {

constexpr const char* kDato = "@d06.B";

} // namespace

void GENERERNYEFAKTURAER(Context& ctx, int32_t mode, Closed closed)
{
    auto rules = std::make_shared<FakturaGenerering>(ctx, mode);
    if (rules->apne() == FakturaGenerering::Apning::IngenMerket) {
        if (closed)
            closed();
        return;
    }
    auto* w = new Dialog([closed] {
        if (closed)
            closed();
    });
    w->setObjectName(QStringLiteral("GENERERNYEFAKTURAER"));
    w->setWindowTitle(QStringLiteral("Generer fakturaer"));
    auto* layout = new QVBoxLayout(w);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    auto* dato = numberEntry(w, "fakturadato", 10);
    auto lesDato = [rules, dato] {
        rules->fakturadato = picture::parseDate(kDato, dato->text().toStdString()).value_or(0);
    };
    auto visDato = [rules, dato] {
        dato->setText(QString::fromStdString(picture::formatDate(kDato, rules->fakturadato)));
    };
    QObject::connect(dato, &QLineEdit::editingFinished, w, [lesDato, visDato] {
        lesDato();
        visDato();
    });
    installLookup(dato, [rules, lesDato, visDato] {
        lesDato();
        rules->fakturadato = HENTDATO(rules->fakturadato);
        visDato();
    });
    addRow(form, "Faktura&dato:", dato);
    auto* marker = new QCheckBox(QStringLiteral("&Marker fakturaer etter generering"), w);
    marker->setObjectName(QStringLiteral("markerfakturaer"));
    marker->setChecked(rules->markerFakturaer);
    form->addRow(QString(), marker);

    auto* grunnlag = numberEntry(w, "grunnlagid", 9);
    auto* grunnlagTekst = new QLabel(w);
    grunnlagTekst->setObjectName(QStringLiteral("grunnlagtekst"));
    auto* melding = entry(w, "melding", 50, 1023);
    auto visGrunnlag = [rules, grunnlag, grunnlagTekst, melding] {
        grunnlag->setText(rules->grunnlagId() ? QString::number(rules->grunnlagId()) : QString());
        grunnlagTekst->setText(QString::fromStdString(rules->grunnlagTekst()));
        melding->setText(QString::fromStdString(rules->melding));
    };
    QObject::connect(grunnlag, &QLineEdit::editingFinished, w, [rules, grunnlag, visGrunnlag] {
        const int32_t id = grunnlag->text().trimmed().toInt();
        if (id == rules->grunnlagId() && id != 0)
            return;
        rules->grunnlagAccepted(id);
        visGrunnlag();
    });
    Context* c = &ctx;
    installLookup(grunnlag, [w, c, rules, visGrunnlag] {
        QPointer<Dialog> alive(w);
        c->rec(Tbl::GRUNNLAG).set(GRU::GRUNNLAGID, rules->grunnlagId());
        GRUNNLAGKARTOTEK(*c, [alive, rules, visGrunnlag](int response) {
            if (!alive || response != RequestCompleted)
                return;
            rules->grunnlagValgt();
            visGrunnlag();
        });
    });
    auto* grunnlagRad = new QHBoxLayout;
    grunnlagRad->addWidget(grunnlag);
    grunnlagRad->addWidget(grunnlagTekst, 1);
    addRow(form, "&Grunnlag:", grunnlag, grunnlagRad);
    const bool perKunde = mode == FakturaGenerering::PerKunde;
    grunnlag->setEnabled(perKunde);
    grunnlagTekst->setEnabled(perKunde);
    if (auto* label = form->labelForField(grunnlagRad))
        label->setEnabled(perKunde);
    addRow(form, "&Melding:", melding);

    auto* bar = new QProgressBar(w);
    bar->setObjectName(QStringLiteral("antallgenerert"));
    bar->setRange(0, 1);
    bar->setValue(0);
    auto* fremdrift = new QLabel(w);
    fremdrift->setObjectName(QStringLiteral("fremdrift"));
    auto* statusRad = new QHBoxLayout;
    statusRad->addWidget(bar, 1);
    statusRad->addWidget(fremdrift);
    form->addRow(QStringLiteral("Status:"), statusRad);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* generer = addButton(w, buttons, "Generer fakturaer", "GENERERBUTTON");
    generer->setDefault(true);
    QPushButton* avbryt = addButton(w, buttons, "Avbryt", "avbryt");
    layout->addLayout(buttons);

    auto stopp = std::make_shared<bool>(false);
    rules->stopp = [stopp] { return *stopp; };
    rules->progressChanged = [rules, bar, fremdrift] {
        bar->setRange(0, std::max(rules->antall(), 1));
        bar->setValue(rules->generert());
        fremdrift->setText(QString::fromStdString(rules->fremdrift()));
        // The run works on this thread: the other windows are drawn and answer between invoices.
        QApplication::processEvents();
    };
    // During a run "Avbryt" stops it after the invoice being written.
    QObject::connect(avbryt, &QPushButton::clicked, w, [w, stopp] {
        if (w->busy)
            *stopp = true;
        else
            w->close();
    });
    QObject::connect(generer, &QPushButton::clicked, w,
                     [w, rules, stopp, lesDato, marker, melding, generer] {
                         if (w->busy)
                             return;
                         lesDato();
                         rules->markerFakturaer = marker->isChecked();
                         rules->melding = melding->text().toStdString();
                         *stopp = false;
                         w->busy = true;
                         generer->setEnabled(false);
                         const auto utfall = rules->generer();
                         w->busy = false;
                         generer->setEnabled(true);
                         if (rules->visFakturaer()) {
                             // The register in a context of its own, keeping the marks.
                             const std::string kaller = rules->kartotekKaller();
                             contextwindows::startInContext(
                                 [kaller](Context& c) { procedures::FAKTURAKARTOTEK(c, kaller); });
                             w->close();
                         } else if (utfall == FakturaGenerering::Utfall::Lukk) {
                             w->close();
                         }
                     });
    visDato();
    visGrunnlag();
    contextwindows::show(ctx, w);
}

} // namespace tavlo::desktop
