#include "platform/file_lock.h"

#include <windows.h>

#include "platform/files.h"
#include "platform/win32/wide.h"

struct FileLock::Impl {
  HANDLE file = INVALID_HANDLE_VALUE;
};

FileLock::FileLock() : impl_(std::make_unique<Impl>()) {}

FileLock::~FileLock() {
  if (impl_->file != INVALID_HANDLE_VALUE) CloseHandle(impl_->file);  // releases the lock
}

FileLock::Result FileLock::Lock(const FilePath& path) {
  if (impl_->file != INVALID_HANDLE_VALUE) return kLocked;
  HANDLE file = CreateFileW(ShiftJisToWide(path.Text()).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kFailed;
  OVERLAPPED at = {};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    DWORD error = GetLastError();
    CloseHandle(file);
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? kBusy : kFailed;
  }
  impl_->file = file;
  return kLocked;
}
