// The customer exchange file: export and import of customers with their contacts, a damaged or
// refused import that leaves both tables as they were, and the letters of both character sets.
#include "customers/kundevedlikehold.h"
#include "data/datafolder.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "framework/text.h"
#include "framework/transaction.h"

using namespace tavlo;
using Outcome = KundeVedlikehold::Outcome;

namespace {

class KundeVedlikeholdTest : public tavlo::testing::ContextTest {
  protected:
    std::vector<Record> all(Tbl t, KeyRef key)
    {
        std::vector<Record> out;
        auto& m = ctx->access(t);
        m.OPEN();
        m.SET(key);
        while (m.NEXT() == LEVEL_BENIGN)
            out.push_back(m.rec());
        m.CLOSE();
        return out;
    }
    // A line of the file: its type, and the fields given by number (from 1).
    static std::string line(const std::string& type, std::map<int, std::string> fields = {},
                            deltekst::Options o = {})
    {
        std::vector<deltekst::Value> v(KundeVedlikehold::layout().size(), std::string());
        v[0] = type;
        for (auto& [no, text] : fields)
            v[no - 1] = text;
        return *deltekst::Writer(o).format(v);
    }
    void writeFile(const std::string& bytes)
    {
        std::ofstream(path("KUNDE.TXT"), std::ios::binary) << bytes;
    }
    Outcome import()
    {
        KundeVedlikehold w(*ctx);
        w.fileName() = path("KUNDE.TXT");
        answers.answer(BUTTON_YES);
        return w.importFile();
    }
    std::string lastMessage() const
    {
        return answers.shown.empty() ? "" : answers.shown.back().text;
    }
    // One customer with every field the file carries, and two contacts.
    int32_t addFull(const std::string& name, bool contacts)
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        Record& r = kun.rec();
        r.clear();
        r.set(KUN::NAVN, name);
        r.set(KUN::REGISTRERINGSDATO, 75000);
        r.set(KUN::ADRESSE, "Storgata \"1\", 2. etg");
        r.set(KUN::ADRESSE2, "Postboks 5, Ålesund");
        r.set(KUN::POSTNR, 6002);
        r.set(KUN::TELEFON, "70 00 00 00");
        r.set(KUN::MOBIL, "900 00 000");
        r.set(KUN::FAKS, "70 00 00 01");
        r.set(KUN::EMAIL, "post@blabaer.no");
        r.set(KUN::HOVEDKONTAKT, 7);
        r.set(KUN::BETALINGSBETINGELSER, 14);
        r.set(KUN::LEVERINGSMATE, 2);
        r.set(KUN::KUNDEGRUPPE, 3);
        r.set(KUN::KREDITTGRENSE, *Decimal::parse("-1234567.5"));
        r.set(KUN::RABATT, *Decimal::parse("12.5"));
        r.set(KUN::IMPORTBATCHNR, 42);
        r.set(KUN::DIV, "Første linje\r\nandre, med «sitat» og \"anførsel\"");
        const TableDecl& d = r.decl();
        for (int i = 1; i <= 10; ++i)
            r.setNum(d.fieldNo("HELTALL" + std::to_string(i)), i * -1000 + 1);
        for (int i = 1; i <= 5; ++i)
            r.setNum(d.fieldNo("DESIMALTALL" + std::to_string(i)), 99999999999LL / i);
        for (int i = 1; i <= 5; ++i)
            r.setStr(d.fieldNo("TEKST" + std::to_string(i)), "Æ Ø Å " + std::to_string(i));
        EXPECT_EQ(kun.INSERT(), LEVEL_BENIGN);
        const int32_t id = r.get(KUN::KUNDEID);
        kun.CLOSE();
        if (contacts) {
            auto& kon = ctx->access(Tbl::KONTAKT);
            kon.OPEN();
            for (const char* who : {"Øyvind Ås", "Ærlige Anne"}) {
                kon.rec().clear();
                kon.rec().set(KON::KUNDEID, id);
                kon.rec().set(KON::NAVN, who);
                kon.rec().set(KON::ADRESSE, "Vei 2");
                kon.rec().set(KON::POSTNR, 5003);
                kon.rec().set(KON::EMAIL, "kontakt@x.no");
                kon.rec().set(KON::ROLLESTILLING, "Daglig leder");
                kon.rec().set(KON::DIV, "Notat,\r\nto linjer");
                EXPECT_EQ(kon.INSERT(), LEVEL_BENIGN);
            }
            kon.CLOSE();
        }
        return id;
    }
};

TEST_F(KundeVedlikeholdTest, RoundTripThroughAnEmptyFolderKeepsEveryFieldTheFileCarries)
{
    addFull("Blåbær AS", true);
    addFull("Ørret og Ål", false);
    addFull("Æsj ANS", true);
    const auto customers = all(Tbl::KUNDE, KUN::KeyKundeId);
    const auto contacts = all(Tbl::KONTAKT, KON::KeyKundeId_Navn);

    KundeVedlikehold w(*ctx);
    EXPECT_EQ(w.fileName(), (std::filesystem::current_path() / "KUNDE.TXT").string());
    w.fileName() = path("KUNDE.TXT");
    ASSERT_EQ(w.exportFile(), Outcome::Completed);
    EXPECT_EQ(w.counter(), 7);
    EXPECT_EQ(lastMessage(), "Eksporten er fullført");
    const std::string bytes = bytesOf("KUNDE.TXT");
    EXPECT_NE(bytes.find("\"Bl\xE5"
                         "b\xE6r AS\""),
              std::string::npos); // Windows-1252
    EXPECT_NE(bytes.find("\"-1234567.50\""), std::string::npos);

    // Into a folder of its own, empty.
    char pattern[] = "/tmp/tavlo-test-XXXXXX";
    const std::string other = mkdtemp(pattern);
    std::filesystem::copy_file(path("KUNDE.TXT"), other + "/KUNDE.TXT");
    ctx.reset();
    setDataFolder(other);
    ctx = std::make_unique<Context>(&errors);
    KundeVedlikehold in(*ctx);
    in.fileName() = other + "/KUNDE.TXT";
    answers.answer(BUTTON_YES);
    ASSERT_EQ(in.importFile(), Outcome::Completed) << lastMessage();
    EXPECT_EQ(lastMessage(), "Importen er fullført");
    EXPECT_EQ(in.counter(), 7);

    const auto gotCustomers = all(Tbl::KUNDE, KUN::KeyKundeId);
    ASSERT_EQ(gotCustomers.size(), customers.size());
    for (std::size_t i = 0; i < customers.size(); ++i) {
        Record want = customers[i];
        want.set(KUN::RABATT, Decimal()); // not carried by the file
        EXPECT_TRUE(gotCustomers[i] == want) << "customer " << i + 1;
    }
    const auto gotContacts = all(Tbl::KONTAKT, KON::KeyKundeId_Navn);
    ASSERT_EQ(gotContacts.size(), contacts.size());
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        Record want = contacts[i];
        want.set(KON::ROLLESTILLING, "");
        want.set(KON::KONTAKTID, gotContacts[i].get(KON::KONTAKTID)); // numbered anew
        EXPECT_TRUE(gotContacts[i] == want) << "contact " << i + 1;
    }
    ctx.reset();
    setDataFolder(dir);
    std::filesystem::remove_all(other);
    ctx = std::make_unique<Context>(&errors);
}

TEST_F(KundeVedlikeholdTest, AThousandCustomersWithTwoContactsEachComeBackFieldForField)
{
    auto& kun = ctx->access(Tbl::KUNDE);
    auto& kon = ctx->access(Tbl::KONTAKT);
    kun.OPEN();
    kon.OPEN();
    // One transaction: a synced write per record would make the setup the test's whole time.
    // It ends here, before the context it was begun on goes.
    {
        Transaction tx(*ctx);
        StoreError err;
        ASSERT_TRUE(tx.enlist(kun, err) && tx.enlist(kon, err) && tx.begin(err)) << err.text;
        const TableDecl& d = table(Tbl::KUNDE);
        for (int i = 1; i <= 1000; ++i) {
            Record& r = kun.rec();
            r.clear();
            r.set(KUN::NAVN, "Kunde " + std::to_string(i) + (i % 2 ? " Ærlig, \"AS\"" : " Øst"));
            r.set(KUN::REGISTRERINGSDATO, 70000 + i);
            r.set(KUN::ADRESSE, "Gate " + std::to_string(i));
            r.set(KUN::POSTNR, i % 9999);
            r.set(KUN::EMAIL, "k" + std::to_string(i) + "@x.no");
            r.set(KUN::KREDITTGRENSE, Decimal::fromCents(i * 1001 - 500000));
            r.set(KUN::DIV, i % 7 ? "" : "Linje én\r\nlinje to");
            for (int f = 1; f <= 10; ++f)
                r.setNum(d.fieldNo("HELTALL" + std::to_string(f)), i * f - 3000);
            for (int f = 1; f <= 5; ++f) {
                r.setNum(d.fieldNo("DESIMALTALL" + std::to_string(f)), -int64_t{i} * 37 * f);
                r.setStr(d.fieldNo("TEKST" + std::to_string(f)), "Å" + std::to_string(i * f));
            }
            ASSERT_EQ(kun.INSERT(), LEVEL_BENIGN);
            for (const char* who : {"Anne ", "Bjørn "}) {
                kon.rec().clear();
                kon.rec().set(KON::KUNDEID, r.get(KUN::KUNDEID));
                kon.rec().set(KON::NAVN, who + std::to_string(i));
                kon.rec().set(KON::TELEFON, std::to_string(90000000 + i));
                kon.rec().set(KON::DIV, i % 5 ? "" : "Notat \"x\"");
                ASSERT_EQ(kon.INSERT(), LEVEL_BENIGN);
            }
        }
        ASSERT_TRUE(tx.commit(err)) << err.text;
    }
    kun.CLOSE();
    kon.CLOSE();
    const auto customers = all(Tbl::KUNDE, KUN::KeyKundeId);
    const auto contacts = all(Tbl::KONTAKT, KON::KeyKontaktId);
    ASSERT_EQ(contacts.size(), 2000u);

    KundeVedlikehold w(*ctx);
    w.fileName() = path("KUNDE.TXT");
    ASSERT_EQ(w.exportFile(), Outcome::Completed) << lastMessage();
    EXPECT_EQ(w.counter(), 3000);

    char pattern[] = "/tmp/tavlo-test-XXXXXX";
    const std::string other = mkdtemp(pattern);
    ctx.reset();
    setDataFolder(other);
    ctx = std::make_unique<Context>(&errors);
    {
        KundeVedlikehold in(*ctx);
        in.fileName() = path("KUNDE.TXT");
        answers.answer(BUTTON_YES);
        ASSERT_EQ(in.importFile(), Outcome::Completed) << lastMessage();
        EXPECT_EQ(in.counter(), 3000);
    }
    const auto gotCustomers = all(Tbl::KUNDE, KUN::KeyKundeId);
    const auto gotContacts = all(Tbl::KONTAKT, KON::KeyKontaktId);
    ctx.reset();
    setDataFolder(dir);
    std::filesystem::remove_all(other);
    ctx = std::make_unique<Context>(&errors);

    ASSERT_EQ(gotCustomers.size(), customers.size());
    for (std::size_t i = 0; i < customers.size(); ++i)
        EXPECT_TRUE(gotCustomers[i] == customers[i]) << "customer " << i + 1;
    // Both were stored in file order, so the numbers come out the same.
    ASSERT_EQ(gotContacts.size(), contacts.size());
    for (std::size_t i = 0; i < contacts.size(); ++i)
        EXPECT_TRUE(gotContacts[i] == contacts[i]) << "contact " << i + 1;
}

TEST_F(KundeVedlikeholdTest, AFailedImportLeavesCustomersAndContactsAsTheyWere)
{
    addCustomer(*ctx, "Før", 1);
    writeFile(line("1", {{5, "Ny AS"}}) + line("2", {{5, "Ny kontakt"}}) +
              line("1", {{5, "Nyere AS"}}) + line("3"));
    EXPECT_EQ(import(), Outcome::Failed);
    EXPECT_EQ(lastMessage(), "Importen er avbrutt pga feil i importfil: Ukjent pottype|Linje 4");
    EXPECT_EQ(answers.shown.back().caption, "Feil");
    EXPECT_EQ(all(Tbl::KUNDE, KUN::KeyKundeId).size(), 1u);
    ASSERT_EQ(all(Tbl::KONTAKT, KON::KeyKontaktId).size(), 1u);

    // The numbers the failed run took are free again; no contact of it waits there.
    writeFile(line("1", {{5, "Riktig AS"}}) + line("2", {{5, "Riktig kontakt"}}));
    ASSERT_EQ(import(), Outcome::Completed) << lastMessage();
    const auto contacts = all(Tbl::KONTAKT, KON::KeyKontaktId);
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[1].get(KON::KUNDEID), 2);
    EXPECT_EQ(contacts[1].get(KON::NAVN), "Riktig kontakt");
}

TEST_F(KundeVedlikeholdTest, DamagedLinesAreNamedAndNothingIsStored)
{
    const std::string good = line("1", {{5, "God"}});
    struct Case {
        std::string bad;
        std::string says;
    };
    const std::vector<Case> cases = {
        {line("1", {{17, "12x"}}), "Feltet KREDITTGRENSE er ikke et tall: \"12x\"|Linje 3"},
        {line("1", {{17, "123456789012.5"}}), "Feltet KREDITTGRENSE er for stort"},
        {line("1", {{4, "999999"}}), "REGISTRERINGSDATO er ikke en dato som finnes"},
        {line("1", {{5, std::string(51, 'x')}}), "Teksten i feltet NAVN er lengre enn 50 tegn"},
        {"\"1\",\"\",\"\"\r\n", "Linjen har 3 felt, men skal ha 38|Linje 3"},
        // The open quote runs into the next line, whose own quotes then stand wrong.
        {"\"1\",\"Ola\r\n", "Tegn etter avsluttende anførselstegn i felt 2|Linje 3"},
    };
    for (const Case& c : cases) {
        writeFile(good + good + c.bad + good);
        EXPECT_EQ(import(), Outcome::Failed);
        EXPECT_NE(lastMessage().find(c.says), std::string::npos) << lastMessage();
        EXPECT_TRUE(all(Tbl::KUNDE, KUN::KeyKundeId).empty());
    }
}

TEST_F(KundeVedlikeholdTest, Utf8AndWindows1252FilesReadTheSameLetters)
{
    deltekst::Options utf8;
    utf8.charset = deltekst::Charset::Utf8;
    for (const auto& o : {deltekst::Options{}, utf8}) {
        writeFile(line("1", {{5, "Æ Ø Å æ ø å"}, {18, "Blåbærsyltetøy"}}, o));
        ASSERT_EQ(import(), Outcome::Completed) << lastMessage();
    }
    for (const Record& r : all(Tbl::KUNDE, KUN::KeyKundeId)) {
        EXPECT_EQ(r.get(KUN::NAVN), "Æ Ø Å æ ø å");
        EXPECT_EQ(r.get(KUN::DIV), "Blåbærsyltetøy");
    }
}

TEST_F(KundeVedlikeholdTest, ExportPutsEachCustomersContactsByNameAfterItAndNoOthers)
{
    addCustomer(*ctx, "Uten kontakter");
    addCustomer(*ctx, "Med to", 2);
    addCustomer(*ctx, "Heller ingen");
    addCustomer(*ctx, "Med en", 1);
    auto& kon = ctx->access(Tbl::KONTAKT);
    kon.OPEN();
    for (int32_t owner : {0, 3, 99}) { // no customer, one without contacts, none at all
        kon.rec().clear();
        kon.rec().set(KON::KUNDEID, owner);
        kon.rec().set(KON::NAVN, owner == 3 ? "Aase" : "Foreldreløs");
        ASSERT_EQ(kon.INSERT(), LEVEL_BENIGN);
    }
    kon.rec().clear();
    kon.rec().set(KON::KUNDEID, 2);
    kon.rec().set(KON::NAVN, "Aaaa først");
    ASSERT_EQ(kon.INSERT(), LEVEL_BENIGN);
    kon.CLOSE();

    KundeVedlikehold w(*ctx);
    w.fileName() = path("KUNDE.TXT");
    ASSERT_EQ(w.exportFile(), Outcome::Completed) << lastMessage();
    std::vector<std::string> got;
    deltekst::Reader in(bytesOf("KUNDE.TXT"), KundeVedlikehold::layout());
    for (auto r = in.next(); r; r = in.next())
        got.push_back(r.fields[0] + " " + r.fields[4]);
    const std::vector<std::string> want = {
        "1 Uten kontakter", "1 Med to", "2 Aaaa først", "2 Med to kontakt 0", "2 Med to kontakt 1",
        "1 Heller ingen",   "2 Aase",   "1 Med en",     "2 Med en kontakt 0"};
    EXPECT_EQ(got, want);
    EXPECT_EQ(w.counter(), 9);
}

TEST_F(KundeVedlikeholdTest, ContactsGoWithTheCustomerBeforeThemOrTheLastOneStored)
{
    writeFile(line("2", {{5, "Foreldreløs"}}));
    ASSERT_EQ(import(), Outcome::Completed);
    addCustomer(*ctx, "Eksisterende"); // number 1
    writeFile(line("2", {{3, "55"}, {5, "Til siste"}}) + line("1", {{3, "77"}, {5, "Ny"}}) +
              line("2", {{5, "Til ny"}}));
    ASSERT_EQ(import(), Outcome::Completed);
    const auto contacts = all(Tbl::KONTAKT, KON::KeyKontaktId);
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(contacts[0].get(KON::KUNDEID), 0);
    EXPECT_EQ(contacts[1].get(KON::KUNDEID), 1);
    EXPECT_EQ(contacts[1].get(KON::KONTAKTID), 2);
    EXPECT_EQ(contacts[2].get(KON::KUNDEID), 2); // not the 77 of the file
}

TEST_F(KundeVedlikeholdTest, QuestionsDeclinedAndAMissingFile)
{
    KundeVedlikehold w(*ctx);
    w.fileName() = path("KUNDE.TXT");
    answers.answer(BUTTON_NO);
    EXPECT_EQ(w.importFile(), Outcome::Declined);
    EXPECT_EQ(lastMessage(), "Nye Kunder og Kontaktpersoner vil bli lagt til. Vil du fortsette");
    EXPECT_EQ(answers.shown.back().caption, "Advarsel");
    EXPECT_EQ(import(), Outcome::Failed);
    EXPECT_EQ(lastMessage(), "Finner ikke filen " + path("KUNDE.TXT"));

    writeFile("uendret");
    answers.answer(BUTTON_NO);
    EXPECT_EQ(w.exportFile(), Outcome::Declined);
    EXPECT_EQ(lastMessage(),
              "Filen " + path("KUNDE.TXT") + " finnes fra før. Vil du overskrive filen");
    EXPECT_EQ(bytesOf("KUNDE.TXT"), "uendret");
}

} // namespace
