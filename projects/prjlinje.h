#pragma once
// The project-line operations other modules call to keep a project line in step with an invoice
// or an invoice line, without the project windows. They write only PRJLINJE, never the project:
// its totals are counted from the lines when its form is saved. Each opens and closes the table,
// shows one message (a success too) and leaves the written line in the PRJLINJE buffer.
#include <cstdint>
#include <string>

#include "framework/decimal.h"

namespace tavlo {

class Context;

// What a project line holds besides its number.
struct PrjLinjeVerdier {
    std::string prosjektId; // at most 20 characters
    int32_t fakturaId = 0;
    int32_t fakLinjeId = 0;
    int32_t dato = 0;
    int32_t fakturaStatus = 0;
    std::string tekst;
    Decimal inn; // stored with two decimals
    Decimal ut;
    std::string div;
};

// The most characters a project line keeps of its project's id.
constexpr int kPrjLinjeIdLengde = 20;

// The new PLI:PRJLINJEID, or 0. A project id longer than a line holds is refused, not cut: the
// line would belong to no project.
int32_t INSERTPRJLINJE(Context& ctx, const PrjLinjeVerdier& v);
// 1 on success, 0 on failure.
int UPDATEPRJLINJE(Context& ctx, int32_t prjLinjeId, const PrjLinjeVerdier& v);
// Asks the delete confirmation first; declined counts as failed. 1 on success, 0 on failure.
int DELETEPRJLINJE(Context& ctx, int32_t prjLinjeId);
// Only the two amounts change. 1 on success, 0 on failure.
int UPDATEPRJLINJE_BELOP(Context& ctx, int32_t prjLinjeId, const Decimal& inn, const Decimal& ut);

// Whether `id` fits in a project line; else the message and false.
bool prosjektIdPasser(Context& ctx, const std::string& id);

} // namespace tavlo
