// Small text routines shared by the markup parser, the settings store and the
// scrapers. All text is 8-bit: Shift_JIS unless the multibyte mode says UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sjis.h"

// Process-wide multibyte mode read by the tokenizer and LowerCaseInPlace:
// kMultibyteShiftJis (0) or kMultibyteUtf8 (1). The parser switches it to the
// declared encoding for the length of one parse and always puts Shift_JIS back.
extern unsigned char MultibyteMode;
enum : unsigned char { kMultibyteShiftJis = 0, kMultibyteUtf8 = 1 };


// The numeric value of a token: one 32-bit slot read as an integer or a float
// depending on the token's kind.
union NumberSlot {
  int32_t integer;
  float real;
};

enum : int { kNotANumber = 1, kIntegerNumber = 2, kRealNumber = 3 };

// Reads a number at `cursor` (bounded by `end`) and advances the cursor past the
// bytes it consumed. "0x"/"0X" selects base 16; otherwise one leading "-" (negative)
// or "+" is consumed. Digits (and "." points) are then collected up to the first
// other byte or a byte of 0x80 or above. Returns kNotANumber when no digit was
// found, the run is longer than 32 characters (the whole run is consumed) or the
// integer part exceeds 2147483647; kRealNumber with value->real when the fraction
// is not zero; else kIntegerNumber with value->integer.
int ReadNumber(const char*& cursor, const char* end, NumberSlot* value);
// The same on a zero-terminated text.
int ReadNumber(const char*& cursor, NumberSlot* value);

// Writes the decimal form of `value` ("-" for negatives) and a terminator into
// `buffer` (at least 12 bytes). Returns the number of characters written.
int FormatInteger(int32_t value, char* buffer);
// The decimal form as a string.
std::string FormatInteger(int32_t value);

// Lower-cases ASCII letters in place and leaves multibyte characters alone (both
// bytes of a Shift_JIS character, or every byte of 0x80 and above in UTF-8 mode).
void LowerCaseInPlace(char* text);
void LowerCaseInPlace(std::string& text);

// The first `c` in the zero-terminated text, or null. Searching for '\r' finds a
// CR LF pair and returns the position of its line feed; searching for '\0' returns
// the terminator's position. Bytes are compared one by one (not multibyte-aware).
const char* FindChar(const char* text, char c);
// The first character of the text that is in `set`, or null. When the set holds a
// line feed, a carriage return matches as well (the position of its line feed when
// the pair is CR LF).
const char* FindFirstOf(const char* text, const char* set);
// The first occurrence of `pattern` in the text, or null (an empty pattern is
// found at the start).
const char* FindText(const char* text, const char* pattern);

// Cuts a whole text into lines at each line feed. A line's length includes its
// line feed; the last line is whatever follows the last line feed, so a text that
// ends with a line feed has a final empty line and an empty text has one line.
// Carriage returns are kept. The text must outlive the object.
class TextLines {
 public:
  explicit TextLines(std::string_view text);

  // Number of lines (at least 1).
  size_t Count() const { return lines_.size(); }
  // Copies line `index` (with its line feed, if any) into `result`; returns false
  // and empties `result` when there is no such line.
  bool Line(size_t index, std::string& result) const;
  // Line `index` as a view into the text; empty when there is no such line.
  std::string_view View(size_t index) const;

 private:
  std::string_view text_;
  std::vector<std::string_view> lines_;
};
