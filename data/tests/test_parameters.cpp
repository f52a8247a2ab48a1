// The parameter form's rules: the record it edits, the controls that follow other fields, the
// standard filters' names and the invoice-header layout file.
#include <gtest/gtest.h>

#include <fstream>

#include "data/parameters.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"

using namespace tavlo;

namespace {

class ParameterTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
    }
    void TearDown() override
    {
        form.reset();
        ctx.reset();
        DataFolderTest::TearDown();
    }

    void addParam(int mvaType, int logoResize)
    {
        auto& par = ctx->access(Tbl::PARAM);
        par.OPEN();
        par.rec().clear();
        par.rec().set(PAR::STDMVATYPE, mvaType);
        par.rec().set(PAR::STDMVASATS, 25);
        par.rec().set(PAR::LOGO_RESIZE, logoResize);
        par.rec().set(PAR::FASTFILTERIDKUNDE, 7);
        ASSERT_EQ(par.INSERT(), LEVEL_BENIGN);
        par.CLOSE();
    }

    ParameterForm& open()
    {
        GlobalRequest = InsertRecord; // whatever the caller left there
        form = std::make_unique<ParameterForm>(*ctx);
        form->bind({{}, [this](int r) { closedWith = r; }, {}, {}});
        EXPECT_EQ(form->init(), LEVEL_BENIGN);
        return *form;
    }

    // Every field of every element set to a value of its own.
    static void fillLayout(Record& r)
    {
        int n = 100;
        for (const LayoutElement& e : layoutElements())
            for (const LayoutKey& k : e.keys) {
                if (r.decl().fields[k.field].type == FieldType::TEXT)
                    r.setStr(k.field, std::string(e.section) + "-" + std::string(k.key) + "-Å");
                else
                    r.setNum(k.field, ++n);
            }
        r.set(PAR::INVERTERFAKTURALINJEHEADER, 1);
    }

    std::unique_ptr<Context> ctx;
    std::unique_ptr<ParameterForm> form;
    int closedWith = 0;
};

} // namespace

TEST_F(ParameterTest, OpensTheRecordForChangeAndEnablesByItsValues)
{
    addParam(0, 50);
    ParameterForm& f = open();
    EXPECT_EQ(f.request(), ChangeRecord);
    EXPECT_EQ(f.record().get(PAR::STDMVASATS), 25);
    EXPECT_FALSE(f.rateEnabled());
    EXPECT_FALSE(f.logoSizeEnabled());

    f.record().set(PAR::LOGO_RESIZE, 0);
    f.ok();
    EXPECT_EQ(closedWith, RequestCompleted);
    f.windowClosed();
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, ParameterForm::kRestartText);
    EXPECT_EQ(answers.shown[0].caption, "Advarsel");

    auto& par = ctx->access(Tbl::PARAM);
    par.OPEN();
    par.SET(PAR::KeyParameterId);
    ASSERT_EQ(par.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(par.rec().get(PAR::LOGO_RESIZE), 0);
    EXPECT_EQ(par.rec().get(PAR::STDMVATYPE), 0);
    par.CLOSE();
}

TEST_F(ParameterTest, WithoutARecordNothingOpensAndNothingIsWritten)
{
    form = std::make_unique<ParameterForm>(*ctx);
    form->bind({{}, [this](int r) { closedWith = r; }, {}, {}});
    EXPECT_EQ(form->init(), LEVEL_NOTIFY);
    EXPECT_EQ(closedWith, RequestCancelled);
    const auto before = answers.shown.size();
    form->windowClosed();
    EXPECT_EQ(answers.shown.size(), before);
}

TEST_F(ParameterTest, FilterNamesFollowTheNumbersOfEachRegistersTable)
{
    addFilter(*ctx, 1, 7, "Kunder i Bergen", "(KUN:PostNr >= 5000)", "");
    addFilter(*ctx, 2, 7, "Varer på lager", "(PRO:Lagerbeholdning > 0)", "");
    addFilter(*ctx, 13, 3, "Åpne prosjekter", "(PRJ:Avsluttet = 0)", "");
    addParam(1, 0);
    ParameterForm& f = open();
    EXPECT_EQ(f.filterName(0), "Kunder i Bergen");
    EXPECT_EQ(f.filterName(1), "");

    f.record().set(PAR::FASTFILTERIDPRODUKT, 7);
    f.record().set(PAR::FASTFILTERIDKUNDE, 8);
    f.record().set(PAR::FASTFILTERIDPROSJEKT, 3);
    f.refreshFilterNames();
    EXPECT_EQ(f.filterName(0), "");
    EXPECT_EQ(f.filterName(1), "Varer på lager");
    EXPECT_EQ(f.filterName(4), "Åpne prosjekter");
}

TEST_F(ParameterTest, ALayoutSavedAndLoadedIntoAFreshRecordIsTheSame)
{
    addParam(1, 0);
    ParameterForm& f = open();
    fillLayout(f.record());
    Record wanted(f.record());

    answers.files.push_back(path("oppsett.FAK"));
    ASSERT_TRUE(f.saveLayout());
    EXPECT_EQ(answers.dialogsShown.back(), "Angi filnavn");
    EXPECT_EQ(answers.shown.back().text, "Fakturalayout er lagret i filen " + path("oppsett.FAK"));
    EXPECT_EQ(answers.shown.back().caption, "Info");
    const std::string bytes = bytesOf("oppsett.FAK");
    EXPECT_NE(bytes.find("[Kundenr]\r\nX="), std::string::npos);
    EXPECT_NE(bytes.find("Font=Navn-Font-\xC5\r\n"), std::string::npos); // Windows-1252
    EXPECT_NE(bytes.find("[FakturaLinjeHeader]\r\nInverter=1"), std::string::npos);
    EXPECT_LT(bytes.find("[Kundenr]"), bytes.find("[Logo]"));

    f.record().clear();
    answers.files.push_back(path("oppsett.FAK"));
    ASSERT_TRUE(f.loadLayout());
    EXPECT_EQ(answers.dialogsShown.back(), "Velg fakturalayout");
    EXPECT_EQ(answers.shown.back().text, "Fakturalayout " + path("oppsett.FAK") + " er importert");
    for (const LayoutElement& e : layoutElements())
        for (const LayoutKey& k : e.keys)
            EXPECT_EQ(f.record().text(k.field), wanted.text(k.field)) << e.section << k.key;
    EXPECT_EQ(f.record().get(PAR::INVERTERFAKTURALINJEHEADER), 1);

    // Loaded, not stored: leaving without saving keeps the stored layout.
    answers.answer(BUTTON_NO);
    f.cancel();
    auto& par = ctx->access(Tbl::PARAM);
    par.OPEN();
    par.SET(PAR::KeyParameterId);
    ASSERT_EQ(par.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(par.rec().get(PAR::KUNDENR_X), 0);
    par.CLOSE();
}

TEST_F(ParameterTest, AHandWrittenFileMatchesNamesInAnyCaseAndZeroesWhatItLacks)
{
    {
        std::ofstream out(path("hand.fak"), std::ios::binary);
        out << "[KUNDENR]\nx=11\n Y = 12\nfONT=Arial,10,0,700\njustering=H\xF8yre\n"
               "[logo]\nRESIZE=50\npath=/logo.bmp\n"
               "[fakturalinjeheader]\nINVERTER=1\n";
    }
    Record r(table(Tbl::PARAM));
    fillLayout(r);
    ASSERT_TRUE(readLayoutFile(r, path("hand.fak")));
    EXPECT_EQ(r.get(PAR::KUNDENR_X), 11);
    EXPECT_EQ(r.get(PAR::KUNDENR_Y), 12);
    EXPECT_EQ(r.get(PAR::KUNDENR_H), 0);
    EXPECT_EQ(r.get(PAR::KUNDENR_FONT), "Arial,10,0,700");
    EXPECT_EQ(r.get(PAR::KUNDENR_JUSTERING), "Høyre");
    EXPECT_EQ(r.get(PAR::LOGO_RESIZE), 50);
    EXPECT_EQ(r.get(PAR::LOGO_PATH), "/logo.bmp");
    EXPECT_EQ(r.get(PAR::NAVN_X), 0);
    EXPECT_EQ(r.get(PAR::NAVN_FONT), "");
    EXPECT_EQ(r.get(PAR::KUNDENRLEDETEKST_W), 0);
    EXPECT_EQ(r.get(PAR::INVERTERFAKTURALINJEHEADER), 1);
}

TEST_F(ParameterTest, AFileThatCannotBeReadOrWrittenChangesNothingAndSaysSo)
{
    addParam(1, 0);
    ParameterForm& f = open();
    fillLayout(f.record());
    Record before(f.record());

    answers.files.push_back(path("finnes-ikke.FAK"));
    EXPECT_FALSE(f.loadLayout());
    EXPECT_TRUE(f.record() == before);
    EXPECT_EQ(answers.shown.back().caption, "Feil");

    answers.files.push_back(path("ingen-mappe/oppsett.FAK"));
    EXPECT_FALSE(f.saveLayout());
    EXPECT_EQ(answers.shown.back().caption, "Feil");

    // Cancelled dialogs: nothing at all.
    const auto shown = answers.shown.size();
    EXPECT_FALSE(f.saveLayout());
    EXPECT_FALSE(f.loadLayout());
    EXPECT_EQ(answers.shown.size(), shown);
}
