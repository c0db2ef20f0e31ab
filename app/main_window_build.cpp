// The main window's controls in creation order, placed by the flow layout: the
// summary, per-company and schedule frames in the left column, the portfolio and
// common frames in the right one, the path, run and cancel buttons at the bottom.
#include "app/main_window.h"

#include "settings/markets.h"

namespace {

using K = OptionKey;

constexpr int kClientWidth = 545;
constexpr int kClientHeight = 682;
constexpr int kMargin = 5;
// "開く" ends where the period items end, so the right column clears the left one.
constexpr int kOpenGap = 235 - 130 - 50;
constexpr int kEditGap = 5;

std::string IntText(OptionKey key) { return std::to_string(Options().Int(key)); }

}  // namespace

template <class T>
T& MainWindow::Add(int number) {
  T& control = Own(std::make_unique<T>());
  if (number > 0) controls_[static_cast<size_t>(number)] = &control;
  return control;
}

void MainWindow::AddLabel(int number, const char* text, RECT rect, DWORD style) {
  built_ = Add<Label>(number).Create({this, kControlIdBase + number, rect}, text, style) && built_;
}

// A unit after an edit ("日", "曜日", ...): not in the table, but created with it.
void MainWindow::AddSideLabel(const char* text, int width) {
  RECT rect = layout_.Right(width, 14, 3);
  built_ = Add<Label>(0).Create({this, 0, rect}, text, SS_CENTERIMAGE) && built_;
}

void MainWindow::AddButton(int number, const char* text, RECT rect, bool isDefault) {
  built_ = Add<Button>(number).Create({this, kControlIdBase + number, rect}, text, isDefault) && built_;
}

void MainWindow::AddCheck(int number, const char* text, OptionKey key, RECT rect) {
  AddFreeCheck(number, text, Options().Flag(key), rect);
}

void MainWindow::AddFreeCheck(int number, const char* text, bool on, RECT rect) {
  built_ = Add<CheckBox>(number).Create({this, kControlIdBase + number, rect}, text, on) && built_;
}

void MainWindow::AddEdit(int number, const std::string& text, RECT rect, bool autoHScroll) {
  Edit::Style style;
  style.autoHScroll = autoHScroll;
  built_ = Add<Edit>(number).Create({this, kControlIdBase + number, rect}, text, style) && built_;
}

void MainWindow::AddFrame(int number, const char* title, RECT rect) {
  built_ = Add<GroupFrame>(number).Create({this, kControlIdBase + number, rect}, title) && built_;
}

void MainWindow::AddRadioGroup(RadioGroup& group, int number, const std::vector<std::string>& labels,
                               const std::vector<RECT>& rects, OptionKey key) {
  built_ = group.Create(*this, kControlIdBase + number, labels, rects, Options().Int(key)) && built_;
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
  SetDefaultId(kControlIdBase + 80);
  layout_ = FlowLayout();
  BuildSummaryFrame();
  BuildTickerFrame();
  BuildScheduleFrame();
  BuildPortfolioFrame();
  BuildCommonFrame();
  BuildBottomRow();
  if (!built_) return false;
  FillPeriod(true);
  ShowProgress(-1, -1, -1);
  ApplyAllRules();
  return true;
}

void MainWindow::BuildSummaryFrame() {
  layout_.MoveTo(kMargin + 3, 8);
  AddLabel(1, "----", layout_.Below(200, 14));
  AddButton(2, "?", layout_.Right(16, 16, 4));
  layout_.MoveTo(kMargin, 8 + 14 + 6);
  layout_.OpenFrame(true);
  layout_.OpenFrame(true);
  AddCheck(3, "ポートフォリオ", K::EnableHtmlPort, layout_.Below(130, 20));
  AddButton(4, "開く", layout_.Right(50, 18, kOpenGap));
  AddCheck(5, "xls確認", K::EnableHtmlXls, layout_.Below(130, 20));
  AddButton(6, "開く", layout_.Right(50, 18, kOpenGap));
  AddCheck(7, "全て", K::EnableHtmlAll, layout_.Below(130, 20));
  AddButton(8, "開く", layout_.Right(50, 18, kOpenGap));
  AddFrame(9, "生成対象", layout_.CloseFrame());
  BuildPeriodFrame();
  AddCheck(15, "特定の表題は非表示にする", K::EnableIgnoreTitleList, layout_.Below(190, 20));
  AddButton(16, "編集", layout_.Right(50, 18, kEditGap));
  AddCheck(17, "指定のキーワードをハイライトする", K::EnableKeyHighlightList, layout_.Below(190, 20));
  AddButton(18, "編集", layout_.Right(50, 18, kEditGap));
  AddCheck(19, "過去分をマージせずに再構築する", K::CollectRemake, layout_.Below(190, 20));
  AddFrame(20, "まとめ html", layout_.CloseFrame());
}

void MainWindow::BuildPeriodFrame() {
  layout_.OpenFrame(true);
  std::vector<RECT> items;
  for (int i = 0; i < 3; ++i) items.push_back(layout_.Below(235, 15));
  items.push_back(layout_.Below(100, 15));
  AddRadioGroup(period_, kPeriodGroup, {"前回から今日まで", "今日", "過去１週間", "指定"}, items, K::PeriodType);
  AddEdit(11, "", layout_.RightOf(items[3], 56, 18, 2));
  AddLabel(12, "～", layout_.Right(14, 14, 3), SS_CENTER | SS_CENTERIMAGE);
  AddEdit(13, "", layout_.Right(56, 18, 3));
  AddFrame(14, "期間", layout_.CloseFrame());
}

void MainWindow::BuildTickerFrame() {
  AddCheck(21, "銘柄別 html", K::EnableHtmlTicker, layout_.OpenHeadedFrame(90, 20));
  AddCheck(22, "過去分をマージせずに再構築する", K::TickerRemake, layout_.Below(250, 20));
  AddFrame(23, "", layout_.CloseFrame());
}

void MainWindow::BuildScheduleFrame() {
  AddCheck(24, "決算スケジュール html", K::EnableStSche, layout_.OpenHeadedFrame(135, 20));
  layout_.OpenFrame(true);
  AddCheck(25, "ポートフォリオ", K::EnableStSchePort, layout_.Below(130, 20));
  AddButton(26, "開く", layout_.Right(50, 18, kOpenGap));
  AddCheck(27, "xls確認", K::EnableStScheXls, layout_.Below(130, 20));
  AddButton(28, "開く", layout_.Right(50, 18, kOpenGap));
  AddCheck(29, "全て", K::EnableStScheAll, layout_.Below(130, 20));
  AddButton(30, "開く", layout_.Right(50, 18, kOpenGap));
  AddFrame(31, "生成対象", layout_.CloseFrame());
  BuildCycleFrame();
  AddCheck(36, "曖昧な予定日を再チェック", K::StScheRecheckAboutEnable, layout_.Below(170, 20));
  AddEdit(37, IntText(K::StScheRecheckAboutDay), layout_.Right(20, 18, 2));
  AddSideLabel("日以内なら", 60);
  AddCheck(38, "未使用だった番号を再チェック", K::StScheRecheckEmptyEnable, layout_.Below(170, 20));
  AddEdit(39, IntText(K::StScheRecheckEmptyDay), layout_.Right(20, 18, 2));
  AddSideLabel("日ごと", 40);
  AddCheck(40, "場中の決算予定時刻をハイライトする", K::StScheInMarketHighlight, layout_.Below(200, 20));
  layout_.OpenFrame(false);
  AddFreeCheck(41, "全てを再取得する", false, layout_.Below(110, 20));
  AddFreeCheck(42, "未使用と思われる銘柄番号は除く", true, layout_.Below(234, 20));
  AddFrame(43, "", layout_.CloseFrame());
  AddFrame(44, "", layout_.CloseFrame());
}

void MainWindow::BuildCycleFrame() {
  layout_.OpenFrame(true);
  std::vector<RECT> items = {layout_.Below(235, 15), layout_.Below(185, 15), layout_.Below(185, 15)};
  AddRadioGroup(cycle_, kCycleGroup, {"毎回必ず", "前回から一定日数が経過したら", "指定の曜日を通過したら"}, items,
                K::StScheCycle);
  AddEdit(33, IntText(K::StScheDaySpan), layout_.RightOf(items[1], 20, 18, 2));
  AddSideLabel("日", 14);
  AddEdit(34, WeekdayName(Options().Int(K::StScheDayOfWeek)), layout_.RightOf(items[2], 20, 18, 2));
  AddSideLabel("曜日", 28);
  AddFrame(35, "更新の頻度", layout_.CloseFrame());
}

void MainWindow::BuildPortfolioFrame() {
  RECT open = controls_[8]->LogicalBounds(), progress = controls_[1]->LogicalBounds();
  layout_.MoveTo(open.right + 35, progress.bottom + 24);
  layout_.OpenFrame(true);
  AddButton(45, "IDリストを編集", layout_.Below(100, 18));
  layout_.OpenFrame(false);
  AddCheck(46, "ウェブから自動的に取得する", K::WebPortEnable, layout_.Below(160, 20));
  AddLabel(47, "URL", layout_.Below(30, 20), SS_CENTERIMAGE);
  AddEdit(48, Options().Text(K::WebPortUrl), layout_.Right(200, 18, 0), true);
  AddCheck(49, "直前ワード", K::WebPortPreWordEnable, layout_.Below(80, 20));
  AddEdit(50, Options().Text(K::WebPortPreWord), layout_.Right(150, 18, 0), true);
  AddFrame(51, "", layout_.CloseFrame());
  AddFrame(52, "ポートフォリオ", layout_.CloseFrame());
}

void MainWindow::BuildCommonFrame() {
  layout_.OpenFrame(true);
  AddCheck(53, "無視リストを使用する", K::EnableIgnoreList, layout_.Below(190, 20));
  AddButton(54, "編集", layout_.Right(50, 18, kEditGap));
  layout_.OpenFrame(true);
  AddCheck(55, "グリーンシート銘柄", K::IgnoreGR, layout_.Below(234, 20));
  AddCheck(56, "TOKYO PRO MARKET銘柄", K::IgnoreAim, layout_.Below(234, 20));
  AddCheck(57, "外国株", K::IgnoreForeign, layout_.Below(234, 20));
  AddCheck(58, "REIT", K::IgnoreREIT, layout_.Below(234, 20));
  AddCheck(59, "ETF", K::IgnoreETF, layout_.Below(234, 20));
  AddFrame(60, "非表示", layout_.CloseFrame());
  layout_.OpenFrame(true);
  AddCheck(61, "Yahoo!ファイナンス", K::HtmlInsertYahoo, layout_.Below(234, 20));
  AddCheck(62, "IFIS株予報", K::HtmlInsertIfis, layout_.Below(234, 20));
  AddCheck(63, "GMOクリック証券", K::HtmlInsertGMO, layout_.Below(188, 20));
  AddEdit(64, Options().Text(K::GMOServer), layout_.Right(46, 20, 0));
  AddCheck(65, "カブドットコム証券", K::HtmlInsertKCom, layout_.Below(234, 20));
  AddCheck(66, "SBI証券", K::HtmlInsertSBI, layout_.Below(234, 20));
  AddFrame(67, "クイックリンク", layout_.CloseFrame());
  layout_.OpenFrame(true);
  AddCheck(68, "同時刻のテーブルは連結する", K::HtmlRowMergeTime, layout_.Below(234, 20));
  AddCheck(69, "ポートフォリオ銘柄をハイライトする", K::InPortHighlight, layout_.Below(234, 20));
  AddCheck(70, "上場市場を追加する", K::HtmlInsertMarket, layout_.Below(234, 20));
  AddCheck(71, "業種を追加する", K::HtmlInsertIndustry, layout_.Below(234, 20));
  AddFrame(72, "テーブルの設定", layout_.CloseFrame());
  layout_.OpenFrame(false);
  AddCheck(73, "会社名をフルネームにする", K::UseFullConame, layout_.Below(145, 20));
  AddCheck(74, "上場市場を詳細にする", K::UseDetailMarket, layout_.Below(234, 20));
  AddFreeCheck(75, "全てを再取得する", false, layout_.Below(234, 20));
  AddFrame(76, "", layout_.CloseFrame());
  AddFrame(77, "共通オプション", layout_.CloseFrame());
}

void MainWindow::BuildBottomRow() {
  int top = kClientHeight - 8 - 20;
  layout_.MoveTo(kMargin, top);
  AddButton(78, "html保存パスの指定", layout_.Below(115, 20));
  AddButton(79, "xlsチェックパスの指定", layout_.Right(115, 20, 5));
  int run = kClientWidth - kMargin - 80 - 10 - 80;
  AddButton(80, "実行", RECT{run, top, run + 80, top + 20}, true);
  AddButton(81, "キャンセル", RECT{run + 90, top, run + 170, top + 20});
}
