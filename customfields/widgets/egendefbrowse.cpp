#include "customfields/widgets/customfields_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "customfields/egendef.h"
#include "customfields/widgets/tabregister.h"
#include "data/context.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"

namespace tavlo {

TabRegister* egenDefBrowse(Context& ctx)
{
    auto* w =
        new TabRegister(ctx, "EGENDEFBROWSE", QStringLiteral("Egendefinerte felter"), Tbl::EGENDEF,
                        EGN::KeyTabellNr_FeltNr, EGN::TABELLNR.no, egenDefTabs(),
                        {{EGN::LEDETEKST.no, QStringLiteral("Ledetekst"), "@s50", {}},
                         {EGN::FELTNAVN.no, QStringLiteral("Feltnavn"), "@s20", {}}});
    w->list()->browse().updateProcedure = [w](Context& c, BrowseClass::FormDone done) {
        egenDefForm(c, w->tableNo(), std::move(done));
    };
    w->addButton(QStringLiteral("Nytt egendefinert felt"), InsertRecord);
    w->addButton(QStringLiteral("Endre/vise egendefinert felt"), ChangeRecord);
    w->addButton(QStringLiteral("Slett egendefinert felt"), DeleteRecord);
    w->resize(520, 420);
    return w;
}

void EGENDEFBROWSE(Context& ctx)
{
    contextwindows::show(ctx, egenDefBrowse(ctx));
}

namespace {

// Controls are named after their fields, for whoever looks them up.
template <typename T> T* named(T* control, int field)
{
    control->setObjectName(QString::fromStdString(table(Tbl::EGENDEF).fields[field].column));
    return control;
}

} // namespace

FormWindow* egenDefForm(Context& ctx, int32_t tableNo, BrowseClass::FormDone done)
{
    auto rules = std::make_unique<EgenDefForm>(ctx, tableNo);
    EgenDefForm& form = *rules;
    auto* w = new FormWindow(std::move(rules), QString::fromStdString(form.caption()));

    auto* layout = new QFormLayout(w->body());
    auto* name = named(new QComboBox, EGN::FELTNAVN.no);
    for (const auto& n : spareFieldNames())
        name->addItem(QString::fromStdString(n));
    name->setCurrentIndex(-1);
    layout->addRow(QStringLiteral("&Feltnavn:"), name);
    w->bind(name, EGN::FELTNAVN.no);
    auto* prompt = named(new QLineEdit, EGN::LEDETEKST.no);
    layout->addRow(QStringLiteral("&Ledetekst:"), prompt);
    w->bind(prompt, EGN::LEDETEKST.no, "@s50");
    auto* checkBox = new QCheckBox(QStringLiteral("&Avkryssningsfelt"));
    auto* mandatory = new QCheckBox(QStringLiteral("&Tvungen utfylling"));
    layout->addRow(checkBox);
    layout->addRow(mandatory);
    w->bind(checkBox, EGN::AVKRYSSNINGSFELT.no);
    w->bind(mandatory, EGN::TVUNGENUTFYLLING.no);

    // Positions and sizes: a row for the prompt, the field and the lookup's text.
    auto* grid = new QGridLayout;
    int column = 1;
    for (const char* heading : {"X-pos", "Y-pos", "Vidde", "Høyde"})
        grid->addWidget(new QLabel(QString::fromUtf8(heading)), 0, column++);
    auto row = [&](int at, const char* label, std::vector<std::pair<int, int>> fields) {
        std::vector<QWidget*> out;
        auto* l = new QLabel(QString::fromUtf8(label));
        grid->addWidget(l, at, 0);
        out.push_back(l);
        for (auto [col, field] : fields) {
            auto* e = named(new QLineEdit, field);
            e->setAlignment(Qt::AlignRight);
            e->setMaximumWidth(e->fontMetrics().averageCharWidth() * 8);
            grid->addWidget(e, at, col);
            w->bind(e, field, "@n-7");
            out.push_back(e);
        }
        l->setBuddy(out[1]);
        return out;
    };
    const auto promptRow = row(1, "&Ledetekst:",
                               {{1, EGN::LEDETEKSTPOSX.no},
                                {2, EGN::LEDETEKSTPOSY.no},
                                {3, EGN::LEDETEKSTPOSW.no},
                                {4, EGN::LEDETEKSTPOSH.no}});
    row(2, "&Felt:",
        {{1, EGN::FELTPOSX.no},
         {2, EGN::FELTPOSY.no},
         {3, EGN::FELTPOSW.no},
         {4, EGN::FELTPOSH.no}});
    const auto lookupRow = row(3, "&Oppslag:", {{3, EGN::OPPSLAGPOSW.no}});
    layout->addRow(grid);
    auto* format = named(new QLineEdit, EGN::FELTFORMAT.no);
    auto* formatLabel = new QLabel(QStringLiteral("&Feltformat:"));
    formatLabel->setBuddy(format);
    layout->addRow(formatLabel, format);
    w->bind(format, EGN::FELTFORMAT.no, "@s30");
    auto* group = named(new QLineEdit, EGN::OPPSLAGKODEVERKGR.no);
    auto* groupLabel = new QLabel(QStringLiteral("Oppslag &gr:"));
    groupLabel->setBuddy(group);
    layout->addRow(groupLabel, group);
    group->setAlignment(Qt::AlignRight);
    w->bind(group, EGN::OPPSLAGKODEVERKGR.no, "@n-7");
    w->setFirstField(name);

    auto enable = [&form, promptRow, lookupRow, format, formatLabel, group, groupLabel] {
        const EgenDefEnabling e = form.enabling();
        for (QWidget* c : promptRow)
            c->setEnabled(e.promptPosition);
        for (QWidget* c : lookupRow)
            c->setEnabled(e.lookupWidth);
        format->setEnabled(e.format);
        formatLabel->setEnabled(e.format);
        group->setEnabled(e.lookupGroup);
        groupLabel->setEnabled(e.lookupGroup);
    };
    QObject::connect(w, &FormWindow::fieldsShown, w, enable);
    QObject::connect(checkBox, &QCheckBox::toggled, w, enable);
    QObject::connect(static_cast<QLineEdit*>(lookupRow[1]), &QLineEdit::editingFinished, w, enable);
    w->start(std::move(done));
    if (QPushButton* ok = w->okButton())
        ok->setText(QStringLiteral("Lagre post"));
    return w;
}

} // namespace tavlo
