// Moving invoices into the archive pair and back; the invoices' module's start and stop.
#include <map>

#include "customers/tlku.h"
#include "customfields/tldr.h"
#include "data/globals.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "framework/iniclass.h"
#include "invoices/fakturavedlikehold.h"
#include "invoices/tlfa.h"
#include "products/tlpr.h"
#include "projects/tlpj.h"

using namespace tavlo;

namespace {

using Utfall = FakturaVedlikehold::Utfall;

class FakturaVedlikeholdTest : public tavlo::testing::ContextTest {
  protected:
    void SetUp() override
    {
        ContextTest::SetUp();
        GLQ::TAG_FAKTURA.clear();
        auto& pro = ctx->access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().clear();
        pro.rec().set(PRO::NAVN, "Skrue");
        pro.rec().set(PRO::LAGERSTYRING, 1);
        pro.rec().set(PRO::LAGERBEHOLDNING, Decimal::fromInt(100));
        ASSERT_EQ(pro.INSERT(), LEVEL_BENIGN);
        pro.CLOSE();
    }
    void TearDown() override
    {
        GLQ::TAG_FAKTURA.clear();
        ContextTest::TearDown();
    }
    // An invoice with its memos and `lines` lines of the product, each with memos too.
    int32_t add(int32_t dato, int lines)
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURADATO, dato);
        fak.rec().set(FAK::KUNDENAVN, "Ærlige Øysteins Ål");
        fak.rec().set(FAK::TOTALSUM, Decimal::fromInt(125 * lines));
        fak.rec().set(FAK::BESKRIVELSE, "Beskrivelse av faktura");
        fak.rec().set(FAK::DIV, "Notat");
        EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
        const int32_t id = fak.rec().get(FAK::FAKTURAID);
        fak.CLOSE();
        for (int n = 1; n <= lines; ++n)
            addLine(id, n);
        return id;
    }
    void addLine(int32_t id, int nr)
    {
        auto& fli = ctx->access(Tbl::FAKLINJE);
        fli.OPEN();
        fli.rec().clear();
        fli.rec().set(FLI::FAKTURAID, id);
        fli.rec().set(FLI::LINJENR, nr);
        fli.rec().set(FLI::PRODUKTID, 1);
        fli.rec().set(FLI::ANTALL, Decimal::fromInt(2));
        fli.rec().set(FLI::SUM, Decimal::fromInt(100));
        fli.rec().set(FLI::BESKRIVELSE,
                      "Linje " + std::to_string(nr) + " av " + std::to_string(id));
        fli.rec().set(FLI::DIV, "Linjenotat");
        EXPECT_EQ(fli.INSERT(), LEVEL_BENIGN);
        fli.CLOSE();
    }
    void mark(std::initializer_list<int32_t> ids)
    {
        for (int32_t id : ids)
            GLQ::TAG_FAKTURA.push_back({id, static_cast<int32_t>(GLQ::TAG_FAKTURA.size() + 1)});
    }
    // Every invoice and every line of one pair of files, whole, by number.
    struct Pair {
        std::map<int32_t, Record> fakturaer, linjer;
    };
    Pair read(bool archive)
    {
        GLO::setArchiveMode(archive);
        Pair p;
        Context c(&errors);
        auto& fak = c.access(Tbl::FAKTURA);
        fak.OPEN();
        fak.SET(FAK::KeyFakturaId);
        while (fak.NEXT() == LEVEL_BENIGN)
            p.fakturaer.emplace(fak.rec().get(FAK::FAKTURAID), fak.rec());
        fak.CLOSE();
        auto& fli = c.access(Tbl::FAKLINJE);
        fli.OPEN();
        fli.SET(FLI::KeyFakLinjeId);
        while (fli.NEXT() == LEVEL_BENIGN)
            p.linjer.emplace(fli.rec().get(FLI::FAKLINJEID), fli.rec());
        fli.CLOSE();
        GLO::setArchiveMode(false);
        return p;
    }
    Decimal stock()
    {
        auto& pro = ctx->access(Tbl::PRODUKT);
        pro.OPEN();
        pro.rec().set(PRO::PRODUKTID, 1);
        EXPECT_EQ(pro.FETCH(PRO::KeyProduktId), LEVEL_BENIGN);
        const Decimal d = pro.rec().get(PRO::LAGERBEHOLDNING);
        pro.CLOSE();
        return d;
    }
    std::vector<int32_t> marked() const
    {
        std::vector<int32_t> ids;
        for (const TagEntry& t : GLQ::TAG_FAKTURA)
            ids.push_back(t.id);
        return ids;
    }
};

std::vector<int32_t> keys(const std::map<int32_t, Record>& m)
{
    std::vector<int32_t> k;
    for (const auto& [id, r] : m)
        k.push_back(id);
    return k;
}

} // namespace

// The marked invoices go whole, memos and lines included, and leave the live files; the two
// that hold the highest numbers stay behind and stay marked; the stock does not move, since
// nothing was sold back. Archive mode then shows them, and the import brings them back as they
// were.
TEST_F(FakturaVedlikeholdTest, ArchivedInvoicesMoveWholeAndComeBackWhole)
{
    const int32_t a = add(80000, 2), b = add(80010, 1), c = add(80020, 3), d = add(80030, 1);
    addLine(b, 2); // b now holds the line with the highest number, d the highest invoice number
    const Pair before = read(false);
    const Decimal lager = stock();
    mark({c, a, b, d});

    FakturaVedlikehold v(*ctx);
    ASSERT_EQ(v.eksporter({c, a, b, d}), Utfall::Ferdig);
    EXPECT_EQ(v.flyttet(), (std::vector<int32_t>{c, a}));
    EXPECT_EQ(v.holdtIgjen(), (std::vector<int32_t>{d, b}));
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[0].caption, "Advarsel");
    EXPECT_NE(answers.shown[0].text.find("Faktura " + std::to_string(d) +
                                         " arkiveres ikke: den har det høyeste fakturanummeret"),
              std::string::npos);
    EXPECT_NE(answers.shown[0].text.find("Faktura " + std::to_string(b) +
                                         " arkiveres ikke: den har fakturalinjen med det "
                                         "høyeste linjenummeret (8)"),
              std::string::npos);
    EXPECT_EQ(answers.shown[1].text,
              "Merkede fakturaer med tilhørende fakturalinjer er nå arkivert");
    EXPECT_EQ(marked(), (std::vector<int32_t>{b, d}));
    EXPECT_EQ(stock(), lager);

    const Pair live = read(false), archive = read(true);
    EXPECT_EQ(keys(live.fakturaer), (std::vector<int32_t>{b, d}));
    EXPECT_EQ(keys(archive.fakturaer), (std::vector<int32_t>{a, c}));
    for (const auto& [id, r] : before.fakturaer) {
        const auto& where = (id == a || id == c) ? archive : live;
        ASSERT_EQ(where.fakturaer.count(id), 1u) << id;
        EXPECT_TRUE(where.fakturaer.at(id) == r) << id;
    }
    for (const auto& [id, r] : before.linjer) {
        const int32_t f = r.get(FLI::FAKTURAID);
        const auto& where = (f == a || f == c) ? archive : live;
        const auto& other = (f == a || f == c) ? live : archive;
        ASSERT_EQ(where.linjer.count(id), 1u) << id;
        EXPECT_TRUE(where.linjer.at(id) == r) << id;
        EXPECT_EQ(other.linjer.count(id), 0u) << id;
    }

    // Back from the archive: only the date range asked for, then the rest.
    answers.shown.clear();
    FakturaVedlikehold tilbake(*ctx);
    EXPECT_EQ(tilbake.importer(80010, 80020), Utfall::Ferdig);
    EXPECT_EQ(tilbake.flyttet(), (std::vector<int32_t>{c}));
    EXPECT_EQ(tilbake.importer(0, 0), Utfall::Ferdig);
    EXPECT_EQ(tilbake.flyttet(), (std::vector<int32_t>{a}));
    EXPECT_EQ(tilbake.importer(0, 0), Utfall::IngenIPerioden);
    const Pair after = read(false);
    EXPECT_TRUE(read(true).fakturaer.empty());
    EXPECT_TRUE(read(true).linjer.empty());
    ASSERT_EQ(keys(after.fakturaer), keys(before.fakturaer));
    ASSERT_EQ(keys(after.linjer), keys(before.linjer));
    for (const auto& [id, r] : before.fakturaer)
        EXPECT_TRUE(after.fakturaer.at(id) == r) << id;
    for (const auto& [id, r] : before.linjer)
        EXPECT_TRUE(after.linjer.at(id) == r) << id;
    EXPECT_EQ(stock(), lager);
}

// Nothing marked changes nothing; a date range the wrong way round is refused.
TEST_F(FakturaVedlikeholdTest, NothingMarkedOrABackwardRangeChangesNothing)
{
    add(80000, 1);
    const Pair before = read(false);
    FakturaVedlikehold v(*ctx);
    EXPECT_EQ(v.eksporter({}), Utfall::IngenMerket);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].text, "Ingen fakturaer er merket");
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(v.importer(80020, 80010), Utfall::UgyldigPeriode);
    EXPECT_EQ(answers.shown.back().text, "Fra dato kan ikke være senere enn til dato");
    EXPECT_EQ(keys(read(false).fakturaer), keys(before.fakturaer));
    EXPECT_TRUE(read(true).fakturaer.empty());
}

// An invoice that cannot be archived (its number is in the archive already) stops the run: the
// invoices before it stay archived, it and those after it stay live, whole.
TEST_F(FakturaVedlikeholdTest, AFailureStopsTheRunAndLeavesEveryInvoiceInOnePlace)
{
    const int32_t a = add(80000, 1), b = add(80010, 2), c = add(80020, 1);
    add(80030, 1); // the highest stays live
    {
        // Put there as it stands, number and all: a manager would number it anew.
        StoreError err;
        auto arkiv = TableFile::open(path("BAKTURA.TPS"), table(Tbl::FAKTURA),
                                     TableFile::Mode::READ_WRITE, true, GLO::OWNERNAME, err);
        ASSERT_TRUE(arkiv);
        Record r(table(Tbl::FAKTURA));
        r.set(FAK::FAKTURAID, b);
        r.set(FAK::KUNDENAVN, "Fra før");
        RowRef ref;
        ASSERT_TRUE(arkiv->insert(r, ref, err));
    }
    mark({a, b, c});
    FakturaVedlikehold v(*ctx);
    EXPECT_EQ(v.eksporter({a, b, c}), Utfall::Stoppet);
    EXPECT_EQ(v.flyttet(), (std::vector<int32_t>{a}));
    ASSERT_FALSE(answers.shown.empty());
    EXPECT_EQ(answers.shown.back().caption, "Feil");
    EXPECT_EQ(
        answers.shown.back().text.rfind("Det oppsto feil under arkivering av faktura.|40 - ", 0),
        0u)
        << answers.shown.back().text;
    EXPECT_EQ(marked(), (std::vector<int32_t>{b, c}));

    const Pair live = read(false), archive = read(true);
    EXPECT_EQ(keys(archive.fakturaer), (std::vector<int32_t>{a, b}));
    EXPECT_EQ(archive.fakturaer.at(b).get(FAK::KUNDENAVN), "Fra før");
    EXPECT_EQ(live.fakturaer.count(b), 1u);
    EXPECT_EQ(live.fakturaer.count(c), 1u);
    int linjerB = 0;
    for (const auto& [id, r] : live.linjer)
        linjerB += r.get(FLI::FAKTURAID) == b;
    EXPECT_EQ(linjerB, 2);
    for (const auto& [id, r] : archive.linjer)
        EXPECT_EQ(r.get(FLI::FAKTURAID), a);
}

// The invoices' module starts once, with the modules it uses, and ends them with it; started
// without the main program's settings, it keeps a settings file of its own.
TEST(Tlfa, InitStartsTheModulesItUsesOnceAndKillEndsThem)
{
    ErrorClass errors, other;
    INIClass settings;
    TLFA::INIT(errors, &settings);
    TLFA::INIT(other, nullptr); // a second call does nothing
    EXPECT_EQ(&TLFA::errorManager(), &errors);
    EXPECT_EQ(&TLFA::settings(), &settings);
    for (ErrorClass* used : {&TLFI::errorManager(), &TLKU::errorManager(), &TLPR::errorManager(),
                             &TLDR::errorManager(), &TLPJ::errorManager()})
        EXPECT_EQ(used, &errors);
    TLFA::KILL();
    EXPECT_NE(&TLFI::errorManager(), &errors);
    TLFA::KILL();

    TLFA::INIT(errors, nullptr);
    EXPECT_EQ(TLFA::settings().fileName().filename(), "tlfa.INI");
    TLFA::KILL();
}
