// The application object: owns the option store, the user's two code lists, the
// run controller and the main window, and gives the running work task one turn
// whenever no window message is waiting. While a turn waits for a download, the
// windows' messages are handled from inside it, and a cancel or a close asked
// for then gives up the download and takes effect when the turn returns.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/main_window.h"
#include "settings/lists.h"
#include "settings/options.h"
#include "ui/application.h"
#include "work/controller.h"

class VelkoraApp : public UiApplication, public WorkObserver {
 public:
  // Moves a legacy option file over the current one, then opens the option store
  // of the home directory.
  VelkoraApp();
  // Ends a run still going, forgets the lists, closes the option store, then the
  // windows go.
  ~VelkoraApp() override;
  VelkoraApp(const VelkoraApp&) = delete;
  VelkoraApp& operator=(const VelkoraApp&) = delete;

  // Makes the main window and shows it with `showCode`. False after reporting
  // "MakeMainWindow() に失敗" when it could not be made.
  bool Start(int showCode);

  MainWindow& Main() { return *main_; }
  WorkController& Controller() { return *controller_; }
  UserLists& Lists() { return lists_; }

  // The main window's side of a run.
  void ShowProgress(int code, int a, int b) override;
  void RunSummary(const std::string& text) override;
  void RunStarted() override;
  void RunFinished() override;

  // Whether a work step is on the stack (its download handling the windows'
  // messages): a command that would end the task must not run now.
  bool InStep() const { return inStep_; }
  // Gives up the download in progress and cancels the run (with `close`, then
  // closes the main window as its close box does) once the step returns.
  void CancelAfterStep(bool close);

 protected:
  // With a run: one turn of it. Without: sleeps until the next message.
  void OnIdle(bool mayWait) override;

 private:
  enum class AfterStep { kNothing, kCancel, kClose };

  // The download wait hook: handles the waiting messages when the download
  // is a step of this application's thread (never a step within a step).
  static void OnDownloadWait();
  // What was asked for during the step, done now that it has returned.
  void FinishAfterStep();

  DWORD thread_ = GetCurrentThreadId();
  bool inStep_ = false;
  bool inWait_ = false;
  AfterStep afterStep_ = AfterStep::kNothing;
  std::unique_ptr<OptionStore> options_;
  UserLists lists_;
  std::unique_ptr<WorkController> controller_;
  std::unique_ptr<MainWindow> main_;
  SharedRef<SharedCursor> icon_;
};

// Shows every reported message in a message box captioned "ERROR" or "WARNING"
// that keeps the program's windows disabled until it is closed (so no command
// runs in the middle of a work step).
void InstallMessageBoxSink();

// The whole program: crash handler, message boxes, common controls, start, the
// message loop and teardown. Returns the exit code.
int RunApplication(int showCode);
