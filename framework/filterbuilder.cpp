#include "framework/filterbuilder.h"

#include <algorithm>
#include <map>
#include <optional>

#include "framework/picture.h"
#include "framework/text.h"

namespace tavlo {
namespace {

// The fields the builder offers per table number, in the order the lists give them.
const std::map<int, std::vector<FilterField>>& fieldLists()
{
    static const std::map<int, std::vector<FilterField>> lists = {
    {1, {
        {"KUN:KundeId", "Kundenummer", 1},
        {"KUN:RegistreringsDato", "Registreringsdato", 4},
        {"KUN:Navn", "Navn", 3},
        {"KUN:Adresse", "Adresse", 3},
        {"KUN:Adresse2", "Adresse 2", 3},
        {"KUN:PostNr", "PostNr", 1},
        {"KUN:Telefon", "Telefon", 3},
        {"KUN:Mobil", "Mobil", 3},
        {"KUN:Faks", "Faks", 3},
        {"KUN:EMail", "E-post", 3},
        {"KUN:HovedKontakt", "HovedKontaktnr", 1},
        {"KUN:BetalingsBetingelser", "Betalingsbetingelser", 1},
        {"KUN:LeveringsMate", "Leveringsmåte", 1},
        {"KUN:KundeGruppe", "Kundegruppe", 1},
        {"KUN:KredittGrense", "Kredittgrense", 1},
        {"KUN:Rabatt", "Rabatt", 2},
        {"KUN:Heltall1", "Egendefinert heltall 1", 1},
        {"KUN:Heltall2", "Egendefinert heltall 2", 1},
        {"KUN:Heltall3", "Egendefinert heltall 3", 1},
        {"KUN:Heltall4", "Egendefinert heltall 4", 1},
        {"KUN:Heltall5", "Egendefinert heltall 5", 1},
        {"KUN:Heltall6", "Egendefinert heltall 6", 1},
        {"KUN:Heltall7", "Egendefinert heltall 7", 1},
        {"KUN:Heltall8", "Egendefinert heltall 8", 1},
        {"KUN:Heltall9", "Egendefinert heltall 9", 1},
        {"KUN:Heltall10", "Egendefinert heltall 10", 1},
        {"KUN:Desimaltall1", "Egendefinert desimaltall 1", 2},
        {"KUN:Desimaltall2", "Egendefinert desimaltall 2", 2},
        {"KUN:Desimaltall3", "Egendefinert desimaltall 3", 2},
        {"KUN:Desimaltall4", "Egendefinert desimaltall 4", 2},
        {"KUN:Desimaltall5", "Egendefinert desimaltall 5", 2},
        {"KUN:Tekst1", "Egendefinert tekst 1", 3},
        {"KUN:Tekst2", "Egendefinert tekst 2", 3},
        {"KUN:Tekst3", "Egendefinert tekst 3", 3},
        {"KUN:Tekst4", "Egendefinert tekst 4", 3},
        {"KUN:Tekst5", "Egendefinert tekst 5", 3},
        {"KUN:ImportBatchNr", "Importbatch nummer", 1},
        {"KUN:Div", "Diverse", 3},
    }},
    {2, {
        {"PRO:ProduktId", "Produktnummer", 1},
        {"PRO:Navn", "Produktnavn", 3},
        {"PRO:ProduktGruppe", "Produktgruppe", 1},
        {"PRO:Enhetsbenevning", "Enhetsbenevning", 3},
        {"PRO:Enhetspris", "Enhetspris", 2},
        {"PRO:MVAPliktig", "MVA pliktig", 1},
        {"PRO:MVASats", "MVA sats", 1},
        {"PRO:StdFakturaLinjeAntall", "Standard antall", 2},
        {"PRO:StdFakturaLinjeRabatt", "Standard rabatt", 2},
        {"PRO:MaxFakturaLinjeRabatt", "Maks rabatt", 2},
        {"PRO:Lagerstyring", "Lagerstyring", 1},
        {"PRO:Lagerbeholdning", "Lagerbeholdning", 2},
        {"PRO:MinLagerbeholdning", "Minimum lagerbeholdning", 2},
        {"PRO:Heltall1", "Egendefinert heltall 1", 1},
        {"PRO:Heltall2", "Egendefinert heltall 2", 1},
        {"PRO:Heltall3", "Egendefinert heltall 3", 1},
        {"PRO:Heltall4", "Egendefinert heltall 4", 1},
        {"PRO:Heltall5", "Egendefinert heltall 5", 1},
        {"PRO:Heltall6", "Egendefinert heltall 6", 1},
        {"PRO:Heltall7", "Egendefinert heltall 7", 1},
        {"PRO:Heltall8", "Egendefinert heltall 8", 1},
        {"PRO:Heltall9", "Egendefinert heltall 9", 1},
        {"PRO:Heltall10", "Egendefinert heltall 10", 1},
        {"PRO:Desimaltall1", "Egendefinert desimaltall 1", 2},
        {"PRO:Desimaltall2", "Egendefinert desimaltall 2", 2},
        {"PRO:Desimaltall3", "Egendefinert desimaltall 3", 2},
        {"PRO:Desimaltall4", "Egendefinert desimaltall 4", 2},
        {"PRO:Desimaltall5", "Egendefinert desimaltall 5", 2},
        {"PRO:Tekst1", "Egendefinert tekst 1", 3},
        {"PRO:Tekst2", "Egendefinert tekst 2", 3},
        {"PRO:Tekst3", "Egendefinert tekst 3", 3},
        {"PRO:Tekst4", "Egendefinert tekst 4", 3},
        {"PRO:Tekst5", "Egendefinert tekst 5", 3},
        {"PRO:ImportBatchNr", "Importbatch nummer", 1},
        {"PRO:Beskrivelse", "Beskrivelse", 3},
        {"PRO:Div", "Diverse", 3},
    }},
    {3, {
        {"FAK:FakturaId", "Fakturanummer", 1},
        {"FAK:FakturaDato", "Fakturadato", 4},
        {"FAK:OpprinneligFakturaDato", "Opprinnelig fakturadato", 4},
        {"FAK:KundeId", "Kundenummer", 1},
        {"FAK:KundeNavn", "Kundenavn", 3},
        {"FAK:Adresse", "Adresse", 3},
        {"FAK:Adresse2", "Adresse 2", 3},
        {"FAK:PostNr", "Postnummer", 1},
        {"FAK:Poststed", "Poststed", 3},
        {"FAK:KontaktId", "Kontaktnummer", 1},
        {"FAK:Betalingsbetingelse", "Betalingsbetingelse", 1},
        {"FAK:ForfallsDato", "Forfallsdato", 4},
        {"FAK:OpprinneligForfallsDato", "Opprinnelig forfallsdato", 4},
        {"FAK:BetaltDato", "Betaltdato", 4},
        {"FAK:FakturaStatus", "Fakturastatus", 1},
        {"FAK:UtskriftStatus", "Utskriftstatus", 1},
        {"FAK:SumMVAGrunnlag", "Sum MVA grunnlag", 2},
        {"FAK:Sum", "Sum", 2},
        {"FAK:MVA", "MVA", 2},
        {"FAK:MVAType", "MVA type", 1},
        {"FAK:TotalSum", "Totalsum", 2},
        {"FAK:DeresReferanse", "Deres referanse", 3},
        {"FAK:VarReferanse", "Vår referanse", 3},
        {"FAK:KreditNota", "Kreditnota", 1},
        {"FAK:ImportBatchNr", "ImportBatchNr", 1},
        {"FAK:ProsjektId", "ProsjektId", 1},
        {"FAK:PrjLinjeId", "ProsjektlinjeId", 1},
        {"FAK:Heltall1", "Egendefinert heltall 1", 1},
        {"FAK:Heltall2", "Egendefinert heltall 2", 1},
        {"FAK:Heltall3", "Egendefinert heltall 3", 1},
        {"FAK:Heltall4", "Egendefinert heltall 4", 1},
        {"FAK:Heltall5", "Egendefinert heltall 5", 1},
        {"FAK:Heltall6", "Egendefinert heltall 6", 1},
        {"FAK:Heltall7", "Egendefinert heltall 7", 1},
        {"FAK:Heltall8", "Egendefinert heltall 8", 1},
        {"FAK:Heltall9", "Egendefinert heltall 9", 1},
        {"FAK:Heltall10", "Egendefinert heltall 10", 1},
        {"FAK:Desimaltall1", "Egendefinert desimaltall 1", 2},
        {"FAK:Desimaltall2", "Egendefinert desimaltall 2", 2},
        {"FAK:Desimaltall3", "Egendefinert desimaltall 3", 2},
        {"FAK:Desimaltall4", "Egendefinert desimaltall 4", 2},
        {"FAK:Desimaltall5", "Egendefinert desimaltall 5", 2},
        {"FAK:Tekst1", "Egendefinert tekst 1", 3},
        {"FAK:Tekst2", "Egendefinert tekst 2", 3},
        {"FAK:Tekst3", "Egendefinert tekst 3", 3},
        {"FAK:Tekst4", "Egendefinert tekst 4", 3},
        {"FAK:Tekst5", "Egendefinert tekst 5", 3},
        {"FAK:ImportBatchNr", "Importbatch nummer", 1},
        {"FAK:Melding", "Melding", 3},
        {"FAK:Beskrivelse", "Beskrivelse", 3},
        {"FAK:Div", "Diverse", 3},
    }},
    {5, {
        {"GRU:GrunnlagId", "Grunnlagnummer", 1},
        {"GRU:Tekst", "Tekst", 3},
        {"GRU:FakturaDato", "Fakturadato", 4},
        {"GRU:KundeId", "Kundenummer", 1},
        {"GRU:KundeNavn", "Kundenavn", 3},
        {"GRU:Adresse", "Adresse", 3},
        {"GRU:Adresse2", "Adresse 2", 3},
        {"GRU:PostNr", "Postnummer", 1},
        {"GRU:Poststed", "Poststed", 3},
        {"GRU:KontaktId", "Kontaktnummer", 1},
        {"GRU:Betalingsbetingelse", "Betalingsbetingelse", 1},
        {"GRU:ForfallsDato", "Forfallsdato", 4},
        {"GRU:BetaltDato", "Betaltdato", 4},
        {"GRU:FakturaStatus", "Fakturastatus", 1},
        {"GRU:SumMVAGrunnlag", "Sum MVA grunnlag", 2},
        {"GRU:Sum", "Sum", 2},
        {"GRU:MVA", "MVA", 2},
        {"GRU:MVAType", "MVA type", 1},
        {"GRU:TotalSum", "Totalsum", 2},
        {"GRU:DeresReferanse", "Deres referanse", 3},
        {"GRU:VarReferanse", "Vår referanse", 3},
        {"GRU:Heltall1", "Egendefinert heltall 1", 1},
        {"GRU:Heltall2", "Egendefinert heltall 2", 1},
        {"GRU:Heltall3", "Egendefinert heltall 3", 1},
        {"GRU:Heltall4", "Egendefinert heltall 4", 1},
        {"GRU:Heltall5", "Egendefinert heltall 5", 1},
        {"GRU:Heltall6", "Egendefinert heltall 6", 1},
        {"GRU:Heltall7", "Egendefinert heltall 7", 1},
        {"GRU:Heltall8", "Egendefinert heltall 8", 1},
        {"GRU:Heltall9", "Egendefinert heltall 9", 1},
        {"GRU:Heltall10", "Egendefinert heltall 10", 1},
        {"GRU:Desimaltall1", "Egendefinert desimaltall 1", 2},
        {"GRU:Desimaltall2", "Egendefinert desimaltall 2", 2},
        {"GRU:Desimaltall3", "Egendefinert desimaltall 3", 2},
        {"GRU:Desimaltall4", "Egendefinert desimaltall 4", 2},
        {"GRU:Desimaltall5", "Egendefinert desimaltall 5", 2},
        {"GRU:Tekst1", "Egendefinert tekst 1", 3},
        {"GRU:Tekst2", "Egendefinert tekst 2", 3},
        {"GRU:Tekst3", "Egendefinert tekst 3", 3},
        {"GRU:Tekst4", "Egendefinert tekst 4", 3},
        {"GRU:Tekst5", "Egendefinert tekst 5", 3},
        {"GRU:Melding", "Melding", 3},
        {"GRU:Beskrivelse", "Beskrivelse", 3},
        {"GRU:Div", "Diverse", 3},
    }},
    {13, {
        {"PRJ:ProsjektId", "ProsjektId", 2},
        {"PRJ:Navn", "Navn", 2},
        {"PRJ:Type", "Type", 2},
        {"PRJ:Status", "Prosjektstatus", 2},
        {"PRJ:KundeId", "Kundenummer", 2},
        {"PRJ:Avsluttet", "Avsluttet", 2},
        {"PRJ:StartDato", "Startdato", 2},
        {"PRJ:StoppDato", "Sluttdato", 2},
        {"PRJ:TotaltInn", "Totalbeløp - Inn", 2},
        {"PRJ:TotaltUt", "Totalbeløp - Ut", 2},
        {"PRJ:TotaltDiff", "Totalbeløp - Differanse", 2},
        {"PRJ:BudsjettInn", "Budsjett - Inn", 2},
        {"PRJ:BudsjettUt", "Budsjett - Ut", 2},
        {"PRJ:BudsjettDiff", "Budsjett - Differanse", 2},
        {"PRJ:Heltall1", "Egendefinert heltall 1", 1},
        {"PRJ:Heltall2", "Egendefinert heltall 2", 1},
        {"PRJ:Heltall3", "Egendefinert heltall 3", 1},
        {"PRJ:Heltall4", "Egendefinert heltall 4", 1},
        {"PRJ:Heltall5", "Egendefinert heltall 5", 1},
        {"PRJ:Heltall6", "Egendefinert heltall 6", 1},
        {"PRJ:Heltall7", "Egendefinert heltall 7", 1},
        {"PRJ:Heltall8", "Egendefinert heltall 8", 1},
        {"PRJ:Heltall9", "Egendefinert heltall 9", 1},
        {"PRJ:Heltall10", "Egendefinert heltall 10", 1},
        {"PRJ:Desimaltall1", "Egendefinert desimaltall 1", 2},
        {"PRJ:Desimaltall2", "Egendefinert desimaltall 2", 2},
        {"PRJ:Desimaltall3", "Egendefinert desimaltall 3", 2},
        {"PRJ:Desimaltall4", "Egendefinert desimaltall 4", 2},
        {"PRJ:Desimaltall5", "Egendefinert desimaltall 5", 2},
        {"PRJ:Tekst1", "Egendefinert tekst 1", 3},
        {"PRJ:Tekst2", "Egendefinert tekst 2", 3},
        {"PRJ:Tekst3", "Egendefinert tekst 3", 3},
        {"PRJ:Tekst4", "Egendefinert tekst 4", 3},
        {"PRJ:Tekst5", "Egendefinert tekst 5", 3},
        {"PRJ:Div", "Diverse", 2},
    }},
    };
    return lists;
}

const char* const kOperators[] = {" = ", " <> ", " < ", " > ", " <= ", " >= "};
constexpr std::size_t kValueChars = 50;

} // namespace

std::vector<FilterField> filterFields(int tableNo, AnswerService& answers)
{
    auto it = fieldLists().find(tableNo);
    if (it == fieldLists().end()) {
        answers.message({"Ukjent tabell: " + std::to_string(tableNo), "Advarsel",
                         Icon::Exclamation, BUTTON_OK, BUTTON_OK});
        return {};
    }
    std::vector<FilterField> fields = it->second;
    std::stable_sort(fields.begin(), fields.end(), [](const FilterField& a, const FilterField& b) {
        return text::collate(a.label, b.label) < 0;
    });
    return fields;
}

const char* valuePicture(int valueType)
{
    switch (valueType) {
    case 1: return "@N-14.B";
    case 2: return "@N-14.`2B";
    case 3: return "@S51";
    case 4: return "@D06.B";
    case 5: return "@T01";
    default: return "@S51";
    }
}

FilterBuilder::FilterBuilder(int tableNo, std::string& expression, AnswerService& answers)
    : expression_(expression), answers_(answers), fields_(filterFields(tableNo, answers))
{
}

bool FilterBuilder::enterValue(std::string_view typed)
{
    const char* pic = valuePicture(valueType);
    std::optional<std::string> held;
    if (text::trim(typed).empty()) {
        held.emplace();
    } else if (valueType == 1 || valueType == 2) {
        if (auto n = picture::parseNumber(pic, typed))
            held = n->toString();
    } else if (valueType == 4) {
        if (auto d = picture::parseDate(pic, typed))
            held = std::to_string(*d);
    } else if (valueType == 5) {
        if (auto t = picture::parseTime(pic, typed))
            held = std::to_string(*t);
    } else {
        held = text::truncate(typed, kValueChars);
    }
    if (!held)
        return false;
    value = std::move(*held);
    return true;
}

std::string FilterBuilder::shownValue() const
{
    const char* pic = valuePicture(valueType);
    // A value held under another type (the type changed after it was typed) that is no number
    // is shown as it is, rather than lost.
    const auto n = Decimal::parse(value);
    if (!n || (n->scale() > 0 && valueType != 2))
        return value;
    switch (valueType) {
    case 1:
    case 2: return std::string(text::trim(picture::format(pic, *n)));
    case 4: return picture::formatDate(pic, static_cast<int32_t>(n->toInt()));
    case 5: return picture::formatTime(pic, static_cast<int32_t>(n->toInt()));
    default: return value;
    }
}

void FilterBuilder::chooseField(int row)
{
    if (row < 0 || row >= static_cast<int>(fields_.size()))
        return;
    field = fields_[row].name;
    valueType = fields_[row].type;
}

void FilterBuilder::insertFieldName(int row)
{
    if (row >= 0 && row < static_cast<int>(fields_.size()))
        expression_ += fields_[row].name;
}

bool FilterBuilder::insertCondition()
{
    std::string f(text::trim(field));
    if (f.empty()) {
        answers_.message({"Felt mangler", "Advarsel", Icon::Exclamation, BUTTON_OK, BUTTON_OK});
        return false;
    }
    std::string condition =
        "(" + f + (op >= 1 && op <= 6 ? kOperators[op - 1] : std::string(" ? "));
    if (text::trim(value).empty()) {
        answers_.message({"Verdi mangler", "Advarsel", Icon::Exclamation, BUTTON_OK, BUTTON_OK});
        return false;
    }
    // The value goes in as typed: a text must be typed with its quotes, a date or time as the
    // serial number the entry holds.
    expression_ += condition + std::string(text::trim(value)) + ")";
    field.clear();
    value.clear();
    op = 1;
    valueType = 0;
    return true;
}

void FilterBuilder::andButton()
{
    expression_ += " AND ";
}

void FilterBuilder::orButton()
{
    expression_ += " OR ";
}

void FilterBuilder::clear()
{
    expression_.clear();
}

} // namespace tavlo
