#include "platform/bufwriter.h"

#include <cstdarg>
#include <cstring>

BufferedFileWriter::~BufferedFileWriter() { Flush(); }

void BufferedFileWriter::SetBufferSize(size_t n) {
  buffer_ = n ? std::make_unique<char[]>(n) : nullptr;
  capacity_ = n;
  used_ = 0;
}

bool BufferedFileWriter::OpenTruncate(const char* path) {
  Flush();
  failed_ = true;
  if (!path_.SetPath(path)) return false;
  DiskFile file;
  if (!file.SetPath(path_) || !file.Open(FileOpenMode::CreateAlways)) return false;
  failed_ = false;
  return true;
}

bool BufferedFileWriter::OpenNew(const char* path) {
  Flush();
  failed_ = true;
  if (!path_.SetPath(path)) return false;
  DiskFile file;
  if (!file.SetPath(path_) || !file.Open(FileOpenMode::CreateNew)) return false;
  failed_ = false;
  return true;
}

bool BufferedFileWriter::OpenTruncate(const char* directory, const char* name) {
  FilePath joined;
  if (!joined.SetJoined(directory, name)) return false;
  return OpenTruncate(joined.Text());
}

void BufferedFileWriter::Write(const char* bytes, size_t length) {
  if (capacity_ == 0) {
    if (length) AppendToFile(bytes, length);
    return;
  }
  while (length >= capacity_ - used_) {
    size_t free = capacity_ - used_;
    std::memcpy(buffer_.get() + used_, bytes, free);
    used_ = capacity_;
    Flush();
    bytes += free;
    length -= free;
  }
  std::memcpy(buffer_.get() + used_, bytes, length);
  used_ += length;
}

void BufferedFileWriter::Flush() {
  if (used_ == 0) return;
  size_t length = used_;
  used_ = 0;  // emptied even when the file cannot be opened
  AppendToFile(buffer_.get(), length);
}

void BufferedFileWriter::AppendToFile(const char* bytes, size_t length) {
  if (path_.IsEmpty()) return;
  // Opening an existing file only: a target deleted meanwhile is reported, not
  // re-created.
  DiskFile file;
  bool written = file.SetPath(path_) && file.Open(FileOpenMode::OpenExisting) && file.Seek(SeekOrigin::End) &&
                 file.Write(bytes, static_cast<uint32_t>(length));
  if (!written) failed_ = true;
}

void BufferedFileWriter::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatStringV(format, args);
  va_end(args);
  Write(text.data(), text.size());
}

void DebugLog::Write(const char* bytes, size_t length) {
  // The first failure was reported; a full disk must not add one message per line.
  if (Failed()) return;
  BufferedFileWriter::Write(bytes, length);
  Flush();
}
