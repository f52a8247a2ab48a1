// The invoice form "Faktura" and the invoice line form "Fakturalinje", bound to their rules.
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

#include "customfields/widgets/egendefinertefelt.h"
#include "data/context.h"
#include "data/lookups.h"
#include "data/slots.h"
#include "framework/picture.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lookupkeys.h"
#include "invoices/fakturaform.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

namespace {

constexpr const char* kBelop = "@n-14.`2";
constexpr const char* kDato = "@d06.B";

// Heading lines on grey.
class LinjeDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(PagedTableModel::MarkRole).toInt() == 1)
            option->backgroundBrush = QColor(128, 128, 128);
    }
};

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretch = true)
{
    auto* r = new QHBoxLayout;
    for (QWidget* x : widgets)
        r->addWidget(x, x == *std::prev(widgets.end()) && !stretch ? 1 : 0);
    if (stretch)
        r->addStretch(1);
    return r;
}

QLineEdit* bound(FormWindow* w, QWidget* parent, const char* name, int chars, int field,
                 const std::string& picture, bool number = false)
{
    QLineEdit* e = number ? numberEntry(parent, name, chars) : entry(parent, name, chars);
    w->bind(e, field, picture);
    return e;
}

QLineEdit* shown(QWidget* parent, const char* name, int chars)
{
    auto* e = numberEntry(parent, name, chars);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

// A date field whose lookup key opens the calendar.
QLineEdit* dateField(FormWindow* w, WindowManager& rules, QWidget* parent, const char* name,
                     int field, std::function<void()> accepted = {})
{
    QLineEdit* e = bound(w, parent, name, 10, field, kDato, true);
    onLookup(w, e, rules, [&rules, field, accepted] {
        Record& r = rules.record();
        r.setNum(field, HENTDATO(static_cast<int32_t>(r.num(field))));
        if (accepted)
            accepted();
    });
    if (accepted)
        onAccepted(w, e, accepted);
    return e;
}

// The project tab of the invoice or of a line: the link made through the project register in
// select mode and the link dialog, the linked line deleted, or the link broken.
template <class Rules>
QWidget* prosjektPage(FormWindow* w, Rules& rules, int prosjektField, int linjeField)
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    QLineEdit* prosjekt = bound(w, page, "prosjektid", 20, prosjektField, "@s50");
    prosjekt->setReadOnly(true);
    form->addRow(
        QStringLiteral("&Prosjekt:"),
        row({prosjekt, textOf(w, "prosjekttekst", [&rules] { return rules.prosjektTekst(); })}));
    QLineEdit* linje = bound(w, page, "prjlinjeid", 9, linjeField, "@n_8B", true);
    linje->setReadOnly(true);
    form->addRow(
        QStringLiteral("Prosjekt&linje:"),
        row({linje, textOf(w, "prjlinjetekst", [&rules] { return rules.prjLinjeTekst(); })}));
    auto* add = new QPushButton(QStringLiteral("Opprett ny prosjektlinje"), page);
    add->setObjectName(QStringLiteral("ADDPROSJEKTLINKBUTTON"));
    auto* del = new QPushButton(QStringLiteral("Slett tilhørende prosjektlinje"), page);
    del->setObjectName(QStringLiteral("DELETEPROSJEKTLINKBUTTON"));
    auto* brk = new QPushButton(QStringLiteral("Bryt kobling til prosjekt"), page);
    brk->setObjectName(QStringLiteral("BREAKPROSJEKTLINKBUTTON"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, del, brk}) {
        b->setEnabled(!rules.readOnly());
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    form->addRow(buttons);
    auto refresh = [w] {
        w->showFields();
        emit w->fieldsShown();
    };
    Context& ctx = rules.context();
    QObject::connect(add, &QPushButton::clicked, w, [w, &rules, &ctx, refresh] {
        w->commitFields(true);
        if (!rules.kanKobleProsjekt())
            return;
        QPointer<FormWindow> alive(w);
        procedures::PROSJEKTKARTOTEK(ctx, [alive, &rules, &ctx, refresh](int response) {
            PrjLinkInfo forslag;
            if (!alive || response != RequestCompleted || !rules.prosjektValgt(forslag))
                return;
            GETPRJLINKINFO(ctx, forslag,
                           [alive, &rules, refresh](bool ok, const PrjLinkInfo& info) {
                               if (!alive || !ok)
                                   return;
                               rules.prosjektKoblet(info);
                               refresh();
                           });
        });
    });
    QObject::connect(del, &QPushButton::clicked, w, [&rules, refresh] {
        rules.slettProsjektlinje();
        refresh();
    });
    QObject::connect(brk, &QPushButton::clicked, w, [&rules, refresh] {
        rules.brytProsjektkobling();
        refresh();
    });
    return page;
}

QWidget* memoTab(FormWindow* w, const char* name, int memo, const char* note)
{
    QWidget* page = memoPage(w, name, memo);
    if (note)
        page->layout()->addWidget(new QLabel(QString::fromUtf8(note), page));
    return page;
}

void openFakturaLinjeForm(Context& ctx, FakturaFelles& felles,
                          std::function<void(int response, RowRef inserted)> done)
{
    auto owned = std::make_unique<FakturaLinjeForm>(ctx, felles);
    FakturaLinjeForm& rules = *owned;
    if (rules.start() != LEVEL_BENIGN) {
        done(rules.response(), {});
        return;
    }
    auto* w = new FormWindow(std::move(owned), QString::fromStdString(rules.caption()));
    w->setWindowTitle(QStringLiteral("Fakturalinje"));
    w->setObjectName(QStringLiteral("FAKTURALINJEFORM"));
    auto* tabs = new QTabWidget(w->body());
    tabs->setObjectName(QStringLiteral("faner"));
    auto* body = new QVBoxLayout(w->body());
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(tabs);

    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    QLineEdit* dato = dateField(w, rules, page, "dato", FLI::DATO.no);
    dato->setEnabled(rules.datoAapen());
    addRow(form, "&Dato:", dato);
    QLineEdit* produkt = bound(w, page, "produktid", 9, FLI::PRODUKTID.no, "@n_8B", true);
    QLineEdit* navn = bound(w, page, "produktnavn", 30, FLI::PRODUKTNAVN.no, "@s50");
    onAccepted(w, produkt, [&rules] { rules.produktAccepted(); });
    if (!rules.readOnly())
        installLookup(produkt, [w, &rules, &ctx] {
            w->commitFields(true);
            QPointer<FormWindow> alive(w);
            // The register chooses in this context; the choice is in the PRODUKT buffer.
            procedures::PRODUKTKARTOTEK(ctx, [alive, &rules](int response) {
                if (!alive || response != RequestCompleted)
                    return;
                rules.produktValgt();
                alive->showFields();
                emit alive->fieldsShown();
            });
        });
    addRow(form, "&Produkt:", produkt, row({produkt, navn}, false));
    QLineEdit* enhet = bound(w, page, "enhet", 10, FLI::ENHETSBENEVNELSE.no, "@s20");
    addRow(form, "&Enhet:", enhet);
    auto* mva = new QGroupBox(page);
    mva->setObjectName(QStringLiteral("mvagruppe"));
    QLineEdit* sats = bound(w, mva, "mvasats", 4, FLI::MVASATS.no, "@n3", true);
    auto* pliktig = new QCheckBox(QStringLiteral("&MVA pliktig"), mva);
    pliktig->setObjectName(QStringLiteral("mvapliktig"));
    w->bind(pliktig, FLI::MVAPLIKTIG.no);
    QObject::connect(pliktig, &QCheckBox::clicked, w, [w, &rules] {
        w->commitFields(true);
        rules.mvapliktigAccepted();
        w->showFields({FLI::MVASATS.no});
    });
    auto* mvaRow = new QHBoxLayout(mva);
    auto* satsLabel = new QLabel(QStringLiteral("MVA &sats:"), mva);
    satsLabel->setBuddy(sats);
    mvaRow->addWidget(satsLabel);
    mvaRow->addWidget(sats);
    mvaRow->addWidget(pliktig);
    mvaRow->addStretch(1);
    mva->setEnabled(rules.mvaAapen());
    form->addRow(mva);

    auto* belop = new QGroupBox(QStringLiteral("Beløp:"), page);
    auto* grid = new QFormLayout(belop);
    QLineEdit* pris = bound(w, belop, "enhetspris", 14, FLI::ENHETSPRIS.no, kBelop, true);
    QLineEdit* antall = bound(w, belop, "antall", 14, FLI::ANTALL.no, kBelop, true);
    QLineEdit* rabatt = bound(w, belop, "rabatt", 8, FLI::RABATT.no, "@n-7`2", true);
    rabatt->setToolTip(QStringLiteral("Rabatt i prosent"));
    QLineEdit* delsum = shown(belop, "delsum", 14);
    QLineEdit* kroner = shown(belop, "rabattkroner", 14);
    QLineEdit* sum = bound(w, belop, "sum", 14, FLI::SUM.no, kBelop, true);
    sum->setReadOnly(true);
    onAccepted(w, pris, [&rules] { rules.enhetsprisAccepted(); });
    onAccepted(w, antall, [&rules] { rules.antallAccepted(); });
    onAccepted(w, rabatt, [&rules] { rules.rabattAccepted(); });
    addRow(grid, "Enhets&pris:", pris);
    addRow(grid, "&Antall:", antall, row({antall, delsum}));
    addRow(grid, "&Rabatt:", rabatt, row({rabatt, kroner}));
    auto* overskrift = new QCheckBox(QStringLiteral("&Overskrift"), belop);
    overskrift->setObjectName(QStringLiteral("overskrift"));
    w->bind(overskrift, FLI::OVERSKRIFT.no);
    grid->addRow(overskrift);
    addRow(grid, "&Sum:", sum);
    form->addRow(belop);
    tabs->addTab(page, QStringLiteral("Fakturalinje"));
    QWidget* prosjekt = prosjektPage(w, rules, FLI::PROSJEKTID.no, FLI::PRJLINJEID.no);
    tabs->addTab(prosjekt, QStringLiteral("Prosjekt"));
    QWidget* beskrivelse = memoTab(w, "beskrivelse", FLI::BESKRIVELSE.no,
                                   "NB! Beskrivelsen vil bli synlig på faktura.");
    tabs->addTab(beskrivelse, QStringLiteral("Beskrivelse"));
    tabs->addTab(memoTab(w, "div", FLI::DIV.no, "NB! Diverse vil ikke bli synlig på faktura."),
                 QStringLiteral("Div"));

    auto heading = [&rules, dato, produkt, mva, antall, enhet, rabatt, pris, prosjekt] {
        const bool open = !rules.erOverskrift() && !rules.readOnly();
        for (QWidget* c :
             std::initializer_list<QWidget*>{produkt, antall, enhet, rabatt, pris, prosjekt})
            c->setEnabled(open);
        dato->setEnabled(open && rules.datoAapen());
        mva->setEnabled(open && rules.mvaAapen());
    };
    QObject::connect(overskrift, &QCheckBox::clicked, w, [w, &rules, heading] {
        w->commitFields(true);
        rules.overskriftChanged();
        w->showFields();
        emit w->fieldsShown();
        heading();
    });
    QObject::connect(
        w, &FormWindow::fieldsShown, w, [&rules, delsum, kroner, tabs, beskrivelse, heading] {
            delsum->setText(QString::fromStdString(picture::format(kBelop, rules.delsum())));
            kroner->setText(QString::fromStdString(picture::format(kBelop, rules.rabattkroner())));
            const bool tekst = !rules.record().get(FLI::BESKRIVELSE).empty();
            tabs->tabBar()->setTabTextColor(tabs->indexOf(beskrivelse), tekst ? Qt::red : QColor());
            heading();
        });
    w->setFirstField(produkt);
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre fakturalinje"));
    if (w->cancelButton())
        w->cancelButton()->setText(QStringLiteral("Avbryt"));
    emit w->fieldsShown();
}

QWidget* linjePage(FormWindow* w, FakturaForm& rules)
{
    auto* page = new QWidget;
    auto list = rules.linjer();
    auto refresh = [w, &rules] {
        rules.summer();
        w->showFields({FAK::SUM.no, FAK::SUMMVAGRUNNLAG.no, FAK::MVA.no, FAK::TOTALSUM.no});
        emit w->fieldsShown();
    };
    list->updateProcedure = [&rules, refresh](Context& c, BrowseClass::FormDone done) {
        // A delete never shows the form; the record store gives the quantity back to stock.
        openFakturaLinjeForm(c, rules.felles(),
                             [refresh, done = std::move(done)](int r, RowRef at) {
                                 done(r, at);
                                 refresh();
                             });
    };
    auto* linjer = new BrowseWidget(std::move(list), page);
    linjer->setObjectName(QStringLiteral("linjer"));
    linjer->table()->setItemDelegate(new LinjeDelegate(linjer->table()));
    linjer->table()->setMinimumHeight(linjer->fontMetrics().height() * 10);
    auto* buttons = new QHBoxLayout;
    if (!rules.readOnly()) {
        const std::pair<const char*, int> actions[] = {{"Ny fakturalinje", InsertRecord},
                                                       {"Endre/vise fakturalinje", ChangeRecord},
                                                       {"Slett fakturalinje", DeleteRecord}};
        for (const auto& [text, action] : actions) {
            auto* b = new QPushButton(QString::fromUtf8(text), page);
            linjer->connectButton(b, action);
            buttons->addWidget(b);
        }
        auto* opp = new QPushButton(QStringLiteral("Flytt aktiv post opp"), page);
        opp->setObjectName(QStringLiteral("FLYTTOPPBUTTON"));
        auto* ned = new QPushButton(QStringLiteral("Flytt aktiv post ned"), page);
        ned->setObjectName(QStringLiteral("FLYTTNEDBUTTON"));
        for (auto [b, up] : {std::pair{opp, true}, std::pair{ned, false}}) {
            buttons->addWidget(b);
            QObject::connect(b, &QPushButton::clicked, page, [linjer, &rules, refresh, up = up] {
                PagedTableModel& m = linjer->browse().model();
                if (m.currentRow() < 0 || m.loadRecord(m.currentRow()) != LEVEL_BENIGN)
                    return;
                const int32_t id = rules.context().rec(Tbl::FAKLINJE).get(FLI::FAKLINJEID);
                if (up ? rules.flyttOpp() : rules.flyttNed()) {
                    m.refresh();
                    for (int r = 0; r < m.rowCount(); ++r)
                        if (m.loadRecord(r) == LEVEL_BENIGN &&
                            rules.context().rec(Tbl::FAKLINJE).get(FLI::FAKLINJEID) == id)
                            m.setCurrentRow(r);
                }
                refresh();
            });
        }
    }
    buttons->addStretch(1);

    auto* totals = new QGridLayout;
    QLineEdit* sum = bound(w, page, "sum", 14, FAK::SUM.no, kBelop, true);
    QLineEdit* grunnlag = bound(w, page, "mvagrunnlag", 14, FAK::SUMMVAGRUNNLAG.no, kBelop, true);
    QLineEdit* mva = bound(w, page, "mva", 14, FAK::MVA.no, kBelop, true);
    QLineEdit* total = bound(w, page, "totalsum", 14, FAK::TOTALSUM.no, kBelop, true);
    QLineEdit* avrunding = shown(page, "avrunding", 14);
    for (QLineEdit* e : {sum, grunnlag, mva, total}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    auto* mvaLabel = new QLabel(page);
    mvaLabel->setObjectName(QStringLiteral("mvaledetekst"));
    auto* avrundingLabel = new QLabel(QStringLiteral("Avrunding:"), page);
    totals->addWidget(new QLabel(QStringLiteral("Sum:"), page), 0, 0);
    totals->addWidget(sum, 0, 1);
    totals->addWidget(new QLabel(QStringLiteral("MVA grunnlag:"), page), 1, 0);
    totals->addWidget(grunnlag, 1, 1);
    totals->addWidget(mvaLabel, 2, 0);
    totals->addWidget(mva, 2, 1);
    totals->addWidget(new QLabel(QStringLiteral("Totalsum:"), page), 3, 0);
    totals->addWidget(total, 3, 1);
    totals->addWidget(avrundingLabel, 4, 0);
    totals->addWidget(avrunding, 4, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(buttons, 1);
    bottom->addLayout(totals);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(linjer, 1);
    layout->addLayout(bottom);
    QObject::connect(
        w, &FormWindow::fieldsShown, page,
        [&rules, linjer, mvaLabel, mva, grunnlag, total, avrunding, avrundingLabel] {
            linjer->browse().setTab(0);
            linjer->updateButtons();
            mvaLabel->setText(QString::fromStdString(rules.mvaLedetekst()));
            mva->setEnabled(rules.mvaAapen());
            grunnlag->setEnabled(rules.mvaAapen());
            avrunding->setEnabled(rules.avrundingAapen());
            avrundingLabel->setEnabled(rules.avrundingAapen());
            avrunding->setText(QString::fromStdString(picture::format(kBelop, rules.avrunding())));
            QPalette p = total->palette();
            p.setColor(QPalette::Text,
                       rules.totalsumKreditnota() ? QColor(128, 0, 0) : QColor(0, 0, 128));
            total->setPalette(p);
        });
    return page;
}

} // namespace

void FAKTURAFORM(Context& ctx, int32_t kundeId, std::function<void(int, RowRef)> done)
{
    auto owned = std::make_unique<FakturaForm>(ctx, kundeId);
    FakturaForm& rules = *owned;
    if (rules.start() != LEVEL_BENIGN) {
        done(rules.response(), {});
        return;
    }
    auto* w = new FormWindow(std::move(owned), QString::fromStdString(rules.caption()));
    w->setWindowTitle(QStringLiteral("Faktura"));
    w->setObjectName(QStringLiteral("FAKTURAFORM"));
    auto* layout = new QVBoxLayout(w->body());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    auto* left = new QFormLayout;
    auto* right = new QFormLayout;
    top->addLayout(left, 3);
    top->addLayout(right, 2);
    layout->addLayout(top);

    QLineEdit* nr = shown(w, "fakturanr", 9);
    w->bind(nr, FAK::FAKTURAID.no, "@n_8");
    right->addRow(QStringLiteral("Fakturanr:"), nr);
    QLineEdit* dato = dateField(w, rules, w, "fakturadato", FAK::FAKTURADATO.no,
                                [&rules] { rules.fakturadatoAccepted(); });
    addRow(right, "&Fakturadato:", dato);
    QLineEdit* bet =
        bound(w, w, "betalingsbetingelse", 5, FAK::BETALINGSBETINGELSE.no, "@n_5", true);
    onAccepted(w, bet, [&rules] { rules.betalingsbetingelseAccepted(); });
    addRow(right, "&Betalingsbetingelse:", bet, row({bet, new QLabel(QStringLiteral("dager"), w)}));
    QLineEdit* forfall = bound(w, w, "forfallsdato", 10, FAK::FORFALLSDATO.no, kDato, true);
    forfall->setReadOnly(true);
    right->addRow(QStringLiteral("Forfallsdato:"), forfall);

    QLineEdit* kunde = bound(w, w, "kundeid", 9, FAK::KUNDEID.no, "@n_8B", true);
    QLineEdit* navn = bound(w, w, "kundenavn", 30, FAK::KUNDENAVN.no, "@s50");
    if (rules.kundeLast()) {
        kunde->setEnabled(false);
        navn->setEnabled(false);
    } else {
        onAccepted(w, kunde, [&rules] { rules.kundeAccepted(); });
        if (!rules.readOnly())
            installLookup(kunde, [w, &rules, &ctx] {
                w->commitFields(true);
                QPointer<FormWindow> alive(w);
                procedures::KUNDEKARTOTEK(ctx, [alive, &rules](int response) {
                    if (!alive || response != RequestCompleted)
                        return;
                    rules.kundeValgt();
                    alive->showFields();
                    emit alive->fieldsShown();
                });
            });
    }
    addRow(left, "&Kunde:", kunde, row({kunde, navn}, false));
    addRow(left, "Adresse &1:", bound(w, w, "adresse", 30, FAK::ADRESSE.no, "@s50"));
    addRow(left, "Adresse &2:", bound(w, w, "adresse2", 30, FAK::ADRESSE2.no, "@s50"));
    QLineEdit* postnr = bound(w, w, "postnr", 6, FAK::POSTNR.no, "@n04B", true);
    QLineEdit* poststed = bound(w, w, "poststed", 24, FAK::POSTSTED.no, "@s50");
    onAccepted(w, postnr, [&rules] { rules.postnrAccepted(); });
    onLookup(w, postnr, rules, [&rules, &ctx] {
        rules.record().set(FAK::POSTNR, HENTKODA(ctx, 101, rules.record().get(FAK::POSTNR)));
        rules.postnrAccepted();
    });
    addRow(left, "&Poststed:", postnr, row({postnr, poststed}, false));

    auto* tabs = new QTabWidget(w);
    tabs->setObjectName(QStringLiteral("faner"));
    tabs->addTab(linjePage(w, rules), QStringLiteral("Fakturalinjer"));

    auto* info = new QWidget;
    auto* infoForm = new QFormLayout(info);
    QLineEdit* deres = bound(w, info, "deresreferanse", 30, FAK::DERESREFERANSE.no, "@s50");
    onLookup(w, deres, rules, [&rules, &ctx] {
        Record& r = rules.record();
        if (r.get(FAK::KUNDEID) != 0)
            r.set(FAK::DERESREFERANSE,
                  HENTKONA(ctx, r.get(FAK::KUNDEID), r.get(FAK::DERESREFERANSE)));
    });
    addRow(infoForm, "&Kundereferanse:", deres);
    QLineEdit* var = bound(w, info, "varreferanse", 30, FAK::VARREFERANSE.no, "@s50");
    onLookup(w, var, rules, [&rules] { rules.varReferanseStandard(); });
    addRow(infoForm, "&Leverandørreferanse:", var);
    auto* melding = new QPlainTextEdit(info);
    melding->setObjectName(QStringLiteral("melding"));
    melding->setTabChangesFocus(true);
    melding->setMaximumHeight(melding->fontMetrics().height() * 4);
    w->bindText(melding, FAK::MELDING.no);
    addRow(infoForm, "&Melding:", melding);
    auto* beskrivelse = new QPlainTextEdit(info);
    beskrivelse->setObjectName(QStringLiteral("beskrivelse"));
    beskrivelse->setTabChangesFocus(true);
    w->bindMemo(beskrivelse, FAK::BESKRIVELSE.no);
    addRow(infoForm, "&Beskrivelse:", beskrivelse);
    tabs->addTab(info, QStringLiteral("Fakturainfo"));

    auto* ekstra = new QWidget;
    ekstra->setObjectName(QStringLiteral("EGENDEFINERTTAB"));
    ekstra->setMinimumSize(560, 240);
    if (OPPRETTEGENDEFINERTEFELT(*w, 3, ekstra, 0, 0) > 0)
        tabs->addTab(ekstra, QStringLiteral("Ekstra"));
    else
        delete ekstra;

    auto* status = new QWidget;
    auto* statusForm = new QFormLayout(status);
    QLineEdit* fs = bound(w, status, "fakturastatus", 5, FAK::FAKTURASTATUS.no, "@n_5B", true);
    onAccepted(w, fs, [&rules] { rules.statusAccepted(); });
    onLookup(w, fs, rules, [&rules, &ctx] {
        Record& r = rules.record();
        r.set(FAK::FAKTURASTATUS, HENTKODA(ctx, 105, r.get(FAK::FAKTURASTATUS)));
        rules.statusAccepted();
    });
    addRow(statusForm, "Faktura&status:", fs, row({fs, textOf(w, "fakturastatustekst", [&rules] {
                                                       return rules.fakturastatusTekst();
                                                   })}));
    QLineEdit* us = bound(w, status, "utskriftstatus", 5, FAK::UTSKRIFTSTATUS.no, "@n_5B", true);
    onAccepted(w, us, [] {});
    onLookup(w, us, rules, [&rules, &ctx] {
        Record& r = rules.record();
        r.set(FAK::UTSKRIFTSTATUS, HENTKODA(ctx, 108, r.get(FAK::UTSKRIFTSTATUS)));
    });
    addRow(statusForm, "Ut&skriftstatus:", us, row({us, textOf(w, "utskriftstatustekst", [&rules] {
                                                        return rules.utskriftstatusTekst();
                                                    })}));
    addRow(statusForm,
           "Betalt &dato:", dateField(w, rules, status, "betaltdato", FAK::BETALTDATO.no));
    auto* typer = new QButtonGroup(status);
    auto* typeBox = new QVBoxLayout;
    const char* navnene[] = {"Ingen MVA beregning", "Alle priser er oppgitt uten MVA",
                             "Alle priser er oppgitt med MVA"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(navnene[i]), status);
        b->setObjectName(QStringLiteral("mvatype%1").arg(i));
        b->setEnabled(!rules.readOnly());
        typer->addButton(b, i);
        typeBox->addWidget(b);
    }
    w->bind(typer, FAK::MVATYPE.no);
    QObject::connect(typer, &QButtonGroup::idClicked, w, [w, &rules](int) {
        w->commitFields(true);
        rules.mvaTypeAccepted();
        w->showFields();
        emit w->fieldsShown();
    });
    statusForm->addRow(QStringLiteral("MVA:"), typeBox);
    QLineEdit* od =
        bound(w, status, "opprinneligfakturadato", 10, FAK::OPPRINNELIGFAKTURADATO.no, kDato, true);
    QLineEdit* of = bound(w, status, "opprinneligforfallsdato", 10, FAK::OPPRINNELIGFORFALLSDATO.no,
                          kDato, true);
    od->setReadOnly(true);
    of->setReadOnly(true);
    statusForm->addRow(QStringLiteral("Opprinnelig fakturadato:"), od);
    statusForm->addRow(QStringLiteral("Opprinnelig forfallsdato:"), of);
    auto* kreditt = new QCheckBox(QStringLiteral("Kreditnota"), status);
    kreditt->setObjectName(QStringLiteral("kreditnota"));
    w->bind(kreditt, FAK::KREDITNOTA.no);
    QObject::connect(kreditt, &QCheckBox::clicked, w, [w, &rules] {
        w->commitFields(true);
        rules.summer();
        w->showFields();
        emit w->fieldsShown();
    });
    statusForm->addRow(kreditt);
    tabs->addTab(status, QStringLiteral("Status"));
    tabs->addTab(prosjektPage(w, rules, FAK::PROSJEKTID.no, FAK::PRJLINJEID.no),
                 QStringLiteral("Prosjekt"));
    tabs->addTab(memoTab(w, "div", FAK::DIV.no, nullptr), QStringLiteral("Div"));
    layout->addWidget(tabs, 1);

    w->setFirstField(rules.kundeLast() ? dato : kunde);
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre faktura"));
    emit w->fieldsShown();
}

} // namespace tavlo::desktop
