// tlma: the desktop program. Started in (or on) a data folder; "/A" runs it on the archive.
#include <QApplication>
#include <QDir>
#include <QScreen>

#include <filesystem>
#include <string>
#include <vector>

#include "data/context.h"
#include "data/datafolder.h"
#include "data/globals.h"
#include "framework/iniclass.h"
#include "framework/relationmanager.h"
#include "framework/widgets/widgetanswers.h"
#include "shell/frame.h"
#include "shell/startup.h"

using namespace tavlo;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavlo"));
    std::vector<std::string> args(argv + 1, argv + argc);

    // A folder named on the command line becomes the working folder: the data folder.
    for (const auto& a : args)
        if (!a.empty() && a[0] != '/' && a[0] != '-') {
            std::filesystem::create_directories(a);
            QDir::setCurrent(QString::fromStdString(a));
        } else if (!a.empty() && a[0] == '/' && a.size() > 2 && std::filesystem::is_directory(a)) {
            QDir::setCurrent(QString::fromStdString(a));
        }
    const std::string folder = QDir::currentPath().toStdString();

    WidgetAnswers answers;
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
