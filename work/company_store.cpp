#include "work/company_store.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "markup/text.h"
#include "pages/output.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "settings/tickers.h"
#include "work/run_trace.h"

namespace {

constexpr size_t kRecordBytes = 4;
constexpr size_t kProfileBytes = kTickerCount * kRecordBytes;

bool WantsProfile() {
  return Options().Flag(OptionKey::UseDetailMarket) || Options().Flag(OptionKey::HtmlInsertIndustry) ||
         Options().Flag(OptionKey::IgnoreForeign) || Options().Flag(OptionKey::IgnoreREIT) ||
         Options().Flag(OptionKey::IgnoreETF);
}

bool ProfileIsStale(const uint8_t* record) {
  uint8_t market = record[0], industry = record[1];
  if (market == 0 || (market != 0x50 && industry == 0)) return true;
  switch (market) {
    case 0x11: case 0x12: case 0x13: case 0x14: case 0x16: case 0x17: case 0x18: case 0x21: case 0x22: case 0x23:
      return true;
    default:
      return false;
  }
}

// Lines of "_coname.txt" into the 9000 slots: any line ends (every CR and LF
// is removed), at most the first 9000 lines; missing lines stay empty.
void ReadNames(const std::string& text, std::vector<std::string>& names) {
  TextLines lines(text);
  for (size_t i = 0; i < names.size() && i < lines.Count(); ++i) {
    std::string_view line = lines.View(i);
    std::string& name = names[i];
    name.clear();
    for (char c : line)
      if (c != '\r' && c != '\n') name += c;
  }
}

// Writes a data file of the output directory whole and atomically; false after
// reporting a failure.
bool WriteOutputFile(const char* name, const std::string& contents) {
  FilePath path;
  if (!path.SetPath(OutputPath(name).c_str())) return false;
  if (ReplaceFileContents(path, contents)) return true;
  ReportError("ファイル<%s>の書き込みに失敗", path.Text());
  return false;
}

}  // namespace

void CompanyStore::LoadCompanyStore(RunTrace& trace) {
  if (WantsProfile()) {
    trace.Log(2, "make _coprof.dat\n");
    // A file shorter than the table leaves the rest zero, as a missing one does.
    profile_ = std::make_unique<uint8_t[]>(kProfileBytes);
    std::memset(profile_.get(), 0, kProfileBytes);
    profileDirty_ = true;
    FilePath path;
    std::string bytes;
    if (path.SetPath(OutputPath(kCompanyProfileFile).c_str()) && FileEntry(path.Text()).ExistsPath() &&
        ReadAll(path.Text(), bytes)) {
      std::memcpy(profile_.get(), bytes.data(), std::min(bytes.size(), kProfileBytes));
      profileDirty_ = false;
    }
  }
  toFetch_ = 0;
  namesDirty_ = false;
  if (profile_ || Options().Flag(OptionKey::UseFullConame) || Options().Flag(OptionKey::EnableStSche)) {
    names_ = std::make_unique<std::vector<std::string>>(kTickerCount);
    std::string path = OutputPath(kCompanyNamesFile);
    std::string text;
    if (!FileEntry(path.c_str()).ExistsPath()) {
      trace.Log(2, "make _coname.txt first\n");
      namesMissing_ = true;
    } else {
      trace.Log(2, "read _coname.txt\n");
      if (ReadAll(path.c_str(), text)) ReadNames(text, *names_);
    }
    // A name an earlier run requested but did not get is fetched this time.
    toFetch_ = static_cast<uint32_t>(std::count(names_->begin(), names_->end(), "*"));
  }
}

std::string* CompanyStore::NameSlot(int ticker) {
  std::optional<size_t> index = TickerIndex(ticker);
  return names_ && index ? &(*names_)[*index] : nullptr;
}

uint8_t* CompanyStore::Record(int ticker) {
  std::optional<size_t> index = TickerIndex(ticker);
  return profile_ && index ? &profile_[*index * kRecordBytes] : nullptr;
}

std::string_view CompanyStore::NameOf(int ticker) const {
  std::optional<size_t> index = TickerIndex(ticker);
  return names_ && index ? std::string_view((*names_)[*index]) : std::string_view();
}

uint8_t CompanyStore::MarketOf(int ticker) const {
  std::optional<size_t> index = TickerIndex(ticker);
  return profile_ && index ? profile_[*index * kRecordBytes] : 0;
}

uint8_t CompanyStore::IndustryOf(int ticker) const {
  std::optional<size_t> index = TickerIndex(ticker);
  return profile_ && index ? profile_[*index * kRecordBytes + 1] : 0;
}

uint8_t* CompanyStore::MarketByte(int ticker) { return Record(ticker); }

void CompanyStore::RequestName(int ticker) {
  std::string* name = NameSlot(ticker);
  if (!name || *name == "*" || *name == "-") return;
  const uint8_t* record = Record(ticker);
  bool stale = record && ProfileIsStale(record);
  if (!name->empty() && !stale) return;
  name->assign(1, '*');
  ++toFetch_;
  namesDirty_ = true;
}

void CompanyStore::ForgetRequest(int ticker) {
  std::string* name = NameSlot(ticker);
  if (!name || *name != "*") return;
  name->clear();
  if (toFetch_ > 0) --toFetch_;
  namesDirty_ = true;
}

void CompanyStore::BeginFetching() {
  fetchCursor_ = 0;
  fetched_ = 0;
  namesDirty_ = true;
}

void CompanyStore::Release() {
  names_.reset();
  profile_.reset();
}

void CompanyStore::SaveCompanyStore(RunTrace& trace) {
  if (names_ && namesDirty_) trace.Log(2, "write _coname.txt\n");
  if (profile_ && profileDirty_) trace.Log(2, "write _coprof.dat\n");
  SaveChanges();
}

void CompanyStore::SaveChanges() {
  // The profile first: should the names not follow (a run killed in between),
  // their requests stay on disk and the next run fetches those pages again.
  if (profile_ && profileDirty_) {
    std::string bytes(reinterpret_cast<const char*>(profile_.get()), kProfileBytes);
    if (WriteOutputFile(kCompanyProfileFile, bytes)) {
      profileDirty_ = false;
      Options().SetInt(OptionKey::CoProfDat, 2);
    }
  }
  if (names_ && namesDirty_) {
    std::string text;
    text.reserve(kTickerCount * 8);
    for (const std::string& name : *names_) text += name + "\n";
    if (WriteOutputFile(kCompanyNamesFile, text)) namesDirty_ = false;
  }
}
