// Paths, files, directories and directory listing.
//
// All texts are Shift_JIS; each implementation converts them to the system's own
// encoding at the system call (UTF-8 on Linux, UTF-16 with code page 932 on
// Windows). Every failure is reported through ReportOsError with the file layer's
// messages ("ファイル<%s>のオープンに失敗", "MoveFileEx に失敗", ...), so that
// LastOsError() holds the system's code, and the operation returns false;
// nothing throws.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os_error.h"
#include "platform/sjis.h"

constexpr int kMaxPath = 260;

// The native separator: '\\' on Windows, '/' on Linux. FilePath turns the other
// one into it (skipping Shift_JIS trail bytes).
extern const char kPathSeparator;


// The home directory, ending in the separator: the directory of the running
// executable unless SetHomeDirectory replaced it. Relative paths, the option file,
// the debug log and the crash report all live there.
const std::string& HomeDirectory();
// Replaces the home directory for the rest of the process (the command line's
// --home). A relative text is taken relative to the current directory. Returns
// false when the directory does not exist.
bool SetHomeDirectory(const std::string& directory);
// A path the user typed on the command line as an absolute text: a relative
// one is taken from the current directory (not the home directory).
std::string FromCurrentDirectory(const std::string& text);

// Local calendar time.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  uint32_t Date() const { return static_cast<uint32_t>(year * 10000 + month * 100 + day); }
};

// Whether a path text is absolute (otherwise FilePath takes it relative to the
// home directory).
bool IsAbsolutePath(const char* text);

// A full path of at most 260 bytes with native separators, and where its
// directory, name and extension begin.
class FilePath {
 public:
  FilePath() = default;
  explicit FilePath(const char* text) { SetPath(text); }

  // Absolute texts are taken as they are; anything else is relative to the home
  // directory, with leading "./" dropped and "../" climbing one directory each.
  // Climbing above the root reports "指定されたパス<%s>は構文がおかしい".
  bool SetPath(const char* text);
  bool SetPathFormat(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  // Joins a directory text (taken unresolved) and a name, inserting a separator.
  bool SetJoined(const char* directory, const char* name);
  // Replaces the name; nullptr cuts the path back to its directory.
  bool SetName(const char* name);
  void Assign(const FilePath& other) { *this = other; }

  const char* Text() const { return text_; }
  int Length() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }
  // True when the path ends in a separator (it names a directory).
  bool IsDirectory() const { return length_ > 0 && nameStart_ < 0; }
  // The name after the last separator, "" when none.
  const char* Name() const { return nameStart_ < 0 ? text_ + length_ : text_ + nameStart_; }
  // The extension after the name's last ".", "" when none.
  const char* Extension() const { return extStart_ < 0 ? text_ + length_ : text_ + extStart_; }
  bool HasExtension() const { return extStart_ >= 0; }
  // Up to and including the last separator.
  std::string Directory() const { return std::string(text_, directoryLength_); }
  int DirectoryLength() const { return directoryLength_; }

 private:
  bool SetNormalised(const char* text, size_t length);
  void Normalise();

  char text_[kMaxPath + 1] = {};
  int nameStart_ = -1;
  int extStart_ = -1;
  int length_ = 0;
  int directoryLength_ = 0;
};

// A reparse point is a link (a Windows junction or symbolic link, a Linux
// symbolic link): listings never descend into one and removal takes the link,
// not what it points to.
enum FileAttribute : uint32_t {
  kAttributeReadOnly = 0x1,
  kAttributeDirectory = 0x10,
  kAttributeNormal = 0x80,
  kAttributeReparsePoint = 0x400,
};

// A path with whole-file operations.
class FileEntry {
 public:
  FileEntry() = default;
  explicit FileEntry(const char* text) { path_.SetPath(text); }
  virtual ~FileEntry() = default;

  virtual bool SetPath(const char* text) { return path_.SetPath(text); }
  virtual bool SetPath(const FilePath& path) { path_.Assign(path); return !path_.IsEmpty(); }
  // Copies over an existing destination (clearing its read-only attribute first).
  virtual bool CopyTo(const char* destination);
  // Moves (copy allowed across volumes), replacing an existing destination only
  // when `replace`; on success the entry names the destination.
  virtual bool MoveTo(const char* destination, bool replace);

  const FilePath& Path() const { return path_; }
  FilePath& MutablePath() { return path_; }

  // Whether a file or directory exists; the name may hold "*" and "?", matched
  // like the system's own wildcards with ASCII case ignored. A path ending in
  // separators (one or more) is looked up without them, a root as itself.
  bool ExistsPath() const;
  // Deletes the file; with `toRecycleBin` only the silent notice "ゴミ箱に入れる"
  // is raised and nothing is deleted.
  bool Delete(bool toRecycleBin = false);
  bool SetAttributes(uint32_t attributes);
  // Creates the last level of a directory path (it must end in a separator).
  bool CreateDir();
  // Removes a directory and everything below it, deepest entries first.
  bool DeleteDir();
  // Last-write time of the entry in local time; false when it does not exist.
  bool LastWriteTime(LocalTime& time) const;
  // Last-write time at the file system's full resolution, for ordering two files
  // of this system (nanoseconds on Linux, 100 ns units on Windows); false when
  // the entry does not exist.
  bool LastWriteStamp(uint64_t& stamp) const;

 protected:
  FilePath path_;
};

enum class FileOpenMode { CreateNew = 0, CreateAlways = 1, OpenExisting = 2, OpenReadOnly = 3 };
enum class SeekOrigin { Start, Current, End };

// A FileEntry with an open handle.
class DiskFile : public FileEntry {
 public:
  DiskFile();
  explicit DiskFile(const char* text);
  ~DiskFile() override;
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;

  bool SetPath(const char* text) override;
  bool SetPath(const FilePath& path) override;
  bool CopyTo(const char* destination) override;
  bool MoveTo(const char* destination, bool replace) override;

  bool Open(FileOpenMode mode);
  bool IsOpen() const;
  // Fails unless at least one byte was read; a count of 0 succeeds at once.
  bool Read(void* buffer, uint32_t count);
  // Reads the whole file into `text` (an empty file gives an empty text).
  bool ReadAll(std::string& text);
  bool Write(const void* buffer, uint32_t count);
  bool Seek(SeekOrigin origin);
  void Close();
  uint32_t Transferred() const { return transferred_; }

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
  uint32_t transferred_ = 0;
};

// Reads a whole file; reports "ファイル<%s>のオープンに失敗" and the like.
bool ReadAll(const char* path, std::string& text);

// Replaces a file whole: writes a temporary file beside it, then renames it over
// the target, so a crash or a full disk never leaves a half-written file. On
// failure the old file is kept, the temporary file is removed, and
// "ファイル<%s>の書き込みに失敗" (the path's text) is reported.
bool ReplaceFileContents(const FilePath& path, std::string_view contents);
// The same without a message: the failure as data (that message and the
// system's code), nothing on success. For a caller that reports with its own
// message (the option file).
std::optional<OsError> TryReplaceFileContents(const FilePath& path, std::string_view contents);

// Removes, from one directory (not below it), the temporaries of
// ReplaceFileContents ("NAME.tmp<process>_<n>") that killed processes left
// behind: those whose process is gone or that were last written more than a
// day ago. With `parts`, every "NAME.part" as well (the caller knows that no
// one is writing them). Quietly: a file that cannot be removed stays.
void RemoveStaleTemporaryFiles(const std::string& directory, bool parts = false);

// What a FileFinder found.
struct FindData {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint64_t writeTime = 0;  // the system's own time stamp of the last write
  bool IsDirectory() const { return (attributes & kAttributeDirectory) != 0; }
  bool IsLink() const { return (attributes & kAttributeReparsePoint) != 0; }
};

// Enumerates a directory (pattern: directory plus a name with wildcards), files
// (flag 1), directories (flag 2), recursively (flag 4). Names beginning with "."
// are skipped; a pattern extension other than "*..." must equal the file's
// extension, ASCII case ignored.
class FileFinder {
 public:
  enum : int { kFiles = 1, kDirectories = 2, kRecursive = 4 };
  FileFinder();
  ~FileFinder();
  FileFinder(const FileFinder&) = delete;
  FileFinder& operator=(const FileFinder&) = delete;

  bool Start(const char* pattern, int flags);
  bool IsFinished() const { return finished_; }
  bool _Next();
  const FilePath& CurrentPath() const;
  const FindData& CurrentFindData() const;
  bool CurrentLocalTime(LocalTime& time) const;

 private:
  // Moves this finder (not a nested one) to its next entry to return.
  bool Advance();
  bool Accepts(const FindData& entry) const;

  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool finished_ = true;
};

