// The project form "Prosjekt" and the project line form "Prosjektlinje", bound to their rules.
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

#include "customfields/widgets/egendefinertefelt.h"
#include "data/context.h"
#include "data/lookups.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lookupkeys.h"
#include "projects/prosjektform.h"
#include "projects/view/projects_view.h"

namespace tavlo::desktop {

namespace {

constexpr const char* kBelop = "@n-14.`2";
constexpr const char* kDato = "@d06.B";
// Negative differences: dark red, the colour value 128.
const QColor kMorkRod(128, 0, 0);

// The invoice-line or invoice icon before the date of a line that came from one.
class LinjeDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() != 0)
            return;
        const int mark = index.data(PagedTableModel::MarkRole).toInt();
        const QStyle* style = option->widget ? option->widget->style() : nullptr;
        if (!style || mark == 0)
            return;
        option->icon = style->standardIcon(mark == ProsjektForm::MarkFakturalinje
                                               ? QStyle::SP_FileDialogDetailedView
                                               : QStyle::SP_FileIcon);
        option->features |= QStyleOptionViewItem::HasDecoration;
    }
};

// A bound entry whose lookup key picks a new value for its field.
void lookupOn(FormWindow* w, QLineEdit* e, WindowManager& rules, int field,
              std::function<int32_t(int32_t)> pick)
{
    if (rules.readOnly())
        return;
    installLookup(e, [w, &rules, field, pick] {
        w->commitFields(true);
        Record& r = rules.record();
        r.setNum(field, pick(static_cast<int32_t>(r.num(field))));
        w->showFields({field});
        emit w->fieldsShown();
    });
    QObject::connect(e, &QLineEdit::editingFinished, w, [w] {
        if (w->commitFields(true))
            emit w->fieldsShown();
    });
}

// An entry with its text beside it, the text asked for each time the fields are shown.
QHBoxLayout* withText(FormWindow* w, QLineEdit* e, const char* name,
                      std::function<std::string()> text)
{
    auto* row = new QHBoxLayout;
    row->addWidget(e);
    row->addWidget(textOf(w, name, std::move(text)), 1);
    return row;
}

QLineEdit* amount(FormWindow* w, QWidget* parent, const char* name, int field, bool readOnly)
{
    auto* e = numberEntry(parent, name, 14);
    w->bind(e, field, kBelop);
    if (readOnly) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    return e;
}

void colourNegative(QLineEdit* e, bool negative)
{
    QPalette p = e->palette();
    p.setColor(QPalette::Text,
               negative ? kMorkRod : e->style()->standardPalette().color(QPalette::Text));
    e->setPalette(p);
}

void openPrjLinjeForm(Context& ctx, std::function<void(int response, RowRef inserted)> done);

QWidget* regnskapPage(FormWindow* w, ProsjektForm& rules)
{
    auto* page = new QWidget;
    auto list = rules.linjer();
    list->updateProcedure = [w, &rules](Context& c, BrowseClass::FormDone done) {
        if (GlobalRequest == InsertRecord) {
            w->commitFields(true);
            if (!rules.kanLeggeTilLinjer()) {
                done(RequestCancelled, {});
                return;
            }
        }
        openPrjLinjeForm(c, [w, &rules, done = std::move(done)](int response, RowRef at) {
            done(response, at);
            // The totals follow the lines on screen at once; they are stored with the project.
            rules.summer();
            w->showFields(
                {PRJ::TOTALTINN.no, PRJ::TOTALTUT.no, PRJ::TOTALTDIFF.no, PRJ::BUDSJETTDIFF.no});
            emit w->fieldsShown();
        });
    };
    auto* linjer = new BrowseWidget(std::move(list), page);
    linjer->setObjectName(QStringLiteral("linjer"));
    linjer->table()->setItemDelegate(new LinjeDelegate(linjer->table()));
    linjer->table()->setMinimumHeight(linjer->fontMetrics().height() * 12);
    // Room for a whole date beside the icons.
    linjer->table()->setColumnWidth(
        1, linjer->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")));

    auto* buttons = new QHBoxLayout;
    if (!rules.readOnly()) {
        const std::pair<const char*, int> actions[] = {{"Nytt prosjektelement", InsertRecord},
                                                       {"Endre/vise prosjektelement", ChangeRecord},
                                                       {"Slette prosjektelement", DeleteRecord}};
        for (const auto& [text, action] : actions) {
            auto* b = new QPushButton(QString::fromUtf8(text), page);
            linjer->connectButton(b, action);
            buttons->addWidget(b);
        }
    }
    buttons->addStretch(1);
    buttons->addWidget(new QLabel(QStringLiteral("Totalt:"), page));
    buttons->addWidget(amount(w, page, "totaltinn", PRJ::TOTALTINN.no, true));
    buttons->addWidget(amount(w, page, "totaltut", PRJ::TOTALTUT.no, true));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(linjer, 1);
    layout->addLayout(buttons);
    QObject::connect(w, &FormWindow::fieldsShown, linjer, [linjer] {
        linjer->browse().setTab(0);
        linjer->updateButtons();
    });
    return page;
}

QWidget* resultatPage(FormWindow* w, ProsjektForm& rules)
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout;
    const char* heads[] = {"Inn", "Ut", "Diff"};
    for (int c = 0; c < 3; ++c)
        grid->addWidget(new QLabel(QString::fromUtf8(heads[c]), page), 0, c + 1, Qt::AlignRight);
    grid->addWidget(new QLabel(QStringLiteral("Budsjett:"), page), 1, 0);
    auto* budInn = amount(w, page, "budsjettinn", PRJ::BUDSJETTINN.no, rules.readOnly());
    auto* budUt = amount(w, page, "budsjettut", PRJ::BUDSJETTUT.no, rules.readOnly());
    auto* budDiff = amount(w, page, "budsjettdiff", PRJ::BUDSJETTDIFF.no, true);
    grid->addWidget(budInn, 1, 1);
    grid->addWidget(budUt, 1, 2);
    grid->addWidget(budDiff, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Totalt:"), page), 2, 0);
    grid->addWidget(amount(w, page, "resultatinn", PRJ::TOTALTINN.no, true), 2, 1);
    grid->addWidget(amount(w, page, "resultatut", PRJ::TOTALTUT.no, true), 2, 2);
    auto* totDiff = amount(w, page, "totaltdiff", PRJ::TOTALTDIFF.no, true);
    grid->addWidget(totDiff, 2, 3);
    for (QLineEdit* e : {budInn, budUt})
        QObject::connect(e, &QLineEdit::editingFinished, w, [w, &rules] {
            if (!w->commitFields(true))
                return;
            rules.differanser();
            w->showFields({PRJ::BUDSJETTDIFF.no, PRJ::TOTALTDIFF.no});
            emit w->fieldsShown();
        });
    QObject::connect(w, &FormWindow::fieldsShown, page, [&rules, budDiff, totDiff] {
        colourNegative(budDiff, rules.budsjettNegativ());
        colourNegative(totDiff, rules.totaltNegativ());
    });
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addStretch(1);
    return page;
}

QLineEdit* dateEntry(FormWindow* w, WindowManager& rules, const char* name, int field)
{
    auto* e = numberEntry(w, name, 10);
    w->bind(e, field, kDato);
    lookupOn(w, e, rules, field, [](int32_t d) { return HENTDATO(d); });
    return e;
}

void openPrjLinjeForm(Context& ctx, std::function<void(int response, RowRef inserted)> done)
{
    auto owned = std::make_unique<PrjLinjeForm>(ctx);
    PrjLinjeForm& rules = *owned;
    auto* w = new FormWindow(std::move(owned), QString::fromStdString(rules.caption()));
    w->setWindowTitle(QString::fromStdString(rules.caption()));
    w->setObjectName(QStringLiteral("PrjLinjeForm"));
    auto* tabs = new QTabWidget(w->body());
    tabs->setObjectName(QStringLiteral("faner"));
    auto* body = new QVBoxLayout(w->body());
    body->setContentsMargins(0, 0, 0, 0);
    body->addWidget(tabs);

    auto* linje = new QWidget;
    auto* form = new QFormLayout(linje);
    auto* tekst = entry(linje, "tekst", 40, 100);
    w->bind(tekst, PLI::TEKST.no, "@s100");
    addRow(form, "&Tekst:", tekst);
    addRow(form, "Beløp &inn:", amount(w, linje, "inn", PLI::INN.no, false));
    addRow(form, "Beløp &ut:", amount(w, linje, "ut", PLI::UT.no, false));
    addRow(form, "&Dato:", dateEntry(w, rules, "dato", PLI::DATO.no));
    tabs->addTab(linje, QStringLiteral("Prosjektlinje"));
    tabs->addTab(memoPage(w, "div", PLI::DIV.no), QStringLiteral("Div"));

    auto* ref = new QWidget;
    auto* refForm = new QFormLayout(ref);
    const std::pair<const char*, int> refs[] = {{"Faktura Id:", PLI::FAKTURAID.no},
                                                {"Fakturalinje Id:", PLI::FAKLINJEID.no},
                                                {"Fakturastatus:", PLI::FAKTURASTATUS.no}};
    for (const auto& [label, field] : refs) {
        auto* e = numberEntry(ref, label, 9);
        e->setObjectName(QString::number(field));
        w->bind(e, field, "@n_8B");
        refForm->addRow(QString::fromUtf8(label), e);
    }
    tabs->addTab(ref, QStringLiteral("Fakturareferanse"));

    w->setFirstField(tekst);
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre prosjektlinje"));
}

} // namespace

void openProsjektForm(Context& ctx, std::function<void(int response, RowRef inserted)> done)
{
    auto owned = std::make_unique<ProsjektForm>(ctx);
    ProsjektForm& rules = *owned;
    if (rules.start() != LEVEL_BENIGN) {
        done(rules.response(), {});
        return;
    }
    auto* w = new FormWindow(std::move(owned), QString::fromStdString(rules.caption()));
    w->setWindowTitle(QString::fromStdString(rules.caption()));
    w->setObjectName(QStringLiteral("ProsjektForm"));

    auto* layout = new QVBoxLayout(w->body());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    // A line holds twenty characters of its project's id: the id is kept to that.
    auto* id = entry(w, "prosjektid", 20, 20);
    w->bind(id, PRJ::PROSJEKTID.no, "@s20");
    addRow(form, "&ProsjektId:", id);
    auto* navn = entry(w, "navn", 40, 100);
    w->bind(navn, PRJ::NAVN.no, "@s100");
    addRow(form, "&Navn:", navn);

    Context* c = &ctx;
    auto* type = numberEntry(w, "type", 6);
    w->bind(type, PRJ::TYPE.no, "@n_5B");
    lookupOn(w, type, rules, PRJ::TYPE.no, [c](int32_t v) { return HENTKODA(*c, 109, v); });
    addRow(form, "&Type:", type,
           withText(w, type, "typetekst", [&rules] { return rules.typeTekst(); }));
    addRow(form, "&Startdato:", dateEntry(w, rules, "startdato", PRJ::STARTDATO.no));
    addRow(form, "St&oppdato:", dateEntry(w, rules, "stoppdato", PRJ::STOPPDATO.no));
    auto* status = numberEntry(w, "status", 6);
    w->bind(status, PRJ::STATUS.no, "@n_5B");
    lookupOn(w, status, rules, PRJ::STATUS.no, [c](int32_t v) { return HENTKODA(*c, 110, v); });
    addRow(form, "&Status:", status,
           withText(w, status, "statustekst", [&rules] { return rules.statusTekst(); }));
    auto* kunde = numberEntry(w, "kunde", 9);
    w->bind(kunde, PRJ::KUNDEID.no, "@n_8B");
    lookupOn(w, kunde, rules, PRJ::KUNDEID.no, [c](int32_t v) { return HENTKUNA(*c, v); });
    addRow(form, "&Kunde:", kunde,
           withText(w, kunde, "kundenavn", [&rules] { return rules.kundeTekst(); }));

    auto* tabs = new QTabWidget(w);
    tabs->setObjectName(QStringLiteral("faner"));
    tabs->addTab(regnskapPage(w, rules), QStringLiteral("Regnskap"));
    tabs->addTab(resultatPage(w, rules), QStringLiteral("Resultat"));
    auto* ekstra = new QWidget;
    ekstra->setObjectName(QStringLiteral("ekstra"));
    ekstra->setMinimumSize(560, 240);
    if (OPPRETTEGENDEFINERTEFELT(*w, 13, ekstra, 0, 0) > 0)
        tabs->addTab(ekstra, QStringLiteral("Ekstra"));
    else
        delete ekstra;
    tabs->addTab(memoPage(w, "div", PRJ::DIV.no), QStringLiteral("Div"));
    layout->addWidget(tabs, 1);

    rules.summer();
    w->setFirstField(rules.originalRequest() == InsertRecord ? id : navn);
    w->start(std::move(done));
    if (w->okButton())
        w->okButton()->setText(QStringLiteral("Lagre prosjekt"));
    emit w->fieldsShown();
}

} // namespace tavlo::desktop
