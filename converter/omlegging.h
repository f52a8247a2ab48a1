#pragma once
// The converter's rules: every table of a data version 3 folder brought to this version's
// record, the tables version 3 lacked made, and the standard code sets loaded. The window and
// the command line both run them.
//
// A run never loses an original. Each table is copied into NAME.400 first; only when the copy
// is whole does NAME.TPS become NAME.300 and NAME.400 become NAME.TPS, and a ".300" file is never
// written over. So a run that fails or is killed leaves every version 3 original readable, and
// the next run sees from the files which tables are done and goes on with the rest.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/tables.h"

namespace tavlo {
class Context;
}

namespace tavlo::omlegg {

// How one table of the folder stands.
enum class Tilstand {
    Mangler,    // neither NAME.TPS nor NAME.300
    Versjon3,   // NAME.TPS holds the version 3 record
    Avbrutt,    // NAME.300 is the original and NAME.TPS is missing: a run stopped in between
    Konvertert, // NAME.TPS is version 4 and NAME.300 the original
    Versjon4,   // NAME.TPS is version 4, no original beside it
};

// One of the eight table steps.
struct Tabellsteg {
    Tbl tabell;              // the declaration: FAKTURA and FAKLINJE for the archive pair too
    std::string navn;        // the file name without its extension: "KUNDE", "BAKTURA"
    std::string feilmelding; // the step's failure message
    Tilstand tilstand = Tilstand::Mangler;
    long poster = 0; // records in the version 3 table
};

// What one table step did.
struct Resultat {
    std::string navn;
    long lest = 0;           // records read
    long skrevet = 0;        // records written
    long dobbelt = 0;        // dropped: their primary key was taken already
    bool hoppetOver = false; // converted by an earlier run, or version 4 already
    bool laget = false;      // missing, made empty
};

class Omlegging {
  public:
    // Works on the folder `mappe` through the context (its answer service shows the messages).
    Omlegging(Context& ctx, std::string mappe);

    // "Konverter" in the window: without the backup ticked only the warning; else the VAT
    // question and the run. True when the run finished and the program closes.
    bool KONVERTER(bool sikkerhetskopiTatt);
    // The run with the VAT choice made (the command line): the survey, then every step. True
    // when everything is done; a refusal or failure has said why.
    bool konverter(bool konverterMva);

    // Surveys the folder without changing anything: every table's state and record count, the
    // code file. False, with `hindring` saying why, when the folder cannot be converted (not a
    // version 3 folder, converted already, a damaged or locked file, an original in the way).
    bool kartlegg();
    const std::vector<Tabellsteg>& steg() const { return steg_; }
    const std::string& hindring() const { return hindring_; }
    // The code file the last survey found: the folder's own, else the one the program ships.
    const std::string& kodefil() const { return kodefil_; }

    const std::vector<Resultat>& resultater() const { return resultater_; }
    // The tables an earlier run had converted, found by the survey.
    std::vector<std::string> tidligereKonvertert() const;

    // VAT rates for the change of 1 January 2005: 6 to 7, 12 to 11, 24 to 25.
    static int32_t nyMvaSats(int32_t sats);

    // The window "Vent, konvertering pågår": its text, the counter's label, how far.
    std::string progressTekst;
    std::string tellerTekst;
    long teller = 0;
    long antall = 0;
    // False once the steps are over, before the closing message: the window goes first.
    bool underveis = false;
    std::function<void()> progressChanged;

    // The log the converter keeps in the folder: what each run did, and that it finished.
    static constexpr const char* kLogg = "OMLEGG.LOG";
    static constexpr const char* kFerdig = "Konverteringen er ferdig";

  private:
    bool kjor();
    bool kjorSteg(); // false with the failed step's message in stoppet_
    bool tabell(const Tabellsteg& s);
    // Makes each missing table empty; an existing one keeps its records.
    bool lagTomme(const std::vector<Tbl>& tabeller);
    bool kodeverk();
    void logg(const std::string& linje);
    void fremdrift(bool alltid = false);
    void feil(const std::string& tekst);
    std::string sti(const std::string& fil) const;

    Context& ctx_;
    std::string mappe_;
    bool mva_ = false;
    std::vector<Tabellsteg> steg_;
    std::vector<Resultat> resultater_;
    std::string hindring_;
    std::string kodefil_;
    std::string stoppet_;
    long sistVist_ = -1;
};

} // namespace tavlo::omlegg
