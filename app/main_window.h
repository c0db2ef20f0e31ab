// The main window: every user option as a control, the progress line, and the
// buttons that start and stop a run. Controls are known by their number in the
// window's table (1..81); a control's id is kControlIdBase plus its number.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "settings/options.h"
#include "ui/controls.h"
#include "ui/layout.h"
#include "ui/window.h"

class VelkoraApp;

constexpr int kControlIdBase = 100;
constexpr int kLastControl = 81;
// The two radio groups, by table number.
constexpr int kPeriodGroup = 10;
constexpr int kCycleGroup = 32;

class MainWindow : public DialogWindow {
 public:
  explicit MainWindow(VelkoraApp& app);
  ~MainWindow() override;

  // Creates the window (hidden) and every control from the option file, fills the
  // period, shows the idle progress text and applies the enabling rules. False
  // when the window or a control could not be made.
  bool Build();

  // The progress line: the text of the code (see ProgressText), grey for -1.
  void ShowProgress(int code, int a, int b);
  // Every control but "キャンセル" disabled.
  void EnterRunning();
  // Every control enabled, then the period display and every enabling rule.
  void EnterIdle();
  // Writes every control-backed option in the fixed order ("実行" and closing).
  void SaveAllOptions();
  // "キャンセル": ends the run and returns to the idle state; during a work step
  // (a download handling messages), gives up the download and cancels once the
  // step returns.
  void Cancel();

  // The control of a table number, or null (tests drive the window through these).
  Window* Control(int number) const;
  HWND Item(int number) const;
  // An item of the period group (10) or the schedule-cycle group (32).
  HWND RadioItem(int group, int index) const;
  // The open dialog of a framework id (1..7), or null.
  Window* Dialog(int id) const;

 protected:
  bool OnCreate() override;
  void OnCommand(int id, int kind) override;
  void OnClose() override;

 private:
  // Building (main_window_build.cpp).
  void BuildSummaryFrame();
  void BuildPeriodFrame();
  void BuildTickerFrame();
  void BuildScheduleFrame();
  void BuildCycleFrame();
  void BuildPortfolioFrame();
  void BuildCommonFrame();
  void BuildBottomRow();
  template <class T>
  T& Add(int number);
  void AddLabel(int number, const char* text, RECT rect, DWORD style = 0);
  void AddSideLabel(const char* text, int width);
  void AddButton(int number, const char* text, RECT rect, bool isDefault = false);
  void AddCheck(int number, const char* text, OptionKey key, RECT rect);
  void AddFreeCheck(int number, const char* text, bool on, RECT rect);
  void AddEdit(int number, const std::string& text, RECT rect, bool autoHScroll = false);
  void AddFrame(int number, const char* title, RECT rect);
  void AddRadioGroup(RadioGroup& group, int number, const std::vector<std::string>& labels,
                     const std::vector<RECT>& rects, OptionKey key);

  // Typed access to the controls of the table.
  CheckBox& Check(int number) const;
  Edit& EditOf(int number) const;
  bool On(int number) const;

  // Enabling rules and the period display (main_window.cpp).
  void FillPeriod(bool fromOptions);
  void ApplyAllRules();
  void ApplyRuleOfBox(int number);
  void RuleSummaryOpen();
  void RuleEditButtons();
  void RuleSchedule();
  void RuleCycleEdits();
  void RuleRecheckEdits();
  void RuleWebPortfolio();
  void RuleFullName();
  void ShowValueOrDash(int number, bool enabled, bool showValue, const std::string& value);

  // Commands (main_window.cpp).
  bool CommitEdit(int number);
  void CommitNumber(int number, OptionKey key, bool putBack);
  void CommitWeekday();
  void PressButton(int number);
  void OpenPage(const char* name);
  void Run();
  bool ReadPeriod(uint32_t& first, uint32_t& last);
  // PeriodType and the period edits, the earlier day first.
  void SavePeriod();
  template <class D, class... Args>
  void OpenDialog(Args&&... args);

  VelkoraApp& app_;
  FlowLayout layout_;
  bool built_ = true;
  std::array<Window*, kLastControl + 1> controls_{};
  RadioGroup period_;
  RadioGroup cycle_;
  std::vector<std::unique_ptr<Window>> dialogs_;
};
