// Earnings reports and monthly figures in the disclosure rows, gathered from
// the stored days of the period before the schedule pages are made: recorded
// in the schedule store and shown on the pages, whichever runs converted the
// days.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "markup/tree.h"
#include "pages/output.h"
#include "pages/page_parser.h"
#include "pages/rows.h"
#include "platform/dates.h"
#include "platform/files.h"
#include "work/schedule_store.h"
#include "work/selections.h"
#include "work/steps.h"

namespace {

int FirstIntOf(const MarkupElement& row, const char* id) {
  const MarkupElement* cell = row.FindCellById(id, false);
  if (!cell) return 0;
  if (const MarkupElement* link = cell->FindChild("a", false)) {
    if (!cell->FirstText()) cell = link;
  }
  const MarkupText* text = cell->FirstText();
  return text ? text->IntValue() : 0;
}

// The company of a row: an alphanumeric code, or the number of its ticker cell.
Code CodeOfRow(const MarkupElement& row) {
  Code code = RowTicker(row);
  return code.IsNumeric() ? Code(FirstIntOf(row, "ticker")) : code;
}

// Calls `found` for each row of the table that announces results or monthly
// figures: found(kind, code, time, titleCell).
template <typename Found>
void ForEachAnnouncement(const MarkupElement& table, Found found) {
  for (const MarkupElement* row : table.children()) {
    const MarkupElement* title = row->FindCellById("title", false);
    if (!title) continue;
    int kind = ReportKind(*title);
    if (kind != 0) found(kind, CodeOfRow(*row), FirstIntOf(*row, "time"), *title);
  }
}

}  // namespace

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

void CollectAnnouncements(ScheduleStore& schedules, const RunSelections& selections, const OutputDir& output,
                          uint32_t firstDay, uint32_t lastDay) {
  struct Found {
    int kind;
    Code ticker;
    int time;
    uint32_t day;
    std::unique_ptr<MarkupElement> title;
  };
  std::vector<Found> found;  // newest day first
  uint32_t newest = std::min(lastDay, TodayDate());
  for (uint32_t day = newest; day >= firstDay && day > kNeverDate; day = AddDays(day, -1)) {
    std::string path = output.DayFile(kRawDir, day);
    std::string text;
    if (!FileEntry(path.c_str()).ExistsPath() || !ReadAll(path.c_str(), text) || text.empty()) continue;
    PageParser parser;
    parser.quiet = true;
    std::unique_ptr<MarkupDocument> document = parser.ParseHandedOver(std::move(text));
    const MarkupElement* table = document ? document->FindChild("table", true) : nullptr;
    if (!table) continue;
    ForEachAnnouncement(*table, [&](int kind, Code ticker, int time, const MarkupElement& title) {
      if (!selections.IgnoredInRun(ticker)) found.push_back({kind, ticker, time, day, title.Clone()});
    });
  }
  // Oldest day first, as the days happened.
  for (auto report = found.rbegin(); report != found.rend(); ++report)
    if (report->kind == 1) schedules.RecordAnnouncement(report->ticker, report->time, report->day);
  schedules.SaveChanges();
  for (const Found& row : found) schedules.AddAnnouncedRow(row.kind, row.ticker, row.time, row.day, *row.title);
}
