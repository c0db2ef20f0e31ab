// The operations the work task's steps call, one unit per stage of the run.
// Each takes the task, does one step's (or one turn's) work, and where the step
// table says so moves task.workStep itself.
#pragma once

#include <cstdint>
#include <string>

class MarkupDocument;
class MarkupElement;
class WorkTask;

// TDnet list download and extraction (steps 3 and 4).
std::string TdnetListPageName(int page, uint32_t date);
void DownloadListPage(WorkTask& task);  // step 3: skip test or one download
void ExtractListPage(WorkTask& task);   // step 4: rows of one page into the raw day file
// The market group of a place cell; may update the ticker's stored market byte.
uint8_t MarketFromPlace(const char* place, int ticker, uint8_t* companyProfile);
// Discards a raw day file that was not completed (cancel, failed page).
void DiscardPartialRawDay(WorkTask& task);

// Raw store and views (step 9).
void ConvertRawDay(WorkTask& task);

// Portfolio sources (steps 0 and 1).
void ScanXlsDirectory(WorkTask& task);
void ReadWebPortfolio(WorkTask& task);

// Individual company pages.
void ScanIndivPages(WorkTask& task);
void AddDayToIndivPages(WorkTask& task, MarkupElement& table, uint32_t date);

// Company name and profile store.
void LoadCompanyStore(WorkTask& task);
void RequestName(WorkTask& task, int ticker);
void FetchNextCompany(WorkTask& task);
void SaveCompanyStore(WorkTask& task);

// Earnings schedules.
void LoadMonthlyList(WorkTask& task);
void LoadScheduleStore(WorkTask& task);
void DecideScheduleWork(WorkTask& task);
void SelectScheduleDownloads(WorkTask& task);
void FetchNextSchedule(WorkTask& task);
void SaveScheduleStore(WorkTask& task);

// Pages built at the end of a run.
void BuildSummaryPage(WorkTask& task, const char* fileName, const char* title);
void BuildSchedulePage(WorkTask& task, const char* fileName, const char* title);
void WriteLinkImagesIfMissing(WorkTask& task);
