// tlma: the desktop program. Started in (or on) a data folder; "/A" runs it on the archive.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSettings>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/context.h"
#include "data/datafolder.h"
#include "data/globals.h"
#include "framework/iniclass.h"
#include "framework/installation.h"
#include "framework/relationmanager.h"
#include "framework/widgets/qttekster.h"
#include "framework/widgets/widgetanswers.h"
#include "shell/frame.h"
#include "shell/startup.h"

using namespace tavlo;

namespace {

constexpr const char* kUsage =
    "Bruk: tlma [MAPPE] [/A] [--last-folder]\n"
    "Tavlo, fakturasystemet, på datamappen MAPPE (standard: arbeidsmappen).\n"
    "\n"
    "  MAPPE          datamappen; har den ingen Tavlo-data, spør programmet om å opprette dem\n"
    "  /A             arbeider i arkivet i stedet for de aktive fakturaene\n"
    "  --last-folder  uten MAPPE: datamappen som ble brukt sist, ellers velges den i en dialog\n"
    "                 (slik programmet startes fra menyen)\n"
    "  --version      skriver ut versjonen\n"
    "  --help         skriver ut denne teksten\n";

// Where the last data folder is remembered, for the next start from the menu.
constexpr const char* kLastFolderKey = "sisteDatamappe";

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    // Answered before any window system is asked for: these work on a console without one.
    for (const auto& a : args) {
        if (a == "--version") {
            std::printf("tlma (Tavlo) %s\n", programVersion());
            return 0;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlo"));
    QApplication::setOrganizationName(QStringLiteral("Tavlo"));
    desktop::skrivebordsprogram();
    // The menu entry's name, so that a Wayland desktop ties the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(desktop::kProgramId));
    QSettings user(QStringLiteral("Tavlo"), QStringLiteral("tlma"));

    WidgetAnswers answers;

    // A folder named on the command line becomes the working folder: the data folder.
    bool named = false;
    for (const auto& a : args)
        if (!a.empty() && a[0] != '/' && a[0] != '-') {
            std::filesystem::create_directories(a);
            QDir::setCurrent(QString::fromStdString(a));
            named = true;
        } else if (!a.empty() && a[0] == '/' && a.size() > 2 && std::filesystem::is_directory(a)) {
            QDir::setCurrent(QString::fromStdString(a));
            named = true;
        }
    if (!named && std::find(args.begin(), args.end(), "--last-folder") != args.end()) {
        const std::string chosen = tlma::menuStartFolder(
            answers, user.value(QString::fromLatin1(kLastFolderKey)).toString().toStdString(),
            QDir::home().filePath(QStringLiteral("Tavlo")).toStdString());
        if (chosen.empty())
            return 0;
        QDir::setCurrent(QString::fromStdString(chosen));
    }
    const std::string folder = QDir::currentPath().toStdString();

    ErrorClass errors(&answers);
    INIClass settings;
    settings.Init("tlma.INI");

    tlma::Environment env;
    std::string problem;
    if (tlma::loadEnvironment(folder + "/" + tlma::kEnvironmentFile, env, problem) ==
            tlma::EnvironmentLoad::Damaged &&
        tlma::say(errors, std::string(tlma::kEnvironmentStop) + "|(" + problem + ")", "Feil",
                  Icon::Hand, BUTTON_ABORT | BUTTON_IGNORE, BUTTON_ABORT) != BUTTON_IGNORE)
        return 1;

    tlma::initModules(errors, &settings);
    setDataFolder(folder);
    GLO::OWNERNAME = GLO::kOwnerPassword;
    int rc = 0;
    if (tlma::firstStart(errors, folder)) {
        user.setValue(QString::fromLatin1(kLastFolderKey), QString::fromStdString(folder));
        GLO::setArchiveMode(tlma::archiveSwitch(args));
        Context frameCtx(&errors);
        ProcedureScope scope(frameCtx, "MainFrame");
        RelationManager& param = frameCtx.relate(Tbl::PARAM);
        param.OPEN(); // open until the frame closes
        if (!tlma::readParameters(frameCtx)) {
            tlma::say(errors, tlma::kParamError, "Feil", Icon::Hand);
            answers.halt(tlma::kParamError);
        }
        QWidget* splash = tlma::SPLASH();
        tlma::Frame frame(errors, GLO::ARKIV_AKTIV == 1);
        frame.show();
        GLO::FRAME_W = frame.width();
        GLO::FRAME_H = frame.height();
        splash->raise();
        rc = app.exec();
        param.CLOSE();
    }
    settings.Update("tlma", "Avsluttet", 1);
    tlma::killModules();
    settings.Kill();
    return rc;
}
