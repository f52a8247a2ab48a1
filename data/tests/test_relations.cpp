#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include "data/tests/fixture.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;

extern char** environ;

namespace {

class RelationTest : public DataFolderTest {
  protected:
    // How many records of a table hold `value` in an int field.
    int countWhere(Context& ctx, Tbl t, IntField f, int value)
    {
        auto& m = ctx.access(t);
        m.OPEN();
        int n = 0;
        m.SET(KeyRef{static_cast<uint16_t>(m.decl().primaryKey())});
        while (m.NEXT() == LEVEL_BENIGN)
            n += m.rec().get(f) == value;
        m.CLOSE();
        return n;
    }

    int fetchCustomer(Context& ctx, int id)
    {
        auto& kun = ctx.access(Tbl::KUNDE);
        kun.rec().clear();
        kun.rec().set(KUN::KUNDEID, id);
        return kun.FETCH(KUN::KeyKundeId);
    }

    int runHelper(const char* mode, int stopAfter)
    {
        std::string m = mode, n = std::to_string(stopAfter);
        char* argv[] = {const_cast<char*>(TAVLO_RELATIONS_HELPER), dir.data(), m.data(), n.data(),
                        nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, TAVLO_RELATIONS_HELPER, nullptr, nullptr, argv, environ) != 0)
            return -1;
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
};

} // namespace

TEST_F(RelationTest, DeletingACustomerTakesItsContactsUnlessItHasInvoices)
{
    Context ctx(&errors);
    int alone = addCustomer(ctx, "Uten faktura", 3);
    int billed = addCustomer(ctx, "Med faktura", 2, 1);
    auto& relate = ctx.relate(Tbl::KUNDE);
    relate.OPEN();

    ASSERT_EQ(fetchCustomer(ctx, alone), LEVEL_BENIGN);
    EXPECT_EQ(relate.DELETE(false), LEVEL_BENIGN);
    EXPECT_EQ(countWhere(ctx, Tbl::KONTAKT, KON::KUNDEID, alone), 0);
    EXPECT_EQ(fetchCustomer(ctx, alone), LEVEL_NOTIFY);
    EXPECT_TRUE(answers.shown.empty());

    ASSERT_EQ(fetchCustomer(ctx, billed), LEVEL_BENIGN);
    EXPECT_EQ(relate.DELETE(false), LEVEL_NOTIFY);
    ASSERT_EQ(answers.shown.size(), 1u); // a refusal is not offered again
    EXPECT_EQ(answers.shown[0].caption, "Referential Integrity Delete Error");
    EXPECT_EQ(answers.shown[0].text,
              "This record is referenced from the file FAKTURA.TPS. This record cannot be deleted "
              "while these references exist.");
    // The contacts deleted before the invoices were checked are back.
    EXPECT_EQ(countWhere(ctx, Tbl::KONTAKT, KON::KUNDEID, billed), 2);
    EXPECT_EQ(fetchCustomer(ctx, billed), LEVEL_BENIGN);

    // Declining the question deletes nothing.
    answers.answer(BUTTON_NO);
    EXPECT_EQ(relate.DELETE(true), LEVEL_CANCEL);
    EXPECT_EQ(answers.shown.back().caption, "Bekreft Sletting");
    relate.CLOSE();
}

TEST_F(RelationTest, ANewCustomerNumberMovesContactsAndInvoicesOfTheCurrentPairOnly)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Flyttes", 2, 2);
    GLO::setArchiveMode(true);
    {
        Context archive(&errors);
        auto& bak = archive.access(Tbl::FAKTURA);
        bak.OPEN();
        bak.rec().set(FAK::KUNDEID, id);
        ASSERT_EQ(bak.INSERT(), LEVEL_BENIGN);
        bak.CLOSE();
    }
    GLO::setArchiveMode(false);

    auto& relate = ctx.relate(Tbl::KUNDE);
    relate.OPEN();
    ASSERT_EQ(fetchCustomer(ctx, id), LEVEL_BENIGN);
    relate.SAVE();
    auto& kon = ctx.access(Tbl::KONTAKT);
    uint16_t snapshot = kon.SAVEBUFFER();
    ctx.access(Tbl::KUNDE).rec().set(KUN::KUNDEID, 77);
    ASSERT_EQ(relate.UPDATE(), LEVEL_BENIGN);
    EXPECT_EQ(countWhere(ctx, Tbl::KONTAKT, KON::KUNDEID, 77), 2);
    EXPECT_EQ(countWhere(ctx, Tbl::FAKTURA, FAK::KUNDEID, 77), 2);
    EXPECT_EQ(countWhere(ctx, Tbl::FAKTURA, FAK::KUNDEID, id), 0);
    kon.RESTOREBUFFER(snapshot, false);

    GLO::setArchiveMode(true);
    {
        Context archive(&errors);
        EXPECT_EQ(countWhere(archive, Tbl::FAKTURA, FAK::KUNDEID, id), 1);
    }
    GLO::setArchiveMode(false);

    // Changing only the name writes no child.
    auto& fak = ctx.access(Tbl::FAKTURA);
    fak.OPEN();
    fak.rec().set(FAK::KUNDEID, 77);
    fak.SETAT(FAK::KeyKundeId_FakturaDato);
    ASSERT_EQ(fak.NEXT(), LEVEL_BENIGN);
    RowRef invoice = fak.current();
    ASSERT_EQ(fetchCustomer(ctx, 77), LEVEL_BENIGN);
    relate.SAVE();
    ctx.access(Tbl::KUNDE).rec().set(KUN::NAVN, "Nytt navn");
    ASSERT_EQ(relate.UPDATE(), LEVEL_BENIGN);
    ASSERT_EQ(fak.REGET(invoice), LEVEL_BENIGN);
    EXPECT_EQ(fak.current().rev, invoice.rev);
    fak.CLOSE();
    relate.CLOSE();
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(RelationTest, ProjectLinesKeepTwentyCharactersOfANewProjectId)
{
    Context ctx(&errors);
    auto& prj = ctx.access(Tbl::PROSJEKT);
    auto& pli = ctx.access(Tbl::PRJLINJE);
    auto& relate = ctx.relate(Tbl::PROSJEKT);
    relate.OPEN();
    prj.rec().set(PRJ::PROSJEKTID, "P1");
    ASSERT_EQ(prj.INSERT(), LEVEL_BENIGN);
    for (int day : {10, 20}) {
        pli.rec().clear();
        pli.rec().set(PLI::PROSJEKTID, "p1"); // the key ignores case
        pli.rec().set(PLI::DATO, day);
        ASSERT_EQ(pli.INSERT(), LEVEL_BENIGN);
    }
    relate.SAVE();
    const std::string longId = "PROSJEKT-MED-TRETTI-TEGN-12345";
    ASSERT_EQ(longId.size(), 30u);
    prj.rec().set(PRJ::PROSJEKTID, longId);
    ASSERT_EQ(relate.UPDATE(), LEVEL_BENIGN);

    pli.SET(PLI::KeyPrjLinjeId);
    int lines = 0;
    while (pli.NEXT() == LEVEL_BENIGN) {
        EXPECT_EQ(pli.rec().get(PLI::PROSJEKTID), longId.substr(0, 20));
        ++lines;
    }
    EXPECT_EQ(lines, 2);
    // Under the project they are no longer found: deleting it leaves them.
    ASSERT_EQ(relate.DELETE(false), LEVEL_BENIGN);
    pli.SET(PLI::KeyPrjLinjeId);
    EXPECT_EQ(pli.NEXT(), LEVEL_BENIGN);
    relate.CLOSE();
}

TEST_F(RelationTest, CancellingAReservedInvoiceTakesItsLines)
{
    Context ctx(&errors);
    auto& relate = ctx.relate(Tbl::FAKTURA);
    relate.OPEN();
    auto& fak = ctx.access(Tbl::FAKTURA);
    auto& fli = ctx.access(Tbl::FAKLINJE);
    ASSERT_EQ(fak.PRIMERECORD(), LEVEL_BENIGN);
    int id = fak.rec().get(FAK::FAKTURAID);
    for (int i = 1; i <= 3; ++i) {
        fli.rec().clear();
        fli.rec().set(FLI::FAKTURAID, id);
        fli.rec().set(FLI::LINJENR, i);
        ASSERT_EQ(fli.INSERT(), LEVEL_BENIGN);
    }
    ASSERT_EQ(relate.CANCELAUTOINC(), LEVEL_BENIGN);
    EXPECT_EQ(countWhere(ctx, Tbl::FAKLINJE, FLI::FAKTURAID, id), 0);
    fak.rec().set(FAK::FAKTURAID, id);
    EXPECT_EQ(fak.TRYFETCH(FAK::KeyFakturaId), LEVEL_NOTIFY);
    relate.CLOSE();
}

TEST_F(RelationTest, AKilledProcessLeavesEveryFileOfTheTreeAsItWas)
{
    {
        Context ctx(&errors);
        addCustomer(ctx, "Kunde", 40, 0);
    }
    std::string kunde = bytesOf("KUNDE.TPS"), kontakt = bytesOf("KONTAKT.TPS");

    EXPECT_EQ(runHelper("delete", 25), 9);
    EXPECT_EQ(runHelper("renumber", 25), 9);
    Context ctx(&errors);
    ctx.access(Tbl::KUNDE).OPEN();
    EXPECT_EQ(fetchCustomer(ctx, 1), LEVEL_BENIGN);
    EXPECT_EQ(countWhere(ctx, Tbl::KONTAKT, KON::KUNDEID, 1), 40);
    EXPECT_EQ(countWhere(ctx, Tbl::KONTAKT, KON::KUNDEID, 999), 0);

    // Left alone, the same work is done whole.
    ctx.access(Tbl::KUNDE).KILL();
    ctx.access(Tbl::KONTAKT).KILL();
    EXPECT_EQ(runHelper("renumber", 0), 0);
    EXPECT_EQ(countWhere(ctx, Tbl::KONTAKT, KON::KUNDEID, 999), 40);
    ctx.access(Tbl::KUNDE).OPEN();
    EXPECT_EQ(fetchCustomer(ctx, 999), LEVEL_BENIGN);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(RelationTest, ATransactionThatCannotBeginChangesNothing)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Låst", 2);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path("KONTAKT.TPS").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    auto& relate = ctx.relate(Tbl::KUNDE);
    relate.OPEN();
    ASSERT_EQ(fetchCustomer(ctx, id), LEVEL_BENIGN);
    answers.answer(BUTTON_OK); // "Access Denied": the contacts open read-only
    answers.answer(BUTTON_OK); // "Transaction cancelled"
    answers.answer(BUTTON_NO); // no second try
    EXPECT_EQ(relate.DELETE(false), LEVEL_NOTIFY);
    ASSERT_EQ(answers.shown.size(), 3u);
    EXPECT_EQ(answers.shown[0].caption, "Access Denied");
    EXPECT_EQ(answers.shown[1].caption, "Transaction cancelled");
    EXPECT_EQ(answers.shown[1].text,
              "Error: (Access Denied (5)) attempting to frame the transaction on KUNDE.");
    EXPECT_EQ(answers.shown[2].caption, "Record Delete Error");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(fetchCustomer(ctx, id), LEVEL_BENIGN);
    EXPECT_EQ(countWhere(ctx, Tbl::KONTAKT, KON::KUNDEID, id), 2);
    relate.CLOSE();
}

TEST_F(RelationTest, DeletingAnInvoiceDeletesItsLinesAndReturnsTheirStock)
{
    Context ctx(&errors);
    auto& pro = ctx.access(Tbl::PRODUKT);
    pro.OPEN();
    pro.rec().set(PRO::NAVN, "Skrue");
    pro.rec().set(PRO::LAGERSTYRING, 1);
    pro.rec().set(PRO::LAGERBEHOLDNING, Decimal::fromInt(10));
    ASSERT_EQ(pro.INSERT(), LEVEL_BENIGN);
    int product = pro.rec().get(PRO::PRODUKTID);
    pro.CLOSE();

    auto& relate = ctx.relate(Tbl::FAKTURA);
    relate.OPEN();
    auto& fak = ctx.access(Tbl::FAKTURA);
    auto& fli = ctx.access(Tbl::FAKLINJE);
    fak.rec().set(FAK::KUNDENAVN, "Kjøper");
    ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
    int invoice = fak.rec().get(FAK::FAKTURAID);
    for (auto qty : {"2", "3,5"}) {
        fli.rec().clear();
        fli.rec().set(FLI::FAKTURAID, invoice);
        fli.rec().set(FLI::PRODUKTID, product);
        ASSERT_TRUE(fli.rec().setText(FLI::ANTALL.no, qty));
        ASSERT_EQ(fli.INSERT(), LEVEL_BENIGN);
    }
    // The lines' quantities went out of stock when they were written (by the line form).
    ASSERT_EQ(fak.REGET(fak.current()), LEVEL_BENIGN);
    ASSERT_EQ(relate.DELETE(false), LEVEL_BENIGN);
    EXPECT_EQ(countWhere(ctx, Tbl::FAKLINJE, FLI::FAKTURAID, invoice), 0);

    pro.OPEN();
    pro.rec().set(PRO::PRODUKTID, product);
    ASSERT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
    EXPECT_EQ(pro.rec().get(PRO::LAGERBEHOLDNING), Decimal::fromCents(1550));
    pro.CLOSE();
    // A product that lines refer to may itself be deleted.
    auto& relPro = ctx.relate(Tbl::PRODUKT);
    relPro.OPEN();
    pro.rec().set(PRO::PRODUKTID, product);
    ASSERT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
    EXPECT_EQ(relPro.DELETE(false), LEVEL_BENIGN);
    relPro.CLOSE();
    relate.CLOSE();
    for (const auto& m : answers.shown)
        ADD_FAILURE() << m.caption << ": " << m.text;
}
