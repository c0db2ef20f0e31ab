// Stages of the run whose work arrives with the earnings schedules and the
// summary and schedule pages. Each returns what the driver needs to keep the step table's
// shape, so the driver stays as it is when they are filled in.
//
// The page builders themselves will live in pages/ and take a small read-only
// input (the options they read, the company-store lookups, the selections, the
// end date); the Make* functions here gather that input from the task.
#include "work/steps.h"
#include "work/worktask.h"

void ScheduleStore::LoadMonthlyList(RunTrace&) {}
void ScheduleStore::Load() {}

void ScheduleStore::Decide(bool) {
  views_ = 0;
  fetch_ = false;
}

bool ScheduleStore::SelectDownloads(const RunSelections&, CompanyStore&, RunTrace&) { return false; }
Turn ScheduleStore::FetchNext(CompanyStore&, HttpDownloader&, RunTrace&) { return Turn::kDone; }
void ScheduleStore::Save(RunTrace&) {}

void ScheduleStore::Release() {
  reported_.clear();
  monthlyReported_.clear();
  monthly_.clear();
  request_.reset();
  table_.reset();
}

void MakeSchedulePage(WorkTask&, PageView, const char*, const char*) {}
