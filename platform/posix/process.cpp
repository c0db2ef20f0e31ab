// Programs are started with fork/exec and an argument vector, never through a
// shell. A close-on-exec pipe tells the parent whether exec itself failed.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>
#include <string>
#include <vector>

#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/os_error.h"
#include "platform/process.h"

namespace {

constexpr size_t kOutputLimit = 4095;

// Closes a descriptor when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void Reset(int fd) { Close(); fd_ = fd; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

std::vector<std::string> SplitOnBlanks(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Starts argv[0] (searched in PATH) with stdout sent to `output` when it is not
// -1. Returns the child's id, or -1 with errno set when fork or exec failed.
pid_t Spawn(const std::vector<std::string>& words, int output) {
  std::vector<char*> argv;
  for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  int status[2];
  if (::pipe2(status, O_CLOEXEC) != 0) return -1;
  Descriptor statusRead(status[0]), statusWrite(status[1]);
  pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (output >= 0) ::dup2(output, STDOUT_FILENO);
    ::execvp(argv[0], argv.data());
    int error = errno;
    ssize_t ignored = ::write(status[1], &error, sizeof error);
    (void)ignored;
    ::_exit(127);
  }
  statusWrite.Close();
  int error = 0;
  ssize_t n;
  while ((n = ::read(statusRead.get(), &error, sizeof error)) < 0 && errno == EINTR) {
  }
  if (n > 0) {  // exec failed: collect the child and fail with its error
    ::waitpid(child, nullptr, 0);
    errno = error;
    return -1;
  }
  return child;
}

bool WaitFor(pid_t child, uint32_t& exitCode) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return ReportOsFailure("WaitForSingleObject に失敗");
  }
  exitCode = WIFEXITED(status) ? static_cast<uint32_t>(WEXITSTATUS(status)) : 128u + WTERMSIG(status);
  return true;
}

// Reads the whole output (so the child never blocks on a full pipe), keeping the
// first 4095 bytes.
std::string Drain(int fd) {
  std::string kept;
  char buffer[4096];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (kept.size() < kOutputLimit) kept.append(buffer, std::min<size_t>(static_cast<size_t>(n), kOutputLimit - kept.size()));
  }
  return kept;
}

bool RunProgram(ProcessLauncher& launcher) {
  std::vector<std::string> words{ShiftJisToUtf8(launcher.program)};
  for (const std::string& w : SplitOnBlanks(launcher.arguments)) words.push_back(ShiftJisToUtf8(w));
  if (!launcher.receiver) {
    pid_t child = Spawn(words, -1);
    if (child < 0) return ReportOsFailure("CreateProcess に失敗");
    // A child not waited for stays a zombie until this process ends.
    return !launcher.wait || WaitFor(child, launcher.exitCode);
  }
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return ReportOsFailure("CreatePipe に失敗");
  Descriptor readEnd(ends[0]), writeEnd(ends[1]);
  pid_t child = Spawn(words, writeEnd.get());
  if (child < 0) return ReportOsFailure("CreateProcess に失敗");
  writeEnd.Close();
  std::string output = Drain(readEnd.get());
  if (!WaitFor(child, launcher.exitCode)) return false;
  if (!output.empty()) launcher.receiver->Receive(Utf8ToShiftJis(output).c_str());
  return true;
}

bool OpenDocument(ProcessLauncher& launcher) {
  pid_t child = Spawn({"xdg-open", ShiftJisToUtf8(launcher.document)}, -1);
  if (child < 0) return ReportOsFailure("ShellExecuteEx に失敗");
  return !launcher.wait || WaitFor(child, launcher.exitCode);
}

}  // namespace

bool ProcessLauncher::Run() {
  exitCode = 0;
  return program.empty() ? OpenDocument(*this) : RunProgram(*this);
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(::getpid()); }

bool ProcessExists(uint32_t id) {
  if (id == 0) return false;
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}
