#include "work/selections.h"

#include "pages/output.h"
#include "settings/options.h"
#include "work/run_trace.h"

bool RunSelections::InPortfolio(int ticker) const {
  return ticker > 0 && lists_.portfolio.Contains(static_cast<uint16_t>(ticker));
}

bool RunSelections::Ignored(int ticker) const { return lists_.ignoreList.Contains(static_cast<uint16_t>(ticker)); }

void RunSelections::LoadIgnoreTitles() {
  if (!Options().Flag(OptionKey::EnableIgnoreTitleList)) return;
  ignoreTitles_ = ::LoadIgnoreTitles(OutputPath(kIgnoreTitleFileName).c_str());
}

void RunSelections::LoadHighlightKeywords(RunTrace& trace) {
  highlightKeywords_.clear();
  if (!Options().Flag(OptionKey::EnableKeyHighlightList)) return;
  trace.Log(2, "make highlight keyword list\n");
  // SplitKeywords undoes the option-file escapes itself, so it gets the stored
  // text, cut as the profile call cuts it.
  const OptionInfo& info = InfoOf(OptionKey::KeyHighlightList);
  std::string stored = Options().Raw(info.section, info.name, info.defaultText);
  highlightKeywords_ = SplitKeywords(stored.substr(0, kMaxOptionText));
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
