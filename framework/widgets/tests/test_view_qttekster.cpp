// Qt's own dialogs and menus speak bokmål once the texts are installed.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <memory>

#include "framework/widgets/qttekster.h"

using namespace tavlo::desktop;

namespace {

class QtTeksterTest : public ::testing::Test {
  protected:
    void SetUp() override { QCoreApplication::installTranslator(&tekster); }
    void TearDown() override { QCoreApplication::removeTranslator(&tekster); }
    QtTekster tekster;
};

QStringList texts(const QList<QLabel*>& labels)
{
    QStringList out;
    for (const QLabel* l : labels)
        out << l->text();
    return out;
}

} // namespace

TEST_F(QtTeksterTest, TheFileDialogTheButtonsAndTheContextMenu)
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    const QStringList labels = texts(dialog.findChildren<QLabel*>());
    EXPECT_TRUE(labels.contains(QStringLiteral("Se i:"))) << labels.join('|').toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("Filtype:"))) << labels.join('|').toStdString();

    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Avbryt"));

    QLineEdit edit(QStringLiteral("tekst"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList actions;
    for (const QAction* a : menu->actions())
        actions << a->text().section('\t', 0, 0);
    EXPECT_TRUE(actions.contains(QStringLiteral("&Angre"))) << actions.join('|').toStdString();
    EXPECT_TRUE(actions.contains(QStringLiteral("Merk alt"))) << actions.join('|').toStdString();
}

TEST_F(QtTeksterTest, AnUnknownTextIsLeftToQt)
{
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "No such text"), "No such text");
    EXPECT_EQ(QCoreApplication::translate("Annet", "Look in:"), "Look in:");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Se i:");
}
