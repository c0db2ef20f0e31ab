// Steps 13 to 18: the summary and schedule pages, made by pages/ from what the
// run lends.
#include "pages/schedule_pages.h"
#include "pages/summary_pages.h"
#include "work/steps.h"
#include "work/worktask.h"

void MakeSummaryPage(const WorkTask& task, PageView view, const char* viewName, const char* title) {
  SummaryInputs inputs;
  inputs.view = view;
  inputs.viewName = viewName;
  inputs.title = title;
  inputs.endDate = task.cursor.endDate;
  // Rows that earlier runs put on the page lack what this run learnt of
  // companies whose names were still wanted: the page is made anew.
  inputs.rebuild = task.displayOptionsChanged || task.companies.LearntPending();
  inputs.companies = &task.companies;
  inputs.selections = task.selections.ForPages();
  inputs.gmoServer = task.gmoServer;
  BuildSummaryPage(inputs);
}

void MakeSchedulePage(const WorkTask& task, PageView view, const char* fileName, const char* title) {
  ScheduleInputs inputs;
  inputs.view = view;
  inputs.fileName = fileName;
  inputs.title = title;
  inputs.slots = &task.schedules.Slots();
  inputs.monthly = &task.schedules.Monthly();
  inputs.reported = &task.schedules.ReportedRows();
  inputs.monthlyReported = &task.schedules.MonthlyReportedRows();
  inputs.companies = &task.companies;
  inputs.selections = task.selections.ForPages();
  inputs.gmoServer = task.gmoServer;
  BuildSchedulePage(inputs);
}
