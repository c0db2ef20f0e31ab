// Company codes and the fixed per-company tables indexed by them.
#pragma once

#include <array>
#include <bitset>
#include <compare>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>

constexpr int kFirstTicker = 1001;
constexpr int kLastTicker = 9999;
// Entries of every per-company table: codes 1001..10000, of which 10000 is
// never used.
constexpr int kTickerCount = 9000;

// A listed company's code, as the lists, the pages and the user's files name
// it: four digits ("7203"), or four characters of digits and capital letters
// ("285A", the codes given out once the numbers run short). A code read as a
// number keeps that number whatever it is, so that what the program writes of
// it is what it read; Code() (the number 0) stands for no code.
class Code {
 public:
  constexpr Code() = default;
  constexpr explicit Code(int number) : number_(number) {}
  // The code a four-character text names: four digits give the numeric code,
  // digits and capital letters an alphanumeric one; nothing for any other text.
  static std::optional<Code> FromText(std::string_view text);
  // The same, with small letters taken as capitals ("285a" is 285A), as the
  // user may type a code.
  static std::optional<Code> FromTypedText(std::string_view text);
  // The code at a table index (0 is 1001).
  static constexpr Code AtIndex(size_t index) { return Code(static_cast<int>(index) + kFirstTicker); }

  // Whether the code is a number (every code but an alphanumeric one).
  constexpr bool IsNumeric() const { return chars_[0] == 0; }
  // The number of a numeric code; nothing for an alphanumeric one.
  constexpr std::optional<int> Number() const {
    return IsNumeric() ? std::optional<int>(number_) : std::nullopt;
  }
  // Whether this is Code(): no code at all.
  constexpr bool IsNone() const { return IsNumeric() && number_ == 0; }
  // The code as pages and files write it: a number as "%04d" ("0042", "7203",
  // "12345"), an alphanumeric code as its four characters.
  std::string Text() const;
  // The index of the code in the per-company tables, code - 1001, for the
  // numeric codes 1001..9999; nothing for any other.
  constexpr std::optional<size_t> Index() const {
    if (!IsNumeric() || number_ < kFirstTicker || number_ > kLastTicker) return std::nullopt;
    return static_cast<size_t>(number_ - kFirstTicker);
  }

  // Whether the code names a company the program keeps data and a page for:
  // a numeric code with a table index, or an alphanumeric code.
  constexpr bool IsCompany() const { return !IsNumeric() || Index().has_value(); }

  friend constexpr bool operator==(const Code&, const Code&) = default;
  // Codes in the exchange's order: by their four characters, so "2850" <
  // "285A" < "2860" and numeric codes by their number; a negative number comes
  // before every code and one of five digits or more after every code.
  friend std::strong_ordering operator<=>(const Code& a, const Code& b);

 private:
  int number_ = 0;
  std::array<char, 4> chars_{};  // an alphanumeric code's characters; all 0 for a numeric one
};

// A set of codes: one bit per code of the tables, and the alphanumeric codes
// beside them. A numeric code without a table index is in no set.
class TickerBits {
 public:
  bool Has(Code code) const {
    if (std::optional<size_t> index = code.Index()) return numeric_.test(*index);
    return !code.IsNumeric() && others_.count(code) != 0;
  }
  void Add(Code code) {
    if (std::optional<size_t> index = code.Index())
      numeric_.set(*index);
    else if (!code.IsNumeric())
      others_.insert(code);
  }
  // The numeric code at a table index.
  void set(size_t index) { numeric_.set(index); }
  bool test(size_t index) const { return numeric_.test(index); }
  // Empties the set.
  void reset() {
    numeric_.reset();
    others_.clear();
  }
  // How many codes the set holds.
  size_t count() const { return numeric_.count() + others_.size(); }
  // The alphanumeric codes, in order.
  const std::set<Code>& Alphanumeric() const { return others_; }

 private:
  std::bitset<kTickerCount> numeric_;
  std::set<Code> others_;
};

// Whether `code` is in the set; false without a set.
inline bool HasTicker(const TickerBits* bits, Code code) { return bits && bits->Has(code); }
// Adds `code` to the set; a numeric code without an index is ignored.
inline void AddTicker(TickerBits& bits, Code code) { bits.Add(code); }

// The code of a TDnet list's code cell: five characters, the company's four
// and a "0" ("72030", "285A0": digit, digit or capital, digit, digit or
// capital, "0"). Nothing for any other text.
std::optional<Code> CodeFromListCell(std::string_view cell);
