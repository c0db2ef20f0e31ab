// The main window: every user option as a control, the progress line, and the
// buttons that start and stop a run.
//
// Its controls are the rows of one table (main_window_table.cpp): number, kind,
// text, option key, enabling rule and what using the control does. The build
// places each row's control (main_window_build.cpp) and wires the row's action
// to the control's handler (onClick, onToggle, onCommit, onSelect), so nothing
// looks a control up by the number a notification carries. A control's id is
// kControlIdBase plus its number.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "settings/options.h"
#include "ui/controls.h"
#include "ui/layout.h"
#include "ui/window.h"

class VelkoraApp;

constexpr int kControlIdBase = 100;

// The controls by name; each value is the control's number in the table.
enum MainControl : int {
  kProgressLine = 1, kAboutButton, kSummaryPortBox, kOpenPortButton, kSummaryXlsBox, kOpenXlsButton,
  kSummaryAllBox, kOpenAllButton, kSummaryTargetsFrame, kPeriodGroup, kPeriodFirstEdit, kPeriodDashLabel,
  kPeriodLastEdit, kPeriodFrame, kIgnoreTitlesBox, kEditIgnoreTitlesButton, kKeywordsBox, kEditKeywordsButton,
  kSummaryRemakeBox, kSummaryFrame, kTickerPagesBox, kTickerRemakeBox, kTickerFrame, kSchedulePagesBox,
  kSchedulePortBox, kOpenPortScheduleButton, kScheduleXlsBox, kOpenXlsScheduleButton, kScheduleAllBox,
  kOpenAllScheduleButton, kScheduleTargetsFrame, kCycleGroup, kCycleDaysEdit, kCycleWeekdayEdit, kCycleFrame,
  kRecheckVagueBox, kRecheckVagueDaysEdit, kRecheckUnusedBox, kRecheckUnusedDaysEdit, kMarketHoursBox,
  kRefetchSchedulesBox, kSkipUnusedCodesBox, kRefetchFrame, kScheduleFrame, kEditPortfolioButton,
  kWebPortfolioBox, kWebUrlLabel, kWebUrlEdit, kPreWordBox, kPreWordEdit, kWebFrame, kPortfolioFrame,
  kIgnoreListBox, kEditIgnoreListButton, kHideGreenSheetBox, kHideProMarketBox, kHideForeignBox, kHideReitBox,
  kHideEtfBox, kHideFrame, kLinkYahooBox, kLinkIfisBox, kLinkGmoBox, kGmoServerEdit, kLinkKComBox,
  kLinkSbiBox, kLinksFrame, kMergeSameTimeBox, kHighlightPortfolioBox, kAddMarketBox, kAddIndustryBox,
  kTableFrame, kFullNamesBox, kDetailedMarketBox, kRefetchNamesBox, kNamesFrame, kCommonFrame,
  kHtmlPathButton, kXlsPathButton, kRunButton, kCancelButton,
  // Added later: numbered after the others and made last, so that the numbers
  // stay the order of creation (and of Tab). The archive's choice sits below
  // the portfolio's frame.
  kAtomFeedBox, kOpenOutputButton, kArchiveGroup, kArchiveXbrlBox, kArchiveFrame,
};
constexpr int kLastControl = kArchiveFrame;

// The option a control does not have.
constexpr OptionKey kNoOption = OptionKey::Count;

enum class ControlKind : uint8_t {
  kLabel, kButton, kDefaultButton, kCheck, kRadio, kEdit, kScrollingEdit, kFrame,
};

// The groups of enabling rules that a change applies again together.
enum RuleGroup : uint16_t {
  kNoRuleGroup = 0,
  kSummaryOpenRules = 1 << 0,  // the summary pages' "開く" buttons
  kTickerRules = 1 << 1,
  kEditButtonRules = 1 << 2,   // the three "編集" buttons of the lists
  kScheduleRules = 1 << 3,     // the schedule frame but its edits and the re-fetch options
  kCycleEditRules = 1 << 4,
  kRecheckEditRules = 1 << 5,
  kRefetchRules = 1 << 6,
  kWebRules = 1 << 7,
  kGmoRules = 1 << 8,
  kFullNameRules = 1 << 9,
  kCancelRules = 1 << 10,
  kWholeScheduleRules = kScheduleRules | kCycleEditRules | kRecheckEditRules | kRefetchRules,
};

// How an edit with an enabling rule shows its value.
enum class DashRule : uint8_t {
  kNone,           // always its value
  kUnlessUsable,   // "-" while the rule does not hold
  kUnlessAlsoOn,   // "-" while the rule's second box is off
};

// When a control is usable in the idle state: every condition that is given
// holds. A control without a rule is always usable.
struct EnableRule {
  RuleGroup group = kNoRuleGroup;  // kNoRuleGroup: no rule
  int on = 0;                      // this check box is on
  int alsoOn = 0;                  // and this one
  int off = 0;                     // this check box is off
  int cycleItem = -1;              // the schedule cycle has this item selected
  const char* page = nullptr;      // this page exists in the output directory (and is what "開く" opens)
  bool never = false;
  DashRule dash = DashRule::kNone;
  bool clearedWhenUnusable = false;  // a check box turned off when the rule stops holding
};

class MainWindow;
struct ControlRow;
// What using a control does: a press, a commit, a toggle or a selection.
using ControlAction = void (MainWindow::*)(const ControlRow& row);

// One control of the main window.
struct ControlRow {
  int number;
  ControlKind kind;
  const char* text;  // a radio group's items are separated by "\n"
  OptionKey key = kNoOption;  // the option it shows and stores
  EnableRule rule = {};
  ControlAction action = nullptr;
  uint16_t refreshes = kNoRuleGroup;  // the rule groups a toggle of this check box applies again
  bool on = false;                    // a check box without an option: its state at the start
};

class MainWindow : public DialogWindow {
 public:
  explicit MainWindow(VelkoraApp& app);
  ~MainWindow() override;

  // The table in creation order, and the options SaveAllOptions writes after the
  // period, in the order it writes them.
  static std::span<const ControlRow> Table();
  static std::span<const OptionKey> SavedOptions();

  // Creates the window (hidden) and every control from the option file, fills the
  // period, shows the idle progress text and applies the enabling rules. False
  // when the window or a control could not be made.
  bool Build();

  // The progress line: the text of the code (see ProgressText), grey for -1.
  void ShowProgress(int code, int a, int b);
  // The run's summary line on the progress line, in the idle look.
  void ShowSummary(const std::string& text);
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
  void OnClose() override;

 private:
  static const ControlRow& Row(int number);
  // The row that shows `key`, or null.
  static const ControlRow* RowOf(OptionKey key);

  // Building (main_window_build.cpp).
  void BuildSummaryFrame();
  void BuildPeriodFrame();
  void BuildTickerFrame();
  void BuildScheduleFrame();
  void BuildCycleFrame();
  void BuildPortfolioFrame();
  // The document archive's choice (ArchivePdf) and its XBRL box (ArchiveXbrl),
  // in the place kept for them below the portfolio's frame.
  void BuildArchiveFrame();
  void BuildCommonFrame();
  void BuildBottomRow();
  // Creates the control of a row at `rect` (a label with `labelStyle`) and wires
  // its action.
  void Add(int number, RECT rect, DWORD labelStyle = 0);
  void AddRadio(RadioGroup& group, int number, const std::vector<RECT>& rects);
  void AddSideLabel(const char* text, int width);
  template <class T>
  T& Keep(int number, std::unique_ptr<T> control);
  void Wire(const ControlRow& row, Window& control);

  // Typed access to the controls of the table.
  CheckBox& Box(int number) const;
  Edit& EditOf(int number) const;
  RadioGroup& Radio(int number) const;
  bool On(int number) const;
  // The option value an edit shows.
  static std::string EditValue(const ControlRow& row);

  // Enabling rules and the period display (main_window.cpp).
  void FillPeriod(bool fromOptions);
  bool Usable(const EnableRule& rule) const;
  void ApplyRule(const ControlRow& row);
  void ApplyRules(uint16_t groups);
  void ApplyAllRules() { ApplyRules(0xFFFF); }

  // The actions of the table (main_window.cpp). Act is a control's handler: the
  // row's action, then its rule groups applied again.
  void Act(const ControlRow& row);
  void SelectPeriod(const ControlRow& row);
  void CommitText(const ControlRow& row);
  void CommitDays(const ControlRow& row);
  void CommitDaysOrPutBack(const ControlRow& row);
  void CommitWeekday(const ControlRow& row);
  void OpenPage(const ControlRow& row);
  // Opens the output directory (HtmlDataDir) in the system's file browser.
  void OpenOutputDirectory(const ControlRow& row);
  void OpenAbout(const ControlRow& row);
  void ChooseHtmlPath(const ControlRow& row);
  void ChooseXlsPath(const ControlRow& row);
  void EditPortfolio(const ControlRow& row);
  void EditIgnoreList(const ControlRow& row);
  void EditIgnoreTitles(const ControlRow& row);
  void EditKeywords(const ControlRow& row);
  void PressRun(const ControlRow& row);
  void PressCancel(const ControlRow& row);

  void Run();
  // The date in a period edit; false after reporting a text that is no date.
  bool ReadDay(int number, uint32_t& day);
  // PeriodType and the period edits, the earlier day first.
  void SavePeriod();
  template <class D, class... Args>
  void OpenDialog(Args&&... args);

  VelkoraApp& app_;
  FlowLayout layout_;
  bool built_ = true;
  std::array<Window*, kLastControl + 1> controls_{};
  std::array<RadioGroup*, kLastControl + 1> radios_{};
  RadioGroup period_;
  RadioGroup cycle_;
  RadioGroup archive_;
  std::vector<RECT> archiveItems_;
  RECT archiveXbrlBox_{};
  RECT archiveFrame_{};
  std::vector<std::unique_ptr<Window>> dialogs_;
};
