// The company store: per ticker, the company's name ("_coname.txt", 9000 lines)
// and a 4-byte profile record ("_coprof.dat": market code, industry code, two
// bytes kept as they are); those of the alphanumeric codes ("285A") in the
// companion files "_coname_alnum.txt" and "_coprof_alnum.txt" (code_lines.h). Loaded at the start of a run, filled during it from
// the lists, the quote pages and the report pages, and saved near its end (and
// after each day, so that a run killed half-way loses nothing it learnt).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/page_inputs.h"
#include "settings/tickers.h"
#include "work/site_pages.h"
#include "work/turn.h"

class HttpDownloader;
class RunStatus;
class RunTrace;
struct RunSettings;

// What a quote page says of a company: its name, or that the site knows no such
// company; the market and industry codes when the page names them. A page
// that is neither (kNone) says nothing.
struct QuoteFacts {
  enum class Name { kNone, kFound, kNoSuchCompany };
  Name nameKind = Name::kNone;
  std::string name;  // as StoredName keeps it
  std::optional<uint8_t> market;
  std::optional<uint8_t> industry;
};
// Reads the quote page of `code` (Shift_JIS), in the older shape (a minified
// JSON object: "marketName", "industryName") or today's (Next.js flight chunks,
// whose JSON has its quotes escaped: \"industryName\", the market as the price
// board's \"label\"). The name is the title's text before the code's bracket
// "【NNNN】", without "(株)"; a title that begins "Ya" without that bracket is
// the site's not-found page.
QuoteFacts ReadQuotePage(std::string_view page, Code code);

// Longest stored name, in bytes.
constexpr size_t kMaxNameBytes = 255;
// A name as "_coname.txt" keeps it: on one line (line breaks, tabs and other
// control characters become one blank, NUL bytes are dropped, blanks at the
// ends are trimmed), as page text (SafeMarkupText) and at most kMaxNameBytes
// long, cut at a character.
std::string StoredName(std::string_view text);

class CompanyStore : public CompanyLookup {
 public:
  // `settings` and `status` outlive the store; the version key of the files
  // is written through `status`.
  CompanyStore(const RunSettings& settings, RunStatus& status) : settings_(settings), status_(status) {}
  CompanyStore(const CompanyStore&) = delete;
  CompanyStore& operator=(const CompanyStore&) = delete;

  // Loads what the options ask for: the profile table when a display option
  // needs markets or industries, the name table when the profile is loaded or
  // full names or schedules are wanted. A name left requested ("*") by an
  // earlier run counts as requested again. A damaged "_coname.txt" (a line
  // count other than 9000, lines with control bytes or NULs, over-long or no
  // text) is read with one warning: its bad slots are requested again, and
  // after a line too many (every later name shifted) every known one is.
  // `refetchAll`: the run starts from empty tables, as if both files were
  // missing, and keeps the stored name and profile of a company whose name it
  // could not fetch.
  void LoadCompanyStore(RunTrace& trace, bool refetchAll = false);
  // Writes "_coname.txt" and "_coprof.dat" when they are loaded and changed
  // (step 12).
  void SaveCompanyStore(RunTrace& trace);
  // The same without the log lines, whenever what was learnt must reach the
  // disk before the run goes on (the end of each downloaded or converted day).
  void SaveChanges();

  // The lookups of the page builders.
  bool Loaded() const override { return profile_ != nullptr; }
  std::string_view NameOf(Code code) const override;
  uint8_t MarketOf(Code code) const override;
  uint8_t IndustryOf(Code code) const override;

  // The alphanumeric codes the run knows of (from the companion files and
  // the rows), in order.
  std::vector<Code> AlphanumericCodes() const;
  // Whether the name table is loaded.
  bool NamesLoaded() const { return names_ != nullptr; }
  // The company's market byte to update, or null when the profile is not
  // loaded or the code has no table index.
  uint8_t* MarketByte(Code code);

  // Marks a company's name for download (step 11) when it is unknown, or its
  // profile is stale, and it is neither requested already nor known not to exist.
  void RequestName(Code code);
  // Takes the name of a requested company from a report page when full names
  // are not wanted ("stockname", "<h1>", the text after the first blank).
  void TakeNameFromReportPage(Code code, std::string_view page);
  // A vacant number: a requested name is no longer requested.
  void ForgetRequest(Code code);
  // Names marked for download.
  uint32_t RequestedCount() const { return toFetch_; }
  // Names still requested ("*"): those no page gave yet.
  uint32_t PendingNames() const;
  // Whether the run learnt the name of a company whose name was still
  // requested when it started (or re-fetches every name): pages made by
  // earlier runs show less than they would now.
  bool LearntPending() const { return learntPending_; }
  // Whether "_coname.txt" was absent at the start of the run.
  bool NamesMissing() const { return namesMissing_; }
  // The profile changed: "_coprof.dat" is written in step 12.
  void MarkProfileDirty() { profileDirty_ = true; }
  // Prepares the download loop of step 11: cursor and counter at 0, the names
  // to be written.
  void BeginFetching();
  // Step 11, one turn: downloads the quote page of the next requested name and
  // takes the name, market and industry from it. Only the quote page of the
  // ticker (or the site's not-found page) answered with 200 counts; anything
  // else leaves the name requested for a later run. Once the site refuses or
  // keeps failing (SiteGate) the rest stay requested. Done once the cursor has
  // passed the last ticker (the profile is then marked changed).
  Turn FetchNextCompany(HttpDownloader& downloader, RunTrace& trace);
  // Frees both tables at the end of the run.
  void Release();

 private:
  // The name slot and profile record of a company (null when not loaded or no
  // index).
  std::string* NameSlot(Code code);
  uint8_t* Record(Code code);
  // Applies what a quote page said to a company.
  void Apply(Code code, const QuoteFacts& facts);
  // A requested name was answered (by a quote or a report page).
  void Answered(Code code);
  // What the store keeps of an alphanumeric code.
  struct Alphanumeric {
    std::string name;                  // as a line of "_coname.txt"
    std::array<uint8_t, 4> record{};   // as a record of "_coprof.dat"
  };
  // The companion files: read into `alnum_` (see LoadCompanyStore), and their
  // texts as saved.
  void ReadAlphanumericNames(const std::string& path, const std::string& text);
  void ReadAlphanumericProfile(const std::string& text);
  std::string AlphanumericNamesText() const;
  std::string AlphanumericProfileText() const;
  // The next alphanumeric code with a requested name after `after`, or Code().
  Code NextRequestedAlphanumeric(Code after) const;
  // Writes a data file of the output directory whole and atomically; false
  // after reporting a failure.
  bool WriteOutputFile(const char* name, const std::string& contents) const;
  // Reads "_coname.txt" into the slots and checks it (see LoadCompanyStore).
  void ReadNameFile(const std::string& path, const std::string& text);
  // The files' contents: in a re-fetch, a slot still requested keeps what the
  // files held before.
  std::string NameFileText() const;
  std::string ProfileBytes() const;

  const RunSettings& settings_;
  RunStatus& status_;
  std::unique_ptr<std::vector<std::string>> names_;  // 9000 slots when loaded
  std::unique_ptr<uint8_t[]> profile_;               // 9000 records of 4 bytes when loaded
  // In a re-fetch: what the files held before the run.
  std::unique_ptr<std::vector<std::string>> previousNames_;
  std::unique_ptr<uint8_t[]> previousProfile_;
  std::map<Code, Alphanumeric> alnum_;  // the alphanumeric codes known to the run
  std::unique_ptr<std::map<Code, Alphanumeric>> previousAlnum_;  // in a re-fetch
  bool alnumNamesOnDisk_ = false;    // the companion files existed at the start
  bool alnumProfileOnDisk_ = false;
  Code alnumFetched_;  // the last alphanumeric code step 11 asked for
  TickerBits requestedAtLoad_;
  bool learntPending_ = false;
  SiteGate quoteSite_{"会社名"};
  uint32_t toFetch_ = 0;
  uint32_t fetched_ = 0;
  int fetchCursor_ = 0;
  bool namesMissing_ = false;
  bool namesDirty_ = false;
  bool profileDirty_ = false;
};
