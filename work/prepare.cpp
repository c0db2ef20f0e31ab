// Step 0: what a run prepares before its first download.
#include "pages/output.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "work/run_settings.h"
#include "work/run_trace.h"
#include "work/selections.h"
#include "work/steps.h"

bool PrepareOutput(const RunSettings& settings, RunTrace& trace) {
  trace.OpenLog();
  trace.Log(1, "----- start -----\n");
  const OutputDir& output = settings.output;
  if (!output.Exists()) {
    // Nothing can be kept: stop before any download.
    ReportError("html保存パスの<%s>は存在しません", output.Text().c_str());
    return false;
  }
  // What killed runs left behind. The raw days' parts are written only under
  // the run's lock, which this run holds, so every part is stale.
  RemoveStaleTemporaryFiles(output.Text());
  RemoveStaleTemporaryFiles(output.Subdir(kRawDir), true);
  for (const char* subdir : {"All", "Port", "Xls", "Indiv", "Images"}) RemoveStaleTemporaryFiles(output.Subdir(subdir));
  RemoveStaleTemporaryFiles(HomeDirectory());  // the option file's
  return true;
}

void FindSelections(RunSelections& selections, RunTrace& trace, const RunSettings& settings, RunStatus& status) {
  selections.ResetXls();
  if (settings.ScansXls()) ScanXlsDirectory(selections, trace, settings);
  if (!settings.companyPages) return;
  if (FileEntry(settings.output.Subdir(kIndivDir).c_str()).ExistsPath()) {
    trace.Log(2, "check indiv html exist\n");
    ScanIndivPages(selections, settings.output);
  } else {
    status.SetLastUpdateIndiv(kNeverDate);
  }
}
