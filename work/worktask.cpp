#include "work/worktask.h"

#include <algorithm>

#include "pages/frame.h"
#include "pages/links.h"
#include "pages/output.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/ini.h"
#include "settings/options.h"
#include "work/steps.h"

namespace {

// Display options and the status keys that remember what the pages were built
// with; a difference forces the pages to be rebuilt.
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

void CopyDisplayOptionsToStatus() {
  for (const DisplayOption& pair : kDisplayOptions) Options().SetInt(pair.status, Flag(pair.option) ? 1 : 0);
}

// The pause between two requests to one host. A hand-edited value that is no
// number would read as 0, which would turn the pause off: it gives the default.
int RequestInterval() {
  const OptionInfo& info = InfoOf(OptionKey::RequestIntervalMs);
  std::string raw = Options().Raw(info.section, info.name, info.defaultText);
  bool number = !raw.empty() && raw.find_first_not_of("0123456789") == std::string::npos;
  return number ? Options().Int(OptionKey::RequestIntervalMs) : IniParseInt(info.defaultText, 0);
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

}  // namespace

WorkTask::WorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch, UserLists& lists,
                   WorkObserver& observer, bool refetchCompanies)
    : cursor{firstDay, lastDay},
      trace(observer),
      selections(lists),
      schedules(scheduleRefetch),
      refetchCompanies_(refetchCompanies) {}

void WorkTask::GoTo(int step) {
  workStep_ = step;
  trace.Log(1, "- workStep(%d)\n", workStep_);
}

bool WorkTask::PrepareRun() {
  displayOptionsChanged = DisplayOptionsChanged();
  trace.OpenLog();
  trace.Log(1, "----- start -----\n");
  std::string outputDirectory = Options().Text(OptionKey::HtmlDataDir);
  if (!HasOutputDirectory()) {
    // Nothing can be kept: stop before any download.
    ReportError("html保存パスの<%s>は存在しません", outputDirectory.c_str());
    return false;
  }
  // What killed runs left behind. The raw days' parts are written only under
  // the run's lock, which this run holds, so every part is stale.
  RemoveStaleTemporaryFiles(outputDirectory);
  RemoveStaleTemporaryFiles(OutputSubdirPath("Raw"), true);
  for (const char* subdir : {"All", "Port", "Xls", "Indiv", "Images"}) RemoveStaleTemporaryFiles(OutputSubdirPath(subdir));
  RemoveStaleTemporaryFiles(HomeDirectory());  // the option file's
  selections.LoadIgnoreTitles();
  companies.LoadCompanyStore(trace, refetchCompanies_);
  schedules.LoadMonthlyList(trace);
  WriteStyleSheetIfMissing(outputDirectory);
  WriteSiteIconIfMissing();
  selections.ResetXls();
  if (Flag(OptionKey::EnableHtmlXls) || Flag(OptionKey::EnableStScheXls)) ScanXlsDirectory(selections, trace);
  if (Flag(OptionKey::EnableHtmlTicker)) {
    FileEntry indiv((outputDirectory + "/Indiv/").c_str());
    if (indiv.ExistsPath()) {
      trace.Log(2, "check indiv html exist\n");
      ScanIndivPages(selections);
    } else {
      Options().SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(kNeverDate));
    }
  }
  downloader.Open();
  // The sites are asked at a pace they tolerate (the option's pause between
  // two requests to one host).
  downloader.SetMinInterval(RequestInterval());
  return true;
}

void WorkTask::BeginDownloads() {
  // The service keeps its lists for about a month and answers 404 for older
  // days, which would be stored as empty days: they are not requested.
  uint32_t oldestServed = AddDays(TodayDate(), -kServedDays);
  bool any = cursor.BeginDownloads(oldestServed);
  trace.Log(1, "- workStep(%d-%d)\n", kStepDownloadPage, kStepEndOfDay);  // once for the whole day loop
  if (cursor.startDate < oldestServed)
    trace.Log(2, "skip old days(%d-%d)\n", cursor.startDate, std::min(cursor.endDate, AddDays(oldestServed, -1)));
  workStep_ = any ? kStepDownloadPage : kStepEndOfDay;
}

void WorkTask::RecordDownloadDate() {
  if (cursor.endDate != TodayDate()) return;
  // A day that failed is fetched again by the next run "since the last download".
  uint32_t last = TodayDate();
  if (cursor.firstIncomplete != 0) last = std::min(last, AddDays(cursor.firstIncomplete, -1));
  Options().SetInt(OptionKey::LastDownload, static_cast<int>(last));
}

void WorkTask::PrepareSchedulePages() {
  if (!schedules.Loaded()) schedules.LoadScheduleStore();
  schedules.ClearAnnouncedRows();
  CollectAnnouncements(schedules, selections, Options().Date(OptionKey::PeriodSt), cursor.endDate);
}

void WorkTask::FinishRun() {
  uint32_t names = companies.PendingNames(), dates = schedules.Pending();
  if (names != 0 || dates != 0) {
    trace.Log(1, "pending names(%u) schedules(%u)\n", names, dates);
    ReportError("取得できなかった会社名 %u 件と決算スケジュール %u 件は、次回の実行で取得します", names, dates);
  }
  schedules.Release();
  selections.Release();
  companies.Release();
  trace.ShowProgress(kProgressIdle);
  workStep_ = kStepFinished;
  trace.Log(1, "----- finish -----\n");
}

void WorkTask::RunStep() {
  switch (workStep_) {
    case kStepPrepare:
      if (!PrepareRun()) {
        GoTo(kStepFinish);
      } else if (Flag(OptionKey::WebPortEnable)) {
        trace.ShowProgress(kProgressWebPortfolio);
        GoTo(kStepWebPortfolio);
      } else {
        GoTo(kStepBeginDays);
      }
      break;
    case kStepWebPortfolio:
      ReadWebPortfolio(selections, downloader, trace);
      GoTo(kStepBeginDays);
      break;
    case kStepBeginDays:
      BeginDownloads();
      break;
    case kStepDownloadPage:
      workStep_ = DownloadListPage(*this) == PageFetch::kSkipDay ? kStepEndOfDay : kStepExtractPage;
      break;
    case kStepExtractPage:
      workStep_ = ExtractListPage(*this) == PageEnd::kAnotherPage ? kStepDownloadPage : kStepEndOfDay;
      break;
    case kStepEndOfDay:
      if (cursor.NextDownloadDay()) {
        workStep_ = kStepDownloadPage;
        break;
      }
      schedules.DecideScheduleWork(displayOptionsChanged);
      if (schedules.WorkDue()) {
        trace.ShowProgress(kProgressScheduleCheck);
        GoTo(kStepSelectSchedules);
      } else {
        GoTo(kStepBeginConversion);
      }
      break;
    case kStepSelectSchedules:
      GoTo(schedules.SelectScheduleDownloads(selections, companies, trace) ? kStepFetchSchedule : kStepBeginConversion);
      break;
    case kStepFetchSchedule:
      if (schedules.FetchNextSchedule(companies, downloader, trace) == Turn::kDone) GoTo(kStepBeginConversion);
      break;
    case kStepBeginConversion:
      RecordDownloadDate();
      if (Flag(OptionKey::EnableHtmlTicker)) {
        EnsureOutputSubdir("Indiv");
        if (Flag(OptionKey::TickerRemake)) DeleteIndivPages();
      }
      cursor.BeginConversion(Options().Date(OptionKey::PeriodSt), Options().Date(OptionKey::LastUpdateIndiv));
      GoTo(kStepConvertDay);
      break;
    case kStepConvertDay:
      ConvertRawDay(*this);
      if (cursor.ConversionDone())
        GoTo(kStepSaveSchedules);
      else
        cursor.NextConversionDay();
      break;
    case kStepSaveSchedules:
      schedules.SaveScheduleStore(trace);
      if (companies.NamesLoaded() && companies.RequestedCount() > 0) {
        companies.BeginFetching();
        GoTo(kStepFetchCompany);
      } else {
        GoTo(kStepSaveCompanies);
      }
      break;
    case kStepFetchCompany:
      if (companies.FetchNextCompany(downloader, trace) == Turn::kDone) GoTo(kStepSaveCompanies);
      break;
    case kStepSaveCompanies:
      downloader.Close();
      companies.SaveCompanyStore(trace);
      WriteLinkImagesIfMissing();
      if (Flag(OptionKey::HtmlInsertGMO)) gmoServer = Options().Text(OptionKey::GMOServer);
      trace.ShowProgress(kProgressPortPage);
      GoTo(kStepPortPage);
      break;
    case kStepPortPage:
      selections.LoadHighlightKeywords(trace);
      trace.Log(2, "make Port.html\n");
      if (Flag(OptionKey::EnableHtmlPort) && selections.HasPortfolio())
        MakeSummaryPage(*this, PageView::kPort, "Port", "ポーフォリオ - Velkora");
      trace.ShowProgress(kProgressXlsPage);
      GoTo(kStepXlsPage);
      break;
    case kStepXlsPage:
      trace.Log(2, "make Xls.html\n");
      if (Flag(OptionKey::EnableHtmlXls)) MakeSummaryPage(*this, PageView::kXls, "Xls", "xls確認 - Velkora");
      trace.ShowProgress(kProgressAllPage);
      GoTo(kStepAllPage);
      break;
    case kStepAllPage:
      trace.Log(2, "make All.html\n");
      if (Flag(OptionKey::EnableHtmlAll)) MakeSummaryPage(*this, PageView::kAll, "All", "全て - Velkora");
      CopyDisplayOptionsToStatus();
      if (schedules.Views() != 0) {
        PrepareSchedulePages();
        trace.ShowProgress(kProgressPortSchedulePage);
        GoTo(kStepPortSchedulePage);
      } else {
        GoTo(kStepFinish);
      }
      break;
    case kStepPortSchedulePage:
      trace.Log(2, "make PortSche.html\n");
      if (schedules.Views() & 1)
        MakeSchedulePage(*this, PageView::kPort, "PortSche.html", "ポートフォリオ(決算スケジュール) - Velkora");
      trace.ShowProgress(kProgressXlsSchedulePage);
      GoTo(kStepXlsSchedulePage);
      break;
    case kStepXlsSchedulePage:
      trace.Log(2, "make XlsSche.html\n");
      if (schedules.Views() & 2)
        MakeSchedulePage(*this, PageView::kXls, "XlsSche.html", "xls確認(決算スケジュール) - Velkora");
      trace.ShowProgress(kProgressAllSchedulePage);
      GoTo(kStepAllSchedulePage);
      break;
    case kStepAllSchedulePage:
      trace.Log(2, "make AllSche.html\n");
      if (schedules.Views() & 4)
        MakeSchedulePage(*this, PageView::kAll, "AllSche.html", "全て(決算スケジュール) - Velkora");
      Options().SetInt(OptionKey::LastStScheHtml, static_cast<int>(TodayDate()));
      GoTo(kStepFinish);
      break;
    case kStepFinish:
      FinishRun();
      break;
    default:
      workStep_ = kStepFinished;
      break;
  }
}
