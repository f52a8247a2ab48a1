#pragma once
// What an invoice and a billing basis share: a header with a customer, dates, VAT type and sums,
// and lines with a product, quantity, price, discount and VAT. The rules both forms follow are
// written once here over the fields of either table; each form adds only what is its own.
#include <cstdint>

#include "data/record.h"
#include "data/tables.h"
#include "framework/decimal.h"

namespace tavlo {

class Context;
struct FakturaSummer;

// A header's fields in its table (the alias has the same numbers).
struct HodeFelt {
    Tbl tabell;
    IntField id, kundeId, postnr, betalingsbetingelse, mvaType;
    TextField kundenavn, adresse, adresse2, poststed, deresReferanse, varReferanse;
    DateField fakturadato, forfallsdato;
    DecField sum, mvaGrunnlag, mva, totalsum;

    static const HodeFelt& faktura();
    static const HodeFelt& grunnlag();
};

// A line's fields in its table, and the line tables' alias and keys.
struct LinjeFelt {
    Tbl tabell, alias;
    IntField id, hodeId, linjenr, produktId, mvaSats;
    TextField produktnavn, enhet;
    ByteField overskrift, mvaPliktig;
    DecField antall, rabatt, enhetspris, sum;
    MemoRef beskrivelse, div;
    KeyRef idKey, hodeLinjeKey;

    static const LinjeFelt& faktura();
    static const LinjeFelt& grunnlag();
};

// The customer's name, address, payment terms, postal place and main contact (as the
// reference) into a header. The due date is the caller's rule.
void kopierKunde(Context& ctx, Record& hode, const HodeFelt& f, const Record& kunde);
// A customer number that is not there: the number and everything copied from a customer go.
void glemKunde(Record& hode, const HodeFelt& f);

// The sums of a header's stored lines, read through the line table's alias in line-number
// order; false, and `out` untouched, when they cannot be read.
bool summerLinjer(Context& ctx, const LinjeFelt& f, int32_t hodeId, int32_t mvaType,
                  const Decimal& avrunding, bool kreditnota, FakturaSummer& out);
void settSummer(Record& hode, const HodeFelt& f, const FakturaSummer& s);

// The line form's rules.
struct Linjeberegning {
    Decimal delsum, rabattkroner;
};
// Quantity × price, less the discount; 0 while quantity or price is 0.
Linjeberegning linjesum(Record& linje, const LinjeFelt& f);
// The product's name, unit, price, standard quantity, VAT and description into the line; the
// discount is the larger of the product's and the customer's, capped by the product's highest.
// `medMva` false: a header without VAT, whose lines take none.
void kopierProdukt(Record& linje, const LinjeFelt& f, const Record& produkt,
                   const Decimal& kundeRabatt, bool medMva);
// A discount below 0 or above 100 becomes 0.
void rabattGrense(Record& linje, const LinjeFelt& f);
// A VAT-liable line without a rate takes the standard rate.
void standardMvaSats(Record& linje, const LinjeFelt& f, int32_t stdSats);
// A heading line holds only its text.
void tomOverskrift(Record& linje, const LinjeFelt& f);
// A line with nothing but a text, which the form asks about as a heading.
bool bareTekst(const Record& linje, const LinjeFelt& f);
// The highlighted line (in the line table's buffer) one place up or down among its header's
// lines, through the alias; false when it cannot move.
bool flyttLinje(Context& ctx, const LinjeFelt& f, bool opp, int32_t hoyesteLinjenr);

} // namespace tavlo
