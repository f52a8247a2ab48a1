#include "invoices/dokument.h"

#include <limits>

#include "data/context.h"
#include "data/lookups.h"
#include "framework/filemanager.h"
#include "framework/text.h"
#include "invoices/fakturasummer.h"
#include "products/produktform.h"

namespace tavlo {

const HodeFelt& HodeFelt::faktura()
{
    static const HodeFelt f{Tbl::FAKTURA,
                            FAK::FAKTURAID,
                            FAK::KUNDEID,
                            FAK::POSTNR,
                            FAK::BETALINGSBETINGELSE,
                            FAK::MVATYPE,
                            FAK::KUNDENAVN,
                            FAK::ADRESSE,
                            FAK::ADRESSE2,
                            FAK::POSTSTED,
                            FAK::DERESREFERANSE,
                            FAK::VARREFERANSE,
                            FAK::FAKTURADATO,
                            FAK::FORFALLSDATO,
                            FAK::SUM,
                            FAK::SUMMVAGRUNNLAG,
                            FAK::MVA,
                            FAK::TOTALSUM};
    return f;
}

const HodeFelt& HodeFelt::grunnlag()
{
    static const HodeFelt f{Tbl::GRUNNLAG,
                            GRU::GRUNNLAGID,
                            GRU::KUNDEID,
                            GRU::POSTNR,
                            GRU::BETALINGSBETINGELSE,
                            GRU::MVATYPE,
                            GRU::KUNDENAVN,
                            GRU::ADRESSE,
                            GRU::ADRESSE2,
                            GRU::POSTSTED,
                            GRU::DERESREFERANSE,
                            GRU::VARREFERANSE,
                            GRU::FAKTURADATO,
                            GRU::FORFALLSDATO,
                            GRU::SUM,
                            GRU::SUMMVAGRUNNLAG,
                            GRU::MVA,
                            GRU::TOTALSUM};
    return f;
}

const LinjeFelt& LinjeFelt::faktura()
{
    static const LinjeFelt f{Tbl::FAKLINJE,
                             Tbl::FAKLINJE_ALIAS,
                             FLI::FAKLINJEID,
                             FLI::FAKTURAID,
                             FLI::LINJENR,
                             FLI::PRODUKTID,
                             FLI::MVASATS,
                             FLI::PRODUKTNAVN,
                             FLI::ENHETSBENEVNELSE,
                             FLI::OVERSKRIFT,
                             FLI::MVAPLIKTIG,
                             FLI::ANTALL,
                             FLI::RABATT,
                             FLI::ENHETSPRIS,
                             FLI::SUM,
                             FLI::BESKRIVELSE,
                             FLI::DIV,
                             FLI::KeyFakLinjeId,
                             FLI::KeyFakturaId_LinjeNr};
    return f;
}

const LinjeFelt& LinjeFelt::grunnlag()
{
    static const LinjeFelt f{Tbl::GRULINJE,
                             Tbl::GRULINJE_ALIAS,
                             GLI::GRULINJEID,
                             GLI::GRUNNLAGID,
                             GLI::LINJENR,
                             GLI::PRODUKTID,
                             GLI::MVASATS,
                             GLI::PRODUKTNAVN,
                             GLI::ENHETSBENEVNELSE,
                             GLI::OVERSKRIFT,
                             GLI::MVAPLIKTIG,
                             GLI::ANTALL,
                             GLI::RABATT,
                             GLI::ENHETSPRIS,
                             GLI::SUM,
                             GLI::BESKRIVELSE,
                             GLI::DIV,
                             GLI::KeyGruLinjeId,
                             GLI::KeyGrunnlagId_LinjeNr};
    return f;
}

void kopierKunde(Context& ctx, Record& r, const HodeFelt& f, const Record& k)
{
    // KUNDE and KUNDE_ALIAS records have the same fields.
    r.set(f.kundenavn, k.get(KUN::NAVN));
    r.set(f.adresse, k.get(KUN::ADRESSE));
    r.set(f.adresse2, k.get(KUN::ADRESSE2));
    r.set(f.postnr, k.get(KUN::POSTNR));
    r.set(f.betalingsbetingelse, k.get(KUN::BETALINGSBETINGELSER));
    r.set(f.poststed, codeText(ctx, 101, k.get(KUN::POSTNR)));
    std::string kontakt;
    if (k.get(KUN::HOVEDKONTAKT) != 0)
        VISKONA(ctx, k.get(KUN::HOVEDKONTAKT), kontakt);
    r.set(f.deresReferanse, kontakt);
}

void glemKunde(Record& r, const HodeFelt& f)
{
    r.set(f.kundeId, 0);
    for (TextField t : {f.kundenavn, f.adresse, f.adresse2, f.poststed, f.deresReferanse})
        r.set(t, "");
    r.set(f.postnr, 0);
    r.set(f.betalingsbetingelse, 0);
    r.set(f.forfallsdato, 0);
}

bool summerLinjer(Context& ctx, const LinjeFelt& f, int32_t hodeId, int32_t mvaType,
                  const Decimal& avrunding, bool kreditnota, FakturaSummer& out)
{
    FileManager& alias = ctx.access(f.alias);
    if (alias.OPEN() != LEVEL_BENIGN)
        return false;
    FakturaSummering summering(mvaType);
    Record& r = alias.rec();
    r.clear();
    r.set(f.hodeId, hodeId);
    r.set(f.linjenr, std::numeric_limits<int32_t>::min());
    alias.SETAT(f.hodeLinjeKey);
    bool ok = true;
    for (;;) {
        const int level = alias.TRYNEXT();
        if (level != LEVEL_BENIGN) {
            ok = alias.GETEOF();
            break;
        }
        if (r.get(f.hodeId) != hodeId)
            break;
        summering.add(r, f);
    }
    alias.CLOSE();
    if (ok)
        out = summering.result(avrunding, kreditnota);
    return ok;
}

void settSummer(Record& r, const HodeFelt& f, const FakturaSummer& s)
{
    r.set(f.sum, s.sum);
    r.set(f.mvaGrunnlag, s.mvaGrunnlag);
    r.set(f.mva, s.mva);
    r.set(f.totalsum, s.totalsum);
}

Linjeberegning linjesum(Record& r, const LinjeFelt& f)
{
    const Decimal antall = r.get(f.antall), pris = r.get(f.enhetspris);
    const Decimal rabatt = r.get(f.rabatt);
    if (antall.isZero() || pris.isZero()) {
        r.set(f.sum, Decimal());
        return {};
    }
    const Decimal hundre = Decimal::fromInt(100);
    const Decimal brutto = antall * pris;
    const Decimal sum =
        rabatt.isZero() ? brutto : Decimal::divide(brutto, hundre, 12) * (hundre - rabatt);
    if (!r.set(f.sum, sum))
        r.set(f.sum, Decimal());
    Linjeberegning b;
    b.delsum = brutto.rounded(2);
    b.rabattkroner = (Decimal::divide(b.delsum, hundre, 12) * rabatt).rounded(2);
    return b;
}

void kopierProdukt(Record& r, const LinjeFelt& f, const Record& p, const Decimal& kundeRabatt,
                   bool medMva)
{
    // PRODUKT and PRODUKT_ALIAS records have the same fields.
    r.set(f.produktnavn, p.get(PRO::NAVN));
    r.set(f.antall, p.get(PRO::STDFAKTURALINJEANTALL));
    r.set(f.enhet, p.get(PRO::ENHETSBENEVNING));
    r.set(f.enhetspris, p.get(PRO::ENHETSPRIS));
    r.set(f.beskrivelse, std::string(text::rtrim(p.get(PRO::BESKRIVELSE))));
    r.set(f.mvaPliktig, medMva ? p.get(PRO::MVAPLIKTIG) : 0);
    r.set(f.mvaSats, medMva ? p.get(PRO::MVASATS) : 0);
    const Decimal std = p.get(PRO::STDFAKTURALINJERABATT);
    Decimal rabatt = std > kundeRabatt ? std : kundeRabatt;
    if (auto maks = ProduktForm::maxRabatt(p.get(PRO::MAXFAKTURALINJERABATT));
        maks && rabatt > *maks)
        rabatt = *maks;
    r.set(f.rabatt, rabatt);
}

void rabattGrense(Record& r, const LinjeFelt& f)
{
    const Decimal rabatt = r.get(f.rabatt);
    if (rabatt.isNegative() || rabatt > Decimal::fromInt(100))
        r.set(f.rabatt, Decimal());
}

void standardMvaSats(Record& r, const LinjeFelt& f, int32_t stdSats)
{
    if (r.get(f.mvaPliktig) && r.get(f.mvaSats) == 0)
        r.set(f.mvaSats, stdSats);
}

void tomOverskrift(Record& r, const LinjeFelt& f)
{
    r.set(f.produktId, 0);
    r.set(f.mvaPliktig, 0);
    r.set(f.mvaSats, 0);
    for (DecField d : {f.antall, f.rabatt, f.enhetspris, f.sum})
        r.set(d, Decimal());
    r.set(f.enhet, "");
    r.set(f.beskrivelse, "");
    r.set(f.div, "");
}

bool bareTekst(const Record& r, const LinjeFelt& f)
{
    return !r.get(f.overskrift) && r.get(f.produktId) == 0 && !r.get(f.mvaPliktig) &&
           r.get(f.antall).isZero() && r.get(f.rabatt).isZero() && r.get(f.enhetspris).isZero() &&
           text::trim(r.get(f.enhet)).empty() && r.get(f.beskrivelse).empty();
}

bool flyttLinje(Context& ctx, const LinjeFelt& f, bool opp, int32_t hoyeste)
{
    FileManager& linje = ctx.access(f.tabell);
    FileManager& alias = ctx.access(f.alias);
    const int32_t id = linje.rec().get(f.id);
    if (id == 0 || linje.TRYFETCH(f.idKey) != LEVEL_BENIGN)
        return false;
    const int32_t n = linje.rec().get(f.linjenr);
    if (opp ? n <= 1 : n >= hoyeste)
        return false;
    const int32_t hode = linje.rec().get(f.hodeId);
    // The number is freed in the key first, for the neighbour to take.
    linje.rec().set(f.linjenr, -1);
    if (linje.UPDATE() != LEVEL_BENIGN)
        return false;
    int32_t ny = n;
    if (alias.OPEN() == LEVEL_BENIGN) {
        Record& a = alias.rec();
        a.clear();
        a.set(f.hodeId, hode);
        a.set(f.linjenr, n);
        alias.SETAT(f.hodeLinjeKey);
        const int level = opp ? alias.TRYPREVIOUS() : alias.TRYNEXT();
        if (level == LEVEL_BENIGN && a.get(f.hodeId) == hode && a.get(f.id) != id &&
            a.get(f.linjenr) != -1) {
            const int32_t m = a.get(f.linjenr);
            a.set(f.linjenr, n);
            if (alias.UPDATE() == LEVEL_BENIGN)
                ny = m;
        }
        alias.CLOSE();
    }
    linje.rec().set(f.linjenr, ny);
    return linje.UPDATE() == LEVEL_BENIGN && ny != n;
}

} // namespace tavlo
