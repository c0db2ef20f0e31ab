// The summary pages "Port.html", "Xls.html" and "All.html": every disclosure of
// the period from the day views of one view, newest day first, decorated with
// full names, highlights, markets, industries and quick links, one date cell per
// day. An existing page is kept and only new days are added, unless a rebuild
// is due.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pages/output.h"
#include "pages/page_inputs.h"

class MarkupDocument;
class MarkupElement;

// What a build reads of the run, lent read-only.
struct SummaryInputs {
  View view = View::kAll;  // the day files' directory and the page
  const char* title = nullptr;
  uint32_t endDate = 0;  // the last day of the period
  uint32_t today = 0;    // names a page set aside
  bool rebuild = false;  // build from scratch (display options changed, names learnt)
  const PageSettings* settings = nullptr;
  const CompanyLookup* companies = nullptr;
  PageSelections selections;
  OutputDir output;  // the day files (OutputDir::DayFile) and the page (OutputDir::SummaryPage)
};

// One summary page being made in memory from day tables: decorated, filtered
// and merged rows, one group per day, on a new page or on a page read back.
// Reads and writes no file.
class SummaryPage {
 public:
  // A new page titled as the inputs say; `inputs` must outlive the object.
  explicit SummaryPage(const SummaryInputs& inputs);
  ~SummaryPage();
  SummaryPage(const SummaryPage&) = delete;
  SummaryPage& operator=(const SummaryPage&) = delete;

  // Continues `page`, a summary page read back: its groups of days before the
  // period's first day go, from the bottom up. False, with a new page again,
  // when it cannot tell which days it holds (no table, no rows, a top row
  // without a readable date, no day of the period left).
  bool Adopt(std::unique_ptr<MarkupDocument> page);
  // Of a page adopted, the oldest day it keeps and the day of its top row:
  // the days from the one up to, not including, the other are on the page
  // already. A new page holds none.
  uint32_t OldestDay() const { return oldest_; }
  uint32_t NewestDay() const { return newest_; }
  bool Holds(uint32_t date) const { return adopted_ && date >= oldest_ && date < newest_; }

  // Adds a day: the rows of its view table, taken out of it in order, each
  // decorated and merged with the one before it (a row a filter drops is
  // left out), and a date cell over the group. A day older than the page's
  // oldest goes below its bottom row, any other on top; the group of the
  // page's newest day is replaced. A day without a kept row adds nothing.
  void AddDay(uint32_t date, MarkupElement& dayTable);
  // The page with every day added in place; the object is spent.
  std::unique_ptr<MarkupDocument> Finish();

 private:
  void NewFrame();
  void RemoveDay(uint32_t date);
  bool Decorate(MarkupElement& row, MarkupElement* lower);
  void MergeWithLower(MarkupElement& row, MarkupElement& lower) const;

  const SummaryInputs& in_;
  const PageSettings& opt_;
  std::unique_ptr<MarkupDocument> page_;
  MarkupElement* table_ = nullptr;
  bool adopted_ = false;
  uint32_t oldest_;  // O: the oldest day the page keeps
  uint32_t newest_;  // N: the day of its top row
  // Rows in the order they were put in: `above_` go on top of the page, each
  // above the one before; `below_` below its bottom row (days older than O).
  std::vector<std::unique_ptr<MarkupElement>> above_;
  std::vector<std::unique_ptr<MarkupElement>> below_;
};

// Builds and saves one page (OutputDir::SummaryPage of the view) over the days
// from PeriodSt to the end date whose day file exists, merging with the page
// on disk unless a rebuild is due (the inputs' rebuild, CollectRemake) or a day
// it holds has a day file written after it. A stored full name reaches the
// page as text only (SafeMarkupText). An existing page that does not parse is
// set aside ("All.html.broken-<today>", reported) and made anew. Returns false
// when the page was not written (a failed write is reported).
bool BuildSummaryPage(const SummaryInputs& inputs);

// Whether a title is hidden by an ignore-title entry: "*word" hides titles
// that contain the word, any other entry only the title that is exactly it.
bool TitleIgnored(std::string_view title, const std::vector<std::string>* entries);
// Whether the summary pages leave a row out: its market or industry is one the
// options hide (IgnoreGR, IgnoreAim, IgnoreForeign, IgnoreREIT, IgnoreETF), or
// its title (page text) is ignored.
bool SummaryRowHidden(const PageSettings& settings, const PageSelections& selections, uint8_t market,
                      uint8_t industry, std::string_view title);
