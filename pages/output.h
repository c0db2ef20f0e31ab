// The output directory (option HtmlDataDir, read fresh each time): the paths of
// everything the program keeps there, and the two helpers that create and remove
// its subdirectories.
//
// The path functions only form texts; they never touch the file system, so a
// caller can test whether a file exists without creating anything.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class OptionKey : int;

// The data files the program keeps for itself in the output directory.
constexpr char kStyleSheetFile[] = "_default.css";
constexpr char kCompanyNamesFile[] = "_coname.txt";
constexpr char kCompanyProfileFile[] = "_coprof.dat";
constexpr char kScheduleFile[] = "_schedule.dat";
constexpr char kMonthlyFile[] = "_monthly.txt";
// Held locked by the run that uses the output directory.
constexpr char kRunLockFile[] = "_run.lock";

// Whether HtmlDataDir names an existing directory. An empty value and the
// placeholder the option holds until the user picks a directory name none (an
// empty value would otherwise mean the root directory), nor does a path too
// long to work (DirectoryPathFits).
bool HasOutputDirectory();

// Whether a value of a directory option (HtmlDataDir or XlsCheckDir) leaves
// room, within the 260 bytes of a path, for the longest name the program makes
// in that directory ("Indiv/NNNN.html.broken-yyyymmdd-NN", a temporary file
// beside a page; "NNNN.xlsx"). A relative value counts with the home directory
// before it. Reports nothing.
bool DirectoryPathFits(OptionKey key, std::string_view value);
// The same, reporting a value that does not fit: "html保存パスが長すぎます (%u
// バイト、上限 %u バイト) <%s>" (or "xlsチェックパス..."). Other keys always fit.
bool CheckDirectoryPath(OptionKey key, std::string_view value);

// HtmlDataDir joined with `name` ("/" inserted unless the value already ends in
// "/" or "\"), normalised as a FilePath (relative to the home directory).
std::string OutputPath(const char* name);
// "%s/%s/" of HtmlDataDir and a subdirectory name ("Raw", "All", "Indiv", ...).
std::string OutputSubdirPath(const char* name);
// The day file of a date in a subdirectory: "%s/%s/%d.html" (the raw store "Raw"
// and the views "All", "Port", "Xls").
std::string DayFilePath(const char* subdir, uint32_t date);

// OutputSubdirPath of `name`, created when missing ("CreateDirectory に失敗" when
// it cannot be); the path is returned either way.
std::string EnsureOutputSubdir(const char* name);
// Moves a page that cannot be read aside as "<path>.broken-<today>" (with
// "-2", "-3", ... when that name is taken), so that the page can be made anew
// without losing what it held. Returns the new name, empty when the move failed.
std::string SetPageAside(const std::string& path);

// Removes HtmlDataDir/name/ with everything in it. False when it did not exist
// (or there is no output directory) or could not be removed.
bool RemoveOutputSubdir(const char* name);
