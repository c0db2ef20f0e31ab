// The system-independent half of the text conversions: the UTF-8 fix-ups and the
// checks that make both system converters see only well-formed input.
#include "platform/encoding.h"

#include <cstring>

#include "platform/sjis.h"

namespace {

// Byte length of a UTF-8 character judged by its lead byte alone, as the page
// scrapers walk text (continuation bytes count as two-byte leads).
size_t LeadLength(unsigned char c) {
  if (c < 0x80) return 1;
  if (c < 0xE0) return 2;
  if (c < 0xF0) return 3;
  if (c <= 0xF7) return 4;
  if (c < 0xFC) return 5;
  return 6;
}

struct FixUp {
  unsigned char from[3];
  unsigned char to[3];
};

constexpr FixUp kFixUps[] = {
    {{0xE2, 0x80, 0x94}, {0xE2, 0x80, 0x95}},  // em dash -> horizontal bar
    {{0xE3, 0x80, 0x9C}, {0xEF, 0xBD, 0x9E}},  // wave dash -> fullwidth tilde
    {{0xE2, 0x80, 0x96}, {0xE2, 0x88, 0xA5}},  // double vertical line -> parallel to
    {{0xE2, 0x88, 0x92}, {0xEF, 0xBC, 0x8D}},  // minus sign -> fullwidth hyphen-minus
};

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at text[i], or 0 when it is not one.
// Sets `code` to its code point.
size_t WellFormedLength(std::string_view text, size_t i, unsigned& code) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  size_t length;
  unsigned minimum;
  if (c < 0x80) { code = c; return 1; }
  if (c >= 0xC2 && c <= 0xDF) { length = 2; code = c & 0x1F; minimum = 0x80; }
  else if (c >= 0xE0 && c <= 0xEF) { length = 3; code = c & 0x0F; minimum = 0x800; }
  else if (c >= 0xF0 && c <= 0xF4) { length = 4; code = c & 0x07; minimum = 0x10000; }
  else return 0;
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    unsigned char t = static_cast<unsigned char>(text[i + k]);
    if (!IsContinuation(t)) return 0;
    code = (code << 6) | (t & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}


}  // namespace

namespace {

// The four fix-ups over [p, end).
void FixUpRange(unsigned char* p, const unsigned char* end) {
  while (p < end) {
    size_t length = LeadLength(*p);
    if (length == 3 && end - p >= 3) {
      for (const FixUp& f : kFixUps) {
        if (std::memcmp(p, f.from, 3) == 0) {
          std::memcpy(p, f.to, 3);
          break;
        }
      }
    }
    // Step over the character but never past the end of a cut-off one.
    for (size_t k = 0; k < length && p < end; ++k) ++p;
  }
}

// The best fits of code page 932, each as the UTF-8 of the character that the
// code page maps exactly to the same bytes.
struct BestFit {
  unsigned code;
  const char* utf8;
};

constexpr BestFit kBestFits[] = {
    {0x00A5, "\\"},            // yen sign -> 0x5C
    {0x203E, "~"},             // overline -> 0x7E
    {0x00A2, "\xEF\xBF\xA0"},  // cent sign -> fullwidth cent sign, 0x8191
    {0x00A3, "\xEF\xBF\xA1"},  // pound sign -> fullwidth pound sign, 0x8192
    {0x00AC, "\xEF\xBF\xA2"},  // not sign -> fullwidth not sign, 0x81CA
};

}  // namespace

void FixUtf8ForShiftJis(char* text) {
  unsigned char* p = reinterpret_cast<unsigned char*>(text);
  FixUpRange(p, p + std::strlen(text));
}

std::string ApplyShiftJisBestFit(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    unsigned code = 0;
    size_t length = WellFormedLength(utf8, i, code);
    const char* replacement = nullptr;
    for (const BestFit& fit : kBestFits)
      if (length != 0 && code == fit.code) replacement = fit.utf8;
    if (replacement) {
      out += replacement;
    } else {
      out.append(utf8.substr(i, length == 0 ? 1 : length));
    }
    i += length == 0 ? 1 : length;
  }
  return out;
}

std::string DownloadedPageToShiftJis(std::string_view utf8) {
  std::string fixed(utf8);
  unsigned char* p = reinterpret_cast<unsigned char*>(fixed.data());
  FixUpRange(p, p + fixed.size());
  return Utf8ToShiftJis(ApplyShiftJisBestFit(fixed));
}

bool Utf8ToShiftJisExactly(std::string_view text, std::string& sjis) {
  if (SanitizeUtf8(text) != text) return false;
  sjis = Utf8ToShiftJis(text);
  return ShiftJisToUtf8(sjis) == text;
}

std::string SanitizeUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned code = 0;
    size_t length = WellFormedLength(text, i, code);
    if (length == 0) {
      out += '?';
      ++i;
    } else if (code > 0xFFFF) {
      out += '?';  // code page 932 has nothing beyond the Basic Multilingual Plane
      i += length;
    } else {
      out.append(text.substr(i, length));
      i += length;
    }
  }
  return out;
}

std::string SanitizeShiftJis(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (ShiftJisCharLength(c) == 2) {
      if (i + 1 < text.size() && IsShiftJisTrail(static_cast<unsigned char>(text[i + 1]))) {
        out.append(text.substr(i, 2));
        i += 2;
      } else {
        out += '?';
        ++i;
      }
      continue;
    }
    out += (c == 0x80 || c == 0xA0 || c >= 0xFD) ? '?' : static_cast<char>(c);
    ++i;
  }
  return out;
}
