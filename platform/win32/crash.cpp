// The unhandled-exception filter: writes the report, then lets the system's
// default handling end the process.
#include <windows.h>

#include "platform/crash.h"
#include "platform/diagnostics.h"
#include "platform/files.h"

namespace {

// Fixed at install time so the filter does not resolve paths in a broken process.
FilePath gReportPath;

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* record = pointers ? pointers->ExceptionRecord : nullptr;
  if (!record) return EXCEPTION_CONTINUE_SEARCH;
  DiskFile file;
  if (!file.SetPath(gReportPath) || !file.Open(FileOpenMode::CreateAlways)) return EXCEPTION_CONTINUE_SEARCH;
  int64_t information[16] = {};
  for (int i = 0; i < 16 && i < EXCEPTION_MAXIMUM_PARAMETERS; ++i)
    information[i] = static_cast<int64_t>(record->ExceptionInformation[i]);
  char text[2048];
  size_t length = FormatCrashReportInto(text, sizeof text, record->ExceptionCode, record->ExceptionFlags,
                                        reinterpret_cast<uintptr_t>(record->ExceptionRecord),
                                        reinterpret_cast<uintptr_t>(record->ExceptionAddress),
                                        record->NumberParameters, information);
  if (length) file.Write(text, static_cast<uint32_t>(length));  // reports its own failure
  file.Close();
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void InstallCrashHandler() {
  gReportPath.SetJoined(HomeDirectory().c_str(), kCrashReportName);
  SetUnhandledExceptionFilter(OnUnhandledException);
}

void KillProcessNow() {
  TerminateProcess(GetCurrentProcess(), 137);
  ExitProcess(137);  // not reached
}
