#pragma once
// The product list "Produktrapport": the limits the window (or the command line) makes into a
// filter over PRODUKT and a description of it, and the list itself as pages: a line per product
// in the chosen order, the count and the description at the end.
#include <cstdint>
#include <string>

#include "framework/process.h"
#include "framework/report/listekjoring.h"
#include "framework/report/listreport.h"

namespace tavlo {

class Context;

// What the user chose; 0 and blank mean no limit.
struct Produktavgrensning {
    int32_t sortering = 1; // 1 product number, 2 name, 3 product group
    int32_t produktgruppe = 0;
    std::string gruppeTekst;
    std::string filterstreng;
    bool lagerstyring = false; // only products under stock control
    int32_t mvaPliktig = 0;    // 1 only VAT-liable, 2 only not VAT-liable
};

struct Produktutvalg {
    std::string sortering;   // "PRO:ProduktId" …
    std::string beskrivelse; // a line per limit, each ended by "\r\n"
    std::string filter;      // "(1)" and a clause per limit
};

Produktutvalg byggProduktutvalg(const Produktavgrensning& a);
// The field of sort order 1 … 3; another number gives the first.
const char* produktsortering(int32_t sortering);
// The group's text, as the window shows it.
void slaOppProdukttekster(Context& ctx, Produktavgrensning& a);
// The filter tried once; false after the message.
bool produktfilterKanBrukes(Context& ctx, const Produktutvalg& u, const Produktavgrensning& a);

// PRODUKTRAPPORT's run: open(), then next() until it ends, then pages().
class Produktrapport {
  public:
    Produktrapport(Context& ctx, std::string sortering, std::string beskrivelse,
                   std::string filter);
    Produktrapport(const Produktrapport&) = delete;
    Produktrapport& operator=(const Produktrapport&) = delete;

    // False, with the record store's message, when the products cannot be read.
    bool open();
    ProcessClass::Record next();
    int percent() const;
    int64_t antall() const { return antall_; }
    // The list with its closing; empty, after "Ingen poster", when no product was taken.
    report::PageList pages();

  private:
    Context& ctx_;
    std::string sortering_, beskrivelse_, filter_;
    report::Listevisning view_;
    report::ListReport liste_;
    int64_t antall_ = 0;
};

// The whole run at once, for the command line: the pages, or empty after the message.
report::PageList PRODUKTRAPPORT(Context& ctx, const std::string& sortering,
                                const std::string& beskrivelse, const std::string& filter);

} // namespace tavlo
