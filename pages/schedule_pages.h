// The schedule pages "PortSche.html", "XlsSche.html" and "AllSche.html": the
// expected earnings announcements of one view's companies, soonest first,
// grouped by date, with the disclosure linked once it was made, and the days
// of the monthly figures. Rebuilt whole each time.
#pragma once

#include <string>
#include <vector>

#include "pages/page_inputs.h"

// What a build reads of the run, lent read-only.
struct ScheduleInputs {
  PageView view = PageView::kAll;
  const char* fileName = "AllSche.html";
  const char* title = nullptr;
  const std::vector<ScheduleSlot>* slots = nullptr;  // 9000, or empty when not loaded
  const std::vector<MonthlyEntry>* monthly = nullptr;
  const std::vector<AnnouncedRow>* reported = nullptr;         // earnings reports of this run's days
  const std::vector<AnnouncedRow>* monthlyReported = nullptr;  // monthly figures of this run's days
  const CompanyLookup* companies = nullptr;
  PageSelections selections;
  std::string gmoServer;
};

// Builds and saves one page (the file name joined to HtmlDataDir). Returns
// false after reporting a failed write.
bool BuildSchedulePage(const ScheduleInputs& inputs);
