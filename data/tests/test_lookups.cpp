#include "data/lookups.h"
#include "data/tests/fixture.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;

namespace {

class LookupTest : public DataFolderTest {};

} // namespace

TEST_F(LookupTest, CodesByGroupAndNumber)
{
    Context ctx(&errors);
    // Nothing is read for a zero group or code: not even the file is made.
    EXPECT_FALSE(SETKODA(ctx, 105, 0));
    int32_t zero = 0;
    std::string text = "gammel";
    VISKODA(ctx, 101, zero, text);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(std::filesystem::exists(path("KODEVERK.TPS")));

    addCode(ctx, 101, 5003, "Bergen");
    int32_t code = 5003;
    VISKODA(ctx, 101, code, text);
    EXPECT_EQ(text, "Bergen");
    EXPECT_TRUE(SETKODA(ctx, 101, 5003));
    EXPECT_EQ(ctx.rec(Tbl::KODEVERK_ALIAS).get(KODA::TEKST), "Bergen");

    code = 9999;
    VISKODA(ctx, 101, code, text); // no flags: quiet, the code stays
    EXPECT_EQ(text, "");
    EXPECT_EQ(code, 9999);
    EXPECT_EQ(ctx.rec(Tbl::KODEVERK_ALIAS).get(KODA::TEKST), ""); // a miss clears the buffer
    EXPECT_TRUE(answers.shown.empty());
    VISKODA(ctx, 101, code, text, 1 | 2);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Kode 9999 finnes ikke i kodeverksgruppe 101");
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(code, 0);

    // A caller holding the codes open (a register, for its rows' texts) gets the code fetched
    // too, not the record it held before.
    auto& koda = ctx.access(Tbl::KODEVERK_ALIAS);
    ASSERT_EQ(koda.OPEN(), LEVEL_BENIGN);
    code = 5003;
    VISKODA(ctx, 101, code, text);
    EXPECT_EQ(text, "Bergen");
    EXPECT_TRUE(SETKODA(ctx, 101, 5003));
    EXPECT_EQ(koda.rec().get(KODA::TEKST), "Bergen");
    koda.CLOSE();
}

TEST_F(LookupTest, ReferencesLeaveTheFormsRecordAlone)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Nordmann AS", 1);
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    kun.rec().clear();
    kun.rec().set(KUN::NAVN, "ulagret skjema");

    std::string text;
    EXPECT_EQ(VISKUNA(ctx, id, text), 0);
    EXPECT_EQ(text, "Nordmann AS");
    EXPECT_TRUE(SETKUNA(ctx, id));
    EXPECT_EQ(ctx.rec(Tbl::KUNDE_ALIAS).get(KUNA::KUNDEID), id);
    EXPECT_EQ(kun.rec().get(KUN::NAVN), "ulagret skjema");
    EXPECT_FALSE(SETKUNA(ctx, id + 1));
    VISKONA(ctx, 1, text);
    EXPECT_EQ(text, "Nordmann AS kontakt 0");
    VISKONA(ctx, 0, text);
    EXPECT_EQ(text, "");
    kun.CLOSE();

    // A blank project id is looked up nowhere.
    VISPRJA(ctx, "   ", text);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(std::filesystem::exists(path("PROSJEKT.TPS")));
    auto& prj = ctx.access(Tbl::PROSJEKT);
    prj.OPEN();
    prj.rec().set(PRJ::PROSJEKTID, "P-1");
    prj.rec().set(PRJ::NAVN, "Nytt tak");
    ASSERT_EQ(prj.INSERT(), LEVEL_BENIGN);
    prj.CLOSE();
    VISPRJA(ctx, "p-1", text);
    EXPECT_EQ(text, "Nytt tak");
    VISPROA(ctx, 7, text);
    VISGRUA(ctx, 7, text);
    VISPLIA(ctx, 7, text);
    EXPECT_EQ(text, "");
    EXPECT_TRUE(answers.shown.empty());
}

TEST(Snunavn, TurnsTheNameRoundAtItsFirstComma)
{
    EXPECT_EQ(SNUNAVN("Nordmann, Ola"), "Ola Nordmann");
    EXPECT_EQ(SNUNAVN("Nordmann,Kari Anne  "), "Kari Anne Nordmann");
    EXPECT_EQ(SNUNAVN("Ola Nordmann  "), "Ola Nordmann");
    EXPECT_EQ(SNUNAVN("Nordmann, Ola, jr."), "Ola, jr. Nordmann");
    EXPECT_EQ(SNUNAVN(", Ola"), "Ola");
    EXPECT_EQ(SNUNAVN("Etternavn, " + std::string(40, 'x')), std::string(30, 'x') + " Etternavn");
}

TEST_F(LookupTest, PickListsOfferWhatIsInUseAndGiveBackTheCurrentValue)
{
    Context ctx(&errors);
    addCode(ctx, 105, 1, "Ny");
    addCode(ctx, 105, 2, "Betalt");
    addCode(ctx, 105, 3, "Purret");
    addCode(ctx, 110, 1, "Gammel");
    auto& kod = ctx.access(Tbl::KODEVERK);
    kod.OPEN();
    kod.rec().set(KOD::GRUPPE, 110);
    kod.rec().set(KOD::NR, 1);
    ASSERT_EQ(kod.FETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
    kod.rec().set(KOD::IKKEIBRUK, 1);
    ASSERT_EQ(kod.UPDATE(), LEVEL_BENIGN);
    kod.rec().set(KOD::GRUPPE, 105);
    kod.rec().set(KOD::NR, 2);
    ASSERT_EQ(kod.FETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
    kod.rec().set(KOD::IKKEIBRUK, 1);
    ASSERT_EQ(kod.UPDATE(), LEVEL_BENIGN);
    kod.CLOSE();

    // A group whose codes are all out of use: the list closes at once.
    EXPECT_EQ(HENTKODA(ctx, 110, 7), 7);
    EXPECT_TRUE(answers.listsShown.empty());

    auto& alias = ctx.access(Tbl::KODEVERK_ALIAS);
    alias.OPEN();
    alias.rec().set(KODA::TEKST, "skjemaets egen");
    answers.picks = {1, -1}; // the second row offered is code 3: code 2 is out of use
    EXPECT_EQ(HENTKODA(ctx, 105, 1), 3);
    EXPECT_EQ(HENTKODA(ctx, 105, 1), 1); // left without a choice
    EXPECT_EQ(answers.listsShown.size(), 2u);
    EXPECT_EQ(alias.rec().get(KODA::TEKST), "skjemaets egen");
    alias.CLOSE();

    int ola = addCustomer(ctx, "Ola", 2);
    int anne = addCustomer(ctx, "Anne", 1);
    answers.picks = {0, -1};
    EXPECT_EQ(HENTKUNA(ctx, ola), anne); // alphabetic order first
    EXPECT_EQ(HENTKUNA(ctx, ola), 0);

    answers.picks = {1, -1};
    EXPECT_EQ(HENTKONA(ctx, ola, "Kari"), "Ola kontakt 1");
    EXPECT_EQ(HENTKONA(ctx, ola, "Kari"), "Kari");
    answers.picks = {1}; // Anne has one contact: there is no second row
    EXPECT_EQ(HENTKONA(ctx, anne, "Kari"), "Kari");
}
