#include "codesets/kodeverkkartotek.h"

#include "codesets/kodeverkform.h"
#include "data/context.h"
#include "framework/viewmanager.h"

namespace tavlo {

namespace {

constexpr int32_t kGroupList = 999; // the group whose codes are the groups

std::unique_ptr<BrowseClass> codeList(Context& ctx, Tbl table, bool groups)
{
    // The alias buffer holds the groups' list, so that a code's form never disturbs it.
    const KeyRef byNr = groups ? KODA::KeyGruppe_Nr : KOD::KeyGruppe_Nr;
    const KeyRef byText = groups ? KODA::KeyGruppe_Tekst : KOD::KeyGruppe_Tekst;
    const int group = groups ? KODA::GRUPPE.no : KOD::GRUPPE.no;
    auto view = std::make_unique<ViewManager>();
    view->INIT(ctx, table);
    // A range belongs to the order that is current when it is added.
    view->ADDSORTORDER(byNr);
    view->ADDRANGE(group);
    view->SETSORT(view->ADDSORTORDER(byText));
    view->ADDRANGE(group);
    view->SETSORT(1);
    const int nr = groups ? KODA::NR.no : KOD::NR.no;
    const int tekst = groups ? KODA::TEKST.no : KOD::TEKST.no;
    auto b = std::make_unique<BrowseClass>(
        ctx, std::move(view),
        std::vector<PagedTableModel::Column>{{nr, groups ? "Gr" : "Nr", "@n_8", {}},
                                             {tekst, groups ? "Navn" : "Tekst", "@s50", {}}},
        std::vector<std::string>{"Nummer", "Navn"});
    const int fast = groups ? KODA::FAST.no : KOD::FAST.no;
    const int ikke = groups ? KODA::IKKEIBRUK.no : KOD::IKKEIBRUK.no;
    b->model().rowMark = [fast, ikke](const Record& r) {
        return (r.num(fast) != 0 ? KodeverkKartotek::MarkLocked : 0) |
               (r.num(ikke) != 0 ? KodeverkKartotek::MarkNotInUse : 0);
    };
    return b;
}

} // namespace

KodeverkKartotek::KodeverkKartotek(Context& ctx) : ctx_(ctx)
{
    ctx.rec(Tbl::KODEVERK_ALIAS).set(KODA::GRUPPE, kGroupList);
    ownedGroups_ = codeList(ctx, Tbl::KODEVERK_ALIAS, true);
    groups_ = ownedGroups_.get();
    groups_->buttons = {false, false, false, false, false};

    ctx.rec(Tbl::KODEVERK).set(KOD::GRUPPE, 0);
    ownedCodes_ = codeList(ctx, Tbl::KODEVERK, false);
    codes_ = ownedCodes_.get();
}

KodeverkKartotek::~KodeverkKartotek() = default;

bool KodeverkKartotek::followGroup()
{
    const int32_t group = loadGroup() ? ctx_.rec(Tbl::KODEVERK_ALIAS).get(KODA::NR) : 0;
    if (group == shown_ && started_)
        return false;
    started_ = true;
    shown_ = group;
    ctx_.rec(Tbl::KODEVERK).set(KOD::GRUPPE, group);
    codes_->setTab(codes_->tab());
    return true;
}

bool KodeverkKartotek::loadGroup()
{
    PagedTableModel& g = groups_->model();
    if (g.currentRow() < 0 || g.loadRecord(g.currentRow()) != LEVEL_BENIGN) {
        ctx_.rec(Tbl::KODEVERK_ALIAS).clear();
        return false;
    }
    return true;
}

std::unique_ptr<KodeverkForm> KodeverkKartotek::formFor(Context& ctx)
{
    if (!loadGroup())
        return nullptr;
    if (GlobalRequest == InsertRecord)
        ctx.rec(Tbl::KODEVERK).clear();
    int32_t result = 0;
    return KODEVERKFORM(ctx, result);
}

} // namespace tavlo
