// The saved filters' form: where a new filter belongs, the builder on its text, and what
// deleting or doubling a number does to the registers that look filters up.
#include "customfields/filterform.h"
#include "data/filterproc.h"
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"

using namespace tavlo;

namespace {

class FilterFormTest : public tavlo::testing::DataFolderTest {
  protected:
    // Writes a new filter through the form, as the register's "new" does for a tab.
    void save(int32_t table, int32_t no, const std::string& name, const std::string& expression)
    {
        Context ctx(&errors);
        FilterForm form(ctx, table, InsertRecord);
        ASSERT_EQ(form.init(), LEVEL_BENIGN);
        form.record().set(FIL::FILTERNR, no);
        form.record().set(FIL::FILTERNAVN, name);
        form.record().set(FIL::FILTERSTRENG, expression);
        form.ok();
        ASSERT_EQ(form.response(), RequestCompleted);
    }
    // Loads the first filter of a table with that number into the FIL buffer.
    void load(Context& ctx, int32_t table, int32_t no)
    {
        auto& fil = ctx.access(Tbl::FILTER);
        fil.OPEN();
        fil.rec().clear();
        fil.rec().set(FIL::TABELLNR, table);
        fil.rec().set(FIL::FILTERNR, no);
        ASSERT_EQ(fil.FETCH(FIL::KeyTabellNr_FilterNr), LEVEL_BENIGN);
    }
};

} // namespace

TEST_F(FilterFormTest, AFilterSavedUnderBillingBasesIsOfferedThereOnly)
{
    save(5, 4, "Månedlige", "(GRU:FakturaStatus = 1)");
    Context ctx(&errors);
    std::string filter, description;
    EXPECT_EQ(HENTFILTER(ctx, 3, filter, description), 0);
    EXPECT_TRUE(answers.listsShown.empty());
    answers.picks = {0};
    EXPECT_EQ(HENTFILTER(ctx, 5, filter, description), 4);
    EXPECT_EQ(filter, "(GRU:FakturaStatus = 1)");

    EXPECT_EQ(FilterForm(ctx, 5, InsertRecord).caption(), "Nytt standardfilter");
    EXPECT_EQ(FilterForm(ctx, 5, ChangeRecord).caption(), "Endre/vise standardfilter");
    EXPECT_EQ(FilterForm(ctx, 5, ViewRecord).caption(), "View Record");
}

TEST_F(FilterFormTest, TheBuilderStartsFromTheTextAndReplacesItOnlyOnOk)
{
    save(1, 1, "Lang", "");
    Context ctx(&errors);
    load(ctx, 1, 1);
    FilterForm form(ctx, 1, ChangeRecord);
    ASSERT_EQ(form.init(), LEVEL_BENIGN);

    // Longer than the builder holds: it starts with the first 2047 characters, blanks in front
    // and behind dropped.
    const std::string longText = "   " + std::string(2046, 'x') + "yz  ";
    form.record().set(FIL::FILTERSTRENG, longText);
    std::string seen;
    int table = 0;
    answers.filterBuilder = [&](int tableNo, std::string& expression) {
        table = tableNo;
        seen = expression;
        return false; // "Avslutt"
    };
    EXPECT_FALSE(form.buildFilter());
    EXPECT_EQ(table, 1);
    EXPECT_EQ(seen, std::string(2046, 'x') + "y");
    EXPECT_EQ(form.record().get(FIL::FILTERSTRENG), longText);

    answers.filterBuilder = [](int, std::string& expression) {
        expression += " OR (KUN:PostNr < 1000)";
        return true;
    };
    form.record().set(FIL::FILTERSTRENG, "  (KUN:PostNr >= 5000)");
    EXPECT_TRUE(form.buildFilter());
    EXPECT_EQ(form.record().get(FIL::FILTERSTRENG), "(KUN:PostNr >= 5000) OR (KUN:PostNr < 1000)");
    // The builder keeps its text for the next use.
    EXPECT_EQ(GLO::FILTER, "(KUN:PostNr >= 5000) OR (KUN:PostNr < 1000)");
    form.cancel();

    // A view form has no lookup that could change the text.
    FilterForm view(ctx, 1, ViewRecord);
    ASSERT_EQ(view.init(), LEVEL_BENIGN);
    EXPECT_FALSE(view.buildFilter());
    view.cancel();
}

TEST_F(FilterFormTest, ADeletedFixedFilterLeavesTheRegisterUnfiltered)
{
    save(1, 3, "Vest", "(KUN:PostNr >= 5000)");
    Context ctx(&errors);
    std::string filter, description;
    ASSERT_EQ(SETFILTER(ctx, 1, 3, filter, description), 1);
    load(ctx, 1, 3);
    answers.answer(BUTTON_YES); // "Bekreft Sletting"
    FilterForm form(ctx, 1, DeleteRecord);
    EXPECT_EQ(form.init(), LEVEL_NOTIFY);
    EXPECT_EQ(form.response(), RequestCompleted);
    ctx.access(Tbl::FILTER).CLOSE();
    // The register's next opening: SETFILTER finds nothing, says nothing, clears both.
    answers.shown.clear();
    EXPECT_EQ(SETFILTER(ctx, 1, 3, filter, description), 0);
    EXPECT_EQ(filter + description, "");
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(FilterFormTest, TwoFiltersMayShareANumberAndTheFirstIsFound)
{
    save(2, 6, "Første", "(PRO:Lagerstyring = 1)");
    save(2, 6, "Andre", "(PRO:MVAPliktig = 1)");
    save(1, 6, "Kunder", "(KUN:PostNr < 1000)");
    Context ctx(&errors);
    std::string name, filter, description;
    VISFILTER(ctx, 2, 6, name);
    EXPECT_EQ(name, "Første");
    EXPECT_EQ(SETFILTER(ctx, 2, 6, filter, description), 1);
    EXPECT_EQ(filter, "(PRO:Lagerstyring = 1)");
    EXPECT_TRUE(answers.shown.empty());
}
