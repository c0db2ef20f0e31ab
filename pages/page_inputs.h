// What the page builders read of a run, lent to them read-only: the company
// store's lookups and the user's selections. The builders never see the work
// task itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/lists.h"
#include "settings/tickers.h"

// The three views: which companies a page shows and how their names are
// highlighted (the portfolio page marks nothing, the spreadsheet page only the
// portfolio's companies, the all page both kinds).
enum class PageView { kPort = 0, kXls = 1, kAll = 2 };

// The company store's lookups.
class CompanyLookup {
 public:
  virtual ~CompanyLookup() = default;
  // Whether the profile table (markets and industries) is loaded.
  virtual bool Loaded() const = 0;
  // The stored name of a ticker: "" unknown, "*" requested, "-" no such company.
  virtual std::string_view NameOf(int ticker) const = 0;
  // The market and industry codes of a ticker; 0 when unknown or not loaded.
  virtual uint8_t MarketOf(int ticker) const = 0;
  virtual uint8_t IndustryOf(int ticker) const = 0;
};

// The user's selections for the pages of a run.
struct PageSelections {
  const TickerList* portfolio = nullptr;  // null or absent: no portfolio
  const TickerBits* xls = nullptr;        // companies with a spreadsheet file
  const TickerBits* indiv = nullptr;      // companies with a page; null: none known
  const std::vector<std::string>* ignoreTitles = nullptr;
  const std::vector<std::string>* keywords = nullptr;

  bool InPortfolio(int ticker) const {
    return portfolio && ticker > 0 && portfolio->Contains(static_cast<uint16_t>(ticker));
  }
  bool HasXls(int ticker) const { return HasTicker(xls, ticker); }
  bool HasIndiv(int ticker) const { return HasTicker(indiv, ticker); }
};
