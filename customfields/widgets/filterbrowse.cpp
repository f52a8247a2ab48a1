#include "customfields/widgets/customfields_view.h"

#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "customfields/filterform.h"
#include "customfields/widgets/tabregister.h"
#include "data/context.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"
#include "framework/widgets/lookupkeys.h"

namespace tavlo {

namespace {

// The highlighted filter's texts, read from hidden columns of the list.
enum HiddenColumn { kFilterColumn = 2, kDescriptionColumn = 3 };

QPlainTextEdit* longText(int lines)
{
    auto* e = new QPlainTextEdit;
    e->setFixedHeight(e->fontMetrics().lineSpacing() * lines + 10);
    return e;
}

} // namespace

TabRegister* filterBrowse(Context& ctx)
{
    auto* w = new TabRegister(ctx, "FILTERBROWSE", QStringLiteral("Filter"), Tbl::FILTER,
                              FIL::KeyTabellNr_FilterNr, FIL::TABELLNR.no, filterTabs(),
                              {{FIL::FILTERNR.no, QStringLiteral("Nr"), "@n_5", {}},
                               {FIL::FILTERNAVN.no, QStringLiteral("Navn"), "@s50", {}},
                               {FIL::FILTERSTRENG.no, QStringLiteral("Filter"), {}, {}},
                               {FIL::BESKRIVELSE.no, QStringLiteral("Beskrivelse"), {}, {}}});
    BrowseWidget* list = w->list();
    list->table()->setColumnHidden(kFilterColumn, true);
    list->table()->setColumnHidden(kDescriptionColumn, true);
    list->table()->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    list->browse().updateProcedure = [w](Context& c, BrowseClass::FormDone done) {
        filterForm(c, w->tableNo(), std::move(done));
    };

    auto* below = new QFormLayout;
    auto* filter = longText(3);
    auto* description = longText(3);
    filter->setReadOnly(true);
    description->setReadOnly(true);
    filter->setObjectName(QStringLiteral("filter"));
    description->setObjectName(QStringLiteral("beskrivelse"));
    below->addRow(QStringLiteral("Filter:"), filter);
    below->addRow(QStringLiteral("Beskrivelse:"), description);
    w->body()->addLayout(below);
    PagedTableModel& model = list->browse().model();
    auto show = [&model, filter, description] {
        const int row = model.currentRow();
        auto cell = [&](int column) {
            return row < 0 ? QString() : model.data(model.index(row, column)).toString();
        };
        filter->setPlainText(cell(kFilterColumn));
        description->setPlainText(cell(kDescriptionColumn));
    };
    QObject::connect(&model, &PagedTableModel::currentRowChanged, filter, show);
    QObject::connect(&model, &QAbstractItemModel::modelReset, filter, show);
    QObject::connect(&model, &QAbstractItemModel::dataChanged, filter, show);
    show();

    w->addButton(QStringLiteral("&Ny"), InsertRecord, QStringLiteral("Nytt egendefinert felt"));
    w->addButton(QStringLiteral("&Endre"), ChangeRecord,
                 QStringLiteral("Endre/vise egendefinert felt"));
    w->addButton(QStringLiteral("&Slett"), DeleteRecord, QStringLiteral("Slett egendefinert felt"));
    w->resize(560, 480);
    return w;
}

void FILTERBROWSE(Context& ctx)
{
    contextwindows::show(ctx, filterBrowse(ctx));
}

FormWindow* filterForm(Context& ctx, int32_t tableNo, BrowseClass::FormDone done)
{
    auto rules = std::make_unique<FilterForm>(ctx, tableNo);
    FilterForm& form = *rules;
    auto* w = new FormWindow(std::move(rules), QString::fromStdString(form.caption()));
    auto* layout = new QFormLayout(w->body());
    auto* nr = new QLineEdit;
    auto* name = new QLineEdit;
    auto* filter = longText(6);
    auto* description = longText(4);
    layout->addRow(QStringLiteral("&Nr:"), nr);
    layout->addRow(QStringLiteral("&Navn:"), name);
    layout->addRow(QStringLiteral("&Filter:"), filter);
    layout->addRow(QStringLiteral("&Beskrivelse:"), description);
    w->bind(nr, FIL::FILTERNR.no, "@n-7");
    w->bind(name, FIL::FILTERNAVN.no, "@s50");
    w->bindText(filter, FIL::FILTERSTRENG.no);
    w->bindText(description, FIL::BESKRIVELSE.no);
    nr->setAlignment(Qt::AlignRight);
    w->setFirstField(nr);

    auto build = [&form, filter] {
        form.record().set(FIL::FILTERSTRENG, filter->toPlainText().toStdString());
        if (form.buildFilter())
            filter->setPlainText(QString::fromStdString(form.record().get(FIL::FILTERSTRENG)));
    };
    installLookup(filter, build);
    // The right button lands on the text's viewport.
    installLookup(filter->viewport(), build);
    w->start(std::move(done));
    if (QPushButton* ok = w->okButton())
        ok->setText(QStringLiteral("Lagre post"));
    return w;
}

} // namespace tavlo
