// Step 9: turn one raw day file into the per-day views All, Port and Xls (and
// the individual pages), removing ignored companies, filling gaps in the company
// profile, requesting names and recording earnings and monthly reports.
#include <memory>

#include "markup/tree.h"
#include "pages/frame.h"
#include "pages/output.h"
#include "pages/rows.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/markets.h"
#include "settings/options.h"
#include "pages/page_parser.h"
#include "work/steps.h"
#include "work/worktask.h"

namespace {

enum : int { kViewAll = 1, kViewPort = 2, kViewXls = 4, kViewIndiv = 8 };

bool Flag(OptionKey key) { return Options().Flag(key); }

// Whether a view day file is missing or not newer than the raw day file (at the
// file system's full resolution: a view written in the same second as its raw
// day is newer and stays).
bool ViewIsStale(const char* view, uint32_t date, uint64_t rawWritten) {
  FileEntry file(DayFilePath(view, date).c_str());
  uint64_t written = 0;
  return !file.LastWriteStamp(written) || written <= rawWritten;
}

int ConversionMask(uint32_t date, RunSelections& selections, uint64_t rawWritten) {
  int mask = 0;
  if (Flag(OptionKey::EnableHtmlAll) && ViewIsStale("All", date, rawWritten)) mask |= kViewAll;
  if (Flag(OptionKey::EnableHtmlPort) && selections.HasPortfolio() && ViewIsStale("Port", date, rawWritten))
    mask |= kViewPort;
  if (Flag(OptionKey::EnableHtmlXls) && ViewIsStale("Xls", date, rawWritten)) mask |= kViewXls;
  if (Flag(OptionKey::EnableHtmlTicker)) {
    uint32_t lastUpdate = Options().Date(OptionKey::LastUpdateIndiv);
    if (Flag(OptionKey::TickerRemake) || lastUpdate <= date) {
      mask |= kViewIndiv;
      selections.Indiv();
    }
  }
  return mask;
}

void RemoveIgnoredRows(const RunSelections& selections, MarkupElement& table) {
  if (!Flag(OptionKey::EnableIgnoreList) || !selections.HasIgnoreList()) return;
  std::vector<const MarkupElement*> ignored;
  for (const MarkupElement* row : table.children())
    if (selections.Ignored(RowTicker(*row))) ignored.push_back(row);
  for (const MarkupElement* row : ignored) table.RemoveChild(row);
}

int FirstIntOf(const MarkupElement& row, const char* id) {
  const MarkupElement* cell = row.FindCellById(id, false);
  if (!cell) return 0;
  if (const MarkupElement* link = cell->FindChild("a", false)) {
    if (!cell->FirstText()) cell = link;
  }
  const MarkupText* text = cell->FirstText();
  return text ? text->IntValue() : 0;
}

// 1 earnings report, 2 monthly report, 0 neither (or a correction).
int ReportKind(const MarkupElement& titleCell) {
  const MarkupElement* holder = titleCell.children().empty() ? &titleCell : titleCell.FindChild("a", false);
  if (!holder) holder = &titleCell;
  int kind = 0;
  for (const MarkupText* piece : holder->texts()) {
    std::string text(piece->text());
    if (text.find("訂正") != std::string::npos) return 0;
    if (text.find("決算短信") != std::string::npos) kind = 1;
    if (text.find("月次") != std::string::npos || text.find("店舗売上高") != std::string::npos) kind = 2;
  }
  return kind;
}

// Records the earnings reports and monthly figures of a day that has passed in
// the schedule store.
void RecordReports(uint32_t date, ScheduleStore& schedules, MarkupElement& table) {
  if (date > TodayDate()) return;
  for (const MarkupElement* row : table.children()) {
    const MarkupElement* title = row->FindCellById("title", false);
    if (!title) continue;
    int kind = ReportKind(*title);
    if (kind != 0) schedules.RecordAnnouncement(kind, FirstIntOf(*row, "ticker"), FirstIntOf(*row, "time"), date, *title);
  }
}

// The market of a row from its market cell. A professional-market company
// ("Ｐ－" before its name) listed on Tokyo is 0x15, as the download records it,
// so a day that was not downloaded again (a run killed before the profile was
// saved) gives the same profile.
uint8_t RowMarketCode(const MarkupElement& row) {
  const MarkupElement* marketCell = row.FindCellById("market", false);
  const MarkupText* marketName = marketCell ? marketCell->FirstText() : nullptr;
  uint8_t code = MarketCodeOfName(marketName ? marketName->text() : "");
  const MarkupElement* nameCell = row.FindCellById("coname", false);
  const MarkupText* name = nameCell ? nameCell->FirstText() : nullptr;
  if (code == 0x10 && name && name->text().starts_with("\x82\x6F\x81\x7C")) return 0x15;
  return code;
}

// Fills an unknown market byte from a row. A stored regional exchange that the
// row's Tokyo market contradicts is replaced too: the download did the same
// when it wrote the row, so a day whose download is not repeated (a run killed
// before the profile was saved) gives the same profile.
void UpdateMarketFromRow(uint8_t& market, uint8_t rowCode, CompanyStore& companies) {
  uint8_t group = market & 0xF0;
  bool contradicted = (group == 0x20 || group == 0x30 || group == 0x40) && rowCode == 0x10;
  if (market != 0 && !contradicted) return;
  market = rowCode;
  companies.MarkProfileDirty();
}

void RowPass(RunSelections& selections, CompanyStore& companies, MarkupElement& table, int mask) {
  bool names = companies.NamesLoaded() && Flag(OptionKey::UseFullConame);
  if (!selections.IndivKnown() && !names) return;
  for (MarkupElement* row : table.children()) {
    int ticker = FirstIntOf(*row, "ticker");
    if (mask != 0 && selections.IndivKnown()) {
      if (mask & kViewIndiv) AddTicker(selections.Indiv(), ticker);
      MarkupElement* cell = row->FindCellById("ticker", false);
      if (cell && selections.HasIndiv(ticker)) LinkTickerToIndiv(*cell);
    }
    if (uint8_t* market = companies.MarketByte(ticker)) UpdateMarketFromRow(*market, RowMarketCode(*row), companies);
    if (names) companies.RequestName(ticker);
  }
}

// A view of the rows whose ticker `selected` accepts, in raw order.
template <typename Selected>
void SaveSelectedView(const char* view, uint32_t date, const MarkupElement& table, Selected selected) {
  MarkupElement* viewTable = nullptr;
  std::unique_ptr<MarkupDocument> frame = BuildPageFrame(nullptr, kStyleSheetFile, viewTable);
  for (const MarkupElement* row : table.children())
    if (selected(RowTicker(*row))) viewTable->InsertChild(viewTable->children().size(), row->Clone());
  EnsureOutputSubdir(view);
  SavePage(DayFilePath(view, date).c_str(), *frame);
}

// Writes the views of the mask; false when a company page could not be written.
bool SaveViews(WorkTask& task, MarkupDocument& document, MarkupElement& table, int mask) {
  uint32_t date = task.cursor.curDate;
  const RunSelections& selections = task.selections;
  if (mask & kViewAll) {
    task.trace.Log(2, "conv raw to all\n");
    EnsureOutputSubdir("All");
    SavePage(DayFilePath("All", date).c_str(), document);
  }
  if (mask & kViewPort) {
    task.trace.Log(2, "conv raw to port\n");
    SaveSelectedView("Port", date, table, [&](int ticker) { return selections.InPortfolio(ticker); });
  }
  if (mask & kViewXls) {
    task.trace.Log(2, "conv raw to xls\n");
    SaveSelectedView("Xls", date, table, [&](int ticker) { return selections.HasXls(ticker); });
  }
  if (mask & kViewIndiv) {
    task.trace.Log(2, "conv raw to invid\n");
    return AddDayToIndivPages(table, date);
  }
  return true;
}

// Reads and converts one raw day; false when a company page could not be
// written.
bool ConvertDay(WorkTask& task, const std::string& path, int mask) {
  uint32_t date = task.cursor.curDate;
  task.trace.ShowProgress(static_cast<int>(date), -1);
  task.trace.Log(2, "filtering raw html(%d)\n", date);
  std::string text;
  if (!ReadAll(path.c_str(), text) || text.empty()) return true;
  PageParser parser;
  std::unique_ptr<MarkupDocument> document = parser.ParseHandedOver(std::move(text));
  MarkupElement* table = document ? document->FindChild("table", true) : nullptr;
  if (!table) return true;
  RemoveIgnoredRows(task.selections, *table);
  RecordReports(date, task.schedules, *table);
  RowPass(task.selections, task.companies, *table, mask);
  // What the day taught the stores is on disk before the day's views are: a
  // view newer than its raw day is never converted again.
  task.companies.SaveChanges();
  task.schedules.SaveChanges();
  return SaveViews(task, *document, *table, mask);
}

}  // namespace

void ConvertRawDay(WorkTask& task) {
  uint32_t date = task.cursor.curDate;
  std::string path = EnsureOutputSubdir("Raw") + FormatString("%u.html", date);
  FileEntry raw(path.c_str());
  uint64_t rawWritten = 0;
  if (!raw.LastWriteStamp(rawWritten)) return;
  int mask = ConversionMask(date, task.selections, rawWritten);
  // Without a name file, full names need every day's companies requested.
  bool requestNames = task.companies.NamesMissing() && Flag(OptionKey::UseFullConame);
  if (mask == 0 && !requestNames) return;
  bool pagesWritten = ConvertDay(task, path, mask);
  // The company pages hold the day only once every one of them was written;
  // otherwise the next run adds the day again.
  if ((mask & kViewIndiv) && pagesWritten && Options().Date(OptionKey::LastUpdateIndiv) < date)
    Options().SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(date));
}
