#pragma once
// The invoice list "Fakturarapport": the selection the window (or the command line) makes, as a
// filter over FAKTURA and a description of it, and the list itself as pages: one row per
// invoice in the chosen order, credit notes' amounts negative, the totals, the count and the
// description at the end.
#include <cstdint>
#include <memory>
#include <string>

#include "framework/decimal.h"
#include "framework/process.h"
#include "framework/report/listekjoring.h"
#include "framework/report/listreport.h"

namespace tavlo {

class Context;

// What the user chose; 0 and blank mean no limit.
struct Fakturaavgrensning : report::Fakturaperioder {
    int32_t kundeId = 0;
    std::string kundeNavn; // beside a number its name; without one, a part of the names
    int32_t fakturaStatus = 0;
    std::string statusTekst;
    bool betaltBlank = false;
    int32_t kreditnota = 0; // 1 only credit notes, 2 no credit notes
    std::string filterstreng;
    int32_t sortering = 1; // 1 … 7, as the window offers them
};

// The longest part of a name the window takes.
constexpr std::size_t kKundeNavnLengde = 30;

struct Rapportutvalg {
    std::string sortering;   // "FAK:FakturaId" …
    std::string filter;      // "(1)" and a clause per limit
    std::string beskrivelse; // a line per limit, each ended by "\r\n"
};

Rapportutvalg byggUtvalg(const Fakturaavgrensning& a);
// The field of sort order 1 … 7; another number gives the first.
const char* sorteringsfelt(int32_t sortering);
// The customer's name beside its number, and the status's text, as the window shows them.
void slaOppTekster(Context& ctx, Fakturaavgrensning& a);

// The filter tried once on the invoices: false, after "Filteret inneholder feil og kan ikke
// brukes:|" and the filter, when it cannot be used. The free part is tried on its own too, so
// that it cannot close the limits' parentheses and undo them.
bool filterKanBrukes(Context& ctx, const Rapportutvalg& u, const Fakturaavgrensning& a);

// FAKTURARAPPORT's run: open(), then next() until it ends, then pages().
class Fakturarapport {
  public:
    Fakturarapport(Context& ctx, std::string sortering, std::string filter,
                   std::string beskrivelse);
    ~Fakturarapport();
    Fakturarapport(const Fakturarapport&) = delete;
    Fakturarapport& operator=(const Fakturarapport&) = delete;

    // False, with the record store's message, when the invoices cannot be read.
    bool open();
    // One invoice into the list.
    ProcessClass::Record next();
    int percent() const;
    int64_t antall() const { return antall_; }
    // The list with its closing; empty, after "Ingen poster", when no invoice was taken.
    report::PageList pages();

  private:
    Context& ctx_;
    std::string sortering_, filter_, beskrivelse_;
    report::Listevisning view_;
    report::ListReport liste_;
    int64_t antall_ = 0;
    Decimal grunnlag_, sum_, mva_, totalsum_;
};

// The whole run at once, for the command line: the pages, or empty after the message.
report::PageList FAKTURARAPPORT(Context& ctx, const std::string& sortering,
                                const std::string& filter, const std::string& beskrivelse);

} // namespace tavlo
