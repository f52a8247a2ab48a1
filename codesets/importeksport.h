#pragma once
// The rules of the window "Kodeverksvedlikehold" (IMPORTEKSPORTKODEVERK): KODEVERK to and from a
// code-set exchange file, and deletion of ranges of codes. No widgets here: a view binds
// "&Filnavn:" to fileName(), the check box and the four bounds to the public fields, calls the
// three runs from "&Importer", "&Eksporter" and "&Slett", and redraws the progress bar and the
// counter whenever progressChanged is called (where it may also let its own events run). Every
// question and notice goes through the context's answer service.
#include <cstdint>
#include <functional>
#include <string>

namespace tavlo {

class Context;

class ImportEksportKodeverk {
  public:
    enum class Outcome {
        Completed, // the run went through; its notice has been shown
        Declined,  // the user answered No before anything was changed
        Failed,    // stopped; said why (what was written before the stop stays written)
    };

    // The window opens: the file name becomes KODEVERK.TXT in the current directory.
    explicit ImportEksportKodeverk(Context& ctx);
    ImportEksportKodeverk(const ImportEksportKodeverk&) = delete;
    ImportEksportKodeverk& operator=(const ImportEksportKodeverk&) = delete;

    // The window's fields. The file name is the global GLO::ASCIIKODEVERKPTH.
    std::string& fileName();
    bool overwrite = false; // "&Overskriv eksisterende koder ved import"
    // "Avgrensninger": a code passes when its group and number lie within the bounds, where a
    // bound of 0 is no bound.
    int32_t fromGroup = 0, toGroup = 0, fromNr = 0, toNr = 0;
    // The runs' own questions (the warning before a run, the file info, overwriting the file,
    // each deletion's confirmation) taken as Yes without being asked: for scripts.
    bool confirmed = false;
    std::function<void()> progressChanged;

    bool inRange(int32_t group, int32_t nr) const;

    // 0 … 100, and the records handled ("Antall poster behandlet:"), of the run going on or the
    // last one.
    int progress() const { return progress_; }
    long counter() const { return counter_; }
    // Damaged lines of the last import, or codes of the last export whose values do not fit
    // the file's columns: left out, and said so after the run.
    long leftOut() const { return leftOut_; }
    bool running() const { return running_; }

    Outcome importFile();
    Outcome exportFile();
    Outcome deleteCodes();

  private:
    class Run;
    void setProgress(uint64_t done, uint64_t total);
    void leaveOut(const std::string& where, const std::string& problem);
    void sayLeftOut(const char* what);

    Context& ctx_;
    int progress_ = 0;
    long counter_ = 0;
    long leftOut_ = 0;
    std::string firstLeftOut_;
    bool running_ = false;
};

} // namespace tavlo
