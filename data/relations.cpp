#include "data/relations.h"

namespace tavlo {

const std::vector<RelationDecl>& relations()
{
    // On KUNDE the contacts come first: deleting a customer removes its contacts before its
    // invoices are checked, and the transaction brings them back when an invoice refuses.
    static const std::vector<RelationDecl> all = {
        {Tbl::KUNDE,
         Tbl::KONTAKT,
         KON::KeyKundeId_Navn,
         RI_CASCADE,
         RI_CASCADE,
         {{KUN::KUNDEID.no, KON::KUNDEID.no}}},
        {Tbl::KUNDE,
         Tbl::FAKTURA,
         FAK::KeyKundeId_FakturaDato,
         RI_CASCADE,
         RI_RESTRICT,
         {{KUN::KUNDEID.no, FAK::KUNDEID.no}}},
        {Tbl::FAKTURA,
         Tbl::FAKLINJE,
         FLI::KeyFakturaId_LinjeNr,
         RI_CASCADE,
         RI_CASCADE,
         {{FAK::FAKTURAID.no, FLI::FAKTURAID.no}}},
        {Tbl::GRUNNLAG,
         Tbl::GRULINJE,
         GLI::KeyGrunnlagId_LinjeNr,
         RI_CASCADE,
         RI_CASCADE,
         {{GRU::GRUNNLAGID.no, GLI::GRUNNLAGID.no}}},
        {Tbl::PROSJEKT,
         Tbl::PRJLINJE,
         PLI::KeyProsjektId_Dato,
         RI_CASCADE,
         RI_CASCADE,
         {{PRJ::PROSJEKTID.no, PLI::PROSJEKTID.no}}},
    };
    return all;
}

} // namespace tavlo
