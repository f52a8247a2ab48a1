#include "invoices/ocrgiro.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "data/context.h"
#include "data/exchangerun.h"
#include "data/globals.h"
#include "data/ocrbetaling.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/picture.h"
#include "framework/text.h"
#include "framework/transaction.h"
#include "invoices/dokumentform.h"
#include "invoices/giro.h"

namespace tavlo {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kPostlengde = 80;
// What OCR:BELOP (DEC 11) holds, in øre.
constexpr int64_t kStorsteBelop = 99'999'999'999;

// ISO-8859-1 as UTF-8; control characters become '?', so nothing read reaches a terminal or a
// window as a control.
std::string fraLatin1(std::string_view s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0)) {
            out += '?';
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xc0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3f));
        }
    }
    return out;
}

std::string linje(int nr)
{
    return "Linje " + std::to_string(nr) + ": ";
}

// The records of a file, one at a time; a line longer than a record is counted, not kept.
class Poster {
  public:
    explicit Poster(std::istream& in) : buf_(in.rdbuf()) {}
    // The next line without its line end; false at the end of the file.
    bool neste(std::string& post, std::size_t& lengde)
    {
        post.clear();
        lengde = 0;
        if (!buf_)
            return false;
        bool noe = false;
        for (int c; (c = buf_->sbumpc()) != std::char_traits<char>::eof();) {
            noe = true;
            if (c == '\n')
                break;
            if (lengde++ <= kPostlengde)
                post += static_cast<char>(c);
        }
        if (!noe)
            return false;
        if (!post.empty() && post.back() == '\r' && lengde <= kPostlengde + 1) {
            post.pop_back();
            --lengde;
        }
        return true;
    }

  private:
    std::streambuf* buf_;
};

// The positions of a field, from 1, both included.
struct Felt {
    int fra, til;
    const char* navn;
};

std::string_view del(const std::string& post, Felt f)
{
    return std::string_view(post).substr(f.fra - 1, f.til - f.fra + 1);
}

bool sifre(std::string_view s)
{
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return !s.empty();
}

int64_t tall(std::string_view s)
{
    int64_t n = 0;
    for (char c : s)
        n = n * 10 + (c - '0');
    return n;
}

// Payments 10-17, 19 and 21; reversals 18 and 20.
bool kjentType(int t)
{
    return t >= 10 && t <= 21;
}
bool reversering(int t)
{
    return t == 18 || t == 20;
}

// What is checked of the file as it is read.
class Kontroll {
  public:
    Kontroll(std::string konto, int32_t idag) : konto_(std::move(konto)), idag_(idag) {}

    // The record on line `nr`; false with the reason in feil.
    bool post(int nr, const std::string& p, std::size_t lengde);
    // After the last line.
    bool slutt(int sisteLinje);

    std::vector<OcrBetaling> betalinger;
    std::string feil;

  private:
    bool galt(int nr, const std::string& hva)
    {
        feil = linje(nr) + hva;
        return false;
    }
    bool sifferfelt(int nr, const std::string& p, std::initializer_list<Felt> felt)
    {
        for (const Felt& f : felt)
            if (!sifre(del(p, f)))
                return galt(nr, std::string(f.navn) + " (tegn " + std::to_string(f.fra) + "–" +
                                    std::to_string(f.til) + ") skal bare ha sifre, ikke «" +
                                    fraLatin1(del(p, f)) + "»");
        return true;
    }
    bool dato(int nr, std::string_view ddmmaa, int32_t& ut);
    bool start(int nr, const std::string& p);
    bool oppdrag(int nr, const std::string& p);
    bool belop1(int nr, const std::string& p);
    // The amount post's second or third record (`post` 2 or 3).
    bool folgepost(int nr, const std::string& p, int post);
    bool sluttOppdrag(int nr, const std::string& p);
    bool sluttForsendelse(int nr, const std::string& p);
    bool summer(int nr, const std::string& p, const char* post, long transaksjoner, long poster,
                int64_t brutto, int64_t netto);

    std::string konto_;
    int32_t idag_;
    enum class Steg {
        Start,
        Forsendelse,
        Oppdrag,
        Belop1,
        Belop2,
        Belop3,
        Ferdig
    } steg_ = Steg::Start;
    std::string avtale_, oppdragsnr_, transaksjon_;
    // Totals of the amounts as written, and with their signs.
    long oppdragTransaksjoner_ = 0, oppdragPoster_ = 0;
    int64_t oppdragBrutto_ = 0, oppdragNetto_ = 0;
    long transaksjoner_ = 0, poster_ = 0;
    int64_t brutto_ = 0, netto_ = 0;
};

bool Kontroll::post(int nr, const std::string& p, std::size_t lengde)
{
    if (steg_ == Steg::Ferdig) {
        // A line end or an end-of-file mark after the last record is no record.
        if (lengde == 0 || (lengde == 1 && p[0] == '\x1a'))
            return true;
        return galt(nr, "poster etter sluttposten for forsendelsen (89)");
    }
    if (lengde != kPostlengde)
        return galt(nr, "posten har " + std::to_string(lengde) + " tegn, skal ha 80");
    if (p.compare(0, 2, "NY") != 0)
        return galt(nr, "posten begynner ikke med NY");
    if (!sifferfelt(nr, p,
                    {{3, 4, "tjenestekoden"}, {5, 6, "transaksjonstypen"}, {7, 8, "posttypen"}}))
        return false;
    ++poster_;
    const std::string_view type = del(p, {7, 8, ""});
    if (steg_ == Steg::Start && type != "10")
        return galt(nr, "filen begynner ikke med startposten for forsendelsen (10)");
    // A payment's records follow each other; the assignment's end comes after its last.
    if (steg_ == Steg::Belop1 && type != "31")
        return galt(nr, "beløpspost 2 (31) mangler etter beløpspost 1 (30) på linjen foran");
    if (type == "10")
        return steg_ == Steg::Start ? start(nr, p)
                                    : galt(nr, "startposten for forsendelsen (10) midt i filen");
    if (type == "20")
        return oppdrag(nr, p);
    if (type == "30")
        return belop1(nr, p);
    if (type == "31")
        return folgepost(nr, p, 2);
    if (type == "32")
        return folgepost(nr, p, 3);
    if (type == "88")
        return sluttOppdrag(nr, p);
    if (type == "89")
        return sluttForsendelse(nr, p);
    return galt(nr, "ukjent posttype " + std::string(type));
}

bool Kontroll::dato(int nr, std::string_view ddmmaa, int32_t& ut)
{
    const int dag = static_cast<int>(tall(ddmmaa.substr(0, 2)));
    const int maned = static_cast<int>(tall(ddmmaa.substr(2, 2)));
    int ar = 2000 + static_cast<int>(tall(ddmmaa.substr(4, 2)));
    if (maned < 1 || maned > 12 || dag < 1 || dag > date::daysInMonth(ar, maned))
        return galt(nr, "ugyldig oppgjørsdato " + std::string(ddmmaa));
    // Two-digit years: the century that puts the date no more than ten years ahead of today.
    if (date::fromYmd(ar, maned, dag) > idag_ + 3653)
        ar -= 100;
    if (dag > date::daysInMonth(ar, maned)) // 29 February of a year that is no leap year
        return galt(nr, "ugyldig oppgjørsdato " + std::string(ddmmaa));
    ut = date::fromYmd(ar, maned, dag);
    return true;
}

bool Kontroll::start(int nr, const std::string& p)
{
    if (!sifferfelt(
            nr, p,
            {{9, 16, "dataavsender"}, {17, 23, "forsendelsesnummeret"}, {24, 31, "datamottaker"}}))
        return false;
    steg_ = Steg::Forsendelse;
    return true;
}

bool Kontroll::oppdrag(int nr, const std::string& p)
{
    if (steg_ != Steg::Forsendelse)
        return galt(nr, "startposten for et oppdrag (20) før forrige oppdrag er avsluttet (88)");
    if (del(p, {3, 4, ""}) != "09")
        return galt(nr,
                    "tjenestekode " + std::string(del(p, {3, 4, ""})) + " er ikke OCR giro (09)");
    if (!sifferfelt(
            nr, p,
            {{9, 17, "avtale-ID"}, {18, 24, "oppdragsnummeret"}, {25, 35, "oppdragskontoen"}}))
        return false;
    const std::string_view konto = del(p, {25, 35, ""});
    if (!konto_.empty() && konto != konto_)
        return galt(nr, "oppdraget gjelder konto " + std::string(konto) +
                            ", ikke kontonummeret i parameterne (" + konto_ +
                            "). Filen hører til en annen konto");
    avtale_ = del(p, {9, 17, ""});
    oppdragsnr_ = del(p, {18, 24, ""});
    oppdragTransaksjoner_ = 0;
    oppdragPoster_ = 1;
    oppdragBrutto_ = oppdragNetto_ = 0;
    steg_ = Steg::Oppdrag;
    return true;
}

bool Kontroll::belop1(int nr, const std::string& p)
{
    if (steg_ == Steg::Forsendelse)
        return galt(nr, "beløpspost 1 (30) utenfor et oppdrag");
    if (del(p, {3, 4, ""}) != "09")
        return galt(nr,
                    "tjenestekode " + std::string(del(p, {3, 4, ""})) + " er ikke OCR giro (09)");
    if (!sifferfelt(nr, p,
                    {{9, 15, "transaksjonsnummeret"},
                     {16, 21, "oppgjørsdatoen"},
                     {22, 23, "sentral-ID"},
                     {24, 25, "dagkoden"},
                     {26, 26, "delavregningsnummeret"},
                     {27, 31, "løpenummeret"},
                     {33, 49, "beløpet"}}))
        return false;
    const int type = static_cast<int>(tall(del(p, {5, 6, ""})));
    if (!kjentType(type))
        return galt(nr, "ukjent transaksjonstype " + std::string(del(p, {5, 6, ""})));
    const char fortegn = p[31];
    if (fortegn != '0' && fortegn != ' ' && fortegn != '-')
        return galt(nr, "fortegnet (tegn 32) skal være 0 eller -, ikke «" +
                            fraLatin1(std::string_view(&p[31], 1)) + "»");
    const int64_t ore = tall(del(p, {33, 49, ""}));
    if (ore > kStorsteBelop)
        return galt(nr, "beløpet " + ocrBelop(Decimal::fromCents(ore)) + " er for stort");
    OcrBetaling b;
    b.linje = nr;
    if (!dato(nr, del(p, {16, 21, ""}), b.oppgjorsdato))
        return false;
    transaksjon_ = del(p, {9, 15, ""});
    b.referanse = avtale_ + "-" + oppdragsnr_ + "-" + transaksjon_ + "-" +
                  std::string(del(p, {16, 21, ""})) + "-" + std::string(del(p, {27, 31, ""}));
    b.kid = fraLatin1(text::trim(del(p, {50, 74, ""})));
    b.transaksjonstype = type;
    b.tilbakeforing = reversering(type);
    const int64_t signert = fortegn == '-' ? -ore : ore;
    b.belop = Decimal::fromCents(signert);
    betalinger.push_back(std::move(b));
    ++oppdragTransaksjoner_;
    ++oppdragPoster_;
    oppdragBrutto_ += ore;
    oppdragNetto_ += signert;
    steg_ = Steg::Belop1;
    return true;
}

bool Kontroll::folgepost(int nr, const std::string& p, int post)
{
    // Post 2 (31) follows post 1, post 3 (32) follows post 2; both name post 1's transaction.
    const Steg foran = post == 2 ? Steg::Belop1 : Steg::Belop2;
    const std::string n = std::to_string(post);
    if (steg_ != foran)
        return galt(nr, "beløpspost " + n + " (3" + std::to_string(post - 1) +
                            ") uten beløpspost " + std::to_string(post - 1) + " (3" +
                            std::to_string(post - 2) + ") foran");
    if (!sifferfelt(nr, p, {{9, 15, "transaksjonsnummeret"}}))
        return false;
    if (del(p, {9, 15, ""}) != transaksjon_)
        return galt(nr, "beløpspost " + n + " har transaksjonsnummer " +
                            std::string(del(p, {9, 15, ""})) + ", beløpspost 1 foran har " +
                            transaksjon_);
    ++oppdragPoster_;
    steg_ = post == 2 ? Steg::Belop2 : Steg::Belop3;
    return true;
}

bool Kontroll::summer(int nr, const std::string& p, const char* post, long transaksjoner,
                      long poster, int64_t brutto, int64_t netto)
{
    if (!sifferfelt(
            nr, p,
            {{9, 16, "antall transaksjoner"}, {17, 24, "antall poster"}, {25, 41, "totalbeløpet"}}))
        return false;
    const auto sier = [&](const std::string& hva, const std::string& fil) {
        return galt(nr, std::string(post) + " sier " + hva + ", men " + fil);
    };
    const auto antall = [](int64_t n, const char* en, const char* flere) {
        return std::to_string(n) + " " + (n == 1 ? en : flere);
    };
    if (tall(del(p, {9, 16, ""})) != transaksjoner)
        return sier(antall(tall(del(p, {9, 16, ""})), "transaksjon", "transaksjoner"),
                    "det er " + std::to_string(transaksjoner));
    if (tall(del(p, {17, 24, ""})) != poster)
        return sier(antall(tall(del(p, {17, 24, ""})), "post", "poster"),
                    "det er " + std::to_string(poster));
    // The total has no sign of its own, and banks differ in whether reversals are subtracted:
    // the amounts summed as written or with their signs both do.
    const int64_t totalt = tall(del(p, {25, 41, ""}));
    if (totalt != brutto && totalt != netto)
        return sier("totalbeløp " + ocrBelop(Decimal::fromCents(totalt)),
                    "beløpene blir " + ocrBelop(Decimal::fromCents(brutto)) +
                        (netto == brutto
                             ? std::string()
                             : " (" + ocrBelop(Decimal::fromCents(netto)) + " med fortegn)"));
    return true;
}

bool Kontroll::sluttOppdrag(int nr, const std::string& p)
{
    if (steg_ == Steg::Forsendelse)
        return galt(nr, "sluttposten for et oppdrag (88) uten oppdrag");
    if (del(p, {3, 4, ""}) != "09")
        return galt(nr,
                    "tjenestekode " + std::string(del(p, {3, 4, ""})) + " er ikke OCR giro (09)");
    ++oppdragPoster_;
    if (!summer(nr, p, "sluttposten for oppdraget", oppdragTransaksjoner_, oppdragPoster_,
                oppdragBrutto_, oppdragNetto_))
        return false;
    transaksjoner_ += oppdragTransaksjoner_;
    brutto_ += oppdragBrutto_;
    netto_ += oppdragNetto_;
    steg_ = Steg::Forsendelse;
    return true;
}

bool Kontroll::sluttForsendelse(int nr, const std::string& p)
{
    if (steg_ != Steg::Forsendelse)
        return galt(nr, "sluttposten for forsendelsen (89) før oppdraget er avsluttet (88)");
    if (!summer(nr, p, "sluttposten for forsendelsen", transaksjoner_, poster_, brutto_, netto_))
        return false;
    steg_ = Steg::Ferdig;
    return true;
}

bool Kontroll::slutt(int sisteLinje)
{
    if (steg_ == Steg::Start)
        return galt(1, "filen er tom");
    if (steg_ != Steg::Ferdig)
        return galt(sisteLinje + 1, "filen slutter uten sluttposten for forsendelsen (89)");
    return true;
}

} // namespace

OcrFil lesOcrFil(std::istream& in, const std::string& konto, int32_t idag)
{
    OcrFil fil;
    Kontroll k(konto, idag);
    Poster poster(in);
    std::string p;
    std::size_t lengde = 0;
    int nr = 0;
    bool ok = true;
    while (ok && poster.neste(p, lengde))
        ok = k.post(++nr, p, lengde);
    if (ok)
        ok = k.slutt(nr);
    if (!ok) {
        fil.feil = k.feil;
        return fil;
    }
    fil.betalinger = std::move(k.betalinger);
    return fil;
}

std::optional<int32_t> fakturaFraKid(const std::string& kid)
{
    if (kid.size() < 2 || !sifre(kid))
        return std::nullopt;
    std::string_view nummer(kid);
    nummer.remove_suffix(1);
    // Leading zeros weigh nothing in the check digit: without them the number is short enough
    // for MOD10, which looks at 20 digits.
    while (!nummer.empty() && nummer.front() == '0')
        nummer.remove_prefix(1);
    if (nummer.empty() || nummer.size() > 10 || tall(nummer) > INT32_MAX)
        return std::nullopt;
    if (MOD10(nummer) != std::string(1, kid.back()))
        return std::nullopt;
    return static_cast<int32_t>(tall(nummer));
}

bool trengerOppfolging(const OcrLinje& l)
{
    return l.utfall == OcrUtfall::DelvisBetalt || l.utfall == OcrUtfall::Overbetalt ||
           l.utfall == OcrUtfall::UkjentKid || l.utfall == OcrUtfall::Tilbakefort;
}

std::string ocrBelop(const Decimal& d)
{
    return std::string(text::trim(picture::format("@n-20.`2", d)));
}

std::string utfallTekst(const OcrLinje& l)
{
    switch (l.utfall) {
    case OcrUtfall::Betalt: return "Betalt";
    case OcrUtfall::DelvisBetalt: return "Delvis betalt, gjenstår " + ocrBelop(l.rest);
    case OcrUtfall::Overbetalt: return "Overbetalt med " + ocrBelop(-l.rest);
    case OcrUtfall::UkjentKid: return l.tilbakeforing ? "Tilbakeføring, ukjent KID" : "Ukjent KID";
    case OcrUtfall::Tilbakefort:
        return l.betaltdatoFjernet ? "Tilbakeført, betaltdato fjernet"
                                   : "Tilbakeført, gjenstår " + ocrBelop(l.rest);
    case OcrUtfall::AlleredeLest: return "Allerede lest";
    }
    return {};
}

std::vector<std::pair<std::string, std::string>> oppsummering(const OcrResultat& r)
{
    const auto n = [](long v) { return std::to_string(v); };
    return {{"Innbetalinger lest", n(r.lest)},         {"Koblet til faktura", n(r.koblet)},
            {"Betalt fullt ut", n(r.betalt)},          {"Delvis betalt", n(r.delvis)},
            {"Overbetalt", n(r.overbetalt)},           {"Ukjent KID", n(r.ukjentKid)},
            {"Tilbakeføringer", n(r.tilbakeforinger)}, {"Allerede lest", n(r.alleredeLest)},
            {"Totalt beløp", ocrBelop(r.totalt)}};
}

const std::vector<std::string>& ocrKolonner()
{
    static const std::vector<std::string> k{"KID", "Faktura", "Beløp", "Oppgjørsdato", "Utfall"};
    return k;
}

std::vector<std::string> ocrCeller(const OcrLinje& l)
{
    return {l.kid, l.fakturaId ? std::to_string(l.fakturaId) : std::string(), ocrBelop(l.belop),
            picture::formatDate("@d06.B", l.oppgjorsdato), utfallTekst(l)};
}

// ---------------------------------------------------------------------------------------------

OcrInnlesing::OcrInnlesing(Context& ctx) : idag(date::today()), ctx_(ctx) {}

OcrInnlesing::Utfall OcrInnlesing::lesInn()
{
    ProcedureScope scope(ctx_, "OCRINNBETALINGER");
    resultat_ = {};
    behandlet_ = antall_ = 0;
    const auto avvist = [this](const std::string& tekst) {
        say(ctx_, tekst, "Feil", Icon::Hand);
        return Utfall::Avvist;
    };
    // In archive mode the invoices are the archived ones: a payment would find none of the
    // invoices it pays and be taken as read for good.
    if (GLO::ARKIV_AKTIV)
        return avvist("Innbetalinger kan ikke leses inn i arkivmodus.|Start Tavlo uten arkivmodus "
                      "og les filen inn der.");
    if (text::trim(filnavn).empty())
        return avvist("Velg OCR-filen fra banken først");
    std::error_code ec;
    if (std::filesystem::is_directory(filnavn, ec))
        return avvist("Kan ikke åpne filen " + filnavn + ": " + exchange::fileError(EISDIR));
    std::ifstream in(filnavn, std::ios::binary);
    if (!in)
        return avvist("Kan ikke åpne filen " + filnavn + ": " + exchange::fileError(errno));

    Record par(table(Tbl::PARAM));
    std::string konto;
    if (lesParametre(ctx_, par))
        for (char c : par.get(PAR::KONTONUMMER))
            if (c >= '0' && c <= '9')
                konto += c;
    // An account number that is not one (the parameters not filled in) checks nothing.
    if (konto.size() != 11)
        konto.clear();

    OcrFil fil;
    try {
        fil = lesOcrFil(in, konto, idag);
    } catch (const std::exception&) { // the stream's buffer reports a failed read so
        in.setstate(std::ios::badbit);
    }
    if (in.bad())
        return avvist("Det oppsto feil under lesing av filen " + filnavn + ": " +
                      exchange::fileError(errno));
    if (!fil.ok())
        return avvist(fil.feil + ".|Filen er avvist, og ingenting er lest inn.");
    return bokfor(fil.betalinger);
}

OcrInnlesing::Utfall OcrInnlesing::bokfor(const std::vector<OcrBetaling>& betalinger)
{
    antall_ = static_cast<long>(betalinger.size());
    running_ = true;
    if (progressChanged)
        progressChanged();
    struct Slutt {
        OcrInnlesing& o;
        ~Slutt()
        {
            o.running_ = false;
            if (o.progressChanged)
                o.progressChanged();
        }
    } slutt{*this};

    // The alias: a register's own buffer keeps the invoice it shows.
    FileManager& faka = ctx_.access(Tbl::FAKTURA_ALIAS);
    FileManager& ocr = ctx_.access(Tbl::OCRBETALING);
    if (faka.OPEN() != LEVEL_BENIGN)
        return Utfall::FerdigMedFeil; // the record store has said why
    if (ocr.OPEN() != LEVEL_BENIGN) {
        faka.CLOSE();
        return Utfall::FerdigMedFeil;
    }
    struct Lukk {
        FileManager &a, &b;
        ~Lukk()
        {
            b.CLOSE();
            a.CLOSE();
        }
    } lukk{faka, ocr};
    if (faka.USEFILE() != LEVEL_BENIGN || ocr.USEFILE() != LEVEL_BENIGN)
        return Utfall::FerdigMedFeil;
    StoreError err;
    std::string grunn; // what the record store said, when it was not through err
    const auto stopp = [&](const std::string& tekst) {
        say(ctx_,
            tekst + " - " + (grunn.empty() ? exchange::storeError(err) : grunn) +
                "|Innbetalingene foran er lest inn. Les filen inn på nytt for å ta med resten.",
            "Feil", Icon::Hand);
        return Utfall::FerdigMedFeil;
    };

    // A commit over two files costs several disk syncs: the payments are committed a fifth of a
    // second's worth at a time, each in a savepoint of its own with its invoice.
    std::unique_ptr<Transaction> tx;
    Clock::time_point start;
    std::vector<OcrLinje> ventende;
    const auto fullfor = [&]() {
        if (!tx)
            return true;
        const bool ok = tx->commit(err);
        tx.reset();
        ctx_.dropReadAhead();
        if (ok) {
            for (OcrLinje& l : ventende) {
                OcrResultat& r = resultat_;
                ++r.lest;
                if (l.utfall != OcrUtfall::AlleredeLest)
                    r.totalt += l.belop;
                switch (l.utfall) {
                case OcrUtfall::Betalt: ++r.betalt; break;
                case OcrUtfall::DelvisBetalt: ++r.delvis; break;
                case OcrUtfall::Overbetalt: ++r.overbetalt; break;
                case OcrUtfall::UkjentKid: ++r.ukjentKid; break;
                case OcrUtfall::Tilbakefort: break;
                case OcrUtfall::AlleredeLest: ++r.alleredeLest; break;
                }
                if (l.fakturaId && l.utfall != OcrUtfall::AlleredeLest)
                    ++r.koblet;
                if (l.tilbakeforing && l.utfall != OcrUtfall::AlleredeLest)
                    ++r.tilbakeforinger;
                r.linjer.push_back(std::move(l));
            }
            behandlet_ = static_cast<long>(resultat_.linjer.size());
        }
        ventende.clear();
        // Only now may other windows run: they would otherwise wait for this run's lock.
        if (progressChanged)
            progressChanged();
        return ok;
    };

    const TableDecl& ocrDecl = table(Tbl::OCRBETALING);
    Record rad(ocrDecl);
    for (const OcrBetaling& b : betalinger) {
        const std::string ved =
            "Det oppsto feil under lagring av innbetalingen på linje " + std::to_string(b.linje);
        if (!tx) {
            tx = std::make_unique<Transaction>(ctx_);
            start = Clock::now();
            if (!tx->enlist(ocr, err) || !tx->enlist(faka, err) || !tx->begin(err)) {
                tx.reset();
                return stopp(ved);
            }
        }
        TableFile* fil = ocr.file();
        if (!fil->begin(err)) {
            tx.reset(); // the group's state is unknown: none of it is kept
            ventende.clear();
            return stopp(ved);
        }
        // This payment's savepoint is taken back (a release that failed has done so itself);
        // the group before it is kept.
        const auto angre = [&](bool apen = true) {
            if (apen)
                fil->rollback();
            const StoreError feilen = err;
            const bool ok = fullfor();
            if (ok)
                err = feilen;
            else
                grunn.clear();
            return stopp(ok ? ved : "Det oppsto feil under lagring av innbetalingene");
        };

        OcrLinje l;
        l.linje = b.linje;
        l.kid = b.kid;
        l.oppgjorsdato = b.oppgjorsdato;
        l.tilbakeforing = b.tilbakeforing;
        // What it does to its invoice: a reversal takes back, whatever sign the bank gave it.
        l.belop = b.tilbakeforing && b.belop > Decimal() ? -b.belop : b.belop;

        // The invoice, read and written in the payment's savepoint.
        bool funnet = false;
        if (const auto id = fakturaFraKid(b.kid)) {
            faka.rec().clear();
            faka.rec().set(FAKA::FAKTURAID, *id);
            funnet = faka.TRYFETCH(FAKA::KeyFakturaId) == LEVEL_BENIGN;
            if (funnet)
                l.fakturaId = *id;
        }

        rad.clear();
        rad.set(OCR::REFERANSE, b.referanse);
        rad.set(OCR::KID, text::truncate(b.kid, 25));
        rad.set(OCR::FAKTURAID, l.fakturaId);
        rad.set(OCR::BELOP, l.belop);
        rad.set(OCR::OPPGJORSDATO, b.oppgjorsdato);
        rad.set(OCR::TRANSAKSJONSTYPE, b.transaksjonstype);
        rad.set(OCR::LESTDATO, idag);
        RowRef ref;
        if (!fil->insert(rad, ref, err)) {
            if (err.status != StoreStatus::DUPLICATE)
                return angre();
            // Read before: its invoice has it already.
            fil->rollback();
            l.fakturaId = 0;
            l.utfall = OcrUtfall::AlleredeLest;
            ventende.push_back(std::move(l));
        } else {
            if (!funnet) {
                l.utfall = OcrUtfall::UkjentKid;
            } else {
                Decimal innbetalt;
                if (!innbetaltPaFaktura(*fil, l.fakturaId, innbetalt, err))
                    return angre();
                Record& f = faka.rec();
                const Decimal skyldig = f.get(FAKA::TOTALSUM);
                const Decimal forut = innbetalt - l.belop;
                const bool betaltNa = innbetalt >= skyldig;
                l.rest = skyldig - innbetalt;
                bool skriv = false;
                if (betaltNa && f.get(FAKA::BETALTDATO) == 0 && !l.tilbakeforing &&
                    l.belop > Decimal()) {
                    // The payment that completed it gives the date.
                    f.set(FAKA::BETALTDATO, b.oppgjorsdato);
                    l.betaltdatoSatt = skriv = true;
                } else if (!betaltNa && forut >= skyldig && f.get(FAKA::BETALTDATO) != 0) {
                    // No longer paid in full: it was the payments that paid it.
                    f.set(FAKA::BETALTDATO, 0);
                    l.betaltdatoFjernet = skriv = true;
                }
                l.utfall = l.tilbakeforing       ? OcrUtfall::Tilbakefort
                           : innbetalt > skyldig ? OcrUtfall::Overbetalt
                           : betaltNa            ? OcrUtfall::Betalt
                                                 : OcrUtfall::DelvisBetalt;
                if (skriv && faka.TRYUPDATE() != LEVEL_BENIGN) {
                    grunn = exchange::storeError(ctx_);
                    return angre();
                }
            }
            if (!fil->commit(err))
                return angre(false);
            ventende.push_back(std::move(l));
        }
        if (Clock::now() - start > std::chrono::milliseconds(200) && !fullfor())
            return stopp("Det oppsto feil under lagring av innbetalingene");
    }
    if (!fullfor())
        return stopp("Det oppsto feil under lagring av innbetalingene");
    return Utfall::Lest;
}

} // namespace tavlo
