// File layer on the Win32 W functions. Paths are Shift_JIS inside the program;
// each call converts them to UTF-16 through code page 932 (never the ANSI code
// page, which need not be Japanese), and names coming back are converted back.
#include <windows.h>

#include <atomic>
#include <string>

#include "platform/crash.h"
#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/files.h"
#include "platform/files_os.h"
#include "platform/os_error.h"
#include "platform/win32/wide.h"

const char kPathSeparator = '\\';

namespace {

std::wstring Wide(const FilePath& path) { return ShiftJisToWide(path.Text()); }

// Closes a file handle when it goes.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  void Reset(HANDLE h) { Close(); h_ = h; }
  void Close() {
    if (valid()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

uint64_t Stamp(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void FillFindData(const WIN32_FIND_DATAW& found, FindData& data) {
  data.name = WideToShiftJis(found.cFileName);
  data.attributes = found.dwFileAttributes;
  data.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  data.writeTime = Stamp(found.ftLastWriteTime);
}

// The directory part of an absolute Shift_JIS path (FilePath finds the last
// separator without mistaking a trail byte 0x5C for one).
std::string DirectoryOf(const std::string& path) {
  FilePath p;
  return p.SetPath(path.c_str()) ? p.Directory() : std::string();
}

}  // namespace

namespace files_os {

int64_t SecondsSinceStamp(uint64_t stamp) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<int64_t>(Stamp(now)) - static_cast<int64_t>(stamp)) / 10000000;
}

std::string ExecutableDirectory() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return CurrentDirectory();
  return DirectoryOf(WideToShiftJis(std::wstring_view(buffer, n)));
}

std::string CurrentDirectory() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) return "C:\\";
  std::wstring wide(buffer, n);
  if (wide.back() != L'\\') wide += L'\\';
  return WideToShiftJis(wide);
}

bool IsAbsolute(const char* text) {
  auto separator = [](char c) { return c == '\\' || c == '/'; };
  return (separator(text[0]) && separator(text[1])) || (text[0] && text[1] == ':');
}

bool IsDirectory(const FilePath& path) {
  DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveFile(const FilePath& path) { return DeleteFileW(Wide(path).c_str()) != 0; }
bool RemoveEmptyDirectory(const FilePath& path) { return RemoveDirectoryW(Wide(path).c_str()) != 0; }

bool StampToLocalTime(uint64_t stamp, LocalTime& time) {
  FILETIME utc{static_cast<DWORD>(stamp), static_cast<DWORD>(stamp >> 32)}, local;
  SYSTEMTIME system;
  if (!FileTimeToLocalFileTime(&utc, &local)) return ReportOsFailure("FileTimeToLocalFileTime に失敗");
  if (!FileTimeToSystemTime(&local, &system)) return ReportOsFailure("FileTimeToSystemTime に失敗");
  time = LocalTime{system.wYear, system.wMonth, system.wDay, system.wHour, system.wMinute, system.wSecond};
  return true;
}

struct DirectoryScan::Impl {
  HANDLE find = INVALID_HANDLE_VALUE;
  ~Impl() {
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
};

DirectoryScan::DirectoryScan() = default;
DirectoryScan::~DirectoryScan() = default;

void DirectoryScan::Close() { impl_.reset(); }

DirectoryScan::Result DirectoryScan::First(const FilePath& pattern, FindData& data) {
  impl_ = std::make_unique<Impl>();
  WIN32_FIND_DATAW found;
  impl_->find = FindFirstFileW(Wide(pattern).c_str(), &found);
  if (impl_->find == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    impl_.reset();
    SetLastError(error);  // for the caller's message
    return IsNotFoundError(static_cast<int>(error)) ? kNotFound : kError;
  }
  FillFindData(found, data);
  return kEntry;
}

DirectoryScan::Result DirectoryScan::Next(FindData& data) {
  if (!impl_) return kEnd;
  WIN32_FIND_DATAW found;
  if (!FindNextFileW(impl_->find, &found)) return GetLastError() == ERROR_NO_MORE_FILES ? kEnd : kError;
  FillFindData(found, data);
  return kEntry;
}

}  // namespace files_os

// ---- FileEntry ----

bool FileEntry::ExistsPath() const {
  if (path_.IsEmpty()) return false;
  // A directory is looked up by its attributes without its trailing
  // separators: FindFirstFile finds no root, nor "D:\\kabu\\" with its separator.
  if (path_.IsDirectory())
    return GetFileAttributesW(ShiftJisToWide(files_os::WithoutTrailingSeparators(path_)).c_str()) !=
           INVALID_FILE_ATTRIBUTES;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(ShiftJisToWide(path_.Text()).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

bool FileEntry::CopyTo(const char* destination) {
  CrashPoint();
  FilePath target;
  if (path_.IsEmpty() || !target.SetPath(destination)) return false;
  std::wstring to = Wide(target);
  if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES && !SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL))
    return ReportOsFailure("SetFileAttributes に失敗");
  if (!CopyFileW(Wide(path_).c_str(), to.c_str(), FALSE)) return ReportOsFailure("CopyFile に失敗");
  return true;
}

bool FileEntry::MoveTo(const char* destination, bool replace) {
  CrashPoint();
  FilePath target;
  if (path_.IsEmpty() || !target.SetPath(destination)) return false;
  DWORD flags = MOVEFILE_COPY_ALLOWED | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExW(Wide(path_).c_str(), Wide(target).c_str(), flags)) return ReportOsFailure("MoveFileEx に失敗");
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
  if (!DeleteFileW(Wide(path_).c_str())) return ReportOsFailure("DeleteFile に失敗");
  return true;
}

bool FileEntry::SetAttributes(uint32_t attributes) {
  if (path_.IsEmpty()) return false;
  if (!SetFileAttributesW(Wide(path_).c_str(), attributes)) return ReportOsFailure("SetFileAttributes に失敗");
  return true;
}

bool FileEntry::CreateDir() {
  CrashPoint();
  if (path_.IsEmpty()) return false;
  if (!path_.IsDirectory()) {
    ReportError("CreateDir がファイル名");
    return false;
  }
  if (!CreateDirectoryW(Wide(path_).c_str(), nullptr)) return ReportOsFailure("CreateDirectory に失敗");
  return true;
}

bool FileEntry::LastWriteTime(LocalTime& time) const {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path_.IsEmpty() || !GetFileAttributesExW(Wide(path_).c_str(), GetFileExInfoStandard, &data)) return false;
  return files_os::StampToLocalTime(Stamp(data.ftLastWriteTime), time);
}

bool FileEntry::LastWriteStamp(uint64_t& stamp) const {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path_.IsEmpty() || !GetFileAttributesExW(Wide(path_).c_str(), GetFileExInfoStandard, &data)) return false;
  stamp = Stamp(data.ftLastWriteTime);
  return true;
}

// ---- DiskFile ----

struct DiskFile::Handle {
  FileHandle file;
};

DiskFile::DiskFile() : handle_(std::make_unique<Handle>()) {}
DiskFile::DiskFile(const char* text) : FileEntry(text), handle_(std::make_unique<Handle>()) {}
DiskFile::~DiskFile() { Close(); }

bool DiskFile::SetPath(const char* text) { Close(); return FileEntry::SetPath(text); }
bool DiskFile::SetPath(const FilePath& path) { Close(); return FileEntry::SetPath(path); }
bool DiskFile::CopyTo(const char* destination) { Close(); return FileEntry::CopyTo(destination); }
bool DiskFile::MoveTo(const char* destination, bool replace) { Close(); return FileEntry::MoveTo(destination, replace); }

bool DiskFile::IsOpen() const { return handle_->file.valid(); }
void DiskFile::Close() { handle_->file.Close(); }

bool DiskFile::Open(FileOpenMode mode) {
  if (mode == FileOpenMode::CreateNew || mode == FileOpenMode::CreateAlways) CrashPoint();
  if (path_.IsEmpty()) return false;
  if (path_.IsDirectory()) return mode == FileOpenMode::CreateAlways && CreateDir();
  if (IsOpen()) return true;
  DWORD access = GENERIC_READ | GENERIC_WRITE, share = 0, disposition = OPEN_EXISTING;
  switch (mode) {
    case FileOpenMode::CreateNew: disposition = CREATE_NEW; break;
    case FileOpenMode::CreateAlways: disposition = CREATE_ALWAYS; break;
    case FileOpenMode::OpenExisting: break;
    case FileOpenMode::OpenReadOnly: access = GENERIC_READ; share = FILE_SHARE_READ; break;
  }
  HANDLE h = CreateFileW(Wide(path_).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ReportOsFailure("ファイル<%s>のオープンに失敗", path_.Text());
  handle_->file.Reset(h);
  if (mode == FileOpenMode::CreateAlways &&
      (SetFilePointer(h, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !SetEndOfFile(h)))
    return ReportOsFailure("ファイル<%s>のファイル終端セットに失敗", path_.Text());
  return true;
}

bool DiskFile::Read(void* buffer, uint32_t count) {
  transferred_ = 0;
  if (count == 0) return true;
  if (!IsOpen()) return false;
  DWORD read = 0;
  if (!ReadFile(handle_->file.get(), buffer, count, &read, nullptr))
    return ReportOsFailure("ファイル<%s>の読み込みに失敗", path_.Text());
  if (read == 0)  // the end of the file: no system error
    return ReportOsError(OsFailureWithCode(0, "ファイル<%s>の読み込みに失敗", path_.Text()));
  transferred_ = read;
  return true;
}

bool DiskFile::ReadAll(std::string& text) {
  text.clear();
  LARGE_INTEGER size;
  if (!IsOpen() || !GetFileSizeEx(handle_->file.get(), &size)) return false;
  if (size.QuadPart == 0) return true;
  text.resize(static_cast<size_t>(size.QuadPart));
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
  DWORD written = 0;
  bool wrote = WriteFile(handle_->file.get(), buffer, count, &written, nullptr) != 0;
  if (!wrote || written != count) {
    transferred_ = written;
    int code = wrote ? ERROR_DISK_FULL : static_cast<int>(GetLastError());  // a short write: no room
    return ReportOsError(OsFailureWithCode(code, "ファイル<%s>の書き込みに失敗", path_.Text()));
  }
  transferred_ = written;
  return true;
}

bool DiskFile::Seek(SeekOrigin origin) {
  if (!IsOpen()) return false;
  DWORD method = origin == SeekOrigin::Start ? FILE_BEGIN : origin == SeekOrigin::Current ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(handle_->file.get(), zero, nullptr, method))
    return ReportOsFailure("ファイル<%s>のファイルポインタ移動に失敗", path_.Text());
  return true;
}

// ---- whole-file replacement ----

std::optional<OsError> TryReplaceFileContents(const FilePath& path, std::string_view contents) {
  auto failed = [&path](DWORD code) {
    return OsFailureWithCode(static_cast<int>(code), "ファイル<%s>の書き込みに失敗", path.Text());
  };
  if (path.IsEmpty() || path.IsDirectory()) return failed(ERROR_DIRECTORY);
  static std::atomic<unsigned> counter{0};
  std::wstring target = Wide(path);
  // The temporary name is created exclusively; a name left behind by a killed
  // process (whose id may be ours now) is passed over, never written into.
  std::wstring temporary;
  FileHandle file(INVALID_HANDLE_VALUE);
  for (int tries = 0; !file.valid() && tries < 1000; ++tries) {
    temporary = target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(counter++);
    CrashPoint();
    file.Reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() && GetLastError() != ERROR_FILE_EXISTS) return failed(GetLastError());
  }
  if (!file.valid()) return failed(ERROR_FILE_EXISTS);
  DWORD written = 0, error = ERROR_SUCCESS;
  if (!contents.empty() &&
      !WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr))
    error = GetLastError();
  else if (written != contents.size())
    error = ERROR_DISK_FULL;
  file.Close();
  if (error == ERROR_SUCCESS) {
    CrashPoint();
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) error = GetLastError();
  }
  if (error == ERROR_SUCCESS) return std::nullopt;
  DeleteFileW(temporary.c_str());
  return failed(error);
}
