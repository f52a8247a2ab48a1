// The customer form "Kunde" and the contact form, bound to their rules.
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

#include "customers/kundeform.h"
#include "customers/view/customers_view.h"
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
#include "framework/widgets/slotcommand.h"

namespace tavlo::desktop {

namespace {

// The main contact's row in red, selected or not.
class HovedkontaktDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(PagedTableModel::MarkRole).toInt() == 1) {
            option->palette.setColor(QPalette::Text, Qt::red);
            option->palette.setColor(QPalette::HighlightedText, Qt::white);
            option->palette.setColor(QPalette::Highlight, Qt::red);
        }
    }
};

// The customer's contact persons: the list, its buttons and the main contact's mark.
QWidget* kontaktPage(FormWindow* w, KundeForm& rules)
{
    auto* page = new QWidget;
    auto list = rules.kontakter();
    list->updateProcedure = [&rules](Context& c, BrowseClass::FormDone done) {
        const int request = GlobalRequest;
        const int32_t id = c.rec(Tbl::KONTAKT).get(KON::KONTAKTID);
        KONTAKTFORM(c, [&rules, request, id, done = std::move(done)](int response, RowRef at) {
            if (request == DeleteRecord && response == RequestCompleted)
                rules.kontaktSlettet(id);
            done(response, at);
        });
    };
    auto* kontakter = new BrowseWidget(std::move(list), page);
    kontakter->setObjectName(QStringLiteral("kontakter"));
    kontakter->table()->setItemDelegate(new HovedkontaktDelegate(kontakter->table()));
    // Room for a handful of contacts however small the form opens.
    kontakter->table()->setMinimumHeight(kontakter->fontMetrics().height() * 12);

    auto* buttons = new QHBoxLayout;
    if (!rules.readOnly()) {
        const std::pair<const char*, int> actions[] = {{"Ny kontaktperson", InsertRecord},
                                                       {"Endre/vise kontaktperson", ChangeRecord},
                                                       {"Slette kontakperson", DeleteRecord}};
        for (const auto& [text, action] : actions) {
            auto* b = new QPushButton(QString::fromUtf8(text), page);
            kontakter->connectButton(b, action);
            buttons->addWidget(b);
        }
        auto* mark = new QPushButton(QStringLiteral("Marker &hovedkontakt"), page);
        mark->setObjectName(QStringLiteral("hovedkontakt"));
        auto* clear = new QPushButton(page);
        clear->setObjectName(QStringLiteral("fjernHovedkontakt"));
        clear->setIcon(page->style()->standardIcon(QStyle::SP_DialogResetButton));
        clear->setToolTip(QStringLiteral("Ingen hovedkontakt"));
        QObject::connect(mark, &QPushButton::clicked, page, [kontakter, &rules] {
            PagedTableModel& m = kontakter->browse().model();
            if (m.currentRow() < 0 || m.loadRecord(m.currentRow()) != LEVEL_BENIGN)
                return;
            rules.markHovedkontakt(rules.context().rec(Tbl::KONTAKT).get(KON::KONTAKTID));
            m.refresh();
        });
        QObject::connect(clear, &QPushButton::clicked, page, [kontakter, &rules] {
            rules.fjernHovedkontakt();
            kontakter->browse().model().refresh();
        });
        buttons->addStretch(1);
        buttons->addWidget(mark);
        buttons->addWidget(clear);
    }
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(kontakter, 1);
    layout->addLayout(buttons);
    QObject::connect(w, &FormWindow::fieldsShown, kontakter, [kontakter] {
        kontakter->browse().setTab(0);
        kontakter->updateButtons();
    });
    return page;
}

QWidget* okonomiPage(FormWindow* w)
{
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    auto* bet = numberEntry(page, "betalingsbetingelser", 6);
    w->bind(bet, KUN::BETALINGSBETINGELSER.no, "@n_5B");
    auto* betRow = new QHBoxLayout;
    betRow->addWidget(bet);
    betRow->addWidget(new QLabel(QStringLiteral("Dager"), page));
    betRow->addStretch(1);
    addRow(form, "&Betalingsbetingelse:", bet, betRow);
    auto* kreditt = numberEntry(page, "kredittgrense", 14);
    w->bind(kreditt, KUN::KREDITTGRENSE.no, "@n-15.`2");
    addRow(form, "&Kredittgrense:", kreditt);
    auto* rabatt = numberEntry(page, "rabatt", 8);
    w->bind(rabatt, KUN::RABATT.no, "@n-_8`2");
    addRow(form, "&Rabatt:", rabatt);
    return page;
}

// A button of a list whose form or printout belongs to a module above this one.
struct SlotButton {
    const char* text;
    int action;
    const SlotBase& procedure;
    // Calls the empty slot, which says the window comes later.
    std::function<void()> later;
};

// Once the module has filled the slot, each button goes through the list, which loads the row
// (or primes a new record of this customer) before it starts the procedure.
QHBoxLayout* slotButtons(QWidget* page, BrowseWidget* list,
                         std::initializer_list<SlotButton> buttons)
{
    auto* row = new QHBoxLayout;
    for (const SlotButton& s : buttons) {
        auto* b = new QPushButton(QString::fromUtf8(s.text), page);
        if (s.procedure.filled()) {
            namesProcedure(b, s.procedure);
            list->connectButton(b, s.action);
        } else {
            startsProcedure(b, s.procedure, s.later);
        }
        row->addWidget(b);
    }
    row->addStretch(1);
    return row;
}

// The invoice's status as text, the row in the status's colour, selected or not.
class FakturaDelegate : public QStyledItemDelegate {
  public:
    FakturaDelegate(Context& ctx, QObject* parent) : QStyledItemDelegate(parent), ctx_(ctx) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const FakturaStatus s = fakturaStatus(ctx_, index.data(PagedTableModel::MarkRole).toInt());
        if (index.column() == kStatusColumn)
            option->text = QString::fromStdString(s.tekst);
        if (s.farge && *s.farge >= 0) {
            const int32_t c = *s.farge;
            const QColor colour(c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
            option->palette.setColor(QPalette::Text, colour);
            option->palette.setColor(QPalette::Highlight, colour);
        }
    }

  private:
    static constexpr int kStatusColumn = 4;
    Context& ctx_;
};

// The customer's invoices for a period, with the period's total and what of it is paid.
QWidget* fakturaPage(KundeForm& rules)
{
    auto* page = new QWidget;
    auto* fakturaer = new BrowseWidget(rules.fakturaer(), page);
    fakturaer->setObjectName(QStringLiteral("fakturaer"));
    fakturaer->table()->setItemDelegate(new FakturaDelegate(rules.context(), fakturaer->table()));
    fakturaer->table()->setMinimumHeight(fakturaer->fontMetrics().height() * 12);
    BrowseClass& list = fakturaer->browse();

    auto* fra = numberEntry(page, "fakturafradato", 10);
    auto* til = numberEntry(page, "fakturatildato", 10);
    auto* betalt = numberEntry(page, "betaltsum", 14);
    auto* total = numberEntry(page, "totalsumfakturaer", 14);
    for (QLineEdit* e : {betalt, total})
        e->setReadOnly(true);
    auto date = [](QLineEdit* e) {
        return picture::parseDate("@d06.B", e->text().toStdString()).value_or(0);
    };
    auto reread = [&rules, &list, fra, til, betalt, total, date] {
        const int32_t f = date(fra), t = date(til);
        fra->setText(QString::fromStdString(picture::formatDate("@d06.B", f)));
        til->setText(QString::fromStdString(picture::formatDate("@d06.B", t)));
        rules.setFakturaPeriode(list, f, t);
        const KundeForm::Summer sum = rules.fakturaSummer(list);
        betalt->setText(QString::fromStdString(picture::format("@n-14.`2", sum.betalt)));
        total->setText(QString::fromStdString(picture::format("@n-14.`2", sum.total)));
    };
    for (QLineEdit* e : {fra, til}) {
        QObject::connect(e, &QLineEdit::editingFinished, page, reread);
        installLookup(e, [e, reread, date] {
            e->setText(QString::fromStdString(picture::formatDate("@d06.B", HENTDATO(date(e)))));
            reread();
        });
    }
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Periode:"), page));
    bottom->addWidget(fra);
    bottom->addWidget(til);
    bottom->addStretch(1);
    bottom->addWidget(new QLabel(QStringLiteral("Sum (Betalt):"), page));
    bottom->addWidget(betalt);
    bottom->addWidget(new QLabel(QStringLiteral("Total:"), page));
    bottom->addWidget(total);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(fakturaer, 1);
    layout->addLayout(bottom);
    if (!rules.readOnly()) {
        Context& ctx = rules.context();
        const int32_t kundeId = rules.record().get(KUN::KUNDEID);
        auto form = [&ctx, kundeId] { procedures::FAKTURAFORM(ctx, kundeId, {}); };
        layout->addLayout(
            slotButtons(page, fakturaer,
                        {{"Ny faktura", InsertRecord, procedures::FAKTURAFORM, form},
                         {"Endre/vise faktura", ChangeRecord, procedures::FAKTURAFORM, form},
                         {"Slett faktura", DeleteRecord, procedures::FAKTURAFORM, form},
                         {"Skriv ut faktura", PrintRecord, procedures::VELGFAKTURARAPPORT,
                          [&ctx] { procedures::VELGFAKTURARAPPORT(ctx, 0); }}}));
    }
    reread();
    return page;
}

// The customer's billing bases; their form belongs to the billing module.
QWidget* grunnlagPage(KundeForm& rules)
{
    auto* page = new QWidget;
    auto* grunnlag = new BrowseWidget(rules.grunnlag(), page);
    grunnlag->setObjectName(QStringLiteral("grunnlag"));
    grunnlag->table()->setMinimumHeight(grunnlag->fontMetrics().height() * 12);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(grunnlag, 1);
    if (!rules.readOnly()) {
        Context& ctx = rules.context();
        const int32_t kundeId = rules.record().get(KUN::KUNDEID);
        auto form = [&ctx, kundeId] { procedures::GRUNNLAGFORM(ctx, kundeId, {}); };
        layout->addLayout(
            slotButtons(page, grunnlag,
                        {{"Nytt grunnlag", InsertRecord, procedures::GRUNNLAGFORM, form},
                         {"Endre/vise grunnlag", ChangeRecord, procedures::GRUNNLAGFORM, form},
                         {"Slett grunnlag", DeleteRecord, procedures::GRUNNLAGFORM, form}}));
    }
    grunnlag->browse().setTab(0);
    return page;
}

} // namespace

void openKundeForm(Context& ctx, std::function<void(int response, RowRef inserted)> done)
{
    auto owned = std::make_unique<KundeForm>(ctx);
    KundeForm& rules = *owned;
    if (rules.start() != LEVEL_BENIGN) {
        done(rules.response(), {});
        return;
    }
    auto* w = new FormWindow(std::move(owned), QString::fromStdString(rules.caption()));
    w->setWindowTitle(QString::fromStdString(rules.caption()));
    w->setObjectName(QStringLiteral("KundeForm"));

    auto* layout = new QVBoxLayout(w->body());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    auto* kundenr = numberEntry(w, "kundenr", 9);
    kundenr->setReadOnly(true);
    w->bind(kundenr, KUN::KUNDEID.no, "@n_8B");
    form->addRow(QStringLiteral("Kundenr:"), kundenr);
    auto* dato = numberEntry(w, "registreringsdato", 10);
    w->bind(dato, KUN::REGISTRERINGSDATO.no, "@d06.B");
    form->addRow(QStringLiteral("Registreringsdato:"), dato);
    struct Text {
        const char* label;
        const char* name;
        int field;
        int length;
    };
    auto texts = [&](std::initializer_list<Text> list) {
        for (const Text& t : list) {
            auto* e = entry(w, t.name, t.length > 30 ? 30 : t.length, t.length);
            w->bind(e, t.field, "@s" + std::to_string(t.length));
            addRow(form, t.label, e);
        }
    };
    texts({{"&Navn:", "navn", KUN::NAVN.no, 50},
           {"&Adresse:", "adresse", KUN::ADRESSE.no, 50},
           {"Adresse &2:", "adresse2", KUN::ADRESSE2.no, 50}});

    // A code with its text beside it, looked up with F4 or the right button.
    auto coded = [&](const char* label, const char* name, IntField field, const char* picture,
                     int32_t group) {
        auto* e = numberEntry(w, name, 6);
        w->bind(e, field.no, picture);
        auto* text = new QLabel(w);
        text->setObjectName(QString::fromLatin1(name) + QStringLiteral("tekst"));
        auto* row = new QHBoxLayout;
        row->addWidget(e);
        row->addWidget(text, 1);
        addRow(form, label, e, row);
        if (!rules.readOnly())
            installLookup(e, [w, &rules, field, group] {
                w->commitFields(true);
                Record& r = rules.record();
                r.set(field, HENTKODA(rules.context(), group, r.get(field)));
                w->showFields({field.no});
                emit w->fieldsShown();
            });
        QObject::connect(e, &QLineEdit::editingFinished, w, [w] {
            if (w->commitFields(true))
                emit w->fieldsShown();
        });
        return text;
    };
    QLabel* poststed = coded("&Poststed:", "postnr", KUN::POSTNR, "@n04B", 101);
    texts({{"&Telefon:", "telefon", KUN::TELEFON.no, 20},
           {"&Mobil:", "mobil", KUN::MOBIL.no, 20},
           {"&Faks:", "faks", KUN::FAKS.no, 20},
           {"&E-mail:", "email", KUN::EMAIL.no, 127}});
    QLabel* gruppe = coded("&Kundegruppe:", "kundegruppe", KUN::KUNDEGRUPPE, "@n_5B", 103);
    QObject::connect(w, &FormWindow::fieldsShown, w, [&rules, poststed, gruppe] {
        poststed->setText(QString::fromStdString(rules.poststed()));
        gruppe->setText(QString::fromStdString(rules.kundegruppeTekst()));
    });

    auto* tabs = new QTabWidget(w);
    tabs->setObjectName(QStringLiteral("faner"));
    tabs->addTab(kontaktPage(w, rules), QStringLiteral("Kontakter"));
    tabs->addTab(okonomiPage(w), QStringLiteral("Økonomi"));
    tabs->addTab(fakturaPage(rules), QStringLiteral("Faktura"));
    tabs->addTab(grunnlagPage(rules), QStringLiteral("Grunnlag"));
    auto* ekstra = new QWidget;
    ekstra->setObjectName(QStringLiteral("ekstra"));
    ekstra->setMinimumSize(560, 240);
    if (OPPRETTEGENDEFINERTEFELT(*w, 1, ekstra, 0, 0) > 0)
        tabs->addTab(ekstra, QStringLiteral("Ekstra"));
    else
        delete ekstra;
    auto* notater = new QWidget;
    auto* div = new QPlainTextEdit(notater);
    div->setObjectName(QStringLiteral("div"));
    div->setTabChangesFocus(true);
    div->setToolTip(QStringLiteral("Diverse notater på kunden"));
    w->bindMemo(div, KUN::DIV.no);
    (new QVBoxLayout(notater))->addWidget(div);
    const int last = tabs->addTab(notater, QStringLiteral("Notater"));
    tabs->setTabToolTip(last, QStringLiteral("Diverse notater på kunden"));
    layout->addWidget(tabs, 1);

    w->setFirstField(w->findChild<QLineEdit*>(QStringLiteral("navn")));
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre kunde"));
    if (w->cancelButton())
        w->cancelButton()->setText(QStringLiteral("Avslutt"));
    emit w->fieldsShown();
}

void KONTAKTFORM(Context& ctx, std::function<void(int response, RowRef inserted)> done)
{
    auto owned = std::make_unique<KontaktForm>(ctx);
    KontaktForm& rules = *owned;
    auto* w = new FormWindow(std::move(owned), QString::fromStdString(rules.caption()));
    w->setWindowTitle(QString::fromStdString(rules.caption()));
    w->setObjectName(QStringLiteral("KONTAKTFORM"));
    auto* form = new QFormLayout(w->body());
    form->setContentsMargins(0, 0, 0, 0);

    auto* refnr = numberEntry(w, "refnr", 9);
    refnr->setReadOnly(true);
    refnr->setToolTip(QStringLiteral("Kontaktpersonens entydige referansenummer"));
    w->bind(refnr, KON::KONTAKTID.no, "@n_8B");
    form->addRow(QStringLiteral("Refnr:"), refnr);
    auto* navn = entry(w, "navn", 30, 50);
    w->bind(navn, KON::NAVN.no, "@s50");
    addRow(form, "&Navn:", navn);
    auto* rolle = entry(w, "rollestilling", 30, 50);
    w->bind(rolle, KON::ROLLESTILLING.no, "@s50");
    addRow(form, "&Rolle/stilling:", rolle);
    struct Copy {
        const char* label;
        const char* name;
        int field;
        int length;
        KontaktForm::Felt felt;
    };
    const Copy copies[] = {{"&Telefon:", "telefon", KON::TELEFON.no, 20, KontaktForm::Telefon},
                           {"&Mobil:", "mobil", KON::MOBIL.no, 20, KontaktForm::Mobil},
                           {"&Faks:", "faks", KON::FAKS.no, 20, KontaktForm::Faks},
                           {"&E-post:", "email", KON::EMAIL.no, 127, KontaktForm::Epost}};
    for (const Copy& c : copies) {
        auto* e = entry(w, c.name, 20, c.length);
        w->bind(e, c.field, "@s" + std::to_string(c.length));
        auto* b = new QPushButton(w);
        b->setObjectName(QStringLiteral("kopier") + QString::fromLatin1(c.name));
        b->setIcon(w->style()->standardIcon(QStyle::SP_ArrowLeft));
        b->setToolTip(QStringLiteral("Hent fra kunden"));
        b->setEnabled(!rules.readOnly());
        const int field = c.field;
        const KontaktForm::Felt felt = c.felt;
        QObject::connect(b, &QPushButton::clicked, w, [w, &rules, field, felt] {
            w->commitFields(true);
            if (rules.kopier(felt))
                w->showFields({field});
        });
        auto* row = new QHBoxLayout;
        row->addWidget(e, 1);
        row->addWidget(b);
        addRow(form, c.label, e, row);
    }
    auto* div = new QPlainTextEdit(w);
    div->setObjectName(QStringLiteral("div"));
    div->setTabChangesFocus(true);
    div->setToolTip(QStringLiteral("Diverse kommentarer til kontaktpersonen"));
    w->bindMemo(div, KON::DIV.no);
    addRow(form, "&Div:", div);

    w->setFirstField(navn);
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre kunde"));
}

} // namespace tavlo::desktop
