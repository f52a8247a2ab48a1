#include "invoices/ehf.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <utility>

#include "data/context.h"
#include "data/kreditnota.h"
#include "framework/date.h"
#include "framework/filemanager.h"
#include "framework/text.h"
#include "invoices/dokument.h"
#include "invoices/dokumentform.h"
#include "invoices/fakturaoppdatering.h"
#include "invoices/fakturasummer.h"
#include "invoices/giro.h"

namespace tavlo {

namespace {

constexpr const char* kCustomization =
    "urn:cen.eu:en16931:2017#compliant#urn:fdc:peppol.eu:2017:poacc:billing:3.0";
constexpr const char* kProfile = "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0";
// The prefix of every UBL namespace, as the standard's publisher names them.
constexpr const char* kUbl = "urn:oasis:names:specification:ubl:schema:xsd:";

std::string trimmed(std::string_view s)
{
    return std::string(text::trim(s));
}

// Text as XML character data: the five special characters escaped, control characters that
// XML 1.0 forbids left out, line breaks kept as line feeds.
std::string esc(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        case '\r': break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\t')
                out += c;
        }
    }
    return out;
}

std::string isoDato(int32_t dag)
{
    const date::Ymd d = date::toYmd(dag);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string belop(const Decimal& d)
{
    return d.rounded(2).toString(2);
}

// A price with as many decimals as it needs, at least two and at most six.
std::string pris(const Decimal& d)
{
    std::string s = d.rounded(6).toString(6);
    const auto punkt = s.find('.');
    while (s.size() > punkt + 3 && s.back() == '0')
        s.pop_back();
    return s;
}

// The document as it is written: elements with one level of indent each.
class Xml {
  public:
    void open(const char* tag, const std::string& attrs = {})
    {
        indent();
        out_ += '<';
        out_ += tag;
        out_ += attrs;
        out_ += ">\n";
        ++depth_;
    }
    void close(const char* tag)
    {
        --depth_;
        indent();
        out_ += "</";
        out_ += tag;
        out_ += ">\n";
    }
    // An element with text; nothing at all for an empty text, which the rules forbid.
    void el(const char* tag, std::string_view value, const std::string& attrs = {})
    {
        if (text::trim(value).empty())
            return;
        indent();
        out_ += '<';
        out_ += tag;
        out_ += attrs;
        out_ += '>';
        out_ += esc(value);
        out_ += "</";
        out_ += tag;
        out_ += ">\n";
    }
    void amount(const char* tag, const Decimal& d) { el(tag, belop(d), " currencyID=\"NOK\""); }
    std::string take() { return std::move(out_); }
    void raw(const char* s) { out_ += s; }

  private:
    void indent() { out_.append(static_cast<size_t>(depth_) * 2, ' '); }
    std::string out_;
    int depth_ = 0;
};

// The VAT category of a line: S standard rate, Z zero rate, E exempt (a VAT-registered
// company's line without VAT), O outside the scope (a company not registered).
struct Kategori {
    char id;
    int32_t sats;
    bool operator<(const Kategori& o) const
    {
        return std::pair(id, sats) < std::pair(o.id, o.sats);
    }
};

const char* fritaksgrunn(char id)
{
    return id == 'E' ? "Unntatt merverdiavgift" : "Ikke merverdiavgiftspliktig";
}

void taxCategory(Xml& x, const char* tag, const Kategori& k, bool grunn)
{
    x.open(tag);
    x.el("cbc:ID", std::string(1, k.id));
    if (k.id != 'O')
        x.el("cbc:Percent", std::to_string(k.sats));
    if (grunn && (k.id == 'E' || k.id == 'O'))
        x.el("cbc:TaxExemptionReason", fritaksgrunn(k.id));
    x.open("cac:TaxScheme");
    x.el("cbc:ID", "VAT");
    x.close("cac:TaxScheme");
    x.close(tag);
}

struct Linje {
    int32_t produktId = 0;
    std::string navn, enhet, beskrivelse, overskrift;
    Decimal antall, enhetspris, rabatt, netto;
    Decimal mva; // what the line added to the invoice's VAT
    Kategori kat{'S', 0};
};

struct Subtotal {
    Decimal grunnlag, mva;
};

// "0150 OSLO" as postal code and place.
std::pair<std::string, std::string> postnrOgSted(std::string_view s)
{
    const std::string t = trimmed(s);
    size_t i = 0;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        ++i;
    if (i == 0)
        return {{}, t};
    return {t.substr(0, i), trimmed(std::string_view(t).substr(i))};
}

std::string bareSifre(std::string_view s)
{
    std::string d;
    for (char c : s)
        if (std::isdigit(static_cast<unsigned char>(c)))
            d += c;
    return d;
}

} // namespace

std::string ehfFilnavn(int32_t fakturaId, bool kreditnota)
{
    return (kreditnota ? "kreditnota-" : "faktura-") + std::to_string(fakturaId) + ".xml";
}

std::string ehfEnhet(std::string_view enhet)
{
    std::string e = trimmed(enhet);
    while (!e.empty() && e.back() == '.')
        e.pop_back();
    std::string lav;
    for (unsigned char c : e)
        lav += static_cast<char>(std::tolower(c));
    static const std::map<std::string, const char*> kKoder = {
        {"stk", "EA"},    {"st", "EA"},    {"stykk", "EA"},   {"stykker", "EA"},   {"pcs", "EA"},
        {"ea", "EA"},     {"time", "HUR"}, {"timer", "HUR"},  {"t", "HUR"},        {"tim", "HUR"},
        {"h", "HUR"},     {"min", "MIN"},  {"minutt", "MIN"}, {"minutter", "MIN"}, {"dag", "DAY"},
        {"dager", "DAY"}, {"døgn", "DAY"}, {"d", "DAY"},      {"uke", "WEE"},      {"uker", "WEE"},
        {"mnd", "MON"},   {"md", "MON"},   {"måned", "MON"},  {"måneder", "MON"},  {"år", "ANN"},
        {"kg", "KGM"},    {"g", "GRM"},    {"gram", "GRM"},   {"tonn", "TNE"},     {"l", "LTR"},
        {"liter", "LTR"}, {"m", "MTR"},    {"meter", "MTR"},  {"km", "KMT"},       {"cm", "CMT"},
        {"mm", "MMT"},    {"m2", "MTK"},   {"m²", "MTK"},     {"kvm", "MTK"},      {"m3", "MTQ"},
        {"m³", "MTQ"},    {"pk", "XPK"},   {"pakke", "XPK"},  {"pakker", "XPK"},   {"kwh", "KWH"},
    };
    const auto it = kKoder.find(lav);
    return it == kKoder.end() ? "C62" : it->second;
}

EhfSkriver::EhfSkriver(Context& ctx) : ctx_(ctx), par_(table(Tbl::PARAM))
{
    if (!lesParametre(ctx_, par_)) {
        oppsettFeil_ = "parameterposten kan ikke leses";
        return;
    }
    oppsett_ = ehf::lesOppsett(par_);
    konto_ = bareSifre(par_.get(PAR::KONTONUMMER));
    if (trimmed(par_.get(PAR::NAVN)).empty())
        oppsettFeil_ = "firmanavnet mangler i systemparametrene";
    else if (oppsett_.orgnr.empty())
        oppsettFeil_ = "firmaets organisasjonsnummer mangler (Systemparametre, fanen «EHF»)";
    else if (!ehf::gyldigOrgnr(oppsett_.orgnr))
        oppsettFeil_ = "firmaets organisasjonsnummer «" + oppsett_.orgnr +
                       "» er ikke et gyldig organisasjonsnummer";
    else if (oppsett_.kundeOrgnrFelt == 0)
        oppsettFeil_ = "det er ikke valgt hvilket felt hos kunden som holder "
                       "organisasjonsnummeret (Systemparametre, fanen «EHF»)";
    else if (!konto_.empty() && konto_.size() != 11)
        oppsettFeil_ = "kontonummeret i systemparametrene har ikke 11 siffer";
}

bool EhfSkriver::lag(int32_t fakturaId, EhfDokument& ut, std::string& grunn)
{
    if (!oppsettFeil_.empty()) {
        grunn = oppsettFeil_;
        return false;
    }
    // The invoice, its customer and its lines, read through the alias tables so that a window's
    // own buffers stay as they are.
    Record f(table(Tbl::FAKTURA));
    switch (lesFaktura(ctx_, fakturaId, f)) {
    case FakturaOppslag::Funnet: break;
    case FakturaOppslag::KanIkkeApnes: grunn = "fakturatabellen kan ikke åpnes"; return false;
    case FakturaOppslag::FinnesIkke: grunn = "fakturaen finnes ikke"; return false;
    }
    const bool kreditnota = f.get(FAK::KREDITNOTA) != 0;
    const int32_t mvaType = f.get(FAK::MVATYPE);

    std::string kjoperOrgnr, epost, telefon;
    if (f.get(FAK::KUNDEID) != 0) {
        FileManager& kun = ctx_.access(Tbl::KUNDE_ALIAS);
        if (kun.OPEN() == LEVEL_BENIGN) {
            kun.rec().clear();
            kun.rec().set(KUNA::KUNDEID, f.get(FAK::KUNDEID));
            if (kun.TRYFETCH(KUNA::KeyKundeId) == LEVEL_BENIGN) {
                // The setup has a field chosen, or no invoice would get this far.
                kjoperOrgnr =
                    ehf::orgnrSifre(kun.rec().get(*ehf::kundeOrgnrFelt(oppsett_.kundeOrgnrFelt)));
                epost = trimmed(kun.rec().get(KUNA::EMAIL));
                telefon = trimmed(kun.rec().get(KUNA::TELEFON));
            } else {
                grunn = "kunde " + std::to_string(f.get(FAK::KUNDEID)) +
                        " finnes ikke i kundekartoteket";
            }
            kun.CLOSE();
        } else {
            grunn = "kundetabellen kan ikke åpnes";
        }
    } else {
        grunn = "fakturaen har ingen kunde fra kundekartoteket, der organisasjonsnummeret står";
    }
    if (!grunn.empty())
        return false;
    if (kjoperOrgnr.empty()) {
        grunn = "kunde " + std::to_string(f.get(FAK::KUNDEID)) +
                " mangler organisasjonsnummer (egendefinert tekst " +
                std::to_string(oppsett_.kundeOrgnrFelt) + ")";
        return false;
    }
    if (!ehf::gyldigOrgnr(kjoperOrgnr)) {
        grunn = "kundens organisasjonsnummer «" + kjoperOrgnr +
                "» er ikke et gyldig organisasjonsnummer";
        return false;
    }
    const std::string kundenavn = trimmed(f.get(FAK::KUNDENAVN));
    if (kundenavn.empty()) {
        grunn = "fakturaen har ikke kundens navn";
        return false;
    }
    if (f.get(FAK::FAKTURADATO) == 0) {
        grunn = "fakturaen har ingen fakturadato";
        return false;
    }
    const std::string referanse = trimmed(f.get(FAK::DERESREFERANSE));
    if (referanse.empty()) {
        grunn = "«Deres referanse» er tom; mottakeren trenger den for å finne bestilleren";
        return false;
    }

    // The lines, and the sums exactly as the invoice's own rules make them.
    FakturaSummering summering(mvaType);
    std::vector<Linje> linjer;
    {
        FileManager& flia = ctx_.access(Tbl::FAKLINJE_ALIAS);
        if (flia.OPEN() != LEVEL_BENIGN) {
            grunn = "fakturalinjene kan ikke leses";
            return false;
        }
        Record& r = flia.rec();
        r.clear();
        r.set(FLIA::FAKTURAID, fakturaId);
        r.set(FLIA::LINJENR, std::numeric_limits<int32_t>::min());
        flia.SETAT(FLIA::KeyFakturaId_LinjeNr);
        std::string overskrift;
        bool ok = true;
        for (;;) {
            if (flia.TRYNEXT() != LEVEL_BENIGN) {
                ok = flia.GETEOF();
                break;
            }
            if (r.get(FLIA::FAKTURAID) != fakturaId)
                break;
            const Decimal mvaFor = summering.lopende().mva;
            summering.add(r);
            if (r.get(FLIA::OVERSKRIFT)) {
                overskrift = trimmed(r.get(FLIA::PRODUKTNAVN));
                continue;
            }
            Linje l;
            l.produktId = r.get(FLIA::PRODUKTID);
            l.navn = trimmed(r.get(FLIA::PRODUKTNAVN));
            l.enhet = r.get(FLIA::ENHETSBENEVNELSE);
            l.beskrivelse = trimmed(r.get(FLIA::BESKRIVELSE));
            l.overskrift = overskrift;
            l.antall = r.get(FLIA::ANTALL);
            l.enhetspris = r.get(FLIA::ENHETSPRIS);
            l.rabatt = r.get(FLIA::RABATT);
            l.mva = summering.lopende().mva - mvaFor;
            const Decimal sum = r.get(FLIA::SUM);
            // Prices with VAT: the line's amount without it is what is left of its sum.
            l.netto = mvaType == 2 ? sum - l.mva : sum;
            const bool pliktig = mvaType != 0 && r.get(FLIA::MVAPLIKTIG) != 0;
            if (pliktig)
                l.kat = {r.get(FLIA::MVASATS) == 0 ? 'Z' : 'S', r.get(FLIA::MVASATS)};
            else
                l.kat = {oppsett_.mvaRegistrert ? 'E' : 'O', 0};
            linjer.push_back(std::move(l));
        }
        flia.CLOSE();
        if (!ok) {
            grunn = "fakturalinjene kan ikke leses";
            return false;
        }
    }
    if (linjer.empty()) {
        grunn = "fakturaen har ingen linjer med vare eller tjeneste";
        return false;
    }
    const FakturaSummer sum = summering.result(par_.get(PAR::AVRUNDING), /*kreditnota=*/false);

    std::map<Kategori, Subtotal> subtotaler;
    for (const Linje& l : linjer) {
        Subtotal& s = subtotaler[l.kat];
        s.grunnlag += l.netto;
        s.mva += l.mva;
    }
    for (const auto& [k, s] : subtotaler) {
        if ((k.id == 'S' || k.id == 'Z') && !oppsett_.mvaRegistrert) {
            grunn = "fakturaen har merverdiavgift, men firmaet er ikke registrert i "
                    "Merverdiavgiftsregisteret (Systemparametre, fanen «EHF»)";
            return false;
        }
        // The breakdown may differ from rate × base by less than one krone; the VAT of many
        // lines each rounded on its own can drift further.
        const Decimal avvik = s.mva - Decimal::divide(s.grunnlag * Decimal::fromInt(k.sats),
                                                      Decimal::fromInt(100), 2);
        if (avvik >= Decimal::fromInt(1) || avvik <= Decimal::fromInt(-1)) {
            grunn = "MVA per linje avviker med " + belop(avvik) + " kr fra MVA av grunnlaget for " +
                    std::to_string(k.sats) + " %";
            return false;
        }
    }
    Decimal linjesum, mva;
    for (const auto& [k, s] : subtotaler) {
        linjesum += s.grunnlag;
        mva += s.mva;
    }
    const Decimal inklusiv = linjesum + mva;
    const Decimal betales = inklusiv + sum.avrunding;
    const bool skalBetales = !kreditnota && betales > Decimal();
    if (skalBetales && konto_.empty()) {
        grunn = "kontonummeret mangler i systemparametrene";
        return false;
    }

    const char* rot = kreditnota ? "CreditNote" : "Invoice";
    Xml x;
    x.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    const std::string ns = kUbl;
    x.open(rot, " xmlns=\"" + ns + rot + "-2\"\n    xmlns:cac=\"" + ns +
                    "CommonAggregateComponents-2\"\n    xmlns:cbc=\"" + ns +
                    "CommonBasicComponents-2\"");
    x.el("cbc:CustomizationID", kCustomization);
    x.el("cbc:ProfileID", kProfile);
    x.el("cbc:ID", std::to_string(fakturaId));
    x.el("cbc:IssueDate", isoDato(f.get(FAK::FAKTURADATO)));
    if (!kreditnota && f.get(FAK::FORFALLSDATO) != 0)
        x.el("cbc:DueDate", isoDato(f.get(FAK::FORFALLSDATO)));
    x.el(kreditnota ? "cbc:CreditNoteTypeCode" : "cbc:InvoiceTypeCode", kreditnota ? "381" : "380");
    {
        std::string note = trimmed(f.get(FAK::MELDING));
        const std::string beskrivelse = trimmed(f.get(FAK::BESKRIVELSE));
        if (!beskrivelse.empty())
            note += (note.empty() ? "" : "\n") + beskrivelse;
        x.el("cbc:Note", note);
    }
    x.el("cbc:DocumentCurrencyCode", "NOK");
    x.el("cbc:BuyerReference", referanse);
    if (kreditnota) {
        if (const int32_t krediterer = kreditertFaktura(ctx_, fakturaId); krediterer != 0) {
            x.open("cac:BillingReference");
            x.open("cac:InvoiceDocumentReference");
            x.el("cbc:ID", std::to_string(krediterer));
            x.close("cac:InvoiceDocumentReference");
            x.close("cac:BillingReference");
        }
    }

    // The seller.
    x.open("cac:AccountingSupplierParty");
    x.open("cac:Party");
    x.el("cbc:EndpointID", oppsett_.orgnr, " schemeID=\"0192\"");
    x.open("cac:PartyName");
    x.el("cbc:Name", trimmed(par_.get(PAR::NAVN)));
    x.close("cac:PartyName");
    x.open("cac:PostalAddress");
    x.el("cbc:StreetName", trimmed(par_.get(PAR::ADRESSE)));
    x.el("cbc:AdditionalStreetName", trimmed(par_.get(PAR::ADRESSE2)));
    const auto [selgerPostnr, selgerSted] = postnrOgSted(par_.get(PAR::POSTNR_POSTSTED));
    x.el("cbc:CityName", selgerSted);
    x.el("cbc:PostalZone", selgerPostnr);
    x.open("cac:Country");
    x.el("cbc:IdentificationCode", "NO");
    x.close("cac:Country");
    x.close("cac:PostalAddress");
    const auto registrert = [&x](const std::string& id, const char* register_) {
        x.open("cac:PartyTaxScheme");
        x.el("cbc:CompanyID", id);
        x.open("cac:TaxScheme");
        x.el("cbc:ID", register_);
        x.close("cac:TaxScheme");
        x.close("cac:PartyTaxScheme");
    };
    if (oppsett_.mvaRegistrert)
        registrert("NO" + oppsett_.orgnr + "MVA", "VAT");
    if (oppsett_.foretaksregisteret)
        registrert("Foretaksregisteret", "TAX");
    x.open("cac:PartyLegalEntity");
    x.el("cbc:RegistrationName", trimmed(par_.get(PAR::NAVN)));
    x.el("cbc:CompanyID", oppsett_.orgnr, " schemeID=\"0192\"");
    x.close("cac:PartyLegalEntity");
    if (const std::string var = trimmed(f.get(FAK::VARREFERANSE)); !var.empty()) {
        x.open("cac:Contact");
        x.el("cbc:Name", var);
        x.close("cac:Contact");
    }
    x.close("cac:Party");
    x.close("cac:AccountingSupplierParty");

    // The buyer, as the invoice names and addresses it.
    x.open("cac:AccountingCustomerParty");
    x.open("cac:Party");
    x.el("cbc:EndpointID", kjoperOrgnr, " schemeID=\"0192\"");
    x.open("cac:PartyName");
    x.el("cbc:Name", kundenavn);
    x.close("cac:PartyName");
    x.open("cac:PostalAddress");
    x.el("cbc:StreetName", trimmed(f.get(FAK::ADRESSE)));
    x.el("cbc:AdditionalStreetName", trimmed(f.get(FAK::ADRESSE2)));
    x.el("cbc:CityName", trimmed(f.get(FAK::POSTSTED)));
    if (f.get(FAK::POSTNR) > 0) {
        char postnr[12];
        std::snprintf(postnr, sizeof postnr, "%04d", f.get(FAK::POSTNR));
        x.el("cbc:PostalZone", postnr);
    }
    x.open("cac:Country");
    x.el("cbc:IdentificationCode", "NO");
    x.close("cac:Country");
    x.close("cac:PostalAddress");
    x.open("cac:PartyLegalEntity");
    x.el("cbc:RegistrationName", kundenavn);
    x.el("cbc:CompanyID", kjoperOrgnr, " schemeID=\"0192\"");
    x.close("cac:PartyLegalEntity");
    if (!telefon.empty() || !epost.empty()) {
        x.open("cac:Contact");
        x.el("cbc:Telephone", telefon);
        x.el("cbc:ElectronicMail", epost);
        x.close("cac:Contact");
    }
    x.close("cac:Party");
    x.close("cac:AccountingCustomerParty");

    // Payment: the account and, with an OCR agreement, the KID.
    if (!kreditnota && !konto_.empty()) {
        x.open("cac:PaymentMeans");
        x.el("cbc:PaymentMeansCode", "30");
        x.el("cbc:PaymentID", kid(fakturaId, !trimmed(par_.get(PAR::OCR_AVTALEID)).empty()));
        x.open("cac:PayeeFinancialAccount");
        x.el("cbc:ID", konto_);
        x.close("cac:PayeeFinancialAccount");
        x.close("cac:PaymentMeans");
    }
    if (!kreditnota) {
        const int32_t dager = f.get(FAK::BETALINGSBETINGELSE);
        std::string vilkar;
        if (dager > 0)
            vilkar = "Betalingsbetingelse: " + std::to_string(dager) + " dager";
        else if (f.get(FAK::FORFALLSDATO) == 0)
            vilkar = "Forfaller ved mottak";
        if (!vilkar.empty()) {
            x.open("cac:PaymentTerms");
            x.el("cbc:Note", vilkar);
            x.close("cac:PaymentTerms");
        }
    }

    x.open("cac:TaxTotal");
    x.amount("cbc:TaxAmount", mva);
    for (const auto& [k, s] : subtotaler) {
        x.open("cac:TaxSubtotal");
        x.amount("cbc:TaxableAmount", s.grunnlag);
        x.amount("cbc:TaxAmount", s.mva);
        taxCategory(x, "cac:TaxCategory", k, true);
        x.close("cac:TaxSubtotal");
    }
    x.close("cac:TaxTotal");

    x.open("cac:LegalMonetaryTotal");
    x.amount("cbc:LineExtensionAmount", linjesum);
    x.amount("cbc:TaxExclusiveAmount", linjesum);
    x.amount("cbc:TaxInclusiveAmount", inklusiv);
    if (!sum.avrunding.isZero())
        x.amount("cbc:PayableRoundingAmount", sum.avrunding);
    x.amount("cbc:PayableAmount", betales);
    x.close("cac:LegalMonetaryTotal");

    const char* linjeTag = kreditnota ? "cac:CreditNoteLine" : "cac:InvoiceLine";
    const char* antallTag = kreditnota ? "cbc:CreditedQuantity" : "cbc:InvoicedQuantity";
    int nr = 0;
    for (const Linje& l : linjer) {
        // The price before discount, without VAT, never negative: a negative price turns
        // the quantity's sign instead.
        Decimal p = l.enhetspris, antall = l.antall;
        if (mvaType == 2 && l.kat.id == 'S')
            p = Decimal::divide(p * Decimal::fromInt(100), Decimal::fromInt(100 + l.kat.sats), 6);
        if (p.isNegative()) {
            p = -p;
            antall = -antall;
        }
        // The discount is what takes quantity × price down to the line's amount.
        Decimal rabatt;
        if (!l.rabatt.isZero())
            rabatt = (antall * p).rounded(2) - l.netto;
        x.open(linjeTag);
        x.el("cbc:ID", std::to_string(++nr));
        x.el("cbc:Note", l.overskrift);
        x.el(antallTag, antall.toString(), " unitCode=\"" + ehfEnhet(l.enhet) + "\"");
        x.amount("cbc:LineExtensionAmount", l.netto);
        if (!rabatt.isZero()) {
            x.open("cac:AllowanceCharge");
            x.el("cbc:ChargeIndicator", "false");
            x.el("cbc:AllowanceChargeReason", "Rabatt " + l.rabatt.toString() + " %");
            x.amount("cbc:Amount", rabatt);
            x.close("cac:AllowanceCharge");
        }
        x.open("cac:Item");
        x.el("cbc:Description", l.beskrivelse);
        std::string navn = l.navn;
        if (navn.empty())
            navn = l.beskrivelse.substr(0, l.beskrivelse.find('\n'));
        if (text::trim(navn).empty())
            navn = "Linje " + std::to_string(nr);
        x.el("cbc:Name", navn);
        if (l.produktId != 0) {
            x.open("cac:SellersItemIdentification");
            x.el("cbc:ID", std::to_string(l.produktId));
            x.close("cac:SellersItemIdentification");
        }
        taxCategory(x, "cac:ClassifiedTaxCategory", l.kat, false);
        x.close("cac:Item");
        x.open("cac:Price");
        x.el("cbc:PriceAmount", pris(p), " currencyID=\"NOK\"");
        x.close("cac:Price");
        x.close(linjeTag);
    }
    x.close(rot);

    ut.fakturaId = fakturaId;
    ut.kreditnota = kreditnota;
    ut.xml = x.take();
    return true;
}

EhfKjoring sendSomEhf(Context& ctx, const std::vector<int32_t>& fakturaer, const std::string& mappe,
                      const std::function<void(long, long)>& fremdrift)
{
    // Every file is written under a temporary name first, the lot flushed to disk with one
    // sync of the file system, and only then given its name: a file that shows is whole, even
    // after a crash, without paying a disk flush per file.
    EhfKjoring k;
    EhfSkriver skriver(ctx);
    const QDir dir(QString::fromStdString(mappe));
    std::vector<std::pair<QString, QString>> navngis; // temporary, final
    long ferdig = 0;
    for (int32_t id : fakturaer) {
        EhfUtfall u;
        u.fakturaId = id;
        EhfDokument d;
        if (skriver.lag(id, d, u.grunn)) {
            u.fil = ehfFilnavn(id, d.kreditnota);
            const QString endelig = dir.filePath(QString::fromStdString(u.fil));
            const QString tmp = dir.filePath(QStringLiteral(".") + QString::fromStdString(u.fil) +
                                             QStringLiteral(".tmp"));
            QFile fil(tmp);
            if (fil.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                fil.write(d.xml.data(), static_cast<qint64>(d.xml.size())) ==
                    static_cast<qint64>(d.xml.size()) &&
                fil.flush()) {
                navngis.emplace_back(tmp, endelig);
            } else {
                u.grunn = "filen " + endelig.toStdString() + " kan ikke skrives (" +
                          fil.errorString().toStdString() + ")";
                u.fil.clear();
                fil.remove();
            }
        }
        k.utfall.push_back(std::move(u));
        if (fremdrift)
            fremdrift(++ferdig, static_cast<long>(fakturaer.size()));
    }
    if (!navngis.empty()) {
        const int fd =
            ::open(QFile::encodeName(dir.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0)
            ::syncfs(fd);
        size_t i = 0;
        for (EhfUtfall& u : k.utfall) {
            if (u.fil.empty())
                continue;
            const auto& [tmp, endelig] = navngis[i++];
            if (std::rename(QFile::encodeName(tmp).constData(),
                            QFile::encodeName(endelig).constData()) != 0) {
                u.grunn = "filen " + endelig.toStdString() + " kan ikke skrives";
                u.fil.clear();
                QFile::remove(tmp);
            }
        }
        if (fd >= 0) {
            ::fsync(fd); // the names
            ::close(fd);
        }
    }
    for (const EhfUtfall& u : k.utfall)
        ++(u.grunn.empty() ? k.skrevet : k.avvist);
    return k;
}

std::string ehfAvvisninger(const EhfKjoring& k)
{
    std::string s;
    for (const EhfUtfall& u : k.utfall)
        if (!u.grunn.empty())
            s += "Faktura " + std::to_string(u.fakturaId) + ": " + u.grunn + "\n";
    return s;
}

bool sendSomEhfFraKartotek(Context& ctx, int32_t markert, std::string& mappe,
                           const std::function<void(long, long)>& fremdrift)
{
    std::vector<int32_t> fakturaer = FakturaOppdatering::merkede();
    if (fakturaer.empty() && markert != 0)
        fakturaer.push_back(markert);
    if (fakturaer.empty())
        return false;
    AnswerService* answers = ctx.errors().answers();
    FileChoice valg{"Velg mappe for EHF-filene", "", mappe, FileChoice::Folder};
    if (!answers || !answers->pickFile(valg))
        return false;
    mappe = valg.path;
    const EhfKjoring k = sendSomEhf(ctx, fakturaer, mappe, fremdrift);

    std::string tekst;
    if (k.skrevet > 0)
        tekst =
            (k.skrevet == 1 ? std::string("1 EHF-fil") : std::to_string(k.skrevet) + " EHF-filer") +
            " skrevet til " + mappe + ".";
    if (k.avvist > 0) {
        tekst += std::string(tekst.empty() ? "" : "||") +
                 (k.avvist == 1 ? std::string("Denne fakturaen kan ikke sendes som EHF:")
                                : "Disse " + std::to_string(k.avvist) +
                                      " fakturaene kan ikke sendes som EHF:");
        // A long list is cut, so the box still fits the screen.
        constexpr int kMaks = 15;
        int vist = 0;
        for (const EhfUtfall& u : k.utfall) {
            if (u.grunn.empty())
                continue;
            if (vist++ == kMaks) {
                tekst += "|… og " + std::to_string(k.avvist - kMaks) + " til";
                break;
            }
            tekst += "|Faktura " + std::to_string(u.fakturaId) + ": " + u.grunn;
        }
    }
    say(ctx, tekst, k.avvist > 0 ? "Advarsel" : "Info",
        k.avvist > 0 ? Icon::Exclamation : Icon::Information);
    return true;
}

} // namespace tavlo
