// The customer register through its window, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTest>

#include "customers/view/customers_view.h"
#include "data/tests/fixture.h"
#include "framework/widgets/browsewidget.h"
#include "framework/widgets/contextwindows.h"

using namespace tavlo;

namespace {

class KundekartotekWindowTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        GLO::FAST_FILTERID_KUNDE = 0;
        ctx = std::make_unique<Context>(&errors);
        addCode(*ctx, 101, 5003, "BERGEN");
        addCode(*ctx, 103, 2, "Storkunder");
    }
    void TearDown() override
    {
        for (QWidget* w : contextwindows::windows(*ctx))
            delete w;
        QApplication::processEvents();
        ctx.reset();
        GLO::FAST_FILTERID_KUNDE = 0;
        DataFolderTest::TearDown();
    }
    int add(const std::string& name, int32_t postnr, int32_t group)
    {
        const int id = addCustomer(*ctx, name);
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, id);
        EXPECT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
        kun.rec().set(KUN::POSTNR, postnr);
        kun.rec().set(KUN::KUNDEGRUPPE, group);
        EXPECT_EQ(kun.UPDATE(), LEVEL_BENIGN);
        kun.CLOSE();
        return id;
    }
    QWidget* window() const { return contextwindows::windows(*ctx).front(); }
    BrowseWidget* list() const { return window()->findChild<BrowseWidget*>("kunder"); }
    QStringList column(int c) const
    {
        QStringList out;
        auto& m = list()->browse().model();
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.data(m.index(r, c)).toString().trimmed();
        return out;
    }
    // What the list draws in a cell: the text its delegate puts in place of the model's.
    QString drawn(int row, int c) const
    {
        // initStyleOption is protected; the delegate's own override still runs.
        struct Open : QStyledItemDelegate {
            using QStyledItemDelegate::initStyleOption;
        };
        auto* table = list()->table();
        const QModelIndex index = table->model()->index(row, c);
        QStyleOptionViewItem o;
        o.initFrom(table);
        static_cast<Open*>(static_cast<QStyledItemDelegate*>(table->itemDelegateForIndex(index)))
            ->initStyleOption(&o, index);
        return o.text;
    }

    std::unique_ptr<Context> ctx;
};

} // namespace

TEST_F(KundekartotekWindowTest, OpensOnTheNameTabWithTheSearchAndMarksWithSpace)
{
    add("Hansen", 5003, 2);
    add("Andersen", 0, 0);
    GLQ::TAG_KUNDE.push_back({1, 1});
    desktop::KUNDEKARTOTEK(*ctx);
    QWidget* w = window();
    EXPECT_EQ(w->windowTitle(), "Kundekartotek");
    EXPECT_TRUE(GLQ::TAG_KUNDE.empty());
    EXPECT_EQ(list()->tabBar()->currentIndex(), 1);
    EXPECT_EQ(column(1), (QStringList{"Andersen", "Hansen"}));
    EXPECT_EQ(drawn(1, 3), "5003 BERGEN");
    EXPECT_EQ(drawn(1, 4), "Storkunder");
    EXPECT_EQ(drawn(0, 3), "");

    auto* navn = w->findChild<QLineEdit*>("navn");
    ASSERT_TRUE(navn);
    EXPECT_FALSE(navn->isHidden());
    navn->setText("sen");
    QTest::keyClick(navn, Qt::Key_Return);
    EXPECT_EQ(column(1), (QStringList{"Andersen", "Hansen"}));
    navn->setText("HANS");
    QTest::keyClick(navn, Qt::Key_Return);
    EXPECT_EQ(column(1), (QStringList{"Hansen"}));

    list()->tabBar()->setCurrentIndex(0);
    EXPECT_TRUE(navn->isHidden());
    EXPECT_EQ(column(1), (QStringList{"Hansen", "Andersen"}));

    list()->browse().model().setCurrentRow(1);
    QTest::keyClick(list()->table(), Qt::Key_Space);
    ASSERT_EQ(GLQ::TAG_KUNDE.size(), 1u);
    EXPECT_EQ(GLQ::TAG_KUNDE[0].id, 2);
    EXPECT_EQ(list()->browse().model().data(list()->browse().model().index(1, 0),
                                            PagedTableModel::MarkRole),
              1);
    QTest::keyClick(list()->table(), Qt::Key_Space);
    EXPECT_TRUE(GLQ::TAG_KUNDE.empty());
}

TEST_F(KundekartotekWindowTest, TheFilterButtonsShowTheDescriptionAndTheRefusal)
{
    add("Hansen", 5003, 2);
    add("Andersen", 0, 0);
    desktop::KUNDEKARTOTEK(*ctx);
    QWidget* w = window();
    auto* description = w->findChild<QLineEdit*>("beskrivelse");
    ASSERT_TRUE(description);

    answers.filterBuilder = [](int, std::string& e) {
        e = "KUN:PostNr = 5003";
        return true;
    };
    QTest::mouseClick(w->findChild<QPushButton*>("avgrensning"), Qt::LeftButton);
    EXPECT_EQ(description->text(), "KUN:PostNr = 5003");
    EXPECT_EQ(column(1), (QStringList{"Hansen"}));

    answers.filterBuilder = [](int, std::string& e) {
        e = "KUN:PostNr = = 5003";
        return true;
    };
    QTest::mouseClick(w->findChild<QPushButton*>("avgrensning"), Qt::LeftButton);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(column(1), (QStringList{"Hansen"}));

    QTest::mouseClick(w->findChild<QPushButton*>("merkAlle"), Qt::LeftButton);
    EXPECT_EQ(GLQ::TAG_KUNDE.size(), 1u);
    QTest::mouseClick(w->findChild<QPushButton*>("fjernAvgrensning"), Qt::LeftButton);
    EXPECT_EQ(description->text(), "");
    EXPECT_EQ(column(1), (QStringList{"Andersen", "Hansen"}));
    QTest::mouseClick(w->findChild<QPushButton*>("fjernAvmerkinger"), Qt::LeftButton);
    EXPECT_TRUE(GLQ::TAG_KUNDE.empty());
}
