// The summary pages All.html, Port.html and Xls.html through real runs against
// the fixture server.
#include <gtest/gtest.h>

#include "markup/tree.h"
#include "pages/page_testing.h"
#include "pages/page_parser.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/testing.h"

namespace {

std::string Profile(const std::vector<std::tuple<int, int, int>>& records) {
  std::string bytes(36000, '\0');
  for (const auto& [ticker, market, industry] : records) {
    bytes[static_cast<size_t>(ticker - 1001) * 4] = static_cast<char>(market);
    bytes[static_cast<size_t>(ticker - 1001) * 4 + 1] = static_cast<char>(industry);
  }
  return bytes;
}

// A Tokyo row whose company name is its code.
ListRow Row(const char8_t* time, const char8_t* code, const char8_t* title) { return {time, code, code, title, u8"東"}; }

class SummaryTest : public PipelineTest {
 protected:
  std::vector<std::string> Page(const char* name) { return Describe(ReadTestFile(home_->Output(name))); }
  // A run over a period with PeriodSt set apart from it.
  void RunFrom(uint32_t periodStart, uint32_t first, uint32_t last) {
    Options().SetInt(OptionKey::PeriodSt, static_cast<int>(periodStart));
    ASSERT_TRUE(home_->controller.StartRun(first, last, 0, false));
    while (home_->controller.OnIdle()) {
    }
  }
};

TEST_F(SummaryTest, DecorationsFiltersAndSpansOfOneDay) {
  std::vector<ListRow> rows = {
      Row(u8"15:00", u8"72030", u8"決算A"),        Row(u8"15:00", u8"72030", u8"決算B"),
      Row(u8"14:00", u8"67580", u8"説明C"),        Row(u8"14:00", u8"67580", u8"説明D"),
      Row(u8"14:00", u8"67580", u8"説明E"),        {u8"13:00", u8"95560", u8"緑", u8"緑化", u8"GR"},
      {u8"12:00", u8"21580", u8"Ｐ－プロ", u8"プロ", u8"東"}, Row(u8"11:00", u8"69550", u8"外国"),
      Row(u8"10:30", u8"89510", u8"不動産"),       Row(u8"10:00", u8"13210", u8"上場投信"),
      {u8"09:30", u8"29140", u8"名", u8"名古屋", u8"名"}, Row(u8"09:00", u8"13010", u8"お知らせ"),
      Row(u8"08:30", u8"13320", u8"配当のお知らせ"), Row(u8"08:00", u8"16050", u8"増配と増配"),
  };
  Serve(20240410, 1, ListPage(20240410, 1, rows));
  WriteTestFile(home_->Output("_coprof.dat"),
                Profile({{7203, 0x19, 17}, {6758, 0x19, 16}, {9556, 0x50, 0}, {2158, 0x15, 33}, {6955, 0x1D, 16},
                         {8951, 0x10, 34}, {1321, 0x10, 35}, {2914, 0x24, 26}, {1301, 0x19, 1}, {1332, 0x19, 4},
                         {1605, 0x19, 2}}));
  WriteTestFile(home_->Output("_ignoreTitle.txt"), "お知らせ\r\n*配当\r\n");
  WriteTestFile(home_->Home() + "xls/6758.xls", "");
  WriteTestFile(home_->Home() + "xls/7203.xls", "");
  for (OptionKey key : {OptionKey::HtmlInsertMarket, OptionKey::HtmlInsertIndustry, OptionKey::HtmlInsertYahoo,
                        OptionKey::HtmlInsertIfis, OptionKey::HtmlInsertGMO, OptionKey::HtmlInsertKCom,
                        OptionKey::HtmlInsertSBI, OptionKey::IgnoreForeign, OptionKey::IgnoreREIT,
                        OptionKey::EnableIgnoreTitleList, OptionKey::EnableKeyHighlightList, OptionKey::EnableHtmlPort,
                        OptionKey::EnableHtmlXls})
    Options().SetFlag(key, true);
  Options().SetText(OptionKey::KeyHighlightList, "増配");
  Options().SetText(OptionKey::PortList, "7203, 2914");
  Options().SetText(OptionKey::XlsCheckDir, home_->Home() + "xls");
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  std::string links = "gmo=L kcom=L sbi=TKY ifis=L yahoo=L";
  std::string links3 = "gmo(3)=L kcom(3)=L sbi(3)=TKY ifis(3)=L yahoo(3)=L";
  std::string links2 = "gmo(2)=L kcom(2)=L sbi(2)=TKY ifis(2)=L yahoo(2)=L";
  EXPECT_EQ(Page("All.html"),
            (std::vector<std::string>{
                "date(7)=2024/04/10<br />(水) time=0800 ticker=1605 coname=16050 " + links +
                    " market=東証PRM industry=鉱業 title=<mark>増配</mark>と<mark>増配</mark>",
                "time=0930 ticker=2914 coname=in_port:名 gmo=- kcom=L sbi=NGY ifis=L yahoo=L market=名証PRM "
                "industry=卸売業 title=名古屋",
                "time(3)=1400 ticker(3)=6758 coname(3)=in_xls:67580 " + links3 +
                    " market(3)=東証PRM industry(3)=電気機器 title=説明E",
                "title=説明D",
                "title=説明C",
                "time(2)=1500 ticker(2)=7203 coname(2)=in_port:72030 " + links2 +
                    " market(2)=東証PRM industry(2)=輸送用機器 title=決算B",
                "title=決算A",
            }));
  // The portfolio page marks nothing; the spreadsheet page only the portfolio.
  std::vector<std::string> port = Page("Port.html"), xls = Page("Xls.html");
  ASSERT_EQ(port.size(), 3u);
  EXPECT_NE(port[0].find("date(3)=2024/04/10<br />(水) time=0930 ticker=2914 coname=名 gmo=-"), std::string::npos);
  EXPECT_NE(port[1].find("coname(2)=72030 "), std::string::npos) << port[1];
  ASSERT_EQ(xls.size(), 5u);
  EXPECT_NE(xls[0].find("date(5)=2024/04/10<br />(水) time(3)=1400 ticker(3)=6758 coname(3)=67580 "), std::string::npos);
  EXPECT_NE(xls[3].find("coname(2)=in_port:72030 "), std::string::npos) << xls[3];

  // Filters off (a display option changed: the page is built again): the
  // professional market and the green sheet have no GMO and no SBI link.
  Options().SetFlag(OptionKey::IgnoreGR, false);
  Options().SetFlag(OptionKey::IgnoreAim, false);
  home_->Run(20240410, 20240410);
  std::vector<std::string> all = Page("All.html");
  ASSERT_EQ(all.size(), 9u);
  EXPECT_NE(all[2].find("ticker=2158 coname=Ｐ－プロ gmo=- kcom=L sbi=- ifis=L yahoo=L market=東証AIM"),
            std::string::npos)
      << all[2];
  EXPECT_NE(all[3].find("ticker=9556 coname=緑 gmo=- kcom=L sbi=- ifis=L yahoo=L market=GR"), std::string::npos)
      << all[3];
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts()[0];
}

TEST_F(SummaryTest, ThePortfolioIsMarkedWhenOnlyAllHtmlIsMade) {
  Serve(20240410, 1, ListPage(20240410, 1, {Row(u8"10:00", u8"72030", u8"決算"), Row(u8"09:00", u8"67580", u8"説明")}));
  Options().SetText(OptionKey::PortList, "7203");  // Port.html is off
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  std::vector<std::string> all = Page("All.html");
  ASSERT_EQ(all.size(), 2u);
  EXPECT_NE(all[0].find("coname=67580 "), std::string::npos) << all[0];
  EXPECT_NE(all[1].find("coname=in_port:72030 "), std::string::npos) << all[1];
}

TEST_F(SummaryTest, AMarketUnknownToTheProfileComesFromTheRow) {
  Serve(20240410, 1, ListPage(20240410, 1, {{u8"10:00", u8"29140", u8"名", u8"名古屋", u8"名"}}));
  Options().SetFlag(OptionKey::HtmlInsertSBI, true);
  Options().SetFlag(OptionKey::HtmlInsertMarket, true);
  MessageRecorder messages;
  home_->Run(20240410, 20240410);  // the profile is loaded (IgnoreETF) but knows nothing of 2914
  EXPECT_EQ(Page("All.html")[0], "date(1)=2024/04/10<br />(水) time=1000 ticker=2914 coname=名 sbi=NGY market=名 title=名古屋");
}

TEST_F(SummaryTest, MergingKeepsOldDaysReplacesTheNewestAndRebuildsWhenDue) {
  for (uint32_t day : {20240408u, 20240409u, 20240410u})
    Serve(day, 1, ListPage(day, 1, {Row(u8"10:00", u8"72030", u8"初")}));
  MessageRecorder messages;
  RunFrom(20240408, 20240408, 20240409);
  EXPECT_EQ(Page("All.html").size(), 2u);
  // A mark the build would not make: gone when the page is rebuilt, kept when
  // merged. It goes into the title of the first row of a day.
  auto mark = [&](const char* day) {
    std::string page = ReadTestFile(home_->Output("All.html"));
    size_t at = page.find("初", page.find(day));
    page.replace(at, 2, "印");
    WriteTestFile(home_->Output("All.html"), page);
  };
  // Each row as its first cell and its title.
  auto titles = [&] {
    std::string text;
    for (const std::string& row : Page("All.html"))
      text += row.substr(0, row.find(' ')) + "|" + row.substr(row.find("title=")) + "\n";
    return text;
  };
  mark("2024/04/08");
  // Day N (the 9th) grew a row, and the 10th is new: the 9th is replaced, the
  // 8th merely kept.
  Serve(20240409, 1, ListPage(20240409, 1, {Row(u8"11:00", u8"72030", u8"次"), Row(u8"10:00", u8"72030", u8"初")}));
  SetLastWriteTime(home_->Output("Raw/20240409.html"), 2024, 4, 9, 12);
  RunFrom(20240408, 20240409, 20240410);
  EXPECT_EQ(titles(), "date(1)=2024/04/10<br|title=初\n"
                      "date(2)=2024/04/09<br|title=初\n"
                      "time=1100|title=次\n"
                      "date(1)=2024/04/08<br|title=印\n");
  // PeriodSt later: the 8th goes. Earlier again: it comes back below, the
  // rest merged (the mark on the 9th stays).
  RunFrom(20240409, 20240410, 20240410);
  EXPECT_EQ(Page("All.html").size(), 3u);
  mark("2024/04/09");
  RunFrom(20240408, 20240410, 20240410);
  EXPECT_EQ(titles(), "date(1)=2024/04/10<br|title=初\n"
                      "date(2)=2024/04/09<br|title=印\n"
                      "time=1100|title=次\n"
                      "date(1)=2024/04/08<br|title=初\n");
  // A day of the page whose view was written after the page: built again.
  FileEntry(home_->Output("All/20240409.html").c_str()).Delete();
  RunFrom(20240408, 20240410, 20240410);
  EXPECT_EQ(titles().find("印"), std::string::npos);
  // CollectRemake rebuilds every time.
  mark("2024/04/09");
  Options().SetFlag(OptionKey::CollectRemake, true);
  RunFrom(20240408, 20240410, 20240410);
  EXPECT_EQ(titles().find("印"), std::string::npos);
  EXPECT_EQ(Page("All.html").size(), 4u);
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts()[0];
}

TEST_F(SummaryTest, HandEditedPagesNeverHangTheBuild) {
  Serve(20240410, 1, ListPage(20240410, 1, {Row(u8"10:00", u8"72030", u8"初")}));
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  std::string good = ReadTestFile(home_->Output("All.html"));
  std::string head = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<html><body>";
  struct Case {
    const char* name;
    std::string page;
    bool setAside;  // does not parse: reported, kept aside, and the page made anew
  } cases[] = {
      {"rows without cells", head + "<table><tr></tr><tr /></table></body></html>", false},
      {"a date that is no date", head + "<table><tr><td id=\"date\">abc</td></tr></table></body></html>", false},
      {"rowspan 0", head + "<table><tr><td id=\"date\" rowspan=\"0\">2024/04/09</td></tr></table></body></html>", false},
      {"rowspan 99999",
       head + "<table><tr><td id=\"date\" rowspan=\"99999\">2024/04/10</td></tr></table></body></html>", false},
      {"no table", head + "</body></html>", false},
      {"deeply nested", head + std::string(50 << 20, '<').replace(0, 5, "<div>"), true},
      {"not markup", "\x89PNG garbage", true},
  };
  std::string page = Options().Text(OptionKey::HtmlDataDir) + "/All.html";
  std::vector<std::string> asides = {page + ".broken-20240415", page + ".broken-20240415-2"};
  size_t nextAside = 0;
  for (const Case& c : cases) {
    WriteTestFile(home_->Output("All.html"), c.page);
    MessageRecorder caseMessages;
    home_->Run(20240410, 20240410);
    if (c.setAside) {
      // Never frozen: the next run has a readable page again.
      const std::string& aside = asides[nextAside++];
      EXPECT_EQ(ReadTestFile(home_->Output("All.html")), good) << c.name;
      EXPECT_TRUE(ReadTestFile(aside) == c.page) << c.name;
      EXPECT_EQ(caseMessages.Texts(),
                std::vector<std::string>{"既存のまとめhtml<" + page + ">のパースに失敗したので<" + aside +
                                         ">に移して作り直します"})
          << c.name;
    } else {
      EXPECT_EQ(Page("All.html").back().substr(Page("All.html").back().find("title=")), "title=初") << c.name;
      EXPECT_TRUE(caseMessages.messages.empty()) << c.name;
    }
  }
}

TEST_F(SummaryTest, ADayWithoutKeptRowsAddsNothing) {
  Serve(20240409, 1, ListPage(20240409, 1, {Row(u8"10:00", u8"13210", u8"上場投信")}));  // an ETF only
  Serve(20240410, 1, ListPage(20240410, 1, {Row(u8"10:00", u8"72030", u8"初")}));
  WriteTestFile(home_->Output("_coprof.dat"), Profile({{1321, 0x10, 35}}));
  MessageRecorder messages;
  home_->Run(20240409, 20240410);
  std::vector<std::string> all = Page("All.html");
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].substr(0, 28), "date(1)=2024/04/10<br />(水)");
}

}  // namespace
