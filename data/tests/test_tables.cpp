#include <gtest/gtest.h>

#include "data/context.h"
#include "data/tables.h"

using namespace tavlo;

// The fixed part of every record has the size the earlier data version had; a field typed or
// sized wrongly in the declarations shows up here.
TEST(Tables, RecordSizesMatchTheEarlierLayout)
{
    EXPECT_EQ(table(Tbl::KUNDE).recordBytes(), 711);
    EXPECT_EQ(table(Tbl::KONTAKT).recordBytes(), 407);
    EXPECT_EQ(table(Tbl::PRODUKT).recordBytes(), 452);
    EXPECT_EQ(table(Tbl::PROSJEKT).recordBytes(), 537);
    EXPECT_EQ(table(Tbl::PRJLINJE).recordBytes(), 154);
    EXPECT_EQ(table(Tbl::FAKTURA).recordBytes(), 1767);
    EXPECT_EQ(table(Tbl::FAKLINJE).recordBytes(), 175);
    EXPECT_EQ(table(Tbl::GRUNNLAG).recordBytes(), 1800);
    EXPECT_EQ(table(Tbl::GRULINJE).recordBytes(), 116);
    EXPECT_EQ(table(Tbl::KODEVERK).recordBytes(), 388);
    EXPECT_EQ(table(Tbl::EGENDEF).recordBytes(), 252);
    EXPECT_EQ(table(Tbl::FILTER).recordBytes(), 10063);
    EXPECT_EQ(table(Tbl::WINPOS).recordBytes(), 256);
    EXPECT_EQ(table(Tbl::DUMMY).recordBytes(), 4);
}

TEST(Tables, DirectoryNamesAndAliases)
{
    EXPECT_EQ(allTables().size(), 27u); // the 25, the credit notes' invoices, the OCR payments
    const auto& kun = table(Tbl::KUNDE);
    EXPECT_EQ(kun.fieldNo("KUN:NAVN"), KUN::NAVN.no);
    EXPECT_EQ(kun.fieldNo("kun:navn"), KUN::NAVN.no);
    EXPECT_EQ(kun.fieldNo("NAVN"), KUN::NAVN.no);
    EXPECT_EQ(kun.fieldNo("KON:NAVN"), -1);
    EXPECT_EQ(kun.keyNo("KUN:KEYNAVN"), KUN::KeyNavn.no);
    EXPECT_EQ(kun.memos.at(KUN::DIV.no).mixedName, "KUN:Div");
    EXPECT_EQ(kun.keys[kun.primaryKey()].name, "KUN:KeyKundeId");

    const auto& alias = table(Tbl::KUNDE_ALIAS);
    EXPECT_TRUE(alias.isAlias());
    EXPECT_EQ(alias.base, Tbl::KUNDE);
    EXPECT_EQ(alias.fields[KUNA::NAVN.no].name, "KUNA:NAVN");
    EXPECT_EQ(alias.keys[KUNA::KeyNavn.no].name, "KUNA:KeyNavn");
    EXPECT_EQ(alias.fileName, "KUNDE.TPS");
    EXPECT_EQ(findTable("faka"), &table(Tbl::FAKTURA_ALIAS));
    EXPECT_EQ(table(Tbl::FAKTURA_ALIAS).nameVar, NameVar::FAKTURA_PATH);
    EXPECT_EQ(table(Tbl::PARAM).fileName, "PARAM.TPS");

    const auto& pli = table(Tbl::PRJLINJE).keys[PLI::KeyProsjektId_Dato.no];
    ASSERT_EQ(pli.components.size(), 2u);
    EXPECT_FALSE(pli.components[0].ascending);
    EXPECT_FALSE(pli.components[1].ascending);
    EXPECT_TRUE(table(Tbl::PRODUKT).keys[PRO::KeyProduktGruppe.no].notIndexed);
    EXPECT_TRUE(table(Tbl::DUMMY).keys[0].autoNumber);
    EXPECT_FALSE(table(Tbl::KODEVERK).keys[KOD::KeyGruppe_Nr.no].autoNumber);
    EXPECT_TRUE(table(Tbl::KODEVERK).keys[KOD::KeyGruppe_Nr.no].unique);
}

TEST(DataModule, InitTakesTheMainProgramsManagerOnce)
{
    ErrorClass first, second;
    ErrorClass& before = TLFI::errorManager();
    EXPECT_NE(&before, &first);
    TLFI::INIT(first, nullptr);
    TLFI::INIT(second, nullptr); // a second call does nothing
    EXPECT_EQ(&TLFI::errorManager(), &first);
    Context ctx;
    EXPECT_EQ(&ctx.errors(), &first);
    TLFI::KILL();
    EXPECT_EQ(&TLFI::errorManager(), &before);
}
