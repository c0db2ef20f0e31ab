// Company name and profile store: names per ticker in "_coname.txt" (9000 lines)
// and 4-byte profile records in "_coprof.dat" (market code, industry code).
#include <cstring>

#include "markup/text.h"
#include "pages/frame.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/steps.h"
#include "work/worktask.h"

namespace {

constexpr size_t kProfileBytes = kTickerCount * 4;

bool WantsProfile() {
  return Options().Flag(OptionKey::UseDetailMarket) || Options().Flag(OptionKey::HtmlInsertIndustry) ||
         Options().Flag(OptionKey::IgnoreForeign) || Options().Flag(OptionKey::IgnoreREIT) ||
         Options().Flag(OptionKey::IgnoreETF);
}

void LoadProfile(WorkTask& task) {
  task.Log(2, "make _coprof.dat\n");
  task.companyProfile = std::make_unique<uint8_t[]>(kProfileBytes);
  std::memset(task.companyProfile.get(), 0, kProfileBytes);
  task.companyProfileDirty = true;
  FilePath path;
  if (!path.SetPath(OutputPath("_coprof.dat").c_str())) return;
  FileEntry entry;
  entry.SetPath(path);
  std::string bytes;
  if (entry.ExistsPath() && ReadAll(path.Text(), bytes)) {
    std::memcpy(task.companyProfile.get(), bytes.data(), std::min(bytes.size(), kProfileBytes));
    task.companyProfileDirty = false;
  }
}

void LoadNames(WorkTask& task) {
  task.companyNames = std::make_unique<std::vector<std::string>>(kTickerCount);
  std::string path = OutputPath("_coname.txt");
  FileEntry entry(path.c_str());
  std::string text;
  if (!entry.ExistsPath()) {
    task.Log(2, "make _coname.txt first\n");
    task.companyNamesMissing = true;
    return;
  }
  task.Log(2, "read _coname.txt\n");
  if (!ReadAll(path.c_str(), text)) return;
  TextLines lines(text);
  for (size_t i = 0; i < static_cast<size_t>(kTickerCount) && i < lines.Count(); ++i) {
    std::string line;
    lines.Line(i, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    (*task.companyNames)[i] = line;
  }
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

void LoadCompanyStore(WorkTask& task) {
  if (WantsProfile()) LoadProfile(task);
  if (task.companyProfile || Options().Flag(OptionKey::UseFullConame) || Options().Flag(OptionKey::EnableStSche))
    LoadNames(task);
  task.companyNamesToFetch = 0;
  task.companyNamesDirty = false;
}

void RequestName(WorkTask& task, int ticker) {
  if (!task.companyNames || ticker < kFirstTicker || ticker > 9999) return;
  std::string& name = (*task.companyNames)[ticker - kFirstTicker];
  if (name == "*" || name == "-") return;
  bool stale = task.companyProfile && ProfileIsStale(&task.companyProfile[(ticker - kFirstTicker) * 4]);
  if (!name.empty() && !stale) return;
  name.assign(1, '*');
  ++task.companyNamesToFetch;
}

void FetchNextCompany(WorkTask& task) {
  // Downloading the quote pages comes with the company pages; until then the
  // requested names stay requested for a later run.
  task.fetchCursor = kTickerCount;
  task.companyProfileDirty = true;
  task.workStep = 12;
}

void SaveCompanyStore(WorkTask& task) {
  task.downloader.Close();
  if (task.companyNames && task.companyNamesDirty) {
    task.Log(2, "write _coname.txt\n");
    std::string text;
    for (const std::string& name : *task.companyNames) text += name + "\n";
    FilePath path;
    if (path.SetPath(OutputPath("_coname.txt").c_str()) && !ReplaceFileContents(path, text))
      ReportError("ファイル<%s>の書き込みに失敗", path.Text());
  }
  if (task.companyProfile && task.companyProfileDirty) {
    task.Log(2, "write _coprof.dat\n");
    FilePath path;
    std::string bytes(reinterpret_cast<const char*>(task.companyProfile.get()), kProfileBytes);
    if (path.SetPath(OutputPath("_coprof.dat").c_str())) {
      if (ReplaceFileContents(path, bytes))
        Options().SetInt(OptionKey::CoProfDat, 2);
      else
        ReportError("ファイル<%s>の書き込みに失敗", path.Text());
    }
  }
}
