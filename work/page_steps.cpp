// Steps 13 to 15: the summary pages, made by pages/ from what the run lends.
#include "pages/summary_pages.h"
#include "work/steps.h"
#include "work/worktask.h"

void MakeSummaryPage(const WorkTask& task, PageView view, const char* viewName, const char* title) {
  SummaryInputs inputs;
  inputs.view = view;
  inputs.viewName = viewName;
  inputs.title = title;
  inputs.endDate = task.cursor.endDate;
  inputs.displayOptionsChanged = task.displayOptionsChanged;
  inputs.companies = &task.companies;
  inputs.selections = task.selections.ForPages();
  inputs.gmoServer = task.gmoServer;
  BuildSummaryPage(inputs);
}
