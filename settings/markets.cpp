#include "settings/markets.h"

#include <array>
#include <cstring>

#include "platform/sjis.h"

namespace {

constexpr int kGroups = 6;
constexpr int kSlotsPerGroup = 15;

// Market short names laid out as group * 15 + segment; "" is an empty slot.
constexpr std::array<const char*, kGroups * kSlotsPerGroup> kMarketNames = {
    // group 0: unknown
    "？", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    // group 1: Tokyo (all fifteen slots used)
    "東", "東証１部", "東証２部", "マザーズ", "東証外国", "東証AIM", "JASDAQ", "JASDAQ", "JQ外国",
    "東証PRM", "東証STD", "東証GRT", "東証PRM外", "東証STD外", "東証GRT外国",
    // group 2: Nagoya
    "名", "名証１部", "名証２部", "セントレ", "名証PRM", "名証MN", "名証NXT", "", "", "", "", "", "", "", "",
    // group 3: Fukuoka
    "福", "福証", "Qボード", "", "", "", "", "", "", "", "", "", "", "", "",
    // group 4: Sapporo
    "札", "札証", "アンビシャ", "", "", "", "", "", "", "", "", "", "", "", "",
    // group 5: green sheet
    "GR", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
};

struct MarketSearch {
  std::string_view text;
  uint8_t code;
};

// Tried in order; the first text found anywhere in the description wins. The
// foreign listings come before the texts they start with, or they could never be
// told apart from the domestic segments.
constexpr MarketSearch kMarketSearches[] = {
    {"東証1部", 0x11},    {"東証2部", 0x12},     {"マザーズ", 0x13},    {"東証外国", 0x14},
    {"東証JQS", 0x16},    {"東証JQG", 0x17},     {"JQ外国部", 0x18},    {"東証PRM外国", 0x1C},
    {"東証STD外国", 0x1D}, {"東証GRT外国", 0x1E}, {"東証PRM", 0x19},     {"東証STD", 0x1A},
    {"東証GRT", 0x1B},    {"東証", 0x10},        {"名証1部", 0x21},     {"名証2部", 0x22},
    {"名古屋セ", 0x23},   {"名証PRM", 0x24},     {"名証MN", 0x25},      {"名証NXT", 0x26},
    {"福岡Q", 0x32},      {"福証", 0x31},        {"札幌ア", 0x42},      {"札証", 0x41},
};

constexpr std::array<const char*, 36> kIndustryNames = {
    "？",       "水産・農林業",     "鉱業",         "建設業",       "食料品",       "繊維製品",
    "パルプ・紙", "化学",            "医薬品",       "石油・石炭製品", "ゴム製品",     "ガラス・土石製品",
    "鉄鋼",     "非鉄金属",         "金属製品",     "機械",         "電気機器",     "輸送用機器",
    "精密機器", "その他製品",       "電気・ガス業", "陸運業",       "海運業",       "空運業",
    "倉庫・運輸関連業", "情報・通信", "卸売業",     "小売業",       "銀行業",       "証券業",
    "保険業",   "その他金融業",     "不動産業",     "サービス業",   "REIT",         "ETF",
};

constexpr std::array<const char*, 7> kWeekdayNames = {"日", "月", "火", "水", "木", "金", "土"};

// Whether `pattern` occurs in `text` starting at a character boundary: a match
// that would begin on the second byte of a double-byte character does not count.
bool ContainsText(std::string_view text, std::string_view pattern) {
  for (size_t i = 0; i + pattern.size() <= text.size(); ++i) {
    if (text.compare(i, pattern.size(), pattern) == 0) return true;
    if (IsShiftJisLead(static_cast<unsigned char>(text[i]))) ++i;
  }
  return false;
}

}  // namespace

const char* MarketName(uint8_t code) {
  size_t slot = static_cast<size_t>(code >> 4) * kSlotsPerGroup + (code & 0x0F);
  return slot < kMarketNames.size() ? kMarketNames[slot] : "";
}

uint8_t MarketCodeOfName(std::string_view name) {
  for (int group = 1; group < kGroups; ++group) {
    for (int segment = 0; segment < kSlotsPerGroup; ++segment) {
      std::string_view slot = kMarketNames[group * kSlotsPerGroup + segment];
      if (slot.empty()) break;  // a group's names end at its first empty slot
      if (slot == name) return static_cast<uint8_t>(group * 16 + segment);
    }
  }
  return 0;
}

uint8_t DetailedMarketCode(std::string_view description) {
  for (const MarketSearch& search : kMarketSearches) {
    if (ContainsText(description, search.text)) return search.code;
  }
  return 0;
}

uint8_t MarketAfterQuote(uint8_t stored, uint8_t quoted) {
  if (quoted == kMarketUnknown) return stored;
  if (IsProMarket(stored) && ExchangeOf(quoted) == Exchange::kTokyo) return stored;
  return quoted;
}

uint8_t MarketFromPlace(const char* place, uint8_t* stored) {
  bool tokyo = false, nagoya = false, fukuoka = false, sapporo = false;
  for (const char* p = place; p[0] && p[1]; p += 2) {
    if (p[0] == 'G' && p[1] == 'R') {
      if (stored) *stored = kMarketGreenSheet;
      return kMarketGreenSheet;
    }
    if (std::strncmp(p, "東", 2) == 0) tokyo = true;
    else if (std::strncmp(p, "名", 2) == 0) nagoya = true;
    else if (std::strncmp(p, "福", 2) == 0) fukuoka = true;
    else if (std::strncmp(p, "札", 2) == 0) sapporo = true;
    else break;
  }
  if (stored) {
    Exchange exchange = ExchangeOf(*stored);
    if ((exchange == Exchange::kNagoya && nagoya) || (exchange == Exchange::kFukuoka && fukuoka) ||
        (exchange == Exchange::kSapporo && sapporo) || (exchange == Exchange::kTokyo && tokyo))
      return ExchangeMarket(*stored);
    if (IsRegional(*stored) && tokyo) {
      *stored = kMarketUnknown;
      return kMarketTokyo;
    }
  }
  if (tokyo) return kMarketTokyo;
  if (nagoya) return kMarketNagoya;
  if (fukuoka) return kMarketFukuoka;
  if (sapporo) return kMarketSapporo;
  return kMarketUnknown;
}

const char* IndustryName(uint8_t code) { return code < kIndustryNames.size() ? kIndustryNames[code] : ""; }

uint8_t IndustryCodeOf(std::string_view text) {
  for (size_t code = 1; code < kIndustryNames.size(); ++code) {
    if (ContainsText(text, kIndustryNames[code])) return static_cast<uint8_t>(code);
  }
  return 0;
}

const char* WeekdayName(int index) { return index >= 0 && index < 7 ? kWeekdayNames[index] : ""; }
