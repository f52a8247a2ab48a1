#include "framework/widgets/rapportvalg.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QVBoxLayout>

#include <memory>

#include "data/context.h"
#include "data/filterproc.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "framework/errorclass.h"
#include "framework/picture.h"
#include "framework/widgets/contextwindows.h"
#include "framework/widgets/dialog.h"
#include "framework/widgets/formfields.h"
#include "framework/widgets/hentdato.h"
#include "framework/widgets/lookupkeys.h"
#include "framework/widgets/printpreview.h"
#include "framework/widgets/reportprogress.h"

namespace tavlo::desktop {

namespace {
constexpr const char* kDato = "@d06.B";
}

QLineEdit* datofelt(QWidget* w, const char* name)
{
    QLineEdit* e = numberEntry(w, name, 10);
    auto vis = [e](int32_t d) {
        e->setText(QString::fromStdString(picture::formatDate(kDato, d)));
    };
    QObject::connect(e, &QLineEdit::editingFinished, e, [e, vis] {
        if (const auto d = picture::parseDate(kDato, e->text().trimmed().toStdString()))
            vis(*d);
    });
    installLookup(e, [e, vis] {
        const auto d = picture::parseDate(kDato, e->text().trimmed().toStdString());
        vis(HENTDATO(d.value_or(0)));
    });
    return e;
}

QLineEdit* kodefelt(Context* c, QWidget* w, QFormLayout* form, const char* label, const char* name,
                    int32_t group)
{
    QLineEdit* e = numberEntry(w, name, 6);
    auto* tekst = new QLabel(w);
    tekst->setObjectName(QString::fromLatin1(name) + QStringLiteral("tekst"));
    auto vis = [c, e, tekst, group](int32_t kode) {
        e->setText(kode ? QString::number(kode) : QString());
        tekst->setText(QString::fromStdString(kode ? codeText(*c, group, kode) : ""));
    };
    QObject::connect(e, &QLineEdit::editingFinished, w, [e, vis] {
        bool ok = false;
        const int kode = e->text().trimmed().toInt(&ok);
        if (ok || e->text().trimmed().isEmpty())
            vis(ok ? kode : 0);
    });
    installLookup(e, [c, e, vis, group] { vis(HENTKODA(*c, group, e->text().trimmed().toInt())); });
    auto* rad = new QHBoxLayout;
    rad->addWidget(e);
    rad->addWidget(tekst, 1);
    addRow(form, label, e, rad);
    return e;
}

std::pair<QLineEdit*, QLineEdit*> periodefelt(QWidget* w, QFormLayout* form, const char* label,
                                              const char* name, QWidget* ekstra)
{
    const std::string fra = std::string("fra") + name, til = std::string("til") + name;
    QLineEdit* f = datofelt(w, fra.c_str());
    QLineEdit* t = datofelt(w, til.c_str());
    auto* rad = new QHBoxLayout;
    rad->addWidget(new QLabel(QStringLiteral("F.o.m."), w));
    rad->addWidget(f);
    rad->addWidget(new QLabel(QStringLiteral("T.o.m."), w));
    rad->addWidget(t);
    if (ekstra)
        rad->addWidget(ekstra);
    rad->addStretch(1);
    addRow(form, label, f, rad);
    return {f, t};
}

QLineEdit* filterfelt(Context* c, QWidget* w, QFormLayout* form, int32_t tabell)
{
    QLineEdit* filter = entry(w, "filter", 40, 1023);
    installLookup(filter, [c, filter, tabell] {
        std::string uttrykk = filter->text().toStdString(), beskrivelse;
        if (HENTFILTER(*c, tabell, uttrykk, beskrivelse) != 0)
            filter->setText(QString::fromStdString(uttrykk));
    });
    addRow(form, "&Filter:", filter);
    return filter;
}

QButtonGroup* radioer(QWidget* w, QGroupBox* boks, const std::vector<const char*>& tekster,
                      const char* navn, int forste, bool strekk)
{
    auto* l = new QVBoxLayout(boks);
    auto* g = new QButtonGroup(w);
    for (std::size_t i = 0; i < tekster.size(); ++i) {
        auto* r = new QRadioButton(QString::fromUtf8(tekster[i]), boks);
        const int id = forste + static_cast<int>(i);
        r->setObjectName(QString::fromLatin1(navn) + QString::number(id));
        g->addButton(r, id);
        l->addWidget(r);
    }
    g->button(forste)->setChecked(true);
    if (strekk)
        l->addStretch(1);
    return g;
}

std::optional<int32_t> lesTall(Context& ctx, QLineEdit* e, const char* hva)
{
    const QString s = e->text().trimmed();
    if (s.isEmpty())
        return 0;
    bool ok = false;
    const int n = s.toInt(&ok);
    if (!ok || n < 0) {
        say(ctx, std::string("Ugyldig ") + hva + ": " + s.toStdString(), "Feil", Icon::Exclamation);
        e->setFocus();
        return std::nullopt;
    }
    return n;
}

std::optional<int32_t> lesDato(Context& ctx, QLineEdit* e)
{
    const std::string s = e->text().trimmed().toStdString();
    if (s.empty())
        return 0;
    if (const auto d = picture::parseDate(kDato, s))
        return *d;
    say(ctx, "Ugyldig dato: " + s + " (skriv 31.12.2026)", "Feil", Icon::Exclamation);
    e->setFocus();
    return std::nullopt;
}

void kjorListe(Context& ctx, Dialog* w, QPushButton* skrivUt, Listekjoring k)
{
    w->busy = true;
    skrivUt->setEnabled(false);
    QPointer<QPushButton> knapp(skrivUt);
    auto ferdig = [w, knapp] {
        if (!knapp)
            return;
        w->busy = false;
        knapp->setEnabled(true);
    };
    Context* c = &ctx;
    auto pages = std::move(k.pages);
    INIClass* settings = k.settings;
    ReportRun run;
    run.text = k.tittel;
    run.next = std::move(k.next);
    run.percent = std::move(k.percent);
    run.done = [c, pages, settings, ferdig](bool completed, int64_t) {
        report::PageList sider;
        if (completed)
            sider = pages(); // "Ingen poster" when there is none
        ferdig();
        if (sider.empty())
            return; // cancelled or nothing to print: nothing prints
        if (GLO::PREVIEW == 0) {
            printWithoutPreview(std::move(sider));
            return;
        }
        auto* p = new PrintPreviewClass(std::move(sider), settings, {});
        contextwindows::show(*c, p);
        p->setWindowState(p->windowState() | Qt::WindowMaximized);
    };
    runReport(ctx, std::move(run));
}

} // namespace tavlo::desktop
