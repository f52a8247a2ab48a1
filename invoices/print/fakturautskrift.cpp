#include "invoices/print/fakturautskrift.h"

#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <limits>

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"
#include "data/rounding.h"
#include "framework/filemanager.h"
#include "framework/picture.h"
#include "framework/text.h"
#include "invoices/dokumentform.h"
#include "invoices/fakturasummer.h"
#include "invoices/giro.h"

namespace tavlo {

using report::Align;
using report::Page;
using report::Text;

namespace {

constexpr const char* kBelop = "@n-14.`2";
constexpr const char* kDato = "@d06.B";
constexpr const char* kKonto = "@P####.##.#####PB";
constexpr int kVenstre = 406, kHoyre = 8000;
constexpr int kForsteTopp = 3400, kNesteTopp = 1000, kUtenGiroBunn = 11000;
constexpr int kRad = 190;
const char* const kOcrFace = "OCR B"; // Debian's fonts-ocr-b

// One element of the header as the parameter record places it.
struct Element {
    IntField x, y, w, h;
    TextField font, justering;
};
#define TAVLO_HEADER(N)                                                                            \
    Element                                                                                        \
    {                                                                                              \
        PAR::N##_X, PAR::N##_Y, PAR::N##_W, PAR::N##_H, PAR::N##_FONT, PAR::N##_JUSTERING          \
    }

Align justering(const std::string& s)
{
    const std::string_view t = text::trim(s);
    if (t.empty())
        return Align::Left;
    switch (t.front()) {
    case 'H':
    case 'h': return Align::Right; // høyre
    case 'S':
    case 's': return Align::Center; // senter
    default: return Align::Left;    // venstre, and anything else
    }
}

Text placed(const Record& par, const Element& e, const std::string& s)
{
    Text t;
    t.x = par.get(e.x);
    t.y = par.get(e.y);
    t.w = par.get(e.w);
    t.h = par.get(e.h);
    t.text = s;
    t.font = FontDescription::parse(par.get(e.font));
    t.align = justering(par.get(e.justering));
    t.wrap = t.w > 0;
    return t;
}

Text at(int x, int y, int w, const std::string& s, Align a = Align::Left, int weight = 0,
        int size = 0)
{
    return report::textAt(x, y, w, s, a, weight, size);
}

std::string rtrim(const std::string& s)
{
    return std::string(text::rtrim(s));
}

std::string belop(const Decimal& d)
{
    return std::string(text::trim(picture::format(kBelop, d)));
}

// A row's text height with its line breaks: descriptions may run over several lines.
int hoyde(const std::string& s)
{
    return kRad * (1 + static_cast<int>(std::count(s.begin(), s.end(), '\n')));
}

// The pages of one invoice, laid out downward; a row that does not fit begins a new page.
class Flyt {
  public:
    Flyt(report::PageList& pages, int bunn) : pages_(pages), bunn_(bunn)
    {
        pages_.emplace_back();
        forste_ = pages_.size() - 1;
        y_ = kForsteTopp;
    }
    Page& side() { return pages_.back(); }
    int y() const { return y_; }
    // Room for `h` on this page, or a new page.
    int plass(int h)
    {
        if (y_ + h > bunn_) {
            pages_.emplace_back();
            side().items.push_back(at(kVenstre, 600, 0, "Fortsettelse fra forrige side..."));
            y_ = kNesteTopp;
        }
        const int y = y_;
        y_ += h;
        return y;
    }
    void luft(int h) { y_ += h; }
    Page& forsteSide() { return pages_[forste_]; }

  private:
    report::PageList& pages_;
    int bunn_;
    std::size_t forste_;
    int y_;
};

struct Kolonne {
    int x, w;
    Align a;
};
const Kolonne kProduktnr{kVenstre, 700, Align::Left}, kTekst{1125, 3156, Align::Left},
    kMva{4302, 260, Align::Right}, kAntall{4583, 700, Align::Right}, kEnhet{5344, 640, Align::Left},
    kPris{6000, 650, Align::Right}, kRabatt{6708, 370, Align::Right}, kSum{7094, 906, Align::Right};

void kolonne(Page& p, const Kolonne& k, int y, const std::string& s, int weight = 0)
{
    if (!s.empty())
        p.items.push_back(at(k.x, y, k.w, s, k.a, weight));
}

// A pair of label and amount in one of three places of a totals row.
void belopPar(Page& p, int plass, int y, const char* label, const Decimal& d, int weight = 0)
{
    static const int labels[] = {500, 3000, 5600}, belop_[] = {1550, 4250, 7094};
    p.items.push_back(at(labels[plass], y, 1000, label, Align::Right, weight));
    p.items.push_back(at(belop_[plass], y, 906, belop(d), Align::Right, weight));
}

// The buyer's block: name, the two address lines, the postal number in four digits (blank when
// 0) and the place.
std::string kundeInfo(const Record& fak)
{
    std::string postnr;
    if (fak.get(FAK::POSTNR) != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04d", fak.get(FAK::POSTNR));
        postnr = buf;
    }
    return fak.get(FAK::KUNDENAVN) + "\r\n" + fak.get(FAK::ADRESSE) + "\r\n" +
           fak.get(FAK::ADRESSE2) + "\r\n" + postnr + " " + fak.get(FAK::POSTSTED);
}

void giro(Page& p, const Record& par, const Record& fak, const FakturaSummer& s)
{
    const int ox = par.get(PAR::GIROOFFSET_X), oy = kGiroTopp + par.get(PAR::GIROOFFSET_Y);
    const std::string face = std::string(text::trim(par.get(PAR::GIRO_FONT)));
    auto felt = [&](int x, int y, int w, const std::string& v, Align a = Align::Left,
                    const char* ocr = nullptr) {
        Text t = at(ox + x, oy + y, w, v, a);
        t.font.face = !face.empty() ? face : (ocr ? ocr : "");
        t.font.size = ocr ? 11 : 9;
        t.wrap = w > 0;
        p.items.push_back(t);
    };
    const std::string kontoSifre = std::string(text::trim(par.get(PAR::KONTONUMMER)));
    std::string konto;
    if (!kontoSifre.empty() && kontoSifre.find_first_not_of("0123456789") == std::string::npos)
        konto = picture::formatPattern(kKonto, kontoSifre);
    else
        konto = kontoSifre;
    const bool kreditt = fak.get(FAK::KREDITNOTA) != 0;
    const GiroBelop b = giroBelop(s.totalsum, kreditt);
    const std::string linjeskift = "\r\n";
    const std::string kundeinfo = kundeInfo(fak);
    const std::string leverandor = par.get(PAR::NAVN) + linjeskift + par.get(PAR::ADRESSE) +
                                   linjeskift + par.get(PAR::ADRESSE2) + linjeskift +
                                   par.get(PAR::POSTNR_POSTSTED);
    felt(594, 521, 0, konto);
    felt(3292, 552, 0, belop(s.totalsum));
    felt(6615, 1000, 0, picture::formatDate(kDato, fak.get(FAK::FORFALLSDATO)));
    felt(594, 1104, 0, "Fakturanr:");
    felt(1260, 1104, 740, std::to_string(fak.get(FAK::FAKTURAID)));
    felt(594, 1271, 0, "Kundenr:");
    if (fak.get(FAK::KUNDEID) != 0)
        felt(1260, 1271, 740, std::to_string(fak.get(FAK::KUNDEID)));
    felt(594, 1531, 3260, fak.get(FAK::MELDING));
    felt(594, 2365, 3260, kundeinfo);
    felt(4469, 2365, 3135, leverandor);
    // The machine-read payment line: KID right in its field, kroner, øre, <check digit>, account.
    felt(594, 3896, 2385,
         kid(fak.get(FAK::FAKTURAID), !text::trim(par.get(PAR::OCR_AVTALEID)).empty()),
         Align::Right, kOcrFace);
    felt(2969, 3896, 1100, std::string(text::trim(picture::format("@n-14.", b.kroner))),
         Align::Right, kOcrFace);
    char ore[4];
    std::snprintf(ore, sizeof ore, "%02d", b.ore);
    felt(4188, 3896, 0, ore, Align::Left, kOcrFace);
    felt(4677, 3896, 0, "<" + b.sjekksiffer + ">", Align::Left, kOcrFace);
    felt(5167, 3896, 0, konto, Align::Left, kOcrFace);
}

} // namespace

std::string fastTekst(int32_t kombinasjon, const std::string& statusTekst, const std::string& fast)
{
    const std::string s = rtrim(statusTekst), f = rtrim(fast);
    auto begge = [](const std::string& a, const std::string& b) {
        if (a.empty())
            return b;
        if (b.empty())
            return a;
        return a + "\r\n\r\n" + b;
    };
    switch (kombinasjon) {
    case 1: return begge(s, f);
    case 2: return begge(f, s);
    case 3: return s;
    default: return f;
    }
}

bool byggFaktura(Context& ctx, const Record& par, int32_t fakturaId, const UtskriftValg& valg,
                 report::PageList& pages)
{
    Record fak(table(Tbl::FAKTURA));
    const FakturaOppslag oppslag = lesFaktura(ctx, fakturaId, fak);
    if (oppslag == FakturaOppslag::KanIkkeApnes)
        return false;
    if (oppslag == FakturaOppslag::FinnesIkke) {
        say(ctx, "Det oppsto feil under oppslag på faktura " + std::to_string(fakturaId), "Feil",
            Icon::Exclamation);
        return false;
    }

    // The status: its heading, and how its text and the fixed text combine.
    std::string overskrift, fast;
    if (SETKODA(ctx, 105, fak.get(FAK::FAKTURASTATUS))) {
        const Record& kod = ctx.rec(Tbl::KODEVERK_ALIAS);
        overskrift = rtrim(kod.get(KODA::TEKST));
        fast = fastTekst(kod.get(KODA::LONG1), kod.get(KODA::DIV), par.get(PAR::FASTFAKTURATEKST1));
    }

    Flyt flyt(pages, valg.medGiro ? kGiroTopp - 150 : kUtenGiroBunn);
    Page& forste = flyt.forsteSide();
    const std::string kundeinfo = kundeInfo(fak);
    const std::pair<Element, std::string> hode[] = {
        {TAVLO_HEADER(NAVN), par.get(PAR::NAVN)},
        {TAVLO_HEADER(LEVERANDORINFO), par.get(PAR::LEVERANDORINFO)},
        {TAVLO_HEADER(OVERSKRIFTSTATUS), overskrift},
        {TAVLO_HEADER(KUNDEINFO), kundeinfo},
        {TAVLO_HEADER(FAKTURANRLEDETEKST), "Fakturanr:"},
        {TAVLO_HEADER(FAKTURANR), std::to_string(fak.get(FAK::FAKTURAID))},
        {TAVLO_HEADER(FAKTURADATOLEDETEKST), "Fakturadato:"},
        {TAVLO_HEADER(FAKTURADATO), picture::formatDate(kDato, fak.get(FAK::FAKTURADATO))},
        {TAVLO_HEADER(FORFALLSDATOLEDETEKST), "Forfallsdato:"},
        {TAVLO_HEADER(FORFALLSDATO), picture::formatDate(kDato, fak.get(FAK::FORFALLSDATO))},
        {TAVLO_HEADER(DERESREFERANSELEDETEKST), "Deres ref:"},
        {TAVLO_HEADER(DERESREFERANSE), fak.get(FAK::DERESREFERANSE)},
        {TAVLO_HEADER(VAARREFERANSELEDETEKST), "Vår ref:"},
        {TAVLO_HEADER(VAARREFERANSE), fak.get(FAK::VARREFERANSE)},
        {TAVLO_HEADER(KUNDENRLEDETEKST), "Kundenr:"},
        {TAVLO_HEADER(KUNDENR),
         fak.get(FAK::KUNDEID) != 0 ? std::to_string(fak.get(FAK::KUNDEID)) : std::string()},
    };
    for (const auto& [e, s] : hode)
        if (!text::trim(s).empty())
            forste.items.push_back(placed(par, e, s));
    if (const std::string path = rtrim(par.get(PAR::LOGO_PATH)); !path.empty()) {
        QImage logo(QString::fromStdString(path));
        if (!logo.isNull()) {
            report::Picture bilde;
            bilde.x = par.get(PAR::LOGO_X);
            bilde.y = par.get(PAR::LOGO_Y);
            // The image's own size in mils, from its resolution (96 dpi when it has none).
            const double dpmX = logo.dotsPerMeterX() > 0 ? logo.dotsPerMeterX() : 3780;
            const double dpmY = logo.dotsPerMeterY() > 0 ? logo.dotsPerMeterY() : 3780;
            const double naturalW = logo.width() / dpmX * 39370,
                         naturalH = logo.height() / dpmY * 39370;
            if (par.get(PAR::LOGO_RESIZE) != 0) {
                bilde.h = static_cast<int>(naturalH * par.get(PAR::LOGO_RESIZE) / 100);
                bilde.w = static_cast<int>(naturalW * par.get(PAR::LOGO_RESIZE) / 100);
            } else {
                bilde.w = par.get(PAR::LOGO_W) ? par.get(PAR::LOGO_W) : static_cast<int>(naturalW);
                bilde.h = par.get(PAR::LOGO_H) ? par.get(PAR::LOGO_H) : static_cast<int>(naturalH);
            }
            bilde.image = logo;
            forste.items.push_back(bilde);
        }
    }

    const int plassering = par.get(PAR::BESKRIVELSEPLASSERING_FAKTURA);
    const std::string beskrivelse = rtrim(fak.get(FAK::BESKRIVELSE));
    auto beskrivelseBand = [&] {
        Text t = at(kVenstre, 0, kHoyre - kVenstre, beskrivelse);
        t.wrap = true;
        t.y = flyt.plass(hoyde(beskrivelse));
        flyt.side().items.push_back(t);
        flyt.luft(kRad / 2);
    };
    if (plassering == 1 && !beskrivelse.empty())
        beskrivelseBand();

    // Column headings.
    {
        const int y = flyt.plass(kRad + 40);
        Page& p = flyt.side();
        const bool invers = par.get(PAR::INVERTERFAKTURALINJEHEADER) != 0;
        if (invers)
            p.items.push_back(report::Box{kVenstre - 40, y - 20, kHoyre - kVenstre + 80, kRad + 20,
                                          0, 0, true, 0x000000});
        const std::pair<Kolonne, const char*> heads[] = {
            {kProduktnr, "Produktnr"}, {kTekst, "Tekst"}, {kMva, "% MVA"},
            {kAntall, "Antall"},       {kEnhet, "Enhet"}, {kPris, "Enhetspris"},
            {kRabatt, "% Rab"},        {kSum, "Sum"}};
        for (const auto& [k, h] : heads) {
            if (k.x == kMva.x && fak.get(FAK::MVATYPE) == 0)
                continue;
            // Right-aligned headings end at their column's right edge and may reach left of it.
            Text t = k.a == Align::Right ? at(k.x + k.w, y, 0, h, Align::Right, 700)
                                         : at(k.x, y, k.w, h, k.a, 700);
            t.font.size = 9; // bold headings fit over the columns at nine points
            if (invers)
                t.font.colour = 0xFFFFFF;
            p.items.push_back(t);
        }
        if (!invers)
            p.items.push_back(report::Line{kVenstre, y + kRad, kHoyre, y + kRad, 8, 0});
    }

    // The lines, counted into the sums by the invoice's one rule.
    const int32_t mvaType = fak.get(FAK::MVATYPE);
    FakturaSummering summering(mvaType);
    FileManager& flia = ctx.access(Tbl::FAKLINJE_ALIAS);
    if (flia.OPEN() == LEVEL_BENIGN) {
        Record& l = flia.rec();
        l.clear();
        l.set(FLIA::FAKTURAID, fakturaId);
        l.set(FLIA::LINJENR, std::numeric_limits<int32_t>::min());
        flia.SETAT(FLIA::KeyFakturaId_LinjeNr);
        const int linjeBeskrivelse = par.get(PAR::BESKRIVELSEPLASSERING_FAKTURALINJE);
        bool forsteLinje = true;
        while (flia.TRYNEXT() == LEVEL_BENIGN && l.get(FLIA::FAKTURAID) == fakturaId) {
            summering.add(l);
            if (!valg.medLinjer)
                continue;
            const std::string besk = rtrim(l.get(FLIA::BESKRIVELSE));
            auto tekst = [&](const std::string& s) {
                Text t = at(kTekst.x, flyt.plass(hoyde(s)), kTekst.w, s);
                t.wrap = true;
                t.font.size = 9;
                flyt.side().items.push_back(t);
            };
            if (linjeBeskrivelse == 1 && !besk.empty()) {
                if (!forsteLinje)
                    flyt.luft(kRad);
                tekst(besk);
            }
            const int y = flyt.plass(kRad);
            Page& p = flyt.side();
            if (l.get(FLIA::OVERSKRIFT)) {
                p.items.push_back(
                    at(kTekst.x, y, 6135, l.get(FLIA::PRODUKTNAVN), Align::Left, 700));
            } else {
                auto blankNull = [](const Decimal& d) {
                    return d.isZero() ? std::string() : belop(d);
                };
                if (l.get(FLIA::PRODUKTID) != 0)
                    kolonne(p, kProduktnr, y, std::to_string(l.get(FLIA::PRODUKTID)));
                kolonne(p, kTekst, y, l.get(FLIA::PRODUKTNAVN));
                if (mvaType != 0 && l.get(FLIA::MVAPLIKTIG) && l.get(FLIA::MVASATS) != 0)
                    kolonne(p, kMva, y, std::to_string(l.get(FLIA::MVASATS)));
                kolonne(p, kAntall, y, blankNull(l.get(FLIA::ANTALL)));
                kolonne(p, kEnhet, y, l.get(FLIA::ENHETSBENEVNELSE));
                kolonne(p, kPris, y, blankNull(l.get(FLIA::ENHETSPRIS)));
                kolonne(p, kRabatt, y, blankNull(l.get(FLIA::RABATT)));
                kolonne(p, kSum, y, belop(l.get(FLIA::SUM)));
            }
            if (linjeBeskrivelse == 2 && !besk.empty()) {
                tekst(besk);
                flyt.luft(kRad);
            }
            forsteLinje = false;
        }
        flia.CLOSE();
    }
    // The printout's total is never negated; the giro shows a credit note's kroner negative.
    const FakturaSummer s = summering.result(par.get(PAR::AVRUNDING), false);
    if (!valg.medLinjer)
        flyt.side().items.push_back(
            at(kTekst.x, flyt.plass(kRad), kTekst.w, "Faktura i følge vedlegg..."));

    // The totals band of the VAT type, after a rule across the page.
    const bool avrunding = !par.get(PAR::AVRUNDING).isZero();
    {
        const int rader = mvaType == 1 ? 3 : mvaType == 2 ? 2 : 1;
        const int y0 = flyt.plass(80 + rader * kRad);
        Page& p = flyt.side();
        p.items.push_back(report::Line{kVenstre, y0 + 20, kHoyre, y0 + 20, 10, 0});
        const int y = y0 + 80;
        if (mvaType == 1) {
            belopPar(p, 2, y, "Sum:", s.sum);
            belopPar(p, 1, y + kRad, "MVA grunnlag:", s.mvaGrunnlag);
            belopPar(p, 2, y + kRad, "MVA:", s.mva);
            if (avrunding)
                belopPar(p, 1, y + 2 * kRad, "Avrunding:", s.avrunding);
            belopPar(p, 2, y + 2 * kRad, "Totalt:", s.totalsum, 700);
        } else if (mvaType == 2) {
            if (avrunding)
                belopPar(p, 0, y, "Avrunding:", s.avrunding);
            belopPar(p, 1, y, "MVA grunnlag:", s.mvaGrunnlag);
            belopPar(p, 2, y, "Totalt:", s.sum, 700);
            belopPar(p, 2, y + kRad, "Herav MVA:", s.mva);
        } else {
            if (avrunding)
                belopPar(p, 1, y, "Avrunding:", s.avrunding);
            belopPar(p, 2, y, "Totalt:", s.sum, 700);
        }
        flyt.luft(kRad / 2);
    }
    if (plassering == 2 && !beskrivelse.empty())
        beskrivelseBand();
    if (!text::trim(par.get(PAR::FASTFAKTURATEKST1)).empty() && !fast.empty()) {
        Text t = at(kVenstre, flyt.plass(hoyde(fast)), kHoyre - kVenstre, fast);
        t.wrap = true;
        flyt.side().items.push_back(t);
    }
    if (valg.medGiro)
        giro(flyt.side(), par, fak, s);
    return true;
}

std::vector<UtskriftValg> varianter(int32_t fakturaType)
{
    switch (fakturaType) {
    case 1: return {{true, true}};
    case 2: return {{false, true}};
    case 3: return {{true, false}, {false, true}};
    default: return {};
    }
}

bool byggFakturaer(Context& ctx, const Record& par, const std::vector<int32_t>& fakturaer,
                   report::PageList& pages)
{
    const std::vector<UtskriftValg> valg = varianter(par.get(PAR::FAKTURATYPE));
    if (valg.empty()) {
        say(ctx, "Udefinert fakturatype", "Feil", Icon::Exclamation);
        return false;
    }
    for (int32_t id : fakturaer)
        for (const UtskriftValg& v : valg)
            if (!byggFaktura(ctx, par, id, v, pages))
                break; // said; the invoice is skipped
    return true;
}

std::vector<int32_t> fakturaerTilUtskrift(int32_t fakturaId)
{
    std::vector<int32_t> ids;
    for (const TagEntry& t : GLQ::TAG_FAKTURA)
        ids.push_back(t.id);
    if (ids.empty())
        ids.push_back(fakturaId);
    return ids;
}

void markerUtskrevet(Context& ctx, const std::vector<int32_t>& fakturaer)
{
    FileManager& faka = ctx.access(Tbl::FAKTURA_ALIAS);
    if (faka.OPEN() != LEVEL_BENIGN)
        return;
    for (int32_t id : fakturaer) {
        faka.rec().clear();
        faka.rec().set(FAKA::FAKTURAID, id);
        if (faka.TRYFETCH(FAKA::KeyFakturaId) != LEVEL_BENIGN) {
            say(ctx, "Det oppsto feil under oppslag på faktura " + std::to_string(id), "Feil",
                Icon::Exclamation);
            continue;
        }
        faka.rec().set(FAKA::UTSKRIFTSTATUS, 2);
        if (faka.TRYUPDATE() != LEVEL_BENIGN)
            say(ctx, "Det oppsto feil under oppdatering av faktura " + std::to_string(id), "Feil",
                Icon::Exclamation);
    }
    faka.CLOSE();
}

} // namespace tavlo
