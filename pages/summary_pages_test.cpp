// The summary page builder in memory: day tables in, a page out, with the
// company lookups and the settings given directly (no file, no option file).
#include "pages/summary_pages.h"

#include <gtest/gtest.h>

#include "markup/tree.h"
#include "pages/page_testing.h"
#include "platform/diagnostics.h"

namespace {

// One disclosure of a day view: time, code, the list's name, market, title.
struct DayRow {
  const char* time;
  int code;
  const char* name;
  const char* market;
  const char* title;
};

// A day view's document as the conversion writes it.
std::unique_ptr<MarkupDocument> DayView(const std::vector<DayRow>& rows) {
  std::string text = "<html><body><table>";
  for (const DayRow& row : rows)
    text += FormatString("<tr><td id=\"time\">%s</td><td id=\"ticker\">%04d</td><td id=\"coname\">%s</td>"
                         "<td id=\"market\">%s</td><td id=\"title\"><a href=\"https://t/%04d.pdf\" "
                         "target=\"_blank\">%s</a></td></tr>",
                         row.time, row.code, row.name, row.market, row.code, row.title);
  PageParser parser;
  std::unique_ptr<MarkupDocument> day = parser.Parse(text + "</table></body></html>");
  EXPECT_NE(day, nullptr);
  return day;
}

class SummaryPageTest : public ::testing::Test {
 protected:
  SummaryPageTest() {
    inputs_.title = "全て - Velkora";
    inputs_.settings = &settings_;
    inputs_.companies = &companies_;
    inputs_.selections.portfolio = &portfolio_;
    inputs_.selections.xls = &xls_;
    inputs_.selections.indiv = &indiv_;
    inputs_.selections.ignoreTitles = &ignoreTitles_;
    inputs_.selections.keywords = &keywords_;
  }
  void Add(SummaryPage& page, uint32_t date, const std::vector<DayRow>& rows) {
    std::unique_ptr<MarkupDocument> day = DayView(rows);
    page.AddDay(date, *day->FindChild("table", true));
  }
  // A page of the days, each given with its rows, made at once.
  std::unique_ptr<MarkupDocument> Build(const std::vector<std::pair<uint32_t, std::vector<DayRow>>>& days) {
    SummaryPage page(inputs_);
    for (const auto& [date, rows] : days) Add(page, date, rows);
    return page.Finish();
  }

  PageSettings settings_;
  FakeCompanies companies_;
  TickerList portfolio_;
  TickerBits xls_, indiv_;
  std::vector<std::string> ignoreTitles_, keywords_;
  SummaryInputs inputs_;
};

TEST_F(SummaryPageTest, DecorationsFiltersAndHighlightsOfOneDay) {
  settings_.cells.market = settings_.cells.industry = true;
  settings_.cells.yahoo = settings_.cells.ifis = settings_.cells.gmo = settings_.cells.kcom = settings_.cells.sbi = true;
  settings_.cells.sites = {"", "https://q/{code}.T", "https://r/{code}"};
  settings_.ignoreForeign = settings_.ignoreREIT = true;
  settings_.fullName = true;
  companies_.companies = {
      {Code(7203), {"トヨタ自動車", 0x19, 17}}, {Code(6758), {"*", 0x19, 16}}, {Code(9556), {"", 0x50, 0}},
      {Code(2158), {"", 0x15, 33}},            {Code(6955), {"", 0x1D, 16}}, {Code(8951), {"", 0x10, 34}},
      {Code(1321), {"", 0x10, 35}},            {Code(2914), {"<b>日本たばこ</b>", 0x24, 26}},
      {Code(1605), {"-", 0x19, 2}},
  };
  portfolio_.Assign({7203, 2914});
  for (int code : {6758, 7203}) AddTicker(xls_, Code(code));
  AddTicker(indiv_, Code(2914));
  ignoreTitles_ = {"お知らせ", "*配当"};
  keywords_ = {"", "増配"};
  std::vector<DayRow> rows = {
      {"1500", 7203, "トヨタ", "東", "決算A"}, {"1500", 7203, "トヨタ", "東", "決算B"},
      {"1400", 6758, "ソニー", "東", "説明C"}, {"1400", 6758, "ソニー", "東", "説明D"},
      {"1300", 9556, "緑", "GR", "緑化"},      {"1200", 2158, "Ｐ－プロ", "東", "プロ"},
      {"1100", 6955, "外国", "東", "外国"},    {"1030", 8951, "不動産", "東", "不動産"},
      {"1000", 1321, "投信", "東", "上場投信"}, {"0930", 2914, "ＪＴ", "名", "名古屋"},
      {"0900", 1301, "極洋", "東", "お知らせ"}, {"0830", 1332, "水産", "東", "配当のお知らせ"},
      {"0800", 1605, "ＩＮＰＥＸ", "東", "増配と増配"},
  };
  std::string links = "gmo=L kcom=L sbi=TKY ifis=L yahoo=L";
  std::string links2 = "gmo(2)=L kcom(2)=L sbi(2)=TKY ifis(2)=L yahoo(2)=L";
  // Newest row on top; the green sheet, the professional market, foreign
  // listings, REITs, ETFs and the ignored titles are left out. A stored name
  // replaces the list's (as text only); "*" and "-" do not.
  EXPECT_EQ(Describe(*Build({{20240410, rows}})),
            (std::vector<std::string>{
                "date(6)=2024/04/10<br />(水) time=0800 ticker=1605 coname=ＩＮＰＥＸ " + links +
                    " market=東証PRM industry=鉱業 title=<mark>増配</mark>と<mark>増配</mark>",
                "time=0930 ticker=@2914 coname=in_port:日本たばこ gmo=- kcom=L sbi=NGY ifis=L yahoo=L "
                "market=名証PRM industry=卸売業 title=名古屋",
                "time(2)=1400 ticker(2)=6758 coname(2)=in_xls:ソニー " + links2 +
                    " market(2)=東証PRM industry(2)=電気機器 title=説明D",
                "title=説明C",
                "time(2)=1500 ticker(2)=7203 coname(2)=in_port:トヨタ自動車 " + links2 +
                    " market(2)=東証PRM industry(2)=輸送用機器 title=決算B",
                "title=決算A",
            }));
  // The portfolio page marks nothing; the spreadsheet page the portfolio only.
  inputs_.view = View::kPort;
  std::vector<std::string> port = Describe(*Build({{20240410, {rows[0], rows[9]}}}));
  EXPECT_NE(port[0].find("coname=日本たばこ "), std::string::npos) << port[0];
  EXPECT_NE(port[1].find("coname=トヨタ自動車 "), std::string::npos) << port[1];
  inputs_.view = View::kXls;
  std::vector<std::string> xls = Describe(*Build({{20240410, {rows[0], rows[2]}}}));
  EXPECT_NE(xls[0].find("coname=ソニー "), std::string::npos) << xls[0];
  EXPECT_NE(xls[1].find("coname=in_port:トヨタ自動車 "), std::string::npos) << xls[1];

  // Without the profile the market is the row's, and nothing is left out for
  // its market or industry; the cells a setting turns off go.
  companies_.profileLoaded = false;
  settings_.cells = {};
  settings_.cells.inPortHighlight = false;
  settings_.ignoreGR = settings_.ignoreAim = false;
  inputs_.view = View::kAll;
  EXPECT_EQ(Describe(*Build({{20240410, {rows[4], rows[5], rows[9]}}})),
            (std::vector<std::string>{"date(3)=2024/04/10<br />(水) time=0930 ticker=@2914 coname=日本たばこ title=名古屋",
                                      "time=1200 ticker=2158 coname=Ｐ－プロ title=プロ",
                                      "time=1300 ticker=9556 coname=緑 title=緑化"}));
}

TEST_F(SummaryPageTest, NeighbouringRowsShareTheirCompanyNameAndTimeCells) {
  settings_.cells.gmo = settings_.cells.market = true;
  std::vector<DayRow> rows = {{"1000", 1301, "同名", "東", "t1"},
                              {"1000", 1332, "同名", "東", "t2"},
                              {"1000", 1332, "同名", "東", "t3"},
                              {"1100", 1332, "別名", "東", "t4"}};
  // The same company shares its code, link and market cells; the same name
  // and the same time their cells, whatever the company.
  EXPECT_EQ(Describe(*Build({{20240409, rows}})),
            (std::vector<std::string>{"date(4)=2024/04/09<br />(火) time=1100 ticker(3)=1332 coname=別名 gmo(3)=L "
                                      "market(3)=東 title=t4",
                                      "time(3)=1000 coname(3)=同名 title=t3",
                                      "title=t2",
                                      "ticker=1301 gmo=L market=東 title=t1"}));
  settings_.mergeTime = false;
  std::vector<std::string> unmerged = Describe(*Build({{20240409, {rows[0], rows[1]}}}));
  EXPECT_EQ(unmerged, (std::vector<std::string>{"date(2)=2024/04/09<br />(火) time=1000 ticker=1332 coname(2)=同名 "
                                                "gmo=L market=東 title=t2",
                                                "time=1000 ticker=1301 gmo=L market=東 title=t1"}));
  // A day whose every row is left out adds nothing, not even its date.
  companies_.companies[Code(1301)] = {"", 0x50, 0};
  EXPECT_EQ(Describe(*Build({{20240410, {rows[0]}}})), std::vector<std::string>{});
}

// The page as the next run reads it back.
std::unique_ptr<MarkupDocument> ReadBack(const MarkupDocument& page) {
  StringOutput text;
  page.Write(text, 0);
  PageParser parser;
  return parser.Parse(text.text);
}

std::string Written(const MarkupDocument& page) {
  StringOutput text;
  page.Write(text, 0);
  return text.text;
}

TEST_F(SummaryPageTest, APageReadBackIsTrimmedToThePeriodAndItsNewestDayReplaced) {
  std::vector<DayRow> day8 = {{"0900", 1301, "極洋", "東", "八日"}};
  std::vector<DayRow> day9 = {{"0900", 1332, "水産", "東", "九日"}};
  std::vector<DayRow> day10 = {{"0900", 7203, "トヨタ", "東", "十日"}};
  std::vector<DayRow> day10Grown = {day10[0], {"1000", 6758, "ソニー", "東", "十日の次"}};
  settings_.periodStart = 20240408;
  std::unique_ptr<MarkupDocument> first = Build({{20240408, day8}, {20240409, day9}, {20240410, day10}});

  // PeriodSt moved to the 9th: the 8th goes; the 9th is kept as it is, the
  // 10th (the page's newest, perhaps still growing) is made again.
  settings_.periodStart = 20240409;
  SummaryPage page(inputs_);
  ASSERT_TRUE(page.Adopt(ReadBack(*first)));
  EXPECT_EQ(page.OldestDay(), 20240409u);
  EXPECT_EQ(page.NewestDay(), 20240410u);
  EXPECT_TRUE(page.Holds(20240409));
  EXPECT_FALSE(page.Holds(20240410));
  Add(page, 20240410, day10Grown);
  std::unique_ptr<MarkupDocument> merged = page.Finish();
  EXPECT_EQ(Written(*merged), Written(*Build({{20240409, day9}, {20240410, day10Grown}})));

  // PeriodSt back on the 8th: the older day goes below the kept ones, and the
  // page is byte for byte the one a single build makes.
  settings_.periodStart = 20240408;
  SummaryPage again(inputs_);
  ASSERT_TRUE(again.Adopt(ReadBack(*merged)));
  Add(again, 20240408, day8);
  Add(again, 20240410, day10Grown);
  EXPECT_EQ(Written(*again.Finish()), Written(*Build({{20240408, day8}, {20240409, day9}, {20240410, day10Grown}})));
}

TEST_F(SummaryPageTest, APageThatCannotTellItsDaysIsMadeAnew) {
  const std::string head = "<html><head><title>x</title></head><body>";
  settings_.periodStart = 20240409;
  for (const std::string& body : {std::string("<p>no table</p>"), std::string("<table></table>"),
                                  std::string("<table><tr><td id=\"time\">0900</td></tr></table>"),
                                  std::string("<table><tr><td id=\"date\">2024/04/08</td></tr></table>")}) {
    PageParser parser;
    std::unique_ptr<MarkupDocument> old = parser.Parse(head + body + "</body></html>");
    ASSERT_NE(old, nullptr) << body;
    SummaryPage page(inputs_);
    EXPECT_FALSE(page.Adopt(std::move(old))) << body;
    EXPECT_FALSE(page.Holds(20240409)) << body;
    EXPECT_EQ(Written(*page.Finish()), Written(*Build({}))) << body;
  }
}

}  // namespace
