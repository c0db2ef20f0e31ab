// What the page builders read of a run, lent to them read-only: the options
// of the pages, the company store's lookups and the user's selections. The
// builders never see the work task itself, nor the option file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "markup/tree.h"
#include "pages/views.h"
#include "settings/lists.h"
#include "settings/site_urls.h"
#include "settings/tickers.h"

// The options that decide which cells a row carries.
struct CellOptions {
  bool inPortHighlight = true;  // InPortHighlight: portfolio and spreadsheet companies marked
  bool market = false, industry = false;  // HtmlInsertMarket, HtmlInsertIndustry
  // HtmlInsertYahoo, HtmlInsertIfis, HtmlInsertGMO, HtmlInsertKCom, HtmlInsertSBI
  bool yahoo = false, ifis = false, gmo = false, kcom = false, sbi = false;
  std::string gmoServer;  // GMOServer, in the GMO link cells
  SiteAddresses sites;    // the quote and report pages the yahoo and ifis cells open
};

// What the page builders read of the option file, read once for a run.
struct PageSettings {
  CellOptions cells;
  bool fullName = false;   // UseFullConame: the stored full name replaces the list's
  bool mergeTime = true;   // HtmlRowMergeTime: equal times of neighbouring rows share a cell
  bool remake = false;     // CollectRemake: the summary pages are always made anew
  // IgnoreGR, IgnoreAim, IgnoreForeign, IgnoreREIT, IgnoreETF: rows left out
  bool ignoreGR = true, ignoreAim = true, ignoreForeign = false, ignoreREIT = false, ignoreETF = true;
  bool inMarketTime = true;  // StScheInMarketHighlight: estimates in trading hours marked
  uint32_t periodStart = 0;  // PeriodSt: the first day the summary pages show
  bool atomFeed = true;      // EnableAtomFeed: each summary page has an Atom feed beside it
  // ArchivePdf: whose documents are kept in the archive, and so linked there
  // (0 none, 1 the portfolio's, 2 the portfolio's and the spreadsheet companies').
  int archive = 0;
  // ArchiveXbrl: the same companies' XBRL archives are kept as well.
  bool archiveXbrl = false;
  // Whether the titles of a view's summary page link to the archive: Port.html
  // from choice 1, Xls.html from choice 2, All.html never.
  bool ArchiveLinks(View view) const {
    return (view == View::kPort && archive >= 1) || (view == View::kXls && archive >= 2);
  }
};

// The company store's lookups.
class CompanyLookup {
 public:
  virtual ~CompanyLookup() = default;
  // Whether the profile table (markets and industries) is loaded.
  virtual bool Loaded() const = 0;
  // The stored name of a company: "" unknown, "*" requested, "-" no such company.
  virtual std::string_view NameOf(Code code) const = 0;
  // The market and industry codes of a company; 0 when unknown or not loaded.
  virtual uint8_t MarketOf(Code code) const = 0;
  virtual uint8_t IndustryOf(Code code) const = 0;
};

// The user's selections for the pages of a run.
struct PageSelections {
  const TickerList* portfolio = nullptr;  // null or absent: no portfolio
  const TickerBits* xls = nullptr;        // companies with a spreadsheet file
  const TickerBits* indiv = nullptr;      // companies with a page; null: none known
  const std::vector<std::string>* ignoreTitles = nullptr;
  const std::vector<std::string>* keywords = nullptr;

  bool InPortfolio(Code code) const { return portfolio && (!code.IsNumeric() || code.Number() > 0) && portfolio->Contains(code); }
  bool HasXls(Code code) const { return HasTicker(xls, code); }
  bool HasIndiv(Code code) const { return HasTicker(indiv, code); }
  // Whether a view shows a company: the portfolio view its companies, the
  // spreadsheet view those with a file, the all view every one.
  bool InView(View view, Code code) const {
    switch (view) {
      case View::kPort: return InPortfolio(code);
      case View::kXls: return HasXls(code);
      case View::kAll: return true;
    }
    return false;
  }
};

// Status of a schedule entry.
enum ScheduleStatus : int {
  kScheduleProvisional = 0,  // no date published: a guess
  kScheduleExact = 1,
  kScheduleEarly = 2,   // "上旬": day 9
  kScheduleMiddle = 3,  // "中旬": day 19
  kScheduleLate = 4,    // "下旬": the last day
  kScheduleVacant = 5,  // no company: the date of the next check
  kScheduleNone = 6,    // ETF or ETN: 99991231
  kScheduleMonthly = 7, // a monthly item of the schedule pages (never stored)
};

// One announcement of a company: the expected one (entry 0 of its slot) or a
// past one (entries 1 to 4, newest first).
struct ScheduleEntry {
  uint32_t date = 0;   // yyyymmdd; 0 nothing known
  int16_t time = 0;    // hhmm once announced, 0 before
  uint16_t flags = 0;  // bits 0-3 status, 4-5 quarter (0 first .. 3 full year), 6-15 kept as they are

  int Status() const { return flags & 0xF; }
  int Quarter() const { return flags >> 4 & 3; }
  void SetStatus(int status) { flags = static_cast<uint16_t>((flags & ~0xFu) | (status & 0xF)); }
  void SetQuarter(int quarter) { flags = static_cast<uint16_t>((flags & ~0x30u) | (quarter & 3) << 4); }
  bool Vague() const { return Status() >= kScheduleEarly && Status() <= kScheduleLate; }
};
using ScheduleSlot = std::array<ScheduleEntry, 5>;

// A company of the user's monthly list ("_monthly.txt"): the day its figures
// appear, the time once they did.
struct MonthlyEntry {
  Code ticker;
  uint32_t date = 0;
  int time = 0;
  std::string title;
  std::string url;
};

// A disclosure row of a converted day that announced results or monthly
// figures: the company and a copy of the row's title cell.
struct AnnouncedRow {
  Code ticker;
  std::unique_ptr<MarkupElement> titleCell;
};
