#include "converter/testmappe/versjon3mappe.h"

#include <filesystem>
#include <stdexcept>

#include "converter/versjon3.h"
#include "data/globals.h"
#include "framework/date.h"

namespace tavlo::omlegg::testmappe {
namespace {

void sjekk(bool ok, const StoreError& err, const std::string& hva)
{
    if (!ok)
        throw std::runtime_error(hva + ": " + err.text + " " + err.driverText);
}

// Writes n records, each filled by `fyll` on a cleared record, in one transaction.
template <class Fyll>
void skriv(const std::string& mappe, Tbl t, const std::string& fil, int n, Fyll fyll)
{
    auto f = aapne(mappe, t, fil);
    StoreError err;
    sjekk(f->begin(err), err, fil);
    Record r(versjon3(t));
    for (int i = 1; i <= n; ++i) {
        r.clear();
        fyll(r, i);
        RowRef ref;
        sjekk(f->insert(r, ref, err), err, fil);
    }
    sjekk(f->commit(err), err, fil);
}

int felt(const Record& r, const char* navn)
{
    int nr = r.decl().fieldNo(navn);
    if (nr < 0)
        throw std::runtime_error(r.decl().name + " har ikke feltet " + navn);
    return nr;
}

void settTekst(Record& r, const char* navn, const std::string& v)
{
    r.setStr(felt(r, navn), v);
}

void settTall(Record& r, const char* navn, int64_t v)
{
    r.setNum(felt(r, navn), v);
}

const int32_t kForsteDag = date::fromYmd(1801, 1, 1);
const int32_t kSisteDag = date::fromYmd(2099, 12, 31);

// A day spread over the calendar's range, the edges included.
int32_t dag(int i, int n)
{
    if (i == 1)
        return kForsteDag;
    if (i == n)
        return kSisteDag;
    return kForsteDag + static_cast<int32_t>((int64_t(kSisteDag - kForsteDag) * i) / (n + 1));
}

void fakturaer(const std::string& mappe, const std::string& fil, const std::string& linjefil,
               int forste, int antall, int linjer, int kunder)
{
    skriv(mappe, Tbl::FAKTURA, fil, antall, [&](Record& r, int i) {
        int nr = forste + i - 1;
        settTall(r, "FAKTURAID", nr);
        settTall(r, "KUNDEID", 1 + nr % kunder);
        settTekst(r, "KUNDENAVN", "Kunde Æøå " + std::to_string(nr));
        settTall(r, "FAKTURADATO", dag(i, antall));
        settTall(r, "FORFALLSDATO", dag(i, antall));
        settTall(r, "SUM", 10000 + nr);
        settTall(r, "TOTALSUM", 12500 + nr);
        settTall(r, "FAKTURASTATUS", 1 + nr % 3);
        r.setMemo(r.decl().memoNo("BESKRIVELSE"),
                  "Beskrivelse på faktura " + std::to_string(nr) + " med blanke   ");
    });
    skriv(mappe, Tbl::FAKLINJE, linjefil, antall * linjer, [&](Record& r, int i) {
        int faktura = forste + (i - 1) / linjer;
        settTall(r, "FAKLINJEID", (forste - 1) * linjer + i);
        settTall(r, "FAKTURAID", faktura);
        settTall(r, "LINJENR", 1 + (i - 1) % linjer);
        settTekst(r, "PRODUKTNAVN", "Vare å levere " + std::to_string(i));
        settTall(r, "MVAPLIKTIG", 1);
        settTall(r, "MVASATS", i % 2 ? 24 : 12);
        settTall(r, "ANTALL", 100 * (1 + i % 5));
        settTall(r, "ENHETSPRIS", 4990 + i);
        r.setMemo(r.decl().memoNo("DIV"), "Merknad Ø");
    });
}

} // namespace

std::unique_ptr<TableFile> aapne(const std::string& mappe, Tbl t, const std::string& fil)
{
    StoreError err;
    auto f = TableFile::open((std::filesystem::path(mappe) / fil).string(), versjon3(t),
                             TableFile::Mode::READ_WRITE, true, GLO::kOwnerPassword, err);
    sjekk(f != nullptr, err, fil);
    return f;
}

void lag(const std::string& mappe, const Omfang& o)
{
    std::filesystem::create_directories(mappe);
    skriv(mappe, Tbl::PARAM, "PARAM.TPS", 1, [&](Record& r, int) {
        settTall(r, "PARAMETERID", 1);
        settTekst(r, "NAVN", "Småbedriften Ærlig & Søn AS");
        settTall(r, "STDMVASATS", o.mvaSats);
        settTekst(r, "FASTFAKTURATEKST1", "Takk for handelen!");
        settTekst(r, "FASTFAKTURATEKST2", "Den andre teksten, som versjon 4 ikke har");
    });
    skriv(mappe, Tbl::KUNDE, "KUNDE.TPS", o.kunder, [&](Record& r, int i) {
        settTall(r, "KUNDEID", i);
        settTall(r, "REGISTRERINGSDATO", dag(i, o.kunder));
        settTekst(r, "NAVN",
                  (i % 2 ? "Ærlige Øystein Åsheim " : "Bårdsen & Co ") + std::to_string(i));
        settTekst(r, "ADRESSE", "Storgata " + std::to_string(i));
        settTall(r, "POSTNR", 5000 + i % 100);
        settTall(r, "KREDITTGRENSE", 1000000 + i);
        settTall(r, "HELTALL3", -i);
        settTekst(r, "TEKST5", "Egendefinert æøå");
        r.setMemo(r.decl().memoNo("DIV"), "Notat om kunden Åse\nandre linje   ");
    });
    static const int32_t satser[] = {0, 6, 8, 12, 24};
    skriv(mappe, Tbl::PRODUKT, "PRODUKT.TPS", o.produkter, [&](Record& r, int i) {
        settTall(r, "PRODUKTID", i);
        settTekst(r, "NAVN", "Produkt Ø " + std::to_string(i));
        settTall(r, "PRODUKTGRUPPE", i % 3);
        settTekst(r, "ENHETSBENEVNING", "stk");
        settTall(r, "ENHETSPRIS", 12345 + i);
        settTall(r, "MVAPLIKTIG", 1);
        settTall(r, "MVASATS", satser[(i - 1) % 5]);
        r.setMemo(r.decl().memoNo("BESKRIVELSE"), "Lang beskrivelse av produktet");
    });
    skriv(mappe, Tbl::GRUNNLAG, "GRUNNLAG.TPS", o.grunnlag, [&](Record& r, int i) {
        settTall(r, "GRUNNLAGID", i);
        settTekst(r, "TEKST", "Månedlig leie " + std::to_string(i));
        settTall(r, "KUNDEID", i);
        settTall(r, "FAKTURADATO", dag(i, o.grunnlag));
        settTekst(r, "MELDING", "Melding på fakturaen: Æ Ø Å");
    });
    skriv(mappe, Tbl::GRULINJE, "GRULINJE.TPS", o.grunnlag, [&](Record& r, int i) {
        settTall(r, "GRULINJEID", i);
        settTall(r, "GRUNNLAGID", i);
        settTall(r, "LINJENR", 1);
        settTekst(r, "PRODUKTNAVN", "Leie");
    });
    fakturaer(mappe, "FAKTURA.TPS", "FAKLINJE.TPS", o.arkiverte + 1, o.fakturaer, o.linjer,
              o.kunder);
    fakturaer(mappe, "BAKTURA.TPS", "BAKLINJE.TPS", 1, o.arkiverte, o.linjer, o.kunder);
    aapne(mappe, Tbl::KODEVERK, "KODEVERK.TPS");
}

} // namespace tavlo::omlegg::testmappe
