#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/dates.h"
#include "work/testing.h"

namespace {

const char kOneRunLog[] =
    "----- start -----\n"
    "- workStep(2)\n"
    "- workStep(3-5)\n"
    "- workStep(8)\n"
    "- workStep(9)\n"
    "- workStep(10)\n"
    "- workStep(12)\n"
    "- workStep(13)\n"
    "- workStep(14)\n"
    "- workStep(15)\n"
    "- workStep(19)\n"
    "----- finish -----\n";

TEST(Progress, TextsOfEveryCode) {
  EXPECT_EQ(ProgressText(-1, -1, -1), "----");
  EXPECT_EQ(ProgressText(-2, 3, 10), "会社名を取得中 (3/10)");
  EXPECT_EQ(ProgressText(-6, 1, 2), "決算スケジュールを取得中 (1/2)");
  EXPECT_EQ(ProgressText(-11, -1, -1), "ポートフォリオを取得中");
  EXPECT_EQ(ProgressText(20240329, 2, -1), "20240329 (2) の開示をダウンロード");
  EXPECT_EQ(ProgressText(20240329, -1, -1), "20240329 の開示を抽出中");
}

// A hand-edited LastDownload that is no day, of any size, starts the period
// today instead of ending the program.
TEST(WorkTask, PeriodSinceAnUnreadableLastDownloadStartsToday) {
  PipelineHome home;
  uint32_t first = 0, last = 0;
  for (const char* text : {"99999999999999999999", "4294967296", "20241399", "2024", "abc", ""}) {
    Options().SetText(OptionKey::LastDownload, text);
    PeriodOfType(0, first, last);
    EXPECT_EQ(first, TodayDate()) << text;
    EXPECT_EQ(last, TodayDate()) << text;
  }
  Options().SetText(OptionKey::LastDownload, "20240401");
  PeriodOfType(0, first, last);
  EXPECT_EQ(first, 20240401u);
  Options().SetText(OptionKey::PeriodSt, "99999999999999999999");
  Options().SetText(OptionKey::PeriodEd, "20240410");
  PeriodOfType(3, first, last);
  EXPECT_EQ(first, 20010101u);
  EXPECT_EQ(last, 20240410u);
}

TEST(WorkTask, OneDayRunLogsTheStepLinesOnly) {
  PipelineHome home;
  Options().SetInt(OptionKey::DebugLogLevel, 1);
  MessageRecorder messages;
  EXPECT_EQ(home.Run(20240329, 20240329), kOneRunLog);
  EXPECT_EQ(home.observer.started, 1);
  EXPECT_EQ(home.observer.finished, 1);
  EXPECT_EQ(home.observer.texts.front(), "20240329 (1) の開示をダウンロード");
  EXPECT_EQ(home.observer.texts.back(), "----");
  // The download failed, was reported once per page, and no raw day was kept.
  ASSERT_FALSE(messages.messages.empty());
  EXPECT_NE(messages.messages[0].text.find("InternetOpenUrl に失敗<http://127.0.0.1:9/inbs/I_list_001_20240329.html>"),
            std::string::npos);
  EXPECT_FALSE(TestPathExists(home.Output("Raw/20240329.html")));
}

TEST(WorkTask, MultiDayRunLogsTheDateLoopOnce) {
  PipelineHome home;
  Options().SetInt(OptionKey::DebugLogLevel, 1);
  MessageRecorder messages;
  EXPECT_EQ(home.Run(20240327, 20240329), kOneRunLog);
  int downloads = 0;
  for (const std::string& text : home.observer.texts) downloads += text.find("ダウンロード") != std::string::npos;
  EXPECT_EQ(downloads, 3);
}

TEST(WorkTask, WebPortfolioStepAndDetailLines) {
  PipelineHome home;
  Options().SetInt(OptionKey::DebugLogLevel, 2);
  Options().SetFlag(OptionKey::WebPortEnable, true);
  Options().SetText(OptionKey::WebPortUrl, "http://127.0.0.1:9/port.html");
  MessageRecorder messages;
  std::string log = home.Run(20240329, 20240329);
  std::string steps;
  for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
    if (log.compare(at, 2, "- ") == 0) steps += log.substr(at, end + 1 - at);
  EXPECT_EQ(steps.rfind("- workStep(1)\n- workStep(2)\n- workStep(3-5)\n- workStep(8)\n", 0), 0u) << log;
  EXPECT_NE(log.find("make _coname.txt first\n"), std::string::npos);
  EXPECT_NE(log.find("download TDNet html(20240329, 1)\n"), std::string::npos);
  EXPECT_NE(log.find("make All.html\n"), std::string::npos);
  EXPECT_EQ(home.observer.texts.front(), "ポートフォリオを取得中");
}

TEST(WorkTask, NoDebugLogAtLevelZeroAndTheStyleSheetIsWritten) {
  PipelineHome home;
  MessageRecorder messages;
  EXPECT_EQ(home.Run(20240329, 20240329), "");
  EXPECT_FALSE(TestPathExists(home.Home() + "DebugLog.txt"));
  EXPECT_EQ(ReadTestFile(home.Output("_default.css")).size(), 1017u);
}

TEST(WorkTask, MissingOutputDirectoryIsReportedAndTheRunFinishes) {
  PipelineHome home;
  Options().SetText(OptionKey::HtmlDataDir, home.Home() + "missing");
  MessageRecorder messages;
  home.Run(20240329, 20240329);
  ASSERT_FALSE(messages.messages.empty());
  EXPECT_EQ(messages.messages[0].text, "html保存パスの<" + home.Home() + "missing>は存在しません");
  EXPECT_EQ(home.observer.finished, 1);
}

TEST(WorkTask, LastDownloadIsWrittenOnlyWhenTheRunEndsToday) {
  SetEnvironment("VELKORA_TODAY", "20240329");
  {
    PipelineHome home;
    MessageRecorder messages;
    home.Run(20240327, 20240328);
    EXPECT_EQ(Options().Text(OptionKey::LastDownload), "");
    // Every download fails here (a closed port): LastDownload stops before
    // the first failed day, so "since the last download" fetches it again.
    home.Run(20240328, 20240329);
    EXPECT_EQ(Options().Text(OptionKey::LastDownload), "20240327");
  }
  UnsetEnvironment("VELKORA_TODAY");
}

TEST(WorkTask, WithoutAnOutputDirectoryNothingIsDownloaded) {
  PipelineHome home;
  Options().SetInt(OptionKey::DebugLogLevel, 1);
  for (const char* value : {"", "入力して下さい"}) {
    Options().SetText(OptionKey::HtmlDataDir, value);
    MessageRecorder messages;
    EXPECT_EQ(home.Run(20240412, 20240412), "----- start -----\n- workStep(19)\n----- finish -----\n");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{std::string("html保存パスの<") + value + ">は存在しません"});
  }
  EXPECT_EQ(home.observer.texts, std::vector<std::string>(2, "----"));
}

TEST(WorkTask, AFailingDebugLogIsReportedOnce) {
  PipelineHome home;
  WriteTestFile(home.Home() + "DebugLog.txt/x", "");  // a directory where the log goes
  Options().SetInt(OptionKey::DebugLogLevel, 2);
  MessageRecorder messages;
  home.Run(20240412, 20240413);
  int logMessages = 0;
  for (const std::string& text : messages.Texts()) logMessages += text.find("DebugLog.txt") != std::string::npos;
  EXPECT_EQ(logMessages, 1);
  EXPECT_EQ(home.observer.finished, 1);
}

TEST(WorkTask, CancelStopsAtOnceAndASecondStartIsIgnored) {
  PipelineHome home;
  MessageRecorder messages;
  ASSERT_TRUE(home.controller.StartWorkTask(20240327, 20240329, 0));
  EXPECT_FALSE(home.controller.StartWorkTask(20240327, 20240329, 0));
  while (home.controller.Running() && home.controller.Task()->Step() != kStepExtractPage) home.controller.OnIdle();
  ASSERT_TRUE(home.controller.Running());
  home.controller.CancelWorkTask();
  EXPECT_FALSE(home.controller.Running());
  EXPECT_EQ(home.observer.texts.back(), "----");
  EXPECT_FALSE(TestPathExists(home.Output("Raw/20240327.html")));
}

}  // namespace
