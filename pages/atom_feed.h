// The Atom feeds beside the summary pages ("All.atom", "Port.atom",
// "Xls.atom"): the newest disclosures of a view, for feed readers.
#pragma once

#include <string>
#include <vector>

#include "pages/disclosures.h"
#include "pages/summary_pages.h"

// How many disclosures a feed holds.
constexpr size_t kFeedEntries = 200;

// A disclosure of a feed with the name it shows (page text, Shift_JIS).
struct FeedEntry {
  Disclosure row;
  std::string name;
};

// The feed document (UTF-8 XML) of a view's entries, newest first. `updated`
// is the newest entry's time, or `today` at midnight without entries. Each
// entry's id comes from the document id of its PDF (or, without one, from
// its date, time, code and title), so it stays the same across runs.
std::string AtomFeedText(View view, const char* title, const std::vector<FeedEntry>& entries, uint32_t today);

// The newest kFeedEntries disclosures of the view's day files from PeriodSt to
// the end date that its summary page shows (same filters and names).
std::vector<FeedEntry> FeedEntries(const SummaryInputs& inputs);

// Writes the view's feed whole (a temporary file, then a rename); false after
// a failed write was reported.
bool BuildAtomFeed(const SummaryInputs& inputs);
