#include <sqlite3.h>

#include <functional>
#include <optional>

#include "data/tests/fixture.h"
#include "framework/windowmanager.h"

using namespace tavlo;
using tavlo::testing::DataFolderTest;

namespace {

struct ViewLog {
    int focus = 0, refresh = 0;
    std::vector<int> closes;
    std::vector<bool> busy;
    FormView bindings()
    {
        return {[this] { ++focus; }, [this](int r) { closes.push_back(r); }, [this] { ++refresh; },
                [this](bool on) { busy.push_back(on); }};
    }
};

struct Stored {
    RowRef at;
    Record rec;
};

class FormTest : public DataFolderTest {
  protected:
    // The customer becomes the current record, as a register leaves it before starting a form.
    void select(Context& ctx, int id)
    {
        auto& kun = ctx.access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().set(KUN::KUNDEID, id);
        ASSERT_EQ(kun.FETCH(KUN::KeyKundeId), LEVEL_BENIGN);
    }
    // A record as another station reads it.
    std::optional<Stored> find(Tbl t, KeyRef key, const std::function<void(Record&)>& set)
    {
        Context other(&errors);
        auto& m = other.access(t);
        m.OPEN();
        set(m.rec());
        std::optional<Stored> out;
        if (m.TRYFETCH(key) == LEVEL_BENIGN)
            out = Stored{m.current(), m.rec()};
        m.CLOSE();
        return out;
    }
    std::optional<Stored> customer(int id)
    {
        return find(Tbl::KUNDE, KUN::KeyKundeId, [&](Record& r) { r.set(KUN::KUNDEID, id); });
    }
    // Records whose int field holds value (all records for -1).
    int count(Tbl t, int field, int64_t value = -1)
    {
        Context other(&errors);
        auto& m = other.access(t);
        m.OPEN();
        m.SET(KeyRef{static_cast<uint16_t>(m.decl().primaryKey())});
        int n = 0;
        while (m.NEXT() == LEVEL_BENIGN)
            n += value == -1 || m.rec().num(field) == value;
        m.CLOSE();
        return n;
    }
};

class CustomerForm : public WindowManager {
  public:
    using WindowManager::WindowManager;
    static constexpr int kToday = 74000;

  protected:
    void primeFields() override { record().set(KUN::REGISTRERINGSDATO, kToday); }
};

} // namespace

TEST_F(FormTest, UnchangedFormsWriteNothingAndAskNothing)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Åsen Bygg");
    select(ctx, id);
    const int64_t rev = customer(id)->at.rev;
    GlobalRequest = ChangeRecord;
    ViewLog log;
    {
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE);
        form.bind(log.bindings());
        ASSERT_EQ(form.init(), LEVEL_BENIGN);
        form.ok();
        EXPECT_TRUE(form.closed());
    }
    EXPECT_EQ(GlobalResponse, RequestCompleted);
    EXPECT_EQ(log.closes, std::vector<int>{RequestCompleted});
    {
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, ChangeRecord);
        form.init();
        form.cancel();
        EXPECT_EQ(form.response(), RequestCancelled);
    }
    EXPECT_EQ(GlobalResponse, RequestCancelled);
    EXPECT_EQ(customer(id)->at.rev, rev);
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(FormTest, SaveAndStayWritesOnceAndKeepsTheFormOpen)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Lagres");
    select(ctx, id);
    {
        ViewLog log;
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, ChangeRecord);
        form.settings().hasSave = true;
        form.bind(log.bindings());
        form.init();
        form.record().set(KUN::NAVN, "Lagret");
        form.saveAndStay();
        EXPECT_FALSE(form.closed());
        EXPECT_EQ(log.busy, (std::vector<bool>{true, false}));
        auto saved = customer(id);
        EXPECT_EQ(saved->rec.get(KUN::NAVN), "Lagret");
        form.ok();
        EXPECT_EQ(form.response(), RequestCompleted);
        EXPECT_EQ(customer(id)->at.rev, saved->at.rev);
    }
    // An inserted record saved so is changed afterwards, never stored a second time.
    const int before = count(Tbl::KUNDE, KUN::KUNDEID.no);
    WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, InsertRecord);
    form.settings().hasSave = true;
    form.init();
    const int newId = form.record().get(KUN::KUNDEID);
    form.saveAndStay();
    EXPECT_EQ(form.insertedAt().rowid, customer(newId)->at.rowid);
    form.record().set(KUN::TELEFON, "22 33 44 55");
    form.ok();
    EXPECT_TRUE(form.closed());
    EXPECT_EQ(count(Tbl::KUNDE, KUN::KUNDEID.no), before + 1);
    EXPECT_EQ(customer(newId)->rec.get(KUN::TELEFON), "22 33 44 55");
}

TEST_F(FormTest, CancellingUnsavedChangesAsksPerTheCancelAction)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Uendret");
    select(ctx, id);
    const int64_t rev = customer(id)->at.rev;
    {
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, ChangeRecord);
        form.init();
        form.record().set(KUN::NAVN, "Endret");
        form.cancel(); // Cancel is preselected: stay
        ASSERT_FALSE(form.closed());
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_EQ(answers.shown[0].caption, "Lagre post");
        EXPECT_EQ(answers.shown[0].text, "Vil du lagre endringer i denne posten?");
        EXPECT_EQ(answers.shown[0].buttons, BUTTON_YES | BUTTON_NO | BUTTON_CANCEL);
        EXPECT_EQ(answers.shown[0].defaultButton, BUTTON_CANCEL);
        answers.answer(BUTTON_NO);
        form.cancel();
        EXPECT_EQ(form.response(), RequestCancelled);
        EXPECT_EQ(customer(id)->at.rev, rev);
    }
    {
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, ChangeRecord);
        form.init();
        form.record().set(KUN::NAVN, "Endret");
        answers.answer(BUTTON_YES);
        form.cancel();
        EXPECT_EQ(form.response(), RequestCompleted);
        EXPECT_EQ(customer(id)->rec.get(KUN::NAVN), "Endret");
    }
    {
        // Saved from Cancel, the form leaves even where OK would stay with a fresh record.
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, InsertRecord);
        form.settings().insertAction = INSERT_STAY;
        form.init();
        form.record().set(KUN::NAVN, "Fra avbryt");
        answers.answer(BUTTON_YES);
        form.cancel();
        EXPECT_TRUE(form.closed());
        EXPECT_EQ(count(Tbl::KUNDE, KUN::KUNDEID.no), 2);
    }
    {
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, ChangeRecord);
        form.settings().cancelAction = 0;
        form.init();
        const int64_t now = customer(id)->at.rev;
        form.record().set(KUN::NAVN, "Forkastes");
        answers.shown.clear();
        answers.answer(BUTTON_NO);
        form.cancel();
        EXPECT_FALSE(form.closed());
        answers.answer(BUTTON_YES);
        form.cancel();
        EXPECT_EQ(form.response(), RequestCancelled);
        EXPECT_EQ(titles(), (std::vector<std::string>(2, "Changes will be lost!")));
        EXPECT_EQ(customer(id)->at.rev, now);
    }
}

TEST_F(FormTest, ADeleteRequestNeverShowsTheForm)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Slettes", 3);
    select(ctx, id);
    ViewLog log;
    {
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, DeleteRecord);
        form.bind(log.bindings());
        answers.answer(BUTTON_NO);
        EXPECT_EQ(form.init(), LEVEL_NOTIFY);
        EXPECT_EQ(form.response(), RequestCancelled);
    }
    EXPECT_EQ(titles(), std::vector<std::string>{"Bekreft Sletting"});
    EXPECT_EQ(log.closes, std::vector<int>{RequestCancelled});
    EXPECT_EQ(count(Tbl::KONTAKT, KON::KUNDEID.no, id), 3);

    select(ctx, id);
    WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, DeleteRecord);
    answers.answer(BUTTON_YES);
    EXPECT_EQ(form.init(), LEVEL_NOTIFY);
    EXPECT_EQ(form.response(), RequestCompleted);
    EXPECT_FALSE(customer(id));
    EXPECT_EQ(count(Tbl::KONTAKT, KON::KUNDEID.no, id), 0);
}

TEST_F(FormTest, AViewFormWritesNothingWhateverIsPressed)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Bare se");
    select(ctx, id);
    const int64_t rev = customer(id)->at.rev;
    {
        // Earlier input of the form, which Ctrl+H must not bring into a view.
        WindowManager form(ctx, "KUNDEFORM_VIS", Tbl::KUNDE, ChangeRecord);
        form.init();
        form.record().set(KUN::NAVN, "Historikk");
        answers.answer(BUTTON_NO);
        form.cancel();
    }
    answers.shown.clear();
    select(ctx, id);
    WindowManager form(ctx, "KUNDEFORM_VIS", Tbl::KUNDE, ViewRecord);
    form.settings().hasSave = true;
    form.settings().cancelAction = CANCEL_SAVE | CANCEL_QUERY;
    ASSERT_EQ(form.init(), LEVEL_BENIGN);
    form.ditto();
    EXPECT_EQ(form.record().get(KUN::NAVN), "Bare se");
    form.record().set(KUN::NAVN, "Skal ikke lagres"); // as a lookup might
    form.ok();
    form.saveAndStay();
    EXPECT_FALSE(form.closed());
    form.cancel();
    EXPECT_EQ(form.response(), RequestCancelled);
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_EQ(customer(id)->at.rev, rev);
    EXPECT_TRUE(WindowManager(ctx, "KUNDEFORM_VIS", Tbl::KUNDE, 0).readOnly());
}

TEST_F(FormTest, InsertingStaysWithAFreshRecordAndTheNextNumber)
{
    Context ctx(&errors);
    ViewLog log;
    {
        CustomerForm form(ctx, "KUNDEFORM_SERIE", Tbl::KUNDE, InsertRecord);
        form.settings().insertAction = INSERT_STAY;
        form.bind(log.bindings());
        ASSERT_EQ(form.init(), LEVEL_BENIGN);
        EXPECT_EQ(form.record().get(KUN::KUNDEID), 1);
        EXPECT_TRUE(customer(1)); // reserved in the file already
        form.record().set(KUN::NAVN, "Første");
        form.ok();
        ASSERT_FALSE(form.closed());
        EXPECT_EQ(customer(1)->rec.get(KUN::NAVN), "Første");
        EXPECT_EQ(form.insertedAt().rowid, customer(1)->at.rowid);
        EXPECT_EQ(form.record().get(KUN::KUNDEID), 2);
        EXPECT_EQ(form.record().get(KUN::NAVN), "");
        EXPECT_EQ(form.record().get(KUN::REGISTRERINGSDATO), CustomerForm::kToday);
        EXPECT_EQ(log.focus, 1);

        form.ditto(); // the previous record's input, under the new number
        EXPECT_EQ(form.record().get(KUN::KUNDEID), 2);
        form.ok();
        EXPECT_EQ(customer(2)->rec.get(KUN::NAVN), "Første");
        form.cancel(); // the fresh record is untouched: no question
        EXPECT_EQ(form.response(), RequestCompleted);
    }
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_FALSE(customer(3));
    WindowManager next(ctx, "KUNDEFORM_SERIE", Tbl::KUNDE, InsertRecord);
    next.init();
    EXPECT_EQ(next.record().get(KUN::KUNDEID), 3);
}

TEST_F(FormTest, CancellingAnInsertGivesTheNumberBackWithItsChildren)
{
    Context ctx(&errors);
    int invoice = 0;
    {
        WindowManager form(ctx, "FAKTURAFORM", Tbl::FAKTURA, InsertRecord);
        form.init();
        invoice = form.record().get(FAK::FAKTURAID);
        // The invoice's line list primes each new line with its range, then starts the form.
        auto& lines = ctx.access(Tbl::FAKLINJE);
        lines.OPEN();
        lines.rec().set(FLI::FAKTURAID, invoice);
        ASSERT_EQ(lines.PRIMERECORD(true), LEVEL_BENIGN);
        const int firstLine = lines.rec().get(FLI::FAKLINJEID);
        {
            WindowManager line(ctx, "FAKTURALINJEFORM", Tbl::FAKLINJE, InsertRecord);
            line.settings().insertAction = INSERT_STAY;
            line.init();
            EXPECT_EQ(line.record().get(FLI::FAKLINJEID), firstLine); // not numbered twice
            line.ok();
            EXPECT_EQ(line.record().get(FLI::FAKTURAID), invoice);
            line.ok();
            line.cancel();
        }
        lines.CLOSE();
        EXPECT_EQ(count(Tbl::FAKLINJE, FLI::FAKTURAID.no, invoice), 2);
        EXPECT_EQ(count(Tbl::FAKLINJE, FLI::FAKLINJEID.no), 2);
        form.cancel();
        EXPECT_EQ(form.response(), RequestCancelled);
    }
    EXPECT_TRUE(answers.shown.empty());
    EXPECT_EQ(count(Tbl::FAKLINJE, FLI::FAKTURAID.no, invoice), 0);
    WindowManager again(ctx, "FAKTURAFORM", Tbl::FAKTURA, InsertRecord);
    again.init();
    EXPECT_EQ(again.record().get(FAK::FAKTURAID), invoice);
}

TEST_F(FormTest, AChangeConflictKeepsTheFormOpenAndDittoRecallsTheUsersInput)
{
    Context mine(&errors), theirs(&errors);
    int id = addCustomer(mine, "Original");
    select(mine, id);
    WindowManager form(mine, "KUNDEFORM_KONFLIKT", Tbl::KUNDE, ChangeRecord);
    form.init();
    select(theirs, id);
    theirs.rec(Tbl::KUNDE).set(KUN::NAVN, "Fra den andre");
    ASSERT_EQ(theirs.access(Tbl::KUNDE).UPDATE(), LEVEL_BENIGN);

    form.record().set(KUN::NAVN, "Mitt navn");
    form.ok();
    ASSERT_FALSE(form.closed());
    EXPECT_EQ(titles(), std::vector<std::string>{"Record Was Not Updated"});
    EXPECT_EQ(form.record().get(KUN::NAVN), "Fra den andre");
    form.ditto();
    EXPECT_EQ(form.record().get(KUN::NAVN), "Mitt navn");
    form.ok();
    EXPECT_EQ(form.response(), RequestCompleted);
    EXPECT_EQ(customer(id)->rec.get(KUN::NAVN), "Mitt navn");

    // Deleted by the other station: the input is never taken as saved.
    select(mine, id);
    WindowManager again(mine, "KUNDEFORM_KONFLIKT", Tbl::KUNDE, ChangeRecord);
    again.init();
    select(theirs, id);
    ASSERT_EQ(theirs.access(Tbl::KUNDE).DELETERECORD(false), LEVEL_BENIGN);
    again.record().set(KUN::NAVN, "Forgjeves");
    again.ok();
    again.ok();
    EXPECT_FALSE(again.closed());
    EXPECT_EQ(again.record().get(KUN::NAVN), "Forgjeves");
    theirs.access(Tbl::KUNDE).CLOSE();
}

TEST_F(FormTest, AConflictOnARenamedProjectCanBeSavedAfterwards)
{
    Context mine(&errors), theirs(&errors);
    auto& prj = mine.access(Tbl::PROSJEKT);
    auto& pli = mine.access(Tbl::PRJLINJE);
    prj.OPEN();
    pli.OPEN();
    prj.rec().set(PRJ::PROSJEKTID, "P1");
    ASSERT_EQ(prj.INSERT(), LEVEL_BENIGN);
    pli.rec().set(PLI::PROSJEKTID, "P1");
    ASSERT_EQ(pli.INSERT(), LEVEL_BENIGN);
    pli.CLOSE();
    WindowManager form(mine, "PROSJEKTFORM_KONFLIKT", Tbl::PROSJEKT, ChangeRecord);
    form.init();

    auto& other = theirs.access(Tbl::PROSJEKT);
    other.OPEN();
    other.rec().set(PRJ::PROSJEKTID, "P1");
    ASSERT_EQ(other.FETCH(PRJ::KeyProsjektId), LEVEL_BENIGN);
    other.rec().set(PRJ::NAVN, "Bygg og anlegg");
    ASSERT_EQ(other.UPDATE(), LEVEL_BENIGN);
    other.CLOSE();

    form.record().set(PRJ::PROSJEKTID, "P2"); // the lines follow, in one transaction
    form.ok();
    form.ditto();
    form.ok();
    EXPECT_TRUE(form.closed());
    EXPECT_EQ(titles(), std::vector<std::string>{"Record Was Not Updated"});
    auto p2 =
        find(Tbl::PROSJEKT, PRJ::KeyProsjektId, [](Record& r) { r.set(PRJ::PROSJEKTID, "P2"); });
    ASSERT_TRUE(p2);
    EXPECT_EQ(p2->rec.get(PRJ::NAVN), "Bygg og anlegg");
    EXPECT_TRUE(find(Tbl::PRJLINJE, PLI::KeyPrjLinjeId, [](Record& r) {
                    r.set(PLI::PRJLINJEID, 1);
                })->rec.get(PLI::PROSJEKTID) == "P2");
    prj.CLOSE();
}

TEST_F(FormTest, AFailedWriteKeepsTheFormOpenUntilTheUserChooses)
{
    Context ctx(&errors);
    int id = addCustomer(ctx, "Låst", 1);
    auto& kon = ctx.access(Tbl::KONTAKT);
    kon.OPEN();
    ASSERT_EQ(kon.USEFILE(), LEVEL_BENIGN); // opened for writing before another holds it
    select(ctx, id);
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(path("KONTAKT.TPS").c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        ViewLog log;
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, ChangeRecord);
        form.bind(log.bindings());
        form.init();
        form.record().set(KUN::KUNDEID, 500); // the contact must follow
        for (unsigned b : {BUTTON_OK, BUTTON_YES, BUTTON_OK, BUTTON_CANCEL})
            answers.answer(b);
        form.ok();
        EXPECT_FALSE(form.closed());
        EXPECT_EQ(log.focus, 1);
        EXPECT_EQ(titles(),
                  (std::vector<std::string>{"Transaction cancelled", "Record Update Error",
                                            "Transaction cancelled", "Record Update Error"}));
        EXPECT_EQ(answers.shown[1].defaultButton, BUTTON_CANCEL);
        sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
        form.ok();
        EXPECT_EQ(form.response(), RequestCompleted);
    }
    EXPECT_EQ(count(Tbl::KONTAKT, KON::KUNDEID.no, 500), 1);

    // No leaves; a record the form inserted before stays, and the caller hears it was written.
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        WindowManager form(ctx, "KUNDEFORM", Tbl::KUNDE, InsertRecord);
        form.settings().hasSave = true;
        form.init();
        const int newId = form.record().get(KUN::KUNDEID);
        form.saveAndStay();
        form.record().set(KUN::KUNDEID, 900);
        answers.answer(BUTTON_OK);
        answers.answer(BUTTON_NO);
        form.ok();
        EXPECT_TRUE(form.closed());
        EXPECT_EQ(form.response(), RequestCompleted);
        EXPECT_TRUE(customer(newId));
    }
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    kon.CLOSE();
}
