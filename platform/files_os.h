// The seam between the portable file logic (files.cpp) and the system files
// (posix/files.cpp, win32/files.cpp). Private to the platform layer.
#pragma once

#include <memory>
#include <string>

#include "platform/files.h"

namespace files_os {

// Directory of the running executable, ending in the separator (Shift_JIS).
std::string ExecutableDirectory();
// The current directory, ending in the separator (Shift_JIS).
std::string CurrentDirectory();
// Whether a text is an absolute path on this system.
bool IsAbsolute(const char* text);
// Whether a path names an existing directory.
bool IsDirectory(const FilePath& path);
// Plain removals with no message (the callers report).
bool RemoveFile(const FilePath& path);
bool RemoveEmptyDirectory(const FilePath& path);
// Converts a system time stamp of FindData::writeTime to local calendar time;
// reports "FileTimeToLocalFileTime に失敗" / "FileTimeToSystemTime に失敗".
bool StampToLocalTime(uint64_t stamp, LocalTime& time);
// Seconds from a FindData::writeTime stamp to now (negative for a future stamp).
int64_t SecondsSinceStamp(uint64_t stamp);

// The text of a path without its trailing separators, however many ("D:\\kabu\\\\"
// gives "D:\\kabu"); a root keeps its one ("D:\\", "/").
std::string WithoutTrailingSeparators(const FilePath& path);

// One directory listing on a pattern (a directory plus a name with wildcards).
class DirectoryScan {
 public:
  enum Result { kEntry, kEnd, kNotFound, kError };
  DirectoryScan();
  ~DirectoryScan();
  DirectoryScan(const DirectoryScan&) = delete;
  DirectoryScan& operator=(const DirectoryScan&) = delete;

  // kNotFound when the directory does not exist or nothing matches.
  Result First(const FilePath& pattern, FindData& data);
  // kEnd after the last entry.
  Result Next(FindData& data);
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace files_os

// Wildcard match of a Shift_JIS name: "*" any run, "?" one character, ASCII case
// ignored; "*.*" matches every name (as on Windows).
bool MatchWildcard(const char* pattern, const char* name);
// Whether a name holds "*" or "?".
bool HasWildcard(const char* name);
