// The schedule pages "PortSche.html", "XlsSche.html" and "AllSche.html": the
// expected earnings announcements of one view's companies, soonest first,
// grouped by date, with the disclosure linked once it was made, and the days
// of the monthly figures. Rebuilt whole each time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pages/output.h"
#include "pages/page_inputs.h"

class MarkupDocument;

// What a build reads of the run, lent read-only.
struct ScheduleInputs {
  View view = View::kAll;
  const char* title = nullptr;
  const PageSettings* settings = nullptr;
  // 9000 slots of the numeric codes, then one for each of `slotCodes`; empty
  // when not loaded.
  const std::vector<ScheduleSlot>* slots = nullptr;
  const std::vector<Code>* slotCodes = nullptr;  // the alphanumeric codes of the slots after the 9000
  const std::vector<MonthlyEntry>* monthly = nullptr;
  const std::vector<AnnouncedRow>* reported = nullptr;         // earnings reports of the period's days
  const std::vector<AnnouncedRow>* monthlyReported = nullptr;  // monthly figures of the period's days
  const CompanyLookup* companies = nullptr;
  PageSelections selections;
  OutputDir output;  // where the page goes (OutputDir::SchedulePage)
};

// The page of the view, made in memory; reads no file.
std::unique_ptr<MarkupDocument> MakeSchedulePage(const ScheduleInputs& inputs);
// Makes and saves the page. Returns false after reporting a failed write.
bool BuildSchedulePage(const ScheduleInputs& inputs);
