// What a front end (the main window, the command line) sees of the work
// pipeline: the observer it implements, the controller that starts, turns and
// cancels runs, the progress texts, and the saving of the user's lists. Front
// ends include nothing else of work/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class FileLock;
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
};

// The Shift_JIS text of the progress line for a code: -1 "----", -2 to -11 the
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

  // What the run command does once the options are saved: locks the output
  // directory for the run (refused with a message when another run, of this
  // or another process, holds it or the directory cannot be written), parses
  // PortList and IgnoreList into the lists when they are used and not yet
  // parsed, deletes the company files when CoProfDat is 1 (an older format),
  // and starts a task over the period, the smaller date first, with the
  // schedule re-fetch mode (0 none, 1 all but vacant numbers, 2 all) and
  // `refetchCompanies` (every name and profile fetched anew; those that cannot
  // be keep what the files held). False when nothing was started. (Without an output directory the
  // task starts and stops at once with its message.)
  bool StartRun(uint32_t day1, uint32_t day2, uint8_t scheduleRefetch, bool refetchCompanies);
  // Starts a task as it is, without the run command's preparation. False when a
  // run already exists.
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

  WorkObserver& observer_;
  UserLists& lists_;
  std::unique_ptr<FileLock> lock_;
  std::unique_ptr<WorkTask> task_;
};

// The period that a period type gives, as the main window fills its two date
// fields: 0 since the last download (LastDownload, or today when it is not a
// readable yyyymmdd day) to today, 1 today, 2 the past week, 3 the stored
// PeriodSt..PeriodEd. The earlier day comes first whatever the file holds (a
// clock set back since the last download, dates stored the wrong way round).
void PeriodOfType(int periodType, uint32_t& firstDay, uint32_t& lastDay);

// Stores a run's period as both front ends do: PeriodType, then PeriodSt and
// PeriodEd with the earlier day first (the run converts from PeriodSt on).
// Returns whether the two days had to be swapped (they are, in place).
bool StorePeriod(int periodType, uint32_t& firstDay, uint32_t& lastDay);

// Saving a list as its editor does. The portfolio and the ignore list are parsed
// first (ParseTickerListToSave): a format error or a number that is no code is
// shown and nothing is saved (false); so is a text too long for the option file
// (OptionStore::SetText). Once saved, the parsed list replaces the one in
// `lists`. A
// saved portfolio removes the Port views; a saved ignore list removes All, Port,
// Xls and Indiv and sets LastUpdateIndiv to 19000101, so the pages are rebuilt
// from the raw store at the next run.
bool SavePortfolioList(UserLists& lists, const std::string& text);
bool SaveIgnoreList(UserLists& lists, const std::string& text);
bool SaveKeywordList(const std::string& text);
