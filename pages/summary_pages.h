// The summary pages "Port.html", "Xls.html" and "All.html": every disclosure of
// the period from the day views of one view, newest day first, decorated with
// full names, highlights, markets, industries and quick links, one date cell per
// day. An existing page is kept and only new days are added, unless a rebuild
// is due.
#pragma once

#include <cstdint>
#include <string>

#include "pages/page_inputs.h"

// What a build reads of the run, lent read-only.
struct SummaryInputs {
  PageView view = PageView::kAll;
  const char* viewName = "All";  // the day files' directory and the page's name
  const char* title = nullptr;
  uint32_t endDate = 0;  // the last day of the period
  bool rebuild = false;  // build from scratch (display options changed, names learnt)
  const CompanyLookup* companies = nullptr;
  PageSelections selections;
  std::string gmoServer;
};

// Builds and saves one page ("%s/%s.html" of HtmlDataDir and the view name)
// over the days from PeriodSt to the end date. A stored full name reaches the
// page as text only (SafeMarkupText). An existing page that does not parse is
// set aside ("All.html.broken-<today>", reported) and made anew. Returns false
// when the page was not written (a failed write is reported).
bool BuildSummaryPage(const SummaryInputs& inputs);
