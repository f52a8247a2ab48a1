// Custom-field definitions: which controls a form gets from them, and the definition form's rules.
#include "customfields/egendef.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"

using namespace tavlo;

namespace {

class EgenDefTest : public tavlo::testing::DataFolderTest {
  protected:
    // A definition through the record store; `more` sets the rest.
    void define(int32_t table, const std::string& name,
                const std::function<void(Record&)>& more = {})
    {
        Context ctx(&errors);
        auto& egn = ctx.access(Tbl::EGENDEF);
        egn.OPEN();
        egn.rec().clear();
        egn.rec().set(EGN::TABELLNR, table);
        egn.rec().set(EGN::FELTNAVN, name);
        if (more)
            more(egn.rec());
        ASSERT_EQ(egn.INSERT(), LEVEL_BENIGN);
        egn.CLOSE();
    }
    CustomFields create(int32_t table, int32_t x = 0, int32_t y = 0)
    {
        Context ctx(&errors);
        return OPPRETTEGENDEFINERTEFELT(ctx, table, groups, x, y);
    }
    std::array<int32_t, 10> groups{};
};

} // namespace

TEST_F(EgenDefTest, FieldNamesGiveTheirIndexAndField)
{
    EXPECT_EQ(spareFieldIndex("Heltall 1"), 1);
    EXPECT_EQ(spareFieldIndex("heltall 10  "), 10);
    EXPECT_EQ(spareFieldIndex("DESIMALTALL 2"), 12);
    EXPECT_EQ(spareFieldIndex("Tekst 5"), 20);
    for (const char* bad : {"", "Heltall 11", "Tekst 0", " Heltall 1", "Heltall1", "Desimaltall 6"})
        EXPECT_EQ(spareFieldIndex(bad), 0) << bad;
    EXPECT_EQ(spareField(Tbl::KUNDE, 3), KUN::HELTALL3.no);
    EXPECT_EQ(spareField(Tbl::GRUNNLAG, 12), GRU::DESIMALTALL2.no);
    EXPECT_EQ(spareField(Tbl::PROSJEKT, 20), PRJ::TEKST5.no);
}

TEST_F(EgenDefTest, NoDefinitionsMakeNothing)
{
    define(2, "Heltall 1");
    const CustomFields f = create(1);
    EXPECT_EQ(f.count, 0);
    EXPECT_TRUE(f.controls.empty());
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(EgenDefTest, ALookedUpWholeNumberGetsASpinBoxACodeTextAndItsGroup)
{
    define(1, "Heltall 3", [](Record& r) {
        r.set(EGN::LEDETEKST, "Kundegruppe");
        r.set(EGN::LEDETEKSTPOSX, 4);
        r.set(EGN::LEDETEKSTPOSY, 6);
        r.set(EGN::LEDETEKSTPOSW, 40);
        r.set(EGN::LEDETEKSTPOSH, 10);
        r.set(EGN::FELTPOSX, 50);
        r.set(EGN::FELTPOSY, 5);
        r.set(EGN::FELTPOSW, 30);
        r.set(EGN::FELTPOSH, 12);
        r.set(EGN::OPPSLAGKODEVERKGR, 103);
        r.set(EGN::OPPSLAGPOSW, 80);
        r.set(EGN::FELTFORMAT, "@n_8B");
    });
    groups.fill(-1);
    const CustomFields f = create(1, 10, 100);
    ASSERT_EQ(f.count, 1);
    ASSERT_EQ(f.controls.size(), 1u);
    const CustomControl& c = f.controls[0];
    EXPECT_EQ(c.index, 3);
    EXPECT_EQ(valueControl(c.index), 203);
    EXPECT_EQ(c.field, KUN::HELTALL3.no);
    EXPECT_TRUE(c.prompt);
    EXPECT_EQ(c.promptRect, (UnitRect{4 + 18, 6 + 120, 40, 10}));
    EXPECT_EQ(c.valueRect, (UnitRect{50 + 18, 5 + 120, 30, 12}));
    // The code text: 3 units right of the value, as high as it.
    EXPECT_EQ(c.codeRect, (UnitRect{50 + 18 + 30 + 3, 5 + 120, 80, 12}));
    EXPECT_EQ(c.group, 103);
    EXPECT_EQ(c.lookup, 3);
    EXPECT_EQ(c.alignment, Alignment::Right);
    EXPECT_EQ(c.offset, 1);
    EXPECT_EQ(groups[2], 103);
    EXPECT_EQ(groups[0], -1); // the others are the caller's
}

TEST_F(EgenDefTest, PicturesAlignNumbersDatesAndTimesRight)
{
    define(2, "Desimaltall 2", [](Record& r) { r.set(EGN::FELTFORMAT, "@d06.B"); });
    define(2, "Tekst 1", [](Record& r) { r.set(EGN::FELTFORMAT, "@s50"); });
    define(2, "Tekst 2", [](Record& r) { r.set(EGN::FELTFORMAT, "  "); });
    define(2, "Heltall 4", [](Record& r) { r.set(EGN::FELTFORMAT, "@t1"); });
    const CustomFields f = create(2);
    ASSERT_EQ(f.controls.size(), 4u);
    EXPECT_EQ(f.controls[0].field, PRO::DESIMALTALL2.no);
    EXPECT_EQ(valueControl(f.controls[0].index), 212);
    EXPECT_EQ(f.controls[0].alignment, Alignment::Right);
    EXPECT_EQ(f.controls[1].alignment, Alignment::Left);
    EXPECT_EQ(f.controls[1].offset, 0);
    EXPECT_EQ(f.controls[2].alignment, Alignment::Default); // blank: the control's own
    EXPECT_TRUE(f.controls[2].picture.empty());
    EXPECT_EQ(f.controls[3].alignment, Alignment::Right);
    // No prompt text, no prompt; no group, no spin box.
    EXPECT_FALSE(f.controls[0].prompt);
    EXPECT_EQ(f.controls[0].group, 0);
}

TEST_F(EgenDefTest, ACheckBoxIgnoresPromptPositionFormatAndLookup)
{
    define(13, "Heltall 2", [](Record& r) {
        r.set(EGN::AVKRYSSNINGSFELT, 1);
        r.set(EGN::LEDETEKST, "Fakturerbar");
        r.set(EGN::LEDETEKSTPOSX, 99);
        r.set(EGN::FELTPOSX, 7);
        r.set(EGN::FELTPOSY, 8);
        r.set(EGN::FELTPOSW, 60);
        r.set(EGN::FELTPOSH, 10);
        r.set(EGN::FELTFORMAT, "@n3");
        r.set(EGN::OPPSLAGKODEVERKGR, 103);
    });
    const CustomFields f = create(13);
    ASSERT_EQ(f.controls.size(), 1u);
    const CustomControl& c = f.controls[0];
    EXPECT_TRUE(c.checkBox);
    EXPECT_FALSE(c.prompt);
    EXPECT_EQ(c.text, "Fakturerbar");
    EXPECT_EQ(c.valueRect, (UnitRect{15, 28, 60, 10}));
    EXPECT_TRUE(c.picture.empty());
    EXPECT_EQ(c.group, 0);
    EXPECT_EQ(groups[1], 0);
}

TEST_F(EgenDefTest, BillingBasesTakeTheInvoicesDefinitionsBoundToTheirOwnFields)
{
    define(3, "Tekst 4", [](Record& r) { r.set(EGN::FELTNR, 2); });
    define(3, "Heltall 1", [](Record& r) { r.set(EGN::FELTNR, 1); });
    define(5, "Heltall 9"); // no register makes these: not read
    for (int32_t table : {3, 5}) {
        const CustomFields f = create(table);
        ASSERT_EQ(f.count, 2) << table;
        ASSERT_EQ(f.controls.size(), 2u);
        // In key order: by number within the table.
        EXPECT_EQ(f.controls[0].index, 1);
        EXPECT_EQ(f.controls[1].index, 19);
        const Tbl t = table == 3 ? Tbl::FAKTURA : Tbl::GRUNNLAG;
        EXPECT_EQ(f.controls[1].field, spareField(t, 19));
    }
    EXPECT_EQ(create(5).controls[1].field, GRU::TEKST4.no);
}

TEST_F(EgenDefTest, AnUnknownNameIsReportedAndCountedAndASecondDefinitionReplacesTheFirst)
{
    define(1, "Tekst 1", [](Record& r) { r.set(EGN::LEDETEKST, "Først"); });
    define(1, "Heltall 11");
    define(1, "Tekst 1");
    define(1, "Desimaltall 3", [](Record& r) {
        // A group on a decimal: spin box and code text, but nothing for the arrays.
        r.set(EGN::OPPSLAGKODEVERKGR, 103);
        r.set(EGN::OPPSLAGPOSW, 40);
    });
    const CustomFields f = create(1);
    EXPECT_EQ(f.count, 4);
    ASSERT_EQ(f.controls.size(), 2u);
    EXPECT_EQ(f.controls[0].index, 16);
    EXPECT_EQ(f.controls[0].text, "");
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Det oppsto feil under forsøk på å opprette egendefinert "
                                     "felt. Ukjent feltnavn: Heltall 11");
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(f.controls[1].group, 103);
    EXPECT_EQ(f.controls[1].lookup, 0);
    EXPECT_EQ(groups, (std::array<int32_t, 10>{}));
}

TEST_F(EgenDefTest, FormEnablingFollowsTheCheckBoxAndTheLookupWidth)
{
    Context ctx(&errors);
    GlobalRequest = InsertRecord;
    EgenDefForm form(ctx, 13);
    ASSERT_EQ(form.init(), LEVEL_BENIGN);
    EXPECT_EQ(form.caption(), "Nytt egendefinert felt");
    EXPECT_EQ(form.record().get(EGN::TABELLNR), 13);
    // A new definition has no lookup width: the group waits for one.
    EXPECT_EQ(form.enabling(), (EgenDefEnabling{true, true, true, false}));
    form.record().set(EGN::OPPSLAGPOSW, 80);
    EXPECT_EQ(form.enabling(), (EgenDefEnabling{true, true, true, true}));
    form.record().set(EGN::AVKRYSSNINGSFELT, 1);
    EXPECT_EQ(form.enabling(), (EgenDefEnabling{false, false, false, false}));

    form.record().set(EGN::FELTNAVN, "Heltall 1");
    form.ok();
    EXPECT_EQ(form.response(), RequestCompleted);
    auto& egn = ctx.access(Tbl::EGENDEF);
    egn.OPEN();
    egn.SET(EGN::KeyEgenDefId);
    ASSERT_EQ(egn.NEXT(), LEVEL_BENIGN);
    EXPECT_EQ(egn.rec().get(EGN::TABELLNR), 13);
    EXPECT_EQ(egn.rec().get(EGN::FELTNR), 0);
    egn.CLOSE();
    EXPECT_EQ(EgenDefForm(ctx, 1, ChangeRecord).caption(), "Endre/vise egendefinert felt");
    EXPECT_EQ(EgenDefForm(ctx, 1, ViewRecord).caption(), "View Record");
}
