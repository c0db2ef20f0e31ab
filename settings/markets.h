// The fixed market and industry tables and the weekday names (Shift_JIS).
//
// A market code is one byte: the high four bits are the exchange group (1 Tokyo,
// 2 Nagoya, 3 Fukuoka, 4 Sapporo, 5 green sheet), the low four bits the segment
// (0: the exchange alone). Industry codes are 1..33 for the exchange industries,
// 34 REIT and 35 ETF; 0 is unknown for both.
#pragma once

#include <cstdint>
#include <string_view>

// The market codes that the rules name.
constexpr uint8_t kMarketUnknown = 0x00;
constexpr uint8_t kMarketTokyo = 0x10;       // the Tokyo exchange, segment not known
constexpr uint8_t kMarketTokyoPro = 0x15;    // TOKYO PRO MARKET ("東証AIM"): "Ｐ－" before the name on the lists
constexpr uint8_t kMarketNagoya = 0x20;
constexpr uint8_t kMarketFukuoka = 0x30;
constexpr uint8_t kMarketSapporo = 0x40;
constexpr uint8_t kMarketGreenSheet = 0x50;  // the green sheet ("GR")

// The exchange groups, the high four bits of a market code.
enum class Exchange : uint8_t { kNone = 0, kTokyo = 1, kNagoya = 2, kFukuoka = 3, kSapporo = 4, kGreenSheet = 5 };
constexpr Exchange ExchangeOf(uint8_t market) { return static_cast<Exchange>(market >> 4); }
// The market code of the exchange alone (the segment left out).
constexpr uint8_t ExchangeMarket(uint8_t market) { return market & 0xF0; }

// TOKYO PRO MARKET.
constexpr bool IsProMarket(uint8_t market) { return market == kMarketTokyoPro; }
// The green sheet.
constexpr bool IsGreenSheet(uint8_t market) { return market == kMarketGreenSheet; }
// A foreign company's listing in Tokyo: 東証外国, JQ外国, 東証PRM外, 東証STD外, 東証GRT外国.
constexpr bool IsForeign(uint8_t market) {
  return market == 0x14 || market == 0x18 || market == 0x1C || market == 0x1D || market == 0x1E;
}
// Nagoya, Fukuoka or Sapporo.
constexpr bool IsRegional(uint8_t market) {
  Exchange exchange = ExchangeOf(market);
  return exchange == Exchange::kNagoya || exchange == Exchange::kFukuoka || exchange == Exchange::kSapporo;
}
// A segment that the exchanges have given up (東証１部, ２部, マザーズ, 東証外国,
// JASDAQ, JQ外国, 名証１部, ２部, セントレ): a company stored with one is looked up
// again.
constexpr bool IsFormerSegment(uint8_t market) {
  switch (market) {
    case 0x11: case 0x12: case 0x13: case 0x14: case 0x16: case 0x17: case 0x18: case 0x21: case 0x22: case 0x23:
      return true;
    default:
      return false;
  }
}

// The industry codes that the rules name.
constexpr uint8_t kIndustryUnknown = 0;
constexpr uint8_t kIndustryOtherFinance = 31;  // その他金融業
constexpr uint8_t kIndustryReit = 34;
constexpr uint8_t kIndustryEtf = 35;
constexpr bool IsReit(uint8_t industry) { return industry == kIndustryReit; }
constexpr bool IsEtf(uint8_t industry) { return industry == kIndustryEtf; }

// The short name of a market code ("東証PRM", "名", ...); "" for codes without a
// name. Never null.
const char* MarketName(uint8_t code);

// The code whose short name equals `name` exactly, 0 when none. Each group's
// names are searched up to its first empty slot and never past the group, so
// "名" gives 0x20 and "JASDAQ" (shared by 0x16 and 0x17) gives 0x16.
uint8_t MarketCodeOfName(std::string_view name);

// The code for a free market description such as "東証PRM外国": the first of a
// fixed list of search texts that occurs anywhere in `description` decides; 0
// when none does. Foreign listings ("東証PRM外国", "東証STD外国", "東証GRT外国")
// are recognised before their shorter prefixes and give 0x1C..0x1E.
uint8_t DetailedMarketCode(std::string_view description);

// The market code a company keeps when its quote page names `quoted` (what
// DetailedMarketCode gave; 0 when the name is not in the table). The quote
// pages cannot tell the professional market apart, the disclosure lists can
// ("Ｐ－" before the name of a Tokyo company): 0x15 stays when the page names
// the Tokyo exchange, whichever of its segments. A name the table does not know
// changes nothing. The result is the same whichever of the two was read last.
uint8_t MarketAfterQuote(uint8_t stored, uint8_t quoted);

// The exchange group of a list's place cell ("東", "名", "東名", "GR", ...), as
// a market code of the exchange alone, when the company's stored market byte
// (`stored`, null without a profile) allows: a green-sheet company is stored as
// one; a company stored on a regional exchange that the cell also names keeps
// that exchange; one stored on a regional exchange that the cell does not name
// while it names Tokyo is reset to unknown and counts as Tokyo. 0 when the
// cell names no exchange.
uint8_t MarketFromPlace(const char* place, uint8_t* stored);

// The name of an industry code 0..35; "" outside the table. Never null.
const char* IndustryName(uint8_t code);

// The lowest industry code 1..35 whose name occurs anywhere in `text`; 0 when none.
uint8_t IndustryCodeOf(std::string_view text);

// The weekday name of index 0 (Sunday, "日") .. 6 (Saturday, "土"); "" outside.
const char* WeekdayName(int index);
