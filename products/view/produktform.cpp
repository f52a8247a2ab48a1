// The product form "Produkt", bound to its rules.
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

#include "customfields/widgets/egendefinertefelt.h"
#include "data/context.h"
#include "data/lookups.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/lookupkeys.h"
#include "products/produktform.h"
#include "products/view/products_view.h"

namespace tavlo::desktop {

namespace {

// A number with a text after it ("%", the VAT type, the unit).
QHBoxLayout* withSuffix(QWidget* field, QWidget* suffix)
{
    auto* row = new QHBoxLayout;
    row->addWidget(field);
    row->addWidget(suffix);
    row->addStretch(1);
    return row;
}

QWidget* okonomiPage(FormWindow* w, ProduktForm& rules)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);

    auto* mva = new QGroupBox(QStringLiteral("MVA"), page);
    mva->setObjectName(QStringLiteral("mvagruppe"));
    auto* mvaForm = new QFormLayout(mva);
    auto* sats = numberEntry(mva, "mvasats", 4);
    w->bind(sats, PRO::MVASATS.no, "@n3");
    addRow(mvaForm, "MVA sats:", sats, withSuffix(sats, new QLabel(QStringLiteral("%"), mva)));
    auto* pliktig = new QCheckBox(QStringLiteral("&MVA pliktig"), mva);
    pliktig->setObjectName(QStringLiteral("mvapliktig"));
    w->bind(pliktig, PRO::MVAPLIKTIG.no);
    mvaForm->addRow(pliktig);
    QObject::connect(pliktig, &QCheckBox::clicked, w, [w, &rules] {
        w->commitFields(true);
        rules.mvapliktigAccepted();
        w->showFields({PRO::MVASATS.no});
    });
    mva->setEnabled(rules.mvaAapen());
    layout->addWidget(mva);

    auto* form = new QFormLayout;
    auto* pris = numberEntry(page, "enhetspris", 14);
    w->bind(pris, PRO::ENHETSPRIS.no, "@n-14.`2");
    auto* type = new QLabel(QString::fromStdString(ProduktForm::mvaTypeTekst()), page);
    type->setObjectName(QStringLiteral("mvatype"));
    addRow(form, "&Enhetspris:", pris, withSuffix(pris, type));
    auto* antall = numberEntry(page, "antall", 14);
    w->bind(antall, PRO::STDFAKTURALINJEANTALL.no, "@n-14.`2");
    addRow(form, "Standard &antall:", antall);
    auto* rabatt = numberEntry(page, "rabatt", 8);
    w->bind(rabatt, PRO::STDFAKTURALINJERABATT.no, "@n-9`2");
    addRow(form, "Standard &rabatt:", rabatt,
           withSuffix(rabatt, new QLabel(QStringLiteral("%"), page)));
    auto* maks = numberEntry(page, "maksrabatt", 8);
    w->bind(maks, PRO::MAXFAKTURALINJERABATT.no, "@s6");
    addRow(form, "Maksimal &rabatt:", maks,
           withSuffix(maks, new QLabel(QStringLiteral("%"), page)));
    QObject::connect(maks, &QLineEdit::editingFinished, w, [w, &rules] {
        if (rules.readOnly() || rules.closed())
            return;
        w->commitFields(true);
        rules.maxRabattAccepted();
        w->showFields({PRO::MAXFAKTURALINJERABATT.no});
    });
    layout->addLayout(form);
    layout->addStretch(1);
    return page;
}

QWidget* lagerPage(FormWindow* w, ProduktForm& rules)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* lager = new QGroupBox(QStringLiteral("Lager"), page);
    lager->setObjectName(QStringLiteral("lagergruppe"));
    auto* form = new QFormLayout(lager);
    auto* beholdning = numberEntry(lager, "lagerbeholdning", 14);
    w->bind(beholdning, PRO::LAGERBEHOLDNING.no, "@n-14.`2");
    auto* enhet = new QLabel(lager);
    enhet->setObjectName(QStringLiteral("enhet"));
    addRow(form, "&Nåværende lagerbeholdning:", beholdning, withSuffix(beholdning, enhet));
    auto* minimum = numberEntry(lager, "minlagerbeholdning", 14);
    w->bind(minimum, PRO::MINLAGERBEHOLDNING.no, "@n-14.`2");
    addRow(form, "&Minimum lagerbeholdning:", minimum);
    layout->addWidget(lager);

    auto* styring = new QCheckBox(QStringLiteral("Lagerstyring"), page);
    styring->setObjectName(QStringLiteral("lagerstyring"));
    w->bind(styring, PRO::LAGERSTYRING.no);
    layout->addWidget(styring);
    layout->addStretch(1);
    QObject::connect(styring, &QCheckBox::clicked, w, [w, &rules, lager] {
        w->commitFields(true);
        if (rules.lagerstyringChanged())
            lager->setEnabled(rules.lagerAapen());
    });
    QObject::connect(w, &FormWindow::fieldsShown, lager, [&rules, lager, enhet] {
        rules.lagerstyringChanged();
        lager->setEnabled(rules.lagerAapen());
        enhet->setText(QString::fromStdString(rules.record().get(PRO::ENHETSBENEVNING)));
    });
    return page;
}

} // namespace

void openProduktForm(Context& ctx, std::function<void(int response, RowRef inserted)> done)
{
    auto owned = std::make_unique<ProduktForm>(ctx);
    ProduktForm& rules = *owned;
    if (rules.start() != LEVEL_BENIGN) {
        done(rules.response(), {});
        return;
    }
    auto* w = new FormWindow(std::move(owned), QString::fromStdString(rules.caption()));
    w->setWindowTitle(QString::fromStdString(rules.caption()));
    w->setObjectName(QStringLiteral("ProduktForm"));

    auto* layout = new QVBoxLayout(w->body());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    // The number the insert gave is kept unless the user asks for the field with the lookup key.
    auto* produktnr = numberEntry(w, "produktnr", 9);
    produktnr->setReadOnly(true);
    produktnr->setToolTip(QStringLiteral("F4 eller høyre museknapp for å endre produktnummeret"));
    w->bind(produktnr, PRO::PRODUKTID.no, "@n_8B");
    form->addRow(QStringLiteral("Produktnr:"), produktnr);
    if (!rules.readOnly())
        installLookup(produktnr, [produktnr] {
            produktnr->setReadOnly(false);
            produktnr->setFocus();
            produktnr->selectAll();
        });
    auto* navn = entry(w, "navn", 30, 50);
    w->bind(navn, PRO::NAVN.no, "@s50");
    addRow(form, "&Navn:", navn);

    auto* gruppe = numberEntry(w, "produktgruppe", 6);
    w->bind(gruppe, PRO::PRODUKTGRUPPE.no, "@n_5B");
    auto* gruppeTekst = new QLabel(w);
    gruppeTekst->setObjectName(QStringLiteral("produktgruppetekst"));
    auto* gruppeRow = new QHBoxLayout;
    gruppeRow->addWidget(gruppe);
    gruppeRow->addWidget(gruppeTekst, 1);
    addRow(form, "&Produktgruppe:", gruppe, gruppeRow);
    if (!rules.readOnly())
        installLookup(gruppe, [w, &rules] {
            w->commitFields(true);
            Record& r = rules.record();
            r.set(PRO::PRODUKTGRUPPE, HENTKODA(rules.context(), 102, r.get(PRO::PRODUKTGRUPPE)));
            w->showFields({PRO::PRODUKTGRUPPE.no});
            emit w->fieldsShown();
        });
    QObject::connect(gruppe, &QLineEdit::editingFinished, w, [w] {
        if (w->commitFields(true))
            emit w->fieldsShown();
    });
    QObject::connect(w, &FormWindow::fieldsShown, gruppeTekst, [&rules, gruppeTekst] {
        gruppeTekst->setText(QString::fromStdString(rules.produktgruppeTekst()));
    });
    auto* enhet = entry(w, "enhetsbenevning", 20, 20);
    w->bind(enhet, PRO::ENHETSBENEVNING.no, "@s20");
    addRow(form, "&Enhetsbenevning:", enhet);
    QObject::connect(enhet, &QLineEdit::editingFinished, w, [w] {
        if (w->commitFields(true))
            emit w->fieldsShown();
    });

    auto* tabs = new QTabWidget(w);
    tabs->setObjectName(QStringLiteral("faner"));
    tabs->addTab(okonomiPage(w, rules), QStringLiteral("Økonomi"));
    tabs->addTab(lagerPage(w, rules), QStringLiteral("Lager"));
    tabs->addTab(memoPage(w, "beskrivelse", PRO::BESKRIVELSE.no), QStringLiteral("Beskrivelse"));
    tabs->addTab(memoPage(w, "div", PRO::DIV.no), QStringLiteral("Div"));
    auto* ekstra = new QWidget;
    ekstra->setObjectName(QStringLiteral("ekstra"));
    ekstra->setMinimumSize(560, 240);
    if (OPPRETTEGENDEFINERTEFELT(*w, 2, ekstra, 0, 0) > 0)
        tabs->addTab(ekstra, QStringLiteral("Ekstra"));
    else
        delete ekstra;
    layout->addWidget(tabs, 1);

    w->setFirstField(navn);
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre produkt"));
    emit w->fieldsShown();
}

} // namespace tavlo::desktop
