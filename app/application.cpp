#include "app/application.h"

#include <commctrl.h>

#include <utility>

#include "platform/crash.h"
#include "platform/diagnostics.h"
#include "platform/http.h"
#include "platform/win32/wide.h"

VelkoraApp::VelkoraApp() {
  MoveLegacyOptionFile();
  options_ = std::make_unique<OptionStore>();
  controller_ = std::make_unique<WorkController>(*this, lists_);
  SetDownloadWaitHook(&VelkoraApp::OnDownloadWait);
}

VelkoraApp::~VelkoraApp() {
  SetDownloadWaitHook(nullptr);
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
  inStep_ = true;
  controller_->OnIdle();
  inStep_ = false;
  FinishAfterStep();
}

void VelkoraApp::OnDownloadWait() {
  auto* app = dynamic_cast<VelkoraApp*>(UiApplication::Current());
  if (!app || GetCurrentThreadId() != app->thread_ || !app->inStep_ || app->inWait_) return;
  // Paints, moves and clicks go on; the idle turn does not run from here, so
  // no step starts inside this one, and the main window defers a cancel or a
  // close to CancelAfterStep.
  app->inWait_ = true;
  app->DispatchWaiting();
  app->inWait_ = false;
}

void VelkoraApp::CancelAfterStep(bool close) {
  AbortDownloads();
  if (close) {
    afterStep_ = AfterStep::kClose;
  } else if (afterStep_ == AfterStep::kNothing) {
    afterStep_ = AfterStep::kCancel;
  }
}

void VelkoraApp::FinishAfterStep() {
  AfterStep request = std::exchange(afterStep_, AfterStep::kNothing);
  if (request == AfterStep::kClose && main_ && main_->Exists()) {
    SendMessageW(main_->Handle(), WM_CLOSE, 0, 0);
  } else if (request == AfterStep::kCancel && controller_->Running()) {
    controller_->CancelWorkTask();
  }
}

void VelkoraApp::ShowProgress(int code, int a, int b) {
  if (main_ && main_->Exists()) main_->ShowProgress(code, a, b);
}

void VelkoraApp::RunSummary(const std::string& text) {
  if (main_ && main_->Exists()) main_->ShowSummary(text);
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
