#include "settings/tickers.h"

#include <algorithm>

#include "platform/diagnostics.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }

// Where a code stands among all codes: numbers below 0, the four-character
// codes (numbers 0..9999 and the alphanumeric ones), numbers above 9999.
int Band(const Code& code) {
  std::optional<int> number = code.Number();
  if (!number) return 1;
  return *number < 0 ? 0 : *number > 9999 ? 2 : 1;
}

}  // namespace

std::optional<Code> Code::FromText(std::string_view text) {
  if (text.size() != 4) return std::nullopt;
  if (std::all_of(text.begin(), text.end(), IsDigit))
    return Code((text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0'));
  if (!std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || IsCapital(c); })) return std::nullopt;
  Code code;
  std::copy(text.begin(), text.end(), code.chars_.begin());
  return code;
}

std::optional<Code> Code::FromTypedText(std::string_view text) {
  std::string upper(text);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return FromText(upper);
}

std::string Code::Text() const {
  if (IsNumeric()) return FormatString("%04d", number_);
  return std::string(chars_.data(), chars_.size());
}

std::strong_ordering operator<=>(const Code& a, const Code& b) {
  int bandA = Band(a), bandB = Band(b);
  if (bandA != bandB) return bandA <=> bandB;
  if (a.IsNumeric() && b.IsNumeric()) return a.number_ <=> b.number_;
  // Four characters each: "%04d" of a number orders as the number does.
  auto characters = [](const Code& code) {
    std::array<char, 4> chars = code.chars_;
    if (code.IsNumeric())
      for (int at = 3, n = code.number_; at >= 0; --at, n /= 10) chars[at] = static_cast<char>('0' + n % 10);
    return chars;
  };
  std::array<char, 4> charsA = characters(a), charsB = characters(b);
  for (size_t at = 0; at < 4; ++at)
    if (charsA[at] != charsB[at]) return charsA[at] <=> charsB[at];
  return std::strong_ordering::equal;
}

std::optional<Code> CodeFromListCell(std::string_view cell) {
  if (cell.size() != 5 || cell[4] != '0') return std::nullopt;
  auto digitOrCapital = [](char c) { return IsDigit(c) || IsCapital(c); };
  if (!IsDigit(cell[0]) || !digitOrCapital(cell[1]) || !IsDigit(cell[2]) || !digitOrCapital(cell[3])) return std::nullopt;
  return Code::FromText(cell.substr(0, 4));
}
