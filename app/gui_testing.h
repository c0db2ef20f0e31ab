// Shared set-up of the GUI tests: a fresh home directory, the application
// started on it in this process, and ways to drive its windows by messages as a
// user would (clicks, typing, Enter) and to run its loop.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "app/application.h"
#include "platform/diagnostics.h"
#include "platform/testing/test_support.h"

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes one option before the application starts (a store of its own).
  void Preset(OptionKey key, const std::string& value);
  // Makes the output directory "out" of the home and points HtmlDataDir at it.
  std::string MakeOutput();
  // Starts the application on the home; the test fails when it cannot.
  void StartApp();
  // Closes the main window as its close box does and ends the application.
  void CloseApp();

  MainWindow& Main() { return app_->Main(); }
  WorkController& Controller() { return app_->Controller(); }
  HWND Item(int number) { return Main().Item(number); }

  // Handles every waiting message (no work turns).
  void Pump();
  // Runs the loop, work turns included, until `done` holds; false after
  // `seconds` without it.
  bool RunLoopUntil(const std::function<bool()>& done, int seconds);

  static std::wstring Text(HWND window);
  std::wstring Text(int number) { return Text(Item(number)); }
  bool Enabled(int number) { return IsWindowEnabled(Item(number)) != FALSE; }
  static bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Checked(int number) { return Checked(Item(number)); }

  // A mouse click on a button, check box or radio item.
  void Click(HWND button);
  void Click(int number) { Click(Item(number)); }
  // Types `text` into an edit and leaves it (the focus goes to its window).
  void Type(HWND edit, const std::wstring& text);
  void Type(int number, const std::wstring& text) { Type(Item(number), text); }
  // Types `text` and presses Enter.
  void TypeAndEnter(HWND edit, const std::wstring& text);

  // Whether the messages reported so far include one containing `part` (Shift_JIS).
  bool Reported(const std::string& part) const;

  // What a user sees of the messages `action` reports: runs it with the
  // program's own sink (task-modal boxes) while another thread presses OK on
  // the first box captioned "ERROR". Returns that box's text (empty when none
  // showed within 10 seconds) and sets `mainDisabled` to whether the main
  // window was disabled while it showed. The recorder is back afterwards.
  std::wstring ShownInABox(const std::function<void()>& action, bool* mainDisabled = nullptr);

  TempDir home_;
  std::unique_ptr<MessageRecorder> messages_;
  std::unique_ptr<VelkoraApp> app_;
};

// The Shift_JIS text of a wide string (for comparing option values).
std::string Sjis(const std::wstring& text);
