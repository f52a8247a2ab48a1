// The window "Fakturavedlikehold": the marked invoices into the archive ("Eksport"), archived
// invoices of a date range back ("Import"), with the window "Vent..." while a run goes on.
#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>

#include "data/context.h"
#include "data/globals.h"
#include "framework/picture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lookupkeys.h"
#include "invoices/fakturaoppdatering.h"
#include "invoices/fakturavedlikehold.h"
#include "invoices/view/invoices_view.h"

namespace tavlo::desktop {

namespace {

constexpr const char* kDato = "@d06.B";

QLabel* tekst(QWidget* parent, const char* text)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setWordWrap(true);
    return l;
}

// A tab's one button, at its bottom right.
QPushButton* knappNederst(QWidget* fane, QVBoxLayout* layout, const char* text, const char* name)
{
    layout->addStretch(1);
    auto* rad = new QHBoxLayout;
    rad->addStretch(1);
    QPushButton* b = addButton(fane, rad, text, name);
    layout->addLayout(rad);
    return b;
}

// A date field with the date picker on F4 and the right mouse button.
QLineEdit* datofelt(QWidget* w, const char* name, int32_t& verdi)
{
    auto* e = numberEntry(w, name, 10);
    auto show = [e, &verdi] {
        e->setText(QString::fromStdString(picture::formatDate(kDato, verdi)));
    };
    QObject::connect(e, &QLineEdit::editingFinished, w, [e, &verdi, show] {
        verdi = picture::parseDate(kDato, e->text().toStdString()).value_or(verdi);
        show();
    });
    installLookup(e, [&verdi, show] {
        verdi = HENTDATO(verdi);
        show();
    });
    show();
    return e;
}

// "Vent...": what the run is doing and how far it has come; it cannot be closed.
class Vent : public Dialog {
  public:
    Vent() : Dialog(nullptr)
    {
        setObjectName(QStringLiteral("Vent"));
        setWindowTitle(QStringLiteral("Vent..."));
        setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        auto* layout = new QVBoxLayout(this);
        melding = new QLabel(this);
        melding->setObjectName(QStringLiteral("progressmelding"));
        teller = new QProgressBar(this);
        teller->setObjectName(QStringLiteral("progressteller"));
        layout->addWidget(melding);
        layout->addWidget(teller);
        setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
        busy = true;
    }
    void vis(const FakturaVedlikehold& run)
    {
        melding->setText(QString::fromStdString(run.progressMelding));
        teller->setRange(0, static_cast<int>(std::max(1L, run.antall)));
        teller->setValue(static_cast<int>(run.progressTeller));
        if (!isVisible())
            show();
        // The run works on this thread: let the bar and the other windows be drawn.
        QApplication::processEvents();
    }
    QLabel* melding;
    QProgressBar* teller;
};

struct Verdier {
    int32_t fra = 0, til = 0;
};

} // namespace

void FAKTURAVEDLIKEHOLD(Context& ctx, std::function<void()> done)
{
    auto* w = new Dialog([done] {
        if (done)
            done();
    });
    w->setObjectName(QStringLiteral("FAKTURAVEDLIKEHOLD"));
    w->setWindowTitle(QStringLiteral("Fakturavedlikehold"));
    w->setMinimumWidth(w->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 34);
    auto verdier = std::make_shared<Verdier>();
    auto* layout = new QVBoxLayout(w);
    auto* tabs = new QTabWidget(w);
    layout->addWidget(tabs);

    auto* eksport = new QWidget(tabs);
    auto* el = new QVBoxLayout(eksport);
    el->addWidget(tekst(eksport, "Denne rutinen vil  arkivere merkede fakturaer samt tilhørende "
                                 "fakturalinjer til et elektronisk fjernarkiv."));
    el->addWidget(tekst(eksport,
                        "Det er viktig at alle fakturaer og fakturalinjer i systemet har unike "
                        "nummer. Derfor er det nødvendig at den fakturaen og fakturalinjen med "
                        "det til enhver tid høyeste referansenummeret ligger igjen i "
                        "fakturakartoteket."));
    QPushButton* eksporter = knappNederst(eksport, el, "&Eksporter", "EKSPORTERBUTTON");
    tabs->addTab(eksport, QStringLiteral("Eksport"));

    auto* import = new QWidget(tabs);
    auto* il = new QVBoxLayout(import);
    il->addWidget(tekst(import, "Henter arkiverte fakturaer med fakturadato i tidsrommet "
                                "tilbake til fakturakartoteket. Tomme datoer gir ingen grense."));
    auto* form = new QFormLayout;
    addRow(form, "&Fra dato:", datofelt(import, "fradato", verdier->fra));
    addRow(form, "&Til dato:", datofelt(import, "tildato", verdier->til));
    il->addLayout(form);
    QPushButton* importer = knappNederst(import, il, "&Importer", "IMPORTERBUTTON");
    tabs->addTab(import, QStringLiteral("Import"));

    auto* bunn = new QHBoxLayout;
    bunn->addStretch(1);
    QPushButton* avbryt = addButton(w, bunn, "Avbryt", "avbryt");
    layout->addLayout(bunn);
    QObject::connect(avbryt, &QPushButton::clicked, w, &QWidget::close);

    Context* c = &ctx;
    // Runs one move with the window off; the window closes after a run that went through.
    auto kjor = [w, c](const std::function<FakturaVedlikehold::Utfall(FakturaVedlikehold&)>& f) {
        if (w->busy)
            return;
        w->busy = true;
        w->setEnabled(false);
        FakturaVedlikehold run(*c);
        std::unique_ptr<Vent> vent;
        run.progressChanged = [&run, &vent] {
            if (!vent)
                vent = std::make_unique<Vent>();
            vent->vis(run);
        };
        const FakturaVedlikehold::Utfall utfall = f(run);
        vent.reset();
        w->setEnabled(true);
        w->busy = false;
        if (utfall == FakturaVedlikehold::Utfall::Ferdig)
            w->close();
    };
    QObject::connect(eksporter, &QPushButton::clicked, w, [kjor] {
        kjor([](FakturaVedlikehold& run) { return run.eksporter(FakturaOppdatering::merkede()); });
    });
    QObject::connect(importer, &QPushButton::clicked, w, [kjor, verdier] {
        kjor([verdier](FakturaVedlikehold& run) {
            return run.importer(verdier->fra, verdier->til);
        });
    });
    contextwindows::show(ctx, w);
}

} // namespace tavlo::desktop
