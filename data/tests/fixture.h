#pragma once
// A fresh data folder in a temporary directory for each test, and scripted answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "data/context.h"
#include "data/globals.h"
#include "framework/errorclass.h"
#include "framework/scriptedanswers.h"

namespace tavlo::testing {

class DataFolderTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tavlo-test-XXXXXX";
        dir = mkdtemp(pattern);
        setDataFolder(dir);
        GLO::OWNERNAME = GLO::kOwnerPassword;
        GLO::setArchiveMode(false);
        errors.setAnswers(&answers);
    }
    void TearDown() override
    {
        setDataFolder(".");
        std::filesystem::remove_all(dir);
    }

    std::string path(const std::string& file) const { return dir + "/" + file; }
    std::string bytesOf(const std::string& file) const
    {
        std::ifstream in(path(file), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Titles of the messages shown so far.
    std::vector<std::string> titles() const
    {
        std::vector<std::string> t;
        for (const auto& m : answers.shown)
            t.push_back(m.caption);
        return t;
    }

    // Adds a code; `more` sets any other field first.
    void addCode(Context& ctx, int32_t group, int32_t nr, const std::string& text,
                 const std::function<void(Record&)>& more = {})
    {
        auto& kod = ctx.access(Tbl::KODEVERK);
        kod.OPEN();
        kod.rec().clear();
        kod.rec().set(KOD::GRUPPE, group);
        kod.rec().set(KOD::NR, nr);
        kod.rec().set(KOD::TEKST, text);
        if (more)
            more(kod.rec());
        ASSERT_EQ(kod.INSERT(), LEVEL_BENIGN);
        kod.CLOSE();
    }

    // A customer with contacts (named after it) and invoices, through the record store.
    int addCustomer(Context& ctx, const std::string& name, int contacts = 0, int invoices = 0)
    {
        auto& kun = ctx.access(Tbl::KUNDE);
        auto& kon = ctx.access(Tbl::KONTAKT);
        auto& fak = ctx.access(Tbl::FAKTURA);
        kun.OPEN();
        kon.OPEN();
        fak.OPEN();
        kun.rec().clear();
        kun.rec().set(KUN::NAVN, name);
        EXPECT_EQ(kun.INSERT(), LEVEL_BENIGN);
        int id = kun.rec().get(KUN::KUNDEID);
        for (int i = 0; i < contacts; ++i) {
            kon.rec().clear();
            kon.rec().set(KON::KUNDEID, id);
            kon.rec().set(KON::NAVN, name + " kontakt " + std::to_string(i));
            EXPECT_EQ(kon.INSERT(), LEVEL_BENIGN);
        }
        for (int i = 0; i < invoices; ++i) {
            fak.rec().clear();
            fak.rec().set(FAK::KUNDEID, id);
            fak.rec().set(FAK::KUNDENAVN, name);
            EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
        }
        kun.CLOSE();
        kon.CLOSE();
        fak.CLOSE();
        return id;
    }

    // A product; `more` sets any other field first. Its number.
    int addProduct(Context& ctx, const std::string& name,
                   const std::function<void(Record&)>& more = {})
    {
        auto& pro = ctx.access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().clear();
        pro.rec().set(PRO::NAVN, name);
        if (more)
            more(pro.rec());
        EXPECT_EQ(pro.INSERT(), LEVEL_BENIGN);
        const int id = pro.rec().get(PRO::PRODUKTID);
        pro.CLOSE();
        return id;
    }

    // A saved filter, through the record store.
    void addFilter(Context& ctx, int table, int no, const std::string& name,
                   const std::string& expression, const std::string& description)
    {
        auto& fil = ctx.access(Tbl::FILTER);
        fil.OPEN();
        fil.rec().clear();
        fil.rec().set(FIL::TABELLNR, table);
        fil.rec().set(FIL::FILTERNR, no);
        fil.rec().set(FIL::FILTERNAVN, name);
        fil.rec().set(FIL::FILTERSTRENG, expression);
        fil.rec().set(FIL::BESKRIVELSE, description);
        EXPECT_EQ(fil.INSERT(), LEVEL_BENIGN);
        fil.CLOSE();
    }

    std::string dir;
    ScriptedAnswers answers;
    ErrorClass errors{&answers};
};

// A fresh data folder and a context of the test's own on it; archive mode off again after.
class ContextTest : public DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
    }
    void TearDown() override
    {
        ctx.reset();
        GLO::setArchiveMode(false);
        DataFolderTest::TearDown();
    }
    std::unique_ptr<Context> ctx;
};

} // namespace tavlo::testing
