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
struct RunSettings;

class RunSelections {
 public:
  // `lists` belongs to the application and outlives the run; the web portfolio
  // step may replace the portfolio. `settings` outlive the selections.
  RunSelections(UserLists& lists, const RunSettings& settings) : lists_(lists), settings_(settings) {}

  // The application's portfolio (replaced by the web portfolio step).
  TickerList& Portfolio() { return lists_.portfolio; }
  const TickerList& PortfolioList() const { return lists_.portfolio; }
  // Whether a portfolio is held / contains the ticker.
  bool HasPortfolio() const { return lists_.portfolio.Present(); }
  bool InPortfolio(Code code) const;
  // Whether an ignore list is held / contains the code.
  bool HasIgnoreList() const { return lists_.ignoreList.Present(); }
  bool Ignored(Code code) const { return lists_.ignoreList.Contains(code); }
  // Whether the archive keeps the company's documents (ArchivePdf: 1 the
  // portfolio's, 2 the spreadsheet companies' too).
  bool ArchivesDocuments(Code code) const;
  // Whether the ignore list is in use (EnableIgnoreList) and names the code.
  bool IgnoredInRun(Code code) const;

  // The lines of "_ignoreTitle.txt" (when EnableIgnoreTitleList is on).
  void LoadIgnoreTitles();
  // The keywords of KeyHighlightList (when EnableKeyHighlightList is on).
  void LoadHighlightKeywords(RunTrace& trace);

  // Companies with a file in XlsCheckDir: allocated (empty) at the start of every run.
  void ResetXls() { xlsPresent_ = std::make_unique<TickerBits>(); }
  TickerBits* Xls() { return xlsPresent_.get(); }
  const TickerBits* Xls() const { return xlsPresent_.get(); }
  bool HasXls(Code code) const { return HasTicker(xlsPresent_.get(), code); }
  // Companies that have, or are getting, a company page; absent until needed.
  bool IndivKnown() const { return indivPresent_ != nullptr; }
  TickerBits& Indiv();  // allocated on first use
  bool HasIndiv(Code code) const { return HasTicker(indivPresent_.get(), code); }
  // Remembers the companies that have a page at the start of the run (after
  // the scan of "Indiv").
  void KeepPagesAtStart() { pagesAtStart_ = std::make_unique<TickerBits>(Indiv()); }
  // Whether the start of the run knows which pages existed, and whether the
  // company's page was missing then.
  bool PagesAtStartKnown() const { return pagesAtStart_ != nullptr; }
  bool PageMissingAtStart(Code code) const { return pagesAtStart_ && !HasTicker(pagesAtStart_.get(), code); }

  // What the page builders may read of the selections.
  PageSelections ForPages() const;

  // Drops what the run collected (the lists stay the application's).
  void Release();

 private:
  UserLists& lists_;
  const RunSettings& settings_;
  std::vector<std::string> ignoreTitles_;
  std::vector<std::string> highlightKeywords_;
  std::unique_ptr<TickerBits> xlsPresent_;
  std::unique_ptr<TickerBits> indivPresent_;
  std::unique_ptr<TickerBits> pagesAtStart_;
};
