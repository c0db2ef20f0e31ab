// The user's selections for one run: the portfolio and ignore lists lent by the
// application, the ignored titles and highlight keywords, and which companies
// have a spreadsheet file or a company page.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pages/page_inputs.h"
#include "settings/lists.h"
#include "settings/tickers.h"

class RunTrace;

class RunSelections {
 public:
  // `lists` belongs to the application and outlives the run; the web portfolio
  // step may replace the portfolio.
  explicit RunSelections(UserLists& lists) : lists_(lists) {}

  // The application's portfolio (replaced by the web portfolio step).
  TickerList& Portfolio() { return lists_.portfolio; }
  // Whether a portfolio is held / contains the ticker.
  bool HasPortfolio() const { return lists_.portfolio.Present(); }
  bool InPortfolio(int ticker) const;
  // Whether an ignore list is held / contains the ticker.
  bool HasIgnoreList() const { return lists_.ignoreList.Present(); }
  bool Ignored(int ticker) const;

  // The lines of "_ignoreTitle.txt" (when EnableIgnoreTitleList is on).
  void LoadIgnoreTitles();
  // The keywords of KeyHighlightList (when EnableKeyHighlightList is on).
  void LoadHighlightKeywords(RunTrace& trace);

  // Companies with a file in XlsCheckDir: allocated (empty) at the start of every run.
  void ResetXls() { xlsPresent_ = std::make_unique<TickerBits>(); }
  TickerBits* Xls() { return xlsPresent_.get(); }
  const TickerBits* Xls() const { return xlsPresent_.get(); }
  bool HasXls(int ticker) const { return HasTicker(xlsPresent_.get(), ticker); }
  // Companies that have, or are getting, a company page; absent until needed.
  bool IndivKnown() const { return indivPresent_ != nullptr; }
  TickerBits& Indiv();  // allocated on first use
  bool HasIndiv(int ticker) const { return HasTicker(indivPresent_.get(), ticker); }
  // Remembers the companies that have a page at the start of the run (after
  // the scan of "Indiv").
  void KeepPagesAtStart() { pagesAtStart_ = std::make_unique<TickerBits>(Indiv()); }
  // Whether the start of the run knows which pages existed, and whether the
  // ticker's page was missing then.
  bool PagesAtStartKnown() const { return pagesAtStart_ != nullptr; }
  bool PageMissingAtStart(int ticker) const { return pagesAtStart_ && !HasTicker(pagesAtStart_.get(), ticker); }

  // What the page builders may read of the selections.
  PageSelections ForPages() const;

  // Drops what the run collected (the lists stay the application's).
  void Release();

 private:
  UserLists& lists_;
  std::vector<std::string> ignoreTitles_;
  std::vector<std::string> highlightKeywords_;
  std::unique_ptr<TickerBits> xlsPresent_;
  std::unique_ptr<TickerBits> indivPresent_;
  std::unique_ptr<TickerBits> pagesAtStart_;
};
