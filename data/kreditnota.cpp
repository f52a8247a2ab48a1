#include "data/kreditnota.h"

#include "data/context.h"
#include "data/hooks.h"
#include "framework/filemanager.h"

namespace tavlo {

namespace {

// The note of `kreditnotaId` in the KREDITERT buffer; false when there is none.
bool fetchNote(FileManager& kre, int32_t kreditnotaId)
{
    kre.rec().clear();
    kre.rec().set(KRE::KREDITNOTAID, kreditnotaId);
    return kre.TRYFETCH(KRE::KeyKreditnotaId) == LEVEL_BENIGN;
}

} // namespace

bool noterKreditert(Context& ctx, int32_t kreditnotaId, int32_t fakturaId)
{
    FileManager& kre = ctx.access(Tbl::KREDITERT);
    if (kre.OPEN() != LEVEL_BENIGN)
        return false;
    int level;
    if (fetchNote(kre, kreditnotaId)) {
        kre.rec().set(KRE::FAKTURAID, fakturaId);
        level = kre.UPDATE();
    } else {
        kre.rec().set(KRE::KREDITNOTAID, kreditnotaId);
        kre.rec().set(KRE::FAKTURAID, fakturaId);
        level = kre.INSERT();
    }
    kre.CLOSE();
    return level == LEVEL_BENIGN;
}

int32_t kreditertFaktura(Context& ctx, int32_t kreditnotaId)
{
    FileManager& kre = ctx.access(Tbl::KREDITERT);
    if (kre.TRYOPEN() != LEVEL_BENIGN)
        return 0;
    const int32_t id = fetchNote(kre, kreditnotaId) ? kre.rec().get(KRE::FAKTURAID) : 0;
    kre.CLOSE();
    return id;
}

void addKreditnotaRules(WriteHooks& hooks)
{
    const auto drop = [](const WriteEvent& e) {
        FileManager& kre = e.ctx.access(Tbl::KREDITERT);
        if (kre.OPEN() != LEVEL_BENIGN)
            return int(LEVEL_NOTIFY);
        int level = LEVEL_BENIGN;
        if (fetchNote(kre, e.stored->get(FAK::FAKTURAID)))
            level = kre.DELETERECORD(false);
        kre.CLOSE();
        return level;
    };
    for (Tbl t : {Tbl::FAKTURA, Tbl::FAKTURA_ALIAS})
        hooks.add({t, opBit(WriteOp::DELETE), {Tbl::KREDITERT}, nullptr, drop});
}

} // namespace tavlo
