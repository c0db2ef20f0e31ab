// The schedule store: per ticker the expected date of the next earnings
// announcement and the last four ("_schedule.dat"), the user's monthly list
// ("_monthly.txt"), and what this run decided to download and rebuild.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "markup/tree.h"
#include "settings/tickers.h"
#include "work/turn.h"

class CompanyStore;
class HttpDownloader;
class RunSelections;
class RunTrace;

// An earnings-report or monthly-report row seen while converting a day.
struct ReportedRow {
  int ticker = 0;
  std::unique_ptr<MarkupElement> titleCell;
};

class ScheduleStore {
 public:
  // `refetch`: 0 normal, 1 re-fetch all but vacant numbers, 2 re-fetch all.
  explicit ScheduleStore(uint8_t refetch) : refetch_(refetch) {}

  // Step 0: reads "_monthly.txt" when it exists.
  void LoadMonthlyList(RunTrace& trace);
  // End of step 5: whether downloads are due, which pages to build, whether
  // they must be rebuilt.
  void Decide(bool displayOptionsChanged);
  // Reads "_schedule.dat" (on first need).
  void Load();
  bool Loaded() const { return table_ != nullptr; }
  // Step 6: picks the tickers to download; true when there is one.
  bool SelectDownloads(const RunSelections& selections, CompanyStore& companies, RunTrace& trace);
  // Step 7, one turn: downloads the report page of the next picked ticker.
  Turn FetchNext(CompanyStore& companies, HttpDownloader& downloader, RunTrace& trace);
  // Step 10: writes "_schedule.dat" when it is loaded.
  void Save(RunTrace& trace);

  // Schedule pages to build (bits 1 Port, 2 Xls, 4 All), whether downloads are
  // due, and whether the pages must be rebuilt.
  uint8_t Views() const { return views_; }
  bool FetchDue() const { return fetch_; }
  bool PagesNeeded() const { return pagesNeeded_; }
  // Whether steps 6 and 7 run: pages to build and downloads due or pages to
  // rebuild.
  bool WorkDue() const { return views_ != 0 && (fetch_ || pagesNeeded_); }

  // Rows of the day's disclosures that announced results or monthly figures.
  std::vector<ReportedRow>& ReportedRows() { return reported_; }
  std::vector<ReportedRow>& MonthlyReportedRows() { return monthlyReported_; }

  // Frees the tables and lists of the run.
  void Release();

 private:
  uint8_t refetch_ = 0;
  uint8_t views_ = 0;
  bool fetch_ = false;
  bool pagesNeeded_ = false;
  std::unique_ptr<uint8_t[]> table_;  // 9000 slots of 40 bytes when loaded
  std::unique_ptr<TickerBits> request_;
  int fetchCursor_ = 0;
  uint32_t toFetch_ = 0;
  uint32_t fetched_ = 0;
  std::vector<ReportedRow> reported_;
  std::vector<ReportedRow> monthlyReported_;
  std::vector<std::string> monthly_;
};
