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

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(Utf8ToShiftJis(argv[i]));
  return arguments;
}

bool ErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

void InstallInterruptHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }
