#include "pages/output.h"

#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"

namespace {

std::string HtmlDataDir() { return Options().Text(OptionKey::HtmlDataDir); }

}  // namespace

bool HasOutputDirectory() {
  std::string directory = HtmlDataDir();
  if (directory.empty() || directory == InfoOf(OptionKey::HtmlDataDir).defaultText) return false;
  return FileEntry((directory + "/").c_str()).ExistsPath();
}

std::string OutputPath(const char* name) {
  std::string joined = HtmlDataDir();
  if (joined.empty() || (joined.back() != '/' && joined.back() != '\\')) joined += '/';
  joined += name;
  FilePath path;
  if (!path.SetPath(joined.c_str())) return joined;
  return path.Text();
}

std::string OutputSubdirPath(const char* name) { return FormatString("%s/%s/", HtmlDataDir().c_str(), name); }

std::string DayFilePath(const char* subdir, uint32_t date) {
  return FormatString("%s/%s/%u.html", HtmlDataDir().c_str(), subdir, date);
}

std::string EnsureOutputSubdir(const char* name) {
  std::string directory = OutputSubdirPath(name);
  FileEntry entry(directory.c_str());
  if (!entry.ExistsPath()) entry.CreateDir();  // reports its own failure
  return directory;
}

bool RemoveOutputSubdir(const char* name) {
  if (!HasOutputDirectory()) return false;
  FileEntry entry(OutputSubdirPath(name).c_str());
  if (!entry.ExistsPath()) return false;
  return entry.DeleteDir();
}

std::string SetPageAside(const std::string& path) {
  std::string aside = path + FormatString(".broken-%u", TodayDate());
  for (int n = 2; FileEntry(aside.c_str()).ExistsPath() && n < 100; ++n)
    aside = path + FormatString(".broken-%u-%d", TodayDate(), n);
  FileEntry page(path.c_str());
  return page.MoveTo(aside.c_str(), false) ? aside : std::string();
}
