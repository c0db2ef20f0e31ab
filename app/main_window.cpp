// What the main window does: enabling rules, the period display, edits
// committed, buttons, run and cancel, the progress line, saving and closing.
#include "app/main_window.h"

#include <algorithm>

#include "app/application.h"
#include "app/dialogs.h"
#include "markup/text.h"
#include "pages/output.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/process.h"
#include "settings/markets.h"
#include "work/controller.h"

namespace {

using K = OptionKey;

constexpr COLORREF kIdleGrey = RGB(128, 128, 128);

bool PageExists(const char* name) {
  // Exists first: a path too long to work must not be reported at every
  // repaint of the buttons.
  OutputDir output = OutputDirOf(Options());
  if (!output.Exists()) return false;
  FileEntry page(output.File(name).c_str());
  return page.ExistsPath();
}

// A check box of the page choices, its "開く" button and the page it opens.
struct PageButton {
  int box;
  int open;
  const char* page;
};
constexpr PageButton kSummaryPages[] = {{3, 4, "Port.html"}, {5, 6, "Xls.html"}, {7, 8, "All.html"}};
constexpr PageButton kSchedulePages[] = {
    {25, 26, "PortSche.html"}, {27, 28, "XlsSche.html"}, {29, 30, "AllSche.html"}};

// The check boxes written by "Save all options", in the order they are written;
// kCycleGroup stands for the schedule cycle's selected item.
struct SavedControl {
  int number;
  OptionKey key;
};
constexpr SavedControl kSavedControls[] = {
    {3, K::EnableHtmlPort},   {5, K::EnableHtmlXls},     {7, K::EnableHtmlAll},
    {21, K::EnableHtmlTicker}, {24, K::EnableStSche},     {25, K::EnableStSchePort},
    {27, K::EnableStScheXls}, {29, K::EnableStScheAll},  {kCycleGroup, K::StScheCycle},
    {36, K::StScheRecheckAboutEnable}, {38, K::StScheRecheckEmptyEnable}, {40, K::StScheInMarketHighlight},
    {53, K::EnableIgnoreList}, {15, K::EnableIgnoreTitleList}, {17, K::EnableKeyHighlightList},
    {55, K::IgnoreGR},        {56, K::IgnoreAim},        {57, K::IgnoreForeign},
    {58, K::IgnoreREIT},      {59, K::IgnoreETF},        {69, K::InPortHighlight},
    {68, K::HtmlRowMergeTime}, {70, K::HtmlInsertMarket}, {71, K::HtmlInsertIndustry},
    {61, K::HtmlInsertYahoo}, {62, K::HtmlInsertIfis},   {63, K::HtmlInsertGMO},
    {65, K::HtmlInsertKCom},  {66, K::HtmlInsertSBI},    {73, K::UseFullConame},
    {74, K::UseDetailMarket}, {19, K::CollectRemake},    {22, K::TickerRemake},
    {49, K::WebPortPreWordEnable}, {46, K::WebPortEnable},
};

// The number of an edit's text: kIntegerNumber or kRealNumber with its integer
// part in `value`, else kNotANumber.
int ReadEditNumber(const std::string& text, int& value) {
  const char* cursor = text.c_str();
  NumberSlot slot;
  int kind = ReadNumber(cursor, &slot);
  if (kind == kIntegerNumber) value = slot.integer;
  if (kind == kRealNumber) value = static_cast<int>(slot.real);
  return kind;
}

}  // namespace

MainWindow::MainWindow(VelkoraApp& app) : app_(app) {}

MainWindow::~MainWindow() = default;

Window* MainWindow::Control(int number) const {
  return number > 0 && number <= kLastControl ? controls_[static_cast<size_t>(number)] : nullptr;
}

HWND MainWindow::Item(int number) const {
  Window* control = Control(number);
  return control ? control->Handle() : nullptr;
}

HWND MainWindow::RadioItem(int group, int index) const {
  return (group == kPeriodGroup ? period_ : cycle_).Item(index);
}

Window* MainWindow::Dialog(int id) const {
  for (const auto& dialog : dialogs_) {
    if (dialog->Exists() && dialog->Id() == id) return dialog.get();
  }
  return nullptr;
}

CheckBox& MainWindow::Check(int number) const { return *static_cast<CheckBox*>(Control(number)); }
Edit& MainWindow::EditOf(int number) const { return *static_cast<Edit*>(Control(number)); }
bool MainWindow::On(int number) const { return Check(number).Checked(); }

// ---- Progress and states ----

void MainWindow::ShowProgress(int code, int a, int b) {
  auto* line = static_cast<Label*>(Control(1));
  if (!line || !line->Exists()) return;
  line->SetText(ProgressText(code, a, b));
  if (code == kProgressIdle) {
    line->SetColour(kIdleGrey);
  } else {
    line->ClearColour();
  }
  // Painted now: the next work step blocks the thread.
  line->Redraw();
}

void MainWindow::EnterRunning() {
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    EnableWindow(child, FALSE);
  Control(81)->Enable(true);
  Redraw();
}

void MainWindow::EnterIdle() {
  if (!Exists()) return;
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    EnableWindow(child, TRUE);
  FillPeriod(false);
  ApplyAllRules();
  Redraw();
}

// ---- Period display and enabling rules ----

void MainWindow::FillPeriod(bool fromOptions) {
  int type = period_.Selected();
  if (type != 3 || fromOptions) {
    uint32_t first = 0, last = 0;
    PeriodOfType(type, first, last);
    EditOf(11).SetText(std::to_string(first));
    EditOf(13).SetText(std::to_string(last));
  }
  EditOf(11).Enable(type == 3);
  EditOf(13).Enable(type == 3);
}

void MainWindow::ApplyAllRules() {
  RuleSummaryOpen();
  Control(22)->Enable(On(21));
  RuleEditButtons();
  RuleSchedule();
  RuleWebPortfolio();
  Control(64)->Enable(On(63));
  RuleFullName();
  Control(81)->Enable(false);
}

void MainWindow::ApplyRuleOfBox(int number) {
  switch (number) {
    case 3: case 5: case 7: RuleSummaryOpen(); break;
    case 21: Control(22)->Enable(On(21)); break;
    case 15: case 17: case 53: RuleEditButtons(); break;
    case 24: case 25: case 27: case 29: RuleSchedule(); break;
    case 36: case 38: RuleRecheckEdits(); break;
    case 41: Control(42)->Enable(On(24) && On(41)); break;
    case 46: case 49: RuleWebPortfolio(); break;
    case 63: Control(64)->Enable(On(63)); break;
    case 73: RuleFullName(); break;
    default: break;
  }
}

void MainWindow::RuleSummaryOpen() {
  for (const PageButton& page : kSummaryPages) Control(page.open)->Enable(On(page.box) && PageExists(page.page));
}

void MainWindow::RuleEditButtons() {
  Control(16)->Enable(On(15));
  Control(18)->Enable(On(17));
  Control(54)->Enable(On(53));
}

void MainWindow::RuleSchedule() {
  bool on = On(24);
  for (int number : {25, 27, 29, 36, 38, 40, 41}) Control(number)->Enable(on);
  cycle_.Enable(on);
  for (const PageButton& page : kSchedulePages)
    Control(page.open)->Enable(on && On(page.box) && PageExists(page.page));
  RuleCycleEdits();
  RuleRecheckEdits();
  Control(42)->Enable(on && On(41));
}

void MainWindow::ShowValueOrDash(int number, bool enabled, bool showValue, const std::string& value) {
  EditOf(number).SetText(showValue ? value : "-");
  EditOf(number).Enable(enabled);
}

void MainWindow::RuleCycleEdits() {
  bool span = On(24) && cycle_.Selected() == 1, weekday = On(24) && cycle_.Selected() == 2;
  ShowValueOrDash(33, span, span, std::to_string(Options().Int(K::StScheDaySpan)));
  ShowValueOrDash(34, weekday, weekday, WeekdayName(Options().Int(K::StScheDayOfWeek)));
}

void MainWindow::RuleRecheckEdits() {
  ShowValueOrDash(37, On(24) && On(36), On(36), std::to_string(Options().Int(K::StScheRecheckAboutDay)));
  ShowValueOrDash(39, On(24) && On(38), On(38), std::to_string(Options().Int(K::StScheRecheckEmptyDay)));
}

void MainWindow::RuleWebPortfolio() {
  bool web = On(46);
  Control(45)->Enable(!web);
  Control(48)->Enable(web);
  Control(49)->Enable(web);
  Control(50)->Enable(web && On(49));
}

// Foreign stocks, REITs and ETFs are told apart by the company profile, which
// comes with the full company names: without them these filters cannot apply.
void MainWindow::RuleFullName() {
  bool on = On(73);
  for (int number : {57, 58, 59, 74, 75}) Control(number)->Enable(on);
  if (on) return;
  for (int number : {57, 58, 59, 74}) Check(number).SetChecked(false);
}

// ---- Commands ----

void MainWindow::OnCommand(int id, int kind) {
  int number = id - kControlIdBase;
  if (CommitEdit(number)) return;
  if (kind == kNotifyToggle) {
    ApplyRuleOfBox(number);
  } else if (kind == kNotifySelect) {
    if (number == kPeriodGroup) FillPeriod(false);
    if (number == kCycleGroup) RuleCycleEdits();
  } else {
    PressButton(number);
  }
}

// Edits are written when they are left, except the period, which "実行" saves.
bool MainWindow::CommitEdit(int number) {
  switch (number) {
    case 11: case 13: return true;
    case 64: Options().SetText(K::GMOServer, EditOf(64).GetText()); return true;
    case 33: CommitNumber(33, K::StScheDaySpan, true); return true;
    case 34: CommitWeekday(); return true;
    case 37: CommitNumber(37, K::StScheRecheckAboutDay, false); return true;
    case 39: CommitNumber(39, K::StScheRecheckEmptyDay, false); return true;
    case 48: Options().SetText(K::WebPortUrl, EditOf(48).GetText()); return true;
    case 50: Options().SetText(K::WebPortPreWord, EditOf(50).GetText()); return true;
    default: return false;
  }
}

void MainWindow::CommitNumber(int number, OptionKey key, bool putBack) {
  int value = 0;
  if (ReadEditNumber(EditOf(number).GetText(), value) != kNotANumber) {
    Options().SetInt(key, value);
  } else if (putBack) {
    EditOf(number).SetInt(Options().Int(key));
  }
}

void MainWindow::CommitWeekday() {
  std::string text = EditOf(34).GetText();
  for (int day = 0; day < 7; ++day) {
    if (text == WeekdayName(day)) {
      Options().SetInt(K::StScheDayOfWeek, day);
      return;
    }
  }
  EditOf(34).SetText(WeekdayName(Options().Int(K::StScheDayOfWeek)));
}

void MainWindow::PressButton(int number) {
  switch (number) {
    case 2: OpenDialog<AboutDialog>(); break;
    case 78: OpenDialog<PathDialog>(kHtmlPathDialogId, "htmlデータ保存パスを指定", K::HtmlDataDir); break;
    case 79: OpenDialog<PathDialog>(kXlsPathDialogId, "xlsチェックパスを指定", K::XlsCheckDir); break;
    case 45: OpenDialog<ListDialog>(ListKind::Portfolio, app_.Lists()); break;
    case 54: OpenDialog<ListDialog>(ListKind::IgnoreList, app_.Lists()); break;
    case 16: OpenDialog<ListDialog>(ListKind::IgnoreTitles, app_.Lists()); break;
    case 18: OpenDialog<ListDialog>(ListKind::Keywords, app_.Lists()); break;
    case 80: Run(); break;
    case 81: Cancel(); break;
    default:
      for (const auto& pages : {kSummaryPages, kSchedulePages}) {
        for (int i = 0; i < 3; ++i) {
          if (pages[i].open == number) OpenPage(pages[i].page);
        }
      }
      break;
  }
}

void MainWindow::OpenPage(const char* name) {
  if (!PageExists(name)) return;
  ProcessLauncher launcher;
  launcher.document = OutputDirOf(Options()).File(name);
  launcher.Run();
}

template <class D, class... Args>
void MainWindow::OpenDialog(Args&&... args) {
  std::erase_if(dialogs_, [](const std::unique_ptr<Window>& dialog) { return !dialog->Exists(); });
  auto dialog = std::make_unique<D>(std::forward<Args>(args)...);
  if (!dialog->Build(*this)) {
    dialog->Destroy();
    return;
  }
  ShowWindow(dialog->Handle(), SW_SHOW);
  dialog->Redraw();
  dialogs_.push_back(std::move(dialog));
}

// The period edits must hold real dates: a run over day 0 or the 40th of a month
// would download nothing useful and record nonsense as the last download.
bool MainWindow::ReadPeriod(uint32_t& first, uint32_t& last) {
  for (int number : {11, 13}) {
    std::string text = EditOf(number).GetText();
    int value = 0;
    if (ReadEditNumber(text, value) == kNotANumber || value <= 0 || !IsValidDate(static_cast<uint32_t>(value))) {
      ReportError("期間の日付<%s>は正しくありません。yyyymmdd の形で入力して下さい", text.c_str());
      return false;
    }
    (number == 11 ? first : last) = static_cast<uint32_t>(value);
  }
  return true;
}

void MainWindow::Run() {
  uint32_t first = 0, last = 0;
  if (app_.Controller().Running() || !ReadPeriod(first, last)) return;
  if (first > last) {
    // The run goes from the earlier day: the window shows and stores it so.
    EditOf(11).SetText(std::to_string(last));
    EditOf(13).SetText(std::to_string(first));
    MessageSeverity = kSeverityWarning;
    ReportMessage("期間の開始日<%u>が終了日<%u>より後なので入れ替えました", first, last);
  }
  SaveAllOptions();
  uint8_t mode = 0;
  if (On(24) && On(41)) mode = On(42) ? 1 : 2;
  // A refused start (another copy of the program runs on the same output
  // directory) has reported why; the window stays as it was.
  if (!app_.Controller().StartRun(first, last, mode, On(75)) && !app_.Controller().Running()) EnterIdle();
}

void MainWindow::Cancel() {
  // Destroying the task now would pull it from under the step on the stack.
  if (app_.InStep()) {
    app_.CancelAfterStep(false);
    return;
  }
  // The controller returns the window to its idle state and the idle progress text.
  app_.Controller().CancelWorkTask();
}

void MainWindow::SavePeriod() {
  int first = 0, last = 0;
  bool hasFirst = ReadEditNumber(EditOf(11).GetText(), first) != kNotANumber;
  bool hasLast = ReadEditNumber(EditOf(13).GetText(), last) != kNotANumber;
  if (hasFirst && hasLast && first > 0 && last > 0) {
    uint32_t firstDay = static_cast<uint32_t>(first), lastDay = static_cast<uint32_t>(last);
    StorePeriod(period_.Selected(), firstDay, lastDay);  // the earlier day first, as the command line stores it
    return;
  }
  Options().SetInt(K::PeriodType, period_.Selected());
  if (hasFirst) Options().SetInt(K::PeriodSt, first);
  if (hasLast) Options().SetInt(K::PeriodEd, last);
}

void MainWindow::SaveAllOptions() {
  SavePeriod();
  for (const SavedControl& saved : kSavedControls) {
    if (saved.number == kCycleGroup) {
      Options().SetInt(saved.key, cycle_.Selected());
    } else {
      Options().SetFlag(saved.key, On(saved.number));
    }
  }
}

void MainWindow::OnClose() {
  // The window must outlive the step on the stack: closed again once it returns.
  if (app_.InStep()) {
    app_.CancelAfterStep(true);
    return;
  }
  if (app_.Controller().Running()) Cancel();
  SaveAllOptions();
  CloseAllBut(this);
  Destroy();
}
