#include "invoices/view/dokumentvindu.h"

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
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/context.h"
#include "data/lookups.h"
#include "framework/picture.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lookupkeys.h"

namespace tavlo::desktop::dokument {

namespace {

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

void redraw(FormWindow* w)
{
    w->showFields();
    emit w->fieldsShown();
}

} // namespace

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretch)
{
    auto* r = new QHBoxLayout;
    for (QWidget* x : widgets)
        r->addWidget(x, x == *std::prev(widgets.end()) && !stretch ? 1 : 0);
    if (stretch)
        r->addStretch(1);
    return r;
}

QLineEdit* bound(FormWindow* w, QWidget* parent, const char* name, int chars, int field,
                 const std::string& picture, bool number)
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

QLineEdit* dateField(FormWindow* w, WindowManager& rules, QWidget* parent, const char* name,
                     int field, std::function<void()> accepted)
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

QWidget* memoTab(FormWindow* w, const char* name, int memo, const char* note)
{
    QWidget* page = memoPage(w, name, memo);
    if (note)
        page->layout()->addWidget(new QLabel(QString::fromUtf8(note), page));
    return page;
}

Hodevindu hodevindu(std::unique_ptr<DokumentForm> owned, int started, const char* title,
                    const char* name, FormDone& done)
{
    if (started != LEVEL_BENIGN) {
        if (done)
            done(owned->response(), {});
        return {};
    }
    const QString caption = QString::fromStdString(owned->caption());
    Hodevindu v;
    v.w = new FormWindow(std::move(owned), caption);
    v.w->setWindowTitle(QString::fromUtf8(title));
    v.w->setObjectName(QString::fromLatin1(name));
    v.layout = new QVBoxLayout(v.w->body());
    v.layout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    v.left = new QFormLayout;
    v.right = new QFormLayout;
    top->addLayout(v.left, 3);
    top->addLayout(v.right, 2);
    v.layout->addLayout(top);
    return v;
}

QLineEdit* datoOgBetingelse(FormWindow* w, DokumentForm& rules, QFormLayout* form)
{
    const HodeFelt& f = rules.hode();
    QLineEdit* dato = dateField(w, rules, w, "fakturadato", f.fakturadato.no,
                                [&rules] { rules.fakturadatoAccepted(); });
    addRow(form, "&Fakturadato:", dato);
    QLineEdit* bet = bound(w, w, "betalingsbetingelse", 5, f.betalingsbetingelse.no, "@n_5", true);
    onAccepted(w, bet, [&rules] { rules.betalingsbetingelseAccepted(); });
    addRow(form, "&Betalingsbetingelse:", bet, row({bet, new QLabel(QStringLiteral("dager"), w)}));
    return dato;
}

QLineEdit* kundeblokk(FormWindow* w, DokumentForm& rules, QFormLayout* form)
{
    const HodeFelt& f = rules.hode();
    Context& ctx = rules.context();
    QLineEdit* kunde = bound(w, w, "kundeid", 9, f.kundeId.no, "@n_8B", true);
    QLineEdit* navn = bound(w, w, "kundenavn", 30, f.kundenavn.no, "@s50");
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
                    redraw(alive);
                });
            });
    }
    addRow(form, "&Kunde:", kunde, row({kunde, navn}, false));
    addRow(form, "Adresse &1:", bound(w, w, "adresse", 30, f.adresse.no, "@s50"));
    addRow(form, "Adresse &2:", bound(w, w, "adresse2", 30, f.adresse2.no, "@s50"));
    QLineEdit* postnr = bound(w, w, "postnr", 6, f.postnr.no, "@n04B", true);
    QLineEdit* poststed = bound(w, w, "poststed", 24, f.poststed.no, "@s50");
    onAccepted(w, postnr, [&rules] { rules.postnrAccepted(); });
    onLookup(w, postnr, rules, [&rules, &ctx, &f] {
        rules.record().set(f.postnr, HENTKODA(ctx, 101, rules.record().get(f.postnr)));
        rules.postnrAccepted();
    });
    addRow(form, "&Poststed:", postnr, row({postnr, poststed}, false));
    return kunde;
}

QWidget* linjeside(FormWindow* w, DokumentForm& rules, LinjeVindu apneLinje)
{
    const HodeFelt& h = rules.hode();
    const LinjeFelt& f = rules.linjeFelt();
    auto* page = new QWidget;
    auto list = rules.linjer();
    auto refresh = [w, &rules, &h] {
        rules.summer();
        w->showFields({h.sum.no, h.mvaGrunnlag.no, h.mva.no, h.totalsum.no});
        emit w->fieldsShown();
    };
    list->updateProcedure = [&rules, refresh, apneLinje](Context& c, BrowseClass::FormDone done) {
        apneLinje(c, rules.felles(), [refresh, done = std::move(done)](int r, RowRef at) {
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
            QObject::connect(
                b, &QPushButton::clicked, page, [linjer, &rules, &f, refresh, up = up] {
                    PagedTableModel& m = linjer->browse().model();
                    if (m.currentRow() < 0 || m.loadRecord(m.currentRow()) != LEVEL_BENIGN)
                        return;
                    Record& l = rules.context().rec(f.tabell);
                    const int32_t id = l.get(f.id);
                    if (up ? rules.flyttOpp() : rules.flyttNed()) {
                        m.refresh();
                        for (int r = 0; r < m.rowCount(); ++r)
                            if (m.loadRecord(r) == LEVEL_BENIGN && l.get(f.id) == id)
                                m.setCurrentRow(r);
                    }
                    refresh();
                });
        }
    }
    buttons->addStretch(1);

    auto* totals = new QGridLayout;
    QLineEdit* sum = bound(w, page, "sum", 14, h.sum.no, kBelop, true);
    QLineEdit* grunnlag = bound(w, page, "mvagrunnlag", 14, h.mvaGrunnlag.no, kBelop, true);
    QLineEdit* mva = bound(w, page, "mva", 14, h.mva.no, kBelop, true);
    QLineEdit* total = bound(w, page, "totalsum", 14, h.totalsum.no, kBelop, true);
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

QWidget* infoside(FormWindow* w, DokumentForm& rules, int meldingFelt, int beskrivelseMemo)
{
    const HodeFelt& f = rules.hode();
    Context& ctx = rules.context();
    auto* info = new QWidget;
    auto* infoForm = new QFormLayout(info);
    QLineEdit* deres = bound(w, info, "deresreferanse", 30, f.deresReferanse.no, "@s50");
    onLookup(w, deres, rules, [&rules, &ctx, &f] {
        Record& r = rules.record();
        if (r.get(f.kundeId) != 0)
            r.set(f.deresReferanse, HENTKONA(ctx, r.get(f.kundeId), r.get(f.deresReferanse)));
    });
    addRow(infoForm, "&Kundereferanse:", deres);
    QLineEdit* var = bound(w, info, "varreferanse", 30, f.varReferanse.no, "@s50");
    onLookup(w, var, rules, [&rules] { rules.varReferanseStandard(); });
    addRow(infoForm, "&Leverandørreferanse:", var);
    auto* melding = new QPlainTextEdit(info);
    melding->setObjectName(QStringLiteral("melding"));
    melding->setTabChangesFocus(true);
    melding->setMaximumHeight(melding->fontMetrics().height() * 4);
    w->bindText(melding, meldingFelt);
    addRow(infoForm, "&Melding:", melding);
    auto* beskrivelse = new QPlainTextEdit(info);
    beskrivelse->setObjectName(QStringLiteral("beskrivelse"));
    beskrivelse->setTabChangesFocus(true);
    w->bindMemo(beskrivelse, beskrivelseMemo);
    addRow(infoForm, "&Beskrivelse:", beskrivelse);
    return info;
}

void mvatyper(FormWindow* w, DokumentForm& rules, QWidget* parent, QFormLayout* form)
{
    auto* typer = new QButtonGroup(parent);
    auto* typeBox = new QVBoxLayout;
    const char* navnene[] = {"Ingen MVA beregning", "Alle priser er oppgitt uten MVA",
                             "Alle priser er oppgitt med MVA"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(navnene[i]), parent);
        b->setObjectName(QStringLiteral("mvatype%1").arg(i));
        b->setEnabled(!rules.readOnly());
        typer->addButton(b, i);
        typeBox->addWidget(b);
    }
    w->bind(typer, rules.hode().mvaType.no);
    QObject::connect(typer, &QButtonGroup::idClicked, w, [w, &rules](int) {
        w->commitFields(true);
        rules.mvaTypeAccepted();
        redraw(w);
    });
    form->addRow(QStringLiteral("MVA:"), typeBox);
}

QLineEdit* linjefelter(FormWindow* w, DokumentLinjeForm& rules, QWidget* page, QFormLayout* form,
                       bool mvaAapen, std::function<void(bool open)> extra)
{
    const LinjeFelt& f = rules.linjeFelt();
    Context& ctx = rules.context();
    QLineEdit* produkt = bound(w, page, "produktid", 9, f.produktId.no, "@n_8B", true);
    QLineEdit* navn = bound(w, page, "produktnavn", 30, f.produktnavn.no, "@s50");
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
                redraw(alive);
            });
        });
    addRow(form, "&Produkt:", produkt, row({produkt, navn}, false));
    QLineEdit* enhet = bound(w, page, "enhet", 10, f.enhet.no, "@s20");
    addRow(form, "&Enhet:", enhet);
    auto* mva = new QGroupBox(page);
    mva->setObjectName(QStringLiteral("mvagruppe"));
    QLineEdit* sats = bound(w, mva, "mvasats", 4, f.mvaSats.no, "@n3", true);
    auto* pliktig = new QCheckBox(QStringLiteral("&MVA pliktig"), mva);
    pliktig->setObjectName(QStringLiteral("mvapliktig"));
    w->bind(pliktig, f.mvaPliktig.no);
    QObject::connect(pliktig, &QCheckBox::clicked, w, [w, &rules, &f] {
        w->commitFields(true);
        rules.mvapliktigAccepted();
        w->showFields({f.mvaSats.no});
    });
    auto* mvaRow = new QHBoxLayout(mva);
    auto* satsLabel = new QLabel(QStringLiteral("MVA &sats:"), mva);
    satsLabel->setBuddy(sats);
    mvaRow->addWidget(satsLabel);
    mvaRow->addWidget(sats);
    mvaRow->addWidget(pliktig);
    mvaRow->addStretch(1);
    mva->setEnabled(mvaAapen);
    form->addRow(mva);

    auto* belop = new QGroupBox(QStringLiteral("Beløp:"), page);
    auto* grid = new QFormLayout(belop);
    QLineEdit* pris = bound(w, belop, "enhetspris", 14, f.enhetspris.no, kBelop, true);
    QLineEdit* antall = bound(w, belop, "antall", 14, f.antall.no, kBelop, true);
    QLineEdit* rabatt = bound(w, belop, "rabatt", 8, f.rabatt.no, "@n-7`2", true);
    rabatt->setToolTip(QStringLiteral("Rabatt i prosent"));
    QLineEdit* delsum = shown(belop, "delsum", 14);
    QLineEdit* kroner = shown(belop, "rabattkroner", 14);
    QLineEdit* sum = bound(w, belop, "sum", 14, f.sum.no, kBelop, true);
    sum->setReadOnly(true);
    onAccepted(w, pris, [&rules] { rules.enhetsprisAccepted(); });
    onAccepted(w, antall, [&rules] { rules.antallAccepted(); });
    onAccepted(w, rabatt, [&rules] { rules.rabattAccepted(); });
    addRow(grid, "Enhets&pris:", pris);
    addRow(grid, "&Antall:", antall, row({antall, delsum}));
    addRow(grid, "&Rabatt:", rabatt, row({rabatt, kroner}));
    auto* overskrift = new QCheckBox(QStringLiteral("&Overskrift"), belop);
    overskrift->setObjectName(QStringLiteral("overskrift"));
    w->bind(overskrift, f.overskrift.no);
    grid->addRow(overskrift);
    addRow(grid, "&Sum:", sum);
    form->addRow(belop);

    auto heading = [&rules, produkt, mva, antall, enhet, rabatt, pris, mvaAapen, extra] {
        const bool open = !rules.erOverskrift() && !rules.readOnly();
        for (QWidget* c : std::initializer_list<QWidget*>{produkt, antall, enhet, rabatt, pris})
            c->setEnabled(open);
        mva->setEnabled(open && mvaAapen);
        if (extra)
            extra(open);
    };
    QObject::connect(overskrift, &QCheckBox::clicked, w, [w, &rules, heading] {
        w->commitFields(true);
        rules.overskriftChanged();
        redraw(w);
        heading();
    });
    QObject::connect(w, &FormWindow::fieldsShown, w, [&rules, delsum, kroner, heading] {
        delsum->setText(QString::fromStdString(picture::format(kBelop, rules.delsum())));
        kroner->setText(QString::fromStdString(picture::format(kBelop, rules.rabattkroner())));
        heading();
    });
    return produkt;
}

Linjevindu linjevindu(std::unique_ptr<DokumentLinjeForm> owned, int started, const char* title,
                      const char* name, FormDone& done)
{
    if (started != LEVEL_BENIGN) {
        if (done)
            done(owned->response(), {});
        return {};
    }
    const QString caption = QString::fromStdString(owned->caption());
    Linjevindu v;
    v.w = new FormWindow(std::move(owned), caption);
    v.w->setWindowTitle(QString::fromUtf8(title));
    v.w->setObjectName(QString::fromLatin1(name));
    v.tabs = new QTabWidget(v.w->body());
    v.tabs->setObjectName(QStringLiteral("faner"));
    auto* body = new QVBoxLayout(v.w->body());
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(v.tabs);
    return v;
}

void visLinjevindu(FormWindow* w, QWidget* first, FormDone done)
{
    w->setFirstField(first);
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre fakturalinje"));
    if (w->cancelButton())
        w->cancelButton()->setText(QStringLiteral("Avbryt"));
    emit w->fieldsShown();
}

void linjememoer(FormWindow* w, DokumentLinjeForm& rules, QTabWidget* tabs)
{
    const LinjeFelt& f = rules.linjeFelt();
    QWidget* beskrivelse =
        memoTab(w, "beskrivelse", f.beskrivelse.no, "NB! Beskrivelsen vil bli synlig på faktura.");
    tabs->addTab(beskrivelse, QStringLiteral("Beskrivelse"));
    tabs->addTab(memoTab(w, "div", f.div.no, "NB! Diverse vil ikke bli synlig på faktura."),
                 QStringLiteral("Div"));
    QObject::connect(w, &FormWindow::fieldsShown, w, [&rules, &f, tabs, beskrivelse] {
        const bool tekst = !rules.record().get(f.beskrivelse).empty();
        tabs->tabBar()->setTabTextColor(tabs->indexOf(beskrivelse), tekst ? Qt::red : QColor());
    });
}

} // namespace tavlo::desktop::dokument
