#pragma once
// Fixed-width exchange files: the header line that every exchange file starts with, and the line
// of one code of KODEVERK. Files are Windows-1252, one record a line; trailing blanks are dropped
// when a line is written, so a line read back may be shorter than its record and is padded.
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace tavlo {

class Context;
class Record;

// Writes the header line (program, header id and version in 20 characters each, the date's day
// number in 10). With `create` the file is made anew (emptied), else the line is added at its
// end. 1 on success; 0 after saying why.
int LAGHEADER(Context& ctx, const std::string& fileName, const std::string& program,
              const std::string& headerId, const std::string& version, int32_t date, bool create);

// Reads the header line into the four values (texts clipped). 0 when the file cannot be opened
// (said why), is empty (quietly), or, with `ask`, when the user answers No to what was read.
int HENTHEADER(Context& ctx, const std::string& fileName, std::string& program,
               std::string& version, std::string& headerId, int32_t& date, bool ask);

// What the file layer says about a failed open, read or write (an errno value).
std::string fileErrorText(int errnum);
// The last file operation's failure on `file`, as an error box: "<why>: <file>".
void sayFileError(Context& ctx, const std::string& file);

// Reads a text file line by line (LF or CR LF ends a line), counting the bytes read so far.
class LineReader {
  public:
    explicit LineReader(const std::string& fileName);
    bool isOpen() const { return in_.is_open(); }
    // The next line without its end; false at the end of the file.
    bool next(std::string& line);
    // Bytes read so far, line ends included.
    uint64_t bytesRead() const { return read_; }
    // Whether reading stopped on a fault of the file rather than at its end.
    bool failed() const { return in_.bad(); }

  private:
    std::ifstream in_;
    uint64_t read_ = 0;
};

// The line of one code, as the code-set exchange file (and the standard code file) holds it.
namespace codeline {

inline constexpr std::size_t kWidth = 1472;
inline constexpr const char* kProgram = "Tavlo";
inline constexpr const char* kHeaderId = "Kodeverk";
inline constexpr const char* kVersion = "4.0";

// The code in `kod` (a KODEVERK record) as a line in Windows-1252, trailing blanks dropped;
// KOD:DIV is never written. Line breaks and other control characters in a text become blanks,
// since a line cannot hold them. nullopt when a value does not fit its column, and `problem`
// says which.
std::optional<std::string> format(const Record& kod, std::string* problem = nullptr);

// Group and number of a line; false when either column is not a whole number.
bool key(std::string_view line, int32_t& group, int32_t& number);

// Fills `kod` from a line: cleared first, texts clipped, KOD:DIV empty. A line shorter than the
// record is padded with blanks. False on a damaged line (a column that does not read as its
// field's value, a control character, a line longer than the record): `problem` says why and
// the record is cleared again.
bool parse(std::string_view line, Record& kod, std::string* problem = nullptr);

} // namespace codeline

} // namespace tavlo
