#include "pages/output.h"

#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"

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

bool OutputDir::Exists() const {
  if (directory_.empty() || directory_ == InfoOf(OptionKey::HtmlDataDir).defaultText) return false;
  if (!DirectoryPathFits(OptionKey::HtmlDataDir, directory_)) return false;
  return FileEntry((directory_ + "/").c_str()).ExistsPath();
}

std::string OutputDir::File(std::string_view name) const {
  std::string joined = directory_;
  if (joined.empty() || (joined.back() != '/' && joined.back() != '\\')) joined += '/';
  joined += name;
  FilePath path;
  if (!path.SetPath(joined.c_str())) return joined;
  return path.Text();
}

std::string OutputDir::Subdir(std::string_view name) const {
  return directory_ + "/" + std::string(name) + "/";
}

std::string OutputDir::DayFile(std::string_view subdir, uint32_t date) const {
  return Subdir(subdir) + FormatString("%u.html", date);
}

std::string OutputDir::SummaryPage(View view) const { return directory_ + "/" + ViewName(view) + ".html"; }

std::string OutputDir::AtomFeed(View view) const { return directory_ + "/" + ViewName(view) + ".atom"; }

std::string OutputDir::SchedulePage(View view) const { return File(std::string(ViewName(view)) + "Sche.html"); }

std::string OutputDir::CompanyPage(Code code) const { return Subdir(kIndivDir) + code.Text() + ".html"; }

std::string OutputDir::EnsureSubdir(std::string_view name) const {
  std::string directory = Subdir(name);
  FileEntry entry(directory.c_str());
  if (!entry.ExistsPath()) entry.CreateDir();  // reports its own failure
  return directory;
}

bool OutputDir::RemoveSubdir(std::string_view name) const {
  if (!Exists()) return false;
  FileEntry entry(Subdir(name).c_str());
  if (!entry.ExistsPath()) return false;
  return entry.DeleteDir();
}

OutputDir OutputDirOf(const OptionStore& options) { return OutputDir(options.Text(OptionKey::HtmlDataDir)); }

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

std::string SetPageAside(const std::string& path, uint32_t today) {
  std::string aside = path + FormatString(".broken-%u", today);
  for (int n = 2; FileEntry(aside.c_str()).ExistsPath() && n < 100; ++n)
    aside = path + FormatString(".broken-%u-%d", today, n);
  FileEntry page(path.c_str());
  return page.MoveTo(aside.c_str(), false) ? aside : std::string();
}
