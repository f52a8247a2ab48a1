#include "data/ocrbetaling.h"

#include <vector>

#include "data/context.h"
#include "data/hooks.h"
#include "framework/filemanager.h"

namespace tavlo {

bool innbetaltPaFaktura(TableFile& file, int32_t fakturaId, Decimal& sum, StoreError& err)
{
    const TableDecl& t = table(Tbl::OCRBETALING);
    Record fra(t);
    fra.set(OCR::FAKTURAID, fakturaId);
    const SqlCondition bare = fieldBetween(t, OCR::FAKTURAID.no, fakturaId, fakturaId);
    std::vector<int64_t> belop;
    if (!file.walkNumbers(OCR::KeyFakturaId.no, Bound{Bound::AT, &fra, 0}, {OCR::BELOP.no}, &bare,
                          belop, err))
        return false;
    int64_t ore = 0;
    for (int64_t b : belop)
        ore += b;
    sum = Decimal::fromCents(ore);
    return true;
}

void addOcrBetalingRules(WriteHooks& hooks)
{
    const auto slipp = [](const WriteEvent& e) {
        const int32_t id = e.stored->get(FAK::FAKTURAID);
        if (id == 0)
            return int(LEVEL_BENIGN);
        FileManager& ocr = e.ctx.access(Tbl::OCRBETALING);
        if (ocr.OPEN() != LEVEL_BENIGN)
            return int(LEVEL_NOTIFY);
        // Each payment found no longer carries the number, so the next fetch finds the next.
        int level = LEVEL_BENIGN;
        for (;;) {
            ocr.rec().clear();
            ocr.rec().set(OCR::FAKTURAID, id);
            if (ocr.TRYFETCH(OCR::KeyFakturaId) != LEVEL_BENIGN)
                break;
            ocr.rec().set(OCR::FAKTURAID, 0);
            if ((level = ocr.UPDATE()) != LEVEL_BENIGN)
                break;
        }
        ocr.CLOSE();
        return level;
    };
    for (Tbl t : {Tbl::FAKTURA, Tbl::FAKTURA_ALIAS})
        hooks.add({t, opBit(WriteOp::DELETE), {Tbl::OCRBETALING}, nullptr, slipp});
}

} // namespace tavlo
