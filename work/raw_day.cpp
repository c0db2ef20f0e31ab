#include "work/raw_day.h"

#include "pages/frame.h"
#include "platform/diagnostics.h"
#include "platform/files.h"

void RawDay::Begin(const std::string& dayFile) {
  dayFile_ = dayFile;
  tempPath_ = dayFile + ".part";
  FileEntry stale(tempPath_.c_str());
  if (stale.ExistsPath()) stale.Delete();
  writer_ = std::make_unique<BufferedFileWriter>();
  if (!writer_->OpenNew(tempPath_.c_str())) Fail("書き込みに失敗");
  writer_->SetBufferSize(20480);
  headerWritten_ = false;
}

void RawDay::Fail(const std::string& reason) {
  if (!failed_) reason_ = reason;
  failed_ = true;
}

void RawDay::CheckRowCount() {
  if (rowsFound_ < expectedRows_) Fail(FormatString("全%d件のうち%d件", expectedRows_, rowsFound_));
}

void RawDay::WriteHeaderOnce() {
  if (headerWritten_) return;
  writer_->WriteText(PageHeaderText().c_str());
  headerWritten_ = true;
}

bool RawDay::Finish(std::string& failure) {
  if (headerWritten_) writer_->WriteText(PageFooterText());
  writer_->Flush();
  // Rows lost to a failed write make the day as incomplete as a failed download.
  if (writer_->Failed()) Fail("書き込みに失敗");
  writer_.reset();
  if (!failed_) {
    FileEntry temporary(tempPath_.c_str());
    if (temporary.MoveTo(dayFile_.c_str(), true))
      tempPath_.clear();
    else
      Fail("書き込みに失敗");
  }
  failure = failed_ ? reason_ : std::string();
  bool kept = !failed_;
  Discard();
  return kept;
}

void RawDay::Discard() {
  writer_.reset();
  if (!tempPath_.empty()) {
    FileEntry temporary(tempPath_.c_str());
    if (temporary.ExistsPath()) temporary.Delete();
    tempPath_.clear();
  }
  failed_ = false;
  reason_.clear();
  headerWritten_ = false;
  expectedRows_ = rowsFound_ = 0;
  pageText.clear();
}
