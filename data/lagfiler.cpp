#include "data/lagfiler.h"

#include <filesystem>
#include <initializer_list>

#include "data/globals.h"

namespace tavlo {
namespace {

// Each table is emptied where it lies rather than deleted and made again: other windows and
// programs may have the file open, and on this system they would go on reading and writing a
// deleted file unseen. Deleting every record in one transaction leaves the file, its keys and
// those users in place; they find the table empty on their next read, and a record they still
// show cannot be written back over the emptied table (the change check refuses it).
enum class Emptied { DONE, NOT_OPENED, NOT_EMPTIED };

Emptied emptyFile(const std::string& fileName, Tbl t, std::string& errorText)
{
    StoreError err;
    // A missing file is made, empty with its keys; a file that is not this table's is refused
    // and left alone.
    auto file = TableFile::open(dataPath(fileName), table(t), TableFile::Mode::READ_WRITE, true,
                                GLO::OWNERNAME, err);
    Emptied result = Emptied::NOT_OPENED;
    if (file) {
        result = Emptied::NOT_EMPTIED;
        if (file->removeAll(err) && (file->keysIntact() || file->rebuildKeys(err)))
            result = Emptied::DONE;
    }
    errorText = err.text;
    // "File System Error" alone would not say what went wrong.
    if (err.code == ERR_FILE_SYSTEM && !err.driverText.empty())
        errorText += " (" + err.driverText + ")";
    return result;
}

} // namespace

const std::array<LagfilerBox, 8>& lagfilerBoxes()
{
    static const std::array<LagfilerBox, 8> boxes{{
        {"&Kundekartotek", &LagfilerChoice::kunder},
        {"&Produktkartotek", &LagfilerChoice::produkter},
        {"&Fakturakartotek", &LagfilerChoice::fakturaer},
        {"&Grunnlagkartotek", &LagfilerChoice::grunnlag},
        {"Pr&osjektkartotek", &LagfilerChoice::prosjekter},
        {"&Vindusposisjoner", &LagfilerChoice::vindusposisjoner},
        {"&Egendefinerte felter", &LagfilerChoice::egendefinerte},
        {"&Standard filtere", &LagfilerChoice::filtere},
    }};
    return boxes;
}

std::string LAGFILER::activePath() const
{
    std::error_code ec;
    auto path = std::filesystem::absolute(dataFolder(), ec).lexically_normal().string();
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return ec ? dataFolder() : path;
}

LagfilerOutcome LAGFILER::start()
{
    LagfilerOutcome outcome;
    if (ctx_.say({"Dette medfører at avmerkede data vil bli slettet og dermed klargjort for drift. "
                  "Vil du fortsette?",
                  "Advarsel", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO}) != BUTTON_YES)
        return outcome;
    outcome.started = true;

    auto fail = [&](const std::string& text) {
        ctx_.say({text, "Feil", Icon::Hand, BUTTON_OK, BUTTON_OK});
    };
    auto empty = [&](std::initializer_list<Tbl> tables) {
        for (Tbl t : tables) {
            const std::string name = tableFileName(table(t));
            std::string error;
            if (emptyFile(name, t, error) != Emptied::DONE) {
                fail("Det oppsto feil under opprettelse av " + name + " - " + error);
                ++outcome.failures;
            }
        }
    };
    // The archive pair is the other pair of invoice files: in archive mode, the live one. A pair
    // left full counts as a failure: "fullført" after it would tell the user it was emptied.
    auto emptyArchive = [&]() {
        for (const auto& [name, t] : {std::pair{GLO::BAKLINJE_PATH, Tbl::FAKLINJE},
                                      std::pair{GLO::BAKTURA_PATH, Tbl::FAKTURA}}) {
            std::string error;
            const Emptied result = emptyFile(name, t, error);
            if (result == Emptied::DONE)
                continue;
            fail(std::string(result == Emptied::NOT_OPENED ? "Det oppsto feil under opprettelse av "
                                                           : "Det oppsto feil under sletting av ") +
                 name + " - " + error);
            ++outcome.failures;
        }
    };

    if (choice.kunder)
        empty({Tbl::KONTAKT, Tbl::KUNDE});
    if (choice.produkter)
        empty({Tbl::PRODUKT});
    if (choice.grunnlag)
        empty({Tbl::GRULINJE, Tbl::GRUNNLAG});
    if (choice.fakturaer) {
        empty({Tbl::FAKLINJE, Tbl::FAKTURA, Tbl::KREDITERT, Tbl::OCRBETALING});
        emptyArchive();
    }
    if (choice.prosjekter)
        empty({Tbl::PRJLINJE, Tbl::PROSJEKT});
    if (choice.vindusposisjoner)
        empty({Tbl::WINPOS});
    if (choice.egendefinerte)
        empty({Tbl::EGENDEF});
    if (choice.filtere)
        empty({Tbl::FILTER});

    if (outcome.failures == 0)
        ctx_.say({"Tømming/sletting av datafiler er fullført", "Info", Icon::Information, BUTTON_OK,
                  BUTTON_OK});
    else
        ctx_.say({"Det oppsto feil under tømming/sletting av datafiler", "Feil", Icon::Hand,
                  BUTTON_OK, BUTTON_OK});
    return outcome;
}

} // namespace tavlo
