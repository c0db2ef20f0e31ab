// Steps 8 and 9: turn each raw day file of the period into the per-day views
// All, Port and Xls (and the company pages), removing ignored companies,
// filling gaps in the company profile and requesting names.
#include <algorithm>
#include <memory>

#include "markup/tree.h"
#include "pages/frame.h"
#include "pages/output.h"
#include "pages/page_parser.h"
#include "pages/rows.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/markets.h"
#include "work/company_store.h"
#include "work/run_cursor.h"
#include "work/run_settings.h"
#include "work/run_trace.h"
#include "work/schedule_store.h"
#include "work/selections.h"
#include "work/steps.h"

namespace {

// What a day adds to the company pages: nothing; every page; only the pages
// that were missing at the start of the run (a day before LastUpdateIndiv,
// which the other pages hold already).
enum class CompanyPageWork { kNone, kAll, kMissingOnly };

// What the conversion of one day writes.
struct DayWork {
  ViewSet views;
  CompanyPageWork companyPages = CompanyPageWork::kNone;
  bool Empty() const { return views.Empty() && companyPages == CompanyPageWork::kNone; }
};

// Whether a view day file is missing or not newer than the raw day file (at the
// file system's full resolution: a view written in the same second as its raw
// day is newer and stays).
bool ViewIsStale(const OutputDir& output, View view, uint32_t date, uint64_t rawWritten) {
  FileEntry file(output.DayFile(view, date).c_str());
  uint64_t written = 0;
  return !file.LastWriteStamp(written) || written <= rawWritten;
}

DayWork WorkOfDay(uint32_t date, uint32_t indivFrom, RunSelections& selections, const RunSettings& settings,
                  uint64_t rawWritten) {
  DayWork work;
  const OutputDir& output = settings.output;
  if (settings.htmlAll && ViewIsStale(output, View::kAll, date, rawWritten)) work.views.Add(View::kAll);
  if (settings.htmlPort && selections.HasPortfolio() && ViewIsStale(output, View::kPort, date, rawWritten))
    work.views.Add(View::kPort);
  if (settings.htmlXls && ViewIsStale(output, View::kXls, date, rawWritten)) work.views.Add(View::kXls);
  if (settings.companyPages) {
    if (settings.remakeCompanyPages || indivFrom <= date) {
      work.companyPages = CompanyPageWork::kAll;
      selections.Indiv();
    } else if (selections.PagesAtStartKnown()) {
      work.companyPages = CompanyPageWork::kMissingOnly;
    }
  }
  return work;
}

void RemoveIgnoredRows(const RunSelections& selections, MarkupElement& table) {
  std::vector<const MarkupElement*> ignored;
  for (MarkupElement* row : table.children()) {
    JoinTickerPieces(*row);
    if (selections.IgnoredInRun(RowTicker(*row))) ignored.push_back(row);
  }
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

// The company of a row: an alphanumeric code, or the number of its ticker cell.
Code CodeOfRow(const MarkupElement& row) {
  Code code = RowTicker(row);
  return code.IsNumeric() ? Code(FirstIntOf(row, "ticker")) : code;
}

// The market of a row from its market cell. A professional-market company
// ("Ｐ－" before its name) listed on Tokyo is on TOKYO PRO MARKET, as the
// download records it, so a day that was not downloaded again (a run killed
// before the profile was saved) gives the same profile.
uint8_t RowMarketCode(const MarkupElement& row) {
  const MarkupElement* marketCell = row.FindCellById("market", false);
  const MarkupText* marketName = marketCell ? marketCell->FirstText() : nullptr;
  uint8_t code = MarketCodeOfName(marketName ? marketName->text() : "");
  const MarkupElement* nameCell = row.FindCellById("coname", false);
  const MarkupText* name = nameCell ? nameCell->FirstText() : nullptr;
  if (code == kMarketTokyo && name && name->text().starts_with("\x82\x6F\x81\x7C")) return kMarketTokyoPro;
  return code;
}

// Fills an unknown market byte from a row. A stored regional exchange that the
// row's Tokyo market contradicts is replaced too, and so is the professional
// market when the row says the company is (or is no longer) on it: the
// download did the same when it wrote the row, so a day whose download is not
// repeated (a run killed before the profile was saved) gives the same profile.
void UpdateMarketFromRow(uint8_t& market, uint8_t rowCode, CompanyStore& companies) {
  bool contradicted = ((IsRegional(market) || IsProMarket(market)) && rowCode == kMarketTokyo) ||
                      (IsProMarket(rowCode) && !IsProMarket(market));
  if (market != kMarketUnknown && !contradicted) return;
  market = rowCode;
  companies.MarkProfileDirty();
}

void RowPass(RunSelections& selections, CompanyStore& companies, MarkupElement& table, const DayWork& work,
             bool fullNames) {
  bool names = companies.NamesLoaded() && fullNames;
  if (!selections.IndivKnown() && !names) return;
  for (MarkupElement* row : table.children()) {
    Code ticker = CodeOfRow(*row);
    if (!work.Empty() && selections.IndivKnown()) {
      if (work.companyPages == CompanyPageWork::kAll ||
          (work.companyPages == CompanyPageWork::kMissingOnly && selections.PageMissingAtStart(ticker)))
        AddTicker(selections.Indiv(), ticker);
      MarkupElement* cell = row->FindCellById("ticker", false);
      if (cell && selections.HasIndiv(ticker)) LinkTickerToIndiv(*cell);
    }
    if (uint8_t* market = companies.MarketByte(ticker)) UpdateMarketFromRow(*market, RowMarketCode(*row), companies);
    if (names) companies.RequestName(ticker);
  }
}

// A view of the rows whose company the view shows, in raw order.
void SaveSelectedView(const OutputDir& output, View view, uint32_t date, const MarkupElement& table,
                      const RunSelections& selections) {
  MarkupElement* viewTable = nullptr;
  // The views lie in a subdirectory of the output directory, like the raw days.
  std::unique_ptr<MarkupDocument> frame = BuildPageFrame(nullptr, "../_default.css", viewTable);
  PageSelections shown = selections.ForPages();
  for (const MarkupElement* row : table.children())
    if (shown.InView(view, RowTicker(*row))) viewTable->InsertChild(viewTable->children().size(), row->Clone());
  output.EnsureSubdir(ViewName(view));
  SavePage(output.DayFile(view, date).c_str(), *frame);
}

// Writes the views of the day's work; false when a company page could not be
// written.
bool SaveViews(uint32_t date, MarkupDocument& document, MarkupElement& table, const DayWork& work,
               const RunSelections& selections, RunTrace& trace, const RunSettings& settings) {
  const OutputDir& output = settings.output;
  if (work.views.Has(View::kAll)) {
    trace.Log(2, "conv raw to all\n");
    LinkSiteIcon(document);  // a raw day of an earlier version linked an address on the web
    output.EnsureSubdir(ViewName(View::kAll));
    SavePage(output.DayFile(View::kAll, date).c_str(), document);
  }
  if (work.views.Has(View::kPort)) {
    trace.Log(2, "conv raw to port\n");
    SaveSelectedView(output, View::kPort, date, table, selections);
  }
  if (work.views.Has(View::kXls)) {
    trace.Log(2, "conv raw to xls\n");
    SaveSelectedView(output, View::kXls, date, table, selections);
  }
  auto archived = [&](Code code) { return selections.ArchivesDocuments(code); };
  if (work.companyPages == CompanyPageWork::kAll) {
    trace.Log(2, "conv raw to invid\n");
    return AddDayToIndivPages(output, table, date, settings.periodStart, {}, archived);
  }
  if (work.companyPages == CompanyPageWork::kMissingOnly) {
    return AddDayToIndivPages(output, table, date, settings.periodStart,
                              [&](Code code) { return selections.PageMissingAtStart(code); }, archived);
  }
  return true;
}

// The parts the conversion of a day works on.
struct Converter {
  RunSelections& selections;
  CompanyStore& companies;
  ScheduleStore& schedules;
  RunTrace& trace;
  const RunSettings& settings;

  // Reads and converts one raw day; false when the day could not be read or
  // a company page could not be written.
  bool ConvertDay(uint32_t date, std::string text, const DayWork& work) {
    trace.ShowProgress(static_cast<int>(date), -1);
    trace.Log(2, "filtering raw html(%d)\n", date);
    PageParser parser;
    std::unique_ptr<MarkupDocument> document = parser.ParseHandedOver(std::move(text));
    MarkupElement* table = document ? document->FindChild("table", true) : nullptr;
    if (!table) return false;
    RemoveXbrlCells(*table);
    RemoveIgnoredRows(selections, *table);
    RowPass(selections, companies, *table, work, settings.pages.fullName);
    // What the day taught the stores is on disk before the day's views are: a
    // view newer than its raw day is never converted again.
    companies.SaveChanges();
    schedules.SaveChanges();
    return SaveViews(date, *document, *table, work, selections, trace, settings);
  }
};

// A day before LastUpdateIndiv is added only to the pages missing at the start
// of the run: that work is dropped when the day names none of them. When it
// names one, LastUpdateIndiv goes back to the day before any page is made
// again: a run killed half-way leaves the next run to add every day from there
// to every page (a day added again replaces its group).
void KeepMissingPagesIfNamed(const RunSelections& selections, const std::string& text, uint32_t date, DayWork& work,
                             RunStatus& status) {
  if (work.companyPages != CompanyPageWork::kMissingOnly) return;
  if (!RawDayNamesPageMissingAtStart(text, selections)) {
    work.companyPages = CompanyPageWork::kNone;
    return;
  }
  if (status.LastUpdateIndiv() > date) status.SetLastUpdateIndiv(date);
}

// LastUpdateIndiv after the day was (or was not) added to the company pages:
// raised to the day once it is on every page, and never past a day that is
// not, so that the next run adds that day again.
void RecordIndivDay(RunCursor& cursor, uint32_t date, bool added, RunStatus& status) {
  uint32_t last = status.LastUpdateIndiv();
  if (!added) {
    if (cursor.firstIndivFailure == 0) cursor.firstIndivFailure = date;
    if (last > date) status.SetLastUpdateIndiv(date);
    return;
  }
  if (cursor.firstIndivFailure == 0 && last < date) status.SetLastUpdateIndiv(date);
}

void DeleteIndivPages(const OutputDir& output) {
  FileFinder finder;
  std::string pattern = output.EnsureSubdir(kIndivDir) + "*.html";
  if (!finder.Start(pattern.c_str(), FileFinder::kFiles)) return;
  for (; !finder.IsFinished(); finder._Next()) {
    FileEntry page;
    page.SetPath(finder.CurrentPath());
    page.Delete();
  }
}

}  // namespace

Next BeginConversion(RunCursor& cursor, RunStatus& status, const RunSettings& settings) {
  if (cursor.endDate == TodayDate()) {
    // A day that failed is fetched again by the next run "since the last download".
    uint32_t last = TodayDate();
    if (cursor.firstIncomplete != 0) last = std::min(last, AddDays(cursor.firstIncomplete, -1));
    status.SetLastDownload(last);
  }
  if (settings.companyPages) {
    settings.output.EnsureSubdir(kIndivDir);
    if (settings.remakeCompanyPages) DeleteIndivPages(settings.output);
  }
  cursor.BeginConversion(settings.periodStart, status.LastUpdateIndiv());
  return GoTo(kStepConvertDay);
}

void ConvertRawDay(RunCursor& cursor, RunSelections& selections, CompanyStore& companies, ScheduleStore& schedules,
                   RunTrace& trace, const RunSettings& settings, RunStatus& status) {
  uint32_t date = cursor.curDate;
  std::string path = settings.output.EnsureSubdir(kRawDir) + FormatString("%u.html", date);
  FileEntry raw(path.c_str());
  uint64_t rawWritten = 0;
  if (!raw.LastWriteStamp(rawWritten)) return;
  DayWork work = WorkOfDay(date, cursor.indivFrom, selections, settings, rawWritten);
  // Without a name file, full names need every day's companies requested.
  bool requestNames = companies.NamesMissing() && settings.pages.fullName;
  if (work.Empty() && !requestNames) return;
  std::string text;
  bool read = ReadAll(path.c_str(), text);
  if (read) KeepMissingPagesIfNamed(selections, text, date, work, status);
  // A day without disclosures is an empty file: there is nothing to add.
  Converter converter{selections, companies, schedules, trace, settings};
  bool converted = read && (text.empty() || (work.Empty() && !requestNames) ||
                            converter.ConvertDay(date, std::move(text), work));
  // The company pages hold the day only once every one of them was written.
  if (work.companyPages == CompanyPageWork::kAll) RecordIndivDay(cursor, date, converted, status);
}
