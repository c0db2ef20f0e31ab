// Steps 3 and 4: download every TDnet list page of a day and copy each
// disclosure row, normalised, into the day's raw file (see work/raw_day.h for
// how an incomplete day is kept out of the store).
#include <cstring>
#include <memory>

#include "markup/text.h"
#include "markup/tree.h"
#include "pages/output.h"
#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/sjis.h"
#include "settings/markets.h"
#include "settings/options.h"
#include "pages/page_parser.h"
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

std::string FirstTextOf(const MarkupElement* element) {
  const MarkupText* text = element ? element->FirstText() : nullptr;
  return text ? std::string(text->text()) : std::string();
}

// The child elements of the first row of a parsed row fragment, or false when
// the fragment has no row or fewer than the four cells read by position (time,
// code, name, title), which then goes through the text method.
bool RowCells(const MarkupDocument& document, std::vector<const MarkupElement*>& cells) {
  const MarkupElement* row = nullptr;
  for (const MarkupElement* child : document.children())
    if (child->name() == "tr") { row = child; break; }
  if (!row || row->children().size() < 4) return false;
  for (const MarkupElement* cell : row->children()) cells.push_back(cell);
  return true;
}

void WriteRowFromTree(RawDay& day, CompanyStore& companies, const std::vector<const MarkupElement*>& cells) {
  const MarkupElement* timeCell = cells[0];
  const MarkupText* code = cells[1]->FirstText();
  int ticker = (code ? code->IntValue() : 0) / 10;
  if (ticker < 1000) return;
  // A code of 10000..10009 gives ticker 1000: written, but it has no profile record.
  uint8_t* marketByte = companies.MarketByte(ticker);
  const MarkupElement* place = cells[cells.size() - 2];
  uint8_t market = place->FirstText() ? MarketFromPlace(std::string(place->FirstText()->text()).c_str(), marketByte) : 0;
  std::string name = FirstTextOf(cells[2]);
  if (market == 0x10 && marketByte && name.compare(0, 4, "\x82\x6F\x81\x7C") == 0) *marketByte = 0x15;
  day.WriteHeaderOnce();
  BufferedFileWriter& out = day.Writer();
  // The hours, the colon and the minutes of a time are three pieces.
  const auto& timeTexts = timeCell->texts();
  std::string hours = timeTexts.size() > 0 ? std::string(timeTexts[0]->text()) : "";
  std::string minutes = timeTexts.size() > 2 ? std::string(timeTexts[2]->text()) : "";
  out.Printf(
      "<tr><td id=\"time\">%s%s</td><td id=\"ticker\">%04d</td><td id=\"coname\">%s</td><td id=\"market\">%s</td><td "
      "id=\"title\">",
      hours.c_str(), minutes.c_str(), ticker, name.c_str(), MarketName(market));
  const MarkupElement* titleCell = cells[3];
  const MarkupElement* link = titleCell->children().empty() ? nullptr : titleCell->children().front();
  const MarkupAttribute* href = link ? link->FindAttribute("href") : nullptr;
  if (href) out.Printf("<a href=\"%s%s\" target=\"_blank\">", TdnetBaseUrl().c_str(), href->c_str());
  for (const MarkupText* text : (link ? link : titleCell)->texts()) out.Write(text->text().data(), text->text().size());
  if (href) out.WriteText("</a>");
  out.WriteText("</td></tr>\n");
}

// Reads a row that did not parse straight from its text.
void WriteRowFromText(RawDay& day, RunTrace& trace, const std::string& row) {
  trace.Log(2, "analyze by manualy\n");
  day.WriteHeaderOnce();
  std::string copy;
  for (char c : row)
    if (c != '\n' && c != '\r' && c != ':' && c != ' ' && c != '\t') copy += c;
  int time = 0, ticker = 0, items = 0;
  std::string name, title;
  for (size_t at = copy.find('>'); at != std::string::npos && items < 2; at = copy.find('>', at)) {
    ++at;
    if (at >= copy.size() || copy[at] == '<') continue;
    if (copy[at] >= '0' && copy[at] <= '9') {
      const char* cursor = copy.c_str() + at;
      NumberSlot number;
      int kind = ReadNumber(cursor, &number);
      int value = kind == kIntegerNumber ? number.integer : kind == kRealNumber ? static_cast<int>(number.real) : 0;
      if (value > 9999) ticker = value / 10; else time = value;
      at = static_cast<size_t>(cursor - copy.c_str());
      continue;
    }
    size_t end = copy.find('<', at);
    std::string item = copy.substr(at, end == std::string::npos ? std::string::npos : end - at);
    (items++ == 0 ? name : title) = item;
    if (end == std::string::npos) break;
    at = end;
  }
  std::string link;
  if (size_t href = copy.find("href"); href != std::string::npos && href + 6 <= copy.size()) {
    size_t end = copy.find('"', href + 6);
    link = copy.substr(href + 6, end == std::string::npos ? std::string::npos : end - (href + 6));
  }
  day.Writer().Printf(
      "<tr><td id=\"time\">%04d</td><td id=\"ticker\">%04d</td><td id=\"coname\">%s</td><td id=\"market\">%s</td><td "
      "id=\"title\"><a href=\"%s%s\" target=\"_blank\">%s</a></td></tr>\n",
      time, ticker, name.c_str(), MarketName(0), TdnetBaseUrl().c_str(), link.c_str(), title.c_str());
}

void ExtractRow(RawDay& day, CompanyStore& companies, RunTrace& trace, const std::string& row) {
  PageParser parser;
  parser.quiet = true;
  std::string copy = row;
  std::unique_ptr<MarkupDocument> document = parser.Parse(std::move(copy));
  std::vector<const MarkupElement*> cells;
  if (document && RowCells(*document, cells))
    WriteRowFromTree(day, companies, cells);
  else
    WriteRowFromText(day, trace, row);
}

// Every row holding a time mark (two digits, a colon, two digits); returns how
// many rows were found, kept or dropped.
int ExtractRows(RawDay& day, CompanyStore& companies, RunTrace& trace) {
  const std::string& text = day.pageText;
  size_t from = 0;
  size_t extracted = 0;  // end of the last row taken
  int rows = 0;
  while (true) {
    size_t colon = text.find(':', from);
    if (colon == std::string::npos) return rows;
    from = colon + 1;
    if (colon < 2 || colon + 2 >= text.size() || !IsAsciiDigit(text[colon - 2]) || !IsAsciiDigit(text[colon - 1]) ||
        !IsAsciiDigit(text[colon + 1]) || !IsAsciiDigit(text[colon + 2]))
      continue;
    // A time outside any row (a page header's clock, say) must not swallow the
    // next row or repeat the last one.
    size_t start = text.rfind("<tr", colon);
    if (start == std::string::npos || start < extracted) continue;
    size_t end = text.find("</tr>", colon);
    if (end == std::string::npos) return rows;
    end += 5;
    ExtractRow(day, companies, trace, text.substr(start, end - start));
    ++rows;
    from = extracted = end;
  }
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
    ConvertUtf8ToShiftJis(body.c_str(), day.pageText);
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

uint8_t MarketFromPlace(const char* place, uint8_t* stored) {
  bool tokyo = false, nagoya = false, fukuoka = false, sapporo = false;
  for (const char* p = place; p[0] && p[1]; p += 2) {
    if (p[0] == 'G' && p[1] == 'R') {
      if (stored) *stored = 0x50;
      return 0x50;
    }
    if (std::strncmp(p, "東", 2) == 0) tokyo = true;
    else if (std::strncmp(p, "名", 2) == 0) nagoya = true;
    else if (std::strncmp(p, "福", 2) == 0) fukuoka = true;
    else if (std::strncmp(p, "札", 2) == 0) sapporo = true;
    else break;
  }
  if (stored) {
    uint8_t group = *stored & 0xF0;
    if ((group == 0x20 && nagoya) || (group == 0x30 && fukuoka) || (group == 0x40 && sapporo) || (group == 0x10 && tokyo))
      return group;
    if ((group == 0x20 || group == 0x30 || group == 0x40) && tokyo) {
      *stored = 0;
      return 0x10;
    }
  }
  if (tokyo) return 0x10;
  if (nagoya) return 0x20;
  if (fukuoka) return 0x30;
  if (sapporo) return 0x40;
  return 0;
}
