// The download and the raw store under faults of the service, the disk and the
// user: no day is kept unless it is whole, no failed day is silent, no run
// writes where it must not.
#include <gtest/gtest.h>

#include "pages/frame.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/process.h"
#include "settings/options.h"
#include "work/steps.h"
#include "work/testing.h"

namespace {

const std::vector<ListRow> kOneRow = {{u8"10:00", u8"99840", u8"ソフトバンク", u8"お知らせ", u8"東"}};

TEST_F(PipelineTest, AFailedDayIsReportedAndFetchedAgainSinceTheLastDownload) {
  SetEnvironment("VELKORA_TODAY", "20240410");
  for (uint32_t day : {20240409u, 20240410u}) Serve(day, 1, ListPage(day, 1, kOneRow));
  for (int status : {403, 429, 500, 503}) {
    Options().SetText(OptionKey::TdnetBaseUrl, FixtureUrl() + FormatString("/fail/%d/inbs/", status));
    MessageRecorder messages;
    home_->Run(20240409, 20240410);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{
                                    FormatString("20240409 の一覧のダウンロードに失敗 (HTTP %d)", status),
                                    FormatString("20240410 の一覧のダウンロードに失敗 (HTTP %d)", status)}));
    EXPECT_FALSE(TestPathExists(home_->Output("Raw/20240409.html")));
    // The next "since the last download" run starts before the first failed day.
    EXPECT_EQ(Options().Text(OptionKey::LastDownload), "20240408");
  }
  Options().SetText(OptionKey::TdnetBaseUrl, base_);
  uint32_t first = 0, last = 0;
  PeriodOfType(0, first, last);
  EXPECT_EQ(first, 20240408u);
  MessageRecorder messages;
  home_->Run(first, last);
  EXPECT_EQ(Raw(20240409), PageHeaderText() + RowLine("1000", "9984", "ソフトバンク", "東", "お知らせ") + PageFooterText());
  EXPECT_EQ(Options().Text(OptionKey::LastDownload), "20240410");
}

// A list service that does not answer costs the day, reported once as the
// failed request and once as the day (the read of a request that never opened
// is not reported a second time).
TEST(DownloadFaults, AListServiceThatDoesNotAnswerIsReportedOncePerDay) {
  PipelineHome home;  // its list address is a closed port
  MessageRecorder messages;
  home.Run(20240412, 20240412);
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"InternetOpenUrl に失敗<http://127.0.0.1:9/inbs/I_list_001_20240412.html>",
                                                       "20240412 の一覧のダウンロードに失敗 (応答がありません)"}));
  EXPECT_FALSE(TestPathExists(home.Output("Raw/20240412.html")));
}

TEST_F(PipelineTest, AnAnswerThatIsNotAListPageFailsTheDay) {
  struct Case {
    const char* name;
    std::string page1, page2;
  } cases[] = {
      {"maintenance", "<html><body><p>" + Utf8(u8"ただいまメンテナンス中です") + "</p></body></html>", ""},
      {"garbage", std::string("\x89PNG\r\n\x1a\n\0\0garbage", 16), ""},
      {"empty body", "", ""},
      {"second page cut", ListPage(20240412, 2, kOneRow), "<html><body><div id=\"kaiji-text-1\">"},
  };
  for (const Case& c : cases) {
    Serve(20240412, 1, c.page1);
    if (!c.page2.empty()) Serve(20240412, 2, c.page2);
    MessageRecorder messages;
    home_->Run(20240412, 20240412);
    EXPECT_FALSE(TestPathExists(home_->Output("Raw/20240412.html"))) << c.name;
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"20240412 の一覧のダウンロードに失敗 (一覧のページではありません)"})
        << c.name;
  }
  // A real day without disclosures is kept, as an empty day.
  Serve(20240412, 1, EmptyListPage(20240412));
  MessageRecorder messages;
  home_->Run(20240412, 20240412);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(Raw(20240412), "");
}

TEST_F(PipelineTest, TheRowsFoundMustReachTheStatedTotal) {
  std::vector<ListRow> rows = {{u8"10:00", u8"99840", u8"ソフトバンク", u8"お知らせ", u8"東"},
                               {u8"10:30", u8"9984", u8"four digits", u8"dropped but counted", u8"東"}};
  Serve(20240411, 1, ListPage(20240411, 1, rows, 3));
  Serve(20240412, 1, ListPage(20240412, 1, rows, 2));
  MessageRecorder messages;
  home_->Run(20240411, 20240412);
  EXPECT_FALSE(TestPathExists(home_->Output("Raw/20240411.html")));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"20240411 の一覧のダウンロードに失敗 (全3件のうち2件)"});
  EXPECT_EQ(Raw(20240412), PageHeaderText() + RowLine("1000", "9984", "ソフトバンク", "東", "お知らせ") + PageFooterText());
}

TEST_F(PipelineTest, ALargePageIsReadWholeAndAHugeOneFails) {
  // 600 rows with long titles: about 500 KB, more than one read buffer.
  std::vector<ListRow> rows;
  std::u8string title = u8"長い表題";
  while (title.size() < 600) title += u8"。お知らせ";
  for (int i = 0; i < 600; ++i) rows.push_back({u8"10:00", u8"99840", u8"ソフトバンク", title, u8"東"});
  std::string page = ListPage(20240411, 1, rows);
  ASSERT_GT(page.size(), 204800u * 2);
  Serve(20240411, 1, page);
  std::string huge = ListPage(20240412, 1, kOneRow);
  huge.insert(huge.find("</body>"), "<!--" + std::string(9u << 20, 'x') + "-->");
  Serve(20240412, 1, huge);
  MessageRecorder messages;
  home_->Run(20240411, 20240412);
  std::string raw = Raw(20240411);
  size_t count = 0;
  for (size_t at = raw.find("<tr>"); at != std::string::npos; at = raw.find("<tr>", at + 1)) ++count;
  EXPECT_EQ(count, 600u);
  EXPECT_FALSE(TestPathExists(home_->Output("Raw/20240412.html")));
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"html サイズがバッファより大きい",
                                                        "20240412 の一覧のダウンロードに失敗 (ページが大きすぎます)"}));
}

TEST_F(PipelineTest, DaysTheServiceNoLongerHasAreNotRequested) {
  // Today is 2024-04-15: the service still has the lists from 2024-03-01 on.
  Serve(20240301, 1, ListPage(20240301, 1, kOneRow));
  Options().SetInt(OptionKey::DebugLogLevel, 2);
  MessageRecorder messages;
  long before = FixtureRequestCount();
  std::string log = home_->Run(20240101, 20240301);
  EXPECT_EQ(FixtureRequestCount() - before, 1);
  EXPECT_NE(log.find("skip old days(20240101-20240229)\n"), std::string::npos);
  EXPECT_EQ(log.find("download TDNet html(20240229"), std::string::npos);
  EXPECT_TRUE(TestPathExists(home_->Output("Raw/20240301.html")));
  EXPECT_FALSE(TestPathExists(home_->Output("Raw/20240229.html")));
  // A period wholly before them requests nothing and stores nothing.
  before = FixtureRequestCount();
  home_->Run(19000101, 20240101);
  EXPECT_EQ(FixtureRequestCount() - before, 0);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(PipelineTest, ASecondRunOnTheSameOutputDirectoryIsRefused) {
  Serve(20240412, 1, ListPage(20240412, 1, kOneRow));
  RecordingObserver observer;
  UserLists lists;
  WorkController other(observer, lists);
  ASSERT_TRUE(home_->controller.StartRun(20240412, 20240412, 0, false));
  {
    MessageRecorder messages;
    EXPECT_FALSE(other.StartRun(20240412, 20240412, 0, false));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"出力先<" + home_->Home() +
                                                         "out>は別の実行が使用中です。その実行が終わってから実行して下さい"});
  }
  while (home_->controller.OnIdle()) {
  }
  // Once the first run has ended, the directory is free again.
  EXPECT_TRUE(other.StartRun(20240412, 20240412, 0, false));
  other.CancelWorkTask();
  // An output directory where the lock cannot be made is refused as well.
  FileEntry(home_->Output("_run.lock").c_str()).Delete();
  WriteTestFile(home_->Output("_run.lock/x"), "");
  MessageRecorder messages;
  EXPECT_FALSE(other.StartRun(20240412, 20240412, 0, false));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"出力先<" + home_->Home() + "out>に書き込めません"});
}

TEST_F(PipelineTest, AnEmptyStyleSheetIsWrittenAgainAndStaleTemporariesGo) {
  WriteTestFile(home_->Output("_default.css"), "");
  // Left by killed runs: old ones go, as do the parts of raw days and the
  // temporaries of a process that is gone; a recent one of a running writer
  // (this process stands in for it) and a file of the user's stay.
  std::string running = FormatString("All/20240102.html.tmp%u_1", CurrentProcessId());
  for (const char* name : {"All/20240101.html.tmp4242_0", "_coprof.dat.tmp17_3", "Raw/20240101.html.part",
                           "All/notes.tmp", "Raw/20240412.html.part", "Port/20240103.html.tmp4000000_2"})
    WriteTestFile(home_->Output(name), "x");
  WriteTestFile(home_->Output(running), "x");
  for (const char* name : {"All/20240101.html.tmp4242_0", "_coprof.dat.tmp17_3", "Raw/20240101.html.part", "All/notes.tmp"})
    SetLastWriteTime(home_->Output(name), 2024, 1, 1, 12);
  WriteTestFile(home_->Home() + "VelkoraOption.ini.tmp99_0", "x");
  SetLastWriteTime(home_->Home() + "VelkoraOption.ini.tmp99_0", 2024, 1, 1, 12);
  MessageRecorder messages;
  home_->Run(20240412, 20240412);
  EXPECT_EQ(ReadTestFile(home_->Output("_default.css")), DefaultStyleSheet());
  for (const char* gone : {"All/20240101.html.tmp4242_0", "_coprof.dat.tmp17_3", "Raw/20240101.html.part",
                           "Raw/20240412.html.part", "Port/20240103.html.tmp4000000_2"})
    EXPECT_FALSE(TestPathExists(home_->Output(gone))) << gone;
  EXPECT_FALSE(TestPathExists(home_->Home() + "VelkoraOption.ini.tmp99_0"));
  EXPECT_TRUE(TestPathExists(home_->Output(running)));
  EXPECT_TRUE(TestPathExists(home_->Output("All/notes.tmp")));
}

}  // namespace
