#pragma once
// What an electronic invoice (EHF) needs beyond the printed one: the company's organisation
// number and registrations, and which of the customers' extra text fields holds a customer's
// organisation number. They live in spare fields of the parameter record, so the record's
// layout stays as other programs read it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/tables.h"

namespace tavlo {

class Context;
class Record;

namespace ehf {

inline constexpr TextField ORGNR = PAR::CSTRING1;          // the company's, as typed
inline constexpr IntField MVAREGISTRERT = PAR::LONG1;      // 1: in the VAT register
inline constexpr IntField FORETAKSREGISTERET = PAR::LONG2; // 1: in the register of companies
inline constexpr IntField KUNDEORGNRFELT = PAR::LONG3;     // 1…5: KUN:TEKST1…5; 0: none

struct Oppsett {
    std::string orgnr; // nine digits, or what was typed when it is not a valid number
    bool mvaRegistrert = false;
    bool foretaksregisteret = false;
    int kundeOrgnrFelt = 0;
};
Oppsett lesOppsett(const Record& par);

// An organisation number as people write it ("987 654 321", "NO987654321MVA") reduced to its
// digits; the text as typed (trimmed) when it holds anything else.
std::string orgnrSifre(std::string_view typed);
// Nine digits whose last is the modulus-11 check digit of the first eight (weights 3 2 7 6 5
// 4 3 2), as the register of legal entities gives them.
bool gyldigOrgnr(std::string_view digits);

// The customer's field that holds the organisation number: TEKST1…5; nullopt for any other.
std::optional<TextField> kundeOrgnrFelt(int tekstNr);

// Gives the customer form a labelled "Organisasjonsnr." control on that field when no custom
// field is defined on it yet, below the ones there are. False when it could not be written.
bool sikreOrgnrFelt(Context& ctx, int tekstNr);

} // namespace ehf
} // namespace tavlo
