// Earnings schedules: the report pages, the monthly list, the decisions of a
// run, and the schedule pages through real runs against the fixture server.
#include <gtest/gtest.h>

#include "markup/tree.h"
#include "pages/page_parser.h"
#include "platform/dates.h"
#include "platform/encoding.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/schedule_store.h"
#include "work/run_settings.h"
#include "work/testing.h"

namespace {

std::string Block(const std::string& settle, const std::string& date, const std::string& name = "7203 ミカワ") {
  return "<div class=\"stockname\"><h1>" + name + "</h1></div><div id=\"stock_name\">"
         "<div class=\"block_update\">\n<h2>次回決算</h2>\n<div class=\"settle\">" +
         settle + "</div>\n<div class=\"date\">" + date + "</div></div>\n<div class=\"float_end\"></div></div>";
}

std::string NoFloatEnd(std::string page) { return page.replace(page.find("float_end"), 9, "other"); }
std::string CutAt(const std::string& page, const char* word) { return page.substr(0, page.find(word)); }

TEST(ReportPage, DatesQuartersAndWhatElseAPageSays) {
  struct Case {
    const char* name;
    std::string page;
    uint32_t today;
    ReportOutcome outcome;
    uint32_t date;
    int status, quarter;
  } cases[] = {
      {"exact", Block("2025年3月期 3Q", "2024/11/08"), 20241001, ReportOutcome::kUpdated, 20241108, 1, 2},
      {"late, next year's leap February", Block("本決算", "2月下旬"), 20231101, ReportOutcome::kUpdated, 20240229, 4, 3},
      {"late February", Block("本決算", "2025年2月下旬"), 20241101, ReportOutcome::kUpdated, 20250228, 4, 3},
      {"early", Block("1Q", "2024年8月上旬"), 20240601, ReportOutcome::kUpdated, 20240809, 2, 0},
      {"middle", Block("中間決算", "11月中旬"), 20240601, ReportOutcome::kUpdated, 20241119, 3, 1},
      {"month 13", Block("2Q", "2024/13/08"), 20240601, ReportOutcome::kUpdated, 20240101, 1, 1},
      {"day 32", Block("2Q", "2024/11/32"), 20240601, ReportOutcome::kUpdated, 20240101, 1, 1},
      {"quarter 5", Block("5Q", "2024/11/08"), 20240601, ReportOutcome::kUpdated, 20241108, 1, 1},
      {"no float_end", NoFloatEnd(Block("3Q", "2024/11/08")), 20240601, ReportOutcome::kUpdated, 20241108, 1, 2},
      {"provisional", "<div id=\"stock_name\">未定</div>", 20240601, ReportOutcome::kUpdated, 20240701, 0, 0},
      {"ETF", "<div id=\"stock_name\">ETF/ETN</div>", 20240601, ReportOutcome::kUpdated, 99991231, 6, 0},
      {"vacant", "<title>銘柄コード9999 - IFIS株予報</title><p>該当する銘柄はありません</p>", 20240601,
       ReportOutcome::kVacant, 20240830, 5, 0},
      {"block page", "<title>アクセスを確認しています</title><form>ロボットではない</form>", 20240601,
       ReportOutcome::kNotAReportPage, 20240101, 1, 1},
      {"site name past the title", "<title>Error</title><p>IFIS株予報</p>", 20240601, ReportOutcome::kNotAReportPage,
       20240101, 1, 1},
      {"refused", "<h1>403 Forbidden</h1>", 20240601, ReportOutcome::kRefused, 20240101, 1, 1},
      {"cut before the date", CutAt(Block("3Q", "2024/11/08"), "settle"), 20240601, ReportOutcome::kUpdated, 20240101,
       1, 1},
  };
  for (const Case& c : cases) {
    ScheduleEntry entry;  // what was known before: 2024-01-01, exact, second quarter
    entry.date = 20240101;
    entry.SetStatus(1);
    entry.SetQuarter(1);
    entry.flags |= 0xFFC0;  // bits kept as they are
    EXPECT_EQ(ReadReportPage(c.page, c.today, 90, entry), c.outcome) << c.name;
    EXPECT_EQ(entry.date, c.date) << c.name;
    EXPECT_EQ(entry.Status(), c.status) << c.name;
    EXPECT_EQ(entry.Quarter(), c.quarter) << c.name;
    EXPECT_EQ(entry.flags & 0xFFC0, 0xFFC0) << c.name;
  }
  // Any page of any length, cut anywhere: read within its bytes.
  std::string page = Block("3Q", "2024年11月下旬") + std::string(10u << 20, 'x');
  for (size_t cut = 0; cut < 300; ++cut) {
    ScheduleEntry entry;
    ReadReportPage(std::string_view(page).substr(0, cut), 20240601, 90, entry);
  }
  ScheduleEntry entry;
  ReadReportPage(page, 20240601, 90, entry);
  EXPECT_EQ(entry.date, 20241130u);
}

TEST(MonthlyList, DaysOfThisOrNextMonthOffWeekendsAndBadLinesSkipped) {
  std::vector<MonthlyEntry> list = ReadMonthlyList(
      "<m ticker=\"9983\" date=\"5\" title=\"月次\" url=\"http://x/\" />\n"
      "<m ticker=\"3038\" date=\"16\" />\n"
      "<m ticker=\"1301\" date=\"6\" />\n"
      "<m ticker=\"1332\" date=\"32\" />\n"
      "<m date=\"5\" />\n"
      "<m ticker=\"12\" date=\"5\" />\n"
      "<broken ticker=\"1605\" date=\"7\"\n"
      "<m ticker=\"2914\" date=\"7\" />\n",
      20240310);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].ticker, Code(9983));
  EXPECT_EQ(list[0].date, 20240405u);  // the 5th has passed: April, a Friday
  EXPECT_EQ(list[0].title, "月次");
  EXPECT_EQ(list[0].url, "http://x/");
  EXPECT_EQ(list[1].date, 20240318u);  // the 16th, a Saturday: the Monday after
  EXPECT_EQ(list[2].date, 20240408u);  // 6 April, a Saturday
  EXPECT_EQ(list[3].date, 20240408u);  // 7 April, a Sunday
}

TEST(ScheduleDecision, AChosenWeekdayThatPassedMakesDownloadsDue) {
  TempDir home;
  OptionStore store(home / "VelkoraOption.ini");  // the status keys the store would write
  RunStatus status;
  RunSettings settings;
  settings.schedules.cycle = 2;
  settings.schedules.dayOfWeek = 6;        // Saturday
  settings.schedules.lastFetch = 20240405;  // a Friday
  settings.schedules.lastPages = 20240407;
  auto decide = [&](bool displayOptionsChanged) {
    ScheduleStore schedules(0, settings, status);
    schedules.DecideScheduleWork(displayOptionsChanged);
    return std::pair(schedules.FetchDue(), schedules.PagesNeeded());
  };
  SetEnvironment("VELKORA_TODAY", "20240407");  // the Sunday after
  EXPECT_TRUE(decide(false).first);
  settings.schedules.lastFetch = 20240407;  // a second run that Sunday
  EXPECT_EQ(decide(false), std::pair(false, false));
  EXPECT_TRUE(decide(true).second);  // a display option changed: the pages are made again
  SetEnvironment("VELKORA_TODAY", "20240412");  // Friday: the Saturday is not past yet
  EXPECT_FALSE(decide(false).first);
  settings.schedules.cycle = 1;
  settings.schedules.daySpan = 5;
  EXPECT_TRUE(decide(false).first);
  UnsetEnvironment("VELKORA_TODAY");
}

}  // namespace

namespace {

std::string Slots(const std::vector<std::tuple<int, int, ScheduleEntry>>& entries) {
  std::string bytes(360000, '\0');
  for (const auto& [ticker, index, entry] : entries) {
    size_t at = static_cast<size_t>(ticker - 1001) * 40 + static_cast<size_t>(index) * 8;
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(entry.date >> (8 * i));
    bytes[at + 4] = static_cast<char>(entry.time & 0xFF);
    bytes[at + 5] = static_cast<char>(entry.time >> 8);
    bytes[at + 6] = static_cast<char>(entry.flags & 0xFF);
    bytes[at + 7] = static_cast<char>(entry.flags >> 8);
  }
  return bytes;
}

ScheduleEntry Entry(uint32_t date, int time, int status, int quarter) {
  ScheduleEntry entry;
  entry.date = date;
  entry.time = static_cast<int16_t>(time);
  entry.SetStatus(status);
  entry.SetQuarter(quarter);
  return entry;
}

// The cells of a page's rows as "id[class]=text" (links as "L").
std::vector<std::string> Rows(const std::string& page) {
  PageParser parser;
  std::unique_ptr<MarkupDocument> document = parser.Parse(page);
  std::vector<std::string> rows;
  const MarkupElement* table = document ? document->FindChild("table", true) : nullptr;
  if (!table) return rows;
  for (const MarkupElement* row : table->children()) {
    std::string line;
    for (const MarkupElement* cell : row->children()) {
      const MarkupAttribute* cls = cell->FindAttribute("class");
      const MarkupElement* link = cell->FindChild("a", false);
      const MarkupElement& holder = link ? *link : *cell;
      std::string text;
      for (const MarkupText* piece : holder.texts()) text += std::string(piece->text());
      while (!text.empty() && text.back() == ' ') text.pop_back();
      if (!line.empty()) line += ' ';
      line += cell->FindAttribute("id")->text();
      if (cls) line.append("[").append(cls->text()).append("]");
      line.append("=").append(link ? "L:" : "").append(text);
    }
    rows.push_back(line);
  }
  return rows;
}

class SchedulePagesTest : public PipelineTest {
 protected:
  // The site's pages are UTF-8.
  void ServeReport(const char* code, const std::string& page) {
    WriteTestFile(FixtureRoot() + "/report/" + code + ".html", ShiftJisToUtf8(page));
  }
};

TEST_F(SchedulePagesTest, ExactVagueAnnouncedMonthlyAndWhatNeverShows) {
  Options().SetText(OptionKey::ReportBaseUrl, FixtureUrl());
  Options().SetText(OptionKey::QuoteBaseUrl, FixtureUrl());
  Options().SetFlag(OptionKey::EnableStSche, true);
  Options().SetFlag(OptionKey::EnableStSchePort, true);
  Options().SetFlag(OptionKey::EnableHtmlPort, true);
  Options().SetInt(OptionKey::StScheCycle, 0);
  Options().SetText(OptionKey::PortList, "7203, 6758, 2914, 3038, 4444, 1321, 1301, 9983");
  ServeReport("7203", Block("3Q", "2024/04/10", "7203 ミカワ自動車"));
  ServeReport("6758", Block("本決算", "2024/04/25", "6758 コスモ電子"));
  ServeReport("2914", Block("1Q", "2024年5月中旬", "2914 ナゴヤ物産"));
  ServeReport("3038", "<div id=\"stock_name\">未定</div>");
  ServeReport("9983", "<div id=\"stock_name\">未定</div>");
  WriteTestFile(home_->Output("_monthly.txt"), "<m ticker=\"9983\" date=\"16\" />\n");
  // 6758 announced at 14:00 two reports ago; 1301's date passed long ago.
  WriteTestFile(home_->Output("_schedule.dat"), Slots({{6758, 2, Entry(20231025, 1400, 1, 3)},
                                                      {1301, 0, Entry(20240301, 0, 1, 1)}}));
  Serve(20240410, 1, ListPage(20240410, 1,
                              {{u8"15:30", u8"99830", u8"ファースト", u8"3月度月次売上高", u8"東"},
                               {u8"15:00", u8"72030", u8"ミカワ", u8"2024年3月期決算短信", u8"東"},
                               {u8"10:00", u8"67580", u8"コスモ", u8"お知らせ", u8"東"}}));
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  std::vector<std::string> rows = Rows(ReadTestFile(home_->Output("PortSche.html")));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], "date=2024/04/10<br />(水) time=1500 ticker=7203 coname=ミカワ自動車 title=L:2024年3月期決算短信");
  EXPECT_EQ(rows[1], "date=2024/04/16<br />(火) time=1530 ticker=9983 coname=ファースト商会 title=L:3月度月次売上高");
  EXPECT_EQ(rows[2], "date=2024/04/25<br />(木) time[in_market_time]=1400* ticker=6758 coname=コスモ電子 title=（予）本決算");
  EXPECT_EQ(rows[3], "date=2024/5/中 time=---- ticker=2914 coname=ナゴヤ物産 title=（予）第１四半期");
  // 1301 was taken as announced at 23:59 and moved into its history.
  std::string table = ReadTestFile(home_->Output("_schedule.dat"));
  EXPECT_EQ(table.substr((1301 - 1001) * 40, 16),
            Slots({{1301, 0, Entry(20240331, 0, 0, 2)}, {1301, 1, Entry(20240301, 2359, 1, 1)}}).substr((1301 - 1001) * 40, 16));
  EXPECT_EQ(Options().Int(OptionKey::ScheduleDat), 2);
  EXPECT_EQ(Options().Text(OptionKey::LastStSche), "20240415");
  // The user's switch governs the mark of estimates in trading hours. (7203,
  // announced, has moved into its history by now.)
  Options().SetFlag(OptionKey::StScheInMarketHighlight, false);
  home_->Run(20240410, 20240410);
  rows = Rows(ReadTestFile(home_->Output("PortSche.html")));
  ASSERT_EQ(rows.size(), 4u);  // 1301's provisional date passed: its page was read again
  EXPECT_EQ(rows[1].substr(0, 38), "date=2024/04/25<br />(木) time=1400* t");

  // The site refuses the client: one page asked for, the rest wait for next
  // time, and even a re-fetch keeps what it knew of them.
  rows = Rows(ReadTestFile(home_->Output("PortSche.html")));
  Options().SetText(OptionKey::ReportBaseUrl, FixtureUrl() + "/fail/403");
  Options().SetInt(OptionKey::DebugLogLevel, 2);
  ASSERT_TRUE(home_->controller.StartRun(20240410, 20240410, 2, false));
  while (home_->controller.OnIdle()) {
  }
  std::string log = ReadTestFile(home_->Home() + "DebugLog.txt");
  size_t reports = 0;
  for (size_t at = log.find("download & check schedule html"); at != std::string::npos;
       at = log.find("download & check schedule html", at + 1))
    ++reports;
  EXPECT_EQ(reports, 1u) << log;
  // (The monthly item's title comes from the days converted in the run.)
  std::vector<std::string> after = Rows(ReadTestFile(home_->Output("PortSche.html")));
  ASSERT_EQ(after.size(), rows.size());
  EXPECT_EQ(std::vector<std::string>(after.begin() + 1, after.end()), std::vector<std::string>(rows.begin() + 1, rows.end()));
}

TEST_F(SchedulePagesTest, AnnouncementsComeFromTheStoredDaysNewestFirstWhicheverRunConvertedThem) {
  Options().SetText(OptionKey::ReportBaseUrl, FixtureUrl());
  Options().SetText(OptionKey::QuoteBaseUrl, FixtureUrl());
  Options().SetFlag(OptionKey::EnableStSche, true);
  Options().SetFlag(OptionKey::EnableStSchePort, true);
  Options().SetFlag(OptionKey::EnableHtmlTicker, true);
  Options().SetInt(OptionKey::StScheCycle, 0);
  // Only the schedule page uses the portfolio.
  Options().SetText(OptionKey::PortList, "7203, 6758");
  ServeReport("7203", Block("本決算", "2024/04/16", "7203 ミカワ自動車"));
  ServeReport("6758", Block("1Q", "2024/05/10", "6758 コスモ電子"));
  Serve(20240409, 1, ListPage(20240409, 1, {{u8"15:00", u8"72030", u8"ミカワ", u8"決算短信 その一", u8"東"}}));
  Serve(20240410, 1, ListPage(20240410, 1, {{u8"15:30", u8"72030", u8"ミカワ", u8"決算短信 その二", u8"東"}}));
  home_->Run(20240409, 20240410);
  std::vector<std::string> rows = Rows(ReadTestFile(home_->Output("PortSche.html")));
  ASSERT_EQ(rows.size(), 2u);
  // The newest report, each ticker linked to its own company page.
  EXPECT_EQ(rows[0], "date=2024/04/16<br />(火) time=1530 ticker=L:7203 coname=ミカワ自動車 title=L:決算短信 その二");
  EXPECT_EQ(rows[1], "date=2024/05/10<br />(金) time=---- ticker=6758 coname=コスモ電子 title=（予）第１四半期");
  std::string page = ReadTestFile(home_->Output("PortSche.html"));
  EXPECT_NE(page.find("href=\"./Indiv/7203.html\""), std::string::npos);
  EXPECT_EQ(page.find("Indiv/0000.html"), std::string::npos);
  // A run that converts nothing new shows the same.
  home_->Run(20240409, 20240410);
  EXPECT_EQ(Rows(ReadTestFile(home_->Output("PortSche.html"))), rows);
}

TEST_F(SchedulePagesTest, BookkeepingMovesOnlyWithTheWorkDone) {
  Options().SetText(OptionKey::ReportBaseUrl, "http://127.0.0.1:9");  // every report page fails
  Options().SetFlag(OptionKey::EnableHtmlPort, true);
  Options().SetInt(OptionKey::StScheCycle, 0);
  Options().SetText(OptionKey::PortList, "7203, 1301, 6758");
  // 1301 is a vacant number whose check is long past; 6758 announced on 4/9,
  // and its next date is a guess.
  WriteTestFile(home_->Output("_schedule.dat"), Slots({{1301, 0, Entry(20240201, 0, 5, 0)},
                                                      {6758, 0, Entry(20240509, 0, 0, 0)},
                                                      {6758, 1, Entry(20240409, 1500, 1, 3)}}));
  Serve(20240409, 1, ListPage(20240409, 1, {{u8"15:00", u8"67580", u8"コスモ", u8"決算短信", u8"東"}}));
  // Schedules off: nothing downloaded, the day's report recorded no guess.
  home_->Run(20240409, 20240409);
  EXPECT_EQ(Options().Text(OptionKey::LastStSche), "");
  EXPECT_EQ(ReadTestFile(home_->Output("_schedule.dat")).substr((6758 - 1001) * 40, 16),
            Slots({{6758, 0, Entry(20240509, 0, 0, 0)}, {6758, 1, Entry(20240409, 1500, 1, 3)}}).substr((6758 - 1001) * 40, 16));
  // Schedules on, every download failing: still due next time.
  Options().SetFlag(OptionKey::EnableStSche, true);
  Options().SetFlag(OptionKey::EnableStSchePort, true);
  home_->Run(20240409, 20240409);
  EXPECT_EQ(Options().Text(OptionKey::LastStSche), "");
  // The vacant number was neither rotated nor asked for.
  EXPECT_EQ(ReadTestFile(home_->Output("_schedule.dat")).substr((1301 - 1001) * 40, 40),
            Slots({{1301, 0, Entry(20240201, 0, 5, 0)}}).substr((1301 - 1001) * 40, 40));
  ServeReport("7203", Block("本決算", "2024/05/08", "7203 ミカワ自動車"));
  Options().SetText(OptionKey::ReportBaseUrl, FixtureUrl());
  home_->Run(20240409, 20240409);
  EXPECT_EQ(Options().Text(OptionKey::LastStSche), "20240415");
}

}  // namespace
