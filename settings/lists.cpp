// Code lists and keywords. (The ignore-title file is in ignore_titles.cpp.)
#include "settings/lists.h"

#include <algorithm>
#include <optional>

#include "platform/sjis.h"

#include "markup/text.h"
#include "platform/diagnostics.h"
#include "settings/options.h"

bool TickerList::Contains(uint16_t code) const {
  for (const uint16_t* entry = Data(); entry != nullptr && *entry != 0; ++entry) {
    if (*entry == code) return true;
  }
  return false;
}

bool TickerList::Contains(Code code) const {
  if (std::optional<int> number = code.Number()) return Contains(static_cast<uint16_t>(*number));
  return std::find(alphanumeric_.begin(), alphanumeric_.end(), code) != alphanumeric_.end();
}

void TickerList::Assign(const std::vector<uint16_t>& codes, std::vector<Code> others) {
  codes_.clear();
  alphanumeric_ = std::move(others);
  if (codes.empty()) return;
  codes_ = codes;
  codes_.push_back(0);
}

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The length of the run of ASCII digits and letters at `at`.
size_t WordLength(const char* at) {
  size_t length = 0;
  while (IsAsciiDigit(at[length]) || IsAsciiLetter(at[length])) ++length;
  return length;
}

// The alphanumeric code that the word at `at` spells (either case), or
// nothing. A hexadecimal number ("0x1F") is a number, not a code.
std::optional<Code> AlphanumericCodeAt(const char* at) {
  if (WordLength(at) != 4 || (at[0] == '0' && (at[1] == 'x' || at[1] == 'X'))) return std::nullopt;
  if (!IsAsciiDigit(at[0]) || !IsAsciiDigit(at[2])) return std::nullopt;
  std::optional<Code> code = Code::FromTypedText(std::string_view(at, 4));
  return code && !code->IsNumeric() ? code : std::nullopt;
}

// Whether the word at `at` mixes digits and letters without being a code or a
// hexadecimal number: a code mistyped.
bool IsMalformedCode(const char* at) {
  size_t length = WordLength(at);
  if (at[0] == '0' && (at[1] == 'x' || at[1] == 'X')) return false;
  for (size_t i = 0; i < length; ++i)
    if (IsAsciiLetter(at[i])) return !AlphanumericCodeAt(at);
  return false;
}

struct ReadCodes {
  std::vector<int32_t> numbers;
  std::vector<Code> others;
  std::vector<size_t> otherOffsets;  // where each alphanumeric code stands in the text
};

// The codes of a code list text as read, or false after reporting a format
// error (or, with `codesOnly`, a word that is no code).
bool ReadCodeNumbers(const char* text, ReadCodes& read, bool codesOnly) {
  const char* cursor = text;
  while (*cursor != '\0') {
    if (std::optional<Code> code = AlphanumericCodeAt(cursor)) {
      read.others.push_back(*code);
      read.otherOffsets.push_back(static_cast<size_t>(cursor - text));
      cursor += 4;
    } else if (codesOnly && IsAsciiDigit(*cursor) && IsMalformedCode(cursor)) {
      ReportError("ＩＤリストの<%s>は銘柄コードではありません", std::string(cursor, WordLength(cursor)).c_str());
      return false;
    } else {
      NumberSlot value;
      if (ReadNumber(cursor, &value) != kIntegerNumber) {
        MessageSeverity = kSeverityError;
        ReportMessage("ＩＤリストのフォーマットエラー");
        return false;
      }
      read.numbers.push_back(value.integer);
    }
    // Anything that is not a digit separates, so "1301-1305" is two codes. No
    // trail byte of a double-byte character is a digit, so this never splits one.
    while (*cursor != '\0' && !IsAsciiDigit(*cursor)) ++cursor;
  }
  return true;
}

bool ParseCodes(const char* text, TickerList& list, bool codesOnly, std::string* stored) {
  list.Clear();
  if (stored) stored->assign(text ? text : "");
  if (text == nullptr || *text == '\0') return true;
  ReadCodes read;
  if (!ReadCodeNumbers(text, read, codesOnly)) return false;
  std::vector<uint16_t> codes;
  for (int32_t number : read.numbers) {
    if (codesOnly && (number < 0 || number > kMaxTickerCode)) {
      ReportError("ＩＤリストの<%d>は銘柄コードではありません (0～%d)", number, kMaxTickerCode);
      return false;
    }
    codes.push_back(static_cast<uint16_t>(number));
  }
  if (stored)
    for (size_t i = 0; i < read.others.size(); ++i) stored->replace(read.otherOffsets[i], 4, read.others[i].Text());
  list.Assign(codes, std::move(read.others));
  return true;
}

}  // namespace

bool ParseTickerList(const char* text, TickerList& list) { return ParseCodes(text, list, false, nullptr); }

bool ParseTickerListToSave(const char* text, TickerList& list, std::string* stored) {
  return ParseCodes(text, list, true, stored);
}

std::vector<std::string> SplitKeywords(const std::string& storedText) {
  std::string text = UnescapeEntities(storedText);
  std::string joined;  // keywords separated by CR only
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (IsShiftJisLead(static_cast<unsigned char>(c)) && i + 1 < text.size() &&
        IsShiftJisTrail(static_cast<unsigned char>(text[i + 1]))) {
      joined += c;
      joined += text[++i];  // the trail byte is never a separator
      continue;
    }
    if (c == '\n' || c == ' ') continue;
    joined += (c == ',') ? '\r' : c;
  }
  while (!joined.empty() && joined.back() == '\r') joined.pop_back();
  std::vector<std::string> keywords;
  if (joined.empty()) return keywords;
  size_t start = 0;
  for (size_t i = 0; i <= joined.size(); ++i) {
    if (i == joined.size() || joined[i] == '\r') {
      keywords.push_back(joined.substr(start, i - start));
      start = i + 1;
    }
  }
  return keywords;
}
