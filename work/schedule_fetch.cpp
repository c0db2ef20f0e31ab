// The schedule store's downloads (one report page per turn, step 7) and the
// reading of report pages and of the user's monthly list.
#include <cstring>

#include "markup/parser.h"
#include "markup/text.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/http.h"
#include "platform/sjis.h"
#include "settings/site_urls.h"
#include "work/company_store.h"
#include "work/run_settings.h"
#include "work/run_trace.h"
#include "work/schedule_store.h"

namespace {

// The report site's name, in the title of every page of it: a page of the site
// without a company ("stock_name") is the page of a vacant code; a page
// without it (a block page, a captcha) says nothing.
constexpr char kReportSiteMark[] = "株予報";

// Whether the page's title carries the report site's name.
bool IsReportSitePage(std::string_view page) {
  size_t title = page.find("<title>");
  size_t end = title == std::string_view::npos ? title : page.find("</title>", title);
  if (end == std::string_view::npos) return false;
  return page.substr(title, end - title).find(kReportSiteMark) != std::string_view::npos;
}

// Reads a number at `at` (advanced past it); -1 when there is none.
int NumberAt(std::string_view text, size_t& at) {
  if (at >= text.size()) return -1;
  std::string copy(text.substr(at, 16));
  const char* cursor = copy.c_str();
  NumberSlot number;
  int kind = ReadNumber(cursor, &number);
  at += static_cast<size_t>(cursor - copy.c_str());
  return kind == kIntegerNumber ? number.integer : -1;
}

// Moves `at` past one character (two bytes for a Shift_JIS double-byte one).
void SkipCharacter(std::string_view text, size_t& at) {
  if (at < text.size()) at += IsShiftJisLead(static_cast<unsigned char>(text[at])) ? 2 : 1;
}

// The quarter a block names, or -1.
int QuarterOf(std::string_view block) {
  auto has = [&](const char* word) { return block.find(word) != std::string_view::npos; };
  if (has("1Q")) return 0;
  if (has("2Q") || has("中間決算")) return 1;
  if (has("3Q")) return 2;
  if (has("4Q") || has("本決算")) return 3;
  return -1;
}

// The date of the block's date text: exact ("2024/11/08") or a part of a month
// ("2025年2月下旬", "2月中旬"). False when it does not read as a real date.
bool ReadAnnouncementDate(std::string_view text, int status, uint32_t today, uint32_t& date) {
  size_t at = text.find_first_of("0123456789");
  if (at == std::string_view::npos) return false;
  int year = NumberAt(text, at), month = 0, day = 0;
  if (status == kScheduleExact) {
    SkipCharacter(text, at);
    month = NumberAt(text, at);
    SkipCharacter(text, at);
    day = NumberAt(text, at);
  } else {
    if (year >= 0 && year < 13) {
      month = year;
      year = DateYear(today) + (month < DateMonth(today) ? 1 : 0);
    } else {
      SkipCharacter(text, at);
      month = NumberAt(text, at);
    }
    day = status == kScheduleEarly ? 9 : status == kScheduleMiddle ? 19 : DaysInMonth(year, month);
  }
  if (year < 0 || month < 0 || day < 0) return false;
  date = MakeDate(year, month, day);
  return IsValidDate(date);
}

// The block of the next announcement ("次回決算"), with its blanks and line
// breaks taken out; false when the page has none.
bool NextAnnouncementBlock(std::string_view page, std::string& block) {
  size_t start = page.find("block_update");
  if (start == std::string_view::npos) return false;
  start += 12;
  size_t end = page.find("\"float_end\"", start);
  block.clear();
  for (char c : page.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start))
    if (c != '\r' && c != '\n' && c != '\t' && c != ' ') block += c;
  return block.find("次回決算") != std::string::npos;
}

void SetEntry(ScheduleEntry& entry, uint32_t date, int status) {
  entry.date = date;
  entry.SetQuarter(0);
  entry.SetStatus(status);
}

}  // namespace

ReportOutcome ReadReportPage(std::string_view page, uint32_t today, int recheckEmptyDays, ScheduleEntry& entry) {
  std::string block;
  if (NextAnnouncementBlock(page, block)) {
    int quarter = QuarterOf(block);
    size_t settle = block.find("settle", block.find("次回決算"));
    size_t settleEnd = settle == std::string::npos ? settle : block.find('>', settle);
    size_t dateKey = settleEnd == std::string::npos ? settleEnd : block.find("date", settleEnd);
    size_t dateStart = dateKey == std::string::npos ? dateKey : block.find('>', dateKey);
    if (dateStart == std::string::npos) return ReportOutcome::kUpdated;  // nothing readable: left as it was
    std::string_view rest = std::string_view(block).substr(dateStart + 1);
    int status = rest.find("上旬") != std::string_view::npos   ? kScheduleEarly
                 : rest.find("中旬") != std::string_view::npos ? kScheduleMiddle
                 : rest.find("下旬") != std::string_view::npos ? kScheduleLate
                                                               : kScheduleExact;
    uint32_t date = 0;
    if (!ReadAnnouncementDate(rest, status, today, date)) return ReportOutcome::kUpdated;
    if (quarter >= 0) entry.SetQuarter(quarter);
    entry.SetStatus(status);
    entry.date = date;
    return ReportOutcome::kUpdated;
  }
  if (page.find("stock_name") != std::string_view::npos) {
    if (page.find("ETF/ETN") != std::string_view::npos)
      SetEntry(entry, kNoDate, kScheduleNone);
    else
      SetEntry(entry, AddDays(today, 30), kScheduleProvisional);
    return ReportOutcome::kUpdated;
  }
  if (page.find("403 Forbidden") != std::string_view::npos) return ReportOutcome::kRefused;
  if (!IsReportSitePage(page)) return ReportOutcome::kNotAReportPage;
  SetEntry(entry, AddDays(today, recheckEmptyDays), kScheduleVacant);
  return ReportOutcome::kVacant;
}

namespace {

// The whole number an attribute's value holds, or -1.
int NumberOf(const MarkupAttribute* attribute) {
  if (!attribute) return -1;
  const char* cursor = attribute->c_str();
  NumberSlot number;
  return ReadNumber(cursor, &number) == kIntegerNumber && *cursor == '\0' ? number.integer : -1;
}

// The monthly entries of the top-level elements of a document.
void AppendMonthly(const MarkupDocument& document, uint32_t today, std::vector<MonthlyEntry>& list) {
  for (const MarkupElement* element : document.children()) {
    const MarkupAttribute* code = element->FindAttribute("ticker");
    std::optional<Code> alphanumeric = code ? Code::FromText(code->text()) : std::nullopt;
    Code ticker = alphanumeric && !alphanumeric->IsNumeric() ? *alphanumeric : Code(NumberOf(code));
    int d = NumberOf(element->FindAttribute("date"));
    if (!ticker.IsCompany()) continue;
    int year = DateYear(today), month = DateMonth(today);
    if (d < DateDay(today) && ++month > 12) month = 1, ++year;  // the day has passed: next month
    uint32_t date = MakeDate(year, month, d);
    if (d < 1 || !IsValidDate(date)) continue;
    int weekday = DayOfWeek(date);
    if (weekday == 0) date = AddDays(date, 1);
    if (weekday == 6) date = AddDays(date, 2);
    const MarkupAttribute* title = element->FindAttribute("title");
    const MarkupAttribute* url = element->FindAttribute("url");
    list.push_back({ticker, date, 0, title ? std::string(title->text()) : std::string(),
                    url ? std::string(url->text()) : std::string()});
  }
}

}  // namespace

std::vector<MonthlyEntry> ReadMonthlyList(const std::string& text, uint32_t today) {
  std::vector<MonthlyEntry> list;
  MarkupParser parser;
  parser.quiet = true;
  if (std::unique_ptr<MarkupDocument> document = parser.Parse(text)) {
    AppendMonthly(*document, today, list);
    return list;
  }
  // One line that does not read must not cost the others: line by line.
  TextLines lines(text);
  for (size_t i = 0; i < lines.Count(); ++i)
    if (std::unique_ptr<MarkupDocument> line = parser.Parse(lines.View(i))) AppendMonthly(*line, today, list);
  return list;
}

Turn ScheduleStore::FetchNextSchedule(CompanyStore& companies, HttpDownloader& downloader, RunTrace& trace) {
  // The numeric codes by their bits, then the alphanumeric ones in order.
  int end = kTickerCount + static_cast<int>(alnumRequests_.size());
  auto requested = [&](int at) { return at >= kTickerCount || request_.test(static_cast<size_t>(at)); };
  auto codeAt = [&](int at) {
    return at < kTickerCount ? Code::AtIndex(static_cast<size_t>(at)) : alnumRequests_[static_cast<size_t>(at - kTickerCount)];
  };
  while (fetchCursor_ < end && !requested(fetchCursor_)) ++fetchCursor_;
  if (fetchCursor_ >= end) {
    downloadsMade_ = failed_ == 0;
    return Turn::kDone;
  }
  if (!reportSite_.Asking()) {
    // The site is not asked again in this run: the rest keep their entries
    // and are asked for at the next due run.
    for (int rest = fetchCursor_; rest < end; ++rest)
      if (requested(rest)) KeepPrevious(*SlotOf(codeAt(rest), true));
    fetchCursor_ = end;
    downloadsMade_ = false;
    return Turn::kDone;
  }
  Code ticker = codeAt(fetchCursor_);
  size_t slot = *SlotOf(ticker, true);
  std::string url = settings_.sites.ReportPage(ticker);
  trace.Log(2, "download & check schedule html(%s)\n", ticker.Text().c_str());
  FetchedPage answer = FetchPage(downloader, url);
  // Only a page of the site answered with 200 counts; anything else leaves
  // the entry as it was.
  ScheduleEntry& entry = slots_[slot][0];
  ScheduleEntry read = entry;
  ReportOutcome outcome = ReportOutcome::kNotAReportPage;
  if (answer.IsPage())
    outcome = ReadReportPage(answer.text, TodayDate(), settings_.schedules.recheckEmptyDays, read);
  if (outcome == ReportOutcome::kUpdated || outcome == ReportOutcome::kVacant) {
    entry = read;
    dirty_ = true;
    reportSite_.Counted();
    if (outcome == ReportOutcome::kVacant) companies.ForgetRequest(ticker);
    companies.TakeNameFromReportPage(ticker, answer.text);
  } else {
    ++failed_;
    KeepPrevious(slot);
    if (outcome == ReportOutcome::kRefused || answer.IsRefusal())
      reportSite_.Refused(url, answer.IsRefusal() ? answer.status : 200, trace);
    else
      reportSite_.Unusable(url, WhyUnusable(answer), trace);
  }
  ++fetchCursor_;
  ++fetched_;
  trace.ShowProgress(kProgressSchedules, static_cast<int>(fetched_), static_cast<int>(toFetch_));
  return Turn::kMore;
}
