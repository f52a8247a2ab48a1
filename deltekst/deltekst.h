#pragma once
// The delimited-text ("BASIC") driver: files of one record a line, fields separated by a
// delimiter, texts in quotes, as spreadsheets and older programs exchange them. The customer
// and product exchange files are read and written through it.
//
// A file is read whole and handed out record by record: exchange files are small, and a file
// read at once can be told apart as UTF-8 or Windows-1252 before the first field is cut.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "framework/decimal.h"

namespace tavlo::deltekst {

inline constexpr const char* kDriverName = "BASIC";
inline constexpr const char* kDriverDescription = "BASIC (Comma Delimited)";

enum class Charset { Windows1252, Utf8 };

// How a file is cut into records and fields. Delimiters are bytes of the file's own character
// set (ANSI codes, as the option string gives them).
struct Options {
    std::string fieldDelimiter = ",";
    char quote = '"';
    std::string endOfRecord = "\r\n";
    bool alwaysQuote = true;
    bool ctrlZIsEof = true;
    bool endOfRecordInQuote = true;
    // Kept so that they can be asked for; reading whole files makes them moot.
    std::optional<bool> quickScan;
    long fileBuffers = 0;
    Charset charset = Charset::Windows1252;

    // Applies a driver option string ("/ALWAYSQUOTE=OFF /COMMA=59"). Switches that are not
    // understood are left out; what was wrong with each is returned, one text apiece.
    std::vector<std::string> apply(std::string_view optionString);
    // The current value of a switch as the driver answers when asked without one ("ON",
    // "44", "2,13,10"); empty for a name that is no switch.
    std::string query(std::string_view switchName) const;
};

enum class Type {
    Text,    // trailing blanks dropped; in quotes
    Integer, // a signed whole number that fits 32 bits
    Date,    // a day number (0 = no date), a day that exists
    Decimal, // a number with `places` decimals at most kept, point or comma
};

struct Field {
    std::string name;
    Type type = Type::Text;
    int width = 0; // characters a text may have; digits and signs a number may have
    int places = 0;
};
using Layout = std::vector<Field>;

// A decimal written with its field's places ("1234.50" for decimal(11,2)).
struct Number {
    Decimal value;
    int places = 2;
};
// A value to write. Numbers are written plain: digits, a leading minus, a decimal point.
using Value = std::variant<std::string, int64_t, Number>;

// Turns records into the bytes of a file.
class Writer {
  public:
    explicit Writer(Options options = {}) : options_(std::move(options)) {}

    // One record with its end-of-record marker, in the file's character set. nullopt when a
    // text cannot be written so that it reads back the same (an end-of-record marker in a text
    // while such markers end records even in quotes, a Ctrl-Z while Ctrl-Z ends the file);
    // `problem` says which field and why.
    std::optional<std::string> format(const std::vector<Value>& record,
                                      std::string* problem = nullptr) const;
    // How many texts held characters the file's character set lacks (written as '?').
    long unrepresentable() const { return unrepresentable_; }

  private:
    std::string field(const std::string& utf8) const;
    Options options_;
    mutable long unrepresentable_ = 0;
};

// A decimal with exactly `places` decimals, leading blanks removed ("-1234.50").
std::string formatDecimal(const Decimal& v, int places);

// One record as read: its fields' texts in UTF-8 (numbers with blanks removed), or what is
// wrong with it.
struct ReadResult {
    enum Status { Record, End, Error };
    Status status = End;
    long line = 0; // the line of the file where the record starts, from 1
    std::vector<std::string> fields;
    std::string problem; // Norwegian, for the user: what is wrong, with the field's name

    explicit operator bool() const { return status == Record; }
};

class Reader {
  public:
    // Reads from bytes already in memory.
    Reader(std::string bytes, Layout layout, Options options = {});
    // Reads a file; isOpen() tells whether it could be read, errorNumber() why not.
    static Reader open(const std::string& path, Layout layout, Options options = {});

    bool isOpen() const { return open_; }
    int errorNumber() const { return errno_; }
    // The character set the file was read in: Windows-1252 files that are in fact UTF-8 (with
    // letters beyond ASCII, or a byte-order mark) are read as UTF-8.
    Charset charset() const { return charset_; }

    // The next record. After an error the reader goes on with the record after the damaged
    // one, so a caller may list every damaged line; End stays End.
    ReadResult next();

    // Field texts of a record that has been read turned into values.
    static int64_t integer(std::string_view text);
    static Decimal decimal(std::string_view text, int places);

  private:
    Reader() = default;
    bool cut(ReadResult& r);
    bool check(ReadResult& r) const;

    Layout layout_;
    Options options_;
    std::string text_; // the file in UTF-8, cut at the Ctrl-Z that ends it
    std::string delim_, eor_, quote_;
    // First bytes of the markers a quoted and an unquoted field stop at.
    std::string quotedStops_, plainStops_;
    std::size_t pos_ = 0;
    long line_ = 1;
    bool open_ = true;
    int errno_ = 0;
    Charset charset_ = Charset::Windows1252;
};

// Checks one field's text against its declaration: "" when it fits, else what is wrong.
std::string checkField(const Field& f, std::string_view text);

} // namespace tavlo::deltekst
