// The velkora command line: a table of commands over the same work task, option
// store and lists that the main window uses.
#pragma once

#include <string>
#include <vector>

#include "platform/diagnostics.h"
#include "work/controller.h"

// Exit statuses.
enum : int { kExitOk = 0, kExitReported = 1, kExitUsage = 2, kExitCancelled = 130 };

// Runs the command line (arguments without the program name, Shift_JIS) and
// returns the exit status.
int RunCommandLine(const std::vector<std::string>& arguments);

// The one-line version text.
extern const char kVersionText[];

// Commands, each taking its own arguments (after the command name).
int CommandRun(const std::vector<std::string>& arguments);
int CommandGet(const std::vector<std::string>& arguments);
int CommandSet(const std::vector<std::string>& arguments);
int CommandOptions(const std::vector<std::string>& arguments);
int CommandDemo(const std::vector<std::string>& arguments);
int CommandSearch(const std::vector<std::string>& arguments);
int CommandExport(const std::vector<std::string>& arguments);

// Counts the errors shown while it lives (they decide the exit status), passing
// every message on to the sink that was installed before.
class ErrorCount {
 public:
  ErrorCount();
  ~ErrorCount();
  ErrorCount(const ErrorCount&) = delete;
  ErrorCount& operator=(const ErrorCount&) = delete;
  int errors = 0;

 private:
  MessageSink previous_;
};

// The progress line of a run on standard error: one updating line on a
// terminal, one line per change otherwise.
class ProgressLine : public WorkObserver {
 public:
  ProgressLine();
  ~ProgressLine() override;
  void ShowProgress(int code, int a, int b) override;
  // The run's summary on a line of its own.
  void RunSummary(const std::string& text) override;

 private:
  bool terminal_;
  bool shown_ = false;
  std::string last_;
};

// Reports a usage error as one line on standard error and returns kExitUsage.
int UsageError(const std::string& message);
// Whether `text` is a valid yyyymmdd date; sets `date`.
bool ParseDateArgument(const std::string& text, unsigned& date);
