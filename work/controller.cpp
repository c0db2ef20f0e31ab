#include "work/controller.h"

#include <algorithm>

#include "pages/output.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/http.h"
#include "settings/lists.h"
#include "settings/options.h"
#include "work/run_settings.h"
#include "work/worktask.h"

std::string ProgressText(int code, int a, int b) {
  switch (code) {
    case kProgressIdle: return "----";
    case kProgressCompanyNames: return FormatString("会社名を取得中 (%d/%d)", a, b);
    case kProgressPortPage: return "Port.html をまとめ中";
    case kProgressXlsPage: return "Xls.html をまとめ中";
    case kProgressAllPage: return "All.html をまとめ中";
    case kProgressSchedules: return FormatString("決算スケジュールを取得中 (%d/%d)", a, b);
    case kProgressScheduleCheck: return "決算スケジュールの取得リクエストを確認中";
    case kProgressPortSchedulePage: return "PortSche.html をまとめ中";
    case kProgressXlsSchedulePage: return "XlsSche.html をまとめ中";
    case kProgressAllSchedulePage: return "AllSche.html をまとめ中";
    case kProgressWebPortfolio: return "ポートフォリオを取得中";
    case kProgressDocuments: return FormatString("資料を保存中 (%d/%d)", a, b);
    default: break;
  }
  if (code < 0) return "----";
  if (a < 0) return FormatString("%d の開示を抽出中", code);
  return FormatString("%d (%d) の開示をダウンロード", code, a);
}

WorkController::WorkController(WorkObserver& observer, UserLists& lists) : observer_(observer), lists_(lists) {}

WorkController::~WorkController() { EndTask(); }

void WorkController::EndTask() {
  task_.reset();
  lock_.reset();
}

namespace {

void DeleteCompanyFiles(const OutputDir& output) {
  if (!output.Exists()) return;
  for (const char* name : {kCompanyNamesFile, kCompanyProfileFile}) {
    FileEntry file(output.File(name).c_str());
    if (file.ExistsPath()) file.Delete();
  }
}

// Locks the output directory for one run; null after reporting why not.
std::unique_ptr<FileLock> LockOutputDirectory(const OutputDir& output) {
  auto lock = std::make_unique<FileLock>();
  FilePath path(output.File(kRunLockFile).c_str());
  switch (lock->Lock(path)) {
    case FileLock::kLocked:
      return lock;
    case FileLock::kBusy:
      ReportError("出力先<%s>は別の実行が使用中です。その実行が終わってから実行して下さい", output.Text().c_str());
      return nullptr;
    case FileLock::kFailed:
      break;
  }
  ReportError("出力先<%s>に書き込めません", output.Text().c_str());
  return nullptr;
}

}  // namespace

bool WorkController::StartRun(uint32_t day1, uint32_t day2, uint8_t scheduleRefetch, bool refetchCompanies) {
  if (Running()) return false;
  RunSettings settings = ReadRunSettings();
  // A path that cannot work is refused for what it is, not as missing.
  if (!CheckDirectoryPath(OptionKey::HtmlDataDir, settings.output.Text())) return false;
  if (settings.output.Exists()) {
    lock_ = LockOutputDirectory(settings.output);
    if (!lock_) return false;
  }
  if (settings.PortfolioUsed() && !lists_.portfolio.Present())
    ParseTickerList(settings.portList.c_str(), lists_.portfolio);
  if (settings.ignoreListOn && !lists_.ignoreList.Present())
    ParseTickerList(settings.ignoreList.c_str(), lists_.ignoreList);
  // Files of the old format cannot be read at all; a re-fetch keeps what they
  // hold for the companies it cannot fetch.
  if (settings.companyFilesVersion == 1) DeleteCompanyFiles(settings.output);
  if (StartTask(std::min(day1, day2), std::max(day1, day2), scheduleRefetch, refetchCompanies, std::move(settings)))
    return true;
  lock_.reset();
  return false;
}

bool WorkController::StartWorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch,
                                   bool refetchCompanies) {
  return StartTask(firstDay, lastDay, scheduleRefetch, refetchCompanies, ReadRunSettings());
}

bool WorkController::StartTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch, bool refetchCompanies,
                               RunSettings settings) {
  if (task_) return false;
  ResetDownloadAbort();  // a cancel of an earlier run ended its downloads
  task_ = std::make_unique<WorkTask>(firstDay, lastDay, scheduleRefetch, lists_, observer_, std::move(settings),
                                     refetchCompanies);
  observer_.RunStarted();
  return true;
}

bool WorkController::OnIdle() {
  if (!task_) return false;
  task_->RunStep();
  if (task_->Finished()) {
    EndTask();
    observer_.RunFinished();
    return false;
  }
  return true;
}

void WorkController::CancelWorkTask() {
  EndTask();
  observer_.RunFinished();
  observer_.ShowProgress(kProgressIdle, -1, -1);
}

namespace {

// A saved list removes views that a run may be writing: the output directory
// is held while it does, and a list is not saved at all while a run holds it
// (false after reporting). A directory whose lock file cannot be made is not
// held, as before there was a lock.
bool HoldForListChange(const OutputDir& output, FileLock& lock) {
  if (!output.Exists() || lock.Lock(FilePath(output.File(kRunLockFile).c_str())) != FileLock::kBusy) return true;
  ReportError("出力先<%s>は別の実行が使用中です。その実行が終わってから保存して下さい", output.Text().c_str());
  return false;
}

}  // namespace

// The application's list changes only with the option (a text too long to
// store is refused after it parsed); the letters of its codes are stored upper
// case.
bool SavePortfolioList(OptionStore& options, UserLists& lists, const std::string& text) {
  TickerList parsed;
  std::string stored;
  if (!ParseTickerListToSave(text.c_str(), parsed, &stored)) return false;
  OutputDir output = OutputDirOf(options);
  FileLock lock;
  if (!HoldForListChange(output, lock)) return false;
  if (!options.SetText(OptionKey::PortList, stored)) return false;
  lists.portfolio = parsed;
  output.RemoveSubdir("Port");
  return true;
}

bool SaveIgnoreList(OptionStore& options, UserLists& lists, const std::string& text) {
  TickerList parsed;
  std::string stored;
  if (!ParseTickerListToSave(text.c_str(), parsed, &stored)) return false;
  OutputDir output = OutputDirOf(options);
  FileLock lock;
  if (!HoldForListChange(output, lock)) return false;
  if (!options.SetText(OptionKey::IgnoreList, stored)) return false;
  lists.ignoreList = parsed;
  for (const char* view : {"All", "Port", "Xls", "Indiv"}) output.RemoveSubdir(view);
  options.SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(kNeverDate));
  return true;
}

bool SaveKeywordList(OptionStore& options, const std::string& text) {
  return options.SetText(OptionKey::KeyHighlightList, text);
}
