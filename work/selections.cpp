#include "work/selections.h"

#include "work/run_settings.h"
#include "work/run_trace.h"

bool RunSelections::InPortfolio(Code code) const { return (!code.IsNumeric() || code.Number() > 0) && lists_.portfolio.Contains(code); }

bool RunSelections::ArchivesDocuments(Code code) const {
  int archive = settings_.pages.archive;
  return (archive >= 1 && InPortfolio(code)) || (archive >= 2 && HasXls(code));
}

bool RunSelections::IgnoredInRun(Code code) const {
  return settings_.ignoreListOn && HasIgnoreList() && Ignored(code);
}

void RunSelections::LoadIgnoreTitles() {
  if (!settings_.ignoreTitlesOn) return;
  ignoreTitles_ = ::LoadIgnoreTitles(settings_.output.File(kIgnoreTitleFileName).c_str());
}

void RunSelections::LoadHighlightKeywords(RunTrace& trace) {
  highlightKeywords_.clear();
  if (!settings_.keywordsOn) return;
  trace.Log(2, "make highlight keyword list\n");
  highlightKeywords_ = SplitKeywords(settings_.keywordsStored);
}

TickerBits& RunSelections::Indiv() {
  if (!indivPresent_) indivPresent_ = std::make_unique<TickerBits>();
  return *indivPresent_;
}

PageSelections RunSelections::ForPages() const {
  PageSelections pages;
  pages.portfolio = &lists_.portfolio;
  pages.xls = xlsPresent_.get();
  pages.indiv = indivPresent_.get();
  pages.ignoreTitles = &ignoreTitles_;
  pages.keywords = &highlightKeywords_;
  return pages;
}

void RunSelections::Release() {
  xlsPresent_.reset();
  indivPresent_.reset();
  pagesAtStart_.reset();
  highlightKeywords_.clear();
}
