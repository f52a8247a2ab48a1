#include "data/view/parameterbilde.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/context.h"
#include "data/ehfoppsett.h"
#include "framework/fieldtext.h"
#include "framework/widgets/lookupkeys.h"

namespace tavlo {

namespace {

constexpr const char* kNumber = "@n-7";
constexpr const char* kAccount = "P####.##.#####PB";
constexpr const char* kFilterNo = "@n_8B";

QString q(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

QString fieldName(int field)
{
    return q(table(Tbl::PARAM).fields[field].name);
}

QToolButton* dots(QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setText(QStringLiteral("..."));
    return b;
}

QRadioButton* radio(QButtonGroup* group, const char* text, int id)
{
    auto* r = new QRadioButton(QString::fromUtf8(text));
    group->addButton(r, id);
    return r;
}

} // namespace

ParameterWindow::ParameterWindow(Context& ctx)
    : FormWindow(std::make_unique<ParameterForm>(ctx), QStringLiteral("Endre systemparametere"))
{
    auto* layout = new QVBoxLayout(body());
    layout->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget(body());
    layout->addWidget(tabs_);
    tabs_->addTab(oppsett(), QStringLiteral("Oppsett"));
    tabs_->addTab(leverandorinfo(), QStringLiteral("Leverandørinfo"));
    tabs_->addTab(fakturatopp(), QStringLiteral("Fakturatopp"));
    tabs_->addTab(giro(), QStringLiteral("Giro"));
    tabs_->addTab(ocr(), QStringLiteral("OCR"));
    tabs_->addTab(ehfSide(), QStringLiteral("EHF"));
    connect(this, &FormWindow::fieldsShown, this, [this] {
        rules().refreshFilterNames();
        followRecord();
    });
}

QLineEdit* ParameterWindow::entry(int field, const char* picture, int chars)
{
    auto* e = new QLineEdit;
    e->setObjectName(fieldName(field));
    const FieldDecl& f = table(Tbl::PARAM).fields[field];
    if (f.type == FieldType::TEXT && picture[0] == '\0')
        e->setMaxLength(f.size - 1);
    if (chars > 0) {
        e->setFixedWidth(e->fontMetrics().averageCharWidth() * chars + 14);
        if (f.type != FieldType::TEXT)
            e->setAlignment(Qt::AlignRight);
    }
    bind(e, field, picture);
    return e;
}

QLabel* ParameterWindow::prompt(const char* text, QWidget* buddy)
{
    auto* l = new QLabel(QString::fromUtf8(text));
    l->setBuddy(buddy);
    return l;
}

void ParameterWindow::takeTyped(QLineEdit* edit, int field, const char* picture)
{
    connect(edit, &QLineEdit::textEdited, this, [this, field, picture](const QString& typed) {
        readField(rules().record(), field, picture, typed.toStdString());
        rules().refreshFilterNames();
        followRecord();
    });
}

void ParameterWindow::followRecord()
{
    ParameterForm& r = rules();
    const bool rate = r.rateEnabled() && !r.readOnly();
    ratePrompt_->setEnabled(rate);
    rate_->setEnabled(rate);
    const bool size = r.logoSizeEnabled() && !r.readOnly();
    logoH_->setEnabled(size);
    logoW_->setEnabled(size);
    for (int i = 0; i < 5; ++i)
        filterNames_[i]->setText(QString::fromStdString(r.filterName(i)));
}

QWidget* ParameterWindow::oppsett()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);

    auto* options = new QGroupBox(QStringLiteral("Opsjoner"));
    auto* of = new QFormLayout(options);
    QLineEdit* avrunding = entry(PAR::AVRUNDING.no, "@n-8.`2", 8);
    of->addRow(prompt("&Øreavrunding:", avrunding), avrunding);
    auto* backupRow = new QHBoxLayout;
    QLineEdit* backup = entry(PAR::STDBACKUPPATH.no);
    auto* backupPick = dots(options);
    backupRow->addWidget(backup, 1);
    backupRow->addWidget(backupPick);
    of->addRow(prompt("&Område for sikkerhetskopiering:", backup), backupRow);
    connect(backupPick, &QToolButton::clicked, this, [this] {
        if (rules().pickBackupFolder())
            showFields({PAR::STDBACKUPPATH.no});
    });
    v->addWidget(options);
    setFirstField(avrunding);

    auto* filters = new QGroupBox(QStringLiteral("Standardfilter"));
    auto* fg = new QGridLayout(filters);
    for (int i = 0; i < 5; ++i) {
        const StandardFilter& f = standardFilters()[i];
        QLineEdit* no = entry(f.field.no, kFilterNo, 9);
        takeTyped(no, f.field.no, kFilterNo);
        auto pick = [this, i, no, field = f.field.no] {
            if (rules().pickFilter(i))
                showFields({field});
            followRecord();
            no->setFocus();
        };
        installLookup(no, pick);
        auto* ctrlF4 = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4), no, nullptr, nullptr,
                                     Qt::WidgetShortcut);
        connect(ctrlF4, &QShortcut::activated, this, pick);
        filterNames_[i] = new QLabel;
        filterNames_[i]->setObjectName(fieldName(f.field.no) + QStringLiteral("_NAVN"));
        filterNames_[i]->setFrameShape(QFrame::StyledPanel);
        filterNames_[i]->setMinimumWidth(filterNames_[i]->fontMetrics().averageCharWidth() * 36);
        fg->addWidget(prompt(f.prompt.data(), no), i, 0);
        fg->addWidget(no, i, 1);
        fg->addWidget(filterNames_[i], i, 2);
    }
    fg->setColumnStretch(2, 1);
    v->addWidget(filters);

    auto* vat = new QGroupBox(QStringLiteral("MVA type"));
    auto* vv = new QVBoxLayout(vat);
    auto* types = new QButtonGroup(vat);
    types->setObjectName(fieldName(PAR::STDMVATYPE.no));
    vv->addWidget(radio(types, "Ingen MVA beregning", 0));
    vv->addWidget(radio(types, "Alle priser er oppgitt uten MVA", 1));
    vv->addWidget(radio(types, "Alle priser er oppgitt med MVA", 2));
    bind(types, PAR::STDMVATYPE.no);
    connect(types, &QButtonGroup::idClicked, this, [this] { followRecord(); });
    auto* rateRow = new QHBoxLayout;
    rate_ = entry(PAR::STDMVASATS.no, "@n3", 4);
    ratePrompt_ = prompt("&Standardsats:", rate_);
    rateRow->addWidget(ratePrompt_);
    rateRow->addWidget(rate_);
    rateRow->addStretch(1);
    vv->addLayout(rateRow);
    v->addWidget(vat);
    v->addStretch(1);
    return page;
}

QWidget* ParameterWindow::leverandorinfo()
{
    auto* page = new QWidget;
    auto* f = new QFormLayout(page);
    QLineEdit* navn = entry(PAR::NAVN.no);
    f->addRow(prompt("&Navn:", navn), navn);
    QLineEdit* a1 = entry(PAR::ADRESSE.no);
    f->addRow(prompt("Adresse &1:", a1), a1);
    QLineEdit* a2 = entry(PAR::ADRESSE2.no);
    f->addRow(prompt("Adresse &2:", a2), a2);
    QLineEdit* post = entry(PAR::POSTNR_POSTSTED.no);
    f->addRow(prompt("&Postnr og Poststed:", post), post);
    QLineEdit* konto = entry(PAR::KONTONUMMER.no, kAccount, 16);
    f->addRow(prompt("&Kontonr:", konto), konto);
    auto* info = new QPlainTextEdit;
    info->setObjectName(fieldName(PAR::LEVERANDORINFO.no));
    info->setTabChangesFocus(true);
    info->setToolTip(QStringLiteral(
        "Skrives under firmanavnet på fakturaen: organisasjonsnummeret med «MVA» når firmaet er "
        "registrert for merverdiavgift, «Foretaksregisteret» for aksjeselskaper og andre "
        "foretak der, og gjerne telefon, e-post og nettside"));
    info->setPlaceholderText(QStringLiteral("Org.nr. 987 654 321 MVA\nForetaksregisteret"));
    bindText(info, PAR::LEVERANDORINFO.no);
    f->addRow(prompt("&Leverandørinfo:", info), info);
    QLineEdit* ref = entry(PAR::VAARREFERANSESTD.no);
    f->addRow(prompt("Leverandør&referanse:", ref), ref);
    return page;
}

QWidget* ParameterWindow::fakturatopp()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* g = new QGridLayout;
    g->setVerticalSpacing(2);
    const char* headings[] = {"X posisjon", "Y posisjon", "Høyde", "Bredde"};
    for (int c = 0; c < 4; ++c)
        g->addWidget(new QLabel(QString::fromUtf8(headings[c])), 0, c + 1);
    g->addWidget(new QLabel(QStringLiteral("Skrifttype")), 0, 5, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Justering")), 0, 7);
    int row = 1;
    for (const LayoutElement& e : layoutElements()) {
        QLineEdit* first = nullptr;
        for (int c = 0; c < 4; ++c) {
            QLineEdit* n = entry(e.keys[c].field, kNumber, 6);
            g->addWidget(n, row, c + 1);
            layoutFields_.push_back(e.keys[c].field);
            if (!first)
                first = n;
        }
        g->addWidget(prompt(e.prompt.data(), first), row, 0);
        if (e.logo()) {
            logoH_ = qobject_cast<QLineEdit*>(g->itemAtPosition(row, 3)->widget());
            logoW_ = qobject_cast<QLineEdit*>(g->itemAtPosition(row, 4)->widget());
            layoutFields_.push_back(e.keys[4].field);
            layoutFields_.push_back(e.keys[5].field);
        } else {
            const int fontField = e.keys[4].field;
            QLineEdit* font = entry(fontField);
            font->setMinimumWidth(font->fontMetrics().averageCharWidth() * 24);
            auto* pick = dots(page);
            pick->setObjectName(fieldName(fontField) + QStringLiteral("_VELG"));
            connect(pick, &QToolButton::clicked, this, [this, fontField] {
                if (rules().pickFont(fontField))
                    showFields({fontField});
            });
            auto* align = new QComboBox;
            align->setEditable(true);
            align->setMinimumContentsLength(8);
            align->addItems({QString(), QStringLiteral("Venstre"), QStringLiteral("Senter"),
                             QStringLiteral("Høyre")});
            const int alignField = e.keys[5].field;
            align->lineEdit()->setObjectName(fieldName(alignField));
            align->lineEdit()->setMaxLength(20);
            bind(align->lineEdit(), alignField);
            connect(align, &QComboBox::textActivated, this, [this, alignField](const QString& t) {
                readField(rules().record(), alignField, {}, t.toStdString());
            });
            g->addWidget(font, row, 5);
            g->addWidget(pick, row, 6);
            g->addWidget(align, row, 7);
            layoutFields_.push_back(fontField);
            layoutFields_.push_back(alignField);
        }
        ++row;
    }
    g->setColumnStretch(5, 1);
    v->addLayout(g);

    auto* logo = new QFormLayout;
    QLineEdit* resize = entry(PAR::LOGO_RESIZE.no, kNumber, 6);
    takeTyped(resize, PAR::LOGO_RESIZE.no, kNumber);
    logo->addRow(prompt("Prosentvis &størrelse:", resize), resize);
    auto* pathRow = new QHBoxLayout;
    QLineEdit* path = entry(PAR::LOGO_PATH.no);
    auto* pathPick = dots(page);
    pathRow->addWidget(path, 1);
    pathRow->addWidget(pathPick);
    logo->addRow(prompt("Logo Path:", path), pathRow);
    connect(pathPick, &QToolButton::clicked, this, [this] {
        if (rules().pickLogo())
            showFields({PAR::LOGO_PATH.no});
    });
    v->addLayout(logo);

    auto* bottom = new QHBoxLayout;
    auto* invert = new QCheckBox(QStringLiteral("&Inverter fakturalinje overskrift"));
    invert->setObjectName(fieldName(PAR::INVERTERFAKTURALINJEHEADER.no));
    bind(invert, PAR::INVERTERFAKTURALINJEHEADER.no);
    layoutFields_.push_back(PAR::INVERTERFAKTURALINJEHEADER.no);
    bottom->addWidget(invert);
    bottom->addStretch(1);
    auto* save = new QPushButton(QStringLiteral("&Lagre"));
    save->setObjectName(QStringLiteral("Lagre"));
    save->setToolTip(QStringLiteral("Lagre aktiv fakturalayout"));
    auto* load = new QPushButton(QStringLiteral("&Hent"));
    load->setObjectName(QStringLiteral("Hent"));
    load->setToolTip(QStringLiteral("Hente fakturalayout fra fil"));
    bottom->addWidget(save);
    bottom->addWidget(load);
    v->addLayout(bottom);
    // The file takes what the controls show, saved or not.
    connect(save, &QPushButton::clicked, this, [this] {
        if (commitFields())
            rules().saveLayout();
    });
    connect(load, &QPushButton::clicked, this, [this] {
        if (rules().loadLayout()) {
            showFields(layoutFields_);
            followRecord();
        }
    });
    return page;
}

QWidget* ParameterWindow::giro()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);

    auto* type = new QGroupBox(QStringLiteral("Standard fakturatype"));
    auto* tv = new QVBoxLayout(type);
    auto* types = new QButtonGroup(type);
    types->setObjectName(fieldName(PAR::FAKTURATYPE.no));
    tv->addWidget(radio(types, "&Standard faktura med girodel (Blankett F60-1)", 1));
    tv->addWidget(radio(types, "Faktura &uten girodel", 2));
    tv->addWidget(radio(types, "Faktura &med girodel samt detaljert beskrivelse som vedlegg", 3));
    bind(types, PAR::FAKTURATYPE.no);
    v->addWidget(type);

    auto* f = new QFormLayout;
    QLineEdit* font = entry(PAR::GIRO_FONT.no);
    f->addRow(prompt("&Skrifttype:", font), font);
    QLineEdit* x = entry(PAR::GIROOFFSET_X.no, kNumber, 6);
    f->addRow(prompt("Offset &X-posisjon:", x), x);
    QLineEdit* y = entry(PAR::GIROOFFSET_Y.no, kNumber, 6);
    f->addRow(prompt("Offset &Y-posisjon:", y), y);
    QLineEdit* count = entry(PAR::ANTALLFAKTURAER.no, "@n3", 4);
    f->addRow(prompt("&Antall fakturaer:", count), count);
    auto* dialog =
        new QCheckBox(QStringLiteral("&Vis dialog for skrivervalg før utskrift av faktura"));
    dialog->setObjectName(fieldName(PAR::VISPRINTERDIALOG.no));
    bind(dialog, PAR::VISPRINTERDIALOG.no);
    f->addRow(dialog);
    QLineEdit* with = entry(PAR::PAPIRKILDEFAKTURAERMEDGIRO.no, kNumber, 6);
    f->addRow(prompt("Papirkilde - fakturaer &med girodel:", with), with);
    QLineEdit* without = entry(PAR::PAPIRKILDEFAKTURAERUTENGIRO.no, kNumber, 6);
    f->addRow(prompt("Papirkilde - fakturaer &uten girodel:", without), without);
    v->addLayout(f);

    auto* places = new QHBoxLayout;
    auto* line = new QGroupBox(QStringLiteral("Beskrivelse av fakturalinje"));
    auto* lv = new QVBoxLayout(line);
    auto* lineGroup = new QButtonGroup(line);
    lineGroup->setObjectName(fieldName(PAR::BESKRIVELSEPLASSERING_FAKTURALINJE.no));
    lv->addWidget(radio(lineGroup, "&Før fakturalinje", 1));
    lv->addWidget(radio(lineGroup, "&Etter fakturalinje", 2));
    bind(lineGroup, PAR::BESKRIVELSEPLASSERING_FAKTURALINJE.no);
    auto* invoice = new QGroupBox(QStringLiteral("Beskrivelse av faktura"));
    auto* iv = new QVBoxLayout(invoice);
    auto* invoiceGroup = new QButtonGroup(invoice);
    invoiceGroup->setObjectName(fieldName(PAR::BESKRIVELSEPLASSERING_FAKTURA.no));
    iv->addWidget(radio(invoiceGroup, "&Før fakturalinjer", 1));
    iv->addWidget(radio(invoiceGroup, "&Etter fakturalinjer", 2));
    bind(invoiceGroup, PAR::BESKRIVELSEPLASSERING_FAKTURA.no);
    places->addWidget(line);
    places->addWidget(invoice);
    v->addLayout(places);

    auto* text = new QPlainTextEdit;
    text->setObjectName(fieldName(PAR::FASTFAKTURATEKST1.no));
    text->setTabChangesFocus(true);
    bindText(text, PAR::FASTFAKTURATEKST1.no);
    v->addWidget(prompt("&Fast fakturatekst:", text));
    v->addWidget(text, 1);
    return page;
}

QWidget* ParameterWindow::ocr()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* f = new QFormLayout;
    QLineEdit* nr = entry(PAR::OCR_FORSENDELSESNR.no, "@n_10", 11);
    f->addRow(prompt("&Forsendelsesnummer:", nr), nr);
    QLineEdit* mottaker = entry(PAR::OCR_DATAMOTTAKER.no, "", 10);
    f->addRow(prompt("&Datamottaker:", mottaker), mottaker);
    QLineEdit* avtale = entry(PAR::OCR_AVTALEID.no, "", 11);
    f->addRow(prompt("&Avtale Id:", avtale), avtale);
    QLineEdit* oppdrag = entry(PAR::OCR_OPPDRAGSNR.no, "@n_10", 11);
    f->addRow(prompt("Oppdragsnummer:", oppdrag), oppdrag);
    QLineEdit* konto = entry(PAR::KONTONUMMER.no, kAccount, 16);
    konto->setObjectName(fieldName(PAR::KONTONUMMER.no) + QStringLiteral("_OCR"));
    f->addRow(prompt("&Oppdragskonto:", konto), konto);
    v->addLayout(f);
    v->addStretch(1);

    // One field on two tabs: each shows what is typed in the other.
    if (auto* other = findChild<QLineEdit*>(fieldName(PAR::KONTONUMMER.no))) {
        connect(konto, &QLineEdit::textEdited, other, &QLineEdit::setText);
        connect(other, &QLineEdit::textEdited, konto, &QLineEdit::setText);
        connect(konto, &QLineEdit::editingFinished, other,
                [other, konto] { other->setText(konto->text()); });
        connect(other, &QLineEdit::editingFinished, konto,
                [other, konto] { konto->setText(other->text()); });
    }
    return page;
}

QWidget* ParameterWindow::ehfSide()
{
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* note = new QLabel(QStringLiteral(
        "Elektronisk faktura (EHF) sendes til offentlige og private mottakere i Peppol-nettet. "
        "Selger og kjøper identifiseres med organisasjonsnummeret."));
    note->setWordWrap(true);
    v->addWidget(note);
    auto* f = new QFormLayout;
    QLineEdit* orgnr = entry(ehf::ORGNR.no, "", 16);
    orgnr->setPlaceholderText(QStringLiteral("987 654 321"));
    f->addRow(prompt("&Organisasjonsnummer:", orgnr), orgnr);
    auto* mva = new QCheckBox(QStringLiteral("Registrert i &Merverdiavgiftsregisteret"));
    mva->setObjectName(fieldName(ehf::MVAREGISTRERT.no));
    bind(mva, ehf::MVAREGISTRERT.no);
    f->addRow(mva);
    auto* foretak = new QCheckBox(QStringLiteral("Registrert i &Foretaksregisteret"));
    foretak->setObjectName(fieldName(ehf::FORETAKSREGISTERET.no));
    foretak->setToolTip(QStringLiteral("Aksjeselskaper og andre foretak som er registrert der"));
    bind(foretak, ehf::FORETAKSREGISTERET.no);
    f->addRow(foretak);
    auto* kundefelt = new QGroupBox(QStringLiteral("Kundens organisasjonsnummer står i"));
    auto* kv = new QVBoxLayout(kundefelt);
    auto* felter = new QButtonGroup(kundefelt);
    felter->setObjectName(fieldName(ehf::KUNDEORGNRFELT.no));
    kv->addWidget(radio(felter, "Ikke valgt", 0));
    for (int i = 1; i <= 5; ++i) {
        const std::string text = "Egendefinert tekst &" + std::to_string(i);
        kv->addWidget(radio(felter, text.c_str(), i));
    }
    bind(felter, ehf::KUNDEORGNRFELT.no);
    auto* hint = new QLabel(QStringLiteral(
        "Feltet vises som «Organisasjonsnr.» på kundebildets «Ekstra»-fane når parameterne "
        "lagres, om det ikke alt er definert."));
    hint->setWordWrap(true);
    kv->addWidget(hint);
    v->addLayout(f);
    v->addWidget(kundefelt);
    v->addStretch(1);
    return page;
}

void PARAMETERBILDE(Context& ctx)
{
    auto* w = new ParameterWindow(ctx);
    ParameterForm* rules = &w->rules();
    // The rules outlive the window's end by the time this runs: the window is deleted later.
    w->start([rules](int, RowRef) { rules->windowClosed(); });
}

} // namespace tavlo
