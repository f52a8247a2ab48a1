#pragma once
// What the printed lists share beyond their layout (listreport.h): the filter tried once before
// anything prints, the view read record by record with how far it has come, and the whole run at
// once for the command line.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "data/tables.h"
#include "framework/process.h"

namespace tavlo {

class Context;
class Record;
class ViewManager;

namespace report {

// A list's sort order: the field its filter and description name it by, and the key that walks
// it (one that begins with the field).
struct Sortering {
    const char* felt;
    KeyRef key;
};
// Order `nr` (from 1) of `orders`; another number gives the first.
const Sortering& sortering(std::span<const Sortering> orders, int32_t nr);
// The order whose field is `felt`; the first when none is (a broken promise of the caller's).
const Sortering& sorteringFor(std::span<const Sortering> orders, const std::string& felt);

// The invoice periods the invoice and customer lists are limited by; 0 is no limit.
struct Fakturaperioder {
    int32_t fraFakturaDato = 0, tilFakturaDato = 0;
    int32_t fraForfallsDato = 0, tilForfallsDato = 0;
    int32_t fraBetaltDato = 0, tilBetaltDato = 0;
};
// Each date given, in the order above, as its description line ("Fakturadato >= 01.03.2026")
// and its clause over FAKTURA (" AND (FAK:FakturaDato >= 82500)"), handed to `grense`.
void fakturaperioder(
    const Fakturaperioder& p,
    const std::function<void(const std::string& linje, const std::string& ledd)>& grense);

// The filter tried once on `tbl`'s record: false, after "Filteret inneholder feil og kan ikke
// brukes:|" and the filter, when it cannot be used. The user's free part is tried on its own too,
// so that it cannot close the limits' parentheses and undo them.
bool filterKanBrukes(Context& ctx, Tbl tbl, const std::string& filter, std::string_view fritt);

// A list's records: a view over one table in one key's order with the list's filter.
class Listevisning {
  public:
    Listevisning();
    ~Listevisning();
    Listevisning(const Listevisning&) = delete;
    Listevisning& operator=(const Listevisning&) = delete;

    // False, with the record store's message, when the table cannot be read.
    bool open(Context& ctx, Tbl tbl, KeyRef key, const std::string& filter);
    // The next record into rec(): Taken; End after the last; Stop after a read that failed
    // (said by the view).
    ProcessClass::Record next();
    const Record& rec() const;
    // How far `read` records are through the table, 0 … 100.
    int percent(int64_t read) const;

  private:
    std::unique_ptr<ViewManager> view_;
    mutable int64_t totalt_ = -1;
};

// The whole run at once: `next` until the end. False when a record stopped it (said).
bool kjorHele(const std::function<ProcessClass::Record()>& next);

// "Ingen poster": the run took no record.
void ingenPoster(Context& ctx);

} // namespace report
} // namespace tavlo
