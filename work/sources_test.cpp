// Portfolio sources and the conversion pass, through real files and the fixture.
#include <gtest/gtest.h>

#include "platform/diagnostics.h"
#include "settings/options.h"
#include "work/run_settings.h"
#include "work/run_trace.h"
#include "work/selections.h"
#include "work/steps.h"
#include "work/testing.h"

namespace {

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(XlsScan, FourDigitsThenDotXlsSelect) {
  PipelineHome home;
  WriteTestFile(home.Home() + "xls/7203.xlsx", "");
  WriteTestFile(home.Home() + "xls/6758.xls", "");
  WriteTestFile(home.Home() + "xls/9984.XLSM", "");
  WriteTestFile(home.Home() + "xls/72030.xlsx", "");
  WriteTestFile(home.Home() + "xls/1301.csv", "");
  RunSettings settings;
  settings.xlsCheckDir = home.Home() + "xls";
  RunSelections selections(home.lists, settings);
  RunTrace trace(home.observer, 0);
  selections.ResetXls();
  ScanXlsDirectory(selections, trace, settings);
  EXPECT_EQ(selections.Xls()->count(), 3u);
  EXPECT_TRUE(selections.HasXls(Code(7203)));
  EXPECT_TRUE(selections.HasXls(Code(6758)));
  EXPECT_TRUE(selections.HasXls(Code(9984)));

  // A directory chosen with its trailing separator ("D:\\xls\\") is the same.
  settings.xlsCheckDir = home.Home() + "xls" + std::string(1, kPathSeparator);
  selections.ResetXls();
  ScanXlsDirectory(selections, trace, settings);
  EXPECT_EQ(selections.Xls()->count(), 3u);

  MessageRecorder messages;
  settings.xlsCheckDir = home.Home() + "nothing";
  selections.ResetXls();
  ScanXlsDirectory(selections, trace, settings);
  EXPECT_EQ(selections.Xls()->count(), 0u);
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0], "xlsチェックパスの<" + home.Home() + "nothing>は存在しません");
}

class WebPortfolioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server (tools/with-fixture)";
    home_ = std::make_unique<PipelineHome>();
  }
  // Serves `page` (behind the fixture's `prefix`), runs the web portfolio step
  // and returns the stored PortList.
  std::string Collect(const std::string& page, const char* preWord = nullptr, const std::string& prefix = "") {
    static int count = 0;
    std::string name = "port" + std::to_string(++count) + ".html";
    WriteTestFile(FixtureRoot() + "/" + name, page);
    Options().SetText(OptionKey::WebPortUrl, FixtureUrl() + prefix + "/" + name);
    Options().SetFlag(OptionKey::WebPortPreWordEnable, preWord != nullptr);
    if (preWord) Options().SetText(OptionKey::WebPortPreWord, preWord);
    RunSettings settings = ReadRunSettings();
    RunStatus status;
    RunSelections selections(home_->lists, settings);
    RunTrace trace(home_->observer, 0);
    HttpDownloader downloader;
    downloader.Open();
    ReadWebPortfolio(selections, downloader, trace, settings, status);
    return Options().Text(OptionKey::PortList);
  }
  std::unique_ptr<PipelineHome> home_;
};

TEST_F(WebPortfolioTest, DigitAndPreWordScans) {
  EXPECT_EQ(Collect("<p>7203, 12345 and 1301.5</p>"), "7203");
  EXPECT_EQ(Collect("<p>7203. and 1301.0</p>"), "7203, 1301");
  EXPECT_EQ(Collect("No.7203 No.abc No. 1301 No.6758", "No."), "7203, 6758");
  EXPECT_EQ(Collect(Utf8(u8"銘柄：８８８８ 9432 です")), "9432");
  EXPECT_TRUE(home_->lists.portfolio.Contains(Code(9432)));
  // The page's wave dash is the fullwidth tilde a Shift_JIS user types.
  EXPECT_EQ(Collect(Utf8(u8"〜7203 〜6758 ~9984"), "\x81\x60"), "7203, 6758");
}

TEST_F(WebPortfolioTest, CanonicalTextBreaksAfterEveryThirteenth) {
  std::string fourteen, thirteen;
  for (int i = 0; i < 14; ++i) fourteen += std::to_string(2001 + i) + " ";
  for (int i = 0; i < 13; ++i) thirteen += std::to_string(2001 + i) + " ";
  EXPECT_EQ(Collect(fourteen),
            "2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010, 2011, 2012, 2013, \r\n2014");
  EXPECT_EQ(Collect(thirteen), "2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010, 2011, 2012, 2013,");
  // A page without tickers changes nothing.
  EXPECT_EQ(Collect("<p>no codes here</p>"), "2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010, 2011, 2012, 2013,");
}

TEST_F(WebPortfolioTest, AnErrorPageIsNoPortfolio) {
  EXPECT_EQ(Collect("<p>7203 6758</p>"), "7203, 6758");
  MessageRecorder messages;
  // The numbers of an error page (a date, an incident number) are not codes,
  // whatever the status; a page read whole is scanned whole.
  for (const char* status : {"500", "503", "404", "403"})
    EXPECT_EQ(Collect("<h1>Error 1020</h1><p>2024-03-26 Ray 9432</p>", nullptr, std::string("/fail/status/") + status),
              "7203, 6758")
        << status;
  EXPECT_EQ(messages.Texts().size(), 4u);
  EXPECT_EQ(Collect(std::string(30000, ' ') + "<p>9984</p>"), "9984");
}

}  // namespace
