#include "platform/console.h"

#include <windows.h>
#include <shellapi.h>
#include <fcntl.h>
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

bool CommandLineArguments(int, char**, std::vector<std::string>& arguments, int& bad) {
  // The narrow argv is in the ANSI code page, which loses Japanese text on most
  // systems; the wide command line does not.
  arguments.clear();
  bad = 0;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return true;
  for (int i = 1; i < count; ++i) {
    std::string sjis = WideToShiftJis(wide[i]);
    // Exact only when it converts back (a lone surrogate or a character the
    // code page lacks does not).
    if (ShiftJisToWide(sjis) != wide[i]) {
      bad = i;
      break;
    }
    arguments.push_back(sjis);
  }
  LocalFree(wide);
  return bad == 0;
}

bool ErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void InstallInterruptHandler() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool InterruptRequested() { return InterlockedCompareExchange(&interrupted, 0, 0) != 0; }

bool WriteOutBytes(std::string_view bytes) {
  // Standard output is opened in text mode, which would write "\r\r\n" for
  // the CRLF of a CSV record.
  static const bool binary = _setmode(_fileno(stdout), _O_BINARY) != -1;
  (void)binary;
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

bool FlushOut() { return std::fflush(stdout) == 0; }
