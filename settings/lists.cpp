// Code lists and keywords. (The ignore-title file is in ignore_titles.cpp.)
#include "settings/lists.h"

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

void TickerList::Assign(const std::vector<uint16_t>& codes) {
  codes_.clear();
  if (codes.empty()) return;
  codes_ = codes;
  codes_.push_back(0);
}

namespace {

// The numbers of a code list text as read, or false after reporting a format
// error.
bool ReadCodeNumbers(const char* text, std::vector<int32_t>& numbers) {
  const char* cursor = text;
  while (*cursor != '\0') {
    NumberSlot value;
    if (ReadNumber(cursor, &value) != kIntegerNumber) {
      MessageSeverity = kSeverityError;
      ReportMessage("ＩＤリストのフォーマットエラー");
      return false;
    }
    numbers.push_back(value.integer);
    // Anything that is not a digit separates, so "1301-1305" is two codes. No
    // trail byte of a double-byte character is a digit, so this never splits one.
    while (*cursor != '\0' && !IsAsciiDigit(*cursor)) ++cursor;
  }
  return true;
}

bool ParseCodes(const char* text, TickerList& list, bool codesOnly) {
  list.Clear();
  if (text == nullptr || *text == '\0') return true;
  std::vector<int32_t> numbers;
  if (!ReadCodeNumbers(text, numbers)) return false;
  std::vector<uint16_t> codes;
  for (int32_t number : numbers) {
    if (codesOnly && (number < 0 || number > kMaxTickerCode)) {
      ReportError("ＩＤリストの<%d>は銘柄コードではありません (0～%d)", number, kMaxTickerCode);
      return false;
    }
    codes.push_back(static_cast<uint16_t>(number));
  }
  list.Assign(codes);
  return true;
}

}  // namespace

bool ParseTickerList(const char* text, TickerList& list) { return ParseCodes(text, list, false); }

bool ParseTickerListToSave(const char* text, TickerList& list) { return ParseCodes(text, list, true); }

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
