#pragma once
// The saved filters' register and form: named, numbered filter expressions per table, which the
// registers pick with HENTFILTER and the system parameters name as fixed filters.
#include <cstdint>
#include <string>
#include <vector>

#include "customfields/egendef.h"
#include "framework/windowmanager.h"

namespace tavlo {

// The filter register's tabs with their table numbers.
const std::vector<RegisterTab>& filterTabs();

// The filter form over the FIL buffer.
class FilterForm : public WindowManager {
  public:
    // Filters longer than this are cut when they go to the builder.
    static constexpr std::size_t kBuilderLength = 2047;

    // tableNo: the register's current tab, given to a new filter.
    FilterForm(Context& ctx, int32_t tableNo, int request = GlobalRequest);
    // "Nytt standardfilter", "Endre/vise standardfilter" or "View Record".
    std::string caption() const;
    // The lookup of the filter text: the builder starts from the text (left-aligned, clipped,
    // at most 2047 characters) and what it builds replaces the text when the user leaves it
    // with OK. True when the text was replaced. Nothing is checked here: a register refuses a
    // faulty expression when it applies it.
    bool buildFilter();

  protected:
    void primeFields() override;

  private:
    int32_t tableNo_;
};

} // namespace tavlo
