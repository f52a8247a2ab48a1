#pragma once
// The error manager: a numbered catalogue of messages, placeholders filled from what the failing
// operation recorded, shown through the answer service with buttons chosen by the error's level.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "framework/answer.h"

namespace tavlo {

// Level codes returned by every record-store, relation and error-manager operation.
enum Level : int {
    LEVEL_BENIGN = 0,
    LEVEL_USER = 1,
    LEVEL_PROGRAM = 2,
    LEVEL_FATAL = 3,
    LEVEL_CANCEL = 4,
    LEVEL_NOTIFY = 5,
};

// Error numbers raised by the framework.
enum ErrorId : uint16_t {
    MSG_RETRIEVAL_ERROR = 1,
    MSG_ACCESS_DENIED = 2,
    MSG_ADD_ANOTHER = 3,
    MSG_INSERT_ERROR = 4,
    MSG_ADD_NEW_RECORD = 5,
    MSG_CLOSE_ERROR = 6,
    MSG_RECORD_CHANGED = 7,
    MSG_RECORD_CHANGED_SHOWN = 8,
    MSG_RECORD_CHANGED_OR_DELETED = 9,
    MSG_CONFIRM_CANCEL = 10,
    MSG_CONFIRM_DELETE = 11,
    MSG_CREATE_ERROR = 12,
    MSG_DELETE_ERROR = 13,
    MSG_CANNOT_DELETE = 14,
    MSG_DUPLICATE_KEY = 15,
    MSG_NOT_IN_FILE = 16,
    MSG_NOT_IN_LIST = 17,
    MSG_OUT_OF_RANGE = 18,
    MSG_ABOVE_MAX = 19,
    MSG_BELOW_MIN = 20,
    MSG_LOAD_ERROR = 21,
    MSG_CANNOT_INSERT = 23,
    MSG_TRANSACTION_CANCELLED = 24,
    MSG_NO_RECORDS = 25,
    MSG_OPEN_ERROR = 26,
    MSG_PROCEDURE_NOT_DEFINED = 27,
    MSG_UPDATE_ERROR = 28,
    MSG_KEY_NOT_BUILT = 29,
    MSG_INVALID_KEY = 30,
    MSG_RECORD_HELD = 31,
    MSG_RI_DELETE = 33,
    MSG_RI_UPDATE = 34,
    MSG_AUTOINC_ERROR = 35,
    MSG_RETRY_DELETE = 36,
    MSG_RETRY_UPDATE = 37,
    MSG_SAVE_RECORD = 38,
    MSG_BEGINNING_OF_FILE = 39,
    MSG_END_OF_FILE = 40,
    MSG_CANNOT_UPDATE = 41,
    MSG_USE_BEFORE_OPEN = 42,
    MSG_VIEW_OPEN_ERROR = 43,
};

// Error state of one context (what a thread had of its own in the original design): the current
// error, what was recorded for its placeholders, and the context's procedure names.
struct ErrorState {
    uint16_t id = 0;
    uint16_t previousId = 0;
    int level = 0;
    std::string title, message, category;
    std::string previousMessage;
    std::string file, key, field, text; // %File, %Key, %Field, %Message
    // captured by SETERRORS from the "current" values below
    int errorCode = 0;
    std::string errorText;
    int fileErrorCode = 0;
    std::string fileErrorText;
    // what the storage layer reported last; the storage code sets these before it throws
    int currentErrorCode = 0;
    std::string currentErrorText;
    int currentFileErrorCode = 0;
    std::string currentFileErrorText;

    std::vector<std::string> procedures; // newest last
};

struct CatalogueEntry {
    uint16_t id = 0;
    uint8_t level = 0;
    std::string title;
    std::string message;
    std::string category;
};

class ErrorClass {
  public:
    // Loads the built-in catalogue.
    explicit ErrorClass(AnswerService* answers = nullptr);

    void setAnswers(AnswerService* answers);
    AnswerService* answers() const { return answers_; }

    // Packed block: count (u16 LE), then per entry id (u16 LE), level (u8), title length (u8),
    // title, message length (u8), message. Returns false, changing nothing, on a damaged block.
    bool ADDERRORS(std::string_view packed);
    void ADDERROR(const CatalogueEntry& e);
    void REMOVEERROR(uint16_t id);
    const CatalogueEntry* find(uint16_t id) const; // the most recently added entry with that id
    static std::string builtinCatalogue();         // the packed block loaded at start

    void SETFILE(ErrorState& s, std::string_view file) const;
    void SETKEY(ErrorState& s, std::string_view key) const;
    void SETFIELD(ErrorState& s, std::string_view field) const;
    void SETERRORS(ErrorState& s) const;

    int THROW(ErrorState& s, uint16_t id);
    int THROWFILE(ErrorState& s, uint16_t id, std::string_view file);
    int THROWMESSAGE(ErrorState& s, uint16_t id, std::string_view text);
    int TAKEERROR(ErrorState& s, uint16_t id);
    // Shows the entry's message with the given buttons; returns the button pressed.
    unsigned MESSAGE(ErrorState& s, uint16_t id, unsigned buttons, unsigned defaultButton);

    void SETPROCEDURENAME(ErrorState& s, std::string_view name, bool pop = false) const;
    std::string GETPROCEDURENAME(const ErrorState& s) const;

    // The entry's message with every placeholder filled, in the fixed order.
    std::string substitute(const ErrorState& s, std::string_view message) const;

  private:
    unsigned MSG(const Message& m);

    mutable std::mutex lock_;
    std::vector<CatalogueEntry> entries_;
    AnswerService* answers_ = nullptr;
};

} // namespace tavlo
