#pragma once
// The rules of KODEVERKFORM, the code register's update procedure, and of its three forms. A view
// asks KODEVERKFORM for the form (it has shown the refusal when there is none), builds the
// controls for form->kind(), binds them to the KOD buffer and runs the form as any WindowManager:
//
//   GlobalRequest = InsertRecord;            // the register's button
//   int32_t result = 0;
//   auto form = KODEVERKFORM(ctx, result);   // KOD: the highlighted code, KODA: its group's entry
//   if (form && form->init() == LEVEL_BENIGN) { show form->caption(), bind, ok()/cancel() … }
#include <cstdint>
#include <memory>
#include <string>

#include "framework/windowmanager.h"

namespace tavlo {

enum class KodeverkSkjema {
    Standard,      // KodeverkForm_Standard: adds "&Div:"
    FakturaStatus, // KodeverkForm_FakturaStatus: tabs "Oppsett" and "Statustekst"
    FeltFormat,    // KodeverkForm_FeltFormat: tab "Oppsett" with "&Feltformatering:"
};

// The form a group's codes are edited in: 105 invoice statuses, 107 field formats, else standard.
KodeverkSkjema skjemaFor(int32_t group);

// Values of KOD:FAST.
inline constexpr int kFastKode = 1;     // on a code: not deleted, number and text read-only
inline constexpr int kLukketGruppe = 2; // on a group's entry in 999: no codes added or deleted
// KOD:LONG2 of an invoice status: the lists' own colour.
inline constexpr int32_t kStandardFarge = -1;
// KOD:LONG1 of an invoice status: where its text goes on the invoice.
enum Plassering : int32_t {
    PLASSERING_INGEN = 0,
    PLASSERING_FOR = 1,       // "&Før fast fakturatekst"
    PLASSERING_ETTER = 2,     // "&Etter fast fakturatekst"
    PLASSERING_ISTEDENFOR = 3 // "&Istedenfor fast fakturatekst"
};

// One code of KODEVERK in its form. The record is the context's KOD buffer.
class KodeverkForm : public WindowManager {
  public:
    // group: the group the register's code list shows (its range), given to a new code.
    KodeverkForm(Context& ctx, int32_t group, int request = GlobalRequest);

    KodeverkSkjema kind() const { return kind_; }
    // "Ny kodeverkspost", "Endre/vise kodeverkspost" or "View Record".
    std::string caption() const;
    // A fixed code keeps its number and text: the two controls are read-only (button-face
    // background), as is everything on a view form.
    bool numberAndTextReadOnly() const;

  protected:
    void primeFields() override;
    // What a view let through anyway does not rename a fixed code.
    int validateRecord() override;

  private:
    int32_t group_;
    KodeverkSkjema kind_;
    bool fixed_;
    int32_t fixedNr_;
    std::string fixedText_;
};

// The register's update procedure up to its form. Reads GlobalRequest, the highlighted code in the
// KOD buffer and its group's entry in group 999 in the KODA buffer. Refuses, with a warning, an
// insert into a closed group and a delete of a fixed code or from a closed group: then there is
// no form, and `result` is the answer to the warning. Otherwise `result` is the group and the
// form for the code's group comes back, not yet initialised (init() deletes at once, after the
// confirmation, for a delete request).
std::unique_ptr<KodeverkForm> KODEVERKFORM(Context& ctx, int32_t& result);

} // namespace tavlo
