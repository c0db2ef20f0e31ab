// Buffered appending to a file that is not held open between flushes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/diagnostics.h"
#include "platform/files.h"

// Collects bytes in a buffer and appends them to its file at each flush: the file
// is opened (it must exist), written at its end and closed again, so several
// writers can append to different files in turn and the file on disk is complete
// up to the last flush. Failures are reported ("ファイル<%s>のオープンに失敗",
// "ファイル<%s>の書き込みに失敗"); the buffered bytes are then dropped.
class BufferedFileWriter : public ByteOutput {
 public:
  BufferedFileWriter() = default;
  // Flushes what is buffered.
  ~BufferedFileWriter() override;
  BufferedFileWriter(const BufferedFileWriter&) = delete;
  BufferedFileWriter& operator=(const BufferedFileWriter&) = delete;

  // Drops the current buffer without flushing it and allocates one of n bytes.
  void SetBufferSize(size_t n);
  // Flushes, remembers the path (relative = relative to the home directory),
  // creates or empties the file and closes it. False when it cannot be created
  // (reported) or the path is bad.
  bool OpenTruncate(const char* path);
  // The same, but the file must not exist yet (it is created exclusively).
  bool OpenNew(const char* path);
  // The same as OpenTruncate with the path joined from a directory and a file name.
  bool OpenTruncate(const char* directory, const char* name);

  // Appends to the buffer; whenever the data still to copy is at least the free
  // space, the buffer is filled and flushed (so a piece exactly as long as the
  // free space flushes at once). Without a buffer, every write goes straight to
  // the file.
  void Write(const char* bytes, size_t length) override;
  // Appends the buffered bytes to the file and empties the buffer (also when the
  // file could not be opened). Nothing happens when the buffer is empty.
  void Flush();
  // printf-style text (cut at 1024 bytes) passed to Write.
  void Printf(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  const FilePath& Path() const { return path_; }
  size_t Buffered() const { return used_; }
  // Whether any flush since the last OpenTruncate failed (text was lost), so a
  // caller can refuse to treat the file as complete.
  bool Failed() const { return failed_; }

 private:
  // Appends bytes to the existing file.
  void AppendToFile(const char* bytes, size_t length);

  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  size_t used_ = 0;
  bool failed_ = false;
  FilePath path_;
};

// The run log "DebugLog.txt": every Write reaches the disk before it returns.
// After the first failure (reported by the file layer) it writes nothing more,
// so a full disk is reported once, not once per line.
class DebugLog : public BufferedFileWriter {
 public:
  void Write(const char* bytes, size_t length) override;
};
