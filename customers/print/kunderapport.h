#pragma once
// The customer list "Kunderapport": the limits the window (or the command line) makes into a
// customer filter, an invoice condition and a description, and the list itself as pages: a line
// per customer with what the chosen invoices come to, its contact persons under it when asked,
// the total, the count and the description at the end.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/decimal.h"
#include "framework/process.h"
#include "framework/report/listekjoring.h"
#include "framework/report/listreport.h"

namespace tavlo {

class Context;

// What the user chose; 0 and blank mean no limit. The periods limit the invoices summed.
struct Kundeavgrensning : report::Fakturaperioder {
    int32_t kundeGruppe = 0;
    std::string gruppeTekst;
    int32_t postNr = 0;
    std::string poststed;
    bool betaltBlank = false;
    std::string filterstreng;
    bool kontaktpersoner = false;
    int32_t sortering = 1; // 1 … 6, as the window offers them
};

struct Kundeutvalg {
    std::string sortering;         // "KUN:KundeId" …
    std::string beskrivelse;       // a line per limit, each ended by "\r\n"
    std::string fakturabetingelse; // " AND (FAK:…)" per invoice limit, or empty
    std::string filter;            // over KUNDE: "(1)" and a clause per limit
};

Kundeutvalg byggKundeutvalg(const Kundeavgrensning& a);
// The field of sort order 1 … 6; another number gives the first.
const char* kundesortering(int32_t sortering);
// The group's and the post number's texts, as the window shows them.
void slaOppKundetekster(Context& ctx, Kundeavgrensning& a);
// The customer filter tried once; false after the message.
bool kundefilterKanBrukes(Context& ctx, const Kundeutvalg& u, const Kundeavgrensning& a);

// KUNDERAPPORT's run: open(), then next() until it ends, then pages().
class Kunderapport {
  public:
    Kunderapport(Context& ctx, std::string sortering, std::string beskrivelse,
                 std::string fakturabetingelse, std::string filter, bool medKontakter);
    Kunderapport(const Kunderapport&) = delete;
    Kunderapport& operator=(const Kunderapport&) = delete;

    // False, with the record store's message, when the customers cannot be read.
    bool open();
    // One customer (and its contacts) into the list.
    ProcessClass::Record next();
    int percent() const;
    int64_t antall() const { return antall_; }
    // The list with its closing; empty, after "Ingen poster", when no customer was taken.
    report::PageList pages();

  private:
    Decimal fakturert(int32_t kundeId);
    bool kontakter(const Record& kun);

    Context& ctx_;
    std::string sortering_, beskrivelse_, fakturabetingelse_, filter_;
    bool medKontakter_;
    report::Listevisning view_;
    // The order by payment terms has no key: those customers are read first and sorted here.
    std::vector<Record> sortert_;
    bool iMinnet_ = false;
    std::size_t neste_ = 0;
    report::ListReport liste_;
    int64_t antall_ = 0;
    Decimal sum_;
};

// The whole run at once, for the command line: the pages, or empty after the message.
report::PageList KUNDERAPPORT(Context& ctx, const std::string& sortering,
                              const std::string& beskrivelse, const std::string& fakturabetingelse,
                              const std::string& filter, bool medKontakter);

} // namespace tavlo
