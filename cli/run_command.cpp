// run: what the main window's run command does, without the window, stepping the
// task to its end with a progress line on standard error.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/console.h"
#include "platform/diagnostics.h"
#include "settings/options.h"
#include "settings/lists.h"
#include "work/controller.h"

namespace {

struct RunArguments {
  unsigned from = 0, to = 0;
  int refetchSchedules = 0;
  bool refetchCompanies = false;
};

int ParseRunArguments(const std::vector<std::string>& arguments, RunArguments& run) {
  bool hasFrom = false, hasTo = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    bool hasValue = i + 1 < arguments.size();
    if (name == "--from" || name == "--to") {
      unsigned date = 0;
      if (!hasValue || !ParseDateArgument(arguments[i + 1], date))
        return UsageError(name + " needs a date YYYYMMDD");
      (name == "--from" ? run.from : run.to) = date;
      (name == "--from" ? hasFrom : hasTo) = true;
      ++i;
    } else if (name == "--refetch-schedules") {
      if (!hasValue || (arguments[i + 1] != "1" && arguments[i + 1] != "2"))
        return UsageError("--refetch-schedules needs 1 or 2");
      run.refetchSchedules = arguments[++i][0] - '0';
    } else if (name == "--refetch-companies") {
      run.refetchCompanies = true;
    } else {
      return UsageError("unknown run option: " + name);
    }
  }
  if (hasFrom != hasTo) return UsageError("--from and --to go together");
  return -1;
}

// Stores the period as the main window's "Save all options" stores its fields,
// the earlier day first.
void StoreRunPeriod(const RunArguments& run, uint32_t& first, uint32_t& last) {
  int type = run.from != 0 ? 3 : Options().Int(OptionKey::PeriodType);
  if (run.from != 0) {
    first = run.from;
    last = run.to;
  } else {
    PeriodOfType(type, first, last);
  }
  StorePeriod(type, first, last);
}

}  // namespace

int CommandRun(const std::vector<std::string>& arguments) {
  RunArguments run;
  if (int status = ParseRunArguments(arguments, run); status >= 0) return status;
  ErrorCount tally;
  uint32_t first = 0, last = 0;
  StoreRunPeriod(run, first, last);
  uint8_t mode = 0;
  if (Options().Flag(OptionKey::EnableStSche) && run.refetchSchedules != 0)
    mode = static_cast<uint8_t>(run.refetchSchedules);
  ProgressLine progress;
  UserLists lists;
  WorkController controller(progress, lists);
  InstallInterruptHandler();
  controller.StartRun(first, last, mode, run.refetchCompanies);
  while (controller.OnIdle()) {
    if (InterruptRequested()) {
      controller.CancelWorkTask();
      return kExitCancelled;
    }
  }
  return tally.errors == 0 ? kExitOk : kExitReported;
}
