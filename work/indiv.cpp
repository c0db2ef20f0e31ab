// The company pages' side of the run: which companies have a page (step 0),
// each converted day's rows added to the pages (step 9), and the pages that
// must be made again from the raw store: missing at the start of the run, or
// set aside as unreadable during it.
#include <algorithm>
#include <memory>
#include <vector>

#include "markup/tree.h"
#include "pages/company_pages.h"
#include "pages/output.h"
#include "pages/page_parser.h"
#include "pages/rows.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/sjis.h"
#include "work/selections.h"
#include "work/steps.h"

namespace {

// The ticker cell as the raw day files write it.
constexpr std::string_view kTickerCell = "<td id=\"ticker\">";

// Calls `found` with each code that a raw day's text names in a ticker cell,
// without parsing it; stops when `found` returns true.
template <typename Found>
bool AnyTickerInRawText(std::string_view text, Found found) {
  for (size_t at = text.find(kTickerCell); at != std::string_view::npos; at = text.find(kTickerCell, at + 1)) {
    std::optional<Code> code = Code::FromText(text.substr(at + kTickerCell.size(), 4));
    if (code && found(*code)) return true;
  }
  return false;
}

// The parsed raw day of `date`, or null when it cannot be read.
std::unique_ptr<MarkupDocument> ParseRawDay(std::string text, MarkupElement*& table) {
  PageParser parser;
  parser.quiet = true;
  std::unique_ptr<MarkupDocument> document = parser.ParseHandedOver(std::move(text));
  table = document ? document->FindChild("table", true) : nullptr;
  return table ? std::move(document) : nullptr;
}

// The rows of `code` in the raw day of `date`, in raw order (none when the
// day does not name it or cannot be read).
std::vector<std::unique_ptr<MarkupElement>> RawRowsOf(const OutputDir& output, Code code, uint32_t date) {
  std::vector<std::unique_ptr<MarkupElement>> rows;
  std::string path = output.DayFile(kRawDir, date), text;
  if (!FileEntry(path.c_str()).ExistsPath() || !ReadAll(path.c_str(), text)) return rows;
  if (!AnyTickerInRawText(text, [&](Code named) { return named == code; })) return rows;
  MarkupElement* table = nullptr;
  std::unique_ptr<MarkupDocument> document = ParseRawDay(std::move(text), table);
  if (!document) return rows;
  RemoveXbrlCells(*table);
  for (const MarkupElement* row : table->children())
    if (RowTicker(*row) == code) {
      rows.push_back(row->Clone());
      JoinTickerPieces(*rows.back());
    }
  return rows;
}

// The groups of a company's days from `first` up to the day before `date`,
// oldest first, for a page that was started anew.
OlderGroups OlderDaysOf(const OutputDir& output, Code code, uint32_t first, uint32_t date) {
  return [=, &output](MarkupElement& table) {
    for (uint32_t day = first; day < date && day <= kNoDate; day = NextDay(day))
      AddGroupOnTop(table, day, RawRowsOf(output, code, day));
  };
}

}  // namespace

void ScanIndivPages(RunSelections& selections, const OutputDir& output) {
  TickerBits& present = selections.Indiv();
  present.reset();
  // One directory listing instead of 8999 lookups: "NNNN.html", "285A.html".
  FileFinder finder;
  if (finder.Start((output.Subdir(kIndivDir) + "*.html").c_str(), FileFinder::kFiles)) {
    for (; !finder.IsFinished(); finder._Next()) {
      const std::string& name = finder.CurrentFindData().name;
      std::optional<Code> code = Code::FromText(std::string_view(name).substr(0, 4));
      if (name.size() == 9 && code) AddTicker(present, *code);
    }
  }
  selections.KeepPagesAtStart();
}

bool RawDayNamesPageMissingAtStart(std::string_view rawText, const RunSelections& selections) {
  return AnyTickerInRawText(rawText, [&](Code code) { return selections.PageMissingAtStart(code); });
}

bool AddDayToIndivPages(const OutputDir& output, MarkupElement& table, uint32_t date, uint32_t periodStart,
                        const std::function<bool(Code)>& wanted, const std::function<bool(Code)>& archived) {
  bool written = true;
  // Company by company, from the day's last row: each company's rows leave the
  // table in raw order and make one group on its page.
  while (!table.children().empty()) {
    Code ticker = RowTicker(*table.children().back());
    std::vector<std::unique_ptr<MarkupElement>> rows;
    for (size_t i = table.children().size(); i-- > 0;) {
      if (RowTicker(*table.children()[i]) == ticker) rows.push_back(table.DetachChild(table.children()[i]));
    }
    std::reverse(rows.begin(), rows.end());
    // Rows without a company code (read by the text method) have no page.
    if (!ticker.IsCompany() || (wanted && !wanted(ticker))) continue;
    if (!AddDayToCompanyPage(output, ticker, date, std::move(rows), TodayDate(),
                             OlderDaysOf(output, ticker, periodStart, date), archived && archived(ticker)))
      written = false;
  }
  return written;
}
