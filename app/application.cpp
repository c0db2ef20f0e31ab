#include "app/application.h"

#include <commctrl.h>

#include "platform/crash.h"
#include "platform/diagnostics.h"
#include "platform/win32/wide.h"

VelkoraApp::VelkoraApp() {
  MoveLegacyOptionFile();
  options_ = std::make_unique<OptionStore>();
  controller_ = std::make_unique<WorkController>(*this, lists_);
}

VelkoraApp::~VelkoraApp() {
  if (controller_->Running()) controller_->CancelWorkTask();
  controller_.reset();
  lists_.portfolio.Clear();
  lists_.ignoreList.Clear();
  // Windows that still exist save their placement as they go, so they go first.
  if (main_) main_->Destroy();
  main_.reset();
  options_.reset();
}

bool VelkoraApp::Start(int showCode) {
  AcquireAppIcon(icon_);
  main_ = std::make_unique<MainWindow>(*this);
  if (!main_->Build()) {
    main_->Destroy();
    ReportError("MakeMainWindow() に失敗");
    return false;
  }
  HWND window = main_->Handle();
  RECT client{};
  GetClientRect(window, &client);
  SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  ShowWindow(window, showCode);
  main_->Redraw();
  return true;
}

void VelkoraApp::OnIdle(bool mayWait) {
  if (!controller_->Running()) {
    UiApplication::OnIdle(mayWait);
    return;
  }
  controller_->OnIdle();
}

void VelkoraApp::ShowProgress(int code, int a, int b) {
  if (main_ && main_->Exists()) main_->ShowProgress(code, a, b);
}

void VelkoraApp::RunStarted() {
  if (main_ && main_->Exists()) main_->EnterRunning();
}

void VelkoraApp::RunFinished() {
  if (main_ && main_->Exists()) main_->EnterIdle();
}

void InstallMessageBoxSink() {
  SetMessageSink([](int severity, const std::string& text) {
    const wchar_t* caption = severity == kSeverityWarning ? L"WARNING" : L"ERROR";
    MessageBoxW(nullptr, ShiftJisToWide(text).c_str(), caption, MB_OK | MB_TASKMODAL);
  });
}

int RunApplication(int showCode) {
  InstallMessageBoxSink();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  VelkoraApp app;
  InstallCrashHandler();
  if (!app.Start(showCode)) return 0;
  return app.Run();
}
