#include "work/raw_day.h"

#include "pages/frame.h"
#include "platform/diagnostics.h"
#include "platform/files.h"

void RawDay::Begin(const std::string& rawDirectory, uint32_t date) {
  tempPath_ = rawDirectory + FormatString("%u.html.part", date);
  writer_ = std::make_unique<BufferedFileWriter>();
  if (!writer_->OpenTruncate(tempPath_.c_str())) failed_ = true;
  writer_->SetBufferSize(20480);
  headerWritten_ = false;
}

void RawDay::WriteHeaderOnce() {
  if (headerWritten_) return;
  writer_->WriteText(PageHeaderText().c_str());
  headerWritten_ = true;
}

bool RawDay::Finish(const std::string& target) {
  if (headerWritten_) writer_->WriteText(PageFooterText());
  writer_->Flush();
  // Rows lost to a failed write make the day as incomplete as a failed download.
  if (writer_->Failed()) failed_ = true;
  writer_.reset();
  if (failed_) {
    Discard();
    return false;
  }
  FileEntry temporary(tempPath_.c_str());
  bool kept = temporary.MoveTo(target.c_str(), true);
  tempPath_.clear();
  headerWritten_ = false;
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
  headerWritten_ = false;
  pageText.clear();
}
