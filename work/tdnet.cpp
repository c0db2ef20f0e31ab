// Steps 3 and 4: download every TDnet list page of a day and copy each
// disclosure row, normalised, into the day's raw file (see work/raw_day.h for
// how an incomplete day is kept out of the store).
#include <memory>

#include "markup/text.h"
#include "pages/output.h"
#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/row_extract.h"
#include "work/steps.h"
#include "work/worktask.h"

namespace {

// A page is read in pieces of this size, whole up to the limit; a larger page
// fails.
constexpr int kPageBufferSize = 204800;
constexpr size_t kMaxPageBytes = 8u << 20;

std::string TdnetBaseUrl() { return Options().Text(OptionKey::TdnetBaseUrl); }

// A past day whose raw file was last written after the day itself is complete.
bool RawDayIsComplete(uint32_t date) {
  FileEntry raw(DayFilePath("Raw", date).c_str());
  LocalTime written;
  return raw.ExistsPath() && raw.LastWriteTime(written) && date < written.Date();
}

// Reads the open response whole into `body`; returns why the page failed, or
// nothing. (When the open failed, the read fails and reports as well.)
std::string ReadWholePage(HttpDownloader& downloader, bool opened, std::string& body) {
  std::unique_ptr<char[]> piece(new char[kPageBufferSize]);
  while (true) {
    bool read = downloader.Read(piece.get(), kPageBufferSize);
    body.append(piece.get(), static_cast<size_t>(downloader.Total()));
    if (!opened) return "応答がありません";
    if (!read) return "受信が途中で切れました";
    if (body.size() > kMaxPageBytes) {
      ReportError("html サイズがバッファより大きい");
      return "ページが大きすぎます";
    }
    if (downloader.Total() < kPageBufferSize) return "";
  }
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
int ExtractRows(RawDay& day, CompanyStore& companies, RunTrace& trace) {
  ListRowContext context;
  context.baseUrl = TdnetBaseUrl();
  context.marketByte = [&companies](int ticker) { return companies.MarketByte(ticker); };
  context.readAsText = [&trace] { trace.Log(2, "analyze by manualy\n"); };
  RawDayOutput out(day);
  return ExtractListRows(day.pageText, context, out);
}

}  // namespace

std::string TdnetListPageName(int page, uint32_t date) { return FormatString("I_list_%03d_%d.html", page, date); }

PageFetch DownloadListPage(WorkTask& task) {
  RunCursor& cursor = task.cursor;
  RawDay& day = task.rawDay;
  if (cursor.page == 1 && RawDayIsComplete(cursor.curDate)) return PageFetch::kSkipDay;
  task.trace.ShowProgress(static_cast<int>(cursor.curDate), cursor.page);
  std::string url = TdnetBaseUrl() + TdnetListPageName(cursor.page, cursor.curDate);
  bool opened = task.downloader.OpenUrl(url.c_str());
  task.trace.Log(2, "download TDNet html(%d, %d)\n", cursor.curDate, cursor.page);
  std::string body;
  std::string failure = ReadWholePage(task.downloader, opened, body);
  int status = task.downloader.Status();
  task.downloader.CloseUrl();
  day.pageText.clear();
  if (failure.empty() && status >= 400 && (status != 404 || cursor.page > 1))
    failure = FormatString("HTTP %d", status);
  if (failure.empty() && status != 404) {
    // A 404 of a day's first page is a day without a list; anything else must
    // be a list page.
    day.pageText = DownloadedPageToShiftJis(body.c_str());
    if (!IsListPage(day.pageText, cursor.page)) failure = "一覧のページではありません";
    if (cursor.page == 1) day.ExpectRows(StatedTotal(day.pageText));
  }
  if (!failure.empty()) {
    day.Fail(failure);
    day.pageText.clear();
  }
  return PageFetch::kDownloaded;
}

PageEnd ExtractListPage(WorkTask& task) {
  RunCursor& cursor = task.cursor;
  RawDay& day = task.rawDay;
  std::string rawDirectory = EnsureOutputSubdir("Raw");
  if (!day.Writing()) day.Begin(rawDirectory, cursor.curDate);
  task.trace.Log(2, "analyze TDNet html\n");
  day.CountRows(ExtractRows(day, task.companies, task.trace));
  cursor.page += 1;
  bool another = !day.Failed() && day.pageText.find(TdnetListPageName(cursor.page, cursor.curDate)) != std::string::npos;
  day.pageText.clear();
  if (another) return PageEnd::kAnotherPage;
  day.CheckRowCount();
  // What the day's rows taught the profile is on disk before the day counts as
  // complete: a complete day is never downloaded again.
  task.companies.MarkProfileDirty();
  task.companies.SaveChanges();
  std::string failure;
  if (!day.Finish(rawDirectory + FormatString("%u.html", cursor.curDate), failure)) {
    cursor.MarkIncomplete(cursor.curDate);
    if (!DownloadsAborted()) ReportError("%u の一覧のダウンロードに失敗 (%s)", cursor.curDate, failure.c_str());
  }
  return PageEnd::kDayFinished;
}
