#include "customers/print/kunderapport.h"

#include <algorithm>

#include "data/context.h"
#include "data/lookups.h"
#include "framework/picture.h"
#include "framework/softassert.h"
#include "framework/text.h"

namespace tavlo {

using report::Align;

namespace {

constexpr const char* kBelop = "@n-14.`2";

// Each order walks a key that begins with its field; payment terms have none (sorted in memory).
const report::Sortering kSorteringer[] = {
    {"KUN:KundeId", KUN::KeyKundeId},
    {"KUN:Navn", KUN::KeyNavn},
    {"KUN:Adresse", KUN::KeyAdresse},
    {"KUN:PostNr", KUN::KeyPostNr},
    {"KUN:KundeGruppe", KUN::KeyKundeGruppe_Navn},
    {"KUN:BetalingsBetingelser", KUN::KeyKundeId},
};
constexpr const char* kEtterBetingelser = "KUN:BetalingsBetingelser";

std::string belop(const Decimal& d)
{
    return std::string(text::trim(picture::format(kBelop, d)));
}

std::string tekst(const Record& r, FieldRef<FieldType::TEXT> felt)
{
    return std::string(text::trim(r.get(felt)));
}

// Across an A4 sheet lying down; the customer text takes what is left.
std::vector<report::Column> kolonner()
{
    return {
        {"Kundenr", 650, Align::Right},
        {"Kunde", 3150, Align::Left},
        {"Kundegruppe", 1300, Align::Left},
        {"Telefon", 950, Align::Left},
        {"Mobil", 950, Align::Left},
        {"Faks", 950, Align::Left},
        {"Betalings-\nBetingelser", 900, Align::Right},
        {"Fakturert", 1200, Align::Right},
    };
}

} // namespace

const char* kundesortering(int32_t sortering)
{
    return report::sortering(kSorteringer, sortering).felt;
}

Kundeutvalg byggKundeutvalg(const Kundeavgrensning& a)
{
    Kundeutvalg u;
    u.sortering = kundesortering(a.sortering);
    u.filter = "(1)";
    auto linje = [&u](const std::string& l) { u.beskrivelse += l + "\r\n"; };
    if (a.kundeGruppe != 0) {
        linje("Kundegruppe = " + std::string(text::trim(a.gruppeTekst)));
        u.filter += " AND (KUN:KundeGruppe = " + std::to_string(a.kundeGruppe) + ")";
    }
    if (a.postNr != 0) {
        linje("Postnr = " + std::string(text::trim(a.poststed)));
        u.filter += " AND (KUN:PostNr = " + std::to_string(a.postNr) + ")";
    }
    report::fakturaperioder(a, [&](const std::string& l, const std::string& ledd) {
        linje(l);
        u.fakturabetingelse += ledd;
    });
    if (a.betaltBlank) {
        linje("Betaltdato = blank");
        u.fakturabetingelse += " AND (NOT FAK:BetaltDato)";
    }
    const std::string fritt(text::trim(a.filterstreng));
    if (!fritt.empty()) {
        linje("Filterstreng: " + fritt);
        u.filter += " AND (" + fritt + ")";
    }
    return u;
}

void slaOppKundetekster(Context& ctx, Kundeavgrensning& a)
{
    a.gruppeTekst = a.kundeGruppe != 0 ? codeText(ctx, 103, a.kundeGruppe) : "";
    a.poststed = a.postNr != 0 ? codeText(ctx, 101, a.postNr) : "";
}

bool kundefilterKanBrukes(Context& ctx, const Kundeutvalg& u, const Kundeavgrensning& a)
{
    return report::filterKanBrukes(ctx, Tbl::KUNDE, u.filter, a.filterstreng);
}

Kunderapport::Kunderapport(Context& ctx, std::string sortering, std::string beskrivelse,
                           std::string fakturabetingelse, std::string filter, bool medKontakter)
    : ctx_(ctx), sortering_(std::move(sortering)), beskrivelse_(std::move(beskrivelse)),
      fakturabetingelse_(std::move(fakturabetingelse)), filter_(std::move(filter)),
      medKontakter_(medKontakter),
      liste_("Kunderapport", beskrivelse_.empty() ? "" : "(Utvalg - Se dataavgrensninger)",
             kolonner())
{
}

bool Kunderapport::open()
{
    if (!view_.open(ctx_, Tbl::KUNDE, report::sorteringFor(kSorteringer, sortering_).key, filter_))
        return false;
    if (sortering_ != kEtterBetingelser)
        return true;
    // Read in number order, then sorted stably: equal terms keep their customers' order.
    iMinnet_ = true;
    ProcessClass::Record r;
    while ((r = view_.next()) == ProcessClass::Record::Taken)
        sortert_.push_back(view_.rec());
    if (r == ProcessClass::Record::Stop)
        return false; // said by the view
    std::stable_sort(sortert_.begin(), sortert_.end(), [](const Record& x, const Record& y) {
        return x.get(KUN::BETALINGSBETINGELSER) < y.get(KUN::BETALINGSBETINGELSER);
    });
    return true;
}

Decimal Kunderapport::fakturert(int32_t kundeId)
{
    report::Listevisning fak;
    Decimal sum;
    if (!fak.open(ctx_, Tbl::FAKTURA, FAK::KeyKundeId_FakturaDato,
                  "(FAK:KundeId = " + std::to_string(kundeId) + ") " + fakturabetingelse_))
        return sum;
    // A credit note's total is stored negative and takes its amount off.
    while (fak.next() == ProcessClass::Record::Taken)
        sum += fak.rec().get(FAK::TOTALSUM);
    return sum;
}

bool Kunderapport::kontakter(const Record& kun)
{
    report::Listevisning kon;
    if (!kon.open(ctx_, Tbl::KONTAKT, KON::KeyKundeId_Navn,
                  "(KON:KundeId = " + std::to_string(kun.get(KUN::KUNDEID)) + ")"))
        return false;
    ProcessClass::Record r;
    while ((r = kon.next()) == ProcessClass::Record::Taken) {
        const Record& k = kon.rec();
        std::string navn = tekst(k, KON::NAVN);
        if (kun.get(KUN::HOVEDKONTAKT) != 0 && k.get(KON::KONTAKTID) == kun.get(KUN::HOVEDKONTAKT))
            navn += " (Hovedkontakt)";
        // The contact under its customer: the name under the customer's, the role beside it.
        liste_.row({"", navn, tekst(k, KON::ROLLESTILLING), tekst(k, KON::TELEFON),
                    tekst(k, KON::MOBIL), tekst(k, KON::FAKS)});
    }
    return r != ProcessClass::Record::Stop;
}

ProcessClass::Record Kunderapport::next()
{
    const Record* kun = nullptr;
    if (iMinnet_) {
        if (neste_ >= sortert_.size())
            return ProcessClass::Record::End;
        kun = &sortert_[neste_++];
    } else {
        if (const ProcessClass::Record r = view_.next(); r != ProcessClass::Record::Taken)
            return r;
        kun = &view_.rec();
    }
    ++antall_;
    // The name, the address and the post number with its place, each when there; the number
    // as plain digits (150, not 0150).
    std::string kunde = std::string(text::rtrim(kun->get(KUN::NAVN)));
    const std::string adresse = tekst(*kun, KUN::ADRESSE);
    if (!adresse.empty())
        kunde += ", " + adresse;
    if (const int32_t postnr = kun->get(KUN::POSTNR); postnr != 0)
        kunde += ", " + std::to_string(postnr) + " " + codeText(ctx_, 101, postnr);
    const int32_t gruppe = kun->get(KUN::KUNDEGRUPPE);
    const int32_t betingelser = kun->get(KUN::BETALINGSBETINGELSER);
    const int32_t id = kun->get(KUN::KUNDEID);
    const Decimal belopet = fakturert(id);
    sum_ += belopet;
    liste_.row({
        std::to_string(id),
        std::string(text::rtrim(kunde)),
        gruppe != 0 ? codeText(ctx_, 103, gruppe) : std::string(),
        tekst(*kun, KUN::TELEFON),
        tekst(*kun, KUN::MOBIL),
        tekst(*kun, KUN::FAKS),
        betingelser != 0 ? std::to_string(betingelser) : std::string(),
        belop(belopet),
    });
    if (medKontakter_ && !kontakter(*kun))
        return ProcessClass::Record::Stop;
    return ProcessClass::Record::Taken;
}

int Kunderapport::percent() const
{
    if (iMinnet_)
        return sortert_.empty() ? 0 : static_cast<int>(neste_ * 100 / sortert_.size());
    return view_.percent(antall_);
}

report::PageList Kunderapport::pages()
{
    if (antall_ == 0) {
        report::ingenPoster(ctx_);
        return {};
    }
    liste_.totals("Sum:", {"", "", "", "", "", "", "", belop(sum_)});
    liste_.closing("Antall poster:", std::to_string(antall_));
    liste_.closing("Dataavgrensninger:", beskrivelse_);
    return liste_.take();
}

report::PageList KUNDERAPPORT(Context& ctx, const std::string& sortering,
                              const std::string& beskrivelse, const std::string& fakturabetingelse,
                              const std::string& filter, bool medKontakter)
{
    ProcedureScope scope(ctx, "KUNDERAPPORT");
    Kunderapport rapport(ctx, sortering, beskrivelse, fakturabetingelse, filter, medKontakter);
    if (!rapport.open() || !report::kjorHele([&rapport] { return rapport.next(); }))
        return {}; // what stopped it has been said
    return rapport.pages();
}

} // namespace tavlo
