#include <gtest/gtest.h>

#include "cli/commands.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "platform/testing/test_support.h"

namespace {

// What the terminal shows: UTF-8.
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// Runs the command line with a temporary home; restores the home afterwards.
class CommandLineTest : public ::testing::Test {
 protected:
  // The runs' days are in 2024; the list service only has the last weeks'.
  void SetUp() override {
    previous_ = HomeDirectory();
    SetEnvironment("VELKORA_TODAY", "20240401");
  }
  void TearDown() override {
    SetMessageSink(nullptr);
    SetHomeDirectory(previous_);
    UnsetEnvironment("VELKORA_TODAY");
  }
  int Velkora(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--home", home.Path()});
    return RunCommandLine(arguments);
  }
  std::string OptionFile() { return ReadTestFile(home / "VelkoraOption.ini"); }

  TempDir home;
  std::string previous_;
};

TEST_F(CommandLineTest, SetAndGetGoThroughTheOptionFile) {
  EXPECT_EQ(Velkora({"set", "DebugLogLevel", "1"}), kExitOk);
  EXPECT_EQ(Velkora({"set", "HtmlDataDir", "出力"}), kExitOk);
  EXPECT_EQ(OptionFile(), "[Option]\r\nDebugLogLevel=1\r\nHtmlDataDir=出力\r\n");
  EXPECT_EQ(Velkora({"get", "DebugLogLevel", "EnableHtmlAll"}), kExitOk);
}

TEST_F(CommandLineTest, UsageErrorsChangeNothing) {
  EXPECT_EQ(Velkora({"set", "NoSuchKey", "1"}), kExitUsage);
  EXPECT_EQ(Velkora({"set", "DebugLogLevel"}), kExitUsage);
  EXPECT_EQ(Velkora({"get"}), kExitUsage);
  EXPECT_EQ(Velkora({"frobnicate"}), kExitUsage);
  EXPECT_EQ(Velkora({"run", "--from", "20240230", "--to", "20240301"}), kExitUsage);
  EXPECT_EQ(Velkora({"run", "--from", "20240301"}), kExitUsage);
  EXPECT_EQ(Velkora({"run", "--refetch-schedules", "3"}), kExitUsage);
  EXPECT_FALSE(TestPathExists(home / "VelkoraOption.ini"));
  EXPECT_EQ(RunCommandLine({"--home", home / "missing", "options"}), kExitUsage);
}

TEST_F(CommandLineTest, PortfolioFormatErrorIsRefused) {
  MessageRecorder messages;
  EXPECT_EQ(Velkora({"set", "PortList", "abc"}), kExitReported);
  EXPECT_FALSE(TestPathExists(home / "VelkoraOption.ini"));
  EXPECT_EQ(Velkora({"set", "PortList", "7203, 6758"}), kExitOk);
}

// Codes with a letter go in either case and are kept upper case; a malformed
// one is refused by name and changes nothing.
TEST_F(CommandLineTest, AlphanumericCodesAreStoredUpperCaseAndMalformedOnesRefused) {
  EXPECT_EQ(Velkora({"set", "PortList", "7203, 130a"}), kExitOk);
  EXPECT_EQ(Velkora({"set", "IgnoreList", "285a"}), kExitOk);
  std::string saved = OptionFile();
  EXPECT_EQ(Velkora({"set", "IgnoreList", "285A, 28A5"}), kExitReported);
  EXPECT_EQ(Velkora({"set", "PortList", "130AA"}), kExitReported);
  EXPECT_EQ(OptionFile(), saved);
  EXPECT_NE(saved.find("PortList=7203, 130A\r\nIgnoreList=285A\r\n"), std::string::npos) << saved;
}

// set stores what it is given or refuses: a value that would read back cut,
// a number outside the option's range, a number that is no company code.
TEST_F(CommandLineTest, ValuesThatWouldNotReadBackAreRefused) {
  ASSERT_EQ(Velkora({"set", "PortList", "7203"}), kExitOk);
  std::string codes;
  for (int i = 0; i < 700; ++i) codes += std::to_string(1301 + i) + ", ";  // 4200 bytes
  EXPECT_EQ(Velkora({"set", "PortList", codes}), kExitReported);
  EXPECT_EQ(Velkora({"set", "GMOServer", std::string(2048, 'g')}), kExitReported);
  const char* refused[][2] = {{"DebugLogLevel", "5"}, {"DebugLogLevel", "-1"}, {"StScheDaySpan", "-1"},
                              {"StScheCycle", "3"},   {"PortList", "7203, 10000"}, {"IgnoreList", "70000"}};
  for (const auto& [key, value] : refused) EXPECT_EQ(Velkora({"set", key, value}), kExitReported) << key << "=" << value;
  EXPECT_EQ(OptionFile(), "[Option]\r\nPortList=7203\r\n");
  // The longest value that reads back whole is stored.
  EXPECT_EQ(Velkora({"set", "GMOServer", std::string(2047, 'g')}), kExitOk);
  EXPECT_EQ(Velkora({"set", "DebugLogLevel", "2"}), kExitOk);
}

TEST_F(CommandLineTest, SavedListsRemoveTheViewsBuiltFromThem) {
  ASSERT_EQ(Velkora({"set", "HtmlDataDir", home / "out"}), kExitOk);
  for (const char* view : {"All", "Port", "Xls", "Indiv"}) WriteTestFile(home / "out/" + view + "/20240329.html", "x");
  EXPECT_EQ(Velkora({"set", "PortList", "7203\n6758"}), kExitOk);
  EXPECT_FALSE(TestPathExists(home / "out/Port"));
  EXPECT_TRUE(TestPathExists(home / "out/All"));
  EXPECT_EQ(Velkora({"set", "IgnoreList", "1301"}), kExitOk);
  for (const char* view : {"All", "Xls", "Indiv"}) EXPECT_FALSE(TestPathExists(home / "out/" + view)) << view;
  std::string options = OptionFile();
  EXPECT_NE(options.find("IgnoreList=1301\r\n"), std::string::npos);
  EXPECT_NE(options.find("LastUpdateIndiv=19000101\r\n"), std::string::npos);
  EXPECT_NE(options.find("PortList=7203&cr;6758\r\n"), std::string::npos) << options;
}

TEST_F(CommandLineTest, OfflineRunReachesTheFinishAndLogsTheSteps) {
  WriteTestFile(home / "out/keep", "");
  ASSERT_EQ(Velkora({"set", "DebugLogLevel", "1"}), kExitOk);
  ASSERT_EQ(Velkora({"set", "HtmlDataDir", home / "out"}), kExitOk);
  ASSERT_EQ(Velkora({"set", "TdnetBaseUrl", "http://127.0.0.1:9/inbs/"}), kExitOk);
  ASSERT_EQ(Velkora({"set", "RequestIntervalMs", "0"}), kExitOk);  // no pause between refused requests
  MessageRecorder messages;
  EXPECT_EQ(Velkora({"run", "--from", "20240329", "--to", "20240329"}), kExitReported);
  EXPECT_EQ(ReadTestFile(home / "DebugLog.txt"),
            "----- start -----\n- workStep(2)\n- workStep(3-5)\n- workStep(8)\n- workStep(9)\n- workStep(10)\n"
            "- workStep(12)\n- workStep(13)\n- workStep(14)\n- workStep(15)\n- workStep(19)\n----- finish -----\n");
  std::string options = OptionFile();
  EXPECT_NE(options.find("PeriodType=3\r\n"), std::string::npos);
  EXPECT_NE(options.find("PeriodSt=20240329\r\n"), std::string::npos);
  EXPECT_NE(options.find("PeriodEd=20240329\r\n"), std::string::npos);
  EXPECT_NE(options.find("[Status]\r\n"), std::string::npos);
  EXPECT_EQ(options.find("\n\n"), std::string::npos);
  for (size_t at = options.find('\n'); at != std::string::npos; at = options.find('\n', at + 1))
    EXPECT_EQ(options[at - 1], '\r');
}

TEST_F(CommandLineTest, ThePeriodIsStoredEarlierDayFirstWhateverTheFileOrTheClockSays) {
  WriteTestFile(home / "out/keep", "");
  ASSERT_EQ(Velkora({"set", "HtmlDataDir", home / "out"}), kExitOk);
  ASSERT_EQ(Velkora({"set", "TdnetBaseUrl", "http://127.0.0.1:9/inbs/"}), kExitOk);
  ASSERT_EQ(Velkora({"set", "RequestIntervalMs", "0"}), kExitOk);  // no pause between refused requests
  struct Case {
    const char* type;
    const char* key;  // a period key written by hand, or the last download
    const char* value;
    const char* start;
    const char* end;
  } cases[] = {
      {"3", "PeriodSt", "20240329", "20240325", "20240329"},  // PeriodEd is 20240325
      {"0", "LastDownload", "20240405", "20240401", "20240405"},  // the clock went back
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Velkora({"set", "PeriodType", c.type}), kExitOk);
    ASSERT_EQ(Velkora({"set", "PeriodEd", "20240325"}), kExitOk);
    ASSERT_EQ(Velkora({"set", c.key, c.value}), kExitOk);
    MessageRecorder messages;
    Velkora({"run"});
    std::string options = OptionFile();
    EXPECT_NE(options.find(std::string("PeriodSt=") + c.start + "\r\n"), std::string::npos) << c.type << options;
    EXPECT_NE(options.find(std::string("PeriodEd=") + c.end + "\r\n"), std::string::npos) << c.type << options;
  }
}

TEST_F(CommandLineTest, ADirectoryPathTooLongToWorkIsRefusedForWhatItIs) {
  // An existing directory of 840 bytes.
  std::string deep = home.Path();
  while (deep.size() < 840) deep += std::string(std::min<size_t>(200, 840 - deep.size()), 'd') + "/";
  deep.pop_back();
  WriteTestFile(deep + "/keep", "");
  testing::internal::CaptureStderr();
  EXPECT_EQ(Velkora({"set", "HtmlDataDir", deep}), kExitReported);
  EXPECT_EQ(Velkora({"set", "XlsCheckDir", deep}), kExitReported);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(TestPathExists(home / "VelkoraOption.ini"));
  EXPECT_EQ(said.rfind(Utf8(u8"ERROR: html保存パスが長すぎます ("), 0), 0u) << said;
  EXPECT_NE(said.find(Utf8(u8"\nERROR: xlsチェックパスが長すぎます (")), std::string::npos) << said;
  // A hand-edited option file: the run says the same, and nothing else.
  WriteTestFile(home / "VelkoraOption.ini", "[Option]\r\nHtmlDataDir=" + deep + "\r\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(Velkora({"run", "--from", "20240329", "--to", "20240329"}), kExitReported);
  said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind(Utf8(u8"ERROR: html保存パスが長すぎます ("), 0), 0u) << said;
  EXPECT_EQ(said.find("ERROR:", 1), std::string::npos) << said;
  // The longest path that works is taken.
  std::string longest = deep.substr(0, 212);
  EXPECT_EQ(Velkora({"set", "HtmlDataDir", longest}), kExitOk);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Velkora({"set", "HtmlDataDir", longest + "d"}), kExitReported);
  testing::internal::GetCapturedStderr();
}

TEST_F(CommandLineTest, LegacyOptionFileReplacesTheCurrentOne) {
  WriteTestFile(home / "VelkoraOption.ini", "[Option]\r\nDebugLogLevel=2\r\n");
  WriteTestFile(home / "VelkorraOption.ini", "[Option]\r\nDebugLogLevel=1\r\n");
  EXPECT_EQ(Velkora({"options"}), kExitOk);
  EXPECT_FALSE(TestPathExists(home / "VelkorraOption.ini"));
  EXPECT_EQ(OptionFile(), "[Option]\r\nDebugLogLevel=1\r\n");
}

}  // namespace
