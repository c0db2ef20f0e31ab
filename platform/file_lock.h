// An exclusive lock on a file, held for the object's life. The system releases
// it when the process ends in any way, so a crashed run never blocks the next.
#pragma once

#include <memory>

class FilePath;

class FileLock {
 public:
  enum Result { kLocked, kBusy, kFailed };

  FileLock();
  // Releases the lock (the file stays).
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Creates the file when it is missing and takes the lock without waiting:
  // kBusy when another process (or another FileLock) holds it, kFailed when
  // the file cannot be created or opened (nothing is reported).
  Result Lock(const FilePath& path);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
