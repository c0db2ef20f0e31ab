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

// kViewIndiv adds the day to every company's page; kViewMissingPages only to
// the pages that were missing at the start of the run (a day before
// LastUpdateIndiv, which the other pages hold already).
enum : int { kViewAll = 1, kViewPort = 2, kViewXls = 4, kViewIndiv = 8, kViewMissingPages = 16 };

bool Flag(OptionKey key) { return Options().Flag(key); }

// Whether a view day file is missing or not newer than the raw day file (at the
// file system's full resolution: a view written in the same second as its raw
// day is newer and stays).
bool ViewIsStale(const char* view, uint32_t date, uint64_t rawWritten) {
  FileEntry file(DayFilePath(view, date).c_str());
  uint64_t written = 0;
  return !file.LastWriteStamp(written) || written <= rawWritten;
}

int ConversionMask(uint32_t date, uint32_t indivFrom, RunSelections& selections, uint64_t rawWritten) {
  int mask = 0;
  if (Flag(OptionKey::EnableHtmlAll) && ViewIsStale("All", date, rawWritten)) mask |= kViewAll;
  if (Flag(OptionKey::EnableHtmlPort) && selections.HasPortfolio() && ViewIsStale("Port", date, rawWritten))
    mask |= kViewPort;
  if (Flag(OptionKey::EnableHtmlXls) && ViewIsStale("Xls", date, rawWritten)) mask |= kViewXls;
  if (Flag(OptionKey::EnableHtmlTicker)) {
    if (Flag(OptionKey::TickerRemake) || indivFrom <= date) {
      mask |= kViewIndiv;
      selections.Indiv();
    } else if (selections.PagesAtStartKnown()) {
      mask |= kViewMissingPages;
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
// row's Tokyo market contradicts is replaced too, and so is the professional
// market when the row says the company is (or is no longer) on it: the
// download did the same when it wrote the row, so a day whose download is not
// repeated (a run killed before the profile was saved) gives the same profile.
void UpdateMarketFromRow(uint8_t& market, uint8_t rowCode, CompanyStore& companies) {
  uint8_t group = market & 0xF0;
  bool contradicted = ((group == 0x20 || group == 0x30 || group == 0x40 || market == 0x15) && rowCode == 0x10) ||
                      (rowCode == 0x15 && market != 0x15);
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
      if ((mask & kViewIndiv) || ((mask & kViewMissingPages) && selections.PageMissingAtStart(ticker)))
        AddTicker(selections.Indiv(), ticker);
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
  // The views lie in a subdirectory of the output directory, like the raw days.
  std::unique_ptr<MarkupDocument> frame = BuildPageFrame(nullptr, "../_default.css", viewTable);
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
    LinkSiteIcon(document);  // a raw day of an earlier version linked an address on the web
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
  uint32_t periodStart = Options().Date(OptionKey::PeriodSt);
  if (mask & kViewIndiv) {
    task.trace.Log(2, "conv raw to invid\n");
    return AddDayToIndivPages(table, date, periodStart);
  }
  if (mask & kViewMissingPages) {
    return AddDayToIndivPages(table, date, periodStart,
                              [&](int ticker) { return selections.PageMissingAtStart(ticker); });
  }
  return true;
}

// Reads and converts one raw day; false when the day could not be read or a
// company page could not be written.
bool ConvertDay(WorkTask& task, std::string text, int mask) {
  uint32_t date = task.cursor.curDate;
  task.trace.ShowProgress(static_cast<int>(date), -1);
  task.trace.Log(2, "filtering raw html(%d)\n", date);
  PageParser parser;
  std::unique_ptr<MarkupDocument> document = parser.ParseHandedOver(std::move(text));
  MarkupElement* table = document ? document->FindChild("table", true) : nullptr;
  if (!table) return false;
  RemoveIgnoredRows(task.selections, *table);
  RowPass(task.selections, task.companies, *table, mask);
  // What the day taught the stores is on disk before the day's views are: a
  // view newer than its raw day is never converted again.
  task.companies.SaveChanges();
  task.schedules.SaveChanges();
  return SaveViews(task, *document, *table, mask);
}

// A day before LastUpdateIndiv is added only to the pages missing at the start
// of the run: the mask loses that bit when the day names none of them. When it
// names one, LastUpdateIndiv goes back to the day before any page is made
// again: a run killed half-way leaves the next run to add every day from there
// to every page (a day added again replaces its group).
void KeepMissingPagesIfNamed(const RunSelections& selections, const std::string& text, uint32_t date, int& mask) {
  if (!(mask & kViewMissingPages)) return;
  if (!RawDayNamesPageMissingAtStart(text, selections)) {
    mask &= ~kViewMissingPages;
    return;
  }
  if (Options().Date(OptionKey::LastUpdateIndiv) > date) Options().SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(date));
}

// LastUpdateIndiv after the day was (or was not) added to the company pages:
// raised to the day once it is on every page, and never past a day that is
// not, so that the next run adds that day again.
void RecordIndivDay(RunCursor& cursor, uint32_t date, bool added) {
  uint32_t last = Options().Date(OptionKey::LastUpdateIndiv);
  if (!added) {
    if (cursor.firstIndivFailure == 0) cursor.firstIndivFailure = date;
    if (last > date) Options().SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(date));
    return;
  }
  if (cursor.firstIndivFailure == 0 && last < date) Options().SetInt(OptionKey::LastUpdateIndiv, static_cast<int>(date));
}

}  // namespace

void ConvertRawDay(WorkTask& task) {
  uint32_t date = task.cursor.curDate;
  std::string path = EnsureOutputSubdir("Raw") + FormatString("%u.html", date);
  FileEntry raw(path.c_str());
  uint64_t rawWritten = 0;
  if (!raw.LastWriteStamp(rawWritten)) return;
  int mask = ConversionMask(date, task.cursor.indivFrom, task.selections, rawWritten);
  // Without a name file, full names need every day's companies requested.
  bool requestNames = task.companies.NamesMissing() && Flag(OptionKey::UseFullConame);
  if (mask == 0 && !requestNames) return;
  std::string text;
  bool read = ReadAll(path.c_str(), text);
  if (read) KeepMissingPagesIfNamed(task.selections, text, date, mask);
  // A day without disclosures is an empty file: there is nothing to add.
  bool converted = read && (text.empty() || (mask == 0 && !requestNames) || ConvertDay(task, std::move(text), mask));
  // The company pages hold the day only once every one of them was written.
  if (mask & kViewIndiv) RecordIndivDay(task.cursor, date, converted);
}
