#include "ui/application.h"

#include "platform/diagnostics.h"
#include "platform/os_error.h"
#include "ui/window.h"

namespace {

UiApplication* gCurrent = nullptr;

}  // namespace

UiApplication::UiApplication() { gCurrent = this; }

UiApplication::~UiApplication() {
  if (gCurrent == this) gCurrent = nullptr;
}

UiApplication* UiApplication::Current() { return gCurrent; }

int UiApplication::Run() {
  while (Window::TopLevelCount() > 0 && LoopTurn(true)) {
  }
  return exitCode_;
}

bool UiApplication::LoopTurn(bool mayWait) {
  MSG message{};
  if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    OnIdle(mayWait);
    return true;
  }
  // A quit message is dispatched like any other: the loop ends only when the
  // last window is gone.
  if (GetMessageW(&message, nullptr, 0, 0) == -1) {
    ReportOsFailure("GetMessage() が -1 を返しました");
    return false;
  }
  // Only a quit message carries an exit code; any other message's parameter
  // would make a normal close end with a random status.
  if (message.message == WM_QUIT) exitCode_ = static_cast<int>(message.wParam);
  Dispatch(message);
  return true;
}

void UiApplication::DispatchWaiting(int limit) {
  MSG message{};
  for (int i = 0; i < limit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

void UiApplication::Dispatch(MSG& message) {
  if (!PreTranslateMessage(message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool UiApplication::PreTranslateMessage(MSG& message) {
  for (HWND handle = message.hwnd; handle; handle = GetParent(handle)) {
    Window* window = Window::FromHandle(handle);
    if (window && window->PreTranslateMessage(message)) return true;
    if (!(GetWindowLongPtrW(handle, GWL_STYLE) & WS_CHILD)) break;  // a top-level window: its parent is its owner
  }
  return false;
}

void UiApplication::OnIdle(bool mayWait) {
  if (mayWait) WaitMessage();
}
