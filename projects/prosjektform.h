#pragma once
// The project form's rules and the project line form's: captions, the project's lines and the
// totals counted from them, the differences (shown dark red below zero), the texts beside the
// codes and the customer. Headless; the windows bind to these.
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "framework/browse.h"
#include "framework/windowmanager.h"

namespace tavlo {

class ProsjektForm : public WindowManager {
  public:
    // Row marks of the line list: the line came from an invoice line, or from an invoice.
    enum Mark : int { MarkFakturalinje = 1, MarkFaktura = 2 };

    explicit ProsjektForm(Context& ctx, int request = GlobalRequest);

    int start();
    std::string caption() const;

    // The project's lines by date, limited to its id; their form is the line form.
    std::unique_ptr<BrowseClass> linjer();
    // Whether a line can be added now: the project needs an id a line can hold first. Says why
    // not. Asked before each line is added.
    bool kanLeggeTilLinjer();

    // The totals in and out counted again from the stored lines, then the differences. When
    // the lines cannot be read the totals stay as they were.
    void summer();
    // The differences of the budget and of the totals.
    void differanser();
    bool budsjettNegativ();
    bool totaltNegativ();

    std::string typeTekst();
    std::string statusTekst();
    std::string kundeTekst();

  protected:
    void afterClose(int response) override;
    // The id is the project's key, typed by the user: it must be there, and fit in its lines.
    int validateRecord() override;

  private:
    std::set<std::string> nyeIder_; // the ids lines were added under while the project was new
};

class PrjLinjeForm : public WindowManager {
  public:
    explicit PrjLinjeForm(Context& ctx, int request = GlobalRequest);
    std::string caption() const;

  protected:
    // A new line belongs to the open project (the PROSJEKT buffer) and is dated today.
    void primeFields() override;
};

} // namespace tavlo
