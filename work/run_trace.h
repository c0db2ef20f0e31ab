// What a run tells as it goes: the debug log "DebugLog.txt" and the front end's
// progress line. Every step that logs or shows progress takes it.
#pragma once

#include <memory>

#include "platform/bufwriter.h"
#include "work/controller.h"

class RunTrace {
 public:
  // `level` is the run's DebugLogLevel: 0 no log, 1 the start, step and finish
  // lines, 2 a detail line per action too.
  RunTrace(WorkObserver& observer, int level) : observer_(observer), level_(level) {}

  // Creates "DebugLog.txt" afresh in the home directory when the level is not
  // 0; without it every Log does nothing.
  void OpenLog();
  // Writes a debug-log line when the log exists and the level is at least
  // `level`.
  void Log(int level, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  void ShowProgress(int code, int a = -1, int b = -1) { observer_.ShowProgress(code, a, b); }
  WorkObserver& Observer() { return observer_; }

 private:
  WorkObserver& observer_;
  int level_ = 0;
  std::unique_ptr<DebugLog> debugLog_;
};
