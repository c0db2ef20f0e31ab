// The option file "VelkoraOption.ini": user options, the run state carried from
// one run to the next, the format versions of the data files, and the addresses
// of the external services with the pace at which they are asked.
//
// The store keeps no in-memory copy: every read goes to the file and every
// write replaces the file at once, so the file is always the single source of
// truth. (A run takes what it reads once, as it starts: work/run_settings.h.)
// Reads never fail (a missing file, section or key gives the key's default);
// a failed write reports "WritePrivateProfileString に失敗<key,value>" and leaves
// the file as it was.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>


// One entry per key of the option file, in the order of the option table.
enum class OptionKey : int {
  // Section "Option"
  HtmlDataDir, XlsCheckDir, PortList, IgnoreList, KeyHighlightList,
  PeriodType, PeriodSt, PeriodEd,
  EnableHtmlPort, EnableHtmlXls, EnableHtmlAll, EnableHtmlTicker, EnableAtomFeed,
  EnableStSche, EnableStSchePort, EnableStScheXls, EnableStScheAll,
  EnableIgnoreList, EnableIgnoreTitleList, EnableKeyHighlightList,
  StScheCycle, StScheDaySpan, StScheDayOfWeek,
  StScheRecheckAboutEnable, StScheRecheckAboutDay, StScheRecheckEmptyEnable, StScheRecheckEmptyDay,
  StScheInMarketHighlight, CollectRemake, TickerRemake,
  IgnoreGR, IgnoreAim, IgnoreForeign, IgnoreREIT, IgnoreETF,
  InPortHighlight, HtmlRowMergeTime, HtmlInsertMarket, HtmlInsertIndustry,
  HtmlInsertYahoo, HtmlInsertIfis, HtmlInsertGMO, HtmlInsertKCom, HtmlInsertSBI,
  UseFullConame, UseDetailMarket, GMOServer,
  WebPortEnable, WebPortUrl, WebPortPreWordEnable, WebPortPreWord, DebugLogLevel, ArchivePdf, ArchiveXbrl,
  // Section "Status"
  LastDownload, LastStSche, LastStScheHtml, LastUpdateIndiv,
  LastIgnoreGR, LastIgnoreAim, LastIgnoreForeign, LastIgnoreREIT, LastIgnoreETF,
  LastHtmlInertMarket, LastHtmlInertIndustry, LastHtmlInertYahoo, LastHtmlInertIfis,
  LastHtmlInertGMO, LastHtmlInertKCom, LastHtmlInertSBI,
  // Section "FileVer"
  CoProfDat, ScheduleDat,
  // Section "Server"
  TdnetBaseUrl, QuoteBaseUrl, ReportBaseUrl, QuoteUrlTemplate, ReportUrlTemplate, RequestIntervalMs,
  Count
};

enum class OptionType {
  Integer,      // decimal text
  Flag,         // "1" or "0"; any non-zero integer reads as on
  Date,         // yyyymmdd as an integer
  TextDate,     // a date kept as text; a text not starting with a digit means never
  Path,         // a directory path
  Text,         // plain text
  EscapedText,  // text stored through EscapeEntities (may hold line breaks)
};

// One row of the option table.
struct OptionInfo {
  OptionKey key;
  const char* name;         // the key name in the file
  const char* section;      // "Option", "Status", "FileVer" or "Server"
  OptionType type;
  const char* defaultText;  // the default as the file would hold it
  int minimum;              // integers outside minimum..maximum read as the default;
  int maximum;              // no range when minimum > maximum
};

// The row of a key.
const OptionInfo& InfoOf(OptionKey key);
// Every row, in table order.
std::span<const OptionInfo> AllOptions();
// The row whose key name equals `name` ignoring ASCII case; nullptr when none.
const OptionInfo* FindOption(std::string_view name);

// The longest string value a read returns (the profile call's 2048-byte buffer).
constexpr size_t kMaxOptionText = 2047;

class OptionStore {
 public:
  static constexpr const char* kFileName = "VelkoraOption.ini";

  // Uses kFileName in HomeDirectory(). The newest store becomes the one that
  // Options() returns until it is destroyed.
  OptionStore();
  // Uses an explicit file path (tests, the command line).
  explicit OptionStore(const std::string& path);
  ~OptionStore();
  OptionStore(const OptionStore&) = delete;
  OptionStore& operator=(const OptionStore&) = delete;

  // The absolute path of the option file.
  const std::string& Path() const { return path_; }

  // Typed reads with the key's default. Flag: any non-zero integer is on. Int:
  // a value beyond the 32-bit range, or outside the key's range (PeriodType
  // 0..3, StScheDayOfWeek 0..6, DebugLogLevel 0..2, ...), gives the default.
  // Date: the leading digits when they are a valid yyyymmdd day; otherwise
  // 19000101 for text dates and the default for the others. Text: the stored
  // value cut at kMaxOptionText bytes, then unescaped for escaped keys; works
  // for every key.
  bool Flag(OptionKey key) const;
  int Int(OptionKey key) const;
  uint32_t Date(OptionKey key) const;
  std::string Text(OptionKey key) const;
  // Whether the key holds a readable date (as Date reads it); sets `date`.
  bool ReadDate(OptionKey key, uint32_t& date) const;

  // Typed writes. Each returns false after reporting the failure; the file keeps
  // its old value. SetText escapes first for escaped keys, and refuses with
  // "オプション<%s>の値が長すぎます ..." a value whose stored form is longer
  // than kMaxOptionText bytes (it would read back cut).
  bool SetInt(OptionKey key, int value);
  bool SetFlag(OptionKey key, bool on);
  bool SetText(OptionKey key, std::string_view text);

  // Untyped access to any section and key (window placement, byte comparison).
  std::string Raw(std::string_view section, std::string_view key, std::string_view fallback) const;
  int RawInt(std::string_view section, std::string_view key, int fallback) const;
  bool SetRaw(std::string_view section, std::string_view key, std::string_view value);

  // The value as the program reads it, as text (defaults applied; flags "1"/"0").
  std::string ReadAsText(const OptionInfo& info) const;
  // Writes a value given as text after checking it against the key's type
  // (integers in range, flags "0"/"1", valid yyyymmdd dates, no line breaks in
  // plain texts) and its length (as SetText). Bad input is reported as
  // "オプション<%s>の値<%s>は不正です" and leaves the file untouched.
  bool WriteFromText(const OptionInfo& info, std::string_view text);

 private:
  std::string path_;
};

// The current store. The program creates one at start; calling this without a
// store is a programming error and aborts.
OptionStore& Options();
// Whether a store exists.
bool HasOptions();

// Moves "VelkorraOption.ini" of the home directory over "VelkoraOption.ini" when
// it exists. Returns false after reporting "MoveFileEx に失敗" when the move fails;
// true when there was nothing to move or the move succeeded.
bool MoveLegacyOptionFile();

// Escapes a text so that it fits on one line: each line break (CR LF, lone CR or
// lone LF) becomes "&cr;", and " & ' < > become &quot; &amp; &apos; &lt; &gt;.
std::string EscapeEntities(std::string_view text);
// Reverses EscapeEntities in one pass; "&cr;" becomes CR LF and any other "&" is
// copied unchanged.
std::string UnescapeEntities(std::string_view text);
