// The invoice printout as pages and as the PDF a reader sees: header, lines, the totals of each
// VAT type, the status's heading and the giro's payment line.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <regex>

#include "data/parameters.h"
#include "data/tests/fixture.h"
#include "framework/filemanager.h"
#include "framework/report/tests/pdftools.h"
#include "invoices/print/fakturautskrift.h"

using namespace tavlo;
using tavlo::testing::run;

namespace {

// Every text the pages hold, in order.
std::vector<std::string> texts(const report::PageList& pages)
{
    std::vector<std::string> out;
    for (const auto& page : pages)
        for (const auto& item : page.items)
            if (const auto* t = std::get_if<report::Text>(&item))
                out.push_back(t->text);
    return out;
}

bool has(const std::vector<std::string>& v, const std::string& s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

class UtskriftTest : public tavlo::testing::DataFolderTest {
  protected:
    static void SetUpTestSuite() { tavlo::testing::ensureGuiApplication(); }
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ctx = std::make_unique<Context>(&errors);
        addCode(*ctx, 105, 1, "Faktura");
        addCode(*ctx, 105, 2, "Kreditnota", [](Record& r) {
            r.set(KOD::BYTE1, 1);
            r.set(KOD::LONG1, 1);
            r.set(KOD::DIV, "Kreditert etter avtale.  ");
        });
        addCode(*ctx, 105, 3, "");
        par.clear();
        standardOppsett(par);
        par.set(PAR::NAVN, "Snekker Hansen AS");
        par.set(PAR::LEVERANDORINFO, "Org.nr. 987 654 321 MVA\r\nForetaksregisteret");
        par.set(PAR::KONTONUMMER, "12345678903");
        par.set(PAR::OCR_AVTALEID, "1");
        par.set(PAR::FAKTURATYPE, 1);
        par.set(PAR::BESKRIVELSEPLASSERING_FAKTURALINJE, 2);
        par.set(PAR::FASTFAKTURATEKST1, "Betaling innen forfall.");
    }
    void TearDown() override
    {
        ctx.reset();
        DataFolderTest::TearDown();
    }
    int32_t invoice(int32_t mvaType, int32_t status, int lines = 2)
    {
        auto& fak = ctx->access(Tbl::FAKTURA);
        fak.OPEN();
        fak.rec().clear();
        fak.rec().set(FAK::KUNDEID, 17);
        fak.rec().set(FAK::KUNDENAVN, "Kari Nordmann");
        fak.rec().set(FAK::ADRESSE, "Bryggen 1");
        fak.rec().set(FAK::POSTNR, 5003);
        fak.rec().set(FAK::POSTSTED, "BERGEN");
        fak.rec().set(FAK::FAKTURADATO, 82525);
        fak.rec().set(FAK::FORFALLSDATO, 82539);
        fak.rec().set(FAK::MVATYPE, mvaType);
        fak.rec().set(FAK::FAKTURASTATUS, status);
        fak.rec().set(FAK::KREDITNOTA, status == 2 ? 1 : 0);
        EXPECT_EQ(fak.INSERT(), LEVEL_BENIGN);
        const int32_t id = fak.rec().get(FAK::FAKTURAID);
        fak.CLOSE();
        auto& fli = ctx->access(Tbl::FAKLINJE);
        fli.OPEN();
        for (int i = 1; i <= lines; ++i) {
            fli.rec().clear();
            fli.rec().set(FLI::FAKTURAID, id);
            fli.rec().set(FLI::LINJENR, i);
            fli.rec().set(FLI::PRODUKTID, i == 1 ? 3 : 0);
            fli.rec().set(FLI::PRODUKTNAVN, "Vare " + std::to_string(i));
            fli.rec().set(FLI::ANTALL, Decimal::fromInt(1));
            fli.rec().set(FLI::ENHETSPRIS, *Decimal::parse("100.00"));
            fli.rec().set(FLI::SUM, *Decimal::parse("100.00"));
            fli.rec().set(FLI::MVAPLIKTIG, 1);
            fli.rec().set(FLI::MVASATS, 25);
            if (i == 1)
                fli.rec().set(FLI::BESKRIVELSE, "Eik, oljet");
            EXPECT_EQ(fli.INSERT(), LEVEL_BENIGN);
        }
        fli.CLOSE();
        return id;
    }

    std::unique_ptr<Context> ctx;
    Record par{table(Tbl::PARAM)};
};

} // namespace

TEST_F(UtskriftTest, AnInvoiceWithVatAddedPrintsItsTotalsAndItsGiro)
{
    const int32_t id = invoice(1, 1);
    report::PageList pages;
    ASSERT_TRUE(byggFaktura(*ctx, par, id, {}, pages));
    ASSERT_EQ(pages.size(), 1u);
    const auto t = texts(pages);
    for (const char* s :
         {"Snekker Hansen AS", "Faktura", "Fakturanr:", "Kundenr:", "17", "Produktnr", "% MVA",
          "Vare 1", "Eik, oljet", "Sum:", "200,00", "MVA grunnlag:", "MVA:", "50,00",
          "Totalt:", "250,00", "Betaling innen forfall.", "1234.56.78903"})
        EXPECT_TRUE(has(t, s)) << s;
    EXPECT_FALSE(has(t, "Avrunding:")); // no rounding in the parameters
    EXPECT_TRUE(has(t, "0018") || has(t, std::to_string(id) + "0")) << "KID";
    EXPECT_TRUE(has(t, "250")); // kroner of the payment line
    EXPECT_TRUE(has(t, "00"));
}

TEST_F(UtskriftTest, ACreditNotePrintsPositiveTotalsAndNegativeKronerOnTheGiro)
{
    const int32_t id = invoice(0, 2, 1);
    report::PageList pages;
    ASSERT_TRUE(byggFaktura(*ctx, par, id, {}, pages));
    const auto t = texts(pages);
    EXPECT_TRUE(has(t, "Kreditnota"));
    EXPECT_TRUE(has(t, "100,00"));
    EXPECT_FALSE(has(t, "-100,00"));
    EXPECT_TRUE(has(t, "-100"));   // the kroner of the payment line
    EXPECT_FALSE(has(t, "% MVA")); // no VAT column without VAT
    // Status text, an empty line, fixed text.
    EXPECT_TRUE(has(t, "Kreditert etter avtale.\r\n\r\nBetaling innen forfall."));
}

TEST_F(UtskriftTest, TypeThreeGivesTheGiroPageAndThenTheWholeInvoiceWithoutGiro)
{
    const int32_t id = invoice(2, 3);
    par.set(PAR::FAKTURATYPE, 3);
    par.set(PAR::AVRUNDING, *Decimal::parse("1"));
    report::PageList pages;
    ASSERT_TRUE(byggFakturaer(*ctx, par, {id}, pages));
    ASSERT_EQ(pages.size(), 2u);
    const auto forste = texts({pages[0]}), andre = texts({pages[1]});
    EXPECT_TRUE(has(forste, "Faktura i følge vedlegg..."));
    EXPECT_FALSE(has(forste, "Vare 1"));
    EXPECT_TRUE(has(forste, "1234.56.78903"));
    EXPECT_TRUE(has(andre, "Vare 1"));
    EXPECT_FALSE(has(andre, "1234.56.78903"));
    EXPECT_TRUE(has(andre, "Herav MVA:"));
    EXPECT_TRUE(has(andre, "Avrunding:"));
    // A status without text prints no heading: the first text is the supplier's name.
    EXPECT_FALSE(has(andre, "Faktura"));
    par.set(PAR::FAKTURATYPE, 7);
    EXPECT_FALSE(byggFakturaer(*ctx, par, {id}, pages));
    EXPECT_EQ(answers.shown.back().text, "Udefinert fakturatype");
}

TEST_F(UtskriftTest, TheLogoTakesItsPercentageOrTheLayoutsSize)
{
    QImage image(192, 96, QImage::Format_RGB32); // 2 × 1 inches at 96 dpi
    image.fill(Qt::blue);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    const std::string path = dir + "/logo.png";
    ASSERT_TRUE(image.save(QString::fromStdString(path)));
    par.set(PAR::LOGO_PATH, path);
    par.set(PAR::LOGO_X, 5000);
    par.set(PAR::LOGO_Y, 300);
    par.set(PAR::LOGO_RESIZE, 50);
    const int32_t id = invoice(1, 1);
    auto logo = [&]() -> report::Picture {
        report::PageList pages;
        EXPECT_TRUE(byggFaktura(*ctx, par, id, {}, pages));
        for (const auto& item : pages.front().items)
            if (const auto* p = std::get_if<report::Picture>(&item))
                return *p;
        ADD_FAILURE() << "no logo";
        return {};
    };
    report::Picture p = logo();
    EXPECT_EQ(p.x, 5000);
    EXPECT_EQ(p.y, 300);
    EXPECT_NEAR(p.w, 1000, 5);
    EXPECT_NEAR(p.h, 500, 5);
    par.set(PAR::LOGO_RESIZE, 0);
    par.set(PAR::LOGO_W, 1500);
    par.set(PAR::LOGO_H, 400);
    p = logo();
    EXPECT_EQ(p.w, 1500);
    EXPECT_EQ(p.h, 400);
    // A logo that is not there leaves the invoice without one, and nothing else out.
    par.set(PAR::LOGO_PATH, dir + "/borte.png");
    report::PageList pages;
    ASSERT_TRUE(byggFaktura(*ctx, par, id, {}, pages));
    for (const auto& item : pages.front().items)
        EXPECT_FALSE(std::holds_alternative<report::Picture>(item));
}

TEST_F(UtskriftTest, ManyLinesGoOnToFollowingPagesThatSaySo)
{
    const int32_t id = invoice(1, 1, 60);
    report::PageList pages;
    ASSERT_TRUE(byggFaktura(*ctx, par, id, {}, pages));
    ASSERT_GE(pages.size(), 2u);
    EXPECT_FALSE(has(texts({pages[0]}), "Fortsettelse fra forrige side..."));
    EXPECT_TRUE(has(texts({pages[1]}), "Fortsettelse fra forrige side..."));
    // The giro is on the last page only, and no line reaches into it.
    EXPECT_FALSE(has(texts({pages[0]}), "1234.56.78903"));
    EXPECT_TRUE(has(texts({pages.back()}), "1234.56.78903"));
    for (const auto& item : pages[0].items)
        if (const auto* t = std::get_if<report::Text>(&item)) {
            EXPECT_LT(t->y, kGiroTopp) << t->text;
        }
}

TEST_F(UtskriftTest, ThePdfHoldsEveryWordAndThePaymentLineInOcrB)
{
    if (run("command -v pdftotext").empty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    const int32_t id = invoice(1, 1);
    report::PageList pages;
    ASSERT_TRUE(byggFaktura(*ctx, par, id, {}, pages));
    const std::string pdf = dir + "/faktura.pdf";
    std::string error;
    ASSERT_TRUE(report::writePdf(pdf, pages, "Faktura " + std::to_string(id), "Tavlo", error))
        << error;
    const std::string txt = run("pdftotext -layout '" + pdf + "' -");
    for (const char* s : {"Snekker Hansen AS", "Fakturanr:", "Kari Nordmann", "BERGEN", "Vare 1",
                          "Totalt:", "250,00", "1234.56.78903"})
        EXPECT_NE(txt.find(s), std::string::npos) << s << "\n" << txt;
    const std::string fonts = run("pdffonts '" + pdf + "'");
    if (!run("fc-list | grep -i 'OCR B'").empty()) {
        EXPECT_NE(fonts.find("OCR"), std::string::npos) << fonts;
    }
}
