#pragma once
// The bank's OCR giro file: the KID payments into the supplier's account, read and checked
// whole before anything is booked, and each payment booked on the invoice its KID names.
//
// The file is 80-character records (ISO-8859-1, lines ending in LF or CRLF): 10 starts the
// transmission, 20 an assignment (one account), each payment is a 30 and a 31 (and a 32 with
// free text for some kinds), 88 ends the assignment with its count and total, 89 the
// transmission with the counts and total of all of it.
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "framework/decimal.h"

namespace tavlo {

class Context;

// One payment of the file.
struct OcrBetaling {
    int linje = 0;              // the line of its record 30, from 1
    std::string referanse;      // agreement, assignment, transaction, settlement date, serial
    std::string kid;            // trimmed, as UTF-8 (blank-free; may hold what is no digit)
    int transaksjonstype = 0;   // 10-21
    bool tilbakeforing = false; // types 18 and 20
    Decimal belop;              // as the file signs it
    int32_t oppgjorsdato = 0;
};

// A file read and found whole, or the reason it is refused: "Linje 17: ...".
struct OcrFil {
    std::vector<OcrBetaling> betalinger;
    std::string feil; // empty when the file adds up
    bool ok() const { return feil.empty(); }
};

// Reads and checks the whole file; nothing of a file that does not add up is kept. `konto`: the
// supplier's account (11 digits), which every assignment must be for; empty checks nothing.
// `idag` decides the century of the file's two-digit years (the one not more than ten years
// ahead of it).
OcrFil lesOcrFil(std::istream& in, const std::string& konto, int32_t idag);

// The invoice number a KID names: the digits before the last, when the last is their MOD10
// check digit; nullopt for a KID that is not one of ours.
std::optional<int32_t> fakturaFraKid(const std::string& kid);

enum class OcrUtfall {
    Betalt,       // paid in full now, or again exactly
    DelvisBetalt, // less than the amount due so far
    Overbetalt,   // more than the amount due (any payment to a credit note)
    UkjentKid,    // no invoice of ours: a wrong check digit or no such invoice
    Tilbakefort,  // a reversal booked on its invoice
    AlleredeLest, // in a file read before
};

struct OcrLinje {
    int linje = 0;
    std::string kid;
    int32_t fakturaId = 0; // 0: none
    Decimal belop;         // what it adds to the invoice (a reversal negative)
    int32_t oppgjorsdato = 0;
    OcrUtfall utfall = OcrUtfall::UkjentKid;
    bool tilbakeforing = false;
    // What is still due after it (negative: paid too much); for a matched payment.
    Decimal rest;
    bool betaltdatoSatt = false;
    bool betaltdatoFjernet = false;
};

struct OcrResultat {
    long lest = 0;   // payments and reversals in the file
    long koblet = 0; // booked on an invoice of ours
    long betalt = 0; // paid in full (or exactly again); the overpaid are paid too
    long delvis = 0; // partly paid
    long overbetalt = 0;
    long ukjentKid = 0;
    long tilbakeforinger = 0;
    long alleredeLest = 0;
    // Booked by this read: the payments less the reversals, those read before left out.
    Decimal totalt;
    std::vector<OcrLinje> linjer; // every payment, in the file's order
};

// What the user must look at: partly paid, overpaid, unknown KIDs and reversals.
bool trengerOppfolging(const OcrLinje& l);
// "Delvis betalt, gjenstår 500,00" and the like.
std::string utfallTekst(const OcrLinje& l);
// The counts as label and value, in the order shown.
std::vector<std::pair<std::string, std::string>> oppsummering(const OcrResultat& r);
// The columns of a line and its cells: KID, invoice, amount, settlement date, outcome.
const std::vector<std::string>& ocrKolonner();
std::vector<std::string> ocrCeller(const OcrLinje& l);
// An amount as the lists show it: 51.449,00.
std::string ocrBelop(const Decimal& d);

// "Innbetalinger fra bank (OCR)": reads the file named and books its payments.
class OcrInnlesing {
  public:
    enum class Utfall {
        Lest,          // every payment booked or found read before
        Avvist,        // the file was refused: nothing written; it has said why
        FerdigMedFeil, // a payment could not be booked: the run stopped there; it has said why
    };

    explicit OcrInnlesing(Context& ctx);

    std::string filnavn;
    // The day payments are noted as read, and the file's years are placed by.
    int32_t idag;

    // Each payment is booked with its invoice in a savepoint of its own, and they are committed
    // a fifth of a second's worth at a time: a payment is recorded exactly when its invoice
    // carries it, and a run stopped halfway is taken up by reading the file again.
    Utfall lesInn();

    const OcrResultat& resultat() const { return resultat_; }
    // Payments handled so far of the run going on (or the last), and of how many.
    long behandlet() const { return behandlet_; }
    long antall() const { return antall_; }
    bool running() const { return running_; }
    // Called as the run goes on (after each commit): the window redraws its bar.
    std::function<void()> progressChanged;

  private:
    Utfall bokfor(const std::vector<OcrBetaling>& betalinger);

    Context& ctx_;
    OcrResultat resultat_;
    long behandlet_ = 0;
    long antall_ = 0;
    bool running_ = false;
};

} // namespace tavlo
