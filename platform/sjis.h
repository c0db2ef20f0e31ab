// Byte-level text helpers shared by every layer: Shift_JIS byte classes and
// ASCII case folding that never touches a double-byte character.
#pragma once

#include <cstddef>
#include <string_view>

// Whether `byte` starts a two-byte Shift_JIS character (0x81-0x9F, 0xE0-0xFC).
inline bool IsShiftJisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Whether `byte` can be the second byte of a two-byte character (0x40-0xFC but
// 0x7F): a line break or a comma after a lead byte is still one.
inline bool IsShiftJisTrail(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal ignoring ASCII case, as Windows compares names; the second byte of a
// double-byte character is compared exactly so it is never folded like a letter.
inline bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  bool trail = false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (trail) {
      if (a[i] != b[i]) return false;
      trail = false;
      continue;
    }
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    trail = IsShiftJisLead(static_cast<unsigned char>(a[i]));
  }
  return true;
}
