#include "platform/console.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "platform/encoding.h"
#include "platform/http.h"

namespace {
volatile sig_atomic_t interrupted = 0;
// A download in progress ends at once too, so a cancel never waits for it.
void OnInterrupt(int) {
  interrupted = 1;
  AbortDownloads();
}
}  // namespace

bool CommandLineArguments(int argc, char** argv, std::vector<std::string>& arguments, int& bad) {
  arguments.clear();
  std::string sjis;
  for (int i = 1; i < argc; ++i) {
    if (!Utf8ToShiftJisExactly(argv[i], sjis)) {
      bad = i;
      return false;
    }
    arguments.push_back(sjis);
  }
  return true;
}

bool ErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

void InstallInterruptHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }

bool WriteOutBytes(std::string_view bytes) { return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size(); }

bool FlushOut() { return std::fflush(stdout) == 0; }
