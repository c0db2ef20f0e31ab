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

}  // namespace

void CompanyStore::Load(RunTrace& trace) {
  if (WantsProfile()) {
    trace.Log(2, "make _coprof.dat\n");
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
  if (profile_ || Options().Flag(OptionKey::UseFullConame) || Options().Flag(OptionKey::EnableStSche)) {
    names_ = std::make_unique<std::vector<std::string>>(kTickerCount);
    std::string path = OutputPath(kCompanyNamesFile);
    std::string text;
    if (!FileEntry(path.c_str()).ExistsPath()) {
      trace.Log(2, "make _coname.txt first\n");
      namesMissing_ = true;
    } else {
      trace.Log(2, "read _coname.txt\n");
      if (ReadAll(path.c_str(), text)) {
        TextLines lines(text);
        for (size_t i = 0; i < static_cast<size_t>(kTickerCount) && i < lines.Count(); ++i) {
          std::string line;
          lines.Line(i, line);
          while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
          (*names_)[i] = line;
        }
      }
    }
  }
  toFetch_ = 0;
  namesDirty_ = false;
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

uint8_t* CompanyStore::MarketByte(int ticker) {
  std::optional<size_t> index = TickerIndex(ticker);
  return profile_ && index ? &profile_[*index * kRecordBytes] : nullptr;
}

void CompanyStore::RequestName(int ticker) {
  std::optional<size_t> index = TickerIndex(ticker);
  if (!names_ || !index) return;
  std::string& name = (*names_)[*index];
  if (name == "*" || name == "-") return;
  bool stale = profile_ && ProfileIsStale(&profile_[*index * kRecordBytes]);
  if (!name.empty() && !stale) return;
  name.assign(1, '*');
  ++toFetch_;
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

void CompanyStore::Save(RunTrace& trace) {
  if (names_ && namesDirty_) {
    trace.Log(2, "write _coname.txt\n");
    std::string text;
    for (const std::string& name : *names_) text += name + "\n";
    FilePath path;
    if (path.SetPath(OutputPath(kCompanyNamesFile).c_str()) && !ReplaceFileContents(path, text))
      ReportError("ファイル<%s>の書き込みに失敗", path.Text());
  }
  if (profile_ && profileDirty_) {
    trace.Log(2, "write _coprof.dat\n");
    SaveProfileIfChanged();
  }
}

void CompanyStore::SaveProfileIfChanged() {
  if (!profile_ || !profileDirty_) return;
  FilePath path;
  std::string bytes(reinterpret_cast<const char*>(profile_.get()), kProfileBytes);
  if (!path.SetPath(OutputPath(kCompanyProfileFile).c_str())) return;
  if (!ReplaceFileContents(path, bytes)) {
    ReportError("ファイル<%s>の書き込みに失敗", path.Text());
    return;
  }
  profileDirty_ = false;
  Options().SetInt(OptionKey::CoProfDat, 2);
}
