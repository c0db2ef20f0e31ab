// The pipeline against the loopback fixture server: TDnet list pages written by
// the test into the server's root, downloaded, extracted and converted.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "pages/frame.h"
#include "platform/diagnostics.h"
#include "platform/dates.h"
#include "settings/options.h"
#include "work/steps.h"
#include "work/testing.h"

namespace {

TEST_F(PipelineTest, RawDayFilesHoldHeaderRowsAndFooter) {
  std::string page = ListPage(20240327, 1,
                              {{u8"15:00", u8"72030", u8"トヨタ自動車", u8"2024年3月期決算短信", u8"東名"},
                               {u8"09:05", u8"13010", u8"極 洋", u8"月次 売上高 のお知らせ", u8"東"}});
  // A clock in the page header stands before the first row.
  page.insert(page.find("<table id=\"main-list-table\">"), "<p>" + Utf8(u8"更新 08:30") + "</p>\n");
  Serve(20240327, 1, page);
  Serve(20240328, 1, EmptyListPage(20240328));
  // 20240329 is not served: the service has no such page (404), an empty day.
  MessageRecorder messages;
  home_->Run(20240327, 20240329);
  EXPECT_TRUE(messages.messages.empty()) << messages.messages[0].text;
  std::string expected = PageHeaderText() + RowLine("1500", "7203", "トヨタ自動車", "東", "2024年3月期決算短信") +
                         RowLine("0905", "1301", "極 洋", "東", "月次 売上高 のお知らせ") + PageFooterText();
  EXPECT_EQ(Raw(20240327), expected);
  EXPECT_EQ(Raw(20240328), "");
  EXPECT_EQ(Raw(20240329), "");
  // The views: All holds both rows, written by the markup writer.
  std::string all = ReadTestFile(home_->Output("All/20240327.html"));
  EXPECT_NE(all.find("2024年3月期決算短信"), std::string::npos);
  EXPECT_NE(all.find("月次 売上高 のお知らせ"), std::string::npos);
  EXPECT_EQ(all.rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n\n", 0), 0u);
}

// Names and titles reach the raw day whole: every word, one blank where the page
// had blanks or a line break, none where the pieces touch, and the characters
// that Shift_JIS users expect for the wave dash, the minus sign and the like.
TEST_F(PipelineTest, RawDaysKeepEveryWordAndCharacterOfNamesAndTitles) {
  Serve(20240410, 1,
        ListPage(20240410, 1,
                 {{u8"15:00", u8"41120", u8"アオバ\n  ケミカル", u8"Notice Concerning Dividends of Surplus", u8"東"},
                  {u8"15:30", u8"30010", u8"M&amp;A 総研", u8"2024年2月度 月次販売実績 (15:00 公表)", u8"東"},
                  {u8"16:00", u8"99990", u8"〜−—‖", u8"¥100 ‾ ¢ £ ¬ é", u8"東"}}));
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  std::string name3 = "\x81\x60\x81\x7C\x81\x5C\x81\x61";
  std::string title3 = "\x5C" "100 \x7E \x81\x91 \x81\x92 \x81\xCA ?";
  std::string rows = RowLine("1500", "4112", "アオバ ケミカル", "東", "Notice Concerning Dividends of Surplus") +
                     RowLine("1530", "3001", "M&amp;A 総研", "東", "2024年2月度 月次販売実績 (15:00 公表)") +
                     RowLine("1600", "9999", name3.c_str(), "東", title3.c_str());
  EXPECT_EQ(Raw(20240410), PageHeaderText() + rows + PageFooterText());
  std::string all = ReadTestFile(home_->Output("All/20240410.html"));
  for (const std::string& text : {std::string("アオバ ケミカル"), std::string("Notice Concerning Dividends of Surplus"),
                                  std::string("M&amp;A 総研"), std::string("2024年2月度 月次販売実績 (15:00 公表)"),
                                  name3, title3})
    EXPECT_NE(all.find(text), std::string::npos) << text;
}

TEST_F(PipelineTest, ThreePageDayIsOneFileAndAMissingNamedPageKeepsNothing) {
  std::vector<ListRow> rows = {{u8"10:00", u8"99840", u8"ソフトバンクグループ", u8"お知らせ", u8"東"}};
  for (int page = 1; page <= 3; ++page) Serve(20240401, page, ListPage(20240401, 3, rows));
  // Page 3 of the 2nd is named by page 2 but answers 404: the day is not whole.
  for (int page = 1; page <= 2; ++page) Serve(20240402, page, ListPage(20240402, 3, rows));
  MessageRecorder messages;
  Options().SetInt(OptionKey::DebugLogLevel, 2);
  std::string log = home_->Run(20240401, 20240402);
  std::string row = RowLine("1000", "9984", "ソフトバンクグループ", "東", "お知らせ");
  EXPECT_EQ(Raw(20240401), PageHeaderText() + row + row + row + PageFooterText());
  EXPECT_FALSE(TestPathExists(home_->Output("Raw/20240402.html")));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"20240402 の一覧のダウンロードに失敗 (HTTP 404)"});
  int downloads = 0;
  for (size_t at = log.find("download TDNet html(20240401"); at != std::string::npos;
       at = log.find("download TDNet html(20240401", at + 1))
    ++downloads;
  EXPECT_EQ(downloads, 3);
}

TEST_F(PipelineTest, FailedPagesLeaveThePreviousRawDayAlone) {
  // An old, incomplete raw day (written before its day) is fetched again; the
  // service answers 500, so the old file stays and nothing half-written appears.
  WriteTestFile(home_->Output("Raw/20240403.html"), "old");
  std::filesystem::last_write_time(home_->Output("Raw/20240403.html"),
                                   std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 4));
  Serve(20240403, 1, ListPage(20240403, 1, {{u8"10:00", u8"99840", u8"ソフトバンク", u8"お知らせ", u8"東"}}));
  Options().SetText(OptionKey::TdnetBaseUrl, FixtureUrl() + "/fail/500/inbs/");
  MessageRecorder messages;
  home_->Run(20240403, 20240403);
  EXPECT_EQ(Raw(20240403), "old");
  EXPECT_FALSE(TestPathExists(home_->Output("Raw/20240403.html.part")));
  // The service answers again: the day is fetched and replaces the old file.
  Options().SetText(OptionKey::TdnetBaseUrl, base_);
  home_->Run(20240403, 20240403);
  EXPECT_EQ(Raw(20240403), PageHeaderText() + RowLine("1000", "9984", "ソフトバンク", "東", "お知らせ") + PageFooterText());
}

TEST_F(PipelineTest, RowsThatDoNotParseAreReadAsText) {
  // A corrected row (new title, a line break, the old title struck out) and a
  // four-digit code cell: the first goes through the text method, the second is
  // dropped.
  std::string page = ListPage(20240404, 1, {{u8"09:05", u8"45680", u8"ミドリ 製薬", u8"NEW", u8"東"},
                                            {u8"10:10", u8"4568", u8"ミドリ製薬", u8"dropped", u8"東"}});
  size_t title = page.find(">NEW</a>");
  ASSERT_NE(title, std::string::npos);
  page.replace(title, 8, ">" + Utf8(u8"訂正 後") + "</a><BR><s>" + Utf8(u8"訂正前") + "</s></a>");
  Serve(20240404, 1, page);
  MessageRecorder messages;
  home_->Run(20240404, 20240404);
  EXPECT_EQ(Raw(20240404), PageHeaderText() + RowLine("0905", "4568", "ミドリ製薬", "？", "訂正後") + PageFooterText());
}

// A row's XBRL link is one more cell of its raw line (both methods); a row
// without one, or with a link that is no http(s) address, is written as before;
// the views and company pages never show the cell.
TEST_F(PipelineTest, XbrlLinksStayInTheRawDayOnly) {
  ListRow withXbrl{u8"15:00", u8"72030", u8"トヨタ自動車", u8"決算短信", u8"東", u8"140120240327500003.pdf",
                   u8"081220240327500003.zip"};
  ListRow without{u8"14:00", u8"13010", u8"極洋", u8"お知らせ", u8"東", u8"140120240327500002.pdf"};
  ListRow hostile{u8"13:00", u8"45680", u8"ミドリ製薬", u8"月次", u8"東", u8"140120240327500001.pdf",
                  u8"javascript:alert(1)"};
  ListRow asText{u8"12:00", u8"99840", u8"ソフト", u8"NEW", u8"東", u8"140120240327500000.pdf",
                 u8"081220240327500000.zip"};
  std::string page = ListPage(20240327, 1, {withXbrl, without, hostile, asText});
  size_t title = page.find(">NEW</a>");
  ASSERT_NE(title, std::string::npos);
  page.replace(title, 8, ">" + Utf8(u8"訂正") + "</a><BR><s>old</s></a>");  // read by the text method
  Serve(20240327, 1, page);
  Options().SetFlag(OptionKey::EnableHtmlTicker, true);
  MessageRecorder messages;
  home_->Run(20240327, 20240327);
  auto withCell = [&](std::string line, const char* zip) {
    line.insert(line.size() - 6, FormatString("<td id=\"xbrl\"><a href=\"%s%s\">XBRL</a></td>", base_.c_str(), zip));
    return line;
  };
  std::string expected =
      PageHeaderText() +
      withCell(RowLine("1500", "7203", "トヨタ自動車", "東", "決算短信", "140120240327500003.pdf"),
               "081220240327500003.zip") +
      RowLine("1400", "1301", "極洋", "東", "お知らせ", "140120240327500002.pdf") +
      RowLine("1300", "4568", "ミドリ製薬", "東", "月次", "140120240327500001.pdf") +
      withCell(RowLine("1200", "9984", "ソフト", "？", "訂正", "140120240327500000.pdf"), "081220240327500000.zip") +
      PageFooterText();
  EXPECT_EQ(Raw(20240327), expected);
  for (const char* file : {"All/20240327.html", "Indiv/7203.html"}) {
    std::string text = ReadTestFile(home_->Output(file));
    EXPECT_NE(text.find("500003.pdf"), std::string::npos) << file;
    EXPECT_EQ(text.find("xbrl"), std::string::npos) << file;
    EXPECT_EQ(text.find(".zip"), std::string::npos) << file;
  }
}

TEST_F(PipelineTest, IgnoredCompaniesLeaveEveryView) {
  Serve(20240405, 1,
        ListPage(20240405, 1,
                 {{u8"15:00", u8"72030", u8"トヨタ", u8"お知らせ", u8"東"},
                  {u8"14:00", u8"67580", u8"ソニー", u8"お知らせ", u8"東"}}));
  WriteTestFile(home_->Home() + "xls/7203.xls", "");
  WriteTestFile(home_->Home() + "xls/6758.xls", "");
  Options().SetText(OptionKey::XlsCheckDir, home_->Home() + "xls");
  Options().SetFlag(OptionKey::EnableHtmlPort, true);
  Options().SetFlag(OptionKey::EnableHtmlXls, true);
  Options().SetText(OptionKey::PortList, "7203, 6758");
  Options().SetFlag(OptionKey::EnableIgnoreList, true);
  Options().SetText(OptionKey::IgnoreList, "6758");
  MessageRecorder messages;
  home_->Run(20240405, 20240405);
  EXPECT_NE(Raw(20240405).find("ソニー"), std::string::npos);  // the raw store keeps everything
  for (const char* view : {"All", "Port", "Xls"}) {
    std::string page = ReadTestFile(home_->Output(FormatString("%s/20240405.html", view)));
    EXPECT_NE(page.find("トヨタ"), std::string::npos) << view;
    EXPECT_EQ(page.find("ソニー"), std::string::npos) << view;
  }
}

TEST_F(PipelineTest, MissingNameFileSendsEveryDayThroughThePass) {
  Serve(20240408, 1, ListPage(20240408, 1, {{u8"15:00", u8"72030", u8"トヨタ", u8"お知らせ", u8"東"}}));
  MessageRecorder messages;
  home_->Run(20240408, 20240408);
  // A view newer than its raw day is left alone. (File systems stamp writes with
  // a coarse clock, so the raw day is made clearly older first.)
  std::string raw = home_->Output("Raw/20240408.html");
  std::filesystem::last_write_time(raw, std::filesystem::last_write_time(raw) - std::filesystem::file_time_type::duration(
                                                                                   3600LL * 1000000000LL));
  Options().SetInt(OptionKey::DebugLogLevel, 2);
  Options().SetFlag(OptionKey::IgnoreETF, false);  // no company profile, so no names either
  EXPECT_EQ(home_->Run(20240408, 20240408).find("filtering raw html(20240408)"), std::string::npos);
  // With full names wanted and no name file, the day is still read so that its
  // companies get their names requested.
  Options().SetFlag(OptionKey::UseFullConame, true);
  EXPECT_NE(home_->Run(20240408, 20240408).find("filtering raw html(20240408)"), std::string::npos);
  std::string names = ReadTestFile(home_->Output("_coname.txt"));
  EXPECT_EQ(std::count(names.begin(), names.end(), '\n'), 9000);
  size_t line = 7203 - 1001;
  size_t at = 0;
  for (size_t i = 0; i < line; ++i) at = names.find('\n', at) + 1;
  EXPECT_EQ(names.substr(at, 2), "*\n");
}

TEST_F(PipelineTest, SkipDecisionsOnTheNextRun) {
  std::vector<ListRow> rows = {{u8"10:00", u8"99840", u8"ソフトバンク", u8"お知らせ", u8"東"}};
  uint32_t today = TodayDate();
  for (uint32_t day : {20240328u, 20240329u, today}) Serve(day, 1, ListPage(day, 1, rows));
  MessageRecorder messages;
  Options().SetInt(OptionKey::DebugLogLevel, 2);
  home_->Run(20240328, 20240329);
  home_->Run(today, today);
  // A raw day last written on its own day was fetched during that day: again.
  // One written on a later day is complete and kept.
  SetLastWriteTime(home_->Output("Raw/20240328.html"), 2024, 3, 28, 18);
  SetLastWriteTime(home_->Output("Raw/20240329.html"), 2024, 3, 30, 9);
  std::string log = home_->Run(20240328, 20240329);
  EXPECT_NE(log.find("download TDNet html(20240328, 1)"), std::string::npos);
  EXPECT_EQ(log.find("download TDNet html(20240329, 1)"), std::string::npos);
  // Today's list, written today, is fetched again.
  SetLastWriteTime(home_->Output(FormatString("Raw/%u.html", today)), DateYear(today), DateMonth(today), DateDay(today), 10);
  log = home_->Run(today, today);
  EXPECT_NE(log.find(FormatString("download TDNet html(%u, 1)", today)), std::string::npos);
}

TEST_F(PipelineTest, WhichViewsAreBuilt) {
  std::vector<ListRow> rows = {{u8"10:00", u8"99840", u8"ソフトバンク", u8"お知らせ", u8"東"}};
  Serve(20240329, 1, ListPage(20240329, 1, rows));
  Serve(20240330, 1, ListPage(20240330, 1, rows));
  MessageRecorder messages;
  home_->Run(20240330, 20240330);  // the raw day of the 30th, for the next run
  std::filesystem::remove_all(home_->Output("All"));
  Options().SetFlag(OptionKey::EnableHtmlPort, true);  // but no portfolio list
  home_->Run(20240329, 20240329);
  // The day after the end is converted too when its raw day exists.
  EXPECT_TRUE(TestPathExists(home_->Output("All/20240329.html")));
  EXPECT_TRUE(TestPathExists(home_->Output("All/20240330.html")));
  EXPECT_FALSE(TestPathExists(home_->Output("Port")));
  // A view with the same last-write time as its raw day is rebuilt; a newer one
  // is left alone.
  std::string raw = home_->Output("Raw/20240329.html"), view = home_->Output("All/20240329.html");
  std::filesystem::last_write_time(view, std::filesystem::last_write_time(raw));
  WriteTestFile(home_->Output("All/20240330.html"), "newer");
  Options().SetInt(OptionKey::DebugLogLevel, 2);
  std::string log = home_->Run(20240329, 20240329);
  EXPECT_NE(ReadTestFile(view).find("ソフトバンク"), std::string::npos);
  EXPECT_NE(log.find("filtering raw html(20240329)"), std::string::npos);
  EXPECT_EQ(ReadTestFile(home_->Output("All/20240330.html")), "newer");
}

TEST_F(PipelineTest, CodesOfTenThousandAndAboveNeverReachBeforeTheProfile) {
  // "10000".."10009" give ticker 1000, which has no table entry: the row is
  // written, but no profile byte (here the Ｐ－ rule's 0x15) is touched.
  Serve(20240412, 1, ListPage(20240412, 1, {{u8"10:00", u8"10005", u8"Ｐ－テスト", u8"お知らせ", u8"東"},
                                            {u8"11:00", u8"99990", u8"Ｐ－最後", u8"お知らせ", u8"東"}}));
  MessageRecorder messages;
  home_->Run(20240412, 20240412);
  EXPECT_EQ(Raw(20240412), PageHeaderText() + RowLine("1000", "1000", "Ｐ－テスト", "東", "お知らせ") +
                               RowLine("1100", "9999", "Ｐ－最後", "東", "お知らせ") + PageFooterText());
  std::string profile = ReadTestFile(home_->Output("_coprof.dat"));
  ASSERT_EQ(profile.size(), 36000u);
  EXPECT_EQ(profile[(9999 - 1001) * 4], 0x15);
  EXPECT_EQ(std::count(profile.begin(), profile.end(), '\0'), 35999);
}

// A run keeps the settings it started with: the option file edited as the run
// goes (another log level, views, output directory, list address, period)
// changes nothing of it, and a list saved meanwhile, which would remove views
// under it, is refused. Its status keys are written at once.
TEST_F(PipelineTest, ARunKeepsTheSettingsItStartedWithAndAListIsNotSavedUnderIt) {
  Serve(20240410, 1, ListPage(20240410, 1, {{u8"10:00", u8"72030", u8"トヨタ自動車", u8"お知らせ", u8"東"}}));
  Options().SetInt(OptionKey::DebugLogLevel, 2);
  for (OptionKey page : {OptionKey::EnableHtmlAll, OptionKey::EnableHtmlPort, OptionKey::HtmlInsertMarket})
    Options().SetFlag(page, true);
  Options().SetText(OptionKey::PortList, "7203");
  Options().SetInt(OptionKey::PeriodSt, 20240410);
  ASSERT_TRUE(home_->controller.StartRun(20240410, 20240410, 0, false));
  Options().SetInt(OptionKey::DebugLogLevel, 0);
  Options().SetFlag(OptionKey::EnableHtmlAll, false);
  Options().SetFlag(OptionKey::HtmlInsertMarket, false);
  Options().SetText(OptionKey::TdnetBaseUrl, "http://127.0.0.1:9/inbs/");
  Options().SetInt(OptionKey::PeriodSt, 20240411);
  MessageRecorder messages;
  home_->controller.OnIdle();  // the run's preparation
  UserLists lists;
  EXPECT_FALSE(SavePortfolioList(Options(), lists, "1301"));
  EXPECT_EQ(Options().Text(OptionKey::PortList), "7203");
  Options().SetText(OptionKey::HtmlDataDir, home_->Home() + "elsewhere");
  while (home_->controller.OnIdle()) {
  }
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"出力先<" + home_->Home() + "out>は別の実行が使用中です。"
                                                       "その実行が終わってから保存して下さい"});
  EXPECT_NE(ReadTestFile(home_->Home() + "DebugLog.txt").find("download TDNet html(20240410, 1)"), std::string::npos);
  for (const char* page : {"Raw/20240410.html", "All/20240410.html", "Port/20240410.html", "All.html", "Port.html"})
    EXPECT_TRUE(TestPathExists(home_->Output(page))) << page;
  EXPECT_NE(ReadTestFile(home_->Output("All.html")).find("id=\"market\""), std::string::npos);
  EXPECT_EQ(Options().Int(OptionKey::LastHtmlInertMarket), 1);  // what the pages were built with
  // Once the run is over, the list is saved and the views it changes go.
  Options().SetText(OptionKey::HtmlDataDir, home_->Home() + "out");
  EXPECT_TRUE(SavePortfolioList(Options(), lists, "1301"));
  EXPECT_FALSE(TestPathExists(home_->Output("Port")));
  EXPECT_TRUE(TestPathExists(home_->Output("All")));
}

TEST(TdnetList, PageNames) {
  EXPECT_EQ(TdnetListPageName(1, 20240329), "I_list_001_20240329.html");
  EXPECT_EQ(TdnetListPageName(12, 20240329), "I_list_012_20240329.html");
}

}  // namespace
