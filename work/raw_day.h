// The raw day being downloaded: the list page last read and the raw day file
// being written from its rows.
//
// The file is written under a temporary name and renamed into place only when
// the day's last page was read and extracted without a failure, so a cancel, a
// crash or a failed page keeps the previous file and a later run fetches the
// day again.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/bufwriter.h"

class RawDay {
 public:
  RawDay() = default;
  // Discards a day that was not finished.
  ~RawDay() { Discard(); }
  RawDay(const RawDay&) = delete;
  RawDay& operator=(const RawDay&) = delete;

  // The text of the list page last downloaded, in Shift_JIS; empty after a
  // failed download.
  std::string pageText;

  // Whether a day's file is being written (from its first page on).
  bool Writing() const { return writer_ != nullptr; }
  // Starts the day's file as "<date>.html.part" in `rawDirectory`, emptied.
  void Begin(const std::string& rawDirectory, uint32_t date);
  // The file's writer; only while Writing().
  BufferedFileWriter& Writer() { return *writer_; }
  // Writes the page header before the day's first row.
  void WriteHeaderOnce();
  // Marks the day as incomplete: Finish will not keep it.
  void Fail() { failed_ = true; }
  bool Failed() const { return failed_; }
  // Writes the footer when a header was written and closes the file; renames it
  // to `target` when the day is complete (no failure, no lost write), otherwise
  // discards it. Returns whether the day was kept.
  bool Finish(const std::string& target);
  // Closes and deletes a day's temporary file, if any.
  void Discard();

 private:
  std::unique_ptr<BufferedFileWriter> writer_;
  std::string tempPath_;
  bool headerWritten_ = false;
  bool failed_ = false;
};
