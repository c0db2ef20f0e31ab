// The work task: one run of the pipeline as a state machine that the front end
// advances one step (or one unit of a long step) per turn, so a window stays
// responsive and a command line can show progress.
//
// The task owns the run's settings, read once as it starts, and its parts;
// RunStep dispatches to the step functions of steps.h through a table, one
// entry per step, and moves to the step each returns.
#pragma once

#include <cstdint>

#include "platform/http.h"
#include "work/company_store.h"
#include "work/controller.h"
#include "work/documents.h"
#include "work/raw_day.h"
#include "work/run_cursor.h"
#include "work/run_settings.h"
#include "work/run_trace.h"
#include "work/schedule_store.h"
#include "work/selections.h"
#include "work/steps.h"

class WorkTask {
 public:
  // `lists` belongs to the application and outlives the task; `settings` are
  // the run's, read from the option file as it starts.
  // `refetchCompanies`: every company name and profile is fetched anew; one
  // that cannot be keeps what the files held.
  WorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch, UserLists& lists, WorkObserver& observer,
           RunSettings settings, bool refetchCompanies = false);
  WorkTask(const WorkTask&) = delete;
  WorkTask& operator=(const WorkTask&) = delete;

  // Performs one step, or one unit of a long step, and returns.
  void RunStep();
  int Step() const { return workStep_; }
  bool Finished() const { return workStep_ == kStepFinished; }

  // For tests: where the run is, and the pause it keeps between two requests.
  const RunCursor& Cursor() const { return cursor_; }
  int RequestInterval() const { return downloader_.MinInterval(); }

 private:
  struct PageStep;

  // The steps, one member each, that hand the parts to the step functions.
  Next Prepare();
  Next WebPortfolio();
  Next BeginDays();
  Next DownloadPage();
  Next ExtractPage();
  Next EndOfDay();
  Next SelectSchedules();
  // The document archive when it is on, else the conversion.
  Next AfterDownloads();
  Next SelectDocuments();
  Next FetchDocument();
  Next FetchSchedule();
  Next BeginConversion();
  Next ConvertDay();
  Next SaveSchedules();
  Next FetchCompany();
  Next SaveCompanies();
  Next MakePage();
  Next Finish();
  // Whether the run makes a view's summary page (the portfolio's only with a
  // portfolio).
  bool WantsSummaryPage(View view) const;
  // After All.html: the display status, and the schedule pages when wanted.
  Next AfterSummaryPages();
  // After AllSche.html: LastStScheHtml.
  Next AfterSchedulePages();

  const RunSettings settings_;
  RunStatus status_;
  RunCursor cursor_;
  RunTrace trace_;
  RawDay rawDay_;
  CompanyStore companies_;
  RunSelections selections_;
  ScheduleStore schedules_;
  DocumentArchive documents_;
  HttpDownloader downloader_;
  int workStep_ = kStepPrepare;
  bool refetchCompanies_ = false;
};
