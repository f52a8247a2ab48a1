#pragma once
// The billing-basis register's rules: four sort orders as tabs (two of them within a customer or
// a type), the marks in GLQ::TAG_GRUNNLAG, emptied whenever the register opens, and the saved
// filters. The window only binds.
#include <cstdint>
#include <string>

#include "data/marks.h"
#include "data/registerfilter.h"

namespace tavlo {

class Context;

class GrunnlagKartotek : public FilteredRegister {
  public:
    enum Tab { TabRefnr, TabTekst, TabKunde, TabType };

    explicit GrunnlagKartotek(Context& ctx);
    ~GrunnlagKartotek() override;

    // No basis marked, "Refnr" shown, the fixed filter applied when it still exists.
    void open();
    void setTab(int tab);
    // The ranges of the "Kunde" and "Type" tabs; both re-read the list.
    void setKunde(int32_t kundeId);
    int32_t kunde() const { return kunde_; }
    std::string kundeTekst();
    void setType(int32_t type);
    int32_t type() const { return type_; }
    std::string typeTekst();

    void toggleTag(int32_t grunnlagId);
    static bool tagged(int32_t grunnlagId);
    // Every basis the list shows (its filter and its tab's range), in number order.
    bool merkAlle();
    void fjernAvmerkinger();

    static std::string typeFormat(Context& ctx, int32_t type);

  private:
    void reread() override;
    // The filter and the current tab's range, as one condition.
    std::string listCondition() const;

    int32_t kunde_ = 0, type_ = 0;
    Marks marks_;
};

} // namespace tavlo
