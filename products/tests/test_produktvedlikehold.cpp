// The product exchange file: a thousand products there and back, damaged lines and refused
// imports that leave PRODUKT as it was, and the questions answered No.
#include <map>

#include "data/datafolder.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "products/produktvedlikehold.h"

using namespace tavlo;
using Outcome = ProduktVedlikehold::Outcome;

namespace {

class ProduktVedlikeholdTest : public tavlo::testing::ContextTest {
  protected:
    std::vector<Record> all()
    {
        std::vector<Record> out;
        auto& m = ctx->access(Tbl::PRODUKT);
        m.OPEN();
        m.SET(PRO::KeyProduktId);
        while (m.NEXT() == LEVEL_BENIGN)
            out.push_back(m.rec());
        m.CLOSE();
        return out;
    }
    // A line of the file with the fields given by number (from 1).
    static std::string line(std::map<int, std::string> fields = {})
    {
        std::vector<deltekst::Value> v(ProduktVedlikehold::layout().size(), std::string("0"));
        for (auto& [no, text] : fields)
            v[no - 1] = text;
        return *deltekst::Writer().format(v);
    }
    void writeFile(const std::string& bytes)
    {
        std::ofstream(path("PRODUKT.TXT"), std::ios::binary) << bytes;
    }
    Outcome import()
    {
        ProduktVedlikehold w(*ctx);
        w.fileName() = path("PRODUKT.TXT");
        answers.answer(BUTTON_YES);
        return w.importFile();
    }
    std::string lastMessage() const
    {
        return answers.shown.empty() ? "" : answers.shown.back().text;
    }
};

TEST_F(ProduktVedlikeholdTest, AThousandProductsThroughAnEmptyFolderKeepEveryFieldTheFileCarries)
{
    auto& pro = ctx->access(Tbl::PRODUKT);
    pro.OPEN();
    for (int n = 1; n <= 1000; ++n) {
        Record& r = pro.rec();
        r.clear();
        const std::string s = std::to_string(n);
        r.set(PRO::IMPORTBATCHNR, n % 7);
        r.set(PRO::NAVN, "Blåbær, \"Ærlig\" Ørret Å " + s);
        r.set(PRO::PRODUKTGRUPPE, n % 13);
        r.set(PRO::ENHETSBENEVNING, n % 2 ? "stk" : "kg ");
        r.set(PRO::ENHETSPRIS, *Decimal::parse(n % 3 ? "-123456789.99" : "0.5"));
        r.set(PRO::MVAPLIKTIG, n % 2);
        r.set(PRO::MVASATS, n % 2 ? 25 : 15);
        r.set(PRO::STDFAKTURALINJEANTALL, *Decimal::parse("999999999.99"));
        r.set(PRO::STDFAKTURALINJERABATT, *Decimal::parse("12.5"));
        r.set(PRO::BESKRIVELSE, "Første linje\r\nandre, med «sitat» og \"anførsel\" " + s);
        r.set(PRO::DIV, n % 5 ? "" : "Æ Ø Å æ ø å");
        const TableDecl& d = r.decl();
        for (int i = 1; i <= 10; ++i)
            r.setNum(d.fieldNo("HELTALL" + std::to_string(i)), i * -100000 + n);
        for (int i = 1; i <= 5; ++i)
            r.setNum(d.fieldNo("DESIMALTALL" + std::to_string(i)), 99999999999LL / i - n);
        for (int i = 1; i <= 5; ++i)
            r.setStr(d.fieldNo("TEKST" + std::to_string(i)), "Æ Ø Å " + std::to_string(i));
        ASSERT_EQ(pro.INSERT(), LEVEL_BENIGN);
    }
    pro.CLOSE();
    const auto products = all();

    ProduktVedlikehold w(*ctx);
    EXPECT_EQ(w.fileName(), (std::filesystem::current_path() / "PRODUKT.TXT").string());
    w.fileName() = path("PRODUKT.TXT");
    ASSERT_EQ(w.exportFile(), Outcome::Completed) << lastMessage();
    EXPECT_EQ(w.counter(), 1000);
    EXPECT_EQ(lastMessage(), "Eksporten er fullført");
    EXPECT_EQ(answers.shown.back().caption, "Info");
    const std::string bytes = bytesOf("PRODUKT.TXT");
    EXPECT_NE(bytes.find("\"Bl\xE5"
                         "b\xE6r, \"\"\xC6rlig\"\""),
              std::string::npos); // Windows-1252, quotes doubled
    EXPECT_NE(bytes.find("\"-123456789.99\""), std::string::npos);

    char pattern[] = "/tmp/tavlo-test-XXXXXX";
    const std::string other = mkdtemp(pattern);
    std::filesystem::copy_file(path("PRODUKT.TXT"), other + "/PRODUKT.TXT");
    ctx.reset();
    setDataFolder(other);
    ctx = std::make_unique<Context>(&errors);
    ProduktVedlikehold in(*ctx);
    in.fileName() = other + "/PRODUKT.TXT";
    answers.answer(BUTTON_YES);
    ASSERT_EQ(in.importFile(), Outcome::Completed) << lastMessage();
    EXPECT_EQ(lastMessage(), "Importen er fullført");
    EXPECT_EQ(in.counter(), 1000);
    const auto got = all();
    ASSERT_EQ(got.size(), products.size());
    for (std::size_t i = 0; i < products.size(); ++i) {
        Record want = products[i];
        if (want.get(PRO::ENHETSBENEVNING) == "kg ")
            want.set(PRO::ENHETSBENEVNING, "kg"); // trailing blanks are not written
        ASSERT_TRUE(got[i] == want) << "product " << i + 1;
    }

    // The same file again: a second copy under new numbers, whatever numbers the file carries.
    answers.answer(BUTTON_YES);
    ASSERT_EQ(in.importFile(), Outcome::Completed) << lastMessage();
    const auto twice = all();
    ASSERT_EQ(twice.size(), 2000u);
    EXPECT_EQ(twice[1999].get(PRO::PRODUKTID), 2000);
    EXPECT_EQ(twice[1999].get(PRO::NAVN), products[999].get(PRO::NAVN));

    ctx.reset();
    setDataFolder(dir);
    std::filesystem::remove_all(other);
    ctx = std::make_unique<Context>(&errors);
}

TEST_F(ProduktVedlikeholdTest, StockAndTheHighestDiscountAreNotCarried)
{
    addProduct(*ctx, "Lagervare", [](Record& r) {
        r.set(PRO::LAGERSTYRING, 1);
        r.set(PRO::LAGERBEHOLDNING, *Decimal::parse("10"));
        r.set(PRO::MINLAGERBEHOLDNING, *Decimal::parse("2"));
        r.set(PRO::MAXFAKTURALINJERABATT, "50");
        r.set(PRO::MVAPLIKTIG, 1);
    });
    ProduktVedlikehold w(*ctx);
    w.fileName() = path("PRODUKT.TXT");
    ASSERT_EQ(w.exportFile(), Outcome::Completed);
    ASSERT_EQ(import(), Outcome::Completed) << lastMessage();
    const auto got = all();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[1].get(PRO::PRODUKTID), 2);
    EXPECT_EQ(got[1].get(PRO::NAVN), "Lagervare");
    EXPECT_EQ(got[1].get(PRO::MVAPLIKTIG), 1);
    EXPECT_EQ(got[1].get(PRO::LAGERSTYRING), 0);
    EXPECT_EQ(got[1].get(PRO::LAGERBEHOLDNING), Decimal());
    EXPECT_EQ(got[1].get(PRO::MINLAGERBEHOLDNING), Decimal());
    EXPECT_EQ(got[1].get(PRO::MAXFAKTURALINJERABATT), "");
}

TEST_F(ProduktVedlikeholdTest, ADamagedLineIsNamedWithItsNumberAndNothingIsStored)
{
    addProduct(*ctx, "Før");
    const std::string good = line({{3, "God"}});
    struct Case {
        std::string bad;
        std::string says;
    };
    const std::vector<Case> cases = {
        {line({{6, "12x"}}), "Feltet ENHETSPRIS er ikke et tall: \"12x\"|Linje 3"},
        {line({{9, "123456789012.5"}}), "Feltet STDFAKTURALINJEANTALL er for stort"},
        {line({{7, "300"}}), "Feltet MVAPLIKTIG må være et tall fra 0 til 255: \"300\"|Linje 3"},
        {line({{3, std::string(51, 'x')}}), "Teksten i feltet NAVN er lengre enn 50 tegn|Linje 3"},
        {"\"1\",\"\",\"\"\r\n", "Linjen har 3 felt, men skal ha 32|Linje 3"},
    };
    for (const Case& c : cases) {
        writeFile(good + good + c.bad + good);
        EXPECT_EQ(import(), Outcome::Failed);
        EXPECT_EQ(answers.shown.back().caption, "Feil");
        EXPECT_EQ(lastMessage().rfind("Importen er avbrutt pga feil i importfil: ", 0), 0u)
            << lastMessage();
        EXPECT_NE(lastMessage().find(c.says), std::string::npos) << lastMessage();
        const auto left = all();
        ASSERT_EQ(left.size(), 1u);
        EXPECT_EQ(left[0].get(PRO::NAVN), "Før");
    }
    // The numbers the failed runs took are free again.
    writeFile(good);
    ASSERT_EQ(import(), Outcome::Completed) << lastMessage();
    EXPECT_EQ(all().back().get(PRO::PRODUKTID), 2);
}

TEST_F(ProduktVedlikeholdTest, QuestionsAnsweredNoAndAMissingFile)
{
    ProduktVedlikehold w(*ctx);
    w.fileName() = path("PRODUKT.TXT");
    answers.answer(BUTTON_NO);
    EXPECT_EQ(w.importFile(), Outcome::Declined);
    EXPECT_EQ(lastMessage(), "Nye Produkter vil bli lagt til. Vil du fortsette");
    EXPECT_EQ(answers.shown.back().caption, "Advarsel");
    EXPECT_EQ(import(), Outcome::Failed);
    EXPECT_EQ(lastMessage(), "Finner ikke filen " + path("PRODUKT.TXT"));
    EXPECT_EQ(answers.shown.back().caption, "Feil");

    addProduct(*ctx, "Vare");
    writeFile("uendret");
    answers.answer(BUTTON_NO);
    EXPECT_EQ(w.exportFile(), Outcome::Declined);
    EXPECT_EQ(lastMessage(),
              "Filen " + path("PRODUKT.TXT") + " finnes fra før. Vil du overskrive filen");
    EXPECT_EQ(answers.shown.back().caption, "Advarsel");
    EXPECT_EQ(bytesOf("PRODUKT.TXT"), "uendret");
    EXPECT_TRUE(all().size() == 1u);
}

} // namespace
