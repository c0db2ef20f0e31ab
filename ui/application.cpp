#include "ui/application.h"

#include <utility>
#include <vector>

#include "platform/diagnostics.h"
#include "ui/window.h"

namespace {

std::vector<std::pair<const void*, MessageFilter>>& Filters() {
  static std::vector<std::pair<const void*, MessageFilter>> filters;
  return filters;
}

UiApplication* gCurrent = nullptr;

}  // namespace

void AddMessageFilter(const void* owner, MessageFilter filter) {
  RemoveMessageFilter(owner);
  Filters().emplace_back(owner, std::move(filter));
}

void RemoveMessageFilter(const void* owner) {
  auto& filters = Filters();
  for (auto it = filters.begin(); it != filters.end(); ++it) {
    if (it->first == owner) {
      filters.erase(it);
      return;
    }
  }
}

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
    ReportError("GetMessage() が -1 を返しました");
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
  if (!FilterMessage(message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool UiApplication::FilterMessage(MSG& message) {
  // A copy: a filter may add or remove filters (a dialog opened by Enter).
  auto filters = Filters();
  for (auto& entry : filters) {
    if (entry.second(message)) return true;
  }
  return false;
}

void UiApplication::OnIdle(bool mayWait) {
  if (mayWait) WaitMessage();
}
