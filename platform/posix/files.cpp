// File layer on POSIX calls. Paths are Shift_JIS inside the program and UTF-8 on
// the system: every call converts at the boundary, and names read back from a
// directory are converted to Shift_JIS.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>
#include <string>

#include "platform/crash.h"
#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/files_os.h"
#include "platform/os_error.h"

const char kPathSeparator = '/';

namespace {

std::string Native(const FilePath& path) { return ShiftJisToUtf8(path.Text()); }

bool WriteWhole(int fd, const char* data, size_t size, size_t& written) {
  written = 0;
  while (written < size) {
    ssize_t n = ::write(fd, data + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = ENOSPC;  // nothing written and no error: the disk is full
    if (n <= 0) return false;
    written += static_cast<size_t>(n);
  }
  return true;
}

bool StatPath(const FilePath& path, struct stat& info) { return ::stat(Native(path).c_str(), &info) == 0; }

// Copies a file's bytes; false on any failure.
bool CopyBytes(const std::string& from, const std::string& to) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  bool ok = out >= 0;
  char buffer[65536];
  while (ok) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    size_t written;
    ok = WriteWhole(out, buffer, static_cast<size_t>(n), written);
  }
  ::close(in);
  if (out >= 0 && ::close(out) != 0) ok = false;
  return ok;
}

}  // namespace

namespace files_os {

std::string ExecutableDirectory() {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return CurrentDirectory();
  std::string path = Utf8ToShiftJis(std::string_view(buffer, static_cast<size_t>(n)));
  return path.substr(0, path.rfind('/') + 1);
}

std::string CurrentDirectory() {
  char buffer[PATH_MAX];
  if (!::getcwd(buffer, sizeof buffer)) return "/";
  std::string path = Utf8ToShiftJis(buffer);
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

bool IsAbsolute(const char* text) { return text[0] == '/' || text[0] == '\\'; }

bool IsDirectory(const FilePath& path) {
  struct stat info;
  return StatPath(path, info) && S_ISDIR(info.st_mode);
}

bool RemoveFile(const FilePath& path) { return ::unlink(Native(path).c_str()) == 0; }
bool RemoveEmptyDirectory(const FilePath& path) { return ::rmdir(Native(path).c_str()) == 0; }

int64_t SecondsSinceStamp(uint64_t stamp) { return static_cast<int64_t>(::time(nullptr)) - static_cast<int64_t>(stamp); }

bool StampToLocalTime(uint64_t stamp, LocalTime& time) {
  time_t seconds = static_cast<time_t>(stamp);
  struct tm local;
  if (!::localtime_r(&seconds, &local)) return ReportOsFailure("FileTimeToLocalFileTime に失敗");
  time = LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
  return true;
}

struct DirectoryScan::Impl {
  DIR* dir = nullptr;
  std::string directory;  // native, ending in '/'
  std::string name;       // Shift_JIS pattern
  ~Impl() {
    if (dir) ::closedir(dir);
  }
};

DirectoryScan::DirectoryScan() = default;
DirectoryScan::~DirectoryScan() = default;

void DirectoryScan::Close() { impl_.reset(); }

DirectoryScan::Result DirectoryScan::First(const FilePath& pattern, FindData& data) {
  impl_ = std::make_unique<Impl>();
  impl_->directory = ShiftJisToUtf8(pattern.Directory());
  impl_->name = pattern.Name();
  impl_->dir = ::opendir(impl_->directory.c_str());
  if (!impl_->dir) {
    bool missing = IsNotFoundError(errno);
    impl_.reset();
    return missing ? kNotFound : kError;
  }
  Result result = Next(data);
  return result == kEnd ? kNotFound : result;
}

// Linux has no FindFirstFile: list the directory and match each name ourselves.
DirectoryScan::Result DirectoryScan::Next(FindData& data) {
  if (!impl_) return kEnd;
  for (;;) {
    errno = 0;
    struct dirent* entry = ::readdir(impl_->dir);
    if (!entry) return errno == 0 ? kEnd : kError;
    std::string name = Utf8ToShiftJis(entry->d_name);
    if (!MatchWildcard(impl_->name.c_str(), name.c_str())) continue;
    std::string full = impl_->directory + entry->d_name;
    struct stat info;
    if (::lstat(full.c_str(), &info) != 0) continue;  // vanished meanwhile
    // A symbolic link is listed as a link: as a file it is removed with unlink,
    // and no listing follows it (it may point anywhere, or back up the tree).
    bool link = S_ISLNK(info.st_mode);
    if (link && ::stat(full.c_str(), &info) != 0) ::lstat(full.c_str(), &info);  // a dangling link
    data.name = name;
    data.size = static_cast<uint64_t>(info.st_size);
    data.writeTime = static_cast<uint64_t>(info.st_mtime);
    data.attributes = S_ISDIR(info.st_mode) && !link ? uint32_t{kAttributeDirectory} : 0u;
    if (link) data.attributes |= kAttributeReparsePoint;
    if (!(info.st_mode & S_IWUSR)) data.attributes |= kAttributeReadOnly;
    if (data.attributes == 0) data.attributes = kAttributeNormal;
    return kEntry;
  }
}

}  // namespace files_os

// ---- FileEntry ----

bool FileEntry::ExistsPath() const {
  if (path_.IsEmpty()) return false;
  if (HasWildcard(path_.Name())) {
    files_os::DirectoryScan scan;
    FindData data;
    return scan.First(path_, data) == files_os::DirectoryScan::kEntry;
  }
  struct stat info;
  return ::stat(ShiftJisToUtf8(files_os::WithoutTrailingSeparators(path_)).c_str(), &info) == 0;
}

bool FileEntry::CopyTo(const char* destination) {
  CrashPoint();
  FilePath target;
  if (path_.IsEmpty() || !target.SetPath(destination)) return false;
  struct stat info, source;
  bool targetExists = StatPath(target, info);
  // A copy onto the file itself would empty it before reading; Windows refuses it.
  if (targetExists && StatPath(path_, source) && source.st_dev == info.st_dev && source.st_ino == info.st_ino)
    return ReportOsError(OsFailureWithCode(EINVAL, "CopyFile に失敗"));
  if (targetExists && ::chmod(Native(target).c_str(), info.st_mode | S_IWUSR) != 0)
    return ReportOsFailure("SetFileAttributes に失敗");
  if (!CopyBytes(Native(path_), Native(target))) return ReportOsFailure("CopyFile に失敗");
  return true;
}

bool FileEntry::MoveTo(const char* destination, bool replace) {
  CrashPoint();
  FilePath target;
  if (path_.IsEmpty() || !target.SetPath(destination)) return false;
  std::string from = Native(path_), to = Native(target);
  struct stat info;
  // rename() replaces silently; the caller asked not to.
  if (!replace && ::lstat(to.c_str(), &info) == 0) return ReportOsError(OsFailureWithCode(EEXIST, "MoveFileEx に失敗"));
  // Across file systems: copy, then remove the original.
  if (::rename(from.c_str(), to.c_str()) != 0 &&
      (errno != EXDEV || !CopyBytes(from, to) || ::unlink(from.c_str()) != 0))
    return ReportOsFailure("MoveFileEx に失敗");
  path_.Assign(target);
  return true;
}

bool FileEntry::Delete(bool toRecycleBin) {
  CrashPoint();
  if (path_.IsEmpty()) return false;
  if (toRecycleBin) {
    MessageSeverity = kSeveritySilent;
    ReportMessage("ゴミ箱に入れる");
    return true;
  }
  if (!files_os::RemoveFile(path_)) return ReportOsFailure("DeleteFile に失敗");
  return true;
}

bool FileEntry::SetAttributes(uint32_t attributes) {
  struct stat info;
  if (path_.IsEmpty()) return false;
  std::string native = Native(path_);
  bool ok = ::stat(native.c_str(), &info) == 0;
  if (ok) {
    // The read-only bit is the absence of write permission.
    mode_t mode = info.st_mode & 07777;
    mode = (attributes & kAttributeReadOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
    ok = ::chmod(native.c_str(), mode) == 0;
  }
  if (!ok) return ReportOsFailure("SetFileAttributes に失敗");
  return true;
}

bool FileEntry::CreateDir() {
  CrashPoint();
  if (path_.IsEmpty()) return false;
  if (!path_.IsDirectory()) {
    ReportError("CreateDir がファイル名");
    return false;
  }
  if (::mkdir(Native(path_).c_str(), 0777) != 0) return ReportOsFailure("CreateDirectory に失敗");
  return true;
}

bool FileEntry::LastWriteTime(LocalTime& time) const {
  struct stat info;
  if (path_.IsEmpty() || !StatPath(path_, info)) return false;
  return files_os::StampToLocalTime(static_cast<uint64_t>(info.st_mtime), time);
}

bool FileEntry::LastWriteStamp(uint64_t& stamp) const {
  struct stat info;
  if (path_.IsEmpty() || !StatPath(path_, info)) return false;
  stamp = static_cast<uint64_t>(info.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(info.st_mtim.tv_nsec);
  return true;
}

// ---- DiskFile ----

struct DiskFile::Handle {
  int fd = -1;
};

DiskFile::DiskFile() : handle_(std::make_unique<Handle>()) {}
DiskFile::DiskFile(const char* text) : FileEntry(text), handle_(std::make_unique<Handle>()) {}
DiskFile::~DiskFile() { Close(); }

bool DiskFile::SetPath(const char* text) { Close(); return FileEntry::SetPath(text); }
bool DiskFile::SetPath(const FilePath& path) { Close(); return FileEntry::SetPath(path); }
bool DiskFile::CopyTo(const char* destination) { Close(); return FileEntry::CopyTo(destination); }
bool DiskFile::MoveTo(const char* destination, bool replace) { Close(); return FileEntry::MoveTo(destination, replace); }

bool DiskFile::IsOpen() const { return handle_->fd >= 0; }

void DiskFile::Close() {
  if (handle_->fd >= 0) ::close(handle_->fd);
  handle_->fd = -1;
}

bool DiskFile::Open(FileOpenMode mode) {
  if (mode == FileOpenMode::CreateNew || mode == FileOpenMode::CreateAlways) CrashPoint();
  if (path_.IsEmpty()) return false;
  if (path_.IsDirectory()) return mode == FileOpenMode::CreateAlways && CreateDir();
  if (IsOpen()) return true;
  int flags = O_RDWR | O_CLOEXEC;
  switch (mode) {
    case FileOpenMode::CreateNew: flags |= O_CREAT | O_EXCL; break;
    case FileOpenMode::CreateAlways: flags |= O_CREAT; break;
    case FileOpenMode::OpenExisting: break;
    case FileOpenMode::OpenReadOnly: flags = O_RDONLY | O_CLOEXEC; break;
  }
  int fd = ::open(Native(path_).c_str(), flags, 0666);
  struct stat info;
  if (fd >= 0) {
    int error = ::fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;  // a directory is no file
    if (error != 0) {
      ::close(fd);
      fd = -1;
      errno = error;
    }
  }
  if (fd < 0) return ReportOsFailure("ファイル<%s>のオープンに失敗", path_.Text());
  handle_->fd = fd;
  if (mode == FileOpenMode::CreateAlways && ::ftruncate(fd, 0) != 0)
    return ReportOsFailure("ファイル<%s>のファイル終端セットに失敗", path_.Text());
  return true;
}

bool DiskFile::Read(void* buffer, uint32_t count) {
  transferred_ = 0;
  if (count == 0) return true;
  if (!IsOpen()) return false;
  char* target = static_cast<char*>(buffer);
  int error = 0;  // none at the end of the file
  while (transferred_ < count) {
    ssize_t n = ::read(handle_->fd, target + transferred_, count - transferred_);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    transferred_ += static_cast<uint32_t>(n);
  }
  if (transferred_ == 0) return ReportOsError(OsFailureWithCode(error, "ファイル<%s>の読み込みに失敗", path_.Text()));
  return true;
}

bool DiskFile::ReadAll(std::string& text) {
  text.clear();
  struct stat info;
  if (!IsOpen() || ::fstat(handle_->fd, &info) != 0) return false;
  if (info.st_size == 0) return true;
  text.resize(static_cast<size_t>(info.st_size));
  if (!Read(text.data(), static_cast<uint32_t>(text.size()))) {
    text.clear();
    return false;
  }
  text.resize(transferred_);
  return true;
}

bool DiskFile::Write(const void* buffer, uint32_t count) {
  CrashPoint();
  transferred_ = 0;
  if (count == 0 || !IsOpen()) return false;
  size_t written = 0;
  bool ok = WriteWhole(handle_->fd, static_cast<const char*>(buffer), count, written);
  transferred_ = static_cast<uint32_t>(written);
  if (!ok) return ReportOsFailure("ファイル<%s>の書き込みに失敗", path_.Text());
  return true;
}

bool DiskFile::Seek(SeekOrigin origin) {
  if (!IsOpen()) return false;
  int whence = origin == SeekOrigin::Start ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
  if (::lseek(handle_->fd, 0, whence) < 0)
    return ReportOsFailure("ファイル<%s>のファイルポインタ移動に失敗", path_.Text());
  return true;
}

// ---- whole-file replacement ----

std::optional<OsError> TryReplaceFileContents(const FilePath& path, std::string_view contents) {
  auto failed = [&path](int code) { return OsFailureWithCode(code, "ファイル<%s>の書き込みに失敗", path.Text()); };
  if (path.IsEmpty() || path.IsDirectory()) return failed(EISDIR);
  static std::atomic<unsigned> counter{0};
  std::string target = Native(path);
  // The temporary name is created exclusively; a name left behind by a killed
  // process (whose id may be ours now) is passed over, never written into.
  std::string temporary;
  int fd = -1;
  for (int tries = 0; fd < 0 && tries < 1000; ++tries) {
    temporary = target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    CrashPoint();
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return failed(errno);
  }
  if (fd < 0) return failed(EEXIST);
  size_t written;
  // No fsync: the rename already protects against a crash of this process, and
  // the program writes thousands of pages per run.
  int error = WriteWhole(fd, contents.data(), contents.size(), written) ? 0 : errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0) {
    CrashPoint();
    if (::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  }
  if (error == 0) return std::nullopt;
  ::unlink(temporary.c_str());
  return failed(error);
}
