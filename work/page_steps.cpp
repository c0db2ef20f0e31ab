// Steps 13 to 18: the summary and schedule pages, made by pages/ from what the
// run lends.
#include "pages/schedule_pages.h"
#include "pages/summary_pages.h"
#include "platform/dates.h"
#include "work/company_store.h"
#include "work/run_settings.h"
#include "work/schedule_store.h"
#include "work/selections.h"
#include "work/steps.h"

void MakeSummaryPage(View view, const char* title, uint32_t endDate, bool rebuild, const RunSettings& settings,
                     const CompanyStore& companies, const RunSelections& selections) {
  SummaryInputs inputs;
  inputs.view = view;
  inputs.title = title;
  inputs.endDate = endDate;
  inputs.today = TodayDate();
  inputs.rebuild = rebuild;
  inputs.settings = &settings.pages;
  inputs.companies = &companies;
  inputs.selections = selections.ForPages();
  inputs.output = settings.output;
  BuildSummaryPage(inputs);
}

void MakeSchedulePage(View view, const char* title, const RunSettings& settings, const ScheduleStore& schedules,
                      const CompanyStore& companies, const RunSelections& selections) {
  ScheduleInputs inputs;
  inputs.view = view;
  inputs.title = title;
  inputs.settings = &settings.pages;
  inputs.slots = &schedules.Slots();
  inputs.slotCodes = &schedules.SlotCodes();
  inputs.monthly = &schedules.Monthly();
  inputs.reported = &schedules.ReportedRows();
  inputs.monthlyReported = &schedules.MonthlyReportedRows();
  inputs.companies = &companies;
  inputs.selections = selections.ForPages();
  inputs.output = settings.output;
  BuildSchedulePage(inputs);
}
