// Company codes (tickers) and the fixed per-company tables indexed by them.
#pragma once

#include <bitset>
#include <cstddef>
#include <optional>

constexpr int kFirstTicker = 1001;
constexpr int kLastTicker = 9999;
// Entries of every per-company table: tickers 1001..10000, of which 10000 is
// never used.
constexpr int kTickerCount = 9000;

// The table index of a ticker, ticker - 1001, for the tickers 1001..9999;
// nothing for any other number. Every per-company table is reached through it.
inline std::optional<size_t> TickerIndex(int ticker) {
  if (ticker < kFirstTicker || ticker > kLastTicker) return std::nullopt;
  return static_cast<size_t>(ticker - kFirstTicker);
}

// One bit per ticker.
using TickerBits = std::bitset<kTickerCount>;

// Whether the bit of `ticker` is set; false for a ticker without an index or
// without a set.
inline bool HasTicker(const TickerBits* bits, int ticker) {
  std::optional<size_t> index = TickerIndex(ticker);
  return bits && index && bits->test(*index);
}
// Sets the bit of `ticker`; a ticker without an index is ignored.
inline void AddTicker(TickerBits& bits, int ticker) {
  if (std::optional<size_t> index = TickerIndex(ticker)) bits.set(*index);
}
