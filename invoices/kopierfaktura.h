#pragma once
// The invoice services the register and the forms use: a copy or a credit note made from an
// invoice, the warning when a customer's unpaid invoices pass the credit limit, and the check of
// what a new project line linked to an invoice gets. Headless; the dialogs bind to these.
#include <cstdint>
#include <string>

namespace tavlo {

class Context;

// What the copy dialog holds.
struct KopierValg {
    int32_t fakturaStatus = 0; // code of group 105; its KOD:BYTE1 = 1 makes a credit note
    bool kopierLinjer = true;
    bool oppdaterDatoer = true; // today's date, and a due date from the payment terms
};

// The dialog's proposal when it opens: the standard status for a copy, or for a credit note.
KopierValg kopierForslag(Context& ctx, bool kreditnota);
std::string fakturastatusTekst(Context& ctx, int32_t status);

// "Start kopiering": the new invoice (and its lines, unless left out) in one transaction, and
// for a credit note the invoice it credits noted with it. The new invoice's number, or 0 when
// nothing was copied; the messages have said why. `quiet`: no closing "er nå opprettet" note
// (the command line prints the number itself).
int32_t kopierFaktura(Context& ctx, int32_t fakturaId, const KopierValg& valg, bool quiet = false);

// Warns once when the customer's unpaid invoices, added up in invoice-date order, pass the
// customer's credit limit. Nothing for customer 0 or a limit of 0.
void SJEKKKREDITTGRENSE(Context& ctx, int32_t kundeId);

// What the project-link dialog collects.
struct PrjLinkInfo {
    int32_t dato = 0;
    std::string tekst;
    bool kreditnota = false;
    int32_t mvaType = 0; // passed through unchanged
};
// "&Ok": false with the warning when the date or the text is missing.
bool prjLinkInfoGodtatt(Context& ctx, const PrjLinkInfo& info);

} // namespace tavlo
