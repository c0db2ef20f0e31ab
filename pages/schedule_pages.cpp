#include "pages/schedule_pages.h"

#include <algorithm>

#include "markup/safe_text.h"
#include "markup/tree.h"
#include "pages/cells.h"
#include "pages/frame.h"
#include "pages/output.h"
#include "pages/rows.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "settings/markets.h"

namespace {

// One row of the page: an expected announcement of a company, or the day of
// its monthly figures.
struct Item {
  ScheduleEntry entry;
  Code ticker;
  const MonthlyEntry* monthly = nullptr;  // a monthly item
  int16_t earlierTime = 0;                // the time of entry 2 of the slot

  int Status() const { return monthly ? kScheduleExact : entry.Status(); }
};

int TimeKey(int time) { return time == 0 ? 9999 : time; }

bool Sooner(const Item& a, const Item& b) {
  if (a.entry.date != b.entry.date) return a.entry.date < b.entry.date;
  if (a.Status() != b.Status()) return a.Status() < b.Status();
  if (TimeKey(a.entry.time) != TimeKey(b.entry.time)) return TimeKey(a.entry.time) < TimeKey(b.entry.time);
  if (TimeKey(a.earlierTime) != TimeKey(b.earlierTime)) return TimeKey(a.earlierTime) < TimeKey(b.earlierTime);
  return a.ticker < b.ticker;
}

// Trading ends at 15:00 in Tokyo and for unknown or green-sheet markets, at
// 15:30 on the regional exchanges.
int ClosingTime(uint8_t market) { return IsRegional(market) ? 1530 : 1500; }

std::vector<Item> CollectItems(const ScheduleInputs& in) {
  std::vector<Item> items;
  for (size_t index = 0; in.slots && index < in.slots->size(); ++index) {
    size_t extra = index - kTickerCount;
    Code ticker = index < kTickerCount ? Code::AtIndex(index)
                  : in.slotCodes && extra < in.slotCodes->size() ? (*in.slotCodes)[extra]
                                                                 : Code();
    const ScheduleSlot& slot = (*in.slots)[index];
    int status = slot[0].Status();
    if (!ticker.IsCompany() || status == kScheduleProvisional || status == kScheduleVacant ||
        status == kScheduleNone || !in.selections.InView(in.view, ticker))
      continue;
    items.push_back({slot[0], ticker, nullptr, slot[2].time});
  }
  for (size_t i = 0; in.monthly && i < in.monthly->size(); ++i) {
    const MonthlyEntry& monthly = (*in.monthly)[i];
    if (!in.selections.InView(in.view, monthly.ticker)) continue;
    ScheduleEntry entry;
    entry.date = monthly.date;
    entry.time = static_cast<int16_t>(monthly.time);
    entry.SetStatus(kScheduleMonthly);
    items.push_back({entry, monthly.ticker, &monthly, 0});
  }
  std::stable_sort(items.begin(), items.end(), Sooner);
  return items;
}

std::string DateText(const ScheduleEntry& entry, int status) {
  static const char* const kParts[] = {"上", "中", "下"};
  if (status >= kScheduleEarly && status <= kScheduleLate)
    return FormatString("%d/%d/%s", DateYear(entry.date), DateMonth(entry.date), kParts[status - kScheduleEarly]);
  return DateCellText(entry.date, true);
}

// The title cell: the disclosure's own once it was made, else what is expected.
std::unique_ptr<MarkupElement> TitleCell(const ScheduleInputs& in, const Item& item) {
  const std::vector<AnnouncedRow>* rows = item.monthly ? in.monthlyReported : in.reported;
  if (item.entry.time != 0 && rows) {
    for (const AnnouncedRow& row : *rows)
      if (row.ticker == item.ticker) return row.titleCell->Clone();
  }
  static const char* const kQuarters[] = {"（予）第１四半期", "（予）中間決算", "（予）第３四半期", "（予）本決算"};
  if (!item.monthly) return TextCell("title", kQuarters[item.entry.Quarter()]);
  // The user's own file: its text too is only text in the page.
  std::string text = SafeMarkupText(item.monthly->title);
  if (text.empty()) text = "（予）月次";
  if (item.monthly->url.empty()) return TextCell("title", text);
  auto cell = std::make_unique<MarkupElement>("td");
  cell->AddAttribute("id", "title");
  MarkupElement* link = cell->AddChild("a");
  link->AddAttribute("href", SafeAttributeValue(item.monthly->url));
  link->AddAttribute("target", "_blank");
  link->AddText(text);
  return cell;
}

// The rows of the page, group by group.
class ScheduleBuilder {
 public:
  ScheduleBuilder(const ScheduleInputs& in, MarkupElement& table)
      : in_(in), table_(table), settings_(*in.settings), cells_(settings_.cells) {}
  void Add(const Item& item);
  void Finish() {
    CloseDate();
    CloseTime();
  }

 private:
  void CloseDate() {
    if (dateCell_) dateCell_->AddRowspan(dateRows_);
    dateCell_ = nullptr;
  }
  void CloseTime() {
    if (timeCell_) timeCell_->AddRowspan(timeRows_);
    timeCell_ = nullptr;
  }
  void AddTimeCell(MarkupElement& row, const MarkupElement* tickerCell, const Item& item, uint8_t market);

  const ScheduleInputs& in_;
  MarkupElement& table_;
  const PageSettings& settings_;
  const CellOptions& cells_;
  int64_t groupKey_ = -1;
  MarkupElement* dateCell_ = nullptr;
  int dateRows_ = 0;
  MarkupElement* timeCell_ = nullptr;
  int timeRows_ = 0;
  int rememberedTime_ = 9999;
};

void ScheduleBuilder::Add(const Item& item) {
  const CompanyLookup& companies = *in_.companies;
  uint8_t market = companies.Loaded() ? companies.MarketOf(item.ticker) : 0;
  uint8_t industry = companies.Loaded() ? companies.IndustryOf(item.ticker) : 0;
  if (settings_.ignoreAim && companies.Loaded() && IsProMarket(market)) return;
  MarkupElement* row = table_.AddChild("tr");
  int64_t key = static_cast<int64_t>(item.entry.date) + static_cast<int64_t>(item.Status()) * 100000000;
  if (key != groupKey_) {
    CloseDate();
    groupKey_ = key;
    dateCell_ = row->AddChild("td");
    dateCell_->AddAttribute("id", "date");
    dateCell_->AddText(DateText(item.entry, item.Status()));
    dateRows_ = 0;
    if (settings_.mergeTime) {
      CloseTime();
      rememberedTime_ = 9999;
    }
  }
  ++dateRows_;
  MarkupElement* tickerCell = row->AddChild("td");
  tickerCell->AddAttribute("id", "ticker");
  tickerCell->AddText(item.ticker.Text());
  if (in_.selections.HasIndiv(item.ticker)) LinkTickerToIndiv(*tickerCell);
  // The stored name came from a site or a hand-edited file: only its text
  // reaches the page.
  std::string_view stored = companies.NameOf(item.ticker);
  std::string safeName = stored.size() > 1 ? SafeMarkupText(stored) : std::string();
  MarkupElement* name = row->InsertChild(row->children().size(), TextCell("coname", safeName.empty() ? "？" : safeName));
  if (cells_.inPortHighlight && in_.view != View::kPort) HighlightName(*name, in_.view, in_.selections, item.ticker);
  if (cells_.industry) row->InsertChildAfter(name, TextCell("industry", IndustryName(industry)));
  if (cells_.market) row->InsertChildAfter(name, TextCell("market", MarketName(market)));
  InsertLinkCells(*row, name, cells_, item.ticker, market);
  row->InsertChild(row->children().size(), TitleCell(in_, item));
  AddTimeCell(*row, tickerCell, item, market);
}

void ScheduleBuilder::AddTimeCell(MarkupElement& row, const MarkupElement* tickerCell, const Item& item,
                                  uint8_t market) {
  int time = item.entry.time != 0 ? item.entry.time : item.earlierTime;
  if (settings_.mergeTime && time == rememberedTime_) {
    ++timeRows_;
    return;
  }
  CloseTime();
  timeCell_ = row.InsertChildBefore(tickerCell, std::make_unique<MarkupElement>("td"));
  timeCell_->AddAttribute("id", "time");
  if (time == 0) {
    timeCell_->AddText("----");
  } else if (item.entry.time != 0) {
    timeCell_->AddTextFormat("%04d", time);
  } else {
    timeCell_->AddTextFormat("%04d*", time);
    // An estimate that falls in trading hours, when the user wants it marked.
    if (settings_.inMarketTime && in_.companies->Loaded() && time < ClosingTime(market))
      timeCell_->AddAttribute("class", "in_market_time");
  }
  timeRows_ = 1;
  rememberedTime_ = time;
}

}  // namespace

std::unique_ptr<MarkupDocument> MakeSchedulePage(const ScheduleInputs& inputs) {
  MarkupElement* table = nullptr;
  std::unique_ptr<MarkupDocument> page = BuildPageFrame(inputs.title, kStyleSheetFile, table);
  ScheduleBuilder builder(inputs, *table);
  for (const Item& item : CollectItems(inputs)) builder.Add(item);
  builder.Finish();
  return page;
}

bool BuildSchedulePage(const ScheduleInputs& inputs) {
  return SavePage(inputs.output.SchedulePage(inputs.view).c_str(), *MakeSchedulePage(inputs));
}
