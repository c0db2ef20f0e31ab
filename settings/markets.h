// The fixed market and industry tables and the weekday names (Shift_JIS).
//
// A market code is one byte: the high four bits are the exchange group (1 Tokyo,
// 2 Nagoya, 3 Fukuoka, 4 Sapporo, 5 green sheet), the low four bits the segment
// (0: the exchange alone). Industry codes are 1..33 for the exchange industries,
// 34 REIT and 35 ETF; 0 is unknown for both.
#pragma once

#include <cstdint>
#include <string_view>

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

// The name of an industry code 0..35; "" outside the table. Never null.
const char* IndustryName(uint8_t code);

// The lowest industry code 1..35 whose name occurs anywhere in `text`; 0 when none.
uint8_t IndustryCodeOf(std::string_view text);

// The weekday name of index 0 (Sunday, "日") .. 6 (Saturday, "土"); "" outside.
const char* WeekdayName(int index);
