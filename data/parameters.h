#pragma once
// The system-parameter window's rules: the one PARAM record as a change form, which controls
// depend on which fields, the names of the registers' standard filters, and the invoice-header
// layout saved to and loaded from a layout file ("*.FAK"). The view only binds controls to this.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "framework/windowmanager.h"

namespace tavlo {

// One element of the invoice header as the layout file names it: a section, and per key the
// PAR field it holds.
struct LayoutKey {
    std::string_view key; // "X", "Font", "Resize"
    int field;
};
struct LayoutElement {
    std::string_view section; // "Kundenr"
    std::string_view prompt;  // the row's prompt on the form, "Kundenr:"
    std::array<LayoutKey, 6> keys;
    bool logo() const { return keys[4].key == "Resize"; }
};
// The invoice layout of a new data folder: a clean A4 invoice with the supplier at the top left,
// the heading and the invoice's numbers and dates at the right, the buyer's address where a
// window envelope shows it, and room for the giro at the foot.
void standardOppsett(Record& par);
// Every element in the order of the form's rows and of the layout file.
const std::vector<LayoutElement>& layoutElements();
inline constexpr std::string_view kLayoutHeaderSection = "FakturaLinjeHeader";
inline constexpr std::string_view kLayoutInvertKey = "Inverter";

// Writes every element of the record to a layout file in Windows-1252, replacing the file.
// False when it could not be written.
bool writeLayoutFile(const Record& par, const std::string& path);
// Reads every element from a layout file into the record: names match in any case, a missing
// number is 0 and a missing text empty. False, the record untouched, when the file cannot be
// read.
bool readLayoutFile(Record& par, const std::string& path);

// The standard filter of a register: its table number and the PAR field holding its number.
struct StandardFilter {
    int32_t tableNo;
    IntField field;
    std::string_view prompt;
};
// Customers, products, invoices, billing bases, projects.
const std::array<StandardFilter, 5>& standardFilters();

class ParameterForm : public WindowManager {
  public:
    static constexpr const char* kRestartText =
        "Programmet må startes på nytt for at eventuelle endringer skal bli aktive";

    // Always a change form on the first parameter record, whatever the caller asked.
    explicit ParameterForm(Context& ctx);

    // The standard rate means nothing without VAT.
    bool rateEnabled();
    // A logo sized by percent takes no height and width.
    bool logoSizeEnabled();

    // The names of the five standard filters, as the record now holds their numbers.
    void refreshFilterNames();
    const std::string& filterName(int i) const { return filterNames_[i]; }
    // The pick list of the register's saved filters; a choice puts its number into the field.
    bool pickFilter(int i);

    // The font picker on a font field; the choice goes into the field.
    bool pickFont(int field);
    bool pickLogo();
    bool pickBackupFolder();

    // "&Lagre" and "&Hent": the layout of the buffer as it stands, to and from a file the user
    // names. A loaded layout is stored only when the form is saved.
    bool saveLayout();
    bool loadLayout();

    // The window has closed, saved or not: what the program copied from the record at start-up
    // stays until it is started again. Nothing is said when the form never opened.
    void windowClosed();

  protected:
    int fetchRecord() override;
    // A chosen field for the customers' organisation number shows on the customer form.
    void afterWrite(bool written) override;

  private:
    std::array<std::string, 5> filterNames_;
    bool fetched_ = false;
};

} // namespace tavlo
