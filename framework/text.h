#pragma once
// Text rules shared by keys, fields and files: Western European upper-casing, the Norwegian
// order of letters, character limits of text(n) fields and the single-byte file character set.
#include <cstddef>
#include <string>
#include <string_view>

namespace tavlo::text {

// Upper-cases a UTF-8 text the Western European way (a–z, à–þ except ÷, plus œ š ž ÿ).
std::string upper(std::string_view utf8);
// Compares two UTF-8 texts without regard to case, letters in Norwegian order (… Z, Æ, Ø, Å;
// Ä sorts with Æ and Ö with Ø; other accented letters beside their base letter).
// <0, 0, >0. Two texts compare equal exactly when their upper-cased forms are equal.
int collate(std::string_view a, std::string_view b);

// Where `sub` first occurs in `text`, looking at character positions start, start + step, …
// (counted from 1); 0 when it does not occur there, or when sub is empty or step < 1.
long long instring(std::string_view sub, std::string_view text, long long step, long long start);

// Number of characters (code points) of a UTF-8 text.
std::size_t length(std::string_view utf8);
// At most maxChars characters, never cutting a character in two.
std::string truncate(std::string_view utf8, std::size_t maxChars);
// Trailing blanks removed.
std::string_view rtrim(std::string_view s);
std::string_view trim(std::string_view s);
// The index-th element (from 1) of text split at every character of `separators`, after blanks
// are stripped at both ends and the text is cut to 255 characters. Two separators in a row
// give an empty element; an index outside the elements gives an empty text.
std::string element(std::string_view text, int index, std::string_view separators);

// Windows-1252, the single-byte character set of exchange, settings and layout files. Characters
// that the set lacks become '?'. Bytes the set leaves undefined map to the same code point.
std::string toCp1252(std::string_view utf8);
std::string fromCp1252(std::string_view bytes);
bool isValidUtf8(std::string_view s);

} // namespace tavlo::text
