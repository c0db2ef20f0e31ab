// The main window's controls in creation order, placed by the flow layout: the
// summary, per-company and schedule frames in the left column, the portfolio and
// common frames in the right one, the path, run and cancel buttons at the bottom.
#include "app/main_window.h"

#include <algorithm>
#include <string_view>

#include "settings/markets.h"

namespace {

constexpr int kClientWidth = 545;
constexpr int kClientHeight = 756;
constexpr int kMargin = 5;
// "開く" ends where the period items end, so the right column clears the left one.
constexpr int kOpenGap = 235 - 130 - 50;
constexpr int kEditGap = 5;

}  // namespace

template <class T>
T& MainWindow::Keep(int number, std::unique_ptr<T> control) {
  T& kept = Own(std::move(control));
  if (number > 0) controls_[static_cast<size_t>(number)] = &kept;
  return kept;
}

void MainWindow::Add(int number, RECT rect, DWORD labelStyle) {
  const ControlRow& row = Row(number);
  ControlPlace place{this, kControlIdBase + number, rect};
  bool made = false;
  switch (row.kind) {
    case ControlKind::kLabel:
      made = Keep(number, std::make_unique<Label>()).Create(place, row.text, labelStyle);
      break;
    case ControlKind::kButton:
    case ControlKind::kDefaultButton:
      made = Keep(number, std::make_unique<Button>()).Create(place, row.text, row.kind == ControlKind::kDefaultButton);
      break;
    case ControlKind::kCheck:
      made = Keep(number, std::make_unique<CheckBox>())
                 .Create(place, row.text, row.key == kNoOption ? row.on : Options().Flag(row.key));
      break;
    case ControlKind::kEdit:
    case ControlKind::kScrollingEdit: {
      Edit::Style style;
      style.autoHScroll = row.kind == ControlKind::kScrollingEdit;
      made = Keep(number, std::make_unique<Edit>()).Create(place, EditValue(row), style);
      break;
    }
    case ControlKind::kFrame:
      made = Keep(number, std::make_unique<GroupFrame>()).Create(place, row.text);
      break;
    case ControlKind::kRadio:
      break;  // AddRadio
  }
  built_ = made && built_;
  if (made) Wire(row, *controls_[static_cast<size_t>(number)]);
}

void MainWindow::AddRadio(RadioGroup& group, int number, const std::vector<RECT>& rects) {
  const ControlRow& row = Row(number);
  std::vector<std::string> labels;
  for (std::string_view items = row.text; !items.empty();) {
    size_t end = std::min(items.find('\n'), items.size());
    labels.emplace_back(items.substr(0, end));
    items.remove_prefix(std::min(end + 1, items.size()));
  }
  radios_[static_cast<size_t>(number)] = &group;
  built_ = group.Create(*this, kControlIdBase + number, labels, rects, Options().Int(row.key)) && built_;
  if (row.action || row.refreshes) group.onSelect = [this, &row] { Act(row); };
}

std::string MainWindow::EditValue(const ControlRow& row) {
  if (row.key == OptionKey::StScheDayOfWeek) return WeekdayName(Options().Int(row.key));
  switch (InfoOf(row.key).type) {
    case OptionType::Integer: return std::to_string(Options().Int(row.key));
    case OptionType::Date: return std::to_string(Options().Date(row.key));
    default: return Options().Text(row.key);
  }
}

// A unit after an edit ("日", "曜日", ...): not in the table, but created with it.
void MainWindow::AddSideLabel(const char* text, int width) {
  RECT rect = layout_.Right(width, 14, 3);
  built_ = Keep(0, std::make_unique<Label>()).Create({this, 0, rect}, text, SS_CENTERIMAGE) && built_;
}

// The control's handler does the row's action and applies again the rule
// groups the row names.
void MainWindow::Wire(const ControlRow& row, Window& control) {
  if (!row.action && !row.refreshes) return;
  std::function<void()> handler = [this, &row] { Act(row); };
  switch (row.kind) {
    case ControlKind::kButton:
    case ControlKind::kDefaultButton: static_cast<Button&>(control).onClick = handler; break;
    case ControlKind::kCheck: static_cast<CheckBox&>(control).onToggle = handler; break;
    case ControlKind::kEdit:
    case ControlKind::kScrollingEdit: static_cast<Edit&>(control).onCommit = handler; break;
    default: break;
  }
}

bool MainWindow::Build() {
  WindowArgs args;
  args.title = "Velkora";
  args.className = "VkMainWindow";
  args.placementName = "Main";
  args.savePlacement = true;
  args.clientSize = true;
  args.fixedSize = true;
  args.centre = true;
  args.width = kClientWidth;
  args.height = kClientHeight;
  args.id = 0;
  return Create(args);
}

bool MainWindow::OnCreate() {
  SetDefaultId(kControlIdBase + kRunButton);
  layout_ = FlowLayout();
  BuildSummaryFrame();
  BuildTickerFrame();
  BuildScheduleFrame();
  BuildPortfolioFrame();
  BuildCommonFrame();
  BuildBottomRow();
  BuildArchiveFrame();
  if (!built_) return false;
  FillPeriod(true);
  ShowProgress(-1, -1, -1);
  ApplyAllRules();
  return true;
}

void MainWindow::BuildSummaryFrame() {
  layout_.MoveTo(kMargin + 3, 8);
  Add(kProgressLine, layout_.Below(200, 14));
  Add(kAboutButton, layout_.Right(16, 16, 4));
  layout_.MoveTo(kMargin, 8 + 14 + 6);
  layout_.OpenFrame(true);
  layout_.OpenFrame(true);
  Add(kSummaryPortBox, layout_.Below(130, 20));
  Add(kOpenPortButton, layout_.Right(50, 18, kOpenGap));
  Add(kSummaryXlsBox, layout_.Below(130, 20));
  Add(kOpenXlsButton, layout_.Right(50, 18, kOpenGap));
  Add(kSummaryAllBox, layout_.Below(130, 20));
  Add(kOpenAllButton, layout_.Right(50, 18, kOpenGap));
  Add(kSummaryTargetsFrame, layout_.CloseFrame());
  BuildPeriodFrame();
  Add(kIgnoreTitlesBox, layout_.Below(190, 20));
  Add(kEditIgnoreTitlesButton, layout_.Right(50, 18, kEditGap));
  Add(kKeywordsBox, layout_.Below(190, 20));
  Add(kEditKeywordsButton, layout_.Right(50, 18, kEditGap));
  Add(kSummaryRemakeBox, layout_.Below(190, 20));
  Add(kSummaryFrame, layout_.CloseFrame());
}

void MainWindow::BuildPeriodFrame() {
  layout_.OpenFrame(true);
  std::vector<RECT> items;
  for (int i = 0; i < 3; ++i) items.push_back(layout_.Below(235, 15));
  items.push_back(layout_.Below(100, 15));
  AddRadio(period_, kPeriodGroup, items);
  Add(kPeriodFirstEdit, layout_.RightOf(items[3], 56, 18, 2));
  Add(kPeriodDashLabel, layout_.Right(14, 14, 3), SS_CENTER | SS_CENTERIMAGE);
  Add(kPeriodLastEdit, layout_.Right(56, 18, 3));
  Add(kPeriodFrame, layout_.CloseFrame());
}

void MainWindow::BuildTickerFrame() {
  Add(kTickerPagesBox, layout_.OpenHeadedFrame(90, 20));
  Add(kTickerRemakeBox, layout_.Below(250, 20));
  Add(kTickerFrame, layout_.CloseFrame());
}

void MainWindow::BuildScheduleFrame() {
  Add(kSchedulePagesBox, layout_.OpenHeadedFrame(135, 20));
  layout_.OpenFrame(true);
  Add(kSchedulePortBox, layout_.Below(130, 20));
  Add(kOpenPortScheduleButton, layout_.Right(50, 18, kOpenGap));
  Add(kScheduleXlsBox, layout_.Below(130, 20));
  Add(kOpenXlsScheduleButton, layout_.Right(50, 18, kOpenGap));
  Add(kScheduleAllBox, layout_.Below(130, 20));
  Add(kOpenAllScheduleButton, layout_.Right(50, 18, kOpenGap));
  Add(kScheduleTargetsFrame, layout_.CloseFrame());
  BuildCycleFrame();
  Add(kRecheckVagueBox, layout_.Below(170, 20));
  Add(kRecheckVagueDaysEdit, layout_.Right(20, 18, 2));
  AddSideLabel("日以内なら", 60);
  Add(kRecheckUnusedBox, layout_.Below(170, 20));
  Add(kRecheckUnusedDaysEdit, layout_.Right(20, 18, 2));
  AddSideLabel("日ごと", 40);
  Add(kMarketHoursBox, layout_.Below(200, 20));
  layout_.OpenFrame(false);
  Add(kRefetchSchedulesBox, layout_.Below(110, 20));
  Add(kSkipUnusedCodesBox, layout_.Below(234, 20));
  Add(kRefetchFrame, layout_.CloseFrame());
  Add(kScheduleFrame, layout_.CloseFrame());
}

void MainWindow::BuildCycleFrame() {
  layout_.OpenFrame(true);
  std::vector<RECT> items = {layout_.Below(235, 15), layout_.Below(185, 15), layout_.Below(185, 15)};
  AddRadio(cycle_, kCycleGroup, items);
  Add(kCycleDaysEdit, layout_.RightOf(items[1], 20, 18, 2));
  AddSideLabel("日", 14);
  Add(kCycleWeekdayEdit, layout_.RightOf(items[2], 20, 18, 2));
  AddSideLabel("曜日", 28);
  Add(kCycleFrame, layout_.CloseFrame());
}

void MainWindow::BuildPortfolioFrame() {
  RECT open = Control(kOpenAllButton)->LogicalBounds(), progress = Control(kProgressLine)->LogicalBounds();
  layout_.MoveTo(open.right + 35, progress.bottom + 24);
  layout_.OpenFrame(true);
  Add(kEditPortfolioButton, layout_.Below(100, 18));
  layout_.OpenFrame(false);
  Add(kWebPortfolioBox, layout_.Below(160, 20));
  Add(kWebUrlLabel, layout_.Below(30, 20), SS_CENTERIMAGE);
  Add(kWebUrlEdit, layout_.Right(200, 18, 0));
  Add(kPreWordBox, layout_.Below(80, 20));
  Add(kPreWordEdit, layout_.Right(150, 18, 0));
  Add(kWebFrame, layout_.CloseFrame());
  Add(kPortfolioFrame, layout_.CloseFrame());
  // The archive's choice below, made last (its rows close the table): kept
  // clear of every frame, which would cover a control made after it.
  layout_.OpenFrame(true);
  archiveItems_ = {layout_.Below(54, 15)};
  archiveItems_.push_back(layout_.Right(104, 15, 4));
  archiveItems_.push_back(layout_.Right(74, 15, 4));
  archiveXbrlBox_ = layout_.Below(160, 15);
  archiveFrame_ = layout_.CloseFrame();
}

void MainWindow::BuildArchiveFrame() {
  AddRadio(archive_, kArchiveGroup, archiveItems_);
  Add(kArchiveXbrlBox, archiveXbrlBox_);
  Add(kArchiveFrame, archiveFrame_);
}

void MainWindow::BuildCommonFrame() {
  layout_.OpenFrame(true);
  Add(kIgnoreListBox, layout_.Below(190, 20));
  Add(kEditIgnoreListButton, layout_.Right(50, 18, kEditGap));
  layout_.OpenFrame(true);
  for (int box : {kHideGreenSheetBox, kHideProMarketBox, kHideForeignBox, kHideReitBox, kHideEtfBox})
    Add(box, layout_.Below(234, 20));
  Add(kHideFrame, layout_.CloseFrame());
  layout_.OpenFrame(true);
  Add(kLinkYahooBox, layout_.Below(234, 20));
  Add(kLinkIfisBox, layout_.Below(234, 20));
  Add(kLinkGmoBox, layout_.Below(188, 20));
  Add(kGmoServerEdit, layout_.Right(46, 20, 0));
  Add(kLinkKComBox, layout_.Below(234, 20));
  Add(kLinkSbiBox, layout_.Below(234, 20));
  Add(kLinksFrame, layout_.CloseFrame());
  layout_.OpenFrame(true);
  for (int box : {kMergeSameTimeBox, kHighlightPortfolioBox, kAddMarketBox, kAddIndustryBox})
    Add(box, layout_.Below(234, 20));
  Add(kTableFrame, layout_.CloseFrame());
  layout_.OpenFrame(false);
  Add(kFullNamesBox, layout_.Below(145, 20));
  Add(kDetailedMarketBox, layout_.Below(234, 20));
  Add(kRefetchNamesBox, layout_.Below(234, 20));
  Add(kNamesFrame, layout_.CloseFrame());
  Add(kCommonFrame, layout_.CloseFrame());
}

void MainWindow::BuildBottomRow() {
  int top = kClientHeight - 8 - 20;
  layout_.MoveTo(kMargin, top);
  Add(kHtmlPathButton, layout_.Below(115, 20));
  Add(kXlsPathButton, layout_.Right(115, 20, 5));
  RECT openOutput = layout_.Right(100, 20, 5);
  int run = kClientWidth - kMargin - 80 - 10 - 80;
  Add(kRunButton, RECT{run, top, run + 80, top + 20});
  Add(kCancelButton, RECT{run + 90, top, run + 170, top + 20});
  // Made last, outside every frame: a control made after a frame that holds
  // it would lie under the frame.
  RECT common = Control(kCommonFrame)->LogicalBounds();
  Add(kAtomFeedBox, RECT{common.left + 4, common.bottom + 6, common.left + 4 + 234, common.bottom + 26});
  Add(kOpenOutputButton, openOutput);
}
