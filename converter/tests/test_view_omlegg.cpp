// The converter's window: the backup check box first, then the question, the window "Vent,
// konvertering pågår" through every step, and the window's end when the run is through.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <set>

#include "converter/testmappe/versjon3mappe.h"
#include "converter/view/omleggvindu.h"
#include "data/context.h"
#include "data/globals.h"
#include "framework/scriptedanswers.h"

namespace {
namespace fs = std::filesystem;
using namespace tavlo;

TEST(OmleggVindu, ConvertsOnlyWithTheBackupTickedAndShowsEveryStep)
{
    char pattern[] = "/tmp/tavlo-omleggvindu-XXXXXX";
    const std::string mappe = mkdtemp(pattern);
    GLO::OWNERNAME = GLO::kOwnerPassword;
    omlegg::testmappe::lag(mappe);
    ScriptedAnswers answers;
    ErrorClass errors(&answers);
    Context ctx(&errors);

    desktop::OmleggVindu w(ctx, mappe);
    w.show();
    auto* avslutt = w.findChild<QPushButton*>(QStringLiteral("AVSLUTTBUTTON"));
    ASSERT_TRUE(avslutt);
    EXPECT_EQ(avslutt->text(), QStringLiteral("&Avslutt"));
    EXPECT_EQ(avslutt->toolTip(), QStringLiteral("Avslutt konverteringsprogram"));
    EXPECT_EQ(w.konverter()->text(), QStringLiteral("&Konverter"));
    EXPECT_EQ(w.konverter()->toolTip(), QStringLiteral("Start konvertering av data"));
    EXPECT_EQ(w.sikkerhetskopi()->text(), QStringLiteral("&Ja, jeg  har tatt sikkerhetskopi"));

    w.konverter()->click();
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Du må ta en sikkerhetskopi før du konverterer");
    EXPECT_FALSE(fs::exists(mappe + "/KUNDE.300"));
    EXPECT_TRUE(w.isVisible());

    // What the waiting window shows, each time the run lets it be drawn.
    std::set<std::string> sett;
    QString tittel;
    QTimer titt;
    QObject::connect(&titt, &QTimer::timeout, [&] {
        for (QWidget* v : QApplication::topLevelWidgets())
            if (v->objectName() == QStringLiteral("Vent") && v->isVisible()) {
                tittel = v->windowTitle();
                for (const char* navn : {"tekst", "tellertekst"})
                    sett.insert(
                        v->findChild<QLabel*>(QString::fromLatin1(navn))->text().toStdString());
            }
    });
    titt.start(0);
    w.sikkerhetskopi()->setChecked(true);
    answers.answer(BUTTON_NO);
    w.konverter()->click();
    titt.stop();

    ASSERT_EQ(answers.shown.size(), 3u);
    EXPECT_EQ(answers.shown[2].text, "Konverteringen er ferdig");
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(tittel, QStringLiteral("Vent, konvertering pågår"));
    for (const char* t :
         {"Konverterer tabell PARAM", "Konverterer tabell KUNDE", "Konverterer tabell BAKLINJE",
          "Konverterer post #:", "Importerer kodever", "Importerer post #:"})
        EXPECT_TRUE(sett.count(t)) << t;
    EXPECT_TRUE(fs::exists(mappe + "/KUNDE.300"));
    fs::remove_all(mappe);
}

} // namespace
