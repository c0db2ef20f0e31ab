// What a run tells as it goes: the debug log "DebugLog.txt" and the front end's
// progress line. Every step that logs or shows progress takes it.
#pragma once

#include <memory>

#include "platform/bufwriter.h"
#include "work/controller.h"

class RunTrace {
 public:
  explicit RunTrace(WorkObserver& observer) : observer_(observer) {}

  // Creates "DebugLog.txt" afresh in the home directory when DebugLogLevel is
  // not 0; without it every Log does nothing.
  void OpenLog();
  // Writes a debug-log line when the log exists and DebugLogLevel (low byte,
  // read anew each time) is at least `level`.
  void Log(int level, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  void ShowProgress(int code, int a = -1, int b = -1) { observer_.ShowProgress(code, a, b); }
  WorkObserver& Observer() { return observer_; }

 private:
  WorkObserver& observer_;
  std::unique_ptr<DebugLog> debugLog_;
};
