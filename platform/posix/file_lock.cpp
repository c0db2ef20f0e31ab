#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/encoding.h"
#include "platform/files.h"

struct FileLock::Impl {
  int fd = -1;
};

FileLock::FileLock() : impl_(std::make_unique<Impl>()) {}

FileLock::~FileLock() {
  if (impl_->fd >= 0) ::close(impl_->fd);  // closing the descriptor releases the lock
}

FileLock::Result FileLock::Lock(const FilePath& path) {
  if (impl_->fd >= 0) return kLocked;
  int fd = ::open(ShiftJisToUtf8(path.Text()).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return kFailed;
  // flock locks belong to the open file, so a second FileLock in this process
  // is refused as well, as a second process would be.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? kBusy : kFailed;
  }
  impl_->fd = fd;
  return kLocked;
}
