#include "markup/text.h"

#include <cctype>
#include <cstring>

unsigned char MultibyteMode = kMultibyteShiftJis;

namespace {

constexpr int kMaxNumberChars = 32;

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsNumberChar(char c, int base) {
  if (c == '.') return true;
  int digit = DigitValue(c);
  return digit >= 0 && digit < base;
}

}  // namespace

int ReadNumber(const char*& cursor, const char* end, NumberSlot* value) {
  const char* p = cursor;
  int base = 10;
  bool negative = false;
  if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    base = 16;
    p += 2;
  } else if (p < end && (*p == '-' || *p == '+')) {
    negative = *p == '-';
    ++p;
  }
  const char* run = p;
  while (p < end && IsNumberChar(*p, base)) ++p;
  cursor = p;
  // Too long for the reader's buffer: the whole run is taken as one non-number,
  // so a caller that skips what was consumed never splits it.
  if (p - run > kMaxNumberChars) return kNotANumber;

  // Integer part up to the first point; the fraction from the digits after it
  // (a further point ends the fraction).
  int64_t integer = 0;
  double fraction = 0;
  double place = 1;
  bool anyDigit = false;
  bool inFraction = false;
  for (const char* q = run; q < p; ++q) {
    if (*q == '.') {
      if (inFraction) break;
      inFraction = true;
      continue;
    }
    anyDigit = true;
    int digit = DigitValue(*q);
    if (inFraction) {
      place *= base;
      fraction += digit / place;
    } else {
      integer = integer * base + digit;
      if (integer > 2147483647) return kNotANumber;
    }
  }
  if (!anyDigit) return kNotANumber;
  if (fraction != 0) {
    float real = static_cast<float>(static_cast<double>(integer) + fraction);
    value->real = negative ? -real : real;
    return kRealNumber;
  }
  value->integer = static_cast<int32_t>(negative ? -integer : integer);
  return kIntegerNumber;
}

int ReadNumber(const char*& cursor, NumberSlot* value) {
  return ReadNumber(cursor, cursor + std::strlen(cursor), value);
}

int FormatInteger(int32_t value, char* buffer) {
  char digits[12];
  int count = 0;
  // Work on the magnitude as unsigned so that INT32_MIN is formatted too.
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int length = 0;
  if (value < 0) buffer[length++] = '-';
  while (count > 0) buffer[length++] = digits[--count];
  buffer[length] = '\0';
  return length;
}

std::string FormatInteger(int32_t value) {
  char buffer[12];
  int length = FormatInteger(value, buffer);
  return std::string(buffer, length);
}

void LowerCaseInPlace(char* text) {
  for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p != 0; ++p) {
    if (*p >= 0x80) {
      // A Shift_JIS lead byte takes its trail byte with it, which may look like
      // an ASCII letter ("ア" is 83 41).
      if (MultibyteMode == kMultibyteShiftJis && IsShiftJisLead(*p) && p[1] != 0) ++p;
      continue;
    }
    *p = static_cast<unsigned char>(std::tolower(*p));
  }
}

void LowerCaseInPlace(std::string& text) {
  // The string may hold zero bytes; lower-case each zero-terminated piece.
  size_t start = 0;
  while (start < text.size()) {
    LowerCaseInPlace(&text[start]);
    start += std::strlen(text.c_str() + start) + 1;
  }
}

const char* FindChar(const char* text, char c) {
  if (c != '\r') return std::strchr(text, c);
  for (const char* p = std::strchr(text, '\r'); p != nullptr; p = std::strchr(p + 1, '\r')) {
    if (p[1] == '\n') return p + 1;
  }
  return nullptr;
}

const char* FindFirstOf(const char* text, const char* set) {
  bool lineFeedInSet = std::strchr(set, '\n') != nullptr;
  for (const char* p = text; *p != 0; ++p) {
    if (lineFeedInSet && *p == '\r') return p[1] == '\n' ? p + 1 : p;
    if (std::strchr(set, *p) != nullptr) return p;
  }
  return nullptr;
}

const char* FindText(const char* text, const char* pattern) {
  return std::strstr(text, pattern);
}

TextLines::TextLines(std::string_view text) : text_(text) {
  size_t start = 0;
  for (;;) {
    size_t lineFeed = text.find('\n', start);
    if (lineFeed == std::string_view::npos) break;
    lines_.push_back(text.substr(start, lineFeed + 1 - start));
    start = lineFeed + 1;
  }
  lines_.push_back(text.substr(start));
}

bool TextLines::Line(size_t index, std::string& result) const {
  if (index >= lines_.size()) {
    result.clear();
    return false;
  }
  result.assign(lines_[index]);
  return true;
}

std::string_view TextLines::View(size_t index) const {
  return index < lines_.size() ? lines_[index] : std::string_view();
}
