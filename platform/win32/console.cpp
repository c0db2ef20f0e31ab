#include "platform/console.h"

#include <windows.h>
#include <shellapi.h>
#include <io.h>

#include <cstdio>

#include "platform/encoding.h"
#include "platform/http.h"
#include "platform/win32/wide.h"

namespace {

volatile LONG interrupted = 0;

BOOL WINAPI OnConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
  InterlockedExchange(&interrupted, 1);
  AbortDownloads();  // a download in progress ends at once too
  return TRUE;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**) {
  // The narrow argv is in the ANSI code page, which loses Japanese text on most
  // systems; the wide command line does not.
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(WideToShiftJis(wide[i]));
  LocalFree(wide);
  return arguments;
}

bool ErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void InstallInterruptHandler() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool InterruptRequested() { return InterlockedCompareExchange(&interrupted, 0, 0) != 0; }
