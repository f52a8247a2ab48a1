// The bank's OCR giro file: read and checked whole, and its payments booked on our invoices.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "data/globals.h"
#include "data/hooks.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "invoices/giro.h"
#include "invoices/ocrgiro.h"
#include "invoices/tests/ocrfil.h"

using namespace tavlo;

namespace {

const int32_t kIdag = date::fromYmd(2026, 12, 8);
const int32_t k20jan1992 = date::fromYmd(1992, 1, 20);
constexpr const char* kKonto = "99991042764";

// The tests of the bank's own sample need the reference files beside the repository.
#define KREVER_EKSEMPEL()                                                                          \
    if (!std::ifstream(TAVLO_OCR_EKSEMPEL))                                                        \
    GTEST_SKIP() << "Bankens eksempelfil finnes ikke: " << TAVLO_OCR_EKSEMPEL

std::string sample()
{
    std::ifstream in(TAVLO_OCR_EKSEMPEL, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using Bet = tavlo::testing::OcrBet;
std::vector<std::string> poster(const std::vector<Bet>& bet, const std::string& konto = kKonto,
                                int oppdrag = 2)
{
    return tavlo::testing::ocrPoster(bet, konto, oppdrag);
}
std::string fil(const std::vector<std::string>& p)
{
    return tavlo::testing::ocrFil(p);
}

OcrFil les(const std::string& tekst, const std::string& konto = "")
{
    std::istringstream in(tekst);
    return lesOcrFil(in, konto, kIdag);
}

// Our KID of invoice n, as the bank has it.
std::string vaarKid(int32_t n)
{
    return kid(n, true);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reading and checking

TEST(OcrFilLesing, TheBanksSampleAddsUpAndGivesItsTwentyPayments)
{
    KREVER_EKSEMPEL();
    const std::string tekst = sample();
    ASSERT_FALSE(tekst.empty()) << TAVLO_OCR_EKSEMPEL;
    const OcrFil f = les(tekst);
    ASSERT_TRUE(f.ok()) << f.feil;
    ASSERT_EQ(f.betalinger.size(), 20u);
    const OcrBetaling& b = f.betalinger[0];
    EXPECT_EQ(b.linje, 3);
    EXPECT_EQ(b.kid, "0000531");
    EXPECT_EQ(b.transaksjonstype, 21);
    EXPECT_FALSE(b.tilbakeforing);
    EXPECT_EQ(b.belop, Decimal::fromCents(102000));
    EXPECT_EQ(b.oppgjorsdato, k20jan1992);
    EXPECT_EQ(b.referanse, "001008566-0000002-0000001-200192-01464");
    // The free-text record 32 after the first payment: the next payment is on line 6.
    EXPECT_EQ(f.betalinger[1].linje, 6);
    EXPECT_EQ(f.betalinger[7].kid, "02212291038306");
    Decimal sum;
    for (const auto& p : f.betalinger)
        sum += p.belop;
    EXPECT_EQ(sum, Decimal::fromCents(5144900));
    // Every reference is a payment's own.
    std::set<std::string> refs;
    for (const auto& p : f.betalinger)
        refs.insert(p.referanse);
    EXPECT_EQ(refs.size(), 20u);

    // The sample's own account, and line ends of either kind.
    EXPECT_TRUE(les(tekst, kKonto).ok());
    std::string crlf;
    for (char c : tekst)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(les(crlf).betalinger.size(), 20u);
}

TEST(OcrFilLesing, DamagedRecordsAreRefusedWithTheLineAndWhatIsWrong)
{
    const std::vector<Bet> to{{102000, "0539"}, {56000, "0547"}};
    ASSERT_TRUE(les(fil(poster(to))).ok()) << les(fil(poster(to))).feil;
    struct Tilfelle {
        const char* hva;
        std::function<void(std::vector<std::string>&)> skade;
        const char* feil;
    };
    const std::vector<Tilfelle> tilfeller{
        {"short", [](auto& p) { p[2].pop_back(); }, "Linje 3: posten har 79 tegn, skal ha 80"},
        {"long", [](auto& p) { p[3] += "0"; }, "Linje 4: posten har 81 tegn"},
        {"letters in the amount", [](auto& p) { p[4].replace(40, 2, "AB"); },
         "Linje 5: beløpet (tegn 33–49) skal bare ha sifre"},
        {"not NY", [](auto& p) { p[1][0] = 'X'; }, "Linje 2: posten begynner ikke med NY"},
        {"unknown record type", [](auto& p) { p[6].replace(6, 2, "33"); },
         "Linje 7: ukjent posttype 33"},
        {"unknown transaction type", [](auto& p) { p[2].replace(4, 2, "22"); },
         "Linje 3: ukjent transaksjonstype 22"},
        {"no such date", [](auto& p) { p[2].replace(15, 6, "310292"); },
         "Linje 3: ugyldig oppgjørsdato 310292"},
        {"a sign that is none", [](auto& p) { p[2][31] = '+'; }, "Linje 3: fortegnet (tegn 32)"},
        {"31 missing", [](auto& p) { p.erase(p.begin() + 3); },
         "Linje 4: beløpspost 2 (31) mangler"},
        {"31 of another payment", [](auto& p) { p[3].replace(8, 7, "0000009"); },
         "Linje 4: beløpspost 2 har transaksjonsnummer 0000009, beløpspost 1 foran har 0000001"},
        {"31 alone", [](auto& p) { p.erase(p.begin() + 2); },
         "Linje 3: beløpspost 2 (31) uten beløpspost 1 (30) foran"},
        {"no start", [](auto& p) { p.erase(p.begin()); },
         "Linje 1: filen begynner ikke med startposten"},
        {"payment outside an assignment", [](auto& p) { p.erase(p.begin() + 1); },
         "Linje 2: beløpspost 1 (30) utenfor et oppdrag"},
        {"assignment not closed", [](auto& p) { p.erase(p.end() - 2); },
         "Linje 7: sluttposten for forsendelsen (89) før oppdraget er avsluttet (88)"},
        {"two assignments open", [](auto& p) { p.insert(p.begin() + 4, p[1]); },
         "Linje 5: startposten for et oppdrag (20) før forrige oppdrag er avsluttet (88)"},
        {"no end", [](auto& p) { p.pop_back(); },
         "Linje 8: filen slutter uten sluttposten for forsendelsen (89)"},
        {"records after the end", [](auto& p) { p.push_back(p[2]); },
         "Linje 9: poster etter sluttposten for forsendelsen (89)"},
        {"another service", [](auto& p) { p[1].replace(2, 2, "21"); },
         "Linje 2: tjenestekode 21 er ikke OCR giro (09)"},
        {"too much money", [](auto& p) { p[2].replace(32, 17, "00000100000000000"); },
         "Linje 3: beløpet 1.000.000.000,00 er for stort"},
    };
    for (const auto& t : tilfeller) {
        auto p = poster(to);
        t.skade(p);
        const OcrFil f = les(fil(p));
        EXPECT_FALSE(f.ok()) << t.hva;
        EXPECT_EQ(f.feil.rfind(t.feil, 0), 0u) << t.hva << ": " << f.feil;
        EXPECT_TRUE(f.betalinger.empty()) << t.hva;
    }
    EXPECT_EQ(les("").feil, "Linje 1: filen er tom");
    // Line ends after the last record are no records.
    EXPECT_TRUE(les(fil(poster(to)) + "\n\r\n").ok());
}

TEST(OcrFilLesing, CountsAndTotalsThatDoNotAddUpRefuseTheFile)
{
    const std::vector<Bet> to{{102000, "0539"}, {56000, "0547", 18, "200192", '-'}};
    ASSERT_TRUE(les(fil(poster(to))).ok());
    // The totals may also take the reversal off: 1.020,00 - 560,00.
    auto netto = poster(to);
    netto[6].replace(24, 17, "00000000000046000");
    netto[7].replace(24, 17, "00000000000046000");
    EXPECT_TRUE(les(fil(netto)).ok()) << les(fil(netto)).feil;
    struct Tilfelle {
        int linje;
        int fra, lengde;
        const char* verdi;
        const char* feil;
    };
    const Tilfelle tilfeller[]{
        {6, 9, 8, "00000003",
         "Linje 7: sluttposten for oppdraget sier 3 transaksjoner, men det er 2"},
        {6, 17, 8, "00000007", "Linje 7: sluttposten for oppdraget sier 7 poster, men det er 6"},
        {6, 25, 17, "00000000000158001",
         "Linje 7: sluttposten for oppdraget sier totalbeløp 1.580,01, men beløpene blir 1.580,00 "
         "(460,00 med fortegn)"},
        {7, 9, 8, "00000001",
         "Linje 8: sluttposten for forsendelsen sier 1 transaksjon, men det er 2"},
        {7, 17, 8, "00000006", "Linje 8: sluttposten for forsendelsen sier 6 poster, men det er 8"},
        {7, 25, 17, "00000000000046001",
         "Linje 8: sluttposten for forsendelsen sier totalbeløp 460,01, men beløpene blir "
         "1.580,00 (460,00 med fortegn)"},
    };
    for (const auto& t : tilfeller) {
        auto p = poster(to);
        p[t.linje].replace(t.fra - 1, t.lengde, t.verdi);
        const OcrFil f = les(fil(p));
        EXPECT_EQ(f.feil, t.feil);
    }
}

TEST(OcrFilLesing, AFileForAnotherAccountIsRefused)
{
    KREVER_EKSEMPEL();
    const std::string tekst = sample();
    const OcrFil f = les(tekst, "12345678903");
    EXPECT_EQ(f.feil, "Linje 2: oppdraget gjelder konto 99991042764, ikke kontonummeret i "
                      "parameterne (12345678903). Filen hører til en annen konto");
}

TEST(OcrFilLesing, OnlyAKidWithOurCheckDigitNamesAnInvoice)
{
    EXPECT_EQ(fakturaFraKid(vaarKid(53)), 53);
    EXPECT_EQ(fakturaFraKid(vaarKid(1234567)), 1234567);
    // Leading zeros, as a bank may pad it.
    EXPECT_EQ(fakturaFraKid("0000000000000000000000" + vaarKid(53)), 53);
    // The sample's KIDs carry another check digit: 53 and 3663 are not ours.
    EXPECT_EQ(fakturaFraKid("0000531"), std::nullopt);
    EXPECT_EQ(fakturaFraKid("0036633"), std::nullopt);
    std::string feil = vaarKid(53);
    feil.back() = feil.back() == '9' ? '0' : feil.back() + 1;
    EXPECT_EQ(fakturaFraKid(feil), std::nullopt);
    for (const char* ikke : {"", "0", "00", "12a4", "0539-", "99999999990"})
        EXPECT_EQ(fakturaFraKid(ikke), std::nullopt) << ikke;
    // A number larger than an invoice number can be, even with a right check digit.
    const std::string stor = "2147483648";
    EXPECT_EQ(fakturaFraKid(stor + MOD10(stor)), std::nullopt);
}

TEST(OcrFilLesing, TwoDigitYearsFallNoMoreThanTenYearsAhead)
{
    KREVER_EKSEMPEL();
    const auto dato = [](const char* ddmmaa) {
        const OcrFil f = les(fil(poster({{100, "0539", 10, ddmmaa}})));
        EXPECT_TRUE(f.ok()) << f.feil;
        return f.betalinger.empty() ? 0 : f.betalinger[0].oppgjorsdato;
    };
    EXPECT_EQ(dato("200192"), k20jan1992);
    EXPECT_EQ(dato("081226"), kIdag);
    EXPECT_EQ(dato("010136"), date::fromYmd(2036, 1, 1));
    EXPECT_EQ(dato("010137"), date::fromYmd(1937, 1, 1));
    EXPECT_EQ(dato("290200"), date::fromYmd(2000, 2, 29));
}

// ---------------------------------------------------------------------------------------------
// Booking

namespace {

class OcrInnlesingTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
    }
    void TearDown() override
    {
        GLO::setArchiveMode(false);
        ctx.reset();
        DataFolderTest::TearDown();
    }
    // An invoice under its own number, straight into the file.
    void faktura(int32_t id, const char* totalsum, int32_t betalt = 0)
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        ASSERT_EQ(fak.OPEN(), LEVEL_BENIGN);
        ASSERT_EQ(fak.USEFILE(), LEVEL_BENIGN);
        Record r(table(Tbl::FAKTURA));
        r.set(FAK::FAKTURAID, id);
        r.set(FAK::TOTALSUM, *Decimal::parse(totalsum));
        r.set(FAK::KREDITNOTA, totalsum[0] == '-' ? 1 : 0);
        r.set(FAK::BETALTDATO, betalt);
        r.set(FAK::UTSKRIFTSTATUS, 1);
        RowRef ref;
        StoreError err;
        ASSERT_TRUE(fak.file()->insert(r, ref, err)) << err.text;
        fak.CLOSE();
    }
    int32_t betaltdato(int32_t id)
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURAID, id);
        EXPECT_EQ(fak.FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
        const int32_t d = fak.rec().get(FAK::BETALTDATO);
        EXPECT_EQ(fak.rec().get(FAK::UTSKRIFTSTATUS), 1); // printing is none of its business
        fak.CLOSE();
        return d;
    }
    // Every payment recorded: reference, invoice and amount.
    std::vector<std::tuple<std::string, int32_t, Decimal>> registrert()
    {
        std::vector<std::tuple<std::string, int32_t, Decimal>> out;
        auto& ocr = ctx->access(Tbl::OCRBETALING);
        ocr.OPEN();
        ocr.SET(OCR::KeyReferanse);
        while (ocr.TRYNEXT() == LEVEL_BENIGN)
            out.emplace_back(ocr.rec().get(OCR::REFERANSE), ocr.rec().get(OCR::FAKTURAID),
                             ocr.rec().get(OCR::BELOP));
        ocr.CLOSE();
        return out;
    }
    std::string skriv(const std::string& navn, const std::string& tekst)
    {
        std::ofstream(path(navn), std::ios::binary) << tekst;
        return path(navn);
    }
    OcrInnlesing::Utfall lesInn(OcrInnlesing& o, const std::string& tekst,
                                const std::string& navn = "OCR.TXT")
    {
        o.filnavn = skriv(navn, tekst);
        o.idag = kIdag;
        return o.lesInn();
    }
    void parameterKonto(const char* konto)
    {
        auto& par = ctx->access(Tbl::PARAM);
        ASSERT_EQ(par.OPEN(), LEVEL_BENIGN);
        par.rec().clear();
        par.rec().set(PAR::KONTONUMMER, konto);
        ASSERT_EQ(par.INSERT(), LEVEL_BENIGN);
        par.CLOSE();
    }
    // The sample with the KIDs of some of its payments (by their order, from 0) made ours.
    static std::string sampleMedKid(const std::map<int, std::string>& kider)
    {
        std::istringstream in(sample());
        std::string out;
        int n = 0;
        for (std::string l; std::getline(in, l);) {
            if (l.size() >= 8 && l.compare(6, 2, "30") == 0) {
                if (auto it = kider.find(n); it != kider.end())
                    l.replace(49, 25, std::string(25 - it->second.size(), ' ') + it->second);
                ++n;
            }
            out += l + "\n";
        }
        return out;
    }
    std::unique_ptr<Context> ctx;
};

} // namespace

TEST_F(OcrInnlesingTest, TheSamplesKidsAreNotOursSoItsPaymentsAreRecordedUnmatched)
{
    KREVER_EKSEMPEL();
    // Invoices under the very numbers its KIDs carry: their check digits are not ours.
    for (int32_t id : {53, 3663, 4876, 6385})
        faktura(id, "1020.00");
    OcrInnlesing o(*ctx);
    ASSERT_EQ(lesInn(o, sample()), OcrInnlesing::Utfall::Lest);
    const OcrResultat& r = o.resultat();
    EXPECT_EQ(r.lest, 20);
    EXPECT_EQ(r.ukjentKid, 20);
    EXPECT_EQ(r.koblet, 0);
    EXPECT_EQ(r.totalt, Decimal::fromCents(5144900));
    for (int32_t id : {53, 3663, 4876, 6385})
        EXPECT_EQ(betaltdato(id), 0) << id;
    const auto rader = registrert();
    ASSERT_EQ(rader.size(), 20u);
    for (const auto& [ref, id, belop] : rader)
        EXPECT_EQ(id, 0) << ref;
    EXPECT_TRUE(answers.shown.empty());
}

TEST_F(OcrInnlesingTest, PaymentsPayInFullPartlyOrTooMuchAndTheRestAreUnknown)
{
    KREVER_EKSEMPEL();
    faktura(1001, "1020.00");
    faktura(1002, "2040.00");
    faktura(1003, "500.00");
    faktura(1004, "-560.00"); // a credit note
    // The sample's payments 0-6: 1 020, 1 020, 560, 1 020, 1 020, 560, 1 020.
    const std::string tekst = sampleMedKid({{0, vaarKid(1001)},
                                            {1, vaarKid(1002)},
                                            {2, vaarKid(1003)},
                                            {3, "000" + vaarKid(1002)},
                                            {4, vaarKid(1001)},
                                            {5, vaarKid(1004)},
                                            {6, vaarKid(1999)}}); // no such invoice
    OcrInnlesing o(*ctx);
    ASSERT_EQ(lesInn(o, tekst), OcrInnlesing::Utfall::Lest);
    const OcrResultat& r = o.resultat();
    EXPECT_EQ(r.lest, 20);
    EXPECT_EQ(r.koblet, 6);
    EXPECT_EQ(r.betalt, 2);
    EXPECT_EQ(r.delvis, 1);
    EXPECT_EQ(r.overbetalt, 3);
    EXPECT_EQ(r.ukjentKid, 14);
    EXPECT_EQ(r.tilbakeforinger, 0);
    EXPECT_EQ(r.alleredeLest, 0);
    EXPECT_EQ(r.totalt, Decimal::fromCents(5144900));

    ASSERT_EQ(r.linjer.size(), 20u);
    const auto utfall = [&](int i) { return utfallTekst(r.linjer[i]); };
    EXPECT_EQ(utfall(0), "Betalt");
    EXPECT_EQ(utfall(1), "Delvis betalt, gjenstår 1.020,00");
    EXPECT_EQ(utfall(2), "Overbetalt med 60,00");
    EXPECT_EQ(utfall(3), "Betalt"); // the second payment completes it
    EXPECT_EQ(utfall(4), "Overbetalt med 1.020,00");
    EXPECT_EQ(utfall(5), "Overbetalt med 1.120,00");
    EXPECT_EQ(utfall(6), "Ukjent KID");
    EXPECT_EQ(r.linjer[6].fakturaId, 0);
    EXPECT_EQ(ocrCeller(r.linjer[1]),
              (std::vector<std::string>{vaarKid(1002), "1002", "1.020,00", "20.01.1992",
                                        "Delvis betalt, gjenstår 1.020,00"}));
    EXPECT_FALSE(trengerOppfolging(r.linjer[0]));
    EXPECT_TRUE(trengerOppfolging(r.linjer[1]));
    EXPECT_TRUE(trengerOppfolging(r.linjer[6]));

    // Paid on the day of the payment that completed it; the credit note too, being overpaid.
    EXPECT_EQ(betaltdato(1001), k20jan1992);
    EXPECT_EQ(betaltdato(1002), k20jan1992);
    EXPECT_EQ(betaltdato(1003), k20jan1992);
    EXPECT_EQ(betaltdato(1004), k20jan1992);
    EXPECT_EQ(std::get<1>(registrert()[1]), 1002);
}

TEST_F(OcrInnlesingTest, AFileReadAgainBooksNothingTwice)
{
    faktura(7, "1000.00");
    const std::string tekst = fil(poster({{60000, vaarKid(7)}, {1234, "0000531"}}));
    OcrInnlesing o(*ctx);
    ASSERT_EQ(lesInn(o, tekst), OcrInnlesing::Utfall::Lest);
    EXPECT_EQ(o.resultat().delvis, 1);
    const auto forst = registrert();

    ASSERT_EQ(lesInn(o, tekst, "OCR2.TXT"), OcrInnlesing::Utfall::Lest);
    const OcrResultat& r = o.resultat();
    EXPECT_EQ(r.lest, 2);
    EXPECT_EQ(r.alleredeLest, 2);
    EXPECT_EQ(r.koblet, 0);
    EXPECT_EQ(r.delvis, 0);
    EXPECT_EQ(r.ukjentKid, 0);
    EXPECT_EQ(r.totalt, Decimal());
    EXPECT_EQ(utfallTekst(r.linjer[0]), "Allerede lest");
    EXPECT_FALSE(trengerOppfolging(r.linjer[0]));
    EXPECT_EQ(registrert(), forst);
    EXPECT_EQ(betaltdato(7), 0); // 600 of 1 000, still

    // The next file pays the rest, on its own day.
    const std::string neste = fil(poster({{40000, vaarKid(7), 10, "230192"}}, kKonto, 3));
    ASSERT_EQ(lesInn(o, neste, "OCR3.TXT"), OcrInnlesing::Utfall::Lest);
    EXPECT_EQ(o.resultat().betalt, 1);
    EXPECT_EQ(betaltdato(7), date::fromYmd(1992, 1, 23));
}

TEST_F(OcrInnlesingTest, AReversalThatLeavesAnInvoiceShortTakesItsPaidDateAway)
{
    faktura(7, "1000.00");
    faktura(8, "1000.00", date::fromYmd(1992, 1, 2)); // marked paid by hand
    OcrInnlesing o(*ctx);
    ASSERT_EQ(lesInn(o, fil(poster({{100000, vaarKid(7)}, {30000, vaarKid(8)}}))),
              OcrInnlesing::Utfall::Lest);
    EXPECT_EQ(betaltdato(7), k20jan1992);
    EXPECT_EQ(betaltdato(8), date::fromYmd(1992, 1, 2));

    // Type 18 takes 1 000 back from 7, type 20 300 from 8: 7 was paid by its payment and is
    // no longer; 8 was never paid through the bank, and keeps the date it was given.
    const std::string tilbake = fil(poster({{100000, vaarKid(7), 18, "210192", '-'},
                                            {30000, vaarKid(8), 20, "210192", '-'},
                                            {5000, vaarKid(9), 18, "210192", '-'}},
                                           kKonto, 3));
    ASSERT_EQ(lesInn(o, tilbake, "OCR2.TXT"), OcrInnlesing::Utfall::Lest);
    const OcrResultat& r = o.resultat();
    EXPECT_EQ(r.tilbakeforinger, 3);
    EXPECT_EQ(r.koblet, 2);
    EXPECT_EQ(r.ukjentKid, 1);
    EXPECT_EQ(r.totalt, Decimal::fromCents(-135000));
    EXPECT_EQ(utfallTekst(r.linjer[0]), "Tilbakeført, betaltdato fjernet");
    EXPECT_EQ(utfallTekst(r.linjer[1]), "Tilbakeført, gjenstår 1.000,00");
    EXPECT_EQ(utfallTekst(r.linjer[2]), "Tilbakeføring, ukjent KID");
    for (const auto& l : r.linjer)
        EXPECT_TRUE(trengerOppfolging(l));
    EXPECT_EQ(betaltdato(7), 0);
    EXPECT_EQ(betaltdato(8), date::fromYmd(1992, 1, 2));
    EXPECT_EQ(std::get<2>(registrert()[2]), Decimal::fromCents(-100000));

    // Paid again: the date of the new payment.
    ASSERT_EQ(lesInn(o, fil(poster({{100000, vaarKid(7), 10, "240192"}}, kKonto, 4)), "OCR3.TXT"),
              OcrInnlesing::Utfall::Lest);
    EXPECT_EQ(betaltdato(7), date::fromYmd(1992, 1, 24));
}

TEST_F(OcrInnlesingTest, ARefusedFileWritesNothingAndSaysWhy)
{
    faktura(7, "1000.00");
    auto p = poster({{100000, vaarKid(7)}, {5000, "0000531"}});
    p[4].replace(40, 1, "x");
    OcrInnlesing o(*ctx);
    EXPECT_EQ(lesInn(o, fil(p)), OcrInnlesing::Utfall::Avvist);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Feil");
    EXPECT_EQ(answers.shown[0].text.rfind("Linje 5: beløpet (tegn 33–49) skal bare ha sifre", 0),
              0u)
        << answers.shown[0].text;
    EXPECT_TRUE(registrert().empty());
    EXPECT_EQ(betaltdato(7), 0);

    // A file that is not there, a folder, and a file for another account than the parameters'.
    o.filnavn = path("FINNES.IKKE");
    EXPECT_EQ(o.lesInn(), OcrInnlesing::Utfall::Avvist);
    EXPECT_NE(answers.shown.back().text.find("Kan ikke åpne filen"), std::string::npos);
    o.filnavn = dir; // a folder
    EXPECT_EQ(o.lesInn(), OcrInnlesing::Utfall::Avvist);
    EXPECT_NE(answers.shown.back().text.find("Kan ikke åpne filen"), std::string::npos);
    parameterKonto("1234.56.78903");
    EXPECT_EQ(lesInn(o, fil(poster({{100000, vaarKid(7)}}))), OcrInnlesing::Utfall::Avvist);
    EXPECT_NE(answers.shown.back().text.find("annen konto"), std::string::npos);
    EXPECT_TRUE(registrert().empty());

    // In archive mode the invoices at hand are the archived ones.
    GLO::setArchiveMode(true);
    EXPECT_EQ(lesInn(o, fil(poster({{100000, vaarKid(7)}}, "12345678903"))),
              OcrInnlesing::Utfall::Avvist);
    EXPECT_NE(answers.shown.back().text.find("arkivmodus"), std::string::npos);
    GLO::setArchiveMode(false);
    EXPECT_TRUE(registrert().empty());
    EXPECT_EQ(lesInn(o, fil(poster({{100000, vaarKid(7)}}, "12345678903"))),
              OcrInnlesing::Utfall::Lest);
    EXPECT_EQ(betaltdato(7), k20jan1992);
}

TEST_F(OcrInnlesingTest, ADeletedInvoiceLetsGoOfItsPaymentsButTheyStayRead)
{
    faktura(7, "1000.00");
    const std::string tekst = fil(poster({{60000, vaarKid(7)}}));
    OcrInnlesing o(*ctx);
    ASSERT_EQ(lesInn(o, tekst), OcrInnlesing::Utfall::Lest);
    ASSERT_EQ(std::get<1>(registrert()[0]), 7);

    auto& rel = ctx->relate(Tbl::FAKTURA);
    rel.OPEN();
    rel.me().rec().set(FAK::FAKTURAID, 7);
    ASSERT_EQ(rel.me().FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
    ASSERT_EQ(rel.DELETE(false), LEVEL_BENIGN);
    rel.CLOSE();
    ASSERT_EQ(registrert().size(), 1u);
    EXPECT_EQ(std::get<1>(registrert()[0]), 0);

    // A new invoice 7 owes all of its amount: the old payment is not its.
    faktura(7, "400.00");
    const std::string ny = fil(poster({{30000, vaarKid(7)}}, kKonto, 3));
    ASSERT_EQ(lesInn(o, ny, "OCR2.TXT"), OcrInnlesing::Utfall::Lest);
    EXPECT_EQ(utfallTekst(o.resultat().linjer[0]), "Delvis betalt, gjenstår 100,00");
    // The first file is still read.
    ASSERT_EQ(lesInn(o, tekst, "OCR3.TXT"), OcrInnlesing::Utfall::Lest);
    EXPECT_EQ(o.resultat().alleredeLest, 1);
}

TEST_F(OcrInnlesingTest, APaymentThatCannotBeBookedStopsTheRunAndReadingAgainTakesUpTheRest)
{
    for (int32_t id : {7, 8, 9})
        faktura(id, "100.00");
    const std::string tekst =
        fil(poster({{10000, vaarKid(7)}, {10000, vaarKid(8)}, {10000, vaarKid(9)}}));
    // Invoice 8 cannot be written (another rule refuses it).
    struct Nekt {
        WriteHooks::Id id = writeHooks().add({Tbl::FAKTURA_ALIAS,
                                              opBit(WriteOp::UPDATE),
                                              {},
                                              [](const WriteEvent& e) {
                                                  return e.written->get(FAKA::FAKTURAID) == 8
                                                             ? int(LEVEL_NOTIFY)
                                                             : int(LEVEL_BENIGN);
                                              },
                                              nullptr});
        ~Nekt() { writeHooks().remove(id); }
    };
    OcrInnlesing o(*ctx);
    {
        Nekt nekt;
        EXPECT_EQ(lesInn(o, tekst), OcrInnlesing::Utfall::FerdigMedFeil);
    }
    ASSERT_FALSE(answers.shown.empty());
    EXPECT_EQ(answers.shown.back().caption, "Feil");
    EXPECT_NE(answers.shown.back().text.find("innbetalingen på linje 5"), std::string::npos)
        << answers.shown.back().text;
    // The payment before it is booked with its invoice; it and the one after are not.
    ASSERT_EQ(o.resultat().linjer.size(), 1u);
    EXPECT_EQ(o.resultat().betalt, 1);
    EXPECT_EQ(betaltdato(7), k20jan1992);
    EXPECT_EQ(betaltdato(8), 0);
    EXPECT_EQ(betaltdato(9), 0);
    EXPECT_EQ(registrert().size(), 1u);

    ASSERT_EQ(lesInn(o, tekst, "OCR2.TXT"), OcrInnlesing::Utfall::Lest);
    EXPECT_EQ(o.resultat().alleredeLest, 1);
    EXPECT_EQ(o.resultat().betalt, 2);
    EXPECT_EQ(betaltdato(8), k20jan1992);
    EXPECT_EQ(betaltdato(9), k20jan1992);
}
