// The steps of a run and the step functions. Each step function takes the
// parts of the run and the settings it works on, never the task, and says
// which step comes next; the task's RunStep only dispatches.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "pages/views.h"
#include "settings/tickers.h"

class CompanyStore;
class HttpDownloader;
class MarkupElement;
class OutputDir;
class RawDay;
class RunSelections;
class RunStatus;
class RunTrace;
class ScheduleStore;
struct RunCursor;
struct RunSettings;

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
  // The document archive, after the days (and the schedules) and before the
  // conversion, so that the day's rows link to the copies at once.
  kStepSelectDocuments = 20,
  kStepFetchDocument = 21,
};

// Days the list service keeps; older days are not requested.
constexpr int kServedDays = 45;

// The step that follows a step, and whether the move is written to the debug
// log as "- workStep(N)" (staying on a step never is).
struct Next {
  int step;
  bool logged;
};
// A move the debug log shows.
constexpr Next GoTo(int step) { return {step, true}; }
// A move it does not show: within the day loop of the downloads.
constexpr Next Then(int step) { return {step, false}; }

// Step 0, the part that may stop the run: the debug log opened with its start
// line, the output directory checked (a missing one is reported: nothing can
// be kept) and cleared of what killed runs left behind. False when the run
// cannot go on.
bool PrepareOutput(const RunSettings& settings, RunTrace& trace);
// Step 0, what the selections find on disk: the companies with a spreadsheet
// file (when a page wants them) and those with a company page (when "Indiv"
// is missing, LastUpdateIndiv goes back to 19000101: every day is added again).
void FindSelections(RunSelections& selections, RunTrace& trace, const RunSettings& settings, RunStatus& status);

// TDnet list download and extraction (steps 2 to 4).
std::string TdnetListPageName(int page, uint32_t date);
// Step 2: the day loop starts at the oldest day the service still has (one
// line "- workStep(3-5)" for the whole loop).
Next BeginDownloads(RunCursor& cursor, RunTrace& trace);
// Step 3: the skip test of a day's first page (to step 5), or one download
// into rawDay.pageText (to step 4).
Next DownloadListPage(RunCursor& cursor, RawDay& rawDay, HttpDownloader& downloader, RunTrace& trace,
                      const RunSettings& settings);
// Step 4: the rows of the downloaded page into the raw day file; another page
// of the day (step 3), or the day's file finished (step 5). The cursor's page
// has moved on either way.
Next ExtractListPage(RunCursor& cursor, RawDay& rawDay, CompanyStore& companies, RunTrace& trace,
                     const RunSettings& settings);

// Step 8: LastDownload when the period ends today, the company pages' directory
// (emptied when they are remade), the conversion loop from PeriodSt.
Next BeginConversion(RunCursor& cursor, RunStatus& status, const RunSettings& settings);
// Step 9: converts the day cursor.curDate into the views and company pages.
void ConvertRawDay(RunCursor& cursor, RunSelections& selections, CompanyStore& companies, ScheduleStore& schedules,
                   RunTrace& trace, const RunSettings& settings, RunStatus& status);

// Announcements in disclosure rows. The kind of a title cell: 1 an earnings
// report ("決算短信"), 2 monthly figures ("月次", "店舗売上高"), 0 neither or a
// correction ("訂正").
int ReportKind(const MarkupElement& titleCell);
// Before the schedule pages: every announcement of the stored raw days from
// `lastDay` (or today, when earlier) back to `firstDay`. The earnings reports
// are recorded in the schedule store oldest day first (the store is saved),
// then every announcement is handed to ScheduleStore::AddAnnouncedRow newest
// day first. Companies of the ignore list are left out when it is in use.
// Reports are recorded here only, from every stored day of the period, never
// as days are converted: the store then does not depend on which run
// converted which day (one whose report page had failed, say).
void CollectAnnouncements(ScheduleStore& schedules, const RunSelections& selections, const OutputDir& output,
                          uint32_t firstDay, uint32_t lastDay);

// Portfolio sources (steps 0 and 1).
void ScanXlsDirectory(RunSelections& selections, RunTrace& trace, const RunSettings& settings);
void ReadWebPortfolio(RunSelections& selections, HttpDownloader& downloader, RunTrace& trace,
                      const RunSettings& settings, RunStatus& status);

// Company pages (steps 0 and 9).
// Marks the companies whose page exists in "Indiv".
void ScanIndivPages(RunSelections& selections, const OutputDir& output);
// Moves every row of the day's table to its company's page (only the
// companies `wanted` accepts, when given; the other rows leave the table too).
// A page set aside as unreadable is made again with the company's raw days
// from `periodStart` on. The pages of the companies `archived` accepts (the
// document archive's) link their titles to the archived copies. False when a
// page could not be written.
bool AddDayToIndivPages(const OutputDir& output, MarkupElement& table, uint32_t date, uint32_t periodStart,
                        const std::function<bool(Code)>& wanted = {},
                        const std::function<bool(Code)>& archived = {});
// Whether the text of a raw day names a company whose page was missing at the
// start of the run (read without parsing).
bool RawDayNamesPageMissingAtStart(std::string_view rawText, const RunSelections& selections);

// Pages made at the end of a run (steps 13 to 18): each gathers what the page
// builders of pages/ read and lends it to them read-only. `rebuild`: the
// summary page is made anew whatever is on disk.
void MakeSummaryPage(View view, const char* title, uint32_t endDate, bool rebuild, const RunSettings& settings,
                     const CompanyStore& companies, const RunSelections& selections);
void MakeSchedulePage(View view, const char* title, const RunSettings& settings, const ScheduleStore& schedules,
                      const CompanyStore& companies, const RunSelections& selections);
