#include "work/run_trace.h"

#include <cstdarg>

#include "platform/diagnostics.h"
#include "settings/options.h"

void RunTrace::OpenLog() {
  debugLog_.reset();
  if (Options().Int(OptionKey::DebugLogLevel) == 0) return;
  debugLog_ = std::make_unique<DebugLog>();
  debugLog_->OpenTruncate("DebugLog.txt");
  debugLog_->SetBufferSize(1024);
}

void RunTrace::Log(int level, const char* format, ...) {
  if (!debugLog_ || (Options().Int(OptionKey::DebugLogLevel) & 0xFF) < level) return;
  va_list args;
  va_start(args, format);
  std::string line = FormatStringV(format, args);
  va_end(args);
  debugLog_->Write(line.data(), line.size());
}
