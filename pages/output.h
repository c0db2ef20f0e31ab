// The output directory (the option HtmlDataDir): the path of every file the
// program keeps there, and the helpers that create and remove its
// subdirectories.
//
// The path functions only form texts; they never touch the file system, so a
// caller can test whether a file exists without creating anything. The file
// layer resolves every text it is given (relative to the home directory, with
// the system's separators), so the forms below differ only in the messages
// that name a path.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pages/views.h"
#include "settings/tickers.h"

enum class OptionKey : int;
class OptionStore;

// The data files the program keeps for itself in the output directory.
constexpr char kStyleSheetFile[] = "_default.css";
constexpr char kCompanyNamesFile[] = "_coname.txt";
constexpr char kCompanyProfileFile[] = "_coprof.dat";
constexpr char kScheduleFile[] = "_schedule.dat";
constexpr char kMonthlyFile[] = "_monthly.txt";
// Held locked by the run that uses the output directory.
constexpr char kRunLockFile[] = "_run.lock";
// The raw store and the company pages' subdirectories.
constexpr char kRawDir[] = "Raw";
constexpr char kIndivDir[] = "Indiv";

class OutputDir {
 public:
  OutputDir() = default;
  // `directory` as the option holds it.
  explicit OutputDir(std::string directory) : directory_(std::move(directory)) {}

  // The directory as the option holds it.
  const std::string& Text() const { return directory_; }
  // Whether it names an existing directory. An empty value and the placeholder
  // the option holds until the user picks a directory name none (an empty
  // value would otherwise mean the root directory), nor does a path too long
  // to work (DirectoryPathFits).
  bool Exists() const;

  // A file of the directory ("_coname.txt", "AllSche.html", "Images/sbi.png"):
  // the text joined with `name` ("/" inserted unless the text already ends in
  // "/" or "\"), normalised as a FilePath.
  std::string File(std::string_view name) const;
  // "%s/%s/" of the text and a subdirectory name ("Raw", "All", "Indiv", ...).
  std::string Subdir(std::string_view name) const;
  // The day file of a date in a subdirectory, "%s/%s/%u.html": the raw store
  // and the per-day views.
  std::string DayFile(std::string_view subdir, uint32_t date) const;
  std::string DayFile(View view, uint32_t date) const { return DayFile(ViewName(view), date); }
  // A view's summary page, "%s/%s.html" ("All.html", ...).
  std::string SummaryPage(View view) const;
  // A view's Atom feed beside its summary page, "%s/%s.atom" ("All.atom", ...).
  std::string AtomFeed(View view) const;
  // A view's schedule page, File("AllSche.html") (or "PortSche.html", ...).
  std::string SchedulePage(View view) const;
  // A company's page, "%s/Indiv/NNNN.html".
  std::string CompanyPage(Code code) const;

  // Subdir of `name`, created when missing ("CreateDirectory に失敗" when it
  // cannot be); the path is returned either way.
  std::string EnsureSubdir(std::string_view name) const;
  // Removes the subdirectory with everything in it. False when it did not
  // exist (or the directory does not exist) or could not be removed.
  bool RemoveSubdir(std::string_view name) const;

 private:
  std::string directory_;
};

// The output directory that an option file names.
OutputDir OutputDirOf(const OptionStore& options);

// Whether a value of a directory option (HtmlDataDir or XlsCheckDir) leaves
// room, within the 260 bytes of a path, for the longest name the program makes
// in that directory ("Indiv/NNNN.html.broken-yyyymmdd-NN", a temporary file
// beside a page; "NNNN.xlsx"). A relative value counts with the home directory
// before it. Reports nothing.
bool DirectoryPathFits(OptionKey key, std::string_view value);
// The same, reporting a value that does not fit: "html保存パスが長すぎます (%u
// バイト、上限 %u バイト) <%s>" (or "xlsチェックパス..."). Other keys always fit.
bool CheckDirectoryPath(OptionKey key, std::string_view value);

// Moves a page that cannot be read aside as "<path>.broken-<today>" (with
// "-2", "-3", ... when that name is taken), so that the page can be made anew
// without losing what it held. Returns the new name, empty when the move failed.
std::string SetPageAside(const std::string& path, uint32_t today);
