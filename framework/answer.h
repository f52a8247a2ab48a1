#pragma once
// The one door for every question to the user. The desktop implements it with widgets; tests
// and the command line use scripted or non-interactive answers.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlo {

class ViewManager;

struct PickColumn {
    int field;           // in the view's table
    std::string heading; // "Nr", "Tekst"
    std::string picture; // display picture; empty for the field's own
};

// A pick list over a view that the caller has built (sort orders, range, filter) and opened,
// with the table buffer on the row to start at.
struct PickList {
    std::string caption;
    std::vector<PickColumn> columns;
    std::vector<std::string> orderNames; // one per sort order when the user may switch them
    // A field of the highlighted row shown in full below the list (a saved filter's
    // description); -1 for none.
    int detailField = -1;
};

// A file or folder the user is asked for.
struct FileChoice {
    std::string title;  // "Angi filnavn"
    std::string filter; // pairs of description and patterns: "Fakturalayout|*.FAK"
    std::string path;   // where the dialog starts; the choice on return
    enum Kind { Open, Save, Folder } kind = Open;
};

enum class Icon { None, Question, Exclamation, Information, Hand };

// Buttons of a message box, combinable as a mask.
enum Button : unsigned {
    BUTTON_OK = 1,
    BUTTON_YES = 2,
    BUTTON_NO = 4,
    BUTTON_CANCEL = 8,
    BUTTON_ABORT = 16,
    BUTTON_RETRY = 32,
    BUTTON_IGNORE = 64,
};

struct Message {
    std::string text; // "|" starts a new line
    std::string caption;
    Icon icon = Icon::None;
    unsigned buttons = BUTTON_OK;
    unsigned defaultButton = BUTTON_OK;
};

class AnswerService {
  public:
    virtual ~AnswerService() = default;
    // Shows the message and returns the button pressed.
    virtual unsigned message(const Message& m) = 0;
    // The program must end now (after a fatal error has been shown).
    virtual void halt(const std::string& reason) = 0;
    // The calendar: the chosen day number, or `initial` when the user leaves without choosing.
    virtual int32_t pickDate(int32_t initial) { return initial; }
    // A pick list: true when the user chose a row, whose record is then in the view's table
    // buffer; false when the list was left without a choice.
    virtual bool pickFromList(ViewManager& view, const PickList& list)
    {
        (void)view;
        (void)list;
        return false;
    }
    // The filter builder ("Lag filter") for a table's fields over `expression`, which it edits
    // in place: true when the user leaves with OK, false with "Avslutt".
    virtual bool buildFilter(int tableNo, std::string& expression)
    {
        (void)tableNo;
        (void)expression;
        return false;
    }
    // The file or folder dialog: true with the choice in choice.path.
    virtual bool pickFile(FileChoice& choice)
    {
        (void)choice;
        return false;
    }
    // The font dialog on a font description "typeface,size,colour,style" (colour as
    // 0xBBGGRR, style the weight plus 4096 for italic, 8192 underline, 16384 strike-out): true
    // with the choice in `font`.
    virtual bool pickFont(std::string& font)
    {
        (void)font;
        return false;
    }
    // The colour dialog, titled `title`, on a colour 0xBBGGRR (-1: none): true with the choice.
    virtual bool pickColor(const std::string& title, int32_t& colour)
    {
        (void)title;
        (void)colour;
        return false;
    }
};

// For tests: answers from a script, falling back to each message's default button; keeps
// every message shown and whether a halt was asked for. Pick lists walk a view, so the answers
// that choose rows in them are ScriptedAnswers (framework/scriptedanswers.h), above the views.
class ScriptedDialogs : public AnswerService {
  public:
    std::deque<unsigned> script;
    std::vector<Message> shown;
    int halts = 0;
    std::deque<int32_t> dates; // answers of the calendar, in turn
    std::vector<int32_t> datesAsked;
    // Plays the user in the filter builder; without it the builder is left with "Avslutt".
    std::function<bool(int tableNo, std::string& expression)> filterBuilder;

    unsigned message(const Message& m) override;
    void halt(const std::string& reason) override;
    int32_t pickDate(int32_t initial) override;
    bool buildFilter(int tableNo, std::string& expression) override;
    // Files, fonts and colours chosen, in turn; none left: the dialog is cancelled. Each
    // dialog's title or starting value is kept in `dialogsShown`.
    std::deque<std::string> files, fonts;
    std::deque<int32_t> colours;
    std::vector<std::string> dialogsShown;
    bool pickFile(FileChoice& choice) override;
    bool pickFont(std::string& font) override;
    bool pickColor(const std::string& title, int32_t& colour) override;
    void answer(unsigned button) { script.push_back(button); }
};

// A message as the console shows it: caption and text on one line, "|" turned into a blank,
// blanks not piled up.
std::string oneLine(const Message& m);
std::string oneLine(std::string_view text);

// For the command line: each message becomes one line on stderr ("|" turned into a blank); a
// question is answered No (or Cancel), a notice with its default button; halt throws
// HaltProgram for main() to catch.
class ConsoleAnswers : public AnswerService {
  public:
    unsigned message(const Message& m) override;
    void halt(const std::string& reason) override;
};

struct HaltProgram {
    std::string reason;
};

} // namespace tavlo
