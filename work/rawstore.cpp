// Step 9: turn one raw day file into the per-day views All, Port and Xls (and
// the individual pages), removing ignored companies, filling gaps in the company
// profile, requesting names and recording earnings and monthly reports.
#include <memory>

#include "markup/tree.h"
#include "pages/frame.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/markets.h"
#include "settings/options.h"
#include "work/dates.h"
#include "work/pipeline_parser.h"
#include "work/steps.h"
#include "work/worktask.h"

namespace {

enum : int { kViewAll = 1, kViewPort = 2, kViewXls = 4, kViewIndiv = 8 };

bool Flag(OptionKey key) { return Options().Flag(key); }

// Whether a view day file is missing or not newer than the raw day file (at the
// file system's full resolution: a view written in the same second as its raw
// day is newer and stays).
bool ViewIsStale(const char* view, uint32_t date, uint64_t rawWritten) {
  std::string path = EnsureOutputSubdir(view) + FormatString("%d.html", date);
  FileEntry file(path.c_str());
  uint64_t written = 0;
  return !file.LastWriteStamp(written) || written <= rawWritten;
}

int ConversionMask(WorkTask& task, uint64_t rawWritten) {
  int mask = 0;
  if (Flag(OptionKey::EnableHtmlAll) && ViewIsStale("All", task.curDate, rawWritten)) mask |= kViewAll;
  if (Flag(OptionKey::EnableHtmlPort) && task.HasPortfolio() && ViewIsStale("Port", task.curDate, rawWritten))
    mask |= kViewPort;
  if (Flag(OptionKey::EnableHtmlXls) && ViewIsStale("Xls", task.curDate, rawWritten)) mask |= kViewXls;
  if (Flag(OptionKey::EnableHtmlTicker)) {
    uint32_t lastUpdate = Options().Date(OptionKey::LastUpdateIndiv);
    if (Flag(OptionKey::TickerRemake) || lastUpdate <= task.curDate) {
      mask |= kViewIndiv;
      if (!task.indivPresent) task.indivPresent = std::make_unique<TickerBits>();
      if (lastUpdate < task.curDate) Options().SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(task.curDate));
    }
  }
  return mask;
}

bool InTickerRange(int ticker) { return ticker >= kFirstTicker && ticker <= 9999; }

}  // namespace

int RowTicker(const MarkupElement& row) {
  const MarkupElement* cell = row.FindCellById("ticker", false);
  if (!cell) return 0;
  if (const MarkupElement* link = cell->FindChild("a", false)) cell = link;
  const MarkupText* text = cell->FirstText();
  return text ? text->IntValue() : 0;
}

void LinkTickerToIndiv(MarkupElement& cell) {
  const MarkupText* first = cell.FirstText();
  if (!first) return;
  std::unique_ptr<MarkupText> text = cell.DetachText(first);
  MarkupElement* link = cell.InsertChild(0, std::make_unique<MarkupElement>("a"));
  link->AddAttribute("href", FormatString("./Indiv/%04d.html", text->IntValue()));
  link->AppendText(std::move(text));
}

namespace {

void RemoveIgnoredRows(WorkTask& task, MarkupElement& table) {
  if (!Flag(OptionKey::EnableIgnoreList) || !task.HasIgnoreList()) return;
  std::vector<const MarkupElement*> ignored;
  for (const MarkupElement* row : table.children())
    if (task.ignoreList->Contains(static_cast<uint16_t>(RowTicker(*row)))) ignored.push_back(row);
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

// Remembers earnings-report and monthly-report rows of a day that has passed; the
// schedule pages use them. What is updated in the schedule store arrives with it.
void RecordReports(WorkTask& task, MarkupElement& table) {
  if (task.curDate > TodayDate()) return;
  for (const MarkupElement* row : table.children()) {
    const MarkupElement* title = row->FindCellById("title", false);
    if (!title) continue;
    int kind = ReportKind(*title);
    if (kind == 0) continue;
    if (!task.schedules) LoadScheduleStore(task);
    ReportedRow reported{RowTicker(*row), title->Clone()};
    (kind == 1 ? task.reportedSchedules : task.monthlyReported).push_back(std::move(reported));
  }
}

void RowPass(WorkTask& task, MarkupElement& table, int mask) {
  bool names = task.companyNames && Flag(OptionKey::UseFullConame);
  if (!task.indivPresent && !names) return;
  for (MarkupElement* row : table.children()) {
    int ticker = FirstIntOf(*row, "ticker");
    if (mask != 0 && task.indivPresent && InTickerRange(ticker)) {
      if (mask & kViewIndiv) task.indivPresent->set(static_cast<size_t>(ticker - kFirstTicker));
      MarkupElement* cell = row->FindCellById("ticker", false);
      if (cell && task.indivPresent->test(static_cast<size_t>(ticker - kFirstTicker))) LinkTickerToIndiv(*cell);
    }
    if (task.companyProfile && InTickerRange(ticker) && task.companyProfile[(ticker - kFirstTicker) * 4] == 0) {
      const MarkupElement* market = row->FindCellById("market", false);
      const MarkupText* name = market ? market->FirstText() : nullptr;
      task.companyProfile[(ticker - kFirstTicker) * 4] = MarketCodeOfName(name ? name->text() : "");
      task.companyProfileDirty = true;
    }
    if (names) RequestName(task, ticker);
  }
}

// A view of the rows whose ticker `selected` accepts, in raw order.
template <typename Selected>
void SaveSelectedView(const char* view, uint32_t date, const MarkupElement& table, Selected selected) {
  MarkupElement* viewTable = nullptr;
  std::unique_ptr<MarkupDocument> frame = BuildPageFrame(nullptr, "_default.css", viewTable);
  for (const MarkupElement* row : table.children())
    if (selected(RowTicker(*row))) viewTable->InsertChild(viewTable->children().size(), row->Clone());
  SavePage((EnsureOutputSubdir(view) + FormatString("%d.html", date)).c_str(), *frame);
}

void SaveViews(WorkTask& task, MarkupDocument& document, MarkupElement& table, int mask) {
  uint32_t date = task.curDate;
  if (mask & kViewAll) {
    task.Log(2, "conv raw to all\n");
    SavePage((EnsureOutputSubdir("All") + FormatString("%d.html", date)).c_str(), document);
  }
  if (mask & kViewPort) {
    task.Log(2, "conv raw to port\n");
    SaveSelectedView("Port", date, table, [&](int ticker) {
      return ticker > 0 && task.portfolio->Contains(static_cast<uint16_t>(ticker));
    });
  }
  if (mask & kViewXls) {
    task.Log(2, "conv raw to xls\n");
    SaveSelectedView("Xls", date, table, [&](int ticker) {
      return InTickerRange(ticker) && task.xlsPresent && task.xlsPresent->test(static_cast<size_t>(ticker - kFirstTicker));
    });
  }
  if (mask & kViewIndiv) {
    task.Log(2, "conv raw to invid\n");
    AddDayToIndivPages(task, table, date);
  }
}

}  // namespace

void ConvertRawDay(WorkTask& task) {
  std::string path = EnsureOutputSubdir("Raw") + FormatString("%d.html", task.curDate);
  FileEntry raw(path.c_str());
  uint64_t rawWritten = 0;
  if (!raw.LastWriteStamp(rawWritten)) return;
  int mask = ConversionMask(task, rawWritten);
  if (mask == 0 && !task.companyNamesMissing) return;
  task.ShowProgress(static_cast<int>(task.curDate), -1);
  task.Log(2, "filtering raw html(%d)\n", task.curDate);
  std::string text;
  if (!ReadAll(path.c_str(), text) || text.empty()) return;
  PipelineParser parser;
  std::unique_ptr<MarkupDocument> document = parser.ParseHandedOver(std::move(text));
  if (!document) return;
  MarkupElement* table = document->FindChild("table", true);
  if (!table) return;
  RemoveIgnoredRows(task, *table);
  RecordReports(task, *table);
  RowPass(task, *table, mask);
  SaveViews(task, *document, *table, mask);
}
