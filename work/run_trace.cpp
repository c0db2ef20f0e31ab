#include "work/run_trace.h"

#include <cstdarg>

#include "platform/diagnostics.h"

void RunTrace::OpenLog() {
  debugLog_.reset();
  if (level_ == 0) return;
  debugLog_ = std::make_unique<DebugLog>();
  debugLog_->OpenTruncate("DebugLog.txt");
  debugLog_->SetBufferSize(1024);
}

void RunTrace::Log(int level, const char* format, ...) {
  if (!debugLog_ || level_ < level) return;
  va_list args;
  va_start(args, format);
  std::string line = FormatStringV(format, args);
  va_end(args);
  debugLog_->Write(line.data(), line.size());
}
