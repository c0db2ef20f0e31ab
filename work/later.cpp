// Stages of the run whose work arrives with the individual pages, the earnings
// schedules and the summary pages. Each advances the task exactly as the run's
// step table requires, so the driver keeps its shape when they are filled in.
#include "work/steps.h"
#include "work/worktask.h"

void ScanIndivPages(WorkTask&) {}
void AddDayToIndivPages(WorkTask&, MarkupElement&, uint32_t) {}

void LoadMonthlyList(WorkTask&) {}
void LoadScheduleStore(WorkTask&) {}

void DecideScheduleWork(WorkTask& task) {
  task.scheduleViews = 0;
  task.scheduleFetch = false;
}

void SelectScheduleDownloads(WorkTask& task) { task.workStep = 8; }
void FetchNextSchedule(WorkTask& task) { task.workStep = 8; }
void SaveScheduleStore(WorkTask&) {}

void BuildSummaryPage(WorkTask&, const char*, const char*) {}
void BuildSchedulePage(WorkTask&, const char*, const char*) {}
void WriteLinkImagesIfMissing(WorkTask&) {}
