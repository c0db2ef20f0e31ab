#include "settings/options.h"

#include "platform/sjis.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/ini.h"

namespace {

using K = OptionKey;
using T = OptionType;

constexpr int kNoMin = 1, kNoMax = 0;  // minimum > maximum: no range
constexpr const char* kOption = "Option";
constexpr const char* kStatus = "Status";
constexpr const char* kFileVer = "FileVer";
constexpr const char* kServer = "Server";
constexpr const char* kEnterPath = "入力して下さい";
constexpr int kMaxDays = 9999;  // the day counts of the schedule options

constexpr OptionInfo Row(K key, const char* name, const char* section, T type, const char* fallback) {
  return OptionInfo{key, name, section, type, fallback, kNoMin, kNoMax};
}
constexpr OptionInfo Ranged(K key, const char* name, const char* fallback, int minimum, int maximum) {
  return OptionInfo{key, name, kOption, T::Integer, fallback, minimum, maximum};
}

constexpr std::array<OptionInfo, static_cast<size_t>(K::Count)> kOptions = {{
    Row(K::HtmlDataDir, "HtmlDataDir", kOption, T::Path, kEnterPath),
    Row(K::XlsCheckDir, "XlsCheckDir", kOption, T::Path, kEnterPath),
    Row(K::PortList, "PortList", kOption, T::EscapedText, ""),
    Row(K::IgnoreList, "IgnoreList", kOption, T::EscapedText, ""),
    Row(K::KeyHighlightList, "KeyHighlightList", kOption, T::EscapedText, ""),
    Ranged(K::PeriodType, "PeriodType", "2", 0, 3),
    Row(K::PeriodSt, "PeriodSt", kOption, T::Date, "20010101"),
    Row(K::PeriodEd, "PeriodEd", kOption, T::Date, "20010101"),
    Row(K::EnableHtmlPort, "EnableHtmlPort", kOption, T::Flag, "0"),
    Row(K::EnableHtmlXls, "EnableHtmlXls", kOption, T::Flag, "0"),
    Row(K::EnableHtmlAll, "EnableHtmlAll", kOption, T::Flag, "1"),
    Row(K::EnableHtmlTicker, "EnableHtmlTicker", kOption, T::Flag, "0"),
    Row(K::EnableAtomFeed, "EnableAtomFeed", kOption, T::Flag, "1"),
    Row(K::EnableStSche, "EnableStSche", kOption, T::Flag, "0"),
    Row(K::EnableStSchePort, "EnableStSchePort", kOption, T::Flag, "0"),
    Row(K::EnableStScheXls, "EnableStScheXls", kOption, T::Flag, "0"),
    Row(K::EnableStScheAll, "EnableStScheAll", kOption, T::Flag, "0"),
    Row(K::EnableIgnoreList, "EnableIgnoreList", kOption, T::Flag, "0"),
    Row(K::EnableIgnoreTitleList, "EnableIgnoreTitleList", kOption, T::Flag, "0"),
    Row(K::EnableKeyHighlightList, "EnableKeyHighlightList", kOption, T::Flag, "0"),
    Ranged(K::StScheCycle, "StScheCycle", "2", 0, 2),
    Ranged(K::StScheDaySpan, "StScheDaySpan", "1", 0, kMaxDays),
    Ranged(K::StScheDayOfWeek, "StScheDayOfWeek", "6", 0, 6),
    Row(K::StScheRecheckAboutEnable, "StScheRecheckAboutEnable", kOption, T::Flag, "1"),
    Ranged(K::StScheRecheckAboutDay, "StScheRecheckAboutDay", "10", 0, kMaxDays),
    Row(K::StScheRecheckEmptyEnable, "StScheRecheckEmptyEnable", kOption, T::Flag, "0"),
    Ranged(K::StScheRecheckEmptyDay, "StScheRecheckEmptyDay", "90", 0, kMaxDays),
    Row(K::StScheInMarketHighlight, "StScheInMarketHighlight", kOption, T::Flag, "1"),
    Row(K::CollectRemake, "CollectRemake", kOption, T::Flag, "0"),
    Row(K::TickerRemake, "TickerRemake", kOption, T::Flag, "0"),
    Row(K::IgnoreGR, "IgnoreGR", kOption, T::Flag, "1"),
    Row(K::IgnoreAim, "IgnoreAim", kOption, T::Flag, "1"),
    Row(K::IgnoreForeign, "IgnoreForeign", kOption, T::Flag, "0"),
    Row(K::IgnoreREIT, "IgnoreREIT", kOption, T::Flag, "0"),
    Row(K::IgnoreETF, "IgnoreETF", kOption, T::Flag, "1"),
    Row(K::InPortHighlight, "InPortHighlight", kOption, T::Flag, "1"),
    Row(K::HtmlRowMergeTime, "HtmlRowMergeTime", kOption, T::Flag, "1"),
    Row(K::HtmlInsertMarket, "HtmlInsertMarket", kOption, T::Flag, "0"),
    Row(K::HtmlInsertIndustry, "HtmlInsertIndustry", kOption, T::Flag, "0"),
    Row(K::HtmlInsertYahoo, "HtmlInsertYahoo", kOption, T::Flag, "0"),
    Row(K::HtmlInsertIfis, "HtmlInsertIfis", kOption, T::Flag, "0"),
    Row(K::HtmlInsertGMO, "HtmlInsertGMO", kOption, T::Flag, "0"),
    Row(K::HtmlInsertKCom, "HtmlInsertKCom", kOption, T::Flag, "0"),
    Row(K::HtmlInsertSBI, "HtmlInsertSBI", kOption, T::Flag, "0"),
    Row(K::UseFullConame, "UseFullConame", kOption, T::Flag, "0"),
    Row(K::UseDetailMarket, "UseDetailMarket", kOption, T::Flag, "0"),
    Row(K::GMOServer, "GMOServer", kOption, T::Text, "sec1-7"),
    Row(K::WebPortEnable, "WebPortEnable", kOption, T::Flag, "0"),
    Row(K::WebPortUrl, "WebPortUrl", kOption, T::EscapedText, "http://"),
    Row(K::WebPortPreWordEnable, "WebPortPreWordEnable", kOption, T::Flag, "0"),
    Row(K::WebPortPreWord, "WebPortPreWord", kOption, T::EscapedText, ">"),
    Ranged(K::DebugLogLevel, "DebugLogLevel", "0", 0, 2),
    Ranged(K::ArchivePdf, "ArchivePdf", "1", 0, 2),
    Row(K::ArchiveXbrl, "ArchiveXbrl", kOption, T::Flag, "0"),
    Row(K::LastDownload, "LastDownload", kStatus, T::TextDate, ""),
    Row(K::LastStSche, "LastStSche", kStatus, T::TextDate, ""),
    Row(K::LastStScheHtml, "LastStScheHtml", kStatus, T::TextDate, ""),
    Row(K::LastUpdateIndiv, "LastUpdateIndiv", kStatus, T::Date, "19000101"),
    Row(K::LastIgnoreGR, "LastIgnoreGR", kStatus, T::Flag, "1"),
    Row(K::LastIgnoreAim, "LastIgnoreAim", kStatus, T::Flag, "0"),
    Row(K::LastIgnoreForeign, "LastIgnoreForeign", kStatus, T::Flag, "0"),
    Row(K::LastIgnoreREIT, "LastIgnoreREIT", kStatus, T::Flag, "0"),
    Row(K::LastIgnoreETF, "LastIgnoreETF", kStatus, T::Flag, "1"),
    Row(K::LastHtmlInertMarket, "LastHtmlInertMarket", kStatus, T::Flag, "0"),
    Row(K::LastHtmlInertIndustry, "LastHtmlInertIndustry", kStatus, T::Flag, "0"),
    Row(K::LastHtmlInertYahoo, "LastHtmlInertYahoo", kStatus, T::Flag, "0"),
    Row(K::LastHtmlInertIfis, "LastHtmlInertIfis", kStatus, T::Flag, "0"),
    Row(K::LastHtmlInertGMO, "LastHtmlInertGMO", kStatus, T::Flag, "0"),
    Row(K::LastHtmlInertKCom, "LastHtmlInertKCom", kStatus, T::Flag, "0"),
    Row(K::LastHtmlInertSBI, "LastHtmlInertSBI", kStatus, T::Flag, "0"),
    Row(K::CoProfDat, "CoProfDat", kFileVer, T::Integer, "2"),
    Row(K::ScheduleDat, "ScheduleDat", kFileVer, T::Integer, "2"),
    Row(K::TdnetBaseUrl, "TdnetBaseUrl", kServer, T::Text, "https://www.release.tdnet.info/inbs/"),
    Row(K::QuoteBaseUrl, "QuoteBaseUrl", kServer, T::Text, "https://finance.yahoo.co.jp"),
    Row(K::ReportBaseUrl, "ReportBaseUrl", kServer, T::Text, "https://kabuyoho.ifis.co.jp"),
    Row(K::QuoteUrlTemplate, "QuoteUrlTemplate", kServer, T::Text, "https://finance.yahoo.co.jp/quote/{code}.T"),
    Row(K::ReportUrlTemplate, "ReportUrlTemplate", kServer, T::Text,
        "https://kabuyoho.ifis.co.jp/index.php?action=tp1&sa=report&bcode={code}"),
    OptionInfo{K::RequestIntervalMs, "RequestIntervalMs", kServer, T::Integer, "1000", 0, 60000},
}};

// The table is indexed by key: each row must stand at its key's position.
constexpr bool TableInKeyOrder() {
  for (size_t i = 0; i < kOptions.size(); ++i) {
    if (static_cast<size_t>(kOptions[i].key) != i) return false;
  }
  return true;
}
static_assert(TableInKeyOrder(), "option rows must follow the order of OptionKey");

constexpr uint32_t kNever = 19000101;

OptionStore* currentStore = nullptr;

FilePath At(const std::string& path) { return FilePath(path.c_str()); }



int DefaultInt(const OptionInfo& info) { return IniParseInt(info.defaultText, 0); }

// A decimal integer of at most ten digits with an optional "-", within int range.
bool ParseStrictInt(std::string_view text, int& value) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return false;
  long long number = 0;
  for (char c : text) {
    if (!IsAsciiDigit(c)) return false;
    number = number * 10 + (c - '0');
  }
  if (negative) number = -number;
  if (number < INT32_MIN || number > INT32_MAX) return false;
  value = static_cast<int>(number);
  return true;
}

bool IsAcceptable(const OptionInfo& info, std::string_view text) {
  int value = 0;
  switch (info.type) {
    case T::Integer:
      if (!ParseStrictInt(text, value)) return false;
      return info.minimum > info.maximum || (value >= info.minimum && value <= info.maximum);
    case T::Flag:
      return text == "0" || text == "1";
    case T::Date:
    case T::TextDate:
      return text.size() == 8 && ParseStrictInt(text, value) && value > 0 && IsValidDate(static_cast<uint32_t>(value));
    case T::Path:
    case T::Text:
      return text.find_first_of("\r\n") == std::string_view::npos;
    case T::EscapedText:
      return true;
  }
  return false;
}

}  // namespace

const OptionInfo& InfoOf(OptionKey key) { return kOptions[static_cast<size_t>(key)]; }

std::span<const OptionInfo> AllOptions() { return kOptions; }

const OptionInfo* FindOption(std::string_view name) {
  for (const OptionInfo& info : kOptions) {
    if (SameIgnoringAsciiCase(info.name, name)) return &info;
  }
  return nullptr;
}

OptionStore::OptionStore() : OptionStore(HomeDirectory() + kFileName) {}

OptionStore::OptionStore(const std::string& path) {
  path_ = FilePath(path.c_str()).Text();
  currentStore = this;
}

OptionStore::~OptionStore() {
  if (currentStore == this) currentStore = nullptr;
}

bool OptionStore::Flag(OptionKey key) const { return Int(key) != 0; }

int OptionStore::Int(OptionKey key) const {
  const OptionInfo& info = InfoOf(key);
  int fallback = DefaultInt(info);
  int value = IniReadInt(At(path_), info.section, info.name, fallback);
  bool ranged = info.minimum <= info.maximum;
  if (ranged && (value < info.minimum || value > info.maximum)) return fallback;
  return value;
}

uint32_t OptionStore::Date(OptionKey key) const {
  uint32_t date = 0;
  if (ReadDate(key, date)) return date;
  const OptionInfo& info = InfoOf(key);
  return info.type == T::TextDate ? kNever : static_cast<uint32_t>(DefaultInt(info));
}

bool OptionStore::ReadDate(OptionKey key, uint32_t& date) const {
  const OptionInfo& info = InfoOf(key);
  std::string text = info.type == T::TextDate ? Text(key) : Raw(info.section, info.name, info.defaultText);
  // The leading digits, which must be a yyyymmdd day: a hand-edited value of
  // any length never overflows, it just does not read.
  size_t digits = 0;
  while (digits < text.size() && IsAsciiDigit(text[digits])) ++digits;
  if (digits != 8) return false;
  uint32_t value = 0;
  for (size_t i = 0; i < digits; ++i) value = value * 10 + static_cast<uint32_t>(text[i] - '0');
  if (!IsValidDate(value)) return false;
  date = value;
  return true;
}

std::string OptionStore::Text(OptionKey key) const {
  const OptionInfo& info = InfoOf(key);
  std::string stored = IniReadString(At(path_), info.section, info.name, info.defaultText);
  // The profile call fills a 2048-byte buffer: the stored (escaped) form is cut.
  if (stored.size() > kMaxOptionText) stored.resize(kMaxOptionText);
  return info.type == T::EscapedText ? UnescapeEntities(stored) : stored;
}

bool OptionStore::SetInt(OptionKey key, int value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", value);
  return SetRaw(InfoOf(key).section, InfoOf(key).name, digits);
}

bool OptionStore::SetFlag(OptionKey key, bool on) { return SetInt(key, on ? 1 : 0); }

bool OptionStore::SetText(OptionKey key, std::string_view text) {
  const OptionInfo& info = InfoOf(key);
  std::string stored = info.type == T::EscapedText ? EscapeEntities(text) : std::string(text);
  // A longer value would read back cut, in the middle of a code or a word.
  if (stored.size() > kMaxOptionText) {
    ReportError("オプション<%s>の値が長すぎます (保存する形で %u バイト、上限 %u バイト)", info.name,
                static_cast<unsigned>(stored.size()), static_cast<unsigned>(kMaxOptionText));
    return false;
  }
  return SetRaw(info.section, info.name, stored);
}

std::string OptionStore::Raw(std::string_view section, std::string_view key, std::string_view fallback) const {
  return IniReadString(At(path_), section, key, fallback);
}

int OptionStore::RawInt(std::string_view section, std::string_view key, int fallback) const {
  return IniReadInt(At(path_), section, key, fallback);
}

bool OptionStore::SetRaw(std::string_view section, std::string_view key, std::string_view value) {
  if (IniWriteString(At(path_), section, key, value)) return true;
  std::string keyText(key), valueText(value);
  ReportError("WritePrivateProfileString に失敗<%s,%s>", keyText.c_str(), valueText.c_str());
  return false;
}

std::string OptionStore::ReadAsText(const OptionInfo& info) const {
  switch (info.type) {
    case T::Integer:
      return std::to_string(Int(info.key));
    case T::Flag:
      return Flag(info.key) ? "1" : "0";
    case T::Date:
    case T::TextDate:
      return std::to_string(Date(info.key));
    default:
      return Text(info.key);
  }
}

bool OptionStore::WriteFromText(const OptionInfo& info, std::string_view text) {
  if (!IsAcceptable(info, text)) {
    std::string value(text);
    ReportError("オプション<%s>の値<%s>は不正です", info.name, value.c_str());
    return false;
  }
  return SetText(info.key, text);
}

OptionStore& Options() {
  if (currentStore == nullptr) {
    std::fputs("Options() called before the option store was created\n", stderr);
    std::abort();
  }
  return *currentStore;
}

bool HasOptions() { return currentStore != nullptr; }

bool MoveLegacyOptionFile() {
  FileEntry legacy;
  legacy.SetPath((HomeDirectory() + "VelkorraOption.ini").c_str());
  if (!legacy.ExistsPath()) return true;
  std::string target = HomeDirectory() + OptionStore::kFileName;
  return legacy.MoveTo(target.c_str(), true);
}

std::string EscapeEntities(std::string_view text) {
  std::string result;
  result.reserve(text.size() * 2);
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    switch (c) {
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        result += "&cr;";
        break;
      case '\n': result += "&cr;"; break;
      case '"': result += "&quot;"; break;
      case '&': result += "&amp;"; break;
      case '\'': result += "&apos;"; break;
      case '<': result += "&lt;"; break;
      case '>': result += "&gt;"; break;
      default: result += c; break;  // bytes of double-byte characters are never any of the above
    }
  }
  return result;
}

std::string UnescapeEntities(std::string_view text) {
  static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
      {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&cr;", "\r\n"},
  };
  std::string result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [entity, replacement] : kEntities) {
        if (text.substr(i).starts_with(entity)) {
          result += replacement;
          i += entity.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) result += text[i++];
  }
  return result;
}
