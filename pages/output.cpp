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
  if (!DirectoryPathFits(OptionKey::HtmlDataDir, directory)) return false;
  return FileEntry((directory + "/").c_str()).ExistsPath();
}

namespace {

// Room kept after a directory for the names made in it, separator included.
constexpr size_t kOutputNameRoom = 48;  // "/Indiv/9999.html.tmp4294967295_NNNN", ".broken-..."
constexpr size_t kXlsNameRoom = 16;     // "/9999.xlsx"

size_t LongestDirectory(OptionKey key) {
  return static_cast<size_t>(kMaxPath) - (key == OptionKey::XlsCheckDir ? kXlsNameRoom : kOutputNameRoom);
}

size_t ResolvedLength(std::string_view value) {
  std::string text(value);
  return IsAbsolutePath(text.c_str()) ? text.size() : HomeDirectory().size() + text.size();
}

}  // namespace

bool DirectoryPathFits(OptionKey key, std::string_view value) {
  if (key != OptionKey::HtmlDataDir && key != OptionKey::XlsCheckDir) return true;
  return ResolvedLength(value) <= LongestDirectory(key);
}

bool CheckDirectoryPath(OptionKey key, std::string_view value) {
  if (DirectoryPathFits(key, value)) return true;
  std::string text(value);
  // The numbers first: a very long path is cut at the end of the message.
  ReportError("%sが長すぎます (%u バイト、上限 %u バイト) <%s>",
              key == OptionKey::XlsCheckDir ? "xlsチェックパス" : "html保存パス",
              static_cast<unsigned>(ResolvedLength(value)), static_cast<unsigned>(LongestDirectory(key)), text.c_str());
  return false;
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
