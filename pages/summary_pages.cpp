#include "pages/summary_pages.h"

#include "pages/atom_feed.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "markup/safe_text.h"
#include "markup/tree.h"
#include "pages/archive.h"
#include "pages/cells.h"
#include "pages/frame.h"
#include "pages/page_parser.h"
#include "pages/rows.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/markets.h"

namespace {

constexpr uint32_t kBeforeAnyDay = 101;  // the oldest kept day of a page without days

// Wraps every occurrence of `keyword` in the title in a mark element. Matches
// start on a character boundary and never inside a tag or an entity that an
// earlier keyword or the page put there, so the markup stays whole.
std::string MarkKeyword(const std::string& title, const std::string& keyword) {
  std::string marked;
  for (size_t at = 0; at < title.size();) {
    char c = title[at];
    if (c == '<' || c == '&') {
      size_t end = title.find(c == '<' ? '>' : ';', at);
      end = end == std::string::npos ? title.size() : end + 1;
      marked.append(title, at, end - at);
      at = end;
    } else if (title.compare(at, keyword.size(), keyword) == 0) {
      marked += "<mark>" + keyword + "</mark>";
      at += keyword.size();
    } else {
      size_t length = IsShiftJisLead(static_cast<unsigned char>(c)) && at + 1 < title.size() ? 2 : 1;
      marked.append(title, at, length);
      at += length;
    }
  }
  return marked;
}

// The text piece that holds a row's title: the first text of the title cell's
// link, or of the cell itself.
MarkupText* TitleText(MarkupElement& row) {
  MarkupElement* cell = row.FindCellById("title", false);
  if (!cell) return nullptr;
  if (MarkupElement* link = cell->FindChild("a", false)) cell = link;
  return cell->FirstText();
}

// The link cells' ids with whether each is on.
std::array<std::pair<const char*, bool>, 5> LinkChoices(const CellOptions& cells) {
  return {{{"gmo", cells.gmo}, {"kcom", cells.kcom}, {"sbi", cells.sbi}, {"ifis", cells.ifis}, {"yahoo", cells.yahoo}}};
}

}  // namespace

SummaryPage::SummaryPage(const SummaryInputs& inputs) : in_(inputs), opt_(*inputs.settings) { NewFrame(); }

SummaryPage::~SummaryPage() = default;

void SummaryPage::NewFrame() {
  page_ = BuildPageFrame(in_.title, kStyleSheetFile, table_);
  adopted_ = false;
  oldest_ = kBeforeAnyDay;
  newest_ = kNoDate;
}

bool SummaryPage::Adopt(std::unique_ptr<MarkupDocument> page) {
  page_ = std::move(page);
  LinkSiteIcon(*page_);
  table_ = page_->FindChild("table", true);
  // A page without rows, or whose top row has no readable date, is rebuilt:
  // it could not tell which days it holds.
  newest_ = table_ && !table_->children().empty() ? RowDate(*table_->children().front()) : 0;
  if (newest_ == 0) {
    NewFrame();
    return false;
  }
  // The parser reads an alphanumeric code as pieces; written back, they stay one.
  for (MarkupElement* row : table_->children()) JoinTickerPieces(*row);
  // Days before PeriodSt go, from the bottom up.
  for (size_t i = table_->children().size(); i-- > 0;) {
    uint32_t date = RowDate(*table_->children()[i]);
    if (date == 0) continue;
    if (date >= opt_.periodStart) {
      oldest_ = date;
      adopted_ = true;
      return true;
    }
    table_->RemoveChildren(i, table_->children().size() - i);
  }
  NewFrame();
  return false;
}

// Removes the group of a day from the top part of the page: from its date
// cell down to the next date cell.
void SummaryPage::RemoveDay(uint32_t date) {
  const NodeList<MarkupElement>& rows = table_->children();
  size_t first = 0;
  while (first < rows.size() && RowDate(*rows[first]) != date) ++first;
  size_t end = first + 1;
  while (end < rows.size() && !rows[end]->FindCellById("date", false)) ++end;
  table_->RemoveChildren(first, end - first);
}

void SummaryPage::AddDay(uint32_t date, MarkupElement& dayTable) {
  if (date == newest_) RemoveDay(date);
  std::vector<std::unique_ptr<MarkupElement>>& into = date < oldest_ ? below_ : above_;
  size_t start = into.size();
  MarkupElement* lower = nullptr;
  while (!dayTable.children().empty()) {
    std::unique_ptr<MarkupElement> row = dayTable.DetachChild(dayTable.children().front());
    if (!Decorate(*row, lower)) continue;
    lower = row.get();
    into.push_back(std::move(row));
  }
  size_t kept = into.size() - start;
  if (kept == 0) return;
  auto cell = std::make_unique<MarkupElement>("td");
  cell->AddAttribute("id", "date");
  cell->AddRowspan(static_cast<int32_t>(kept));
  FormatDateCell(date, *cell, true);
  into.back()->InsertChild(0, std::move(cell));  // the group's top row
}

// The twelve steps of one row; false when a filter drops it. `lower` is the row
// of the same day decorated just before, which stands directly below this one.
bool SummaryPage::Decorate(MarkupElement& row, MarkupElement* lower) {
  const CompanyLookup& companies = *in_.companies;
  JoinTickerPieces(row);
  Code ticker = RowTicker(row);
  MarkupElement* name = row.FindCellById("coname", false);
  std::string_view stored = companies.NameOf(ticker);
  // The stored name came from a site or a hand-edited file: only its text
  // reaches the page.
  std::string safeName = opt_.fullName && stored.size() >= 2 ? SafeMarkupText(stored) : std::string();
  if (name && !safeName.empty()) {
    name->ClearTexts();
    name->AddText(safeName);
  }
  if (name && opt_.cells.inPortHighlight && in_.view != View::kPort)
    HighlightName(*name, in_.view, in_.selections, ticker);
  // The market of the row's own text when the profile does not know it (yet).
  MarkupElement* marketCell = row.FindCellById("market", false);
  uint8_t market = companies.Loaded() ? companies.MarketOf(ticker) : 0;
  if (market == 0 && marketCell) market = MarketCodeOfName(CellText(*marketCell));
  uint8_t industry = companies.Loaded() ? companies.IndustryOf(ticker) : 0;
  MarkupText* title = TitleText(row);
  if (SummaryRowHidden(opt_, in_.selections, market, industry, title ? title->text() : std::string_view()))
    return false;
  if (title && in_.selections.keywords) {
    std::string marked(title->text());
    for (const std::string& keyword : *in_.selections.keywords)
      if (!keyword.empty()) marked = MarkKeyword(marked, keyword);
    title->SetText(marked);
  }
  MarkupElement* industryCell = row.FindCellById("industry", false);
  if (!opt_.cells.industry && industryCell) row.RemoveChild(industryCell);
  if (opt_.cells.industry && !industryCell)
    row.InsertChildAfter(marketCell ? marketCell : name, TextCell("industry", IndustryName(industry)));
  if (opt_.cells.market) {
    if (!marketCell) marketCell = row.InsertChildAfter(name, TextCell("market", ""));
    marketCell->ClearTexts();
    marketCell->AddText(MarketName(market));
  } else if (marketCell) {
    row.RemoveChild(marketCell);
  }
  for (const auto& [id, on] : LinkChoices(opt_.cells))
    if (MarkupElement* cell = row.FindCellById(id, false); cell && !on) row.RemoveChild(cell);
  InsertLinkCells(row, name, opt_.cells, ticker, market);
  if (lower) MergeWithLower(row, *lower);
  MarkupElement* tickerCell = row.FindCellById("ticker", false);
  if (tickerCell && !tickerCell->FindChild("a", false) && in_.selections.HasIndiv(ticker)) LinkTickerToIndiv(*tickerCell);
  return true;
}

// Joins this row's cells with the row below it: the ticker and its own cells
// for the same company, the name for the same name, the time for the same time.
void SummaryPage::MergeWithLower(MarkupElement& row, MarkupElement& lower) const {
  auto join = [&](const char* id, int span) {
    MarkupElement* mine = row.FindCellById(id, false);
    MarkupElement* theirs = lower.FindCellById(id, false);
    if (!mine || !theirs) return;
    mine->SetRowspan(span);
    lower.RemoveChild(theirs);
  };
  auto spanOf = [](MarkupElement& of, const char* id) {
    MarkupElement* cell = of.FindCellById(id, false);
    return cell ? CellRowspan(*cell) + 1 : 2;
  };
  if (RowTicker(row) == RowTicker(lower)) {
    int span = spanOf(lower, "ticker");
    join("ticker", span);
    for (const auto& [id, on] : LinkChoices(opt_.cells))
      if (on) join(id, span);
    if (opt_.cells.market) join("market", span);
    if (opt_.cells.industry) join("industry", span);
  }
  MarkupElement* name = row.FindCellById("coname", false);
  MarkupElement* lowerName = lower.FindCellById("coname", false);
  if (name && lowerName && CellText(*name) == CellText(*lowerName)) join("coname", spanOf(lower, "coname"));
  MarkupElement* time = row.FindCellById("time", false);
  MarkupElement* lowerTime = lower.FindCellById("time", false);
  if (opt_.mergeTime && time && lowerTime && CellText(*time) == CellText(*lowerTime)) join("time", spanOf(lower, "time"));
}

// Puts the new rows in: those of older days below the page's bottom row, the
// others on top, each group in the reverse of the order it was put in.
std::unique_ptr<MarkupDocument> SummaryPage::Finish() {
  std::reverse(below_.begin(), below_.end());
  table_->InsertChildren(table_->children().size(), std::move(below_));
  std::reverse(above_.begin(), above_.end());
  table_->InsertChildren(0, std::move(above_));
  return std::move(page_);
}

namespace {

// Whether a day the page holds already (O <= D < N) has a day file written
// after the page: a day whose download failed and came later, or views rebuilt
// after a list was edited. Merging would skip it for good.
bool NewDayWrittenLate(const SummaryInputs& in, const std::string& path, const SummaryPage& page) {
  uint64_t pageWritten = 0;
  if (!FileEntry(path.c_str()).LastWriteStamp(pageWritten)) return true;
  for (uint32_t date = page.OldestDay(); date < page.NewestDay() && date <= in.endDate; date = NextDay(date)) {
    uint64_t dayWritten = 0;
    if (FileEntry(in.output.DayFile(in.view, date).c_str()).LastWriteStamp(dayWritten) && dayWritten > pageWritten)
      return true;
  }
  return false;
}

// Whether the page on disk is continued: it reads and parses, tells which
// days it holds, and none of them has changed since. One that does not parse
// would never be updated again: it goes aside and is made anew.
bool ContinuePage(const SummaryInputs& in, const std::string& path, SummaryPage& page) {
  std::string text;
  if (!ReadAll(path.c_str(), text)) return false;
  PageParser parser;
  parser.quiet = true;
  std::unique_ptr<MarkupDocument> existing = parser.ParseHandedOver(std::move(text));
  if (!existing) {
    std::string aside = SetPageAside(path, in.today);
    ReportError("既存のまとめhtml<%s>のパースに失敗したので<%s>に移して作り直します", path.c_str(), aside.c_str());
    return false;
  }
  return page.Adopt(std::move(existing)) && !NewDayWrittenLate(in, path, page);
}

// Adds the day file of a date, when it reads and parses.
void AddDayFile(const SummaryInputs& in, uint32_t date, SummaryPage& page) {
  std::string text;
  if (!ReadAll(in.output.DayFile(in.view, date).c_str(), text)) return;
  PageParser parser;
  std::unique_ptr<MarkupDocument> day = parser.ParseHandedOver(std::move(text));
  MarkupElement* dayTable = day ? day->FindChild("table", true) : nullptr;
  if (dayTable) page.AddDay(date, *dayTable);
}

}  // namespace

bool BuildSummaryPage(const SummaryInputs& inputs) {
  std::string path = inputs.output.SummaryPage(inputs.view);
  auto page = std::make_unique<SummaryPage>(inputs);
  bool merging = !inputs.rebuild && !inputs.settings->remake && FileEntry(path.c_str()).ExistsPath() &&
                 ContinuePage(inputs, path, *page);
  if (!merging) page = std::make_unique<SummaryPage>(inputs);
  for (uint32_t date = inputs.settings->periodStart; date <= inputs.endDate; date = NextDay(date)) {
    if (page->Holds(date)) continue;  // already on the page
    if (FileEntry(inputs.output.DayFile(inputs.view, date).c_str()).ExistsPath()) AddDayFile(inputs, date, *page);
  }
  std::unique_ptr<MarkupDocument> finished = page->Finish();
  // Rows kept from earlier runs change over to an archived copy too.
  MarkupElement* table = finished->FindChild("table", true);
  if (table && inputs.settings->ArchiveLinks(inputs.view))
    LinkTitlesToArchive(*table, inputs.output, "",
                        [&](Code code) { return inputs.selections.InView(inputs.view, code); });
  std::string feed = std::string(ViewName(inputs.view)) + ".atom";
  LinkAtomFeed(*finished, inputs.settings->atomFeed ? feed.c_str() : nullptr, inputs.title);
  if (!SavePage(path.c_str(), *finished)) return false;
  if (inputs.settings->atomFeed) return BuildAtomFeed(inputs);
  // A feed left from when the option was on would go stale.
  FileEntry old(inputs.output.AtomFeed(inputs.view).c_str());
  if (old.ExistsPath()) old.Delete();
  return true;
}

bool TitleIgnored(std::string_view title, const std::vector<std::string>* entries) {
  if (!entries) return false;
  for (const std::string& entry : *entries) {
    if (!entry.empty() && entry[0] == '*') {
      if (title.find(std::string_view(entry).substr(1)) != std::string_view::npos) return true;
    } else if (title == entry) {
      return true;
    }
  }
  return false;
}

bool SummaryRowHidden(const PageSettings& settings, const PageSelections& selections, uint8_t market,
                      uint8_t industry, std::string_view title) {
  return (settings.ignoreGR && IsGreenSheet(market)) || (settings.ignoreAim && IsProMarket(market)) ||
         (settings.ignoreForeign && IsForeign(market)) || (settings.ignoreREIT && IsReit(industry)) ||
         (settings.ignoreETF && IsEtf(industry)) || TitleIgnored(title, selections.ignoreTitles);
}
