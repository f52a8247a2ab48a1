#include "converter/omlegging.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unordered_set>

#include "converter/versjon3.h"
#include "data/context.h"
#include "data/datafolder.h"
#include "data/exchange.h"
#include "data/globals.h"
#include "data/store.h"
#include "framework/date.h"
#include "framework/picture.h"
#include "framework/text.h"
#include "framework/transaction.h"

namespace fs = std::filesystem;

namespace tavlo::omlegg {
namespace {

constexpr const char* kKodefil = "KODNY40.TXT";
constexpr int kSide = 500; // records read at a time

std::string feiltekst(const StoreError& e)
{
    return std::to_string(e.code) + " - " + e.text;
}

// Renames without ever replacing what is at `to`: an original kept there is worth more than
// any run. File systems that cannot refuse a rename by themselves are asked first.
bool flyttUtenOverskriving(const std::string& fra, const std::string& til)
{
    if (::renameat2(AT_FDCWD, fra.c_str(), AT_FDCWD, til.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    std::error_code ec;
    if (fs::exists(til, ec) || ec) {
        errno = EEXIST;
        return false;
    }
    return std::rename(fra.c_str(), til.c_str()) == 0;
}

// A rename is on disk only when its folder is.
void syncMappe(const std::string& mappe)
{
    int fd = ::open(mappe.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

std::string naa()
{
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d.%m.%Y %H:%M:%S", &tm);
    return buf;
}

// Where each field of this version's record comes from in the version 3 record: its number
// there, or -1 for a field this version added.
std::vector<int> feltKart(const TableDecl& v4, const TableDecl& v3)
{
    std::vector<int> kart;
    for (const auto& f : v4.fields)
        kart.push_back(v3.fieldNo(f.column));
    return kart;
}

std::vector<int> memoKart(const TableDecl& v4, const TableDecl& v3)
{
    std::vector<int> kart;
    for (const auto& m : v4.memos)
        kart.push_back(v3.memoNo(m.column));
    return kart;
}

std::string utenAvsluttendeBlanke(const std::string& s)
{
    auto end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

} // namespace

Omlegging::Omlegging(Context& ctx, std::string mappe) : ctx_(ctx), mappe_(std::move(mappe))
{
    steg_ = {
        {Tbl::PARAM, "PARAM", "Det oppsto feil under konvertering av Parametere"},
        {Tbl::KUNDE, "KUNDE", "Det oppsto feil under konvertering av Kunder"},
        {Tbl::PRODUKT, "PRODUKT", "Det oppsto feil under konvertering av Produkter"},
        {Tbl::GRUNNLAG, "GRUNNLAG", "Det oppsto feil under konvertering av Grunnlag"},
        {Tbl::FAKTURA, "FAKTURA", "Det oppsto feil under konvertering av Fakturaer"},
        {Tbl::FAKLINJE, "FAKLINJE", "Det oppsto feil under konvertering av Fakturalinjer"},
        {Tbl::FAKTURA, "BAKTURA", "Det oppsto feil under konvertering av Fakturaer (Arkiv)"},
        {Tbl::FAKLINJE, "BAKLINJE", "Det oppsto feil under konvertering av Fakturalinjer (Arkiv)"},
    };
}

int32_t Omlegging::nyMvaSats(int32_t sats)
{
    switch (sats) {
    case 6: return 7;
    case 12: return 11;
    case 24: return 25;
    default: return sats;
    }
}

std::string Omlegging::sti(const std::string& fil) const
{
    return (fs::path(mappe_) / fil).string();
}

void Omlegging::feil(const std::string& tekst)
{
    say(ctx_, tekst, "Feil", Icon::Hand);
}

void Omlegging::logg(const std::string& linje)
{
    std::ofstream ut(sti(kLogg), std::ios::app);
    ut << naa() << "  " << linje << '\n';
}

void Omlegging::fremdrift(bool alltid)
{
    // About a hundred redraws a table: often enough to see it move, seldom enough to cost
    // nothing.
    long steg = antall > 100 ? antall / 100 : 1;
    if (!alltid && teller - sistVist_ < steg)
        return;
    sistVist_ = teller;
    if (progressChanged)
        progressChanged();
}

std::vector<std::string> Omlegging::tidligereKonvertert() const
{
    std::vector<std::string> navn;
    for (const auto& s : steg_)
        if (s.tilstand == Tilstand::Konvertert)
            navn.push_back(s.navn);
    return navn;
}

bool Omlegging::KONVERTER(bool sikkerhetskopiTatt)
{
    if (!sikkerhetskopiTatt) {
        say(ctx_, "Du må ta en sikkerhetskopi før du konverterer", "Advarsel", Icon::Exclamation);
        return false;
    }
    // A folder that cannot be converted is said before the question, which would be for
    // nothing.
    if (!kartlegg()) {
        feil(hindring_);
        return false;
    }
    unsigned svar = say(ctx_,
                        "Det er endring i merverdigavgiften fra 1. januar 2005||Vil du at dette "
                        "konverteringsprogrammet skal konvertere MVA sats i Produktregisteret og "
                        "i Parameterbildet?",
                        "Advarsel", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO);
    mva_ = svar == BUTTON_YES;
    return kjor();
}

bool Omlegging::konverter(bool konverterMva)
{
    if (!kartlegg()) {
        feil(hindring_);
        return false;
    }
    mva_ = konverterMva;
    return kjor();
}

bool Omlegging::kartlegg()
{
    hindring_.clear();
    resultater_.clear();
    std::error_code ec;
    if (!fs::is_directory(mappe_, ec)) {
        hindring_ = "Mappen " + mappe_ + " finnes ikke.";
        return false;
    }
    if (::access(mappe_.c_str(), W_OK) != 0) {
        hindring_ = "Kan ikke skrive i mappen " + mappe_ +
                    ". Konverteringen må kunne lage og gi nytt navn til filer der.";
        return false;
    }

    const std::string eier(GLO::kOwnerPassword);
    uintmax_t plass = 0;
    bool arbeid = false, noeKonvertert = false;
    for (auto& s : steg_) {
        s.poster = 0;
        const TableDecl& v4 = table(s.tabell);
        const TableDecl& v3 = versjon3(s.tabell);
        const std::string tps = s.navn + ".TPS", gammel = s.navn + ".300";

        // 3 or 4 for a file of the table, 0 when missing; false with the reason when neither.
        auto utgave = [&](const std::string& fil, int& versjon) {
            versjon = 0;
            FileIdentity id;
            StoreError err;
            if (TableFile::identify(sti(fil), id, err)) {
                if (id.table != v4.name) {
                    hindring_ = fil + " holder tabellen " + id.table + ", ikke " + v4.name + ".";
                    return false;
                }
                if (id.layout == recordLayout(v3))
                    versjon = 3;
                else if (id.layout.empty() || id.layout == recordLayout(v4))
                    versjon = 4;
                else {
                    hindring_ = fil + " har poster som verken er av versjon 3 eller 4.";
                    return false;
                }
                return true;
            }
            if (err.status == StoreStatus::NOT_FOUND)
                return true;
            if (err.status == StoreStatus::LOCKED)
                hindring_ = fil + " er i bruk av et annet program. Avslutt det og prøv igjen.";
            else
                hindring_ = fil + " er skadet eller ingen tabell fra Tavlo (" + feiltekst(err) +
                            (err.driverText.empty() ? "" : ": " + err.driverText) + ").";
            return false;
        };
        int t = 0, o = 0;
        if (!utgave(tps, t))
            return false;
        if (t == 3 && fs::exists(sti(gammel), ec)) {
            hindring_ = gammel + " finnes allerede ved siden av " + tps +
                        " av versjon 3. Den kan være originalen fra en tidligere konvertering "
                        "og blir aldri skrevet over: flytt den til en annen mappe og prøv igjen.";
            return false;
        }
        // Beside a table of this version, NAME.300 is only looked at, never needed.
        if (t == 0 && !utgave(gammel, o))
            return false;
        if (t == 4 && !utgave(gammel, o)) {
            o = -1;
            hindring_.clear();
        }
        if (t == 0 && o == 4) {
            hindring_ = tps + " mangler, og " + gammel + " er ingen tabell av versjon 3.";
            return false;
        }
        s.tilstand = t == 3   ? Tilstand::Versjon3
                     : t == 4 ? (o == 3 ? Tilstand::Konvertert : Tilstand::Versjon4)
                     : o == 3 ? Tilstand::Avbrutt
                              : Tilstand::Mangler;
        if (s.tilstand == Tilstand::Konvertert)
            noeKonvertert = true;
        if (s.tilstand != Tilstand::Versjon3 && s.tilstand != Tilstand::Avbrutt)
            continue;
        arbeid = true;

        // The original must read whole, and nobody may be writing it.
        const std::string kilde = sti(s.tilstand == Tilstand::Versjon3 ? tps : gammel);
        const std::string kildenavn = fs::path(kilde).filename().string();
        StoreError err;
        auto fil = TableFile::open(kilde, v3, TableFile::Mode::READ_WRITE, false, eier, err);
        if (fil && !fil->probeWrite(0, err))
            fil.reset();
        std::vector<Row> forste;
        if (fil && fil->verify(err) &&
            fil->page(v3.primaryKey(), Bound{}, true, 1, forste, err, true))
            s.poster = fil->count(err);
        if (!fil || err.status != StoreStatus::OK) {
            if (err.status == StoreStatus::LOCKED)
                hindring_ =
                    kildenavn + " er i bruk av et annet program. Avslutt det og prøv igjen.";
            else if (err.status == StoreStatus::READ_ONLY)
                hindring_ = kildenavn + " er skrivebeskyttet. Konverteringen må kunne låse den.";
            else
                hindring_ = kildenavn + " er skadet og kan ikke leses (" + feiltekst(err) +
                            (err.driverText.empty() ? "" : ": " + err.driverText) +
                            "). Hent den fra sikkerhetskopien og prøv igjen.";
            return false;
        }
        plass += fs::file_size(kilde, ec);
    }

    if (steg_.front().tilstand == Tilstand::Mangler) {
        hindring_ = "Mappen " + mappe_ + " er ingen datamappe av versjon 3: PARAM.TPS mangler.";
        return false;
    }
    if (!arbeid) {
        bool ferdig = false;
        std::ifstream inn(sti(kLogg));
        for (std::string linje; std::getline(inn, linje);)
            ferdig = ferdig || linje.find(kFerdig) != std::string::npos;
        if (ferdig || !noeKonvertert) {
            hindring_ = ferdig ? "Datamappen " + mappe_ + " er allerede konvertert til versjon 4."
                               : "Datamappen " + mappe_ +
                                     " er allerede av versjon 4. Det er ingenting å konvertere.";
            return false;
        }
        // An earlier run converted every table and stopped before the code sets: go on.
    }

    // The codes: the folder's own file, else the one that comes with the program. Read whole
    // now, so that a damaged line never stops a run halfway.
    kodefil_ = sti(kKodefil);
    if (!fs::is_regular_file(kodefil_, ec))
        kodefil_ = standardCodeFile();
    LineReader inn(kodefil_);
    if (!fs::is_regular_file(kodefil_, ec) || !inn.isOpen()) {
        hindring_ = "Finner ikke kodefilen " + std::string(kKodefil) + " i " + mappe_ +
                    " eller ved programmet.";
        return false;
    }
    Record kod(table(Tbl::KODEVERK));
    std::string linje, problem;
    inn.next(linje);
    for (long nr = 2; inn.next(linje); ++nr)
        if (!codeline::parse(linje, kod, &problem)) {
            hindring_ = kodefil_ + " er skadet på linje " + std::to_string(nr) + ": " + problem;
            return false;
        }

    // Each table is whole twice for a moment: the original and its copy.
    struct statvfs fsinfo {};
    if (::statvfs(mappe_.c_str(), &fsinfo) == 0) {
        uintmax_t ledig = static_cast<uintmax_t>(fsinfo.f_bavail) * fsinfo.f_frsize;
        uintmax_t trengs = plass + plass / 5 + (1u << 20);
        if (ledig < trengs) {
            hindring_ = "Det er for lite ledig plass i " + mappe_ + ": konverteringen trenger om " +
                        "lag " + std::to_string(trengs / (1u << 20) + 1) + " MB, og " +
                        std::to_string(ledig / (1u << 20)) + " MB er ledig.";
            return false;
        }
    }
    return true;
}

bool Omlegging::kjor()
{
    setDataFolder(mappe_);
    underveis = true;
    bool ok = kjorSteg();
    underveis = false;
    fremdrift(true);
    if (!ok) {
        feil(stoppet_);
        logg("Stoppet: " + stoppet_);
        std::string ferdige;
        for (const auto& s : steg_) {
            bool gjort = s.tilstand == Tilstand::Konvertert;
            for (const auto& r : resultater_)
                gjort = gjort || (r.navn == s.navn && !r.hoppetOver && !r.laget);
            if (gjort)
                ferdige += (ferdige.empty() ? "" : ", ") + s.navn;
        }
        if (!ferdige.empty())
            say(ctx_,
                "Disse tabellene er konvertert: " + ferdige +
                    ".|Originalene ligger som NAVN.300. Start konverteringen på nytt når feilen "
                    "er rettet, så fortsetter den med resten.",
                "Info", Icon::Information);
        return false;
    }
    logg(kFerdig);
    say(ctx_, kFerdig, "Info", Icon::Information);
    return true;
}

bool Omlegging::kjorSteg()
{
    logg(std::string("Konvertering startet") + (mva_ ? ", med nye MVA-satser" : ""));
    for (const auto& navn : tidligereKonvertert())
        logg(navn + " var konvertert av en tidligere kjøring");
    for (const auto& s : steg_) {
        stoppet_ = s.feilmelding;
        if (!tabell(s) || (s.navn == "KUNDE" && !lagTomme({Tbl::KONTAKT})))
            return false;
    }
    stoppet_ = "Det oppsto feil under opprettelse av nye tabeller";
    if (!lagTomme({Tbl::PROSJEKT, Tbl::PRJLINJE}))
        return false;
    stoppet_ = "Det oppsto feil under import av kodeverk";
    return kodeverk();
}

bool Omlegging::lagTomme(const std::vector<Tbl>& tabeller)
{
    progressTekst = "Oppretter nye tabeller";
    tellerTekst.clear();
    teller = antall = 0;
    fremdrift(true);
    for (Tbl t : tabeller) {
        const TableDecl& d = table(t);
        std::error_code ec;
        if (fs::exists(sti(d.fileName), ec))
            continue; // kept as it is, records and all
        StoreError err;
        if (!TableFile::open(sti(d.fileName), d, TableFile::Mode::READ_WRITE, true,
                             GLO::kOwnerPassword, err)) {
            feil("Det oppsto feil under opprettelse av ny fil: " + d.name + " " + feiltekst(err));
            return false;
        }
        logg(d.name + " laget");
    }
    return true;
}

bool Omlegging::tabell(const Tabellsteg& s)
{
    Resultat r;
    r.navn = s.navn;
    const TableDecl& v4 = table(s.tabell);
    const TableDecl& v3 = versjon3(s.tabell);
    const std::string tps = sti(s.navn + ".TPS"), gammel = sti(s.navn + ".300"),
                      ny = sti(s.navn + ".400");
    const std::string eier(GLO::kOwnerPassword);
    StoreError err;

    if (s.tilstand == Tilstand::Konvertert || s.tilstand == Tilstand::Versjon4) {
        r.hoppetOver = true;
        resultater_.push_back(r);
        return true;
    }
    if (s.tilstand == Tilstand::Mangler) {
        // Nothing to convert: the table starts empty, as every missing table does.
        if (!TableFile::open(tps, v4, TableFile::Mode::READ_WRITE, true, eier, err)) {
            feil("Det oppsto feil under opprettelse av ny fil: " + s.navn + " - " + feiltekst(err));
            return false;
        }
        r.laget = true;
        resultater_.push_back(r);
        logg(s.navn + " fantes ikke og er laget tom");
        return true;
    }

    progressTekst = "Konverterer tabell " + s.navn;
    tellerTekst = "Konverterer post #:";
    teller = 0;
    antall = s.poster;
    sistVist_ = -1;
    fremdrift(true);

    const std::string kilde = s.tilstand == Tilstand::Versjon3 ? tps : gammel;
    // Holding a write transaction on the original keeps everybody else from writing it.
    auto gml = TableFile::open(kilde, v3, TableFile::Mode::READ_WRITE, false, eier, err);
    if (!gml || !gml->begin(err)) {
        feil("Det oppsto feil under åpning av gammel fil: " + s.navn + " - " + feiltekst(err));
        return false;
    }
    std::error_code ec;
    fs::remove(ny, ec); // what a stopped run left half made
    std::unique_ptr<TableFile> nyfil =
        TableFile::open(ny, v4, TableFile::Mode::READ_WRITE, true, eier, err);
    if (!nyfil) {
        feil("Det oppsto feil under opprettelse av ny fil: " + s.navn + " - " + feiltekst(err));
        return false;
    }
    auto forkast = [&] {
        nyfil.reset();
        fs::remove(ny, ec);
        fs::remove(ny + "-journal", ec);
        return false;
    };
    if (!nyfil->begin(err)) {
        feil("Det oppsto feil under åpning av ny fil: " + s.navn + " - " + feiltekst(err));
        return forkast();
    }

    // The invoice lines: each line's invoice is looked for in the invoice table of its pair,
    // converted in the step before.
    const bool linjer = s.tabell == Tbl::FAKLINJE;
    std::unordered_set<int64_t> fakturaer;
    if (linjer) {
        const std::string fakturanavn = s.navn == "FAKLINJE" ? "FAKTURA" : "BAKTURA";
        const TableDecl& fak = table(Tbl::FAKTURA);
        auto f = TableFile::open(sti(fakturanavn + ".TPS"), fak, TableFile::Mode::READ_ONLY, false,
                                 eier, err);
        std::vector<int64_t> nr;
        if (!f || !f->numbers(fak.primaryKey(), FAK::FAKTURAID.no, nr, err)) {
            feil("Det oppsto feil under åpning av " + fakturanavn + " - " + feiltekst(err));
            return forkast();
        }
        fakturaer.insert(nr.begin(), nr.end());
    }

    const std::vector<int> felt = feltKart(v4, v3), memo = memoKart(v4, v3);
    Record ut(v4);
    std::vector<Row> side;
    Row sist{RowRef{}, Record(v3)};
    bool forst = true;
    for (;;) {
        side.clear();
        Bound fra;
        if (!forst)
            fra = Bound{Bound::AFTER, &sist.rec, sist.ref.rowid};
        if (!gml->page(v3.primaryKey(), fra, true, kSide, side, err, true)) {
            feil("Feil: " + s.navn + " - " + feiltekst(err) + " - " + err.driverText);
            return forkast();
        }
        if (side.empty())
            break;
        for (const Row& inn : side) {
            ut.clear();
            for (std::size_t i = 0; i < felt.size(); ++i) {
                if (felt[i] < 0)
                    continue;
                if (v4.fields[i].type == FieldType::TEXT)
                    ut.setStr(static_cast<int>(i), inn.rec.str(felt[i]));
                else
                    ut.setNum(static_cast<int>(i), inn.rec.num(felt[i]));
            }
            for (std::size_t m = 0; m < memo.size(); ++m)
                if (memo[m] >= 0)
                    ut.setMemo(static_cast<int>(m), utenAvsluttendeBlanke(inn.rec.memo(memo[m])));
            switch (s.tabell) {
            case Tbl::PRODUKT:
                if (mva_)
                    ut.set(PRO::MVASATS, nyMvaSats(ut.get(PRO::MVASATS)));
                break;
            case Tbl::FAKTURA: ut.set(FAK::MVATYPE, 1); break;
            case Tbl::GRUNNLAG: ut.set(GRU::MVATYPE, 1); break;
            case Tbl::PARAM:
                if (mva_)
                    ut.set(PAR::STDMVASATS, nyMvaSats(ut.get(PAR::STDMVASATS)));
                ut.set(PAR::STDMVATYPE, 1);
                break;
            default: break;
            }
            if (linjer && !fakturaer.count(ut.get(FLI::FAKTURAID)))
                say(ctx_,
                    "Det oppsto feil under oppslag på " + s.navn +
                        ". MVA sats kunne ikke oppdateres på faktura nr " +
                        std::to_string(ut.get(FLI::FAKTURAID)) + " (FakLinjeId " +
                        std::to_string(ut.get(FLI::FAKLINJEID)) + ")",
                    "Advarsel", Icon::Exclamation);
            ++r.lest;
            RowRef lagt;
            if (nyfil->insert(ut, lagt, err))
                ++r.skrevet;
            else if (err.status == StoreStatus::DUPLICATE)
                ++r.dobbelt; // the first record under a number is the one kept
            else {
                feil("Feil: " + s.navn + " - " + feiltekst(err) + " - " + err.driverText);
                return forkast();
            }
            ++teller;
            fremdrift();
        }
        sist.ref = side.back().ref;
        sist.rec.copyFrom(side.back().rec);
        forst = false;
    }
    fremdrift(true);
    if (!nyfil->commit(err)) {
        feil("Feil: " + s.navn + " - " + feiltekst(err) + " - " + err.driverText);
        return forkast();
    }
    nyfil.reset();
    gml->rollback();
    gml.reset();

    // Only now does the original step aside, and never over another.
    if (s.tilstand == Tilstand::Versjon3 && !flyttUtenOverskriving(tps, gammel)) {
        feil("Det oppsto feil under navnendring på filen " + s.navn + ".TPS");
        return forkast();
    }
    if (!flyttUtenOverskriving(ny, tps)) {
        // The original is NAME.300 now; the next run converts it from there.
        feil("Det oppsto feil under navnendring på filen " + s.navn + ".400");
        return forkast();
    }
    syncMappe(mappe_);
    resultater_.push_back(r);
    logg(s.navn + ": " + std::to_string(r.skrevet) + (r.skrevet == 1 ? " post" : " poster") +
         " konvertert" +
         (r.dobbelt ? ", " + std::to_string(r.dobbelt) + " med et nummer som var tatt er utelatt"
                    : ""));
    return true;
}

bool Omlegging::kodeverk()
{
    progressTekst = "Importerer kodever";
    tellerTekst = "Importerer post #:";
    teller = 0;
    antall = 0;
    {
        LineReader tell(kodefil_);
        std::string l;
        while (tell.next(l))
            ++antall;
        antall = antall > 0 ? antall - 1 : 0;
    }
    sistVist_ = -1;
    fremdrift(true);

    FileManager& kod = ctx_.access(Tbl::KODEVERK);
    if (kod.OPEN() != LEVEL_BENIGN)
        return false;
    LineReader inn(kodefil_);
    if (!inn.isOpen()) {
        feil(std::to_string(errno) + " - " + fileErrorText(errno));
        kod.CLOSE();
        return false;
    }
    Record fraFil(table(Tbl::KODEVERK));
    bool ok = true;
    long nye = 0, endret = 0;
    {
        Transaction tx(ctx_);
        StoreError err;
        ok = tx.enlist(kod, err) && tx.begin(err);
        std::string linje;
        inn.next(linje); // the header
        while (ok && inn.next(linje)) {
            ++teller;
            fremdrift();
            if (!codeline::parse(linje, fraFil) || fraFil.get(KOD::GRUPPE) == 0 ||
                fraFil.get(KOD::NR) == 0)
                continue; // the survey read every line; only the blank keys are left
            Record& rec = kod.rec();
            rec.clear();
            rec.set(KOD::GRUPPE, fraFil.get(KOD::GRUPPE));
            rec.set(KOD::NR, fraFil.get(KOD::NR));
            if (kod.TRYFETCH(KOD::KeyGruppe_Nr) == LEVEL_BENIGN) {
                std::string div = rec.get(KOD::DIV);
                rec.copyFrom(fraFil);
                rec.set(KOD::DIV, div); // the file has no column for the notes
                ok = kod.TRYUPDATE() == LEVEL_BENIGN;
                endret += ok;
            } else {
                rec.copyFrom(fraFil);
                ok = kod.TRYINSERT() == LEVEL_BENIGN;
                nye += ok;
            }
        }
        ok = ok && !inn.failed() && tx.commit(err);
    }
    kod.CLOSE();
    fremdrift(true);
    if (ok)
        logg("Kodeverk: " + std::to_string(nye) + " nye koder, " + std::to_string(endret) +
             " koder skrevet over, fra " + kodefil_);
    return ok;
}

} // namespace tavlo::omlegg
