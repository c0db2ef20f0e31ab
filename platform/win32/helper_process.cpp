#include "platform/helper_process.h"

#include <windows.h>

#include <string>

#include "platform/win32/wide.h"

struct HelperProcess::Impl {
  PROCESS_INFORMATION process = {};
  HANDLE output = nullptr;
};

HelperProcess::HelperProcess() : impl_(std::make_unique<Impl>()) {}

HelperProcess::~HelperProcess() { Stop(); }

bool HelperProcess::Start(const std::string& program, const std::vector<std::string>& arguments) {
  Stop();
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  std::wstring commandLine = L"\"" + ShiftJisToWide(program) + L"\"";
  for (const std::string& argument : arguments) commandLine += L" \"" + ShiftJisToWide(argument) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                &impl_->process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    impl_->process = {};
    return false;
  }
  impl_->output = readEnd;
  return true;
}

bool HelperProcess::ReadLine(std::string& line) {
  line.clear();
  if (!impl_->output) return false;
  char c;
  DWORD read = 0;
  while (ReadFile(impl_->output, &c, 1, &read, nullptr) && read == 1) {
    if (c == '\n') return true;
    if (c != '\r') line += c;
  }
  return !line.empty();
}

void HelperProcess::Stop() {
  if (impl_->process.hProcess) {
    TerminateProcess(impl_->process.hProcess, 0);
    WaitForSingleObject(impl_->process.hProcess, 5000);
    CloseHandle(impl_->process.hProcess);
    CloseHandle(impl_->process.hThread);
    impl_->process = {};
  }
  if (impl_->output) {
    CloseHandle(impl_->output);
    impl_->output = nullptr;
  }
}

std::string CreateTemporaryDirectory(const char* prefix) {
  wchar_t base[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH, base) == 0) return std::string();
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::wstring path = std::wstring(base) + ShiftJisToWide(prefix) +
                        std::to_wstring(GetTickCount() + attempt * 7919u + GetCurrentProcessId());
    if (CreateDirectoryW(path.c_str(), nullptr)) return WideToShiftJis(path) + "\\";
  }
  return std::string();
}
