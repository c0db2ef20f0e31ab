// Programs through CreateProcessW, documents through ShellExecuteExW.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/diagnostics.h"
#include "platform/os_error.h"
#include "platform/process.h"
#include "platform/win32/wide.h"

namespace {

constexpr DWORD kOutputLimit = 4095;

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  HANDLE* out() { return &h_; }
  bool Close() {
    bool ok = true;
    if (h_ && h_ != INVALID_HANDLE_VALUE) ok = CloseHandle(h_) != 0;
    h_ = nullptr;
    return ok;
  }

 private:
  HANDLE h_;
};

bool WaitAndCollect(HANDLE process, uint32_t& exitCode) {
  if (WaitForSingleObject(process, INFINITE) == WAIT_FAILED) return ReportOsFailure("WaitForSingleObject に失敗");
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) return ReportOsFailure("GetExitCodeProcess に失敗");
  exitCode = code;
  return true;
}

// Reads until the child closes its end, keeping the first 4095 bytes, so that a
// talkative child never blocks on a full pipe.
std::string Drain(HANDLE pipe) {
  std::string kept;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) {
    if (kept.size() < kOutputLimit) kept.append(buffer, std::min<size_t>(n, kOutputLimit - kept.size()));
  }
  return kept;
}

bool RunProgram(ProcessLauncher& launcher) {
  std::wstring commandLine = ShiftJisToWide(launcher.program + " " + launcher.arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  Handle readEnd, writeEnd;
  if (launcher.receiver) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    if (!CreatePipe(readEnd.out(), writeEnd.out(), &inheritable, 0)) return ReportOsFailure("CreatePipe に失敗");
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);  // only the write end goes to the child
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = writeEnd.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  DWORD flags = launcher.receiver ? 0 : CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, launcher.receiver ? TRUE : FALSE, flags,
                      nullptr, nullptr, &startup, &info))
    return ReportOsFailure("CreateProcess に失敗");
  Handle process(info.hProcess), thread(info.hThread);
  bool ok = true;
  if (launcher.receiver) {
    writeEnd.Close();  // else the pipe never reports its end
    WaitForInputIdle(process.get(), INFINITE);  // a console program has no input queue; that is fine
    std::string output = Drain(readEnd.get());
    ok = WaitAndCollect(process.get(), launcher.exitCode);
    if (ok && !output.empty()) launcher.receiver->Receive(output.c_str());
  } else if (launcher.wait) {
    ok = WaitAndCollect(process.get(), launcher.exitCode);
  }
  if (!thread.Close() || !process.Close()) return ReportOsFailure("CloseHandle に失敗");
  return ok;
}

bool OpenDocument(ProcessLauncher& launcher) {
  std::wstring document = ShiftJisToWide(launcher.document);
  std::wstring parameters = ShiftJisToWide(launcher.arguments);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_INVOKEIDLIST | (launcher.wait ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.lpFile = document.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) return ReportOsFailure("ShellExecuteEx に失敗");
  if (!launcher.wait || !info.hProcess) return true;
  Handle process(info.hProcess);
  return WaitAndCollect(process.get(), launcher.exitCode);
}

}  // namespace

bool ProcessLauncher::Run() {
  exitCode = 0;
  return program.empty() ? OpenDocument(*this) : RunProgram(*this);
}

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

bool ProcessExists(uint32_t id) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}
