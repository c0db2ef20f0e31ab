// The work task: one run of the pipeline as a state machine that the front end
// advances one step (or one unit of a long step) per turn, so a window stays
// responsive and a command line can show progress.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/bufwriter.h"
#include "platform/http.h"
#include "settings/lists.h"

class MarkupElement;

// What the front end shows of a run. The task calls it between steps.
class WorkObserver {
 public:
  virtual ~WorkObserver() = default;
  // The progress line: a code and two numbers (see ProgressText).
  virtual void ShowProgress(int code, int a, int b) = 0;
  virtual void RunStarted() {}
  virtual void RunFinished() {}
};

// The Shift_JIS text of the progress line for a code: -1 "----", -2 to -11 the
// named stages, a date with a >= 0 a download, a date with a < 0 a conversion.
std::string ProgressText(int code, int a, int b);

using TickerBits = std::bitset<9000>;  // bit ticker - 1001
constexpr int kTickerCount = 9000;
constexpr int kFirstTicker = 1001;

// An earnings-report or monthly-report row seen while converting a day.
struct ReportedRow {
  int ticker = 0;
  std::unique_ptr<MarkupElement> titleCell;
};

class WorkTask {
 public:
  // The lists are the application's and outlive the task; the web portfolio step
  // may replace the portfolio's contents.
  WorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch, TickerList* portfolio,
           const TickerList* ignoreList, WorkObserver& observer);
  ~WorkTask();
  WorkTask(const WorkTask&) = delete;
  WorkTask& operator=(const WorkTask&) = delete;

  // Performs one step, or one unit of a long step, and returns. workStep is -1
  // once the run has finished.
  void RunStep();
  bool Finished() const { return workStep == -1; }

  // Writes a debug-log line when the log exists and DebugLogLevel (low byte, read
  // anew each time) is at least `level`.
  void Log(int level, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  void ShowProgress(int code, int a = -1, int b = -1) { observer_.ShowProgress(code, a, b); }
  bool HasPortfolio() const { return portfolio && portfolio->Present(); }
  bool HasIgnoreList() const { return ignoreList && ignoreList->Present(); }

  int workStep = 0;
  int fetchCursor = 0;
  uint32_t startDate = 0;
  uint32_t endDate = 0;
  uint32_t curDate = 0;
  int page = 0;
  std::string pageText;
  HttpDownloader downloader;
  std::unique_ptr<BufferedFileWriter> rawWriter;
  std::unique_ptr<TickerBits> xlsPresent;
  std::unique_ptr<TickerBits> indivPresent;
  std::unique_ptr<TickerBits> scheduleRequest;
  std::vector<std::string> ignoreTitles;
  std::unique_ptr<std::vector<std::string>> companyNames;  // 9000 entries when present
  uint32_t companyNamesToFetch = 0;
  uint32_t companyNamesFetched = 0;
  bool companyNamesMissing = false;
  bool companyNamesDirty = false;
  std::unique_ptr<uint8_t[]> companyProfile;  // 4 bytes per ticker: market, industry
  bool companyProfileDirty = false;
  uint8_t scheduleRefetch = 0;
  uint8_t scheduleViews = 0;
  bool scheduleFetch = false;
  bool schedulePagesNeeded = false;
  std::unique_ptr<uint8_t[]> schedules;  // 9000 entries of 40 bytes
  uint32_t schedulesToFetch = 0;
  uint32_t schedulesFetched = 0;
  bool displayOptionsChanged = false;
  std::vector<ReportedRow> reportedSchedules;
  std::vector<ReportedRow> monthlyReported;
  std::vector<std::string> monthlyList;
  const TickerList* ignoreList = nullptr;
  TickerList* portfolio = nullptr;
  std::vector<std::string> highlightKeywords;
  std::string gmoServer;
  std::unique_ptr<DebugLog> debugLog;

  // Raw day file being written: the temporary name it is written under, and
  // whether its header and a failed page have been seen.
  std::string rawTempPath;
  bool rawHeaderWritten = false;
  bool rawDayFailed = false;

 private:
  void PrepareRun();
  void FinishRun();
  void StepLog();

  WorkObserver& observer_;
};

// The application's side of a run: owns the two ticker lists and the task, and
// is what the main window or the command line drives.
class WorkController {
 public:
  explicit WorkController(WorkObserver& observer) : observer_(observer) {}
  ~WorkController();

  // Starts a run unless one exists (then it is ignored and false returned).
  bool StartWorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch);
  // One turn of the running task; destroys it once it has finished. Returns
  // whether a task still exists.
  bool OnIdle();
  // Destroys the running task at once; files written so far stay.
  void CancelWorkTask();

  bool Running() const { return task_ != nullptr; }
  WorkTask* Task() { return task_.get(); }
  TickerList& Portfolio() { return portfolio_; }
  TickerList& IgnoreList() { return ignoreList_; }

 private:
  WorkObserver& observer_;
  TickerList portfolio_;
  TickerList ignoreList_;
  std::unique_ptr<WorkTask> task_;
};
