#pragma once
// The one door for every question to the user. The desktop implements it with widgets; tests
// and the command line use scripted or non-interactive answers.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace tavlo {

class ViewManager;

struct PickColumn {
    int field;            // in the view's table
    std::string heading;  // "Nr", "Tekst"
    std::string picture;  // display picture; empty for the field's own
};

// A pick list over a view that the caller has built (sort orders, range, filter) and opened,
// with the table buffer on the row to start at.
struct PickList {
    std::string caption;
    std::vector<PickColumn> columns;
    std::vector<std::string> orderNames;  // one per sort order when the user may switch them
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
    std::string text;     // "|" starts a new line
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
};

// For tests: answers from a script, falling back to each message's default button; keeps
// every message shown and whether a halt was asked for.
class ScriptedAnswers : public AnswerService {
public:
    std::deque<unsigned> script;
    std::vector<Message> shown;
    int halts = 0;
    std::deque<int32_t> dates;  // answers of the calendar, in turn
    std::vector<int32_t> datesAsked;
    std::deque<int> picks;  // rows chosen in pick lists, counted from the first; -1 leaves
    std::vector<std::string> listsShown;

    unsigned message(const Message& m) override;
    void halt(const std::string& reason) override;
    int32_t pickDate(int32_t initial) override;
    bool pickFromList(ViewManager& view, const PickList& list) override;
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
