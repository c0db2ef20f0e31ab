#include "work/worktask.h"

#include <cstdarg>

#include "markup/tree.h"
#include "pages/frame.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/dates.h"
#include "work/steps.h"

namespace {

// Display options and the status keys that remember what the pages were built
// with; a difference forces the schedule pages to be rebuilt.
struct DisplayOption {
  OptionKey option;
  OptionKey status;
};
constexpr DisplayOption kDisplayOptions[] = {
    {OptionKey::IgnoreGR, OptionKey::LastIgnoreGR},
    {OptionKey::IgnoreAim, OptionKey::LastIgnoreAim},
    {OptionKey::IgnoreForeign, OptionKey::LastIgnoreForeign},
    {OptionKey::IgnoreREIT, OptionKey::LastIgnoreREIT},
    {OptionKey::IgnoreETF, OptionKey::LastIgnoreETF},
    {OptionKey::HtmlInsertMarket, OptionKey::LastHtmlInertMarket},
    {OptionKey::HtmlInsertIndustry, OptionKey::LastHtmlInertIndustry},
    {OptionKey::HtmlInsertYahoo, OptionKey::LastHtmlInertYahoo},
    {OptionKey::HtmlInsertIfis, OptionKey::LastHtmlInertIfis},
    {OptionKey::HtmlInsertGMO, OptionKey::LastHtmlInertGMO},
    {OptionKey::HtmlInsertKCom, OptionKey::LastHtmlInertKCom},
    {OptionKey::HtmlInsertSBI, OptionKey::LastHtmlInertSBI},
};

bool Flag(OptionKey key) { return Options().Flag(key); }

bool DisplayOptionsChanged() {
  for (const DisplayOption& pair : kDisplayOptions) {
    const OptionInfo& option = InfoOf(pair.option);
    const OptionInfo& status = InfoOf(pair.status);
    if (Options().Raw(option.section, option.name, option.defaultText) !=
        Options().Raw(status.section, status.name, status.defaultText))
      return true;
  }
  return false;
}

void LoadIgnoreTitleList(WorkTask& task) {
  if (!Flag(OptionKey::EnableIgnoreTitleList)) return;
  task.ignoreTitles = LoadIgnoreTitles(OutputPath("_ignoreTitle.txt").c_str());
}

void DeleteIndivPages() {
  FileFinder finder;
  std::string pattern = EnsureOutputSubdir("Indiv") + "*.html";
  if (!finder.Start(pattern.c_str(), FileFinder::kFiles)) return;
  for (; !finder.IsFinished(); finder._Next()) {
    FileEntry page;
    page.SetPath(finder.CurrentPath());
    page.Delete();
  }
}

void ComputeHighlightKeywords(WorkTask& task) {
  task.highlightKeywords.clear();
  if (!Flag(OptionKey::EnableKeyHighlightList)) return;
  task.Log(2, "make highlight keyword list\n");
  // SplitKeywords undoes the option-file escapes itself, so it gets the stored text.
  const OptionInfo& info = InfoOf(OptionKey::KeyHighlightList);
  std::string stored = Options().Raw(info.section, info.name, info.defaultText);
  task.highlightKeywords = SplitKeywords(stored.substr(0, kMaxOptionText));  // the profile call's cut
}

void CopyDisplayOptionsToStatus() {
  for (const DisplayOption& pair : kDisplayOptions) Options().SetInt(pair.status, Flag(pair.option) ? 1 : 0);
}

}  // namespace

std::string ProgressText(int code, int a, int b) {
  switch (code) {
    case -1: return "----";
    case -2: return FormatString("会社名を取得中 (%d/%d)", a, b);
    case -3: return "Port.html をまとめ中";
    case -4: return "Xls.html をまとめ中";
    case -5: return "All.html をまとめ中";
    case -6: return FormatString("決算スケジュールを取得中 (%d/%d)", a, b);
    case -7: return "決算スケジュールの取得リクエストを確認中";
    case -8: return "PortSche.html をまとめ中";
    case -9: return "XlsSche.html をまとめ中";
    case -10: return "AllSche.html をまとめ中";
    case -11: return "ポートフォリオを取得中";
    default: break;
  }
  if (code < 0) return "----";
  if (a < 0) return FormatString("%d の開示を抽出中", code);
  return FormatString("%d (%d) の開示をダウンロード", code, a);
}

WorkTask::WorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t refetch, TickerList* portfolioList,
                   const TickerList* ignored, WorkObserver& observer)
    : startDate(firstDay),
      endDate(lastDay),
      scheduleRefetch(refetch),
      ignoreList(ignored),
      portfolio(portfolioList),
      observer_(observer) {}

WorkTask::~WorkTask() {
  // A day still being downloaded is incomplete: keep the previous raw day file.
  DiscardPartialRawDay(*this);
}

void WorkTask::Log(int level, const char* format, ...) {
  if (!debugLog || (Options().Int(OptionKey::DebugLogLevel) & 0xFF) < level) return;
  va_list args;
  va_start(args, format);
  std::string line = FormatStringV(format, args);
  va_end(args);
  debugLog->Write(line.data(), line.size());
}

void WorkTask::StepLog() { Log(1, "- workStep(%d)\n", workStep); }

void WorkTask::PrepareRun() {
  displayOptionsChanged = DisplayOptionsChanged();
  if (Options().Int(OptionKey::DebugLogLevel) != 0) {
    debugLog.reset();
    debugLog = std::make_unique<DebugLog>();
    debugLog->OpenTruncate("DebugLog.txt");
    debugLog->SetBufferSize(1024);
    Log(1, "----- start -----\n");
  }
  std::string outputDirectory = Options().Text(OptionKey::HtmlDataDir);
  FileEntry output((outputDirectory + "/").c_str());
  if (!output.ExistsPath()) ReportError("html保存パスの<%s>は存在しません", outputDirectory.c_str());
  LoadIgnoreTitleList(*this);
  LoadCompanyStore(*this);
  LoadMonthlyList(*this);
  WriteStyleSheetIfMissing(outputDirectory);
  xlsPresent = std::make_unique<TickerBits>();
  if (Flag(OptionKey::EnableHtmlXls) || Flag(OptionKey::EnableStScheXls)) ScanXlsDirectory(*this);
  if (Flag(OptionKey::EnableHtmlTicker)) {
    FileEntry indiv((outputDirectory + "/Indiv/").c_str());
    if (indiv.ExistsPath()) {
      Log(2, "check indiv html exist\n");
      ScanIndivPages(*this);
    } else {
      Options().SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(kNeverDate));
    }
  }
  downloader.Open();
}

void WorkTask::FinishRun() {
  reportedSchedules.clear();
  monthlyReported.clear();
  monthlyList.clear();
  xlsPresent.reset();
  indivPresent.reset();
  scheduleRequest.reset();
  companyNames.reset();
  companyProfile.reset();
  schedules.reset();
  highlightKeywords.clear();
  ShowProgress(-1);
  workStep = -1;
  Log(1, "----- finish -----\n");
}

void WorkTask::RunStep() {
  switch (workStep) {
    case 0:
      PrepareRun();
      if (Flag(OptionKey::WebPortEnable)) {
        ShowProgress(-11);
        workStep = 1;
      } else {
        workStep = 2;
      }
      StepLog();
      break;
    case 1:
      ReadWebPortfolio(*this);
      workStep = 2;
      StepLog();
      break;
    case 2:
      curDate = startDate;
      page = 1;
      workStep = 3;
      Log(1, "- workStep(%d-%d)\n", 3, 5);
      break;
    case 3:
      DownloadListPage(*this);
      break;
    case 4:
      ExtractListPage(*this);
      break;
    case 5:
      if (curDate < endDate) {
        curDate = NextDay(curDate);
        page = 1;
        workStep = 3;
        break;
      }
      DecideScheduleWork(*this);
      if (scheduleViews != 0 && (scheduleFetch || schedulePagesNeeded)) {
        ShowProgress(-7);
        workStep = 6;
      } else {
        workStep = 8;
      }
      StepLog();
      break;
    case 6:
      SelectScheduleDownloads(*this);
      StepLog();
      break;
    case 7:
      FetchNextSchedule(*this);
      if (workStep != 7) StepLog();
      break;
    case 8:
      if (endDate == TodayDate()) Options().SetInt(OptionKey::LastDownload, static_cast<int>(TodayDate()));
      if (Flag(OptionKey::EnableHtmlTicker)) {
        EnsureOutputSubdir("Indiv");
        if (Flag(OptionKey::TickerRemake)) DeleteIndivPages();
      }
      curDate = static_cast<uint32_t>(Options().Int(OptionKey::PeriodSt));
      workStep = 9;
      StepLog();
      break;
    case 9:
      ConvertRawDay(*this);
      if (curDate > endDate) {
        workStep = 10;
        StepLog();
      } else {
        curDate = NextDay(curDate);
      }
      break;
    case 10:
      SaveScheduleStore(*this);
      if (companyNames && companyNamesToFetch > 0) {
        fetchCursor = 0;
        companyNamesFetched = 0;
        companyNamesDirty = true;
        workStep = 11;
      } else {
        workStep = 12;
      }
      StepLog();
      break;
    case 11:
      FetchNextCompany(*this);
      if (workStep != 11) StepLog();
      break;
    case 12:
      SaveCompanyStore(*this);
      WriteLinkImagesIfMissing(*this);
      if (Flag(OptionKey::HtmlInsertGMO)) gmoServer = Options().Text(OptionKey::GMOServer);
      ShowProgress(-3);
      workStep = 13;
      StepLog();
      break;
    case 13:
      ComputeHighlightKeywords(*this);
      Log(2, "make Port.html\n");
      if (Flag(OptionKey::EnableHtmlPort) && HasPortfolio()) BuildSummaryPage(*this, "Port.html", "ポーフォリオ - Velkora");
      ShowProgress(-4);
      workStep = 14;
      StepLog();
      break;
    case 14:
      Log(2, "make Xls.html\n");
      if (Flag(OptionKey::EnableHtmlXls)) BuildSummaryPage(*this, "Xls.html", "xls確認 - Velkora");
      ShowProgress(-5);
      workStep = 15;
      StepLog();
      break;
    case 15:
      Log(2, "make All.html\n");
      if (Flag(OptionKey::EnableHtmlAll)) BuildSummaryPage(*this, "All.html", "全て - Velkora");
      CopyDisplayOptionsToStatus();
      if (scheduleViews != 0 && schedulePagesNeeded) {
        ShowProgress(-8);
        workStep = 16;
      } else {
        workStep = 19;
      }
      StepLog();
      break;
    case 16:
      Log(2, "make PortSche.html\n");
      if (scheduleViews & 1) BuildSchedulePage(*this, "PortSche.html", "ポートフォリオ(決算スケジュール) - Velkora");
      ShowProgress(-9);
      workStep = 17;
      StepLog();
      break;
    case 17:
      Log(2, "make XlsSche.html\n");
      if (scheduleViews & 2) BuildSchedulePage(*this, "XlsSche.html", "xls確認(決算スケジュール) - Velkora");
      ShowProgress(-10);
      workStep = 18;
      StepLog();
      break;
    case 18:
      Log(2, "make AllSche.html\n");
      if (scheduleViews & 4) BuildSchedulePage(*this, "AllSche.html", "全て(決算スケジュール) - Velkora");
      Options().SetInt(OptionKey::LastStScheHtml, static_cast<int>(TodayDate()));
      workStep = 19;
      StepLog();
      break;
    case 19:
      FinishRun();
      break;
    default:
      workStep = -1;
      break;
  }
}

WorkController::~WorkController() { task_.reset(); }

bool WorkController::StartWorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch) {
  if (task_) return false;
  task_ = std::make_unique<WorkTask>(firstDay, lastDay, scheduleRefetch, &portfolio_, &ignoreList_, observer_);
  observer_.RunStarted();
  return true;
}

bool WorkController::OnIdle() {
  if (!task_) return false;
  task_->RunStep();
  if (task_->Finished()) {
    task_.reset();
    observer_.RunFinished();
    return false;
  }
  return true;
}

void WorkController::CancelWorkTask() {
  task_.reset();
  observer_.RunFinished();
  observer_.ShowProgress(-1, -1, -1);
}
