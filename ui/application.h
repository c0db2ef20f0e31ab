// The application object and its message loop: peek for a waiting message,
// dispatch it when there is one, otherwise give the application its idle turn.
#pragma once

#include <windows.h>

#include <functional>

// A hook that sees every message before it is dispatched (dialog navigation);
// it returns true when it handled the message itself.
using MessageFilter = std::function<bool(MSG& message)>;
// Registers `filter` under `owner` (one filter per owner), or removes it.
void AddMessageFilter(const void* owner, MessageFilter filter);
void RemoveMessageFilter(const void* owner);

// One per process, reachable through Current() while it lives.
class UiApplication {
 public:
  UiApplication();
  virtual ~UiApplication();
  UiApplication(const UiApplication&) = delete;
  UiApplication& operator=(const UiApplication&) = delete;

  static UiApplication* Current();

  // Runs the loop while a top-level window exists; returns the parameter of the
  // last quit message retrieved (0 when none was).
  int Run();
  // One pass of the loop: a waiting message is retrieved, filtered, translated
  // and dispatched; otherwise OnIdle runs, and with `mayWait` it may sleep until
  // the next message. False when retrieval failed ("GetMessage() が -1 を返しました").
  bool LoopTurn(bool mayWait);
  int ExitCode() const { return exitCode_; }
  // Handles the messages already waiting (at most `limit`), as LoopTurn does but
  // without idle turns; a quit message is put back for the loop. For code that
  // keeps the loop waiting a while (a download) and its windows painted.
  void DispatchWaiting(int limit = 100);

 protected:
  // Filters, translates and dispatches one retrieved message.
  void Dispatch(MSG& message);
  // Offers the message to each registered filter; true when one handled it.
  virtual bool FilterMessage(MSG& message);
  // No message is waiting. The default sleeps until one arrives when `mayWait`.
  virtual void OnIdle(bool mayWait);

 private:
  int exitCode_ = 0;
};
