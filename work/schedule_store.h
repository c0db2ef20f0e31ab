// The schedule store: per ticker the expected date of the next earnings
// announcement and the last four ("_schedule.dat", 9000 slots of 5 entries of
// 8 bytes; those of the alphanumeric codes in "_schedule_alnum.txt"), the
// user's monthly list ("_monthly.txt"), what this run decided to
// download and rebuild, and the announcements seen in the converted days.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pages/page_inputs.h"
#include "pages/views.h"
#include "settings/tickers.h"
#include "work/site_pages.h"
#include "work/turn.h"

class CompanyStore;
class HttpDownloader;
class RunSelections;
class RunStatus;
class RunTrace;
struct RunSettings;

// What a report page says of a company's next announcement, applied to its
// entry 0 with `today` (yyyymmdd) and the re-check span of vacant numbers: a
// company's page ("stock_name") updates the entry; a page of the site (its
// name in the title) without a company is a vacant code; "403 Forbidden" is
// the site refusing the client; any other page (a block page, a captcha) is no
// report page and leaves the entry as it was.
enum class ReportOutcome { kUpdated, kVacant, kRefused, kNotAReportPage };
ReportOutcome ReadReportPage(std::string_view page, uint32_t today, int recheckEmptyDays, ScheduleEntry& entry);

// The monthly list: the top-level elements of the text that carry `ticker`
// and `date` (the day of the month), each dated this month or, when the day has
// passed, the next, and moved off a weekend. Elements that do not read are left
// out.
std::vector<MonthlyEntry> ReadMonthlyList(const std::string& text, uint32_t today);

class ScheduleStore {
 public:
  // `refetch`: 0 normal, 1 re-fetch all but vacant numbers, 2 re-fetch all.
  // `settings` and `status` outlive the store; LastStSche and the file's
  // version key are written through `status`.
  ScheduleStore(uint8_t refetch, const RunSettings& settings, RunStatus& status)
      : refetch_(refetch), settings_(settings), status_(status) {}
  ScheduleStore(const ScheduleStore&) = delete;
  ScheduleStore& operator=(const ScheduleStore&) = delete;

  // Step 0: reads "_monthly.txt" when it exists.
  void LoadMonthlyList(RunTrace& trace);
  // End of step 5: whether downloads are due, which pages to build, whether
  // they must be rebuilt.
  void DecideScheduleWork(bool displayOptionsChanged);
  // Reads "_schedule.dat" (on first need): a file of another version is not
  // read, a short one leaves the rest empty.
  void LoadScheduleStore();
  bool Loaded() const { return !slots_.empty(); }
  // Step 6: picks the tickers to download; true when there is one.
  bool SelectScheduleDownloads(const RunSelections& selections, CompanyStore& companies, RunTrace& trace);
  // Step 7, one turn: downloads the report page of the next picked ticker.
  // Only a report page (or the page of a vacant code) answered with 200
  // counts; anything else leaves the entry as it was, to be asked again. Once
  // the site refuses or keeps failing (SiteGate) the rest keep their entries.
  Turn FetchNextSchedule(CompanyStore& companies, HttpDownloader& downloader, RunTrace& trace);
  // Picked tickers whose page could not be had in this run.
  uint32_t Pending() const { return pending_; }
  // Step 10: writes "_schedule.dat" when it is loaded, and LastStSche when
  // downloads were due and every one of them was made (a failed or refused
  // page leaves them due for the next run).
  void SaveScheduleStore(RunTrace& trace);
  // The same without the log line and the status key, whenever what a day
  // taught the store must reach the disk before the day's views do.
  void SaveChanges();

  // An earnings report of a company on a converted day `date`: when it can be
  // the announcement of its entry 0 (the entry's date is after date - 30 days,
  // or vague) the entry takes the time, and a vague one the date as exact.
  void RecordAnnouncement(Code code, int time, uint32_t date);
  // An announcement row of a stored day for the schedule pages, handed over
  // newest day first: the first earnings report (kind 1) of a company that can
  // be its entry 0's announcement, and the first monthly figures (kind 2) of a
  // company of the monthly list within the last 15 days, whose entry takes the
  // time. Later rows of the same company and kind are passed over.
  void AddAnnouncedRow(int kind, Code code, int time, uint32_t date, const MarkupElement& titleCell);
  // Forgets the rows of AddAnnouncedRow (and the monthly times they gave).
  void ClearAnnouncedRows();

  // Schedule pages to build, whether downloads are due, and whether the
  // entries must be looked at again (steps 6 and 7).
  ViewSet Views() const { return views_; }
  bool FetchDue() const { return fetch_; }
  bool PagesNeeded() const { return pagesNeeded_; }
  // Whether steps 6 and 7 run: pages to build and downloads due or pages to
  // rebuild.
  bool WorkDue() const { return !views_.Empty() && (fetch_ || pagesNeeded_); }

  // What the schedule pages read.
  // The slots of the numeric codes (9000), then those of the alphanumeric
  // codes in SlotCodes().
  const std::vector<ScheduleSlot>& Slots() const { return slots_; }
  const std::vector<Code>& SlotCodes() const { return slotCodes_; }
  const std::vector<MonthlyEntry>& Monthly() const { return monthly_; }
  const std::vector<AnnouncedRow>& ReportedRows() const { return reported_; }
  const std::vector<AnnouncedRow>& MonthlyReportedRows() const { return monthlyReported_; }

  // Frees the tables and lists of the run.
  void Release();

 private:
  // The slot index of a code: its table index, or the slot of an alphanumeric
  // code (made when `make`); nothing for a code without one.
  std::optional<size_t> SlotOf(Code code, bool make);
  // The code of a slot index.
  Code CodeOfSlot(size_t index) const;
  // Reads "_schedule_alnum.txt" into slots of their own.
  void ReadAlphanumericSlots(const std::string& text);
  std::string AlphanumericSlotsText() const;
  ScheduleEntry* EntryOf(Code code);
  // Step 6 for one code: rotates an announced entry, marks an ETF, and
  // requests the page when the entry is due.
  void ConsiderDownload(Code ticker, const RunSelections& selections, CompanyStore& companies);
  // A picked ticker whose page could not be had: counted as pending, and in a
  // re-fetch its entry 0 is what the file held.
  void KeepPrevious(size_t index);
  // Moves a slot's entries one place down and guesses the next announcement.
  void Rotate(ScheduleSlot& slot);

  uint8_t refetch_ = 0;
  const RunSettings& settings_;
  RunStatus& status_;
  ViewSet views_;
  bool fetch_ = false;
  bool pagesNeeded_ = false;
  bool dirty_ = false;  // changed since the last write
  bool downloadsMade_ = false;  // the due downloads were made, every one of them
  uint32_t failed_ = 0;         // downloads of this run that failed
  std::vector<ScheduleSlot> slots_;  // 9000 and the alphanumeric codes' when loaded
  std::vector<Code> slotCodes_;      // the alphanumeric codes of the slots after the 9000
  std::map<Code, size_t> alnumSlots_;  // their slot indexes
  bool alnumOnDisk_ = false;  // "_schedule_alnum.txt" existed at the start
  std::vector<Code> alnumRequests_;  // the alphanumeric codes to fetch, in order
  std::vector<ScheduleEntry> previousNext_;  // in a re-fetch: entry 0 as the file held it
  TickerBits request_;
  int fetchCursor_ = 0;
  uint32_t toFetch_ = 0;
  uint32_t fetched_ = 0;
  uint32_t pending_ = 0;
  SiteGate reportSite_{"決算スケジュール"};
  std::vector<AnnouncedRow> reported_;
  std::vector<AnnouncedRow> monthlyReported_;
  std::vector<MonthlyEntry> monthly_;
};
