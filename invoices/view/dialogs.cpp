// The copy dialog and the project-link dialog.
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "data/context.h"
#include "data/lookups.h"
#include "framework/picture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lookupkeys.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

namespace {

constexpr const char* kDato = "@d06.B";

} // namespace

void KOPIERFAKTURA(Context& ctx, int32_t fakturaId, bool kreditnota,
                   std::function<void(int32_t)> done)
{
    auto* w = new Dialog([done] {
        if (done)
            done(0);
    });
    w->setObjectName(QStringLiteral("KOPIERFAKTURA"));
    w->setWindowTitle(QStringLiteral("Kopier faktura/Lag kreditnota"));
    auto valg = std::make_shared<KopierValg>(kopierForslag(ctx, kreditnota));

    auto* layout = new QVBoxLayout(w);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    auto* status = numberEntry(w, "fakturastatus", 6);
    auto* tekst = new QLabel(w);
    tekst->setObjectName(QStringLiteral("fakturastatustekst"));
    Context* c = &ctx;
    auto show = [c, valg, status, tekst] {
        status->setText(valg->fakturaStatus ? QString::number(valg->fakturaStatus) : QString());
        tekst->setText(QString::fromStdString(fakturastatusTekst(*c, valg->fakturaStatus)));
    };
    QObject::connect(status, &QLineEdit::editingFinished, w, [valg, status, show] {
        valg->fakturaStatus = status->text().trimmed().toInt();
        show();
    });
    installLookup(status, [c, valg, show] {
        valg->fakturaStatus = HENTKODA(*c, 105, valg->fakturaStatus);
        show();
    });
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(status);
    statusRow->addWidget(tekst, 1);
    addRow(form, "Ny &status:", status, statusRow);
    auto* linjer = new QCheckBox(QStringLiteral(" &Kopier fakturalinjer"), w);
    linjer->setObjectName(QStringLiteral("kopierfakturalinjer"));
    linjer->setChecked(valg->kopierLinjer);
    auto* datoer = new QCheckBox(QStringLiteral(" &Oppdater datoer"), w);
    datoer->setObjectName(QStringLiteral("oppdaterdatoer"));
    datoer->setChecked(valg->oppdaterDatoer);
    layout->addWidget(linjer);
    layout->addWidget(datoer);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* start = addButton(w, buttons, "Start kopiering", "KOPIERFAKTURABUTTON");
    QPushButton* avbryt = addButton(w, buttons, "Avbryt", "avbryt");
    layout->addLayout(buttons);
    start->setDefault(true);
    QObject::connect(start, &QPushButton::clicked, w,
                     [w, c, fakturaId, valg, status, linjer, datoer, done] {
                         valg->fakturaStatus = status->text().trimmed().toInt();
                         valg->kopierLinjer = linjer->isChecked();
                         valg->oppdaterDatoer = datoer->isChecked();
                         const int32_t ny = kopierFaktura(*c, fakturaId, *valg);
                         if (ny == 0)
                             return; // the messages have said why; the dialog stays
                         w->end([done, ny] {
                             if (done)
                                 done(ny);
                         });
                     });
    QObject::connect(avbryt, &QPushButton::clicked, w, &QWidget::close);
    show();
    contextwindows::show(ctx, w);
}

void GETPRJLINKINFO(Context& ctx, PrjLinkInfo info,
                    std::function<void(bool ok, const PrjLinkInfo& info)> done)
{
    auto* w = new Dialog([done, info] { done(false, info); });
    w->setObjectName(QStringLiteral("GETPRJLINKINFO"));
    w->setWindowTitle(QStringLiteral("Opprett prosjektlinje med kobling"));
    auto* layout = new QVBoxLayout(w);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    auto* dato = numberEntry(w, "prjlinjedato", 10);
    dato->setText(QString::fromStdString(picture::formatDate(kDato, info.dato)));
    auto parsed = [dato] {
        return picture::parseDate(kDato, dato->text().toStdString()).value_or(0);
    };
    installLookup(dato, [dato, parsed] {
        dato->setText(QString::fromStdString(picture::formatDate(kDato, HENTDATO(parsed()))));
    });
    addRow(form, "&Dato:", dato);
    auto* tekst = entry(w, "prjlinjetekst", 40, 100);
    tekst->setText(QString::fromStdString(info.tekst));
    addRow(form, "&Tekst:", tekst);
    auto* kredit = new QCheckBox(QStringLiteral("Kreditnota"), w);
    kredit->setObjectName(QStringLiteral("kreditnota"));
    kredit->setChecked(info.kreditnota);
    layout->addWidget(kredit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    QPushButton* ok = addButton(w, buttons, "&Ok", "MAKEPRJLINKBUTTON");
    ok->setToolTip(QStringLiteral("Opprett prosjektlinje"));
    ok->setDefault(true);
    QPushButton* avbryt = addButton(w, buttons, "&Avbryt", "avbryt");
    layout->addLayout(buttons);
    Context* c = &ctx;
    QObject::connect(ok, &QPushButton::clicked, w, [w, c, info, parsed, tekst, kredit, done] {
        PrjLinkInfo typed = info;
        typed.dato = parsed();
        typed.tekst = tekst->text().toStdString();
        typed.kreditnota = kredit->isChecked();
        if (!prjLinkInfoGodtatt(*c, typed))
            return;
        w->end([done, typed] { done(true, typed); });
    });
    QObject::connect(avbryt, &QPushButton::clicked, w, &QWidget::close);
    contextwindows::show(ctx, w);
}

} // namespace tavlo::desktop
