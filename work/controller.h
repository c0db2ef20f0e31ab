// What a front end (the main window, the command line) sees of the work
// pipeline: the observer it implements, the controller that starts, turns and
// cancels runs, the progress texts, and the saving of the user's lists. Front
// ends include nothing else of work/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "settings/period.h"

class FileLock;
class OptionStore;
struct RunSettings;
struct UserLists;
class WorkTask;

// Codes of the progress line besides the dates of the day loops (see
// ProgressText).
enum ProgressCode : int {
  kProgressIdle = -1,
  kProgressCompanyNames = -2,
  kProgressPortPage = -3,
  kProgressXlsPage = -4,
  kProgressAllPage = -5,
  kProgressSchedules = -6,
  kProgressScheduleCheck = -7,
  kProgressPortSchedulePage = -8,
  kProgressXlsSchedulePage = -9,
  kProgressAllSchedulePage = -10,
  kProgressWebPortfolio = -11,
  kProgressDocuments = -12,
};

// The Shift_JIS text of the progress line for a code: -1 "----", -2 to -12 the
// named stages, a date with a >= 0 a download (a = page), a date with a < 0 a
// conversion.
std::string ProgressText(int code, int a, int b);

// What the front end shows of a run. The task calls it between steps.
class WorkObserver {
 public:
  virtual ~WorkObserver() = default;
  // The progress line: a code and two numbers (see ProgressText).
  virtual void ShowProgress(int code, int a, int b) = 0;
  virtual void RunStarted() {}
  virtual void RunFinished() {}
  // The run's summary line, once at its end (what the document archive kept
  // and holds), after the progress line went back to "----".
  virtual void RunSummary(const std::string& text) { (void)text; }
};

// The application's side of runs: holds at most one running task, which borrows
// the application's lists.
class WorkController {
 public:
  // `lists` belongs to the application and outlives the controller.
  WorkController(WorkObserver& observer, UserLists& lists);
  ~WorkController();
  WorkController(const WorkController&) = delete;
  WorkController& operator=(const WorkController&) = delete;

  // What the run command does once the options are saved: reads the run's
  // settings from the option file (a change of the file during the run does
  // not change the run), locks the output directory for the run (refused with a message when another run, of this
  // or another process, holds it or the directory cannot be written), parses
  // PortList and IgnoreList into the lists when they are used and not yet
  // parsed, deletes the company files when CoProfDat is 1 (an older format),
  // and starts a task over the period, the smaller date first, with the
  // schedule re-fetch mode (0 none, 1 all but vacant numbers, 2 all) and
  // `refetchCompanies` (every name and profile fetched anew; those that cannot
  // be keep what the files held). False when nothing was started. (Without an output directory the
  // task starts and stops at once with its message.)
  bool StartRun(uint32_t day1, uint32_t day2, uint8_t scheduleRefetch, bool refetchCompanies);
  // Starts a task as it is, with the settings of the option file and without
  // the run command's preparation. False when a run already exists.
  bool StartWorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch, bool refetchCompanies = false);
  // One turn of the running task; destroys it once it has finished. Returns
  // whether a task still exists.
  bool OnIdle();
  // Destroys the running task at once; files written so far stay, a raw day
  // being written is discarded.
  void CancelWorkTask();

  bool Running() const { return task_ != nullptr; }
  // The running task, for tests; null when none.
  WorkTask* Task() { return task_.get(); }

 private:
  // Ends the task and gives up the output directory.
  void EndTask();
  bool StartTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch, bool refetchCompanies,
                 RunSettings settings);

  WorkObserver& observer_;
  UserLists& lists_;
  std::unique_ptr<FileLock> lock_;
  std::unique_ptr<WorkTask> task_;
};

// (PeriodOfType and StorePeriod, the period as the front ends fill and store
// it, are in settings/period.h.)

// Saving a list into `options` as its editor does. The portfolio and the
// ignore list are parsed first (ParseTickerListToSave): a format error or a
// number that is no code is shown and nothing is saved (false); so is a text
// too long for the option file (OptionStore::SetText). Once saved, the parsed
// list replaces the one in `lists`. A saved portfolio removes the Port views;
// a saved ignore list removes All, Port, Xls and Indiv and sets
// LastUpdateIndiv to 19000101, so the pages are rebuilt from the raw store at
// the next run. While a run (of this or another process) holds the output
// directory, neither list is saved: "出力先<%s>は別の実行が使用中です。その実行が
// 終わってから保存して下さい" (false).
bool SavePortfolioList(OptionStore& options, UserLists& lists, const std::string& text);
bool SaveIgnoreList(OptionStore& options, UserLists& lists, const std::string& text);
bool SaveKeywordList(OptionStore& options, const std::string& text);
