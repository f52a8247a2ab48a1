#include "framework/errorclass.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>

namespace tavlo {

namespace {

constexpr std::string_view kDefaultCategory = "Tavlo";
constexpr std::string_view kFatalSuffix = "  Press OK to end this application";
constexpr std::size_t kWorkTextLimit = 2000;

struct BuiltinEntry {
    uint16_t id;
    uint8_t level;
    std::string_view title;
    std::string_view message;
};

// The texts are the program's own; the Norwegian ones are UTF-8 like every other text inside
// the program.
constexpr std::array<BuiltinEntry, 41> kBuiltin{{
    {1, LEVEL_NOTIFY, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
     "previous window."},
    {2, LEVEL_NOTIFY, "Access Denied", "Could not get write access to %File so trying read-only."},
    {3, LEVEL_USER, "Record Added",
     "This record has been added to the file. Do you want to add another record?"},
    {4, LEVEL_NOTIFY, "Record Insert Error",
     "An error was experienced during the creation of a record.|File: %File|Error: %ErrorText."},
    {5, LEVEL_NOTIFY, "Add New Record?", "Record match not found, do you wish to add a new one?"},
    {6, LEVEL_NOTIFY, "File Access Error", "File %File could not be closed.  Error: %ErrorText."},
    {7, LEVEL_NOTIFY, "Record Was Not Updated", "This record was changed by another station."},
    {8, LEVEL_NOTIFY, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the "
     "Ditto Button or Ctrl+H to recall your changes."},
    {9, LEVEL_NOTIFY, "Record Retrieval Error",
     "This record was changed or deleted by another station.|Error: (%ErrorText) attempting to "
     "access a record from the %File file."},
    {10, LEVEL_USER, "Changes will be lost!", "Are you sure you want to cancel?"},
    {11, LEVEL_USER, "Bekreft Sletting", "Er du sikker på at du vil slette den markerte posten?"},
    {12, LEVEL_FATAL, "File Creation Error", "Error: (%ErrorText) creating %File."},
    {13, LEVEL_NOTIFY, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file."},
    {14, LEVEL_NOTIFY, "Invalid Request", "This form cannot be used to delete a record"},
    {15, LEVEL_NOTIFY, "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message"},
    {16, LEVEL_NOTIFY, "Field contents error",
     "The value of %Field must be found in the %Message file."},
    {17, LEVEL_NOTIFY, "Value Error", "The value of %Field must be in the list : %Message."},
    {18, LEVEL_NOTIFY, "Range Error", "The value of %Field must be in range %Message."},
    {19, LEVEL_NOTIFY, "Range Error", "The value of %Field must be lower than %Message."},
    {20, LEVEL_NOTIFY, "Range Error", "The value of %Field must be higher than %Message."},
    {21, LEVEL_NOTIFY, "File Load Error", "%File File Load Error.  Error: %ErrorText."},
    {23, LEVEL_NOTIFY, "Invalid Request", "This form cannot be used to insert a record"},
    {24, LEVEL_NOTIFY, "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {25, LEVEL_NOTIFY, "Ingen poster", "Det er ingen poster tilgjenngelig for prosessering."},
    {26, LEVEL_FATAL, "File Access Error", "File %File could not be opened.  Error: %ErrorText."},
    {27, LEVEL_NOTIFY, "Procedure not defined", "The Procedure %Message has not been defined."},
    {28, LEVEL_NOTIFY, "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},
    {29, LEVEL_FATAL, "Key was not built", "Error: (%ErrorText) repairing key for %File."},
    {30, LEVEL_NOTIFY, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},
    {31, LEVEL_NOTIFY, "Record not read",
     "A record held by another station was encountered reading from the %File file."},
    {33, LEVEL_NOTIFY, "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while these "
     "references exist."},
    {34, LEVEL_NOTIFY, "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted from "
     "change and have been reset to original values."},
    {35, LEVEL_USER, "Auto Increment Error",
     "Attempts to automatically number this record have failed.|File: %File|Key: %Key|Error: "
     "%ErrorText.|Try Again?"},
    {36, LEVEL_USER, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {37, LEVEL_USER, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {38, LEVEL_USER, "Lagre post", "Vil du lagre endringer i denne posten?"},
    {39, LEVEL_USER, "Beginning of File Error",
     "The beginning of the file %File was encountered. Do you want to start again from the end of "
     "the file?"},
    {40, LEVEL_USER, "End of File Error",
     "The end of the file %File was encountered. Do you want to start again from the beginning?"},
    {41, LEVEL_NOTIFY, "Invalid Request", "This form cannot be used to update a record"},
    {42, LEVEL_PROGRAM, "File Usage Error", "Attempt to use file (%File) before it was opened"},
    {43, LEVEL_NOTIFY, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
}};

// The packed block stores each length in one byte.
constexpr bool builtinTextsFit()
{
    for (const auto& e : kBuiltin)
        if (e.title.size() > 255 || e.message.size() > 255)
            return false;
    return true;
}
static_assert(builtinTextsFit(), "a catalogue text is longer than 255 bytes");

std::string_view rtrimBlanks(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Placeholders are ASCII, so folding ASCII letters is enough to find them in any case.
std::size_t findNoCase(std::string_view hay, std::string_view needle, std::size_t from)
{
    if (needle.empty() || hay.size() < needle.size())
        return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && asciiLower(hay[i + k]) == asciiLower(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

// Cuts to at most `limit` bytes without splitting a UTF-8 character.
void limitBytes(std::string& s, std::size_t limit)
{
    if (s.size() <= limit)
        return;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        --cut;
    s.resize(cut);
}

// Replaces every occurrence, scanning on after each inserted value, so a value that contains
// its own placeholder is never expanded again.
void replaceAll(std::string& work, std::string_view placeholder, std::string_view value)
{
    std::size_t pos = 0;
    while ((pos = findNoCase(work, placeholder, pos)) != std::string::npos) {
        work.replace(pos, placeholder.size(), value);
        pos += value.size();
        if (work.size() > kWorkTextLimit) {
            limitBytes(work, kWorkTextLimit);
            return;
        }
    }
}

class Reader {
  public:
    explicit Reader(std::string_view data) : data_(data) {}
    bool u8(uint8_t& v)
    {
        if (pos_ + 1 > data_.size())
            return false;
        v = static_cast<uint8_t>(data_[pos_++]);
        return true;
    }
    bool u16(uint16_t& v)
    {
        uint8_t lo = 0, hi = 0;
        if (!u8(lo) || !u8(hi))
            return false;
        v = static_cast<uint16_t>(lo | (hi << 8));
        return true;
    }
    bool text(std::string& out)
    {
        uint8_t len = 0;
        if (!u8(len) || pos_ + len > data_.size())
            return false;
        out.assign(data_.substr(pos_, len));
        pos_ += len;
        return true;
    }
    bool atEnd() const { return pos_ == data_.size(); }

  private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

std::optional<std::vector<CatalogueEntry>> unpack(std::string_view packed)
{
    Reader in(packed);
    uint16_t count = 0;
    if (!in.u16(count))
        return std::nullopt;
    std::vector<CatalogueEntry> out;
    out.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        CatalogueEntry e;
        if (!in.u16(e.id) || !in.u8(e.level) || !in.text(e.title) || !in.text(e.message))
            return std::nullopt;
        e.category = std::string(kDefaultCategory);
        out.push_back(std::move(e));
    }
    // Bytes after the last entry mean the count and the block disagree.
    if (!in.atEnd())
        return std::nullopt;
    return out;
}

void putU16(std::string& out, uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void putText(std::string& out, std::string_view s)
{
    out.push_back(static_cast<char>(static_cast<uint8_t>(s.size())));
    out.append(s);
}

// Before the program hands over its answer service, messages go to stderr and are answered with
// their default button.
AnswerService& serviceOr(AnswerService& fallback, std::mutex& lock, AnswerService* const& answers)
{
    std::lock_guard guard(lock);
    return answers ? *answers : fallback;
}

// The most recently added entry wins, so an entry added later overrides a built-in one.
const CatalogueEntry* newest(const std::vector<CatalogueEntry>& entries, uint16_t id)
{
    auto it = std::find_if(entries.rbegin(), entries.rend(),
                           [id](const CatalogueEntry& e) { return e.id == id; });
    return it == entries.rend() ? nullptr : &*it;
}

// Makes `id` the context's current error; false when the catalogue does not know it.
bool makeCurrent(ErrorState& s, uint16_t id, const CatalogueEntry* entry)
{
    s.previousId = s.id;
    s.previousMessage = s.message;
    s.id = id;
    if (!entry) {
        s.level = LEVEL_BENIGN;
        s.title.clear();
        s.message.clear();
        s.category.clear();
        return false;
    }
    s.level = entry->level;
    s.title = entry->title;
    s.message = entry->message;
    s.category = entry->category;
    return true;
}

} // namespace

ErrorClass::ErrorClass(AnswerService* answers) : answers_(answers)
{
    ADDERRORS(builtinCatalogue());
}

void ErrorClass::setAnswers(AnswerService* answers)
{
    std::lock_guard guard(lock_);
    answers_ = answers;
}

std::string ErrorClass::builtinCatalogue()
{
    std::string out;
    putU16(out, static_cast<uint16_t>(kBuiltin.size()));
    for (const auto& e : kBuiltin) {
        putU16(out, e.id);
        out.push_back(static_cast<char>(e.level));
        putText(out, e.title);
        putText(out, e.message);
    }
    return out;
}

bool ErrorClass::ADDERRORS(std::string_view packed)
{
    auto parsed = unpack(packed);
    if (!parsed)
        return false;
    std::lock_guard guard(lock_);
    for (auto& e : *parsed)
        entries_.push_back(std::move(e));
    return true;
}

void ErrorClass::ADDERROR(const CatalogueEntry& e)
{
    CatalogueEntry copy = e;
    if (copy.category.empty())
        copy.category = std::string(kDefaultCategory);
    std::lock_guard guard(lock_);
    entries_.push_back(std::move(copy));
}

void ErrorClass::REMOVEERROR(uint16_t id)
{
    std::lock_guard guard(lock_);
    // Only the newest one goes, so removing an override brings back the entry it replaced.
    auto it = std::find_if(entries_.rbegin(), entries_.rend(),
                           [id](const CatalogueEntry& e) { return e.id == id; });
    if (it != entries_.rend())
        entries_.erase(std::next(it).base());
}

const CatalogueEntry* ErrorClass::find(uint16_t id) const
{
    std::lock_guard guard(lock_);
    return newest(entries_, id);
}

void ErrorClass::SETFILE(ErrorState& s, std::string_view file) const
{
    s.file = std::string(rtrimBlanks(file));
}

void ErrorClass::SETKEY(ErrorState& s, std::string_view key) const
{
    s.key = std::string(rtrimBlanks(key));
}

void ErrorClass::SETFIELD(ErrorState& s, std::string_view field) const
{
    s.field = std::string(rtrimBlanks(field));
}

void ErrorClass::SETERRORS(ErrorState& s) const
{
    s.errorCode = s.currentErrorCode;
    s.errorText = s.currentErrorText;
    s.fileErrorCode = s.currentFileErrorCode;
    s.fileErrorText = s.currentFileErrorText;
}

int ErrorClass::THROW(ErrorState& s, uint16_t id)
{
    SETERRORS(s);
    return TAKEERROR(s, id);
}

int ErrorClass::THROWFILE(ErrorState& s, uint16_t id, std::string_view file)
{
    SETFILE(s, file);
    return THROW(s, id);
}

int ErrorClass::THROWMESSAGE(ErrorState& s, uint16_t id, std::string_view text)
{
    s.text = std::string(rtrimBlanks(text));
    return THROW(s, id);
}

int ErrorClass::TAKEERROR(ErrorState& s, uint16_t id)
{
    {
        std::lock_guard guard(lock_);
        makeCurrent(s, id, newest(entries_, id));
    }

    Message m;
    m.caption = s.title;
    switch (s.level) {
    case LEVEL_BENIGN: return LEVEL_BENIGN;
    case LEVEL_USER:
    case LEVEL_CANCEL:
        m.text = substitute(s, s.message);
        m.icon = Icon::Question;
        m.buttons = BUTTON_YES | BUTTON_NO;
        m.defaultButton = BUTTON_YES;
        return MSG(m) == BUTTON_YES ? LEVEL_BENIGN : LEVEL_CANCEL;
    case LEVEL_NOTIFY:
        m.text = substitute(s, s.message);
        m.icon = Icon::Exclamation;
        MSG(m);
        return LEVEL_NOTIFY;
    default: {
        const std::string text = substitute(s, s.message);
        m.text = text + std::string(kFatalSuffix);
        m.icon = Icon::Exclamation;
        MSG(m);
        ConsoleAnswers console;
        serviceOr(console, lock_, answers_).halt(s.title + ": " + text);
        return LEVEL_FATAL;
    }
    }
}

unsigned ErrorClass::MESSAGE(ErrorState& s, uint16_t id, unsigned buttons, unsigned defaultButton)
{
    {
        std::lock_guard guard(lock_);
        if (!makeCurrent(s, id, newest(entries_, id)))
            return defaultButton;
    }
    Message m;
    m.text = substitute(s, s.message);
    m.caption = s.title;
    m.icon = (buttons & BUTTON_YES) ? Icon::Question : Icon::Exclamation;
    m.buttons = buttons;
    m.defaultButton = defaultButton;
    return MSG(m);
}

void ErrorClass::SETPROCEDURENAME(ErrorState& s, std::string_view name, bool pop) const
{
    if (!pop)
        s.procedures.emplace_back(name);
    else if (!s.procedures.empty())
        s.procedures.pop_back();
}

std::string ErrorClass::GETPROCEDURENAME(const ErrorState& s) const
{
    return s.procedures.empty() ? std::string() : s.procedures.back();
}

std::string ErrorClass::substitute(const ErrorState& s, std::string_view message) const
{
    std::string work(message);
    limitBytes(work, kWorkTextLimit);

    const bool useDriverText = s.errorCode == 90 || s.errorCode == 100;
    const std::string errorText =
        useDriverText ? s.fileErrorText + " (" + std::to_string(s.fileErrorCode) + ")"
                      : s.errorText + " (" + std::to_string(s.errorCode) + ")";

    // Longer names that begin like shorter ones come first, or %File would eat %FileError.
    const std::pair<std::string_view, std::string> order[] = {
        {"%FileErrorCode", std::to_string(s.fileErrorCode)},
        {"%FileError", s.fileErrorText},
        {"%File", s.file},
        {"%Key", s.key},
        {"%ErrorCode", std::to_string(s.errorCode)},
        {"%ErrorText", errorText},
        {"%Error", s.errorText},
        {"%Message", s.text},
        {"%Field", s.field},
        {"%Procedure", GETPROCEDURENAME(s)},
        {"%Category", s.category},
        {"%Previous", s.previousMessage},
    };
    for (const auto& [placeholder, value] : order)
        replaceAll(work, placeholder, value);
    return work;
}

unsigned ErrorClass::MSG(const Message& m)
{
    // Asked without the lock held: the box may stay up a long time, and other contexts must
    // still be able to take errors meanwhile.
    ConsoleAnswers console;
    return serviceOr(console, lock_, answers_).message(m);
}

} // namespace tavlo
