#include "markup/safe_text.h"

#include <cstdint>

#include "platform/sjis.h"

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsHexDigit(char c) { return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// A character that a numeric reference may name: printable and allowed in an
// XML document.
bool IsPrintableCodePoint(uint32_t c) {
  return (c >= 0x20 && c <= 0xD7FF && c != 0x7F) || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The length of the entity reference at the start of `text` ("&...;"), or 0
// when it is none that a page may hold.
size_t EntityLength(std::string_view text) {
  size_t semicolon = text.find(';');
  if (semicolon == std::string_view::npos || semicolon > 10) return 0;
  std::string_view body = text.substr(1, semicolon - 1);
  for (std::string_view name : {"amp", "lt", "gt", "quot", "apos"})
    if (body == name) return semicolon + 1;
  if (body.size() < 2 || body[0] != '#') return 0;
  bool hex = body[1] == 'x' || body[1] == 'X';
  std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty()) return 0;
  uint32_t value = 0;
  for (char c : digits) {
    if (!(hex ? IsHexDigit(c) : IsAsciiDigit(c))) return 0;
    uint32_t digit = IsAsciiDigit(c) ? static_cast<uint32_t>(c - '0') : static_cast<uint32_t>((c | 0x20) - 'a' + 10);
    value = value * (hex ? 16 : 10) + digit;
  }
  return IsPrintableCodePoint(value) ? semicolon + 1 : 0;
}

// The length of the tag or comment at the start of `text` (from "<" to its
// ">"), or 0 when the "<" starts none.
size_t MarkupLength(std::string_view text) {
  if (text.size() < 2) return 0;
  if (text.starts_with("<!--")) {
    size_t end = text.find("-->", 4);
    return end == std::string_view::npos ? 0 : end + 3;
  }
  char next = text[1];
  if (!IsAsciiLetter(next) && next != '/' && next != '!' && next != '?') return 0;
  size_t end = text.find('>');
  return end == std::string_view::npos ? 0 : end + 1;
}

std::string Escape(std::string_view text, bool removeMarkup) {
  std::string result;
  result.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[at]);
    if (IsShiftJisLead(c)) {
      // A lead byte without its trail byte is no character: dropped.
      if (at + 1 < text.size() && IsShiftJisTrail(static_cast<unsigned char>(text[at + 1])))
        result.append(text.substr(at, 2)), at += 2;
      else
        ++at;
      continue;
    }
    ++at;
    if (c == '<' && removeMarkup) {
      if (size_t length = MarkupLength(text.substr(at - 1))) {
        at += length - 1;
        continue;
      }
    }
    switch (c) {
      case '<': result += "&lt;"; break;
      case '>': result += "&gt;"; break;
      case '"': result += "&quot;"; break;
      case '&':
        if (size_t length = EntityLength(text.substr(at - 1))) {
          result.append(text.substr(at - 1, length));
          at += length - 1;
        } else {
          result += "&amp;";
        }
        break;
      case 0: break;
      default:
        if (c < 0x20 || c == 0x7F) result += ' ';
        else if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) result += static_cast<char>(c);
        // 0x80, 0xA0 and 0xFD-0xFF are no Shift_JIS character: dropped.
        break;
    }
  }
  return result;
}

}  // namespace

std::string SafeMarkupText(std::string_view text) { return Escape(text, true); }

std::string SafeAttributeValue(std::string_view text) { return Escape(text, false); }
