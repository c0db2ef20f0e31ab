// Fatal signals on Linux: the handler writes the report with open/write/close
// only (async-signal-safe), then the signal is raised again so the default action
// (core dump, termination) follows.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "platform/crash.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace {

// Fixed at install time: nothing may be computed or allocated in the handler.
char gReportPath[4096];
char gReport[2048];

void OnFatalSignal(int signal, siginfo_t* info, void*) {
  const int64_t zeros[16] = {};
  uint64_t address = info ? reinterpret_cast<uintptr_t>(info->si_addr) : 0;
  size_t length = FormatCrashReportInto(gReport, sizeof gReport, static_cast<uint32_t>(signal), 0, 0, address, 0, zeros);
  int fd = ::open(gReportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd >= 0) {
    ssize_t ignored = ::write(fd, gReport, length);
    (void)ignored;
    ::close(fd);
  }
  // SA_RESETHAND put the default action back; the raised signal is delivered
  // when the handler returns.
  ::raise(signal);
}

}  // namespace

void InstallCrashHandler() {
  std::string path = ShiftJisToUtf8(HomeDirectory() + kCrashReportName);
  if (path.size() >= sizeof gReportPath) return;
  std::memcpy(gReportPath, path.c_str(), path.size() + 1);
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) ::sigaction(signal, &action, nullptr);
}

void KillProcessNow() {
  ::kill(::getpid(), SIGKILL);
  ::_exit(137);  // not reached
}
