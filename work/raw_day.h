// The raw day being downloaded: the list page last read and the raw day file
// being written from its rows.
//
// The file is written under a temporary name and renamed into place only when
// the day is whole: every page it names was read and is a list page, and the
// rows found reach the total that its first page states. A cancel, a crash or a
// failed page keeps the previous file, and a later run fetches the day again.
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
  // Starts the day file `dayFile` ("Raw/<date>.html") under its temporary
  // name "<date>.html.part", created exclusively (a part left by a killed run
  // is removed first).
  void Begin(const std::string& dayFile);
  // The file's writer; only while Writing().
  BufferedFileWriter& Writer() { return *writer_; }
  // Writes the page header before the day's first row.
  void WriteHeaderOnce();
  // Marks the day as incomplete: Finish will not keep it. The first reason
  // given is kept for the report.
  void Fail(const std::string& reason);
  bool Failed() const { return failed_; }
  const std::string& FailureReason() const { return reason_; }
  // The day's total as its first page states it (0 when it states none), and
  // the rows found on its pages so far, kept or dropped.
  void ExpectRows(int total) { expectedRows_ = total; }
  void CountRows(int rows) { rowsFound_ += rows; }
  // Fails the day when the rows found fall short of the stated total.
  void CheckRowCount();
  // Writes the footer when a header was written and closes the file; renames it
  // to the day file when the day is complete (no failure, no lost write),
  // otherwise discards it and sets `failure` to the reason. Returns whether
  // the day was kept. The part is ready for the next day either way.
  bool Finish(std::string& failure);
  // Closes and deletes a day's temporary file, if any, and forgets the day.
  void Discard();

 private:
  std::unique_ptr<BufferedFileWriter> writer_;
  std::string dayFile_;
  std::string tempPath_;
  bool headerWritten_ = false;
  bool failed_ = false;
  std::string reason_;
  int expectedRows_ = 0;
  int rowsFound_ = 0;
};
