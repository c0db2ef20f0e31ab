#include "work/worktask.h"

#include <iterator>

#include "pages/frame.h"
#include "pages/links.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"

// One page of steps 13 to 18 and what follows it: the progress line of the
// next page and its step, or what `after` decides.
struct WorkTask::PageStep {
  View view;
  bool schedule;       // a schedule page; else a summary page
  const char* title;   // passed as it stands ("ポーフォリオ" is spelled so)
  bool keywordsFirst;  // the highlight keywords are read before the page
  int nextProgress;
  WorkStep next;
  Next (WorkTask::*after)();
};

WorkTask::WorkTask(uint32_t firstDay, uint32_t lastDay, uint8_t scheduleRefetch, UserLists& lists,
                   WorkObserver& observer, RunSettings settings, bool refetchCompanies)
    : settings_(std::move(settings)),
      cursor_{firstDay, lastDay},
      trace_(observer, settings_.debugLogLevel),
      companies_(settings_, status_),
      selections_(lists, settings_),
      schedules_(scheduleRefetch, settings_, status_),
      documents_(settings_),
      refetchCompanies_(refetchCompanies) {}

void WorkTask::RunStep() {
  using StepMember = Next (WorkTask::*)();
  struct StepEntry {
    WorkStep step;
    StepMember run;
  };
  static constexpr StepEntry kSteps[] = {
      {kStepPrepare, &WorkTask::Prepare},
      {kStepWebPortfolio, &WorkTask::WebPortfolio},
      {kStepBeginDays, &WorkTask::BeginDays},
      {kStepDownloadPage, &WorkTask::DownloadPage},
      {kStepExtractPage, &WorkTask::ExtractPage},
      {kStepEndOfDay, &WorkTask::EndOfDay},
      {kStepSelectSchedules, &WorkTask::SelectSchedules},
      {kStepFetchSchedule, &WorkTask::FetchSchedule},
      {kStepBeginConversion, &WorkTask::BeginConversion},
      {kStepConvertDay, &WorkTask::ConvertDay},
      {kStepSaveSchedules, &WorkTask::SaveSchedules},
      {kStepFetchCompany, &WorkTask::FetchCompany},
      {kStepSaveCompanies, &WorkTask::SaveCompanies},
      {kStepPortPage, &WorkTask::MakePage},
      {kStepXlsPage, &WorkTask::MakePage},
      {kStepAllPage, &WorkTask::MakePage},
      {kStepPortSchedulePage, &WorkTask::MakePage},
      {kStepXlsSchedulePage, &WorkTask::MakePage},
      {kStepAllSchedulePage, &WorkTask::MakePage},
      {kStepFinish, &WorkTask::Finish},
      {kStepSelectDocuments, &WorkTask::SelectDocuments},
      {kStepFetchDocument, &WorkTask::FetchDocument},
  };
  static_assert([] {
    for (size_t i = 0; i < std::size(kSteps); ++i)
      if (kSteps[i].step != static_cast<int>(i)) return false;
    return true;
  }(), "the table is indexed by step number");
  if (workStep_ < 0 || workStep_ >= static_cast<int>(std::size(kSteps))) {
    workStep_ = kStepFinished;
    return;
  }
  // The member is taken before the call: GCC 12's bounds check of an index
  // inside a call through a member pointer reads a stale value.
  StepMember run = kSteps[workStep_].run;
  Next next = (this->*run)();
  bool moved = next.step != workStep_;
  workStep_ = next.step;
  if (moved && next.logged) trace_.Log(1, "- workStep(%d)\n", workStep_);
}

Next WorkTask::Prepare() {
  if (!PrepareOutput(settings_, trace_)) return GoTo(kStepFinish);
  selections_.LoadIgnoreTitles();
  companies_.LoadCompanyStore(trace_, refetchCompanies_);
  schedules_.LoadMonthlyList(trace_);
  WriteStyleSheetIfMissing(settings_.output);
  WriteSiteIconIfMissing(settings_.output);
  FindSelections(selections_, trace_, settings_, status_);
  downloader_.Open();
  // The sites are asked at a pace they tolerate (the option's pause between
  // two requests to one host).
  downloader_.SetMinInterval(settings_.requestIntervalMs);
  if (!settings_.webPortfolio) return GoTo(kStepBeginDays);
  trace_.ShowProgress(kProgressWebPortfolio);
  return GoTo(kStepWebPortfolio);
}

Next WorkTask::WebPortfolio() {
  ReadWebPortfolio(selections_, downloader_, trace_, settings_, status_);
  return GoTo(kStepBeginDays);
}

Next WorkTask::BeginDays() { return BeginDownloads(cursor_, trace_); }

Next WorkTask::DownloadPage() { return DownloadListPage(cursor_, rawDay_, downloader_, trace_, settings_); }

Next WorkTask::ExtractPage() { return ExtractListPage(cursor_, rawDay_, companies_, trace_, settings_); }

Next WorkTask::EndOfDay() {
  if (cursor_.NextDownloadDay()) return Then(kStepDownloadPage);
  schedules_.DecideScheduleWork(settings_.displayOptionsChanged);
  if (!schedules_.WorkDue()) return AfterDownloads();
  trace_.ShowProgress(kProgressScheduleCheck);
  return GoTo(kStepSelectSchedules);
}

Next WorkTask::SelectSchedules() {
  bool any = schedules_.SelectScheduleDownloads(selections_, companies_, trace_);
  return any ? GoTo(kStepFetchSchedule) : AfterDownloads();
}

Next WorkTask::FetchSchedule() {
  if (schedules_.FetchNextSchedule(companies_, downloader_, trace_) == Turn::kDone) return AfterDownloads();
  return Then(kStepFetchSchedule);
}

Next WorkTask::AfterDownloads() {
  if (!documents_.On(selections_)) return GoTo(kStepBeginConversion);
  return GoTo(kStepSelectDocuments);
}

Next WorkTask::SelectDocuments() {
  if (!documents_.Select(selections_, cursor_.endDate, trace_)) return GoTo(kStepBeginConversion);
  trace_.ShowProgress(kProgressDocuments, 0, static_cast<int>(documents_.Wanted()));
  return GoTo(kStepFetchDocument);
}

Next WorkTask::FetchDocument() {
  if (documents_.FetchNext(downloader_, trace_) == Turn::kMore) return Then(kStepFetchDocument);
  documents_.LinkCompanyPages();
  return GoTo(kStepBeginConversion);
}

Next WorkTask::BeginConversion() { return ::BeginConversion(cursor_, status_, settings_); }

Next WorkTask::ConvertDay() {
  ConvertRawDay(cursor_, selections_, companies_, schedules_, trace_, settings_, status_);
  if (cursor_.ConversionDone()) return GoTo(kStepSaveSchedules);
  cursor_.NextConversionDay();
  return Then(kStepConvertDay);
}

Next WorkTask::SaveSchedules() {
  schedules_.SaveScheduleStore(trace_);
  if (!companies_.NamesLoaded() || companies_.RequestedCount() == 0) return GoTo(kStepSaveCompanies);
  companies_.BeginFetching();
  return GoTo(kStepFetchCompany);
}

Next WorkTask::FetchCompany() {
  if (companies_.FetchNextCompany(downloader_, trace_) == Turn::kDone) return GoTo(kStepSaveCompanies);
  return Then(kStepFetchCompany);
}

Next WorkTask::SaveCompanies() {
  downloader_.Close();
  companies_.SaveCompanyStore(trace_);
  WriteLinkImagesIfMissing(settings_.output, settings_.pages.cells);
  trace_.ShowProgress(kProgressPortPage);
  return GoTo(kStepPortPage);
}

Next WorkTask::MakePage() {
  static const PageStep kPages[] = {
      {View::kPort, false, "ポーフォリオ - Velkora", true, kProgressXlsPage, kStepXlsPage, nullptr},
      {View::kXls, false, "xls確認 - Velkora", false, kProgressAllPage, kStepAllPage, nullptr},
      {View::kAll, false, "全て - Velkora", false, 0, kStepFinish, &WorkTask::AfterSummaryPages},
      {View::kPort, true, "ポートフォリオ(決算スケジュール) - Velkora", false, kProgressXlsSchedulePage,
       kStepXlsSchedulePage, nullptr},
      {View::kXls, true, "xls確認(決算スケジュール) - Velkora", false, kProgressAllSchedulePage,
       kStepAllSchedulePage, nullptr},
      {View::kAll, true, "全て(決算スケジュール) - Velkora", false, 0, kStepFinish, &WorkTask::AfterSchedulePages},
  };
  const PageStep& page = kPages[workStep_ - kStepPortPage];
  if (page.keywordsFirst) selections_.LoadHighlightKeywords(trace_);
  trace_.Log(2, "make %s%s.html\n", ViewName(page.view), page.schedule ? "Sche" : "");
  if (page.schedule) {
    if (schedules_.Views().Has(page.view))
      MakeSchedulePage(page.view, page.title, settings_, schedules_, companies_, selections_);
  } else if (WantsSummaryPage(page.view)) {
    // Rows that earlier runs put on the page lack what this run learnt of
    // companies whose names were still wanted: the page is made anew.
    bool rebuild = settings_.displayOptionsChanged || companies_.LearntPending();
    MakeSummaryPage(page.view, page.title, cursor_.endDate, rebuild, settings_, companies_, selections_);
  }
  if (page.after) return (this->*page.after)();
  trace_.ShowProgress(page.nextProgress);
  return GoTo(page.next);
}

bool WorkTask::WantsSummaryPage(View view) const {
  switch (view) {
    case View::kPort: return settings_.htmlPort && selections_.HasPortfolio();
    case View::kXls: return settings_.htmlXls;
    case View::kAll: return settings_.htmlAll;
  }
  return false;
}

Next WorkTask::AfterSummaryPages() {
  status_.SetDisplayStatus(settings_.pages);
  if (schedules_.Views().Empty()) return GoTo(kStepFinish);
  // The schedule table, and the announcements of the stored days of the
  // period. The schedule pages are made at every run that wants them: what
  // they show (names, markets, company pages, announcements) may have changed
  // whether or not the schedules did.
  if (!schedules_.Loaded()) schedules_.LoadScheduleStore();
  schedules_.ClearAnnouncedRows();
  CollectAnnouncements(schedules_, selections_, settings_.output, settings_.periodStart, cursor_.endDate);
  trace_.ShowProgress(kProgressPortSchedulePage);
  return GoTo(kStepPortSchedulePage);
}

Next WorkTask::AfterSchedulePages() {
  status_.SetLastSchedulePages(TodayDate());
  return GoTo(kStepFinish);
}

// A run that could not fetch every name or schedule it wanted says how many
// are left for the next run (an error).
Next WorkTask::Finish() {
  uint32_t names = companies_.PendingNames(), dates = schedules_.Pending();
  if (names != 0 || dates != 0) {
    trace_.Log(1, "pending names(%u) schedules(%u)\n", names, dates);
    ReportError("取得できなかった会社名 %u 件と決算スケジュール %u 件は、次回の実行で取得します", names, dates);
  }
  bool archived = documents_.On(selections_) && settings_.output.Exists();
  schedules_.Release();
  selections_.Release();
  companies_.Release();
  trace_.ShowProgress(kProgressIdle);
  if (archived) {
    std::string summary = documents_.SummaryText();
    trace_.Log(1, "%s\n", summary.c_str());
    trace_.Observer().RunSummary(summary);
  }
  trace_.Log(1, "----- finish -----\n");
  return Then(kStepFinished);
}
