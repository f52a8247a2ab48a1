// Invoices and credit notes as EHF documents. The documents this test writes are also checked
// against the UBL schema and the Peppol rules by ehf_valider.sh, which runs the Dokumenter tests
// with TAVLO_EHF_UT naming a folder to keep them in.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "data/ehfoppsett.h"
#include "data/kreditnota.h"
#include "data/tests/fixture.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "invoices/dokument.h"
#include "invoices/dokumentform.h"
#include "invoices/ehf.h"
#include "invoices/fakturasummer.h"
#include "invoices/giro.h"

using namespace tavlo;

namespace {

Decimal dec(const char* s)
{
    return *Decimal::parse(s);
}

struct L {
    const char* navn;
    const char* antall;
    const char* pris;
    int sats = 25; // -1: not VAT-liable
    const char* rabatt = "0";
    const char* enhet = "stk";
    bool overskrift = false;
};

// The text of the first element `tag` in a document.
std::string element(const std::string& xml, const std::string& tag)
{
    const std::regex re("<" + tag + "[^>]*>([^<]*)</" + tag + ">");
    std::smatch m;
    return std::regex_search(xml, m, re) ? m[1].str() : std::string("(mangler)");
}

int count(const std::string& xml, const std::string& what)
{
    int n = 0;
    for (size_t p = xml.find(what); p != std::string::npos; p = xml.find(what, p + 1))
        ++n;
    return n;
}

class EhfTest : public tavlo::testing::DataFolderTest {
  protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
        auto& par = ctx->access(Tbl::PARAM);
        par.OPEN();
        par.rec().clear();
        par.rec().set(PAR::NAVN, "Snekker Hansen AS");
        par.rec().set(PAR::ADRESSE, "Verkstedveien 3");
        par.rec().set(PAR::POSTNR_POSTSTED, "5003 BERGEN");
        par.rec().set(PAR::KONTONUMMER, "1234.56.78903");
        par.rec().set(PAR::OCR_AVTALEID, "1");
        par.rec().set(PAR::AVRUNDING, dec("1.00"));
        par.rec().set(ehf::ORGNR, "NO 987 654 325 MVA");
        par.rec().set(ehf::MVAREGISTRERT, 1);
        par.rec().set(ehf::FORETAKSREGISTERET, 1);
        par.rec().set(ehf::KUNDEORGNRFELT, 2);
        ASSERT_EQ(par.INSERT(), LEVEL_BENIGN);
        par.CLOSE();
        kunde = addKunde("Bergen kommune", "123 456 785");
    }
    void TearDown() override
    {
        ctx.reset();
        DataFolderTest::TearDown();
    }
    void setPar(const std::function<void(Record&)>& endre)
    {
        auto& par = ctx->access(Tbl::PARAM);
        par.OPEN();
        par.SET(PAR::KeyParameterId);
        ASSERT_EQ(par.NEXT(), LEVEL_BENIGN);
        endre(par.rec());
        ASSERT_EQ(par.UPDATE(), LEVEL_BENIGN);
        par.CLOSE();
    }
    int32_t addKunde(const std::string& navn, const std::string& orgnr)
    {
        auto& kun = ctx->access(Tbl::KUNDE);
        kun.OPEN();
        kun.rec().clear();
        kun.rec().set(KUN::NAVN, navn);
        kun.rec().set(KUN::TEKST2, orgnr);
        kun.rec().set(KUN::EMAIL, "faktura@bergen.kommune.no");
        EXPECT_EQ(kun.INSERT(), LEVEL_BENIGN);
        const int32_t id = kun.rec().get(KUN::KUNDEID);
        kun.CLOSE();
        return id;
    }
    int32_t faktura(int32_t mvaType, const std::vector<L>& linjer, bool kreditnota = false,
                    int32_t kundeId = -1, const char* referanse = "Ola Innkjøper")
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        auto& fli = ctx->access(Tbl::FAKLINJE);
        fak.OPEN();
        fli.OPEN();
        Record& f = fak.rec();
        f.clear();
        f.set(FAK::KUNDEID, kundeId < 0 ? kunde : kundeId);
        f.set(FAK::KUNDENAVN, "Bergen kommune");
        f.set(FAK::ADRESSE, "Postboks 7700 & «Rådhuset»");
        f.set(FAK::POSTNR, 5020);
        f.set(FAK::POSTSTED, "BERGEN");
        f.set(FAK::FAKTURADATO, date::fromYmd(2026, 12, 1));
        f.set(FAK::FORFALLSDATO, date::fromYmd(2026, 12, 15));
        f.set(FAK::BETALINGSBETINGELSE, 14);
        f.set(FAK::MVATYPE, mvaType);
        f.set(FAK::KREDITNOTA, kreditnota ? 1 : 0);
        f.set(FAK::DERESREFERANSE, referanse);
        f.set(FAK::VARREFERANSE, "Per Hansen");
        f.set(FAK::MELDING, "Takk for oppdraget.");
        EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
        const int32_t id = f.get(FAK::FAKTURAID);
        int nr = 0;
        for (const L& l : linjer) {
            Record& r = fli.rec();
            r.clear();
            r.set(FLI::FAKTURAID, id);
            r.set(FLI::LINJENR, ++nr);
            r.set(FLI::PRODUKTNAVN, l.navn);
            if (l.overskrift) {
                r.set(FLI::OVERSKRIFT, 1);
            } else {
                r.set(FLI::PRODUKTID, nr * 10);
                r.set(FLI::ANTALL, dec(l.antall));
                r.set(FLI::ENHETSPRIS, dec(l.pris));
                r.set(FLI::RABATT, dec(l.rabatt));
                r.set(FLI::ENHETSBENEVNELSE, l.enhet);
                r.set(FLI::MVAPLIKTIG, l.sats >= 0 ? 1 : 0);
                r.set(FLI::MVASATS, l.sats >= 0 ? l.sats : 0);
                linjesum(r, LinjeFelt::faktura());
            }
            EXPECT_EQ(fli.INSERT(), LEVEL_BENIGN);
        }
        FakturaSummer s;
        EXPECT_TRUE(summerFaktura(*ctx, id, mvaType, dec("1.00"), kreditnota, s));
        fak.rec().clear();
        fak.rec().set(FAK::FAKTURAID, id);
        EXPECT_EQ(fak.FETCH(FAK::KeyFakturaId), LEVEL_BENIGN);
        settSummer(fak.rec(), s);
        EXPECT_EQ(fak.UPDATE(), LEVEL_BENIGN);
        fli.CLOSE();
        fak.CLOSE();
        return id;
    }
    Record hent(int32_t id)
    {
        Record r(table(Tbl::FAKTURA));
        EXPECT_EQ(lesFaktura(*ctx, id, r), FakturaOppslag::Funnet);
        return r;
    }
    // The document of an invoice, kept in TAVLO_EHF_UT when that is set.
    std::string dokument(int32_t id, const std::string& navn)
    {
        EhfSkriver s(*ctx);
        EhfDokument d;
        std::string grunn;
        EXPECT_TRUE(s.lag(id, d, grunn)) << grunn;
        if (const char* ut = std::getenv("TAVLO_EHF_UT"); ut && *ut) {
            std::ofstream(std::string(ut) + "/" + navn + ".xml") << d.xml;
        }
        return d.xml;
    }
    std::string avvist(int32_t id)
    {
        EhfSkriver s(*ctx);
        EhfDokument d;
        std::string grunn;
        EXPECT_FALSE(s.lag(id, d, grunn));
        return grunn;
    }

    std::unique_ptr<Context> ctx;
    int32_t kunde = 0;
};

const std::vector<L> kBlandet = {
    {"Arbeid på stedet", "", "", 25, "0", "", true},
    {"Tømrerarbeid", "7.5", "333.33", 25, "0", "timer"},
    {"Skruer", "3", "100.00", 25, "10", "pk"},
    {"Matvarer til dugnaden", "2", "49.90", 15},
    {"Gebyr", "1", "120.00", -1, "0", "stk"},
    {"Fratrekk for materialer", "1", "-50.00", 25},
    {"Retur av skruer", "-2", "100.00", 25, "10", "pk"},
};

} // namespace

// An invoice with prices without VAT: three rates and categories, a discount, a heading, a
// negative price, and the total rounded to whole kroner, all adding up as the invoice does.
TEST_F(EhfTest, DokumenterPriserUtenMvaAddererSomFakturaen)
{
    const int32_t id = faktura(1, kBlandet);
    const Record f = hent(id);
    const std::string xml = dokument(id, "mva1-blandet");
    EXPECT_EQ(element(xml, "cbc:InvoiceTypeCode"), "380");
    EXPECT_EQ(element(xml, "cbc:IssueDate"), "2026-12-01");
    EXPECT_EQ(element(xml, "cbc:DueDate"), "2026-12-15");
    EXPECT_EQ(element(xml, "cbc:PaymentID"), kid(id, true));
    EXPECT_EQ(element(xml, "cbc:ID schemeID=\"0192\""), "(mangler)"); // attributes in the tag
    EXPECT_NE(xml.find("<cbc:EndpointID schemeID=\"0192\">987654325</cbc:EndpointID>"),
              std::string::npos);
    EXPECT_NE(xml.find("<cbc:EndpointID schemeID=\"0192\">123456785</cbc:EndpointID>"),
              std::string::npos);
    EXPECT_NE(xml.find("<cbc:CompanyID>NO987654325MVA</cbc:CompanyID>"), std::string::npos);
    EXPECT_NE(xml.find("<cbc:CompanyID>Foretaksregisteret</cbc:CompanyID>"), std::string::npos);
    EXPECT_NE(xml.find("Postboks 7700 &amp; «Rådhuset»"), std::string::npos);
    EXPECT_NE(xml.find("<cbc:ID>12345678903</cbc:ID>"), std::string::npos);
    // The totals are the invoice's own, to the øre.
    const std::string betales = element(xml, "cbc:PayableAmount");
    EXPECT_EQ(betales, f.get(FAK::TOTALSUM).toString(2));
    EXPECT_EQ(element(xml, "cbc:TaxAmount"), f.get(FAK::MVA).toString(2));
    EXPECT_EQ(element(xml, "cbc:LineExtensionAmount"), f.get(FAK::SUM).toString(2));
    const Decimal uavrundet = f.get(FAK::SUM) + f.get(FAK::MVA);
    EXPECT_EQ(element(xml, "cbc:TaxInclusiveAmount"), uavrundet.toString(2));
    EXPECT_EQ(element(xml, "cbc:PayableRoundingAmount"),
              (f.get(FAK::TOTALSUM) - uavrundet).toString(2));
    // Six lines: the heading is no line, but the note of those under it.
    EXPECT_EQ(count(xml, "<cac:InvoiceLine>"), 6);
    EXPECT_EQ(count(xml, "<cbc:Note>Arbeid på stedet</cbc:Note>"), 6);
    EXPECT_EQ(count(xml, "<cac:TaxSubtotal>"), 3); // S 25, S 15, E
    EXPECT_NE(xml.find("unitCode=\"HUR\">7.5<"), std::string::npos);
    EXPECT_NE(xml.find("<cbc:Amount currencyID=\"NOK\">30.00</cbc:Amount>"), std::string::npos);
    // A negative price is a negative quantity at a positive price.
    EXPECT_NE(xml.find("unitCode=\"EA\">-1<"), std::string::npos);
    EXPECT_EQ(xml.find("<cbc:PriceAmount currencyID=\"NOK\">-"), std::string::npos);
}

// Prices with VAT: each line's amount without VAT is its sum less the VAT it added, so the
// document's lines, VAT and total are the invoice's. A 0 % VAT-liable line is zero rated.
TEST_F(EhfTest, DokumenterPriserMedMvaOgUtenMva)
{
    const int32_t med = faktura(2, {{"Kaffe", "2", "125.00", 25},
                                    {"Kaker", "3", "99.99", 15, "5"},
                                    {"Bok", "1", "349.00", 0, "0", "stk"},
                                    {"Leie", "3", "1000.00", 12, "0", "mnd"}});
    const Record fm = hent(med);
    const std::string xml = dokument(med, "mva2-med-mva");
    EXPECT_EQ(element(xml, "cbc:PayableAmount"), fm.get(FAK::TOTALSUM).toString(2));
    EXPECT_EQ(element(xml, "cbc:TaxAmount"), fm.get(FAK::MVA).toString(2));
    EXPECT_EQ(element(xml, "cbc:LineExtensionAmount"),
              (fm.get(FAK::SUM) - fm.get(FAK::MVA)).toString(2));
    EXPECT_NE(xml.find("<cbc:ID>Z</cbc:ID>"), std::string::npos);
    EXPECT_EQ(count(xml, "<cac:TaxSubtotal>"), 4);

    const int32_t uten =
        faktura(0, {{"Kurs", "1", "2500.00", -1}, {"Kursmateriell", "12", "45.50"}});
    const Record fu = hent(uten);
    const std::string x0 = dokument(uten, "mva0-registrert");
    EXPECT_EQ(element(x0, "cbc:PayableAmount"), fu.get(FAK::TOTALSUM).toString(2));
    EXPECT_EQ(count(x0, "<cbc:ID>E</cbc:ID>"), 3); // the breakdown and both lines
    EXPECT_NE(x0.find("<cbc:TaxExemptionReason>"), std::string::npos);

    // A company outside the VAT register writes no VAT id, and its lines are outside the scope.
    setPar([](Record& p) { p.set(ehf::MVAREGISTRERT, 0); });
    const std::string xo = dokument(uten, "mva0-ikke-registrert");
    EXPECT_EQ(xo.find("MVA</cbc:CompanyID>"), std::string::npos);
    EXPECT_EQ(count(xo, "<cbc:ID>O</cbc:ID>"), 3);
    EXPECT_EQ(xo.find("<cbc:Percent>"), std::string::npos);
    // …and cannot charge VAT.
    EXPECT_NE(avvist(med).find("Merverdiavgiftsregisteret"), std::string::npos);
}

// A credit note: a CreditNote with the invoice it credits, positive amounts, and no payment.
TEST_F(EhfTest, DokumenterKreditnotaViserTilFakturaen)
{
    const int32_t id = faktura(1, kBlandet);
    const int32_t kn = faktura(1, kBlandet, true);
    ASSERT_TRUE(noterKreditert(*ctx, kn, id));
    const Record f = hent(kn);
    ASSERT_TRUE(f.get(FAK::TOTALSUM).isNegative());
    const std::string xml = dokument(kn, "kreditnota");
    // The namespace in full is the schema's to check (ehf_valider.sh).
    EXPECT_EQ(xml.find("<CreditNote xmlns=\"urn:oasis:names:"), 39u);
    EXPECT_NE(xml.find(":ubl:schema:xsd:CreditNote-2\"\n"), std::string::npos);
    EXPECT_EQ(element(xml, "cbc:CreditNoteTypeCode"), "381");
    const std::string tett = std::regex_replace(xml, std::regex(">\\s+<"), "><");
    EXPECT_NE(
        tett.find("<cac:InvoiceDocumentReference><cbc:ID>" + std::to_string(id) + "</cbc:ID>"),
        std::string::npos);
    EXPECT_EQ(element(xml, "cbc:PayableAmount"), (-f.get(FAK::TOTALSUM)).toString(2));
    EXPECT_EQ(count(xml, "<cac:CreditNoteLine>"), 6);
    EXPECT_EQ(xml.find("PaymentMeans"), std::string::npos);
    EXPECT_EQ(xml.find("DueDate"), std::string::npos);
}

// Whatever the document would lack is said before anything is written, per invoice.
TEST_F(EhfTest, MangelSiesPerFakturaFoerReglene)
{
    const std::vector<L> en = {{"Vare", "1", "100.00"}};
    // A wrong organisation number is caught by its check digit, not left to the rules.
    const int32_t feilNr = faktura(1, en, false, addKunde("Feil AS", "123 456 789"));
    EXPECT_EQ(avvist(feilNr), "kundens organisasjonsnummer «123456789» er ikke et gyldig "
                              "organisasjonsnummer");
    const int32_t utenNr = faktura(1, en, false, addKunde("Uten nummer AS", ""));
    EXPECT_NE(avvist(utenNr).find("mangler organisasjonsnummer (egendefinert tekst 2)"),
              std::string::npos);
    EXPECT_NE(avvist(faktura(1, en, false, 0)).find("ingen kunde"), std::string::npos);
    EXPECT_NE(avvist(faktura(1, en, false, 4711)).find("kunde 4711 finnes ikke"),
              std::string::npos);
    EXPECT_NE(avvist(faktura(1, en, false, -1, "")).find("«Deres referanse» er tom"),
              std::string::npos);
    EXPECT_NE(
        avvist(faktura(1, {{"Bare overskrift", "", "", 25, "0", "", true}})).find("ingen linjer"),
        std::string::npos);
    EXPECT_EQ(avvist(9999), "fakturaen finnes ikke");
    // VAT rounded line by line may drift from the VAT of the base by more than the rules
    // allow: 200 lines of 0,02 at 25 % make 2,00 of VAT on a base of 4,00.
    const int32_t drift = faktura(1, std::vector<L>(200, L{"Småvare", "1", "0.02"}));
    EXPECT_EQ(avvist(drift), "MVA per linje avviker med 1.00 kr fra MVA av grunnlaget for 25 %");

    const int32_t god = faktura(1, en);
    setPar([](Record& p) { p.set(PAR::KONTONUMMER, ""); });
    EXPECT_EQ(avvist(god), "kontonummeret mangler i systemparametrene");
    setPar([](Record& p) { p.set(ehf::ORGNR, "987 654 321"); });
    EXPECT_NE(avvist(god).find("firmaets organisasjonsnummer «987654321» er ikke"),
              std::string::npos);
    setPar([](Record& p) {
        p.set(ehf::ORGNR, "987654325");
        p.set(ehf::KUNDEORGNRFELT, 0);
    });
    EXPECT_NE(avvist(god).find("ikke valgt hvilket felt"), std::string::npos);
}

TEST(EhfOrgnr, SjekksifferOgSkrivemaater)
{
    EXPECT_TRUE(ehf::gyldigOrgnr("987654325"));
    EXPECT_TRUE(ehf::gyldigOrgnr("974760673"));
    EXPECT_FALSE(ehf::gyldigOrgnr("987654321"));
    EXPECT_FALSE(ehf::gyldigOrgnr("98765432"));
    EXPECT_FALSE(ehf::gyldigOrgnr("98765432a"));
    // 11 − (sum mod 11) = 10 has no check digit: such numbers are never given out.
    EXPECT_FALSE(ehf::gyldigOrgnr("000000060"));
    EXPECT_EQ(ehf::orgnrSifre(" NO 987 654 325 MVA "), "987654325");
    EXPECT_EQ(ehf::orgnrSifre("987.654.325"), "987654325");
    EXPECT_EQ(ehf::orgnrSifre("ukjent"), "ukjent");
    EXPECT_EQ(ehfEnhet("Timer"), "HUR");
    EXPECT_EQ(ehfEnhet(" stk. "), "EA");
    EXPECT_EQ(ehfEnhet("m²"), "MTK");
    EXPECT_EQ(ehfEnhet("kasse"), "C62");
    EXPECT_EQ(ehfEnhet(""), "C62");
}

// One file per invoice; those that cannot be sent are named with the reason, and the others
// are written all the same.
TEST_F(EhfTest, SendSomEhfSkriverEnFilPerFaktura)
{
    const int32_t a = faktura(1, kBlandet);
    const int32_t b = faktura(1, kBlandet, false, -1, "");
    const int32_t c = faktura(1, kBlandet, true);
    const std::string ut = path("ut");
    std::filesystem::create_directory(ut);
    std::vector<long> fremdrift;
    const EhfKjoring k = sendSomEhf(*ctx, {a, b, c}, ut, [&](long n, long av) {
        EXPECT_EQ(av, 3);
        fremdrift.push_back(n);
    });
    EXPECT_EQ(k.skrevet, 2);
    EXPECT_EQ(k.avvist, 1);
    EXPECT_EQ(fremdrift, (std::vector<long>{1, 2, 3}));
    EXPECT_TRUE(std::filesystem::exists(ut + "/" + ehfFilnavn(a, false)));
    EXPECT_FALSE(std::filesystem::exists(ut + "/" + ehfFilnavn(b, false)));
    EXPECT_TRUE(std::filesystem::exists(ut + "/kreditnota-" + std::to_string(c) + ".xml"));
    EXPECT_EQ(ehfAvvisninger(k), "Faktura " + std::to_string(b) +
                                     ": «Deres referanse» er tom; mottakeren trenger den for å "
                                     "finne bestilleren\n");
    // A folder that cannot be written to is a reason too, not a silent loss.
    const EhfKjoring borte = sendSomEhf(*ctx, {a}, path("finnes-ikke/under"));
    EXPECT_EQ(borte.skrevet, 0);
    EXPECT_NE(ehfAvvisninger(borte).find("kan ikke skrives"), std::string::npos);
}

// Choosing the customers' field puts a labelled control on the customer form, once.
TEST_F(EhfTest, OrgnrFeltetFaarLedetekstEnGang)
{
    auto antall = [this] {
        auto& egn = ctx->access(Tbl::EGENDEF);
        egn.OPEN();
        int n = 0;
        egn.SET(EGN::KeyEgenDefId);
        while (egn.NEXT() == LEVEL_BENIGN) {
            EXPECT_EQ(egn.rec().get(EGN::FELTNAVN), "Tekst 2");
            EXPECT_EQ(egn.rec().get(EGN::LEDETEKST), "Organisasjonsnr.:");
            ++n;
        }
        egn.CLOSE();
        return n;
    };
    EXPECT_TRUE(ehf::sikreOrgnrFelt(*ctx, 2));
    EXPECT_TRUE(ehf::sikreOrgnrFelt(*ctx, 2));
    EXPECT_EQ(antall(), 1);
    EXPECT_TRUE(ehf::sikreOrgnrFelt(*ctx, 0)); // none chosen: nothing to make
    EXPECT_EQ(antall(), 1);
}

// "Send som EHF...": the marked invoices (else the highlighted one) into the folder chosen,
// then one message with what was written and what was not, and why.
TEST_F(EhfTest, FraKartoteketMerkedeEllerDenMarkerte)
{
    const int32_t a = faktura(1, kBlandet);
    const int32_t b = faktura(1, kBlandet, false, -1, "");
    const std::string ut = path("ut");
    std::filesystem::create_directory(ut);
    std::string mappe = "/start";

    GLQ::TAG_FAKTURA.clear();
    EXPECT_FALSE(sendSomEhfFraKartotek(*ctx, a, mappe)); // the folder dialog was left
    EXPECT_EQ(answers.dialogsShown.back(), "Velg mappe for EHF-filene");
    EXPECT_EQ(mappe, "/start");
    EXPECT_TRUE(answers.shown.empty());

    answers.files.push_back(ut);
    EXPECT_TRUE(sendSomEhfFraKartotek(*ctx, a, mappe));
    EXPECT_EQ(mappe, ut);
    ASSERT_EQ(answers.shown.size(), 1u);
    EXPECT_EQ(answers.shown[0].caption, "Info");
    EXPECT_EQ(answers.shown[0].text, "1 EHF-fil skrevet til " + ut + ".");

    GLQ::TAG_FAKTURA.push_back({b, 1});
    GLQ::TAG_FAKTURA.push_back({a, 2});
    answers.files.push_back(ut);
    EXPECT_TRUE(sendSomEhfFraKartotek(*ctx, a, mappe));
    ASSERT_EQ(answers.shown.size(), 2u);
    EXPECT_EQ(answers.shown[1].caption, "Advarsel");
    EXPECT_EQ(answers.shown[1].text, "1 EHF-fil skrevet til " + ut +
                                         ".||Denne fakturaen kan ikke sendes som EHF:|Faktura " +
                                         std::to_string(b) +
                                         ": «Deres referanse» er tom; mottakeren trenger den for "
                                         "å finne bestilleren");
    GLQ::TAG_FAKTURA.clear();
    EXPECT_FALSE(sendSomEhfFraKartotek(*ctx, 0, mappe)); // nothing marked or highlighted
}
