// Companies with an alphanumeric code ("130A", listed since 2024) through real
// runs against the fixture server: the list rows, the raw store, the views, the
// summary, schedule and company pages, the company store and its companion
// files, the link cells, the lists and the spreadsheet directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "markup/text.h"
#include "pages/frame.h"
#include "platform/diagnostics.h"
#include "settings/options.h"
#include "work/code_lines.h"
#include "work/controller.h"
#include "work/testing.h"

namespace {

size_t CountOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

// The cell of `id` in the first row of `page` whose ticker cell holds `code`,
// as written (empty when there is none).
std::string CellOfRow(const std::string& page, const std::string& code, const std::string& id) {
  size_t ticker = page.find("/" + code + ".html\">\n\t\t\t\t\t\t" + code + "\n");
  if (ticker == std::string::npos) ticker = page.find("<td id=\"ticker\">\n\t\t\t\t\t" + code + "\n");
  if (ticker == std::string::npos) return "";
  size_t end = page.find("</tr>", ticker);
  size_t cell = page.find("<td id=\"" + id + "\"", ticker);
  if (cell == std::string::npos || cell > end) return "";
  size_t close = page.find_first_of("\n", cell);
  size_t last = page.find("</td>", cell);
  std::string shortForm = page.substr(cell, close - cell);
  return shortForm.ends_with("/>") ? shortForm : page.substr(cell, last - cell);
}

class AlphanumericTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    if (!home_) return;
    for (OptionKey key : {OptionKey::UseFullConame, OptionKey::EnableHtmlPort, OptionKey::EnableHtmlXls, OptionKey::EnableHtmlTicker,
                          OptionKey::EnableStSche, OptionKey::EnableStSchePort, OptionKey::EnableStScheXls,
                          OptionKey::HtmlInsertMarket, OptionKey::HtmlInsertIndustry,
                          OptionKey::HtmlInsertYahoo, OptionKey::HtmlInsertIfis, OptionKey::HtmlInsertGMO,
                          OptionKey::HtmlInsertKCom, OptionKey::HtmlInsertSBI})
      Options().SetFlag(key, true);
    Options().SetInt(OptionKey::StScheCycle, 0);
    Options().SetText(OptionKey::QuoteUrlTemplate, FixtureUrl() + "/quote/{code}.T");
    Options().SetText(OptionKey::ReportUrlTemplate, FixtureUrl() + "/index.php?action=tp1&sa=report&bcode={code}");
    // The spreadsheet directory names a code in lower case, as a user may.
    WriteTestFile(home_->Home() + "xls/330a.xls", "");
    WriteTestFile(home_->Home() + "xls/1301.xls", "");
    Options().SetText(OptionKey::XlsCheckDir, home_->Home() + "xls");
  }

  // A day of numeric and alphanumeric rows: an ordinary company (130A), an ETF
  // (285A), a REIT (330A) and two numeric companies.
  void ServeMixedDay(uint32_t date) {
    Serve(date, 1,
          ListPage(date, 1,
                   {{u8"15:00", u8"72030", u8"ミカワ自動車", u8"2024年3月期 決算短信", u8"東名"},
                    {u8"14:00", u8"130A0", u8"ネクスト ラボ", u8"業績予想の修正", u8"東"},
                    {u8"13:00", u8"285A0", u8"グロース250連動型ETF", u8"上場ETFの収益分配", u8"東"},
                    {u8"12:00", u8"330A0", u8"みらいリート投資法人", u8"資産の取得", u8"東"},
                    {u8"11:00", u8"130A0", u8"ネクスト ラボ", u8"株主総会の招集", u8"東"},
                    {u8"10:00", u8"13010", u8"あけぼの水産", u8"お知らせ", u8"東"}}));
  }

  std::string Page(const char* name) { return ReadTestFile(home_->Output(name)); }
};

TEST_F(AlphanumericTest, RowsOfAlphanumericCodesReachEveryStage) {
  OptionStore& options = Options();
  ASSERT_TRUE(SavePortfolioList(options, home_->lists, "7203, 130a, 285A"));
  EXPECT_EQ(options.Text(OptionKey::PortList), "7203, 130A, 285A");  // stored upper case
  ServeMixedDay(20240410);
  MessageRecorder messages;
  home_->Run(20240410, 20240410);

  // The raw store keeps every row, the code as four characters.
  std::string raw = Raw(20240410);
  EXPECT_NE(raw.find(RowLine("1400", "130A", "ネクスト ラボ", "東", "業績予想の修正")), std::string::npos);
  EXPECT_EQ(CountOf(raw, "<tr>"), 6u);
  for (const char* code : {"285A", "330A"}) EXPECT_NE(raw.find(std::string(">") + code + "<"), std::string::npos);

  // The views: All every row, Port the portfolio's, Xls the spreadsheet companies'.
  std::string all = Page("All/20240410.html"), port = Page("Port/20240410.html"), xls = Page("Xls/20240410.html");
  EXPECT_EQ(CountOf(all, "<tr>"), 6u);
  EXPECT_EQ(CountOf(port, "Indiv/130A.html"), 2u);
  EXPECT_EQ(CountOf(port, "330A"), 0u);
  EXPECT_EQ(CountOf(xls, "Indiv/330A.html"), 1u);
  EXPECT_EQ(CountOf(xls, "130A"), 0u);

  // The summary page: the code whole and linked to its company page, the full
  // name, market and industry from the quote page, the two rows of 130A merged
  // like those of one numeric company, the ETF left out (IgnoreETF), the link
  // cells of sites whose address for such a code is known.
  std::string summary = Page("All.html");
  EXPECT_EQ(summary.find("130 A"), std::string::npos);
  EXPECT_EQ(CountOf(summary, "<a href=\"./Indiv/130A.html\">"), 2u);
  EXPECT_NE(CellOfRow(summary, "130A", "coname").find("ネクストラボ"), std::string::npos);
  EXPECT_NE(CellOfRow(summary, "130A", "industry").find("情報・通信"), std::string::npos);
  EXPECT_NE(CellOfRow(summary, "330A", "industry").find("REIT"), std::string::npos);
  EXPECT_EQ(CountOf(summary, "285A"), 0u);
  EXPECT_NE(CellOfRow(summary, "130A", "yahoo").find("/quote/130A.T"), std::string::npos);
  EXPECT_NE(CellOfRow(summary, "130A", "ifis").find("bcode=130A"), std::string::npos);
  for (const char* site : {"gmo", "kcom", "sbi"}) {
    EXPECT_EQ(CellOfRow(summary, "130A", site), std::string("<td id=\"") + site + "\" />") << site;
    EXPECT_NE(CellOfRow(summary, "7203", site).find("<a href="), std::string::npos) << site;
  }
  EXPECT_NE(Page("Port.html").find("Indiv/130A.html"), std::string::npos);
  EXPECT_NE(Page("Xls.html").find("Indiv/330A.html"), std::string::npos);

  // The company pages.
  std::string company = Page("Indiv/130A.html");
  EXPECT_NE(company.find("業績予想の修正"), std::string::npos);
  EXPECT_NE(company.find("株主総会の招集"), std::string::npos);
  EXPECT_NE(Page("Indiv/285A.html").find("上場ETFの収益分配"), std::string::npos);

  // The company store: the numeric files as they were, the new codes in their
  // companion files, one sorted line each.
  EXPECT_EQ(CountOf(Page("_coname.txt"), "\n"), 9000u);
  EXPECT_EQ(Page("_coprof.dat").size(), 36000u);
  unsigned bad = 0;
  std::map<Code, std::string> names = ReadCodeLines(Page("_coname_alnum.txt"), bad);
  EXPECT_EQ(bad, 0u);
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(names.begin()->first.Text(), "130A");
  EXPECT_EQ(names.begin()->second, "ネクストラボ");
  std::map<Code, std::string> profile = ReadCodeLines(Page("_coprof_alnum.txt"), bad);
  EXPECT_EQ(profile.size(), 3u);
  EXPECT_EQ(profile[*Code::FromText("285A")], "16\t35\t0\t0");  // Tokyo, ETF

  // The schedules: fetched and kept like those of numeric codes (the ETF has none).
  std::map<Code, std::string> schedules = ReadCodeLines(Page("_schedule_alnum.txt"), bad);
  EXPECT_EQ(bad, 0u);
  EXPECT_TRUE(schedules.count(*Code::FromText("130A")));
  EXPECT_TRUE(schedules.count(*Code::FromText("330A")));
  EXPECT_EQ(schedules[*Code::FromText("285A")].substr(0, 13), "99991231,0,6\t");
  EXPECT_EQ(Page("_schedule.dat").size(), 360000u);
}

// The parser reads "130A" as the pieces "130" and "A"; a summary or company
// page read back and written again by a later run keeps the code whole.
TEST_F(AlphanumericTest, PagesMergedOverSeveralRunsKeepTheCodeWhole) {
  ServeMixedDay(20240410);
  ServeMixedDay(20240411);
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  home_->Run(20240410, 20240411);
  for (const char* page : {"All.html", "Indiv/130A.html", "All/20240411.html"}) {
    std::string text = Page(page);
    EXPECT_EQ(text.find("130 A"), std::string::npos) << page;
    EXPECT_NE(text.find("130A"), std::string::npos) << page;
  }
  EXPECT_EQ(CountOf(Page("Indiv/130A.html"), "業績予想の修正"), 2u);
}

// A store of numeric codes only gets no companion file, and its pages stay what
// they were: a second run over the same days changes no byte.
TEST_F(AlphanumericTest, AStoreOfNumericCodesOnlyGetsNoCompanionFile) {
  std::filesystem::remove(home_->Home() + "xls/330a.xls");
  Serve(20240410, 1, ListPage(20240410, 1, {{u8"15:00", u8"72030", u8"ミカワ自動車", u8"お知らせ", u8"東"}}));
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  for (const char* file : {kAlphanumericNamesFile, kAlphanumericProfileFile, kAlphanumericScheduleFile})
    EXPECT_FALSE(TestPathExists(home_->Output(file))) << file;
  std::string summary = Page("All.html"), company = Page("Indiv/7203.html");
  home_->Run(20240410, 20240410);
  EXPECT_TRUE(Page("All.html") == summary);
  EXPECT_TRUE(Page("Indiv/7203.html") == company);
}

// Hand-edited or damaged companion files: the lines that read are kept, a bad
// name is asked for again with one warning, and the files are written back
// sorted and clean.
TEST_F(AlphanumericTest, DamagedCompanionFilesAreReadSafelyAndWrittenBackClean) {
  WriteTestFile(home_->Output("_coname_alnum.txt"),
                std::string("330A\tみらい (保存)") + "\r\n130a\tlower\nZZZZ no tab\n285A\tbad\x01name\n\n");
  WriteTestFile(home_->Output("_coprof_alnum.txt"), "330A\t16\t34\t0\t0\n285A\t999\t1\t0\t0\n130A\tx\n");
  ServeMixedDay(20240410);
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  std::vector<std::string> texts = messages.Texts();
  EXPECT_NE(std::find(texts.begin(), texts.end(),
                      "会社名のファイル<" + home_->Output("_coname_alnum.txt") +
                          ">が壊れています (読めない行 3)。読めない会社名は取得し直します"),
            texts.end());
  EXPECT_EQ(Page("_coname_alnum.txt"), "130A\tネクストラボ\n285A\tグロース250連動型上場投資信託\n330A\tみらい (保存)\n");
  EXPECT_EQ(Page("_coprof_alnum.txt"), "130A\t27\t25\t0\t0\n285A\t16\t35\t0\t0\n330A\t16\t34\t0\t0\n");
  EXPECT_NE(Page("All.html").find("みらい (保存)"), std::string::npos);
}

// A code cell that names no company is told in the debug log, never lost
// without a word; a row that does not parse keeps its alphanumeric code.
TEST_F(AlphanumericTest, CodeCellsThatNameNoCompanyAreLoggedAndTheTextMethodReadsTheNewCodes) {
  std::string page = ListPage(20240412, 1,
                              {{u8"09:05", u8"130A0", u8"ネクスト ラボ", u8"NEW", u8"東"},
                               {u8"10:10", u8"13AA0", u8"ダレカ", u8"dropped", u8"東"},
                               {u8"10:20", u8"1301", u8"あけぼの水産", u8"dropped", u8"東"}});
  size_t title = page.find(">NEW</a>");
  ASSERT_NE(title, std::string::npos);
  page.replace(title, 8, ">" + Utf8(u8"訂正 後") + "</a><BR><s>" + Utf8(u8"訂正前") + "</s></a>");
  Serve(20240412, 1, page);
  Options().SetInt(OptionKey::DebugLogLevel, 1);
  MessageRecorder messages;
  std::string log = home_->Run(20240412, 20240412);
  EXPECT_EQ(Raw(20240412), PageHeaderText() + RowLine("0905", "130A", "ネクストラボ", "？", "訂正後") + PageFooterText());
  EXPECT_NE(log.find("row dropped: no company code in <13AA0>"), std::string::npos) << log;
  EXPECT_NE(log.find("row dropped: no company code in <1301>"), std::string::npos) << log;
}

}  // namespace
