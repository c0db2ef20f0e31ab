// Steps 2 to 4: download every TDnet list page of a day and copy each
// disclosure row, normalised, into the day's raw file (see work/raw_day.h for
// how an incomplete day is kept out of the store).
#include <algorithm>
#include <cstring>

#include "markup/text.h"
#include "pages/output.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/http.h"
#include "work/company_store.h"
#include "work/fetch_page.h"
#include "work/raw_day.h"
#include "work/row_extract.h"
#include "work/run_cursor.h"
#include "work/run_settings.h"
#include "work/run_trace.h"
#include "work/steps.h"

namespace {

// A past day whose raw file was last written after the day itself is complete.
bool RawDayIsComplete(const OutputDir& output, uint32_t date) {
  FileEntry raw(output.DayFile(kRawDir, date).c_str());
  LocalTime written;
  return raw.ExistsPath() && raw.LastWriteTime(written) && date < written.Date();
}

// A list page carries "kaiji-text-1". On a day with disclosures it also has the
// table "main-list-table" and the count cell "kaijiSum"; on a day without, its
// text says there is nothing (and there is only page 1). Anything else (a
// maintenance page, an error page, a cut or empty answer) is not a list page.
bool IsListPage(const std::string& text, int page) {
  if (text.find("kaiji-text-1") == std::string::npos) return false;
  if (text.find("main-list-table") != std::string::npos && text.find("kaijiSum") != std::string::npos) return true;
  return page == 1 && text.find("に開示された情報はありません") != std::string::npos;
}

// The day's total N of the count cell ("1～100件&nbsp;/&nbsp;全N件"); 0 when the
// page states none.
int StatedTotal(const std::string& text) {
  size_t cell = text.find("kaijiSum");
  size_t all = cell == std::string::npos ? cell : text.find("全", cell);
  if (all == std::string::npos) return 0;
  const char* cursor = text.c_str() + all + 2;
  NumberSlot number;
  return ReadNumber(cursor, &number) == kIntegerNumber && number.integer > 0 ? number.integer : 0;
}

// Why a fetched list page is no page of the day's list; "" when it is one. A
// 404 of a day's first page is a day without a list.
std::string ListPageFailure(const FetchedPage& fetched, int page) {
  if (!fetched.Arrived()) {
    if (fetched.failure == FetchFailure::kTooLarge) ReportError("html サイズがバッファより大きい");
    return FailureText(fetched.failure);
  }
  if (fetched.status >= 400 && (fetched.status != 404 || page > 1)) return FormatString("HTTP %d", fetched.status);
  if (fetched.status != 404 && !IsListPage(fetched.text, page)) return "一覧のページではありません";
  return "";
}

// Writes the day's header before the first row reaches the raw day file.
class RawDayOutput : public ByteOutput {
 public:
  explicit RawDayOutput(RawDay& day) : day_(day) {}
  void Write(const char* bytes, size_t length) override {
    day_.WriteHeaderOnce();
    day_.Writer().Write(bytes, length);
  }

 private:
  RawDay& day_;
};

// Every row of the page last downloaded into the raw day file; returns how many
// rows were found, kept or dropped.
int ExtractRows(RawDay& day, CompanyStore& companies, RunTrace& trace, const RunSettings& settings) {
  ListRowContext context;
  context.baseUrl = settings.sites.tdnetBase;
  context.marketByte = [&companies](Code code) { return companies.MarketByte(code); };
  context.readAsText = [&trace] { trace.Log(2, "analyze by manualy\n"); };
  context.noCode = [&trace](std::string_view cell) {
    std::string shown;
    for (char c : cell) shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    trace.Log(1, "row dropped: no company code in <%s>\n", shown.c_str());
  };
  RawDayOutput out(day);
  return ExtractListRows(day.pageText, context, out);
}

}  // namespace

std::string TdnetListPageName(int page, uint32_t date) { return FormatString("I_list_%03d_%d.html", page, date); }

Next BeginDownloads(RunCursor& cursor, RunTrace& trace) {
  // The service keeps its lists for about a month and answers 404 for older
  // days, which would be stored as empty days: they are not requested.
  uint32_t oldestServed = AddDays(TodayDate(), -kServedDays);
  bool any = cursor.BeginDownloads(oldestServed);
  trace.Log(1, "- workStep(%d-%d)\n", kStepDownloadPage, kStepEndOfDay);  // once for the whole day loop
  if (cursor.startDate < oldestServed)
    trace.Log(2, "skip old days(%d-%d)\n", cursor.startDate, std::min(cursor.endDate, AddDays(oldestServed, -1)));
  return Then(any ? kStepDownloadPage : kStepEndOfDay);
}

Next DownloadListPage(RunCursor& cursor, RawDay& day, HttpDownloader& downloader, RunTrace& trace,
                      const RunSettings& settings) {
  if (cursor.page == 1 && RawDayIsComplete(settings.output, cursor.curDate)) return Then(kStepEndOfDay);
  trace.ShowProgress(static_cast<int>(cursor.curDate), cursor.page);
  std::string url = settings.sites.tdnetBase + TdnetListPageName(cursor.page, cursor.curDate);
  FetchedPage fetched = FetchPage(downloader, url);
  trace.Log(2, "download TDNet html(%d, %d)\n", cursor.curDate, cursor.page);
  std::string failure = ListPageFailure(fetched, cursor.page);
  day.pageText.clear();
  if (failure.empty() && fetched.status != 404) {
    // A list page is text: its rows are read up to a zero byte.
    day.pageText = std::move(fetched.text);
    day.pageText.resize(std::strlen(day.pageText.c_str()));
    if (cursor.page == 1) day.ExpectRows(StatedTotal(day.pageText));
  }
  if (!failure.empty()) day.Fail(failure);
  return Then(kStepExtractPage);
}

Next ExtractListPage(RunCursor& cursor, RawDay& day, CompanyStore& companies, RunTrace& trace,
                     const RunSettings& settings) {
  settings.output.EnsureSubdir(kRawDir);
  if (!day.Writing()) day.Begin(settings.output.DayFile(kRawDir, cursor.curDate));
  trace.Log(2, "analyze TDNet html\n");
  day.CountRows(ExtractRows(day, companies, trace, settings));
  cursor.page += 1;
  bool another = !day.Failed() && day.pageText.find(TdnetListPageName(cursor.page, cursor.curDate)) != std::string::npos;
  day.pageText.clear();
  if (another) return Then(kStepDownloadPage);
  day.CheckRowCount();
  // What the day's rows taught the profile is on disk before the day counts as
  // complete: a complete day is never downloaded again.
  companies.MarkProfileDirty();
  companies.SaveChanges();
  std::string failure;
  if (!day.Finish(failure)) {
    cursor.MarkIncomplete(cursor.curDate);
    if (!DownloadsAborted()) ReportError("%u の一覧のダウンロードに失敗 (%s)", cursor.curDate, failure.c_str());
  }
  return Then(kStepEndOfDay);
}
