// omlegg: brings a data folder of data version 3 to this version.
//
//   omlegg                       the window, on the working folder
//   omlegg MAPPE [--vat yes|no]  the same steps without questions; --vat yes gives the VAT rates
//                                of 1 January 2005 (no is the default, as in the window)
#include <QApplication>
#include <QDir>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "converter/omlegging.h"
#include "converter/view/omleggvindu.h"
#include "data/context.h"
#include "data/globals.h"
#include "framework/installation.h"
#include "framework/widgets/qttekster.h"
#include "framework/widgets/widgetanswers.h"

using namespace tavlo;

namespace {

constexpr const char* kBruk =
    "Bruk: omlegg                      vinduet, på arbeidsmappen\n"
    "      omlegg MAPPE [--vat yes|no] konverterer MAPPE uten spørsmål; --vat yes gir\n"
    "                                  MVA-satsene fra 1. januar 2005 (standard: no)\n"
    "      omlegg --version            versjonen\n";

// Messages as lines: notices on stdout, warnings and errors on stderr.
class Linjer : public AnswerService {
  public:
    unsigned message(const Message& m) override
    {
        std::string tekst = oneLine(m.text);
        if (m.caption == "Info")
            std::printf("%s\n", tekst.c_str());
        else
            std::fprintf(stderr, "%s: %s\n", m.caption.c_str(), tekst.c_str());
        std::fflush(stdout);
        if (m.buttons & BUTTON_NO)
            return BUTTON_NO;
        return m.defaultButton;
    }
    void halt(const std::string& reason) override
    {
        std::fprintf(stderr, "%s\n", reason.c_str());
        std::exit(1);
    }
};

int kommandolinje(const std::string& mappe, bool mva)
{
    Linjer svar;
    ErrorClass feil(&svar);
    Context ctx(&feil);
    omlegg::Omlegging run(ctx, std::filesystem::absolute(mappe).lexically_normal().string());
    const bool terminal = ::isatty(STDERR_FILENO);
    std::string forrige;
    run.progressChanged = [&] {
        if (!terminal)
            return;
        if (!run.underveis) {
            std::fprintf(stderr, "\r\033[K");
            forrige.clear();
            return;
        }
        std::string linje = run.progressTekst;
        if (!run.tellerTekst.empty())
            linje += "  " + run.tellerTekst + " " + std::to_string(run.teller) + " av " +
                     std::to_string(run.antall);
        std::fprintf(stderr, "\r\033[K%s", linje.c_str());
        std::fflush(stderr);
        forrige = linje;
    };
    bool ok = run.konverter(mva);
    if (terminal && !forrige.empty())
        std::fprintf(stderr, "\r\033[K");
    // A refused folder has said why; the earlier run's tables are news only to a run that went.
    for (const auto& navn :
         run.resultater().empty() ? std::vector<std::string>() : run.tidligereKonvertert())
        std::printf("%-9s konvertert av en tidligere kjøring\n", navn.c_str());
    for (const auto& r : run.resultater()) {
        if (r.hoppetOver)
            continue;
        if (r.laget)
            std::printf("%-9s fantes ikke, laget tom\n", r.navn.c_str());
        else
            std::printf("%-9s %ld %s konvertert%s\n", r.navn.c_str(), r.skrevet,
                        r.skrevet == 1 ? "post" : "poster",
                        r.dobbelt ? (", " + std::to_string(r.dobbelt) +
                                     " med et nummer som var tatt er utelatt")
                                        .c_str()
                                  : "");
    }
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    GLO::OWNERNAME = GLO::kOwnerPassword;
    if (!args.empty()) {
        std::string mappe;
        bool mva = false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "--help" || a == "-h") {
                std::printf("%s", kBruk);
                return 0;
            }
            if (a == "--version") {
                std::printf("omlegg (Tavlo) %s\n", programVersion());
                return 0;
            }
            if (a == "--vat" && i + 1 < args.size() &&
                (args[i + 1] == "yes" || args[i + 1] == "no")) {
                mva = args[++i] == "yes";
            } else if (!a.empty() && a[0] != '-' && mappe.empty()) {
                mappe = a;
            } else {
                std::fprintf(stderr, "Ukjent argument: %s\n%s", a.c_str(), kBruk);
                return 2;
            }
        }
        if (mappe.empty()) {
            std::fprintf(stderr, "%s", kBruk);
            return 2;
        }
        return kommandolinje(mappe, mva);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("omlegg"));
    desktop::skrivebordsprogram();
    WidgetAnswers svar;
    ErrorClass feil(&svar);
    Context ctx(&feil);
    desktop::OmleggVindu vindu(ctx, QDir::currentPath().toStdString());
    QObject::connect(&vindu, &QDialog::finished, &app, &QCoreApplication::quit);
    vindu.show();
    return app.exec() == 0 ? 0 : 1;
}
