// The code register "Kodeverk", bound to its rules, and the forms of its codes.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QVBoxLayout>

#include "codesets/kodeverkform.h"
#include "codesets/kodeverkkartotek.h"
#include "codesets/view/codesets_view.h"
#include "data/context.h"
#include "framework/browse.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/formwindow.h"

namespace tavlo::desktop {

namespace {

QIcon lockIcon()
{
    // Drawn here: the offscreen and plain X11 styles have no padlock of their own.
    QPixmap pm(14, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1.6));
    p.drawArc(QRectF(3.5, 1.5, 7, 8), 0, 180 * 16);
    p.drawLine(QPointF(3.5, 5.5), QPointF(3.5, 7));
    p.drawLine(QPointF(10.5, 5.5), QPointF(10.5, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 150, 30));
    p.drawRoundedRect(QRectF(2, 7, 10, 6.5), 1.5, 1.5);
    return QIcon(pm);
}

// Draws the lock in the first column and codes not in use greyed.
class CodeDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int mark = index.data(PagedTableModel::MarkRole).toInt();
        if (index.column() == 0 && (mark & KodeverkKartotek::MarkLocked)) {
            static const QIcon lock = lockIcon();
            option->icon = lock;
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationSize = QSize(14, 14);
        }
        if (mark & KodeverkKartotek::MarkNotInUse)
            option->palette.setColor(QPalette::Text,
                                     option->palette.color(QPalette::Disabled, QPalette::Text));
    }
};

class KodeverkWindow : public QWidget {
  public:
    explicit KodeverkWindow(Context& ctx) : rules_(std::make_unique<KodeverkKartotek>(ctx))
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Kodeverk"));
        setObjectName(QStringLiteral("KODEVERKKARTOTEK"));

        groups_ = new BrowseWidget(rules_->releaseGroups(), this);
        groups_->setObjectName(QStringLiteral("grupper"));
        rules_->codes().updateProcedure = [this](Context& c, BrowseClass::FormDone done) {
            startForm(c, std::move(done));
        };
        codes_ = new BrowseWidget(rules_->releaseCodes(), this);
        codes_->setObjectName(QStringLiteral("koder"));
        for (BrowseWidget* w : {groups_, codes_}) {
            w->table()->setItemDelegate(new CodeDelegate(w->table()));
            w->table()->setIconSize(QSize(14, 14));
        }

        auto* lists = new QHBoxLayout;
        lists->addWidget(groups_, 2);
        lists->addWidget(codes_, 3);

        auto* buttons = new QHBoxLayout;
        const std::pair<const char*, int> actions[] = {{"Ny kodeverkspost", InsertRecord},
                                                       {"Endre/vise kodeverkspost", ChangeRecord},
                                                       {"Slett kodeverkspost", DeleteRecord}};
        for (const auto& [text, action] : actions) {
            auto* b = new QPushButton(QString::fromUtf8(text), this);
            codes_->connectButton(b, action);
            buttons->addWidget(b);
        }
        buttons->addStretch(1);
        auto* close = new QPushButton(QStringLiteral("Avslutt"), this);
        connect(close, &QPushButton::clicked, this, &QWidget::close);
        buttons->addWidget(close);

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(lists, 1);
        layout->addLayout(buttons);

        connect(&groups_->browse().model(), &PagedTableModel::currentRowChanged, this,
                [this] { followGroup(); });
        resize(720, 460);
    }

    void start()
    {
        groups_->start();
        followGroup();
    }

  private:
    void followGroup()
    {
        if (!rules_->followGroup())
            return;
        codes_->table()->showCurrent();
        codes_->updateButtons();
    }

    void startForm(Context& c, BrowseClass::FormDone done)
    {
        auto form = rules_->formFor(c);
        if (!form) {
            done(RequestCancelled, {});
            return;
        }
        openKodeverkForm(c, std::move(form), std::move(done));
    }

    std::unique_ptr<KodeverkKartotek> rules_;
    BrowseWidget* groups_;
    BrowseWidget* codes_;
};

QLineEdit* entry(QWidget* parent, int chars)
{
    auto* e = new QLineEdit(parent);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('M')) * chars);
    return e;
}

// A number: right-aligned in a field no wider than it needs.
QLineEdit* numberEntry(QWidget* parent)
{
    auto* e = entry(parent, 6);
    e->setMaximumWidth(e->minimumWidth());
    e->setAlignment(Qt::AlignRight);
    return e;
}

// The button face as background: the field shows but does not take input.
void showOnly(QLineEdit* e)
{
    e->setReadOnly(true);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    e->setPalette(p);
}

QColor fromBgr(int32_t bgr)
{
    return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
}

// "&Farge:": the colour of an invoice status as a swatch, chosen in the colour dialog or set
// back to the lists' own colour.
std::function<void()> colourRow(FormWindow* w, QFormLayout* form)
{
    Record& r = w->form().record();
    auto* swatch = new QLabel(w);
    swatch->setObjectName(QStringLiteral("farge"));
    swatch->setMinimumSize(80, 22);
    swatch->setFrameShape(QFrame::Panel);
    swatch->setFrameShadow(QFrame::Sunken);
    swatch->setAlignment(Qt::AlignCenter);
    auto show = [swatch, &r] {
        const int32_t c = r.get(KOD::LONG2);
        swatch->setAutoFillBackground(c != kStandardFarge);
        QPalette p = swatch->palette();
        p.setColor(QPalette::Window, c == kStandardFarge ? QColor() : fromBgr(c));
        swatch->setPalette(p);
        swatch->setText(c == kStandardFarge ? QStringLiteral("Standard") : QString());
    };
    auto* choose = new QPushButton(QStringLiteral("&Velg..."), w);
    choose->setObjectName(QStringLiteral("velgFarge"));
    auto* standard = new QPushButton(QStringLiteral("&Standard"), w);
    standard->setObjectName(QStringLiteral("standardFarge"));
    QObject::connect(choose, &QPushButton::clicked, w, [w, &r, show] {
        int32_t c = r.get(KOD::LONG2);
        AnswerService* answers = w->form().context().errors().answers();
        if (answers && answers->pickColor("Velg farge", c)) {
            r.set(KOD::LONG2, c);
            show();
        }
    });
    QObject::connect(standard, &QPushButton::clicked, w, [&r, show] {
        r.set(KOD::LONG2, kStandardFarge);
        show();
    });
    auto* row = new QHBoxLayout;
    row->addWidget(swatch);
    row->addWidget(choose);
    row->addWidget(standard);
    row->addStretch(1);
    auto* label = new QLabel(QStringLiteral("&Farge:"), w);
    label->setBuddy(choose);
    form->addRow(label, row);
    if (w->form().readOnly()) {
        choose->setEnabled(false);
        standard->setEnabled(false);
    }
    return show;
}

// "Plassering": where the status text goes on the invoice, or nowhere.
QGroupBox* placementBox(FormWindow* w, std::function<void()>& refresh)
{
    Record& r = w->form().record();
    auto* box = new QGroupBox(QStringLiteral("Plassering"), w);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    const std::pair<const char*, int> choices[] = {
        {"&Før fast fakturatekst", PLASSERING_FOR},
        {"&Etter fast fakturatekst", PLASSERING_ETTER},
        {"&Istedenfor fast fakturatekst", PLASSERING_ISTEDENFOR}};
    for (const auto& [text, value] : choices) {
        auto* b = new QRadioButton(QString::fromUtf8(text), box);
        group->addButton(b, value);
        layout->addWidget(b);
    }
    // A group of exclusive buttons cannot be emptied while exclusive.
    auto showValue = [group, &r] {
        group->setExclusive(false);
        for (auto* b : group->buttons())
            b->setChecked(group->id(b) == r.get(KOD::LONG1));
        group->setExclusive(true);
    };
    refresh = showValue;
    QObject::connect(group, &QButtonGroup::idToggled, box, [&r](int id, bool on) {
        if (on)
            r.set(KOD::LONG1, id);
    });
    auto* clear = new QPushButton(QStringLiteral("&Ingen plassering"), box);
    clear->setObjectName(QStringLiteral("ingenPlassering"));
    QObject::connect(clear, &QPushButton::clicked, box, [showValue, &r] {
        r.set(KOD::LONG1, PLASSERING_INGEN);
        showValue();
    });
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(clear);
    layout->addLayout(row);
    if (w->form().readOnly())
        clear->setEnabled(false);
    return box;
}

QPlainTextEdit* memo(FormWindow* w, QWidget* parent)
{
    auto* e = new QPlainTextEdit(parent);
    e->setObjectName(QStringLiteral("div"));
    e->setTabChangesFocus(true);
    w->bindMemo(e, KOD::DIV.no);
    return e;
}

} // namespace

void openKodeverkForm(Context& ctx, std::unique_ptr<KodeverkForm> form,
                      std::function<void(int response, RowRef inserted)> done)
{
    (void)ctx;
    const KodeverkSkjema kind = form->kind();
    const bool fixed = form->numberAndTextReadOnly();
    auto* w = new FormWindow(std::move(form), QString());
    auto& rules = static_cast<KodeverkForm&>(w->form());
    w->setWindowTitle(QString::fromStdString(rules.caption()));
    w->setObjectName(QStringLiteral("KODEVERKFORM"));

    auto* layout = new QVBoxLayout(w->body());
    layout->setContentsMargins(0, 0, 0, 0);
    auto* fields = new QFormLayout;
    layout->addLayout(fields);

    auto* gruppe = numberEntry(w);
    gruppe->setObjectName(QStringLiteral("gruppe"));
    showOnly(gruppe);
    w->bind(gruppe, KOD::GRUPPE.no, "@n_8");
    fields->addRow(QStringLiteral("Gruppe:"), gruppe);

    auto* nr = numberEntry(w);
    nr->setObjectName(QStringLiteral("nr"));
    w->bind(nr, KOD::NR.no, "@n_8");
    auto* fast = new QCheckBox(QStringLiteral("&Fast"), w);
    fast->setObjectName(QStringLiteral("fast"));
    w->bind(fast, KOD::FAST.no);
    auto* nrRow = new QHBoxLayout;
    nrRow->addWidget(nr);
    nrRow->addSpacing(12);
    nrRow->addWidget(fast);
    nrRow->addStretch(1);
    auto* nrLabel = new QLabel(QStringLiteral("&Nr:"), w);
    nrLabel->setBuddy(nr);
    fields->addRow(nrLabel, nrRow);

    auto* tekst = entry(w, 30);
    tekst->setObjectName(QStringLiteral("tekst"));
    tekst->setMaxLength(50);
    w->bind(tekst, KOD::TEKST.no, "@s50");
    auto* tekstLabel = new QLabel(QStringLiteral("&Tekst:"), w);
    tekstLabel->setBuddy(tekst);
    fields->addRow(tekstLabel, tekst);

    auto* ikke = new QCheckBox(QStringLiteral("&Ikke i bruk"), w);
    ikke->setObjectName(QStringLiteral("ikkeibruk"));
    w->bind(ikke, KOD::IKKEIBRUK.no);
    fields->addRow(QString(), ikke);

    if (fixed) {
        showOnly(nr);
        showOnly(tekst);
    }

    // Shown from the record once the form has primed it.
    std::function<void()> refreshColour, refreshPlacement;
    switch (kind) {
    case KodeverkSkjema::Standard: {
        auto* div = memo(w, w);
        auto* label = new QLabel(QStringLiteral("&Div:"), w);
        label->setBuddy(div);
        fields->addRow(label, div);
        break;
    }
    case KodeverkSkjema::FakturaStatus: {
        auto* tabs = new QTabWidget(w);
        auto* oppsett = new QWidget;
        auto* form = new QFormLayout(oppsett);
        refreshColour = colourRow(w, form);
        auto* kreditnota = new QCheckBox(QStringLiteral("&Kreditnota"), oppsett);
        kreditnota->setObjectName(QStringLiteral("kreditnota"));
        w->bind(kreditnota, KOD::BYTE1.no);
        form->addRow(QString(), kreditnota);
        auto* betaling = numberEntry(oppsett);
        betaling->setObjectName(QStringLiteral("betalingsbetingelse"));
        w->bind(betaling, KOD::LONG3.no, "@n-_8");
        auto* label = new QLabel(QStringLiteral("Ny &betalingsbetingelse:"), oppsett);
        label->setBuddy(betaling);
        form->addRow(label, betaling);
        form->addRow(placementBox(w, refreshPlacement));
        tabs->addTab(oppsett, QStringLiteral("Oppsett"));
        auto* tekstTab = new QWidget;
        auto* tl = new QVBoxLayout(tekstTab);
        tl->addWidget(memo(w, tekstTab));
        tabs->addTab(tekstTab, QStringLiteral("Statustekst"));
        layout->addWidget(tabs, 1);
        break;
    }
    case KodeverkSkjema::FeltFormat: {
        auto* tabs = new QTabWidget(w);
        auto* oppsett = new QWidget;
        auto* form = new QFormLayout(oppsett);
        auto* format = entry(oppsett, 30);
        format->setObjectName(QStringLiteral("feltformatering"));
        format->setMaxLength(50);
        w->bind(format, KOD::CSTRING1.no, "@s50");
        auto* label = new QLabel(QStringLiteral("&Feltformatering:"), oppsett);
        label->setBuddy(format);
        form->addRow(label, format);
        tabs->addTab(oppsett, QStringLiteral("Oppsett"));
        auto* divTab = new QWidget;
        auto* dl = new QVBoxLayout(divTab);
        dl->addWidget(memo(w, divTab));
        tabs->addTab(divTab, QStringLiteral("Div"));
        layout->addWidget(tabs, 1);
        break;
    }
    }
    w->setFirstField(fixed ? static_cast<QWidget*>(ikke) : nr);
    w->start(std::move(done));
    if (w->okButton()) {
        w->okButton()->setText(QStringLiteral("Lagre kodeverkspost"));
        w->layout()->activate(); // the longer text gets its room at once
    }
    for (auto& refresh : {refreshColour, refreshPlacement})
        if (refresh)
            refresh();
}

void KODEVERKKARTOTEK(Context& ctx)
{
    auto* w = new KodeverkWindow(ctx);
    contextwindows::show(ctx, w);
    w->start();
}

} // namespace tavlo::desktop
