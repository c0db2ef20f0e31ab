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

void DeleteCompanyFiles() {
  if (!HasOutputDirectory()) return;
  for (const char* name : {kCompanyNamesFile, kCompanyProfileFile}) {
    FileEntry file(OutputPath(name).c_str());
    if (file.ExistsPath()) file.Delete();
  }
}

bool Flag(OptionKey key) { return Options().Flag(key); }

// Whether a page of the run shows the portfolio: Port.html and its views,
// PortSche.html, or the portfolio's marks on the other pages.
bool PortfolioUsed() {
  bool schedules = Flag(OptionKey::EnableStSche);
  if (Flag(OptionKey::EnableHtmlPort) || (schedules && Flag(OptionKey::EnableStSchePort))) return true;
  bool others = Flag(OptionKey::EnableHtmlAll) || Flag(OptionKey::EnableHtmlXls) ||
                (schedules && (Flag(OptionKey::EnableStScheAll) || Flag(OptionKey::EnableStScheXls)));
  return Flag(OptionKey::InPortHighlight) && others;
}

// Locks the output directory for one run; null after reporting why not.
std::unique_ptr<FileLock> LockOutputDirectory() {
  auto lock = std::make_unique<FileLock>();
  std::string directory = Options().Text(OptionKey::HtmlDataDir);
  FilePath path(OutputPath(kRunLockFile).c_str());
  switch (lock->Lock(path)) {
    case FileLock::kLocked:
      return lock;
    case FileLock::kBusy:
      ReportError("出力先<%s>は別の実行が使用中です。その実行が終わってから実行して下さい", directory.c_str());
      return nullptr;
    case FileLock::kFailed:
      break;
  }
  ReportError("出力先<%s>に書き込めません", directory.c_str());
  return nullptr;
}

}  // namespace

bool WorkController::StartRun(uint32_t day1, uint32_t day2, uint8_t scheduleRefetch, bool refetchCompanies) {
  if (Running()) return false;
  // A path that cannot work is refused for what it is, not as missing.
  if (!CheckDirectoryPath(OptionKey::HtmlDataDir, Options().Text(OptionKey::HtmlDataDir))) return false;
  if (HasOutputDirectory()) {
    lock_ = LockOutputDirectory();
    if (!lock_) return false;
  }
  if (PortfolioUsed() && !lists_.portfolio.Present())
    ParseTickerList(Options().Text(OptionKey::PortList).c_str(), lists_.portfolio);
  if (Options().Flag(OptionKey::EnableIgnoreList) && !lists_.ignoreList.Present())
    ParseTickerList(Options().Text(OptionKey::IgnoreList).c_str(), lists_.ignoreList);
  // Files of the old format cannot be read at all; a re-fetch keeps what they
  // hold for the companies it cannot fetch.
  if (Options().Int(OptionKey::CoProfDat) == 1) DeleteCompanyFiles();
  if (StartWorkTask(std::min(day1, day2), std::max(day1, day2), scheduleRefetch, refetchCompanies)) return true;
  lock_.reset();
  return false;
}

bool WorkController::StartWorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch,
                                   bool refetchCompanies) {
  if (task_) return false;
  ResetDownloadAbort();  // a cancel of an earlier run ended its downloads
  task_ = std::make_unique<WorkTask>(firstDay, lastDay, scheduleRefetch, lists_, observer_, refetchCompanies);
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

void PeriodOfType(int periodType, uint32_t& firstDay, uint32_t& lastDay) {
  uint32_t today = TodayDate();
  switch (periodType) {
    case 0:
      // A LastDownload that is no readable day (empty, text, a hand-edited
      // number of any size) starts today.
      if (!Options().ReadDate(OptionKey::LastDownload, firstDay)) firstDay = today;
      lastDay = today;
      break;
    case 1:
      firstDay = lastDay = today;
      break;
    case 3:
      firstDay = Options().Date(OptionKey::PeriodSt);
      lastDay = Options().Date(OptionKey::PeriodEd);
      break;
    default:
      firstDay = AddDays(today, -7);
      lastDay = today;
      break;
  }
  if (firstDay > lastDay) std::swap(firstDay, lastDay);
}

bool StorePeriod(int periodType, uint32_t& firstDay, uint32_t& lastDay) {
  bool swapped = firstDay > lastDay;
  if (swapped) std::swap(firstDay, lastDay);
  Options().SetInt(OptionKey::PeriodType, periodType);
  Options().SetInt(OptionKey::PeriodSt, static_cast<int>(firstDay));
  Options().SetInt(OptionKey::PeriodEd, static_cast<int>(lastDay));
  return swapped;
}

// The application's list changes only with the option (a text too long to
// store is refused after it parsed).
bool SavePortfolioList(UserLists& lists, const std::string& text) {
  TickerList parsed;
  if (!ParseTickerListToSave(text.c_str(), parsed)) return false;
  if (!Options().SetText(OptionKey::PortList, text)) return false;
  lists.portfolio = parsed;
  RemoveOutputSubdir("Port");
  return true;
}

bool SaveIgnoreList(UserLists& lists, const std::string& text) {
  TickerList parsed;
  if (!ParseTickerListToSave(text.c_str(), parsed)) return false;
  if (!Options().SetText(OptionKey::IgnoreList, text)) return false;
  lists.ignoreList = parsed;
  for (const char* view : {"All", "Port", "Xls", "Indiv"}) RemoveOutputSubdir(view);
  Options().SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(kNeverDate));
  return true;
}

bool SaveKeywordList(const std::string& text) { return Options().SetText(OptionKey::KeyHighlightList, text); }
