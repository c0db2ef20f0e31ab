#include "work/history.h"

#include <algorithm>
#include <cstdio>

#include "pages/summary_pages.h"
#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "settings/markets.h"
#include "work/company_store.h"
#include "work/run_trace.h"
#include "work/selections.h"
#include "work/steps.h"

namespace {

constexpr size_t kProfileRecordBytes = 4;

// Reads a file that may be missing, without a message.
std::string ReadIfPresent(const std::string& path) {
  std::string text;
  if (FileEntry(path.c_str()).ExistsPath()) ReadAll(path.c_str(), text);
  return text;
}

// The stored name as a full name: empty for "", "*" (requested) and "-" (no such
// company), as the pages treat them.
std::string FullNameOf(std::string_view stored) { return stored.size() >= 2 ? std::string(stored) : std::string(); }

// Progress is not shown while the spreadsheet directory is scanned.
class NoProgress : public WorkObserver {
 public:
  void ShowProgress(int, int, int) override {}
};

// The market cell of a row; empty for the mark of an unknown market.
std::string ListedMarket(const Disclosure& row) { return row.market == MarketName(0) ? std::string() : row.market; }

std::string IsoDate(uint32_t date) {
  return FormatString("%04u-%02u-%02u", date / 10000, date / 100 % 100, date % 100);
}

std::string ClockTime(int hhmm) { return FormatString("%02d:%02d", hhmm / 100 % 100, hhmm % 100); }

std::string CsvField(const std::string& utf8) {
  if (utf8.find_first_of(",\"\r\n") == std::string::npos) return utf8;
  std::string quoted = "\"";
  for (char c : utf8) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      out += FormatString("\\u%04x", u);
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// The fields of an exported record, UTF-8, in the order of the CSV columns.
std::vector<std::pair<const char*, std::string>> ExportFields(const HistoryRecord& record) {
  const Disclosure& row = record.row;
  std::string code = row.code.Text();  // as the raw store writes it
  return {
      {"date", IsoDate(row.date)},
      {"time", ClockTime(row.time)},
      {"code", code},
      {"tdnet_code", code + "0"},
      {"name", PageTextToUtf8(row.name)},
      {"full_name", PageTextToUtf8(record.fullName)},
      {"market", PageTextToUtf8(DisplayMarket(record))},
      {"industry", record.industry == 0 ? std::string() : ShiftJisToUtf8(IndustryName(record.industry))},
      {"title", PageTextToUtf8(row.title)},
      {"pdf_url", PageTextToUtf8(row.pdfUrl)},
      {"xbrl_url", PageTextToUtf8(row.xbrlUrl)},
      {"place", PageTextToUtf8(ListedMarket(row))},
      {"history", std::string()},   // not kept by the raw store
      {"document_id", DocumentId(row.pdfUrl)},
  };
}

}  // namespace

StoredCompanies::StoredCompanies(const OutputDir& output) : names_(kTickerCount) {
  std::string text = ReadIfPresent(output.File(kCompanyNamesFile));
  size_t index = 0, start = 0;
  while (start < text.size() && index < names_.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    names_[index++] = StoredName(line);
    start = end + 1;
  }
  profile_ = ReadIfPresent(output.File(kCompanyProfileFile));
}

std::string_view StoredCompanies::NameOf(Code code) const {
  std::optional<size_t> index = code.Index();
  return index ? std::string_view(names_[*index]) : std::string_view();
}

uint8_t StoredCompanies::MarketOf(Code code) const {
  std::optional<size_t> index = code.Index();
  size_t at = index ? *index * kProfileRecordBytes : profile_.size();
  return at < profile_.size() ? static_cast<uint8_t>(profile_[at]) : 0;
}

uint8_t StoredCompanies::IndustryOf(Code code) const {
  std::optional<size_t> index = code.Index();
  size_t at = index ? *index * kProfileRecordBytes + 1 : profile_.size();
  return at < profile_.size() ? static_cast<uint8_t>(profile_[at]) : 0;
}

History::History(RunSettings settings, HistoryQuery query)
    : settings_(std::move(settings)), query_(std::move(query)), companies_(settings_.output) {
  if (!query_.view) return;
  if (*query_.view == View::kPort) ParseTickerList(settings_.portList.c_str(), lists_.portfolio);
  if (settings_.ignoreListOn) ParseTickerList(settings_.ignoreList.c_str(), lists_.ignoreList);
  if (settings_.ignoreTitlesOn)
    ignoreTitles_ = LoadIgnoreTitles(settings_.output.File(kIgnoreTitleFileName).c_str());
  if (*query_.view == View::kXls) {
    NoProgress observer;
    RunTrace trace(observer, 0);
    RunSelections selections(lists_, settings_);
    selections.ResetXls();
    ScanXlsDirectory(selections, trace, settings_);
    xls_ = *selections.Xls();
  }
}

std::vector<uint32_t> History::Days() const { return StoredDays(settings_.output, kRawDir, query_.from, query_.to); }

bool History::Keeps(const Disclosure& row) const {
  if (!query_.codes.empty() && std::find(query_.codes.begin(), query_.codes.end(), row.code) == query_.codes.end())
    return false;
  if (!query_.view) return true;
  PageSelections selections;
  selections.portfolio = &lists_.portfolio;
  selections.xls = &xls_;
  selections.ignoreTitles = &ignoreTitles_;
  if (!selections.InView(*query_.view, row.code)) return false;
  if (settings_.ignoreListOn && lists_.ignoreList.Contains(row.code)) return false;
  uint8_t market = companies_.MarketOf(row.code);
  if (market == 0) market = MarketCodeOfName(row.market);
  return !SummaryRowHidden(settings_.pages, selections, market, companies_.IndustryOf(row.code), row.title);
}

bool History::ReadDay(uint32_t date, std::vector<HistoryRecord>& records) const {
  std::string path = settings_.output.DayFile(kRawDir, date);
  std::string text;
  std::vector<Disclosure> rows;
  if (!ReadAll(path.c_str(), text) || !ParseDayDisclosures(std::move(text), date, rows)) {
    ReportError("日付ファイル<%s>を読めません", path.c_str());
    return false;
  }
  for (Disclosure& row : rows) {
    if (!Keeps(row)) continue;
    HistoryRecord record;
    record.fullName = FullNameOf(companies_.NameOf(row.code));
    record.market = companies_.MarketOf(row.code);
    record.industry = companies_.IndustryOf(row.code);
    record.row = std::move(row);
    records.push_back(std::move(record));
  }
  return true;
}

std::string FoldForSearch(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size());
  for (size_t i = 0; i < sjis.size();) {
    unsigned char c = static_cast<unsigned char>(sjis[i]);
    if (ShiftJisCharLength(c) == 2 && i + 1 < sjis.size()) {
      unsigned char t = static_cast<unsigned char>(sjis[i + 1]);
      if (c == 0x82 && t >= 0x4F && t <= 0x58) out += static_cast<char>('0' + (t - 0x4F));
      else if (c == 0x82 && t >= 0x60 && t <= 0x79) out += static_cast<char>('a' + (t - 0x60));
      else if (c == 0x82 && t >= 0x81 && t <= 0x9A) out += static_cast<char>('a' + (t - 0x81));
      else out.append(sjis.substr(i, 2));
      i += 2;
      continue;
    }
    out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    ++i;
  }
  return out;
}

namespace {

// Whether `word` occurs in `text` at a character boundary (a match may not
// begin on a trail byte), both folded.
bool ContainsAtCharacter(std::string_view text, std::string_view word) {
  for (size_t i = 0; i + word.size() <= text.size(); i += ShiftJisCharLength(static_cast<unsigned char>(text[i])))
    if (text.compare(i, word.size(), word) == 0) return true;
  return false;
}

}  // namespace

bool MatchesEveryWord(const HistoryRecord& record, const std::vector<std::string>& foldedWords) {
  std::string title = FoldForSearch(PageTextToPlain(record.row.title));
  std::string name = FoldForSearch(PageTextToPlain(record.row.name));
  std::string fullName = FoldForSearch(PageTextToPlain(record.fullName));
  for (const std::string& word : foldedWords)
    if (!ContainsAtCharacter(title, word) && !ContainsAtCharacter(name, word) && !ContainsAtCharacter(fullName, word))
      return false;
  return true;
}

std::string DisplayName(const HistoryRecord& record) {
  return record.fullName.empty() ? record.row.name : record.fullName;
}

std::string DisplayMarket(const HistoryRecord& record) {
  const char* stored = record.market == 0 ? "" : MarketName(record.market);
  return *stored ? std::string(stored) : ListedMarket(record.row);
}

std::string SearchLine(const HistoryRecord& record) {
  const Disclosure& row = record.row;
  std::string line = IsoDate(row.date) + '\t' + ClockTime(row.time) + '\t' + row.code.Text() + '\t';
  line += PageTextToUtf8(DisplayName(record)) + '\t' + PageTextToUtf8(DisplayMarket(record)) + '\t';
  line += PageTextToUtf8(row.title) + '\t' + PageTextToUtf8(row.pdfUrl);
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  return line;
}

std::string ExportHeader(ExportFormat format) {
  if (format != ExportFormat::kCsv) return std::string();
  std::string line;
  for (const auto& [key, value] : ExportFields(HistoryRecord())) line += (line.empty() ? "" : ",") + std::string(key);
  return line + "\r\n";
}

std::string ExportLine(ExportFormat format, const HistoryRecord& record) {
  std::string line;
  for (const auto& [key, value] : ExportFields(record)) {
    if (format == ExportFormat::kCsv) line += (line.empty() ? "" : ",") + CsvField(value);
    else line += std::string(line.empty() ? "{" : ",") + JsonString(key) + ":" + JsonString(value);
  }
  return format == ExportFormat::kCsv ? line + "\r\n" : line + "}\n";
}
