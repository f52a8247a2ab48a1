#include "data/stock.h"

#include <algorithm>
#include <string>

#include "data/context.h"
#include "data/hooks.h"
#include "framework/answer.h"
#include "framework/openmanagers.h"

namespace tavlo {
namespace {

// Numbers in these messages are written plain: no grouping, no trailing zeros, and the decimal
// comma the user reads everywhere else.
std::string plain(const Decimal& d)
{
    std::string s = d.toString();
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

bool readProduct(FileManager& pro, int32_t productId)
{
    pro.rec().clear();
    pro.rec().set(PRO::PRODUKTID, productId);
    return pro.FETCH(PRO::KeyProduktId) == LEVEL_BENIGN;
}

enum class Written { DONE, NO_STOCK_CONTROL, FAILED };

// The stock is read again and written back inside one write transaction: what another user
// changed since the first read (while the question was up, say) is added to, never written over.
Written addToStock(FileManager& pro, int32_t productId, const Decimal& quantity)
{
    TableFile* file = pro.file();
    StoreError err;
    if (!file || !file->begin(err))
        return Written::FAILED;
    Written result = Written::FAILED;
    if (readProduct(pro, productId)) {
        Record& r = pro.rec();
        if (r.get(PRO::LAGERSTYRING) == 0)
            result = Written::NO_STOCK_CONTROL;
        else if (r.set(PRO::LAGERBEHOLDNING, r.get(PRO::LAGERBEHOLDNING) + quantity) &&
                 pro.TRYUPDATE() == LEVEL_BENIGN)
            result = Written::DONE;
    }
    // Ends only this call's level of a transaction the caller may hold; a failed write has
    // changed nothing, so there is nothing to roll back.
    if (!file->commit(err))
        return Written::FAILED;
    return result;
}

} // namespace

int OPPDATERLAGERBEHOLDNING(Context& ctx, int32_t productId, const Decimal& quantity,
                            bool checkOnly, bool interactive)
{
    if (productId == 0)
        return 0;
    if (quantity.isZero())
        return 1;
    // A procedure of its own for the record store, so that a caller using PRODUKT in this
    // context gets its position and record back when the table is closed below.
    ProcedureScope scope(ctx, "OPPDATERLAGERBEHOLDNING");
    FileManager& pro = ctx.access(Tbl::PRODUKT);
    OpenManagers open{&pro};
    const std::string id = std::to_string(productId);

    if (!readProduct(pro, productId)) {
        say(ctx, "Det oppsto feil under oppslag i lagerbeholdning for ProduktId " + id, "Feil",
            Icon::Hand);
        return 0;
    }
    const Record& r = pro.rec();
    if (r.get(PRO::LAGERSTYRING) == 0)
        return 1;
    auto product = [&] {
        return "Lagerbeholdning for produktet: " + std::to_string(r.get(PRO::PRODUKTID)) + " - " +
               r.get(PRO::NAVN);
    };

    if (checkOnly) {
        if (quantity <= r.get(PRO::LAGERBEHOLDNING))
            return 1;
        if (interactive)
            say(ctx,
                product() + " er på kun " + plain(r.get(PRO::LAGERBEHOLDNING)) + " " +
                    r.get(PRO::ENHETSBENEVNING),
                "Advarsel", Icon::Exclamation);
        return 0;
    }

    if (interactive && say(ctx, "Vil du oppdatere lagerbeholdning?", "Oppdatere lager?",
                           Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_YES) != BUTTON_YES)
        return 1;

    switch (addToStock(pro, productId, quantity)) {
    case Written::FAILED:
        say(ctx, "Det oppsto feil under oppdatering av lagerbeholdning for ProduktId " + id, "Feil",
            Icon::Hand);
        return 0;
    case Written::NO_STOCK_CONTROL: // switched off by another user meanwhile
        return 1;
    case Written::DONE: break;
    }
    if (interactive && r.get(PRO::LAGERBEHOLDNING) < r.get(PRO::MINLAGERBEHOLDNING))
        say(ctx,
            product() + " er nå på kun " + plain(r.get(PRO::LAGERBEHOLDNING)) + " " +
                r.get(PRO::ENHETSBENEVNING) + " og dermed under angitt minimum på " +
                plain(r.get(PRO::MINLAGERBEHOLDNING)),
            "Advarsel", Icon::Exclamation);
    return 1;
}

void addStockRules(WriteHooks& hooks)
{
    // The stored quantity, not what the buffer may hold unsaved. The stock's own messages
    // tell of a failure; the line is deleted all the same.
    hooks.add(
        {Tbl::FAKLINJE, opBit(WriteOp::DELETE), {Tbl::PRODUKT}, nullptr, [](const WriteEvent& e) {
             OPPDATERLAGERBEHOLDNING(e.ctx, e.stored->get(FLI::PRODUKTID),
                                     e.stored->get(FLI::ANTALL), false, false);
             return int(LEVEL_BENIGN);
         }});
}

} // namespace tavlo
