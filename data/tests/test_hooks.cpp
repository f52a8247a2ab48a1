#include <string>
#include <vector>

#include "data/hooks.h"
#include "data/tests/fixture.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;

namespace {

// A hook added for one test and removed at its end, whatever the test's outcome.
class AddedHook {
  public:
    explicit AddedHook(WriteHook h) : id_(writeHooks().add(std::move(h))) {}
    ~AddedHook() { writeHooks().remove(id_); }
    AddedHook(const AddedHook&) = delete;
    AddedHook& operator=(const AddedHook&) = delete;

  private:
    WriteHooks::Id id_;
};

const char* opName(WriteOp op)
{
    switch (op) {
    case WriteOp::INSERT: return "insert";
    case WriteOp::UPDATE: return "update";
    case WriteOp::DELETE: return "delete";
    }
    return "?";
}

class HookTest : public DataFolderTest {
  protected:
    // What another user sees: the code's text, or "-" when it is not stored.
    std::string storedCode(int group, int nr)
    {
        Context look(&errors);
        auto& kod = look.access(Tbl::KODEVERK);
        kod.OPEN();
        kod.rec().set(KOD::GRUPPE, group);
        kod.rec().set(KOD::NR, nr);
        std::string text =
            kod.FETCH(KOD::KeyGruppe_Nr) == LEVEL_BENIGN ? kod.rec().get(KOD::TEKST) : "-";
        kod.CLOSE();
        return text;
    }

    // Logs each call as "<name> <before|after> <op> <stored text>/<written text>: <what another
    // user sees of code 1/1>".
    WriteHook logging(const std::string& name, Tbl table = Tbl::KODEVERK)
    {
        auto entry = [this, name](const char* when, const WriteEvent& e) {
            std::string s = name + " " + when + " " + opName(e.op) + " " +
                            (e.stored ? e.stored->get(KOD::TEKST) : "") + "/" +
                            (e.written ? e.written->get(KOD::TEKST) : "") + ": " + storedCode(1, 1);
            log.push_back(s);
        };
        return {table,
                kEveryWrite,
                {},
                [=](const WriteEvent& e) {
                    entry("before", e);
                    return int(LEVEL_BENIGN);
                },
                [=](const WriteEvent& e) {
                    entry("after", e);
                    return int(LEVEL_BENIGN);
                }};
    }

    std::vector<std::string> log;
};

} // namespace

TEST_F(HookTest, BeforeAndAfterHooksRunAroundEachWriteInTheOrderAdded)
{
    Context ctx(&errors);
    AddedHook first(logging("A"));
    AddedHook second(logging("B"));
    auto& kod = ctx.access(Tbl::KODEVERK);
    kod.OPEN();
    kod.rec().set(KOD::GRUPPE, 1);
    kod.rec().set(KOD::NR, 1);
    kod.rec().set(KOD::TEKST, "Ny");
    ASSERT_EQ(kod.INSERT(), LEVEL_BENIGN);
    kod.rec().set(KOD::TEKST, "Endret");
    ASSERT_EQ(kod.UPDATE(), LEVEL_BENIGN);
    // The hooks of a delete are given the record as stored, not the buffer's unsaved change.
    kod.rec().set(KOD::TEKST, "Ulagret");
    ASSERT_EQ(kod.DELETERECORD(false), LEVEL_BENIGN);
    kod.CLOSE();

    EXPECT_EQ(log, (std::vector<std::string>{
                       "A before insert /Ny: -",
                       "B before insert /Ny: -",
                       "A after insert /Ny: Ny",
                       "B after insert /Ny: Ny",
                       "A before update Ny/Endret: Ny",
                       "B before update Ny/Endret: Ny",
                       "A after update Ny/Endret: Endret",
                       "B after update Ny/Endret: Endret",
                       "A before delete Endret/: Endret",
                       "B before delete Endret/: Endret",
                       "A after delete Endret/: -",
                       "B after delete Endret/: -",
                   }));
}

TEST_F(HookTest, HooksRunForTheirTablesAndWritesOnlyAndStopWhenRemoved)
{
    Context ctx(&errors);
    int inserts = 0, numbered = 0;
    WriteHooks::Id id = writeHooks().add(
        {Tbl::KUNDE, opBit(WriteOp::INSERT), {}, nullptr, [&](const WriteEvent& e) {
             ++inserts;
             numbered = e.written->get(KUN::KUNDEID);
             return int(LEVEL_BENIGN);
         }});
    EXPECT_TRUE(writeHooks().any(Tbl::KUNDE, WriteOp::INSERT));
    EXPECT_FALSE(writeHooks().any(Tbl::KUNDE, WriteOp::UPDATE));
    EXPECT_FALSE(writeHooks().any(Tbl::KUNDE_ALIAS, WriteOp::INSERT));

    // Numbered on insert: the after hook sees the number given.
    int customer = addCustomer(ctx, "Kunde", 1);
    EXPECT_EQ(inserts, 1);
    EXPECT_EQ(numbered, customer);
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.OPEN();
    kun.rec().set(KUN::KUNDEID, customer);
    ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    kun.rec().set(KUN::NAVN, "Nytt navn");
    ASSERT_EQ(kun.UPDATE(), LEVEL_BENIGN);
    kun.CLOSE();
    EXPECT_EQ(inserts, 1);

    writeHooks().remove(id);
    EXPECT_EQ(id, 0);
    EXPECT_FALSE(writeHooks().any(Tbl::KUNDE, WriteOp::INSERT));
    addCustomer(ctx, "Kunde uten krok");
    EXPECT_EQ(inserts, 1);
    writeHooks().remove(id); // nothing
}

TEST_F(HookTest, ARefusingBeforeHookStopsTheWriteAndTheHooksAfterIt)
{
    Context ctx(&errors);
    addCode(ctx, 1, 1, "Lagret");
    AddedHook logged(logging("A"));
    unsigned refuse = 0; // WriteOp bits refused
    AddedHook refusing({Tbl::KODEVERK,
                        kEveryWrite,
                        {},
                        [&](const WriteEvent& e) {
                            return refuse & opBit(e.op) ? int(LEVEL_NOTIFY) : int(LEVEL_BENIGN);
                        },
                        nullptr});
    AddedHook after(logging("C"));
    auto& kod = ctx.access(Tbl::KODEVERK);
    kod.OPEN();
    refuse = kEveryWrite;
    kod.rec().clear();
    kod.rec().set(KOD::GRUPPE, 1);
    kod.rec().set(KOD::NR, 2);
    EXPECT_EQ(kod.INSERT(), LEVEL_NOTIFY);
    EXPECT_FALSE(kod.lastWriteStored());
    EXPECT_EQ(storedCode(1, 2), "-");

    kod.rec().set(KOD::NR, 1);
    ASSERT_EQ(kod.FETCH(KOD::KeyGruppe_Nr), LEVEL_BENIGN);
    kod.rec().set(KOD::TEKST, "Endret");
    EXPECT_EQ(kod.UPDATE(), LEVEL_NOTIFY);
    EXPECT_EQ(storedCode(1, 1), "Lagret");
    EXPECT_EQ(kod.DELETERECORD(false), LEVEL_NOTIFY);
    EXPECT_EQ(storedCode(1, 1), "Lagret");
    // The hook has said why; the record store adds no message of its own.
    EXPECT_TRUE(answers.shown.empty());

    // Only the writes refused: the record is current still, and the update goes through.
    refuse = opBit(WriteOp::DELETE);
    EXPECT_EQ(kod.UPDATE(), LEVEL_BENIGN);
    EXPECT_EQ(storedCode(1, 1), "Endret");
    kod.CLOSE();
    EXPECT_EQ(log, (std::vector<std::string>{
                       "A before insert /: Lagret",
                       "A before update Lagret/Endret: Lagret",
                       "A before delete Lagret/: Lagret",
                       "A before update Lagret/Endret: Lagret",
                       "C before update Lagret/Endret: Lagret",
                       "A after update Lagret/Endret: Endret",
                       "C after update Lagret/Endret: Endret",
                   }));
}

TEST_F(HookTest, TheTablesAHookEnlistsAreRolledBackWithTheWrite)
{
    Context ctx(&errors);
    const int product = addProduct(ctx, "Skrue", [](Record& r) {
        r.set(PRO::LAGERSTYRING, 1);
        r.set(PRO::LAGERBEHOLDNING, Decimal::fromInt(10));
    });
    // Each deleted line leaves a code behind, written to a table the hook enlists; the second
    // line refuses to go.
    int deleted = 0;
    AddedHook booking(
        {Tbl::FAKLINJE,
         opBit(WriteOp::DELETE),
         {Tbl::KODEVERK},
         [&](const WriteEvent&) { return deleted == 1 ? int(LEVEL_NOTIFY) : int(LEVEL_BENIGN); },
         [&](const WriteEvent& e) {
             auto& kod = e.ctx.access(Tbl::KODEVERK);
             kod.OPEN();
             kod.rec().clear();
             kod.rec().set(KOD::GRUPPE, 9);
             kod.rec().set(KOD::NR, ++deleted);
             int level = kod.INSERT();
             kod.CLOSE();
             return level;
         }});

    auto& relate = ctx.relate(Tbl::FAKTURA);
    relate.OPEN();
    auto& fak = ctx.access(Tbl::FAKTURA);
    auto& fli = ctx.access(Tbl::FAKLINJE);
    ASSERT_EQ(fak.INSERT(), LEVEL_BENIGN);
    const int invoice = fak.rec().get(FAK::FAKTURAID);
    for (int qty : {2, 3}) {
        fli.rec().clear();
        fli.rec().set(FLI::FAKTURAID, invoice);
        fli.rec().set(FLI::PRODUKTID, product);
        fli.rec().set(FLI::ANTALL, Decimal::fromInt(qty));
        ASSERT_EQ(fli.INSERT(), LEVEL_BENIGN);
    }
    ASSERT_EQ(fak.REGET(fak.current()), LEVEL_BENIGN);
    answers.answer(BUTTON_NO); // not tried again
    EXPECT_EQ(relate.DELETE(false), LEVEL_NOTIFY);
    relate.CLOSE();

    // The first line's code and its stock went back with the line.
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(storedCode(9, 1), "-");
    Context look(&errors);
    auto& pro = look.access(Tbl::PRODUKT);
    pro.OPEN();
    pro.rec().set(PRO::PRODUKTID, product);
    ASSERT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
    EXPECT_EQ(pro.rec().get(PRO::LAGERBEHOLDNING), Decimal::fromInt(10));
    pro.CLOSE();
    auto& lines = look.access(Tbl::FAKLINJE);
    lines.OPEN();
    int left = 0;
    lines.SET(FLI::KeyFakturaId_LinjeNr);
    while (lines.NEXT() == LEVEL_BENIGN)
        left += lines.rec().get(FLI::FAKTURAID) == invoice;
    lines.CLOSE();
    EXPECT_EQ(left, 2);
}

TEST_F(HookTest, AFailingAfterHookUndoesAnUpdateInTheRelationManagersTransaction)
{
    Context ctx(&errors);
    const int customer = addCustomer(ctx, "Før");
    // The customer's update enlists the codes; with no link changed it still runs in one
    // transaction, so the hook failing once takes the update and its own write back.
    bool fail = true;
    AddedHook failing(
        {Tbl::KUNDE, opBit(WriteOp::UPDATE), {Tbl::KODEVERK}, nullptr, [&](const WriteEvent& e) {
             if (!fail)
                 return int(LEVEL_BENIGN);
             fail = false;
             auto& kod = e.ctx.access(Tbl::KODEVERK);
             kod.OPEN();
             kod.rec().clear();
             kod.rec().set(KOD::GRUPPE, 1);
             kod.rec().set(KOD::NR, 1);
             kod.rec().set(KOD::TEKST, e.written->get(KUN::NAVN));
             EXPECT_EQ(kod.INSERT(), LEVEL_BENIGN);
             kod.CLOSE();
             return int(LEVEL_NOTIFY);
         }});
    auto& relate = ctx.relate(Tbl::KUNDE);
    relate.OPEN();
    auto& kun = ctx.access(Tbl::KUNDE);
    kun.rec().set(KUN::KUNDEID, customer);
    ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    kun.rec().set(KUN::NAVN, "Etter");
    EXPECT_EQ(relate.UPDATE(), LEVEL_NOTIFY);
    EXPECT_EQ(storedCode(1, 1), "-");

    Context look(&errors);
    auto& other = look.access(Tbl::KUNDE);
    other.OPEN();
    other.rec().set(KUN::KUNDEID, customer);
    ASSERT_EQ(other.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    EXPECT_EQ(other.rec().get(KUN::NAVN), "Før");
    other.CLOSE();
    // The manager is back on the stored version: a plain update after it is no conflict.
    kun.rec().set(KUN::NAVN, "Etter");
    EXPECT_EQ(kun.UPDATE(), LEVEL_BENIGN);
    relate.CLOSE();
    EXPECT_TRUE(answers.shown.empty());
}
