#pragma once
// The code register's rules: the groups (the codes of group 999, read into the KODA buffer)
// beside the codes of the highlighted group (KOD), the marks of fixed codes and of codes not in
// use, and the update procedure up to the code's form. The window only binds.
#include <cstdint>
#include <memory>

#include "framework/browse.h"

namespace tavlo {

class Context;
class KodeverkForm;

class KodeverkKartotek {
  public:
    // Row marks of both lists.
    enum Mark : int {
        MarkLocked = 1,   // KOD:FAST ≠ 0: a fixed code or a closed group
        MarkNotInUse = 2, // KOD:IKKEIBRUK
    };

    explicit KodeverkKartotek(Context& ctx);
    ~KodeverkKartotek();
    KodeverkKartotek(const KodeverkKartotek&) = delete;
    KodeverkKartotek& operator=(const KodeverkKartotek&) = delete;

    // The left list: the groups, without buttons. The right list: the group's codes, with the
    // form's requests through formFor().
    BrowseClass& groups() { return *groups_; }
    BrowseClass& codes() { return *codes_; }
    // For list widgets that must own the lists' rules; these rules go on using them.
    std::unique_ptr<BrowseClass> releaseGroups() { return std::move(ownedGroups_); }
    std::unique_ptr<BrowseClass> releaseCodes() { return std::move(ownedCodes_); }
    Context& context() { return ctx_; }

    // The codes' list shows the codes of the highlighted group, on the order it is on; with no
    // group highlighted, none. True when it was read anew, false when that group was shown
    // already.
    bool followGroup();
    // The group the codes' list shows.
    int32_t group() const { return shown_; }
    // The highlighted group's entry into the KODA buffer; false, and the buffer cleared, when no
    // group is highlighted.
    bool loadGroup();

    // The update procedure up to the form, for GlobalRequest in `ctx`: the highlighted group's
    // entry into KODA, an empty KOD buffer for a new code, then KODEVERKFORM. Nullptr, the
    // request to be cancelled, when there is no group or KODEVERKFORM refuses.
    std::unique_ptr<KodeverkForm> formFor(Context& ctx);

  private:
    Context& ctx_;
    std::unique_ptr<BrowseClass> ownedGroups_, ownedCodes_;
    BrowseClass* groups_;
    BrowseClass* codes_;
    int32_t shown_ = 0;
    bool started_ = false;
};

} // namespace tavlo
