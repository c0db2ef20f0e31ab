#include "work/company_store.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "markup/safe_text.h"
#include "markup/text.h"
#include "pages/output.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/sjis.h"
#include "settings/markets.h"
#include "settings/tickers.h"
#include "work/code_lines.h"
#include "work/run_settings.h"
#include "work/run_trace.h"

namespace {

constexpr size_t kRecordBytes = 4;
constexpr size_t kProfileBytes = kTickerCount * kRecordBytes;

// A profile to look up again: no market, no industry (a green-sheet company
// has none), or a segment the exchanges have given up.
bool ProfileIsStale(const uint8_t* record) {
  uint8_t market = record[0], industry = record[1];
  if (market == kMarketUnknown || (!IsGreenSheet(market) && industry == kIndustryUnknown)) return true;
  return IsFormerSegment(market);
}

// Whether a line of "_coname.txt" is one that the program writes: not too
// long, no control byte or NUL, every byte part of a Shift_JIS character.
bool IsCleanName(std::string_view line) {
  if (line.size() > kMaxNameBytes) return false;
  for (size_t at = 0; at < line.size(); ++at) {
    unsigned char c = static_cast<unsigned char>(line[at]);
    if (IsShiftJisLead(c)) {
      if (at + 1 >= line.size() || !IsShiftJisTrail(static_cast<unsigned char>(line[at + 1]))) return false;
      ++at;
    } else if (c < 0x20 || c == 0x7F || c == 0x80 || c == 0xA0 || c >= 0xFD) {
      return false;
    }
  }
  return true;
}

// `text` on one line: each run of control characters one blank, NUL bytes
// dropped, blanks at the ends trimmed.
std::string OneLine(std::string_view text) {
  std::string line;
  bool gap = false;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u == 0) continue;
    if (u < 0x20 || u == 0x7F) {
      gap = true;
      continue;
    }
    if (gap && !line.empty() && line.back() != ' ') line += ' ';
    gap = false;
    line += c;
  }
  size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

// Cuts `text` to at most `limit` bytes at a character, and before an entity
// reference that the cut would split.
void CutAtCharacter(std::string& text, size_t limit) {
  if (text.size() <= limit) return;
  size_t end = 0;
  for (size_t at = 0; at < text.size();) {
    size_t length = IsShiftJisLead(static_cast<unsigned char>(text[at])) ? 2 : 1;
    if (at + length > limit) break;
    at += length;
    end = at;
  }
  size_t amp = text.rfind('&', end == 0 ? 0 : end - 1);
  if (amp != std::string::npos && amp < end && text.find(';', amp) >= end) end = amp;
  text.resize(end);
  while (!text.empty() && text.back() == ' ') text.pop_back();
}

}  // namespace

bool CompanyStore::WriteOutputFile(const char* name, const std::string& contents) const {
  FilePath path;
  if (!path.SetPath(settings_.output.File(name).c_str())) return false;
  return ReplaceFileContents(path, contents);
}

std::string StoredName(std::string_view text) {
  std::string name = SafeMarkupText(OneLine(text));
  CutAtCharacter(name, kMaxNameBytes);
  return name;
}

void CompanyStore::LoadCompanyStore(RunTrace& trace, bool refetchAll) {
  if (settings_.WantsProfile()) {
    trace.Log(2, "make _coprof.dat\n");
    // A file shorter than the table leaves the rest zero, as a missing one does.
    profile_ = std::make_unique<uint8_t[]>(kProfileBytes);
    std::memset(profile_.get(), 0, kProfileBytes);
    profileDirty_ = true;
    FilePath path;
    std::string bytes;
    if (path.SetPath(settings_.output.File(kCompanyProfileFile).c_str()) && FileEntry(path.Text()).ExistsPath() &&
        ReadAll(path.Text(), bytes)) {
      uint8_t* into = profile_.get();
      if (refetchAll) {
        previousProfile_ = std::make_unique<uint8_t[]>(kProfileBytes);
        std::memset(previousProfile_.get(), 0, kProfileBytes);
        into = previousProfile_.get();
      } else {
        profileDirty_ = false;
      }
      std::memcpy(into, bytes.data(), std::min(bytes.size(), kProfileBytes));
    }
    std::string companion = settings_.output.File(kAlphanumericProfileFile);
    alnumProfileOnDisk_ = FileEntry(companion.c_str()).ExistsPath();
    if (alnumProfileOnDisk_ && ReadAll(companion.c_str(), bytes)) ReadAlphanumericProfile(bytes);
  }
  toFetch_ = 0;
  namesDirty_ = false;
  if (profile_ || settings_.pages.fullName || settings_.schedulesOn) {
    names_ = std::make_unique<std::vector<std::string>>(kTickerCount);
    std::string path = settings_.output.File(kCompanyNamesFile);
    std::string text;
    if (!FileEntry(path.c_str()).ExistsPath()) {
      trace.Log(2, "make _coname.txt first\n");
      namesMissing_ = true;
    } else {
      trace.Log(2, "read _coname.txt\n");
      if (ReadAll(path.c_str(), text)) ReadNameFile(path, text);
    }
    std::string companion = settings_.output.File(kAlphanumericNamesFile);
    alnumNamesOnDisk_ = FileEntry(companion.c_str()).ExistsPath();
    if (alnumNamesOnDisk_ && ReadAll(companion.c_str(), text)) ReadAlphanumericNames(companion, text);
    if (refetchAll) {
      previousAlnum_ = std::make_unique<std::map<Code, Alphanumeric>>(std::move(alnum_));
      alnum_.clear();
      // Every name is asked for again, as without the files; what they held
      // stays for the names that cannot be had.
      previousNames_ = std::move(names_);
      names_ = std::make_unique<std::vector<std::string>>(kTickerCount);
      namesMissing_ = true;
      namesDirty_ = true;
      learntPending_ = true;
    }
    // A name an earlier run requested but did not get is fetched this time.
    for (size_t i = 0; i < names_->size(); ++i) {
      if ((*names_)[i] != "*") continue;
      ++toFetch_;
      requestedAtLoad_.set(i);
    }
    for (const auto& [code, entry] : alnum_) {
      if (entry.name != "*") continue;
      ++toFetch_;
      requestedAtLoad_.Add(code);
    }
  }
}

void CompanyStore::ReadNameFile(const std::string& path, const std::string& text) {
  TextLines lines(text);
  size_t count = lines.Count();
  if (lines.View(count - 1).empty()) --count;  // after the last line feed
  std::vector<std::string>& names = *names_;
  unsigned bad = 0;
  for (size_t i = 0; i < names.size() && i < count; ++i) {
    std::string_view line = lines.View(i);
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (IsCleanName(line)) {
      names[i] = line;
    } else {
      names[i].assign(1, '*');  // asked for again
      ++bad;
    }
  }
  if (bad == 0 && count == names.size()) return;
  // A line too many: a name broke over two lines somewhere, and every name
  // after it belongs to the next company. None of them can be trusted.
  if (count > names.size())
    for (std::string& name : names)
      if (!name.empty()) name = "*";
  namesDirty_ = true;
  MessageSeverity = kSeverityWarning;
  ReportMessage("会社名のファイル<%s>が壊れています (%u 行、読めない行 %u)。読めない会社名は取得し直します", path.c_str(),
                static_cast<unsigned>(count), bad);
}

uint32_t CompanyStore::PendingNames() const {
  if (!names_) return 0;
  auto pending = std::count(names_->begin(), names_->end(), "*");
  for (const auto& [code, entry] : alnum_) pending += entry.name == "*";
  return static_cast<uint32_t>(pending);
}

void CompanyStore::Answered(Code code) {
  if (HasTicker(&requestedAtLoad_, code)) learntPending_ = true;
}

std::string* CompanyStore::NameSlot(Code code) {
  if (!code.IsNumeric()) return names_ ? &alnum_[code].name : nullptr;
  std::optional<size_t> index = code.Index();
  return names_ && index ? &(*names_)[*index] : nullptr;
}

uint8_t* CompanyStore::Record(Code code) {
  if (!code.IsNumeric()) return profile_ ? alnum_[code].record.data() : nullptr;
  std::optional<size_t> index = code.Index();
  return profile_ && index ? &profile_[*index * kRecordBytes] : nullptr;
}

std::string_view CompanyStore::NameOf(Code code) const {
  if (!code.IsNumeric()) {
    auto entry = alnum_.find(code);
    return names_ && entry != alnum_.end() ? std::string_view(entry->second.name) : std::string_view();
  }
  std::optional<size_t> index = code.Index();
  return names_ && index ? std::string_view((*names_)[*index]) : std::string_view();
}

uint8_t CompanyStore::MarketOf(Code code) const {
  if (!code.IsNumeric()) {
    auto entry = alnum_.find(code);
    return profile_ && entry != alnum_.end() ? entry->second.record[0] : 0;
  }
  std::optional<size_t> index = code.Index();
  return profile_ && index ? profile_[*index * kRecordBytes] : 0;
}

uint8_t CompanyStore::IndustryOf(Code code) const {
  if (!code.IsNumeric()) {
    auto entry = alnum_.find(code);
    return profile_ && entry != alnum_.end() ? entry->second.record[1] : 0;
  }
  std::optional<size_t> index = code.Index();
  return profile_ && index ? profile_[*index * kRecordBytes + 1] : 0;
}

uint8_t* CompanyStore::MarketByte(Code code) { return Record(code); }

void CompanyStore::RequestName(Code code) {
  std::string* name = NameSlot(code);
  if (!name || *name == "*" || *name == "-") return;
  const uint8_t* record = Record(code);
  bool stale = record && ProfileIsStale(record);
  if (!name->empty() && !stale) return;
  name->assign(1, '*');
  ++toFetch_;
  namesDirty_ = true;
}

void CompanyStore::ForgetRequest(Code code) {
  std::string* name = NameSlot(code);
  if (!name || *name != "*") return;
  Answered(code);
  name->clear();
  if (toFetch_ > 0) --toFetch_;
  namesDirty_ = true;
}

void CompanyStore::BeginFetching() {
  fetchCursor_ = 0;
  alnumFetched_ = Code();
  fetched_ = 0;
  namesDirty_ = true;
}

void CompanyStore::Release() {
  names_.reset();
  profile_.reset();
  previousNames_.reset();
  previousProfile_.reset();
  alnum_.clear();
  previousAlnum_.reset();
}

void CompanyStore::SaveCompanyStore(RunTrace& trace) {
  if (names_ && namesDirty_) trace.Log(2, "write _coname.txt\n");
  if (profile_ && profileDirty_) trace.Log(2, "write _coprof.dat\n");
  SaveChanges();
}

std::string CompanyStore::NameFileText() const {
  std::string text;
  text.reserve(kTickerCount * 8);
  for (size_t i = 0; i < names_->size(); ++i) {
    const std::string& name = (*names_)[i];
    bool keepPrevious = previousNames_ && name == "*" && !(*previousNames_)[i].empty();
    text += (keepPrevious ? (*previousNames_)[i] : name) + "\n";
  }
  return text;
}

std::string CompanyStore::ProfileBytes() const {
  std::string bytes(reinterpret_cast<const char*>(profile_.get()), kProfileBytes);
  if (!previousProfile_ || !names_) return bytes;
  for (size_t i = 0; i < names_->size(); ++i) {
    const uint8_t* previous = &previousProfile_[i * kRecordBytes];
    if ((*names_)[i] == "*" && previous[0] != 0)
      bytes.replace(i * kRecordBytes, kRecordBytes, reinterpret_cast<const char*>(previous), kRecordBytes);
  }
  return bytes;
}

void CompanyStore::SaveChanges() {
  // The profile first: should the names not follow (a run killed in between),
  // their requests stay on disk and the next run fetches those pages again.
  // A store without alphanumeric codes gets no companion file.
  if (profile_ && profileDirty_) {
    std::string alphanumeric = AlphanumericProfileText();
    bool companion = alnumProfileOnDisk_ || !alphanumeric.empty();
    if ((!companion || WriteOutputFile(kAlphanumericProfileFile, alphanumeric)) &&
        WriteOutputFile(kCompanyProfileFile, ProfileBytes())) {
      alnumProfileOnDisk_ = companion;
      profileDirty_ = false;
      status_.SetCompanyFilesVersion();
    }
  }
  if (names_ && namesDirty_) {
    std::string alphanumeric = AlphanumericNamesText();
    bool companion = alnumNamesOnDisk_ || !alphanumeric.empty();
    if ((!companion || WriteOutputFile(kAlphanumericNamesFile, alphanumeric)) &&
        WriteOutputFile(kCompanyNamesFile, NameFileText())) {
      alnumNamesOnDisk_ = companion;
      namesDirty_ = false;
    }
  }
}

void CompanyStore::ReadAlphanumericNames(const std::string& path, const std::string& text) {
  unsigned bad = 0;
  for (auto& [code, name] : ReadCodeLines(text, bad)) {
    if (IsCleanName(name)) {
      alnum_[code].name = name;
    } else {
      alnum_[code].name.assign(1, '*');  // asked for again
      ++bad;
    }
  }
  if (bad == 0) return;
  namesDirty_ = true;
  MessageSeverity = kSeverityWarning;
  ReportMessage("会社名のファイル<%s>が壊れています (読めない行 %u)。読めない会社名は取得し直します", path.c_str(), bad);
}

void CompanyStore::ReadAlphanumericProfile(const std::string& text) {
  unsigned bad = 0;
  for (auto& [code, fields] : ReadCodeLines(text, bad)) {
    // "market<TAB>industry<TAB>byte<TAB>byte", decimal; a record that does
    // not read stays unknown and is looked up again.
    std::array<uint8_t, 4> record{};
    const char* cursor = fields.c_str();
    bool read = true;
    for (size_t i = 0; i < record.size() && read; ++i) {
      NumberSlot number;
      read = ReadNumber(cursor, &number) == kIntegerNumber && number.integer >= 0 && number.integer <= 255 &&
             *cursor == (i + 1 < record.size() ? '\t' : '\0');
      record[i] = static_cast<uint8_t>(number.integer);
      if (*cursor == '\t') ++cursor;
    }
    if (read) alnum_[code].record = record;
  }
}

std::string CompanyStore::AlphanumericNamesText() const {
  std::map<Code, std::string> lines;
  for (const auto& [code, entry] : alnum_) {
    std::string name = entry.name;
    if (previousAlnum_ && name == "*")
      if (auto previous = previousAlnum_->find(code); previous != previousAlnum_->end() && !previous->second.name.empty())
        name = previous->second.name;
    if (!name.empty()) lines[code] = name;
  }
  return WriteCodeLines(lines);
}

std::string CompanyStore::AlphanumericProfileText() const {
  std::map<Code, std::string> lines;
  for (const auto& [code, entry] : alnum_) {
    std::array<uint8_t, 4> record = entry.record;
    if (previousAlnum_ && entry.name == "*")
      if (auto previous = previousAlnum_->find(code); previous != previousAlnum_->end() && previous->second.record[0] != 0)
        record = previous->second.record;
    if (record == std::array<uint8_t, 4>{}) continue;
    lines[code] = FormatString("%u\t%u\t%u\t%u", record[0], record[1], record[2], record[3]);
  }
  return WriteCodeLines(lines);
}

Code CompanyStore::NextRequestedAlphanumeric(Code after) const {
  for (auto entry = after.IsNone() ? alnum_.begin() : alnum_.upper_bound(after); entry != alnum_.end(); ++entry)
    if (entry->second.name == "*") return entry->first;
  return Code();
}

std::vector<Code> CompanyStore::AlphanumericCodes() const {
  std::vector<Code> codes;
  for (const auto& [code, entry] : alnum_) codes.push_back(code);
  return codes;
}
