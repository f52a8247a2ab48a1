#pragma once
// Emptying chosen groups of tables, so that a data folder used for practice entries can be put
// into production. The rules of the window "Slett data - klargkjør for ny drift"; a view binds
// one check box to each member of `choice` and the two buttons to start() and closing.
#include <array>
#include <string>

#include "data/context.h"

namespace tavlo {

// The check boxes, as the window opens with them.
struct LagfilerChoice {
    bool kunder = true;
    bool produkter = true;
    bool fakturaer = true;
    bool grunnlag = true;
    bool prosjekter = true;
    bool vindusposisjoner = true;
    bool egendefinerte = false;
    bool filtere = false;
};

// The boxes in the window's order, with their labels ("&" before the access key).
struct LagfilerBox {
    const char* label;
    bool LagfilerChoice::*ticked;
};
const std::array<LagfilerBox, 8>& lagfilerBoxes();

struct LagfilerOutcome {
    bool started = false; // the user answered Yes
    int failures = 0;     // tables that could not be emptied
};

class LAGFILER {
  public:
    static constexpr const char* kCaption = "Slett data - klargkjør for ny drift";
    static constexpr const char* kText =
        "Denne rutinen kjøres for å tømme avmerkede deler av eksisterende database. Dvs at data "
        "i databasen vil bli slettet.";
    static constexpr const char* kStart = "Start sletting av data";
    static constexpr const char* kCancel = "Avbryt";

    // The procedure's name is registered for as long as the window is open.
    explicit LAGFILER(Context& ctx) : ctx_(ctx), scope_(ctx, "LAGFILER") {}
    LAGFILER(const LAGFILER&) = delete;
    LAGFILER& operator=(const LAGFILER&) = delete;

    // The data folder, shown read-only.
    std::string activePath() const;

    // "Start sletting av data": asks first; on Yes empties each ticked group, child tables first,
    // and says how it went. The window stays open either way.
    LagfilerOutcome start();

    LagfilerChoice choice;

  private:
    Context& ctx_;
    ProcedureScope scope_;
};

} // namespace tavlo
