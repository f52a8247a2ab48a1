#pragma once
// Custom fields: the EGENDEF definitions that turn the twenty spare fields of KUNDE, PRODUKT,
// FAKTURA, GRUNNLAG and PROSJEKT (HELTALL1…10, DESIMALTALL1…5, TEKST1…5) into labelled controls
// on a form's "Ekstra" tab, and the rules of the definition form. What the controls are and
// where they go is decided here; widgets/egendefinertefelt.h only makes them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/record.h"
#include "framework/windowmanager.h"

namespace tavlo {

class Context;

// Table numbers of definitions and saved filters.
enum TabellNr : int32_t {
    TABELL_KUNDE = 1,
    TABELL_PRODUKT = 2,
    TABELL_FAKTURA = 3,
    TABELL_GRUNNLAG = 5,
    TABELL_PROSJEKT = 13,
};

// The table a table number stands for; nullopt for any other number.
std::optional<Tbl> tableOf(int32_t tableNo);
// Billing bases carry the invoices' definitions.
int32_t definitionTable(int32_t tableNo);

// The twenty names of the spare fields as the definition form offers them, "Heltall 1" …
// "Tekst 5", in index order.
const std::array<std::string, 20>& spareFieldNames();
// Index of a spare field from its name in a definition: upper-cased and clipped, "HELTALL 1" …
// "HELTALL 10" → 1…10, "DESIMALTALL 1"…"5" → 11…15, "TEKST 1"…"5" → 16…20; 0 for any other.
int spareFieldIndex(std::string_view name);
// The field of a table's record that an index binds to (HELTALL3, DESIMALTALL2, TEKST5).
int spareField(Tbl table, int index);

// Control numbers on a form, which the forms react to.
inline int promptControl(int index)
{
    return 100 + index;
}
inline int valueControl(int index)
{
    return 200 + index;
}
inline int codeControl(int index)
{
    return 300 + index;
}

// Position and size in dialog units, relative to the parent of the controls.
struct UnitRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const UnitRect&) const = default;
};

enum class Alignment { Default, Left, Right };

// One control to make, from one definition with a known field name.
struct CustomControl {
    int index = 0; // 1…20
    int field = 0; // in the record of the table the form edits
    bool checkBox = false;
    std::string text;    // the prompt, or the check box's own text
    bool prompt = false; // a prompt control (never for a check box)
    UnitRect promptRect, valueRect;
    std::string picture; // empty: the control's own
    Alignment alignment = Alignment::Default;
    int offset = 0;    // from the aligned edge, in dialog units
    int32_t group = 0; // code-set group looked up: a spin box with a code text beside it
    UnitRect codeRect;
    // 1…10 when the code text shows texts[n] and the form looks codes up: a whole-number
    // field with a group. 0 otherwise.
    int lookup = 0;
};

struct CustomFields {
    int count = 0; // definitions read, those with an unknown field name included
    std::vector<CustomControl> controls;
};

// The definitions of a table (5 takes table 3's, bound to GRUNNLAG) in key order, each turned
// into its control at its position plus (x + 8, y + 20). An unknown field name is reported
// ("Feil") and makes no control; of two definitions of one spare field the second replaces the
// first. groups[n-1] receives the group of the whole-number field n
// that is looked up; the other elements are left alone.
CustomFields OPPRETTEGENDEFINERTEFELT(Context& ctx, int32_t tableNo,
                                      std::array<int32_t, 10>& groups, int32_t x, int32_t y);

// What of the definition form can be edited now.
struct EgenDefEnabling {
    bool promptPosition = true; // the prompt's row of the position grid
    bool lookupWidth = true;
    bool format = true;
    bool lookupGroup = true;
    bool operator==(const EgenDefEnabling&) const = default;
};
// A check box has no prompt, format or lookup; a lookup group needs a width for its text.
EgenDefEnabling egenDefEnabling(const Record& egn);

// The definition form over the EGN buffer.
class EgenDefForm : public WindowManager {
  public:
    // tableNo: the register's current tab, given to a new definition.
    EgenDefForm(Context& ctx, int32_t tableNo, int request = GlobalRequest);
    // "Nytt egendefinert felt", "Endre/vise egendefinert felt" or "View Record".
    std::string caption() const;
    EgenDefEnabling enabling() { return egenDefEnabling(record()); }

  protected:
    void primeFields() override;

  private:
    int32_t tableNo_;
};

// The definition register's tabs with their table numbers.
struct RegisterTab {
    const char* name;
    int32_t tableNo;
};
const std::vector<RegisterTab>& egenDefTabs();

} // namespace tavlo
