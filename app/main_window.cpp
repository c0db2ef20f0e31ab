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
  RadioGroup* radio = group > 0 && group <= kLastControl ? radios_[static_cast<size_t>(group)] : nullptr;
  return radio ? radio->Item(index) : nullptr;
}

Window* MainWindow::Dialog(int id) const {
  for (const auto& dialog : dialogs_) {
    if (dialog->Exists() && dialog->Id() == id) return dialog.get();
  }
  return nullptr;
}

CheckBox& MainWindow::Box(int number) const { return *static_cast<CheckBox*>(Control(number)); }
Edit& MainWindow::EditOf(int number) const { return *static_cast<Edit*>(Control(number)); }
RadioGroup& MainWindow::Radio(int number) const { return *radios_[static_cast<size_t>(number)]; }
bool MainWindow::On(int number) const { return Box(number).Checked(); }

// ---- Progress and states ----

void MainWindow::ShowProgress(int code, int a, int b) {
  auto* line = static_cast<Label*>(Control(kProgressLine));
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

void MainWindow::ShowSummary(const std::string& text) {
  auto* line = static_cast<Label*>(Control(kProgressLine));
  if (!line || !line->Exists()) return;
  line->SetText(text);
  line->SetColour(kIdleGrey);
  line->Redraw();
}

void MainWindow::EnterRunning() {
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    EnableWindow(child, FALSE);
  Control(kCancelButton)->Enable(true);
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
    EditOf(kPeriodFirstEdit).SetText(std::to_string(first));
    EditOf(kPeriodLastEdit).SetText(std::to_string(last));
  }
  EditOf(kPeriodFirstEdit).Enable(type == 3);
  EditOf(kPeriodLastEdit).Enable(type == 3);
}

// The conditions in this order: a page is looked for only when its box is on.
bool MainWindow::Usable(const EnableRule& rule) const {
  return !rule.never && (rule.on == 0 || On(rule.on)) && (rule.alsoOn == 0 || On(rule.alsoOn)) &&
         (rule.off == 0 || !On(rule.off)) && (rule.cycleItem < 0 || cycle_.Selected() == rule.cycleItem) &&
         (!rule.page || PageExists(rule.page));
}

void MainWindow::ApplyRule(const ControlRow& row) {
  const EnableRule& rule = row.rule;
  bool usable = Usable(rule);
  if (rule.dash != DashRule::kNone) {
    bool shown = rule.dash == DashRule::kUnlessUsable ? usable : On(rule.alsoOn);
    EditOf(row.number).SetText(shown ? EditValue(row) : "-");
  }
  if (row.kind == ControlKind::kRadio) {
    Radio(row.number).Enable(usable);
  } else {
    Control(row.number)->Enable(usable);
  }
  if (!usable && rule.clearedWhenUnusable) Box(row.number).SetChecked(false);
}

void MainWindow::ApplyRules(uint16_t groups) {
  for (const ControlRow& row : Table()) {
    if (row.rule.group & groups) ApplyRule(row);
  }
}

// ---- The actions of the table ----

void MainWindow::Act(const ControlRow& row) {
  if (row.action) (this->*row.action)(row);
  ApplyRules(row.refreshes);
}

void MainWindow::SelectPeriod(const ControlRow&) { FillPeriod(false); }

// Edits are written when they are left, except the period, which "実行" saves.
void MainWindow::CommitText(const ControlRow& row) { Options().SetText(row.key, EditOf(row.number).GetText()); }

void MainWindow::CommitDays(const ControlRow& row) {
  int value = 0;
  if (ReadEditNumber(EditOf(row.number).GetText(), value) != kNotANumber) Options().SetInt(row.key, value);
}

void MainWindow::CommitDaysOrPutBack(const ControlRow& row) {
  int value = 0;
  if (ReadEditNumber(EditOf(row.number).GetText(), value) != kNotANumber) {
    Options().SetInt(row.key, value);
  } else {
    EditOf(row.number).SetInt(Options().Int(row.key));
  }
}

void MainWindow::CommitWeekday(const ControlRow& row) {
  std::string text = EditOf(row.number).GetText();
  for (int day = 0; day < 7; ++day) {
    if (text == WeekdayName(day)) {
      Options().SetInt(row.key, day);
      return;
    }
  }
  EditOf(row.number).SetText(WeekdayName(Options().Int(row.key)));
}

void MainWindow::OpenAbout(const ControlRow&) { OpenDialog<AboutDialog>(); }
void MainWindow::ChooseHtmlPath(const ControlRow&) {
  OpenDialog<PathDialog>(kHtmlPathDialogId, "htmlデータ保存パスを指定", OptionKey::HtmlDataDir);
}
void MainWindow::ChooseXlsPath(const ControlRow&) {
  OpenDialog<PathDialog>(kXlsPathDialogId, "xlsチェックパスを指定", OptionKey::XlsCheckDir);
}
void MainWindow::EditPortfolio(const ControlRow&) { OpenDialog<ListDialog>(ListKind::Portfolio, app_.Lists()); }
void MainWindow::EditIgnoreList(const ControlRow&) { OpenDialog<ListDialog>(ListKind::IgnoreList, app_.Lists()); }
void MainWindow::EditIgnoreTitles(const ControlRow&) { OpenDialog<ListDialog>(ListKind::IgnoreTitles, app_.Lists()); }
void MainWindow::EditKeywords(const ControlRow&) { OpenDialog<ListDialog>(ListKind::Keywords, app_.Lists()); }
void MainWindow::PressRun(const ControlRow&) { Run(); }
void MainWindow::PressCancel(const ControlRow&) { Cancel(); }

// An "開く" button opens the page its rule looks for.
void MainWindow::OpenPage(const ControlRow& row) {
  if (!PageExists(row.rule.page)) return;
  ProcessLauncher launcher;
  launcher.document = OutputDirOf(Options()).File(row.rule.page);
  launcher.Run();
}

void MainWindow::OpenOutputDirectory(const ControlRow&) {
  OutputDir output = OutputDirOf(Options());
  FilePath directory;
  if (!output.Exists() || !directory.SetPath(output.File("").c_str())) {
    ReportError("html保存パスの<%s>は存在しません", output.Text().c_str());
    return;
  }
  ProcessLauncher launcher;
  launcher.document = directory.Text();
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
bool MainWindow::ReadDay(int number, uint32_t& day) {
  std::string text = EditOf(number).GetText();
  int value = 0;
  if (ReadEditNumber(text, value) == kNotANumber || value <= 0 || !IsValidDate(static_cast<uint32_t>(value))) {
    ReportError("期間の日付<%s>は正しくありません。yyyymmdd の形で入力して下さい", text.c_str());
    return false;
  }
  day = static_cast<uint32_t>(value);
  return true;
}

void MainWindow::Run() {
  uint32_t first = 0, last = 0;
  if (app_.Controller().Running() || !ReadDay(kPeriodFirstEdit, first) || !ReadDay(kPeriodLastEdit, last)) return;
  if (first > last) {
    // The run goes from the earlier day: the window shows and stores it so.
    EditOf(kPeriodFirstEdit).SetText(std::to_string(last));
    EditOf(kPeriodLastEdit).SetText(std::to_string(first));
    MessageSeverity = kSeverityWarning;
    ReportMessage("期間の開始日<%u>が終了日<%u>より後なので入れ替えました", first, last);
  }
  SaveAllOptions();
  uint8_t mode = 0;
  if (On(kSchedulePagesBox) && On(kRefetchSchedulesBox)) mode = On(kSkipUnusedCodesBox) ? 1 : 2;
  // A refused start (another copy of the program runs on the same output
  // directory) has reported why; the window stays as it was.
  if (!app_.Controller().StartRun(first, last, mode, On(kRefetchNamesBox)) && !app_.Controller().Running())
    EnterIdle();
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
  bool hasFirst = ReadEditNumber(EditOf(kPeriodFirstEdit).GetText(), first) != kNotANumber;
  bool hasLast = ReadEditNumber(EditOf(kPeriodLastEdit).GetText(), last) != kNotANumber;
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
  for (OptionKey key : SavedOptions()) {
    const ControlRow* row = RowOf(key);
    if (!row) continue;
    if (row->kind == ControlKind::kRadio) {
      Options().SetInt(key, Radio(row->number).Selected());
    } else {
      Options().SetFlag(key, On(row->number));
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
