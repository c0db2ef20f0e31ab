// The step functions of a run. Each takes the parts of the task it works on
// (the whole task where it needs several) and returns what happened; the
// driver, WorkTask::RunStep, decides the next step from that.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "pages/page_inputs.h"

class HttpDownloader;
class MarkupElement;
class RawDay;
class RunSelections;
class RunTrace;
class ScheduleStore;
class WorkTask;
struct RunCursor;

// TDnet list download and extraction (steps 3 and 4).
std::string TdnetListPageName(int page, uint32_t date);
// What step 3 did with the current day and page.
enum class PageFetch { kSkipDay, kDownloaded };
// Step 3: the skip test of a day's first page, or one download into
// task.rawDay.pageText.
PageFetch DownloadListPage(WorkTask& task);
// What step 4 found at the end of a page.
enum class PageEnd { kAnotherPage, kDayFinished };
// Step 4: the rows of the downloaded page into the raw day file; at the day's
// last page the file is finished (and task.cursor.page has moved on either way).
PageEnd ExtractListPage(WorkTask& task);
// The market group of a place cell; may update the ticker's stored market byte
// (`marketByte`, null without a profile).
uint8_t MarketFromPlace(const char* place, uint8_t* marketByte);

// Raw store and views (step 9): converts the day task.cursor.curDate.
void ConvertRawDay(WorkTask& task);

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
void CollectAnnouncements(ScheduleStore& schedules, const RunSelections& selections, uint32_t firstDay,
                          uint32_t lastDay);

// Portfolio sources (steps 0 and 1).
void ScanXlsDirectory(RunSelections& selections, RunTrace& trace);
void ReadWebPortfolio(RunSelections& selections, HttpDownloader& downloader, RunTrace& trace);

// Company pages (steps 0 and 9).
// Marks the companies whose page exists in "Indiv".
void ScanIndivPages(RunSelections& selections);
// Moves every row of the day's table to its company's page (only the
// companies `wanted` accepts, when given; the other rows leave the table too).
// A page set aside as unreadable is made again with the company's raw days
// from `periodStart` on. False when a page could not be written.
bool AddDayToIndivPages(MarkupElement& table, uint32_t date, uint32_t periodStart,
                        const std::function<bool(int)>& wanted = {});
// Whether the text of a raw day names a company whose page was missing at the
// start of the run (read without parsing).
bool RawDayNamesPageMissingAtStart(std::string_view rawText, const RunSelections& selections);

// Pages made at the end of a run (steps 13 to 18). Each gathers what the page
// builders of pages/ read and lends it to them read-only.
void MakeSummaryPage(const WorkTask& task, PageView view, const char* viewName, const char* title);
void MakeSchedulePage(const WorkTask& task, PageView view, const char* fileName, const char* title);
