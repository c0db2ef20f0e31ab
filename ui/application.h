// The application object and its message loop: peek for a waiting message,
// dispatch it when there is one, otherwise give the application its idle turn.
// A message goes to the windows' PreTranslateMessage before it is dispatched.
#pragma once

#include <windows.h>

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
  // Offers one retrieved message to PreTranslateMessage, then translates and
  // dispatches it unless that handled it.
  void Dispatch(MSG& message);
  // Offers the message to the framework window it is for, then to each window
  // that window lies in (its parent, up to its top-level window); true when one
  // of them handled it.
  virtual bool PreTranslateMessage(MSG& message);
  // No message is waiting. The default sleeps until one arrives when `mayWait`.
  virtual void OnIdle(bool mayWait);

 private:
  int exitCode_ = 0;
};
