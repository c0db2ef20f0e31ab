// The company store: per ticker, the company's name ("_coname.txt", 9000 lines)
// and a 4-byte profile record ("_coprof.dat": market code, industry code, two
// bytes kept as they are). Loaded at the start of a run, filled during it from
// the lists, the quote pages and the report pages, and saved near its end (and
// after each day, so that a run killed half-way loses nothing it learnt).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/page_inputs.h"
#include "work/turn.h"

class HttpDownloader;
class RunTrace;

// What a quote page says of a company: its name, or that the site knows no such
// company; the market and industry codes when the page names them.
struct QuoteFacts {
  enum class Name { kNone, kFound, kNoSuchCompany };
  Name nameKind = Name::kNone;
  std::string name;
  std::optional<uint8_t> market;
  std::optional<uint8_t> industry;
};
// Reads a quote page (Shift_JIS).
QuoteFacts ReadQuotePage(std::string_view page);

class CompanyStore : public CompanyLookup {
 public:
  // Loads what the options ask for: the profile table when a display option
  // needs markets or industries, the name table when the profile is loaded or
  // full names or schedules are wanted. A name left requested ("*") by an
  // earlier run counts as requested again.
  void LoadCompanyStore(RunTrace& trace);
  // Writes "_coname.txt" and "_coprof.dat" when they are loaded and changed
  // (step 12).
  void SaveCompanyStore(RunTrace& trace);
  // The same without the log lines, whenever what was learnt must reach the
  // disk before the run goes on (the end of each downloaded or converted day).
  void SaveChanges();

  // The lookups of the page builders.
  bool Loaded() const override { return profile_ != nullptr; }
  std::string_view NameOf(int ticker) const override;
  uint8_t MarketOf(int ticker) const override;
  uint8_t IndustryOf(int ticker) const override;

  // Whether the name table is loaded.
  bool NamesLoaded() const { return names_ != nullptr; }
  // The ticker's market byte to update, or null when the profile is not loaded
  // or the ticker has no table index.
  uint8_t* MarketByte(int ticker);

  // Marks a ticker's name for download (step 11) when it is unknown, or its
  // profile is stale, and it is neither requested already nor known not to exist.
  void RequestName(int ticker);
  // Takes the name of a requested ticker from a report page when full names
  // are not wanted ("stockname", "<h1>", the text after the first blank).
  void TakeNameFromReportPage(int ticker, std::string_view page);
  // A vacant ticker number: a requested name is no longer requested.
  void ForgetRequest(int ticker);
  // Names marked for download.
  uint32_t RequestedCount() const { return toFetch_; }
  // Whether "_coname.txt" was absent at the start of the run.
  bool NamesMissing() const { return namesMissing_; }
  // The profile changed: "_coprof.dat" is written in step 12.
  void MarkProfileDirty() { profileDirty_ = true; }
  // Prepares the download loop of step 11: cursor and counter at 0, the names
  // to be written.
  void BeginFetching();
  // Step 11, one turn: downloads the quote page of the next requested name and
  // takes the name, market and industry from it. Done once the cursor has
  // passed the last ticker (the profile is then marked changed).
  Turn FetchNextCompany(HttpDownloader& downloader, RunTrace& trace);
  // Frees both tables at the end of the run.
  void Release();

 private:
  // The name slot and profile record of a ticker (null when not loaded or no
  // index).
  std::string* NameSlot(int ticker);
  uint8_t* Record(int ticker);
  // Applies what a quote page said to a ticker.
  void Apply(int ticker, const QuoteFacts& facts);

  std::unique_ptr<std::vector<std::string>> names_;  // 9000 slots when loaded
  std::unique_ptr<uint8_t[]> profile_;               // 9000 records of 4 bytes when loaded
  uint32_t toFetch_ = 0;
  uint32_t fetched_ = 0;
  int fetchCursor_ = 0;
  bool namesMissing_ = false;
  bool namesDirty_ = false;
  bool profileDirty_ = false;
};
