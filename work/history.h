// The user's disclosure history as data: the raw store's rows over a period,
// with what the company store knows of each company, for `velkora search` and
// `velkora export`. Reads the store and changes nothing in it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/disclosures.h"
#include "pages/page_inputs.h"
#include "pages/views.h"
#include "settings/lists.h"
#include "settings/tickers.h"
#include "work/run_settings.h"

// What to read of the history.
struct HistoryQuery {
  uint32_t from = 0;         // the first day; 0 from the oldest stored
  uint32_t to = 99991231;    // the last day
  std::vector<Code> codes;   // only these companies; empty: every company
  // With a view: only the companies it shows, without the ignored companies
  // and titles (when their options are on), as its pages show them.
  std::optional<View> view;
};

// A row of the history with what the company store knows of its company.
struct HistoryRecord {
  Disclosure row;
  std::string fullName;  // the stored full name (page text); empty when unknown
  uint8_t market = 0;    // the stored profile; 0 unknown
  uint8_t industry = 0;
};

// The names and profiles of "_coname.txt" and "_coprof.dat", read only. A
// missing or damaged file leaves what it cannot give unknown.
class StoredCompanies : public CompanyLookup {
 public:
  explicit StoredCompanies(const OutputDir& output);
  bool Loaded() const override { return !profile_.empty(); }
  std::string_view NameOf(Code code) const override;
  uint8_t MarketOf(Code code) const override;
  uint8_t IndustryOf(Code code) const override;

 private:
  std::vector<std::string> names_;
  std::string profile_;
};

// The history of the output directory a run's settings name.
class History {
 public:
  History(RunSettings settings, HistoryQuery query);
  History(const History&) = delete;
  History& operator=(const History&) = delete;

  // The stored days of the query's period, newest first.
  std::vector<uint32_t> Days() const;
  // The records of one stored day that the query keeps, newest first. False
  // (with a warning) when the day file cannot be read.
  bool ReadDay(uint32_t date, std::vector<HistoryRecord>& records) const;

 private:
  bool Keeps(const Disclosure& row) const;

  RunSettings settings_;
  HistoryQuery query_;
  StoredCompanies companies_;
  UserLists lists_;
  TickerBits xls_;
  std::vector<std::string> ignoreTitles_;
};

// Text for case-blind matching: ASCII letters lower-cased, full-width ASCII
// letters and digits ("Ａ", "ｂ", "３") as their ASCII forms; Shift_JIS in and out.
std::string FoldForSearch(std::string_view sjis);
// Whether every word (folded) occurs in the record's title or its name (the
// list's or the stored full name).
bool MatchesEveryWord(const HistoryRecord& record, const std::vector<std::string>& foldedWords);

// The name a record shows: the stored full name when known, else the list's.
std::string DisplayName(const HistoryRecord& record);
// The market a record shows: the stored profile's, else the list's.
std::string DisplayMarket(const HistoryRecord& record);

// One line of search output (UTF-8, tab-separated, no line break): date
// "yyyy-mm-dd", time "hh:mm", code, name, market, title, PDF address.
std::string SearchLine(const HistoryRecord& record);

// Export as CSV (RFC 4180, CRLF line ends) or JSON Lines, UTF-8.
enum class ExportFormat { kCsv, kJsonLines };
// The CSV header line (with its CRLF); empty for JSON Lines.
std::string ExportHeader(ExportFormat format);
// One record with its line end.
std::string ExportLine(ExportFormat format, const HistoryRecord& record);
