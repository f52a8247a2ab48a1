// "Fakturarapport": the limits and the order of the invoice list, then the list in the print
// preview (or on the printer when the preview is turned off). The window stays for another run.
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QVBoxLayout>

#include <memory>
#include <optional>

#include "data/context.h"
#include "data/lookups.h"
#include "data/slots.h"
#include "framework/errorclass.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/lookupkeys.h"
#include "framework/widgets/rapportvalg.h"
#include "framework/windowmanager.h"
#include "invoices/kopierfaktura.h"
#include "invoices/print/fakturarapport.h"
#include "invoices/tlfa.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

void AVGRENSNINGERFAKTURARAPPORT(Context& ctx)
{
    auto* w = new Dialog({});
    w->setObjectName(QStringLiteral("AVGRENSNINGERFAKTURARAPPORT"));
    w->setWindowTitle(QStringLiteral("Fakturarapport"));
    Context* c = &ctx;
    auto* layout = new QVBoxLayout(w);

    auto* avgrensninger = new QGroupBox(QStringLiteral("Avgrensninger"), w);
    auto* form = new QFormLayout(avgrensninger);
    layout->addWidget(avgrensninger);

    // The customer: a number, whose name is shown beside it, or a part of names.
    QLineEdit* kundeId = numberEntry(w, "kundeid", 9);
    QLineEdit* kundeNavn = entry(w, "kundenavn", 30, static_cast<int>(kKundeNavnLengde));
    auto visKunde = [c, kundeId, kundeNavn](int32_t id) {
        kundeId->setText(id ? QString::number(id) : QString());
        if (id == 0)
            return; // the name stays: it may be a part of names typed there
        std::string navn;
        VISKUNA(*c, id, navn);
        kundeNavn->setText(QString::fromStdString(navn));
    };
    QObject::connect(kundeId, &QLineEdit::editingFinished, w, [kundeId, visKunde] {
        bool ok = false;
        const int id = kundeId->text().trimmed().toInt(&ok);
        if (ok)
            visKunde(id);
    });
    installLookup(kundeId, [c, w, visKunde] {
        QPointer<QWidget> alive(w);
        procedures::KUNDEKARTOTEK(*c, [c, alive, visKunde](int response) {
            if (alive && response == RequestCompleted)
                visKunde(c->rec(Tbl::KUNDE).get(KUN::KUNDEID));
        });
    });
    auto* kundeRad = new QHBoxLayout;
    kundeRad->addWidget(kundeId);
    kundeRad->addWidget(kundeNavn, 1);
    addRow(form, "&Kunde", kundeId, kundeRad);

    QLineEdit* status = numberEntry(w, "fakturastatus", 6);
    auto* statusTekst = new QLabel(w);
    statusTekst->setObjectName(QStringLiteral("fakturastatustekst"));
    auto visStatus = [c, status, statusTekst](int32_t s) {
        status->setText(s ? QString::number(s) : QString());
        statusTekst->setText(QString::fromStdString(s ? fakturastatusTekst(*c, s) : ""));
    };
    QObject::connect(status, &QLineEdit::editingFinished, w, [status, visStatus] {
        bool ok = false;
        const int s = status->text().trimmed().toInt(&ok);
        if (ok)
            visStatus(s);
    });
    installLookup(status, [c, status, visStatus] {
        visStatus(HENTKODA(*c, 105, status->text().trimmed().toInt()));
    });
    auto* statusRad = new QHBoxLayout;
    statusRad->addWidget(status);
    statusRad->addWidget(statusTekst, 1);
    addRow(form, "&Fakturastatus:", status, statusRad);

    const auto faktura = periodefelt(w, form, "Faktura&dato:", "fakturadato");
    const auto forfall = periodefelt(w, form, "&Forfallsdato:", "forfallsdato");
    auto* blank = new QCheckBox(QStringLiteral(" &Blank"), w);
    blank->setObjectName(QStringLiteral("betaltblank"));
    const auto betalt = periodefelt(w, form, "&Betaltdato:", "betaltdato", blank);

    QLineEdit* filter = filterfelt(c, w, form, 3);

    auto* valg = new QHBoxLayout;
    layout->addLayout(valg);
    auto* kreditBoks = new QGroupBox(QStringLiteral("Kreditnota"), w);
    auto* kreditLayout = new QVBoxLayout(kreditBoks);
    auto* kredit = new QButtonGroup(w);
    const std::pair<const char*, const char*> kreditValg[] = {
        {" &Bare kreditnotaer", "barekreditnotaer"}, {" &Ingen kreditnotaer", "ingenkreditnotaer"}};
    for (int i = 0; i < 2; ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(kreditValg[i].first), kreditBoks);
        r->setObjectName(QString::fromLatin1(kreditValg[i].second));
        kredit->addButton(r, i + 1);
        kreditLayout->addWidget(r);
    }
    auto* fjern = new QPushButton(QStringLiteral("Alle fakturaer"), kreditBoks);
    fjern->setObjectName(QStringLiteral("fjernkreditnota"));
    kreditLayout->addWidget(fjern);
    kreditLayout->addStretch(1);
    QObject::connect(fjern, &QPushButton::clicked, w, [kredit] {
        // An exclusive group keeps one button checked; let go of it for a moment.
        kredit->setExclusive(false);
        for (QAbstractButton* b : kredit->buttons())
            b->setChecked(false);
        kredit->setExclusive(true);
    });
    valg->addWidget(kreditBoks);

    auto* sortBoks = new QGroupBox(QStringLiteral("Sortering"), w);
    QButtonGroup* sortering = radioer(w, sortBoks,
                                      {" &Fakturanr", " &KundeId", " Kunde&navn", " Faktura&status",
                                       " Faktura&dato", " F&orfallsdato", " &Betaltdato"},
                                      "sortering", 1, false);
    valg->addWidget(sortBoks, 1);

    QPushButton* skrivUt = handlingsrad(w, layout, "Skriv ut", "PRINTBUTTON", "Avbryt", "avbryt");

    QObject::connect(skrivUt, &QPushButton::clicked, w, [=] {
        if (w->busy)
            return;
        Fakturaavgrensning a;
        const auto id = lesTall(*c, kundeId, "kundenr");
        const auto st = id ? lesTall(*c, status, "fakturastatus") : std::nullopt;
        if (!id || !st)
            return;
        a.kundeId = *id;
        a.kundeNavn = kundeNavn->text().toStdString();
        a.fakturaStatus = *st;
        if (!lesPerioder(*c, faktura, forfall, betalt, a))
            return;
        a.betaltBlank = blank->isChecked();
        a.kreditnota = std::max(0, kredit->checkedId());
        a.filterstreng = filter->text().toStdString();
        a.sortering = sortering->checkedId();
        slaOppTekster(*c, a);
        visKunde(a.kundeId);
        visStatus(a.fakturaStatus);
        const Rapportutvalg u = byggUtvalg(a);
        if (!filterKanBrukes(*c, u, a))
            return;
        auto rapport = std::make_shared<Fakturarapport>(*c, u.sortering, u.filter, u.beskrivelse);
        if (!rapport->open())
            return;
        // One run at a time; the window waits for it and stays for the next.
        kjorListe(*c, w, skrivUt,
                  {QStringLiteral("Fakturarapport"), [rapport] { return rapport->next(); },
                   [rapport] { return rapport->percent(); }, [rapport] { return rapport->pages(); },
                   &TLFA::settings()});
    });

    contextwindows::show(ctx, w);
}

} // namespace tavlo::desktop
