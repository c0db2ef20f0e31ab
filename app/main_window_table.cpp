// The main window's controls, one row each in creation order: number, kind,
// text, option, enabling rule, action. A check box's `refreshes` names the rule
// groups its toggle applies again.
#include "app/main_window.h"

namespace {

using K = OptionKey;
using Kind = ControlKind;
using M = MainWindow;

// The options "Save all options" writes after the period, in its order.
constexpr OptionKey kSavedOptions[] = {
    K::EnableHtmlPort, K::EnableHtmlXls, K::EnableHtmlAll, K::EnableHtmlTicker, K::EnableStSche,
    K::EnableStSchePort, K::EnableStScheXls, K::EnableStScheAll, K::StScheCycle, K::StScheRecheckAboutEnable,
    K::StScheRecheckEmptyEnable, K::StScheInMarketHighlight, K::EnableIgnoreList, K::EnableIgnoreTitleList,
    K::EnableKeyHighlightList, K::IgnoreGR, K::IgnoreAim, K::IgnoreForeign, K::IgnoreREIT, K::IgnoreETF,
    K::InPortHighlight, K::HtmlRowMergeTime, K::HtmlInsertMarket, K::HtmlInsertIndustry, K::HtmlInsertYahoo,
    K::HtmlInsertIfis, K::HtmlInsertGMO, K::HtmlInsertKCom, K::HtmlInsertSBI, K::UseFullConame,
    K::UseDetailMarket, K::CollectRemake, K::EnableAtomFeed, K::TickerRemake, K::WebPortPreWordEnable, K::WebPortEnable,
    K::ArchivePdf, K::ArchiveXbrl,
};

}  // namespace

std::span<const OptionKey> MainWindow::SavedOptions() { return kSavedOptions; }

std::span<const ControlRow> MainWindow::Table() {
  // A function's static, so that the rows may name private actions.
  static const ControlRow kRows[] = {
      {kProgressLine, Kind::kLabel, "----"},
      {kAboutButton, Kind::kButton, "?", kNoOption, {}, &M::OpenAbout},
      {kSummaryPortBox, Kind::kCheck, "ポートフォリオ", K::EnableHtmlPort, {}, nullptr, kSummaryOpenRules},
      {kOpenPortButton, Kind::kButton, "開く", kNoOption,
       {.group = kSummaryOpenRules, .on = kSummaryPortBox, .page = "Port.html"}, &M::OpenPage},
      {kSummaryXlsBox, Kind::kCheck, "xls確認", K::EnableHtmlXls, {}, nullptr, kSummaryOpenRules},
      {kOpenXlsButton, Kind::kButton, "開く", kNoOption,
       {.group = kSummaryOpenRules, .on = kSummaryXlsBox, .page = "Xls.html"}, &M::OpenPage},
      {kSummaryAllBox, Kind::kCheck, "全て", K::EnableHtmlAll, {}, nullptr, kSummaryOpenRules},
      {kOpenAllButton, Kind::kButton, "開く", kNoOption,
       {.group = kSummaryOpenRules, .on = kSummaryAllBox, .page = "All.html"}, &M::OpenPage},
      {kSummaryTargetsFrame, Kind::kFrame, "生成対象"},
      {kPeriodGroup, Kind::kRadio, "前回から今日まで\n今日\n過去１週間\n指定", K::PeriodType, {}, &M::SelectPeriod},
      {kPeriodFirstEdit, Kind::kEdit, "", K::PeriodSt},  // stored by "実行" and closing
      {kPeriodDashLabel, Kind::kLabel, "～"},
      {kPeriodLastEdit, Kind::kEdit, "", K::PeriodEd},
      {kPeriodFrame, Kind::kFrame, "期間"},
      {kIgnoreTitlesBox, Kind::kCheck, "特定の表題は非表示にする", K::EnableIgnoreTitleList, {}, nullptr,
       kEditButtonRules},
      {kEditIgnoreTitlesButton, Kind::kButton, "編集", kNoOption,
       {.group = kEditButtonRules, .on = kIgnoreTitlesBox}, &M::EditIgnoreTitles},
      {kKeywordsBox, Kind::kCheck, "指定のキーワードをハイライトする", K::EnableKeyHighlightList, {}, nullptr,
       kEditButtonRules},
      {kEditKeywordsButton, Kind::kButton, "編集", kNoOption, {.group = kEditButtonRules, .on = kKeywordsBox},
       &M::EditKeywords},
      {kSummaryRemakeBox, Kind::kCheck, "過去分をマージせずに再構築する", K::CollectRemake},
      {kSummaryFrame, Kind::kFrame, "まとめ html"},
      {kTickerPagesBox, Kind::kCheck, "銘柄別 html", K::EnableHtmlTicker, {}, nullptr, kTickerRules},
      {kTickerRemakeBox, Kind::kCheck, "過去分をマージせずに再構築する", K::TickerRemake,
       {.group = kTickerRules, .on = kTickerPagesBox}},
      {kTickerFrame, Kind::kFrame, ""},
      {kSchedulePagesBox, Kind::kCheck, "決算スケジュール html", K::EnableStSche, {}, nullptr,
       kWholeScheduleRules},
      {kSchedulePortBox, Kind::kCheck, "ポートフォリオ", K::EnableStSchePort,
       {.group = kScheduleRules, .on = kSchedulePagesBox}, nullptr, kWholeScheduleRules},
      {kOpenPortScheduleButton, Kind::kButton, "開く", kNoOption,
       {.group = kScheduleRules, .on = kSchedulePagesBox, .alsoOn = kSchedulePortBox, .page = "PortSche.html"},
       &M::OpenPage},
      {kScheduleXlsBox, Kind::kCheck, "xls確認", K::EnableStScheXls,
       {.group = kScheduleRules, .on = kSchedulePagesBox}, nullptr, kWholeScheduleRules},
      {kOpenXlsScheduleButton, Kind::kButton, "開く", kNoOption,
       {.group = kScheduleRules, .on = kSchedulePagesBox, .alsoOn = kScheduleXlsBox, .page = "XlsSche.html"},
       &M::OpenPage},
      {kScheduleAllBox, Kind::kCheck, "全て", K::EnableStScheAll, {.group = kScheduleRules, .on = kSchedulePagesBox},
       nullptr, kWholeScheduleRules},
      {kOpenAllScheduleButton, Kind::kButton, "開く", kNoOption,
       {.group = kScheduleRules, .on = kSchedulePagesBox, .alsoOn = kScheduleAllBox, .page = "AllSche.html"},
       &M::OpenPage},
      {kScheduleTargetsFrame, Kind::kFrame, "生成対象"},
      {kCycleGroup, Kind::kRadio, "毎回必ず\n前回から一定日数が経過したら\n指定の曜日を通過したら", K::StScheCycle,
       {.group = kScheduleRules, .on = kSchedulePagesBox}, nullptr, kCycleEditRules},
      {kCycleDaysEdit, Kind::kEdit, "", K::StScheDaySpan,
       {.group = kCycleEditRules, .on = kSchedulePagesBox, .cycleItem = 1, .dash = DashRule::kUnlessUsable},
       &M::CommitDaysOrPutBack},
      {kCycleWeekdayEdit, Kind::kEdit, "", K::StScheDayOfWeek,
       {.group = kCycleEditRules, .on = kSchedulePagesBox, .cycleItem = 2, .dash = DashRule::kUnlessUsable},
       &M::CommitWeekday},
      {kCycleFrame, Kind::kFrame, "更新の頻度"},
      {kRecheckVagueBox, Kind::kCheck, "曖昧な予定日を再チェック", K::StScheRecheckAboutEnable,
       {.group = kScheduleRules, .on = kSchedulePagesBox}, nullptr, kRecheckEditRules},
      {kRecheckVagueDaysEdit, Kind::kEdit, "", K::StScheRecheckAboutDay,
       {.group = kRecheckEditRules, .on = kSchedulePagesBox, .alsoOn = kRecheckVagueBox,
        .dash = DashRule::kUnlessAlsoOn},
       &M::CommitDays},
      {kRecheckUnusedBox, Kind::kCheck, "未使用だった番号を再チェック", K::StScheRecheckEmptyEnable,
       {.group = kScheduleRules, .on = kSchedulePagesBox}, nullptr, kRecheckEditRules},
      {kRecheckUnusedDaysEdit, Kind::kEdit, "", K::StScheRecheckEmptyDay,
       {.group = kRecheckEditRules, .on = kSchedulePagesBox, .alsoOn = kRecheckUnusedBox,
        .dash = DashRule::kUnlessAlsoOn},
       &M::CommitDays},
      {kMarketHoursBox, Kind::kCheck, "場中の決算予定時刻をハイライトする", K::StScheInMarketHighlight,
       {.group = kScheduleRules, .on = kSchedulePagesBox}},
      // Not stored: a run's schedule mode.
      {kRefetchSchedulesBox, Kind::kCheck, "全てを再取得する", kNoOption,
       {.group = kScheduleRules, .on = kSchedulePagesBox}, nullptr, kRefetchRules},
      {kSkipUnusedCodesBox, Kind::kCheck, "未使用と思われる銘柄番号は除く", kNoOption,
       {.group = kRefetchRules, .on = kSchedulePagesBox, .alsoOn = kRefetchSchedulesBox}, nullptr, kNoRuleGroup,
       true},
      {kRefetchFrame, Kind::kFrame, ""},
      {kScheduleFrame, Kind::kFrame, ""},
      {kEditPortfolioButton, Kind::kButton, "IDリストを編集", kNoOption, {.group = kWebRules, .off = kWebPortfolioBox},
       &M::EditPortfolio},
      {kWebPortfolioBox, Kind::kCheck, "ウェブから自動的に取得する", K::WebPortEnable, {}, nullptr, kWebRules},
      {kWebUrlLabel, Kind::kLabel, "URL"},
      {kWebUrlEdit, Kind::kScrollingEdit, "", K::WebPortUrl, {.group = kWebRules, .on = kWebPortfolioBox},
       &M::CommitText},
      {kPreWordBox, Kind::kCheck, "直前ワード", K::WebPortPreWordEnable, {.group = kWebRules, .on = kWebPortfolioBox},
       nullptr, kWebRules},
      {kPreWordEdit, Kind::kScrollingEdit, "", K::WebPortPreWord,
       {.group = kWebRules, .on = kWebPortfolioBox, .alsoOn = kPreWordBox}, &M::CommitText},
      {kWebFrame, Kind::kFrame, ""},
      {kPortfolioFrame, Kind::kFrame, "ポートフォリオ"},
      {kIgnoreListBox, Kind::kCheck, "無視リストを使用する", K::EnableIgnoreList, {}, nullptr, kEditButtonRules},
      {kEditIgnoreListButton, Kind::kButton, "編集", kNoOption, {.group = kEditButtonRules, .on = kIgnoreListBox},
       &M::EditIgnoreList},
      {kHideGreenSheetBox, Kind::kCheck, "グリーンシート銘柄", K::IgnoreGR},
      {kHideProMarketBox, Kind::kCheck, "TOKYO PRO MARKET銘柄", K::IgnoreAim},
      // Foreign stocks, REITs and ETFs are told apart by the company profile,
      // which comes with the full company names: without them these filters
      // cannot apply, and they go off.
      {kHideForeignBox, Kind::kCheck, "外国株", K::IgnoreForeign,
       {.group = kFullNameRules, .on = kFullNamesBox, .clearedWhenUnusable = true}},
      {kHideReitBox, Kind::kCheck, "REIT", K::IgnoreREIT,
       {.group = kFullNameRules, .on = kFullNamesBox, .clearedWhenUnusable = true}},
      {kHideEtfBox, Kind::kCheck, "ETF", K::IgnoreETF,
       {.group = kFullNameRules, .on = kFullNamesBox, .clearedWhenUnusable = true}},
      {kHideFrame, Kind::kFrame, "非表示"},
      {kLinkYahooBox, Kind::kCheck, "Yahoo!ファイナンス", K::HtmlInsertYahoo},
      {kLinkIfisBox, Kind::kCheck, "IFIS株予報", K::HtmlInsertIfis},
      {kLinkGmoBox, Kind::kCheck, "GMOクリック証券", K::HtmlInsertGMO, {}, nullptr, kGmoRules},
      {kGmoServerEdit, Kind::kEdit, "", K::GMOServer, {.group = kGmoRules, .on = kLinkGmoBox}, &M::CommitText},
      {kLinkKComBox, Kind::kCheck, "カブドットコム証券", K::HtmlInsertKCom},
      {kLinkSbiBox, Kind::kCheck, "SBI証券", K::HtmlInsertSBI},
      {kLinksFrame, Kind::kFrame, "クイックリンク"},
      {kMergeSameTimeBox, Kind::kCheck, "同時刻のテーブルは連結する", K::HtmlRowMergeTime},
      {kHighlightPortfolioBox, Kind::kCheck, "ポートフォリオ銘柄をハイライトする", K::InPortHighlight},
      {kAddMarketBox, Kind::kCheck, "上場市場を追加する", K::HtmlInsertMarket},
      {kAddIndustryBox, Kind::kCheck, "業種を追加する", K::HtmlInsertIndustry},
      {kTableFrame, Kind::kFrame, "テーブルの設定"},
      {kFullNamesBox, Kind::kCheck, "会社名をフルネームにする", K::UseFullConame, {}, nullptr, kFullNameRules},
      {kDetailedMarketBox, Kind::kCheck, "上場市場を詳細にする", K::UseDetailMarket,
       {.group = kFullNameRules, .on = kFullNamesBox, .clearedWhenUnusable = true}},
      // Not stored: a run deletes the company files first.
      {kRefetchNamesBox, Kind::kCheck, "全てを再取得する", kNoOption, {.group = kFullNameRules, .on = kFullNamesBox}},
      {kNamesFrame, Kind::kFrame, ""},
      {kCommonFrame, Kind::kFrame, "共通オプション"},
      {kHtmlPathButton, Kind::kButton, "html保存パスの指定", kNoOption, {}, &M::ChooseHtmlPath},
      {kXlsPathButton, Kind::kButton, "xlsチェックパスの指定", kNoOption, {}, &M::ChooseXlsPath},
      {kRunButton, Kind::kDefaultButton, "実行", kNoOption, {}, &M::PressRun},
      {kCancelButton, Kind::kButton, "キャンセル", kNoOption, {.group = kCancelRules, .never = true}, &M::PressCancel},
      {kAtomFeedBox, Kind::kCheck, "まとめ html の Atom フィードを作る", K::EnableAtomFeed},
      {kOpenOutputButton, Kind::kButton, "出力先を開く", kNoOption, {}, &M::OpenOutputDirectory},
      // Whose documents a run keeps in the archive: none, the portfolio's, and
      // the spreadsheet companies' too.
      {kArchiveGroup, Kind::kRadio, "しない\nポートフォリオ\n＋xls確認", K::ArchivePdf},
      {kArchiveXbrlBox, Kind::kCheck, "XBRL も保存する", K::ArchiveXbrl},
      {kArchiveFrame, Kind::kFrame, "資料(PDF)の保存"},
  };
  return kRows;
}

const ControlRow& MainWindow::Row(int number) { return Table()[static_cast<size_t>(number - 1)]; }

const ControlRow* MainWindow::RowOf(OptionKey key) {
  for (const ControlRow& row : Table()) {
    if (row.key == key) return &row;
  }
  return nullptr;
}
