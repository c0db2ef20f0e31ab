// The work task: one run of the pipeline as a state machine that the front end
// advances one step (or one unit of a long step) per turn, so a window stays
// responsive and a command line can show progress.
//
// The task holds the run's parts and drives the steps; each step function
// takes the parts it works on and returns what happened, and RunStep alone
// decides the next step.
#pragma once

#include <cstdint>
#include <string>

#include "platform/http.h"
#include "work/company_store.h"
#include "work/controller.h"
#include "work/raw_day.h"
#include "work/run_cursor.h"
#include "work/run_trace.h"
#include "work/schedule_store.h"
#include "work/selections.h"

// The steps of a run, in the numbers the debug log shows.
enum WorkStep : int {
  kStepFinished = -1,
  kStepPrepare = 0,
  kStepWebPortfolio = 1,
  kStepBeginDays = 2,
  kStepDownloadPage = 3,
  kStepExtractPage = 4,
  kStepEndOfDay = 5,
  kStepSelectSchedules = 6,
  kStepFetchSchedule = 7,
  kStepBeginConversion = 8,
  kStepConvertDay = 9,
  kStepSaveSchedules = 10,
  kStepFetchCompany = 11,
  kStepSaveCompanies = 12,
  kStepPortPage = 13,
  kStepXlsPage = 14,
  kStepAllPage = 15,
  kStepPortSchedulePage = 16,
  kStepXlsSchedulePage = 17,
  kStepAllSchedulePage = 18,
  kStepFinish = 19,
};

// Days the list service keeps; older days are not requested.
constexpr int kServedDays = 45;

class WorkTask {
 public:
  // `lists` belongs to the application and outlives the task.
  // `refetchCompanies`: every company name and profile is fetched anew; one
  // that cannot be keeps what the files held.
  WorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch, UserLists& lists, WorkObserver& observer,
           bool refetchCompanies = false);
  WorkTask(const WorkTask&) = delete;
  WorkTask& operator=(const WorkTask&) = delete;

  // Performs one step, or one unit of a long step, and returns.
  void RunStep();
  int Step() const { return workStep_; }
  bool Finished() const { return workStep_ == kStepFinished; }

  // The parts of the run.
  RunCursor cursor;
  RunTrace trace;
  RawDay rawDay;
  CompanyStore companies;
  RunSelections selections;
  ScheduleStore schedules;
  HttpDownloader downloader;

  // A display option differs from the status copy the pages were built with.
  bool displayOptionsChanged = false;
  // The GMOServer option, taken in step 12 for the GMO link cells.
  std::string gmoServer;

 private:
  // Step 0; false when the run cannot go on (no output directory).
  bool PrepareRun();
  // Step 2: the day loop starts at the oldest day the service still has.
  void BeginDownloads();
  // Step 8: LastDownload, when the period ends today.
  void RecordDownloadDate();
  // Before step 16: the schedule table, and the announcements of the stored
  // days of the period. The schedule pages are made at every run that wants
  // them: what they show (names, markets, company pages, announcements) may
  // have changed whether or not the schedules did.
  void PrepareSchedulePages();
  // Step 19; a run that could not fetch every name or schedule it wanted says
  // how many are left for the next run (an error).
  void FinishRun();
  // Moves to `step` and writes its step line to the debug log.
  void GoTo(int step);

  int workStep_ = kStepPrepare;
  bool refetchCompanies_ = false;
};
