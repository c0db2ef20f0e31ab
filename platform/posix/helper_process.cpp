#include "platform/helper_process.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "platform/encoding.h"

struct HelperProcess::Impl {
  pid_t pid = -1;
  FILE* output = nullptr;
};

HelperProcess::HelperProcess() : impl_(std::make_unique<Impl>()) {}

HelperProcess::~HelperProcess() { Stop(); }

bool HelperProcess::Start(const std::string& program, const std::vector<std::string>& arguments) {
  Stop();
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return false;
  std::vector<std::string> native = {ShiftJisToUtf8(program)};
  for (const std::string& argument : arguments) native.push_back(ShiftJisToUtf8(argument));
  std::vector<char*> argv;
  for (std::string& text : native) argv.push_back(text.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) {
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    return false;
  }
  if (pid == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  impl_->pid = pid;
  impl_->output = fdopen(pipeEnds[0], "r");
  return impl_->output != nullptr;
}

bool HelperProcess::ReadLine(std::string& line) {
  line.clear();
  if (!impl_->output) return false;
  int c;
  while ((c = std::fgetc(impl_->output)) != EOF && c != '\n') line += static_cast<char>(c);
  return c != EOF || !line.empty();
}

void HelperProcess::Stop() {
  if (impl_->pid > 0) {
    kill(impl_->pid, SIGTERM);
    waitpid(impl_->pid, nullptr, 0);
    impl_->pid = -1;
  }
  if (impl_->output) {
    std::fclose(impl_->output);
    impl_->output = nullptr;
  }
}

std::string CreateTemporaryDirectory(const char* prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
  if (!mkdtemp(pattern.data())) return std::string();
  return Utf8ToShiftJis(pattern) + "/";
}
