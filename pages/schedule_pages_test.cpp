// The schedule page builder in memory: schedule slots, the monthly list and
// the announced rows in, a page out.
#include "pages/schedule_pages.h"

#include <gtest/gtest.h>

#include "markup/tree.h"
#include "pages/page_testing.h"

namespace {

ScheduleEntry Entry(uint32_t date, int status, int time = 0, int quarter = 0) {
  ScheduleEntry entry;
  entry.date = date;
  entry.time = static_cast<int16_t>(time);
  entry.SetStatus(status);
  entry.SetQuarter(quarter);
  return entry;
}

// The title cell of a disclosure row, linked to its document.
std::unique_ptr<MarkupElement> TitleCell(const char* title) {
  PageParser parser;
  std::unique_ptr<MarkupDocument> row = parser.Parse(std::string("<tr><td id=\"title\"><a href=\"https://t/1.pdf\" "
                                                                 "target=\"_blank\">") +
                                                     title + "</a></td></tr>");
  return row->FindChild("td", true)->Clone();
}

class SchedulePageTest : public ::testing::Test {
 protected:
  SchedulePageTest() : slots_(kTickerCount) {
    inputs_.title = "全て(決算スケジュール) - Velkora";
    inputs_.settings = &settings_;
    inputs_.slots = &slots_;
    inputs_.monthly = &monthly_;
    inputs_.reported = &reported_;
    inputs_.monthlyReported = &monthlyReported_;
    inputs_.companies = &companies_;
    inputs_.selections.portfolio = &portfolio_;
  }
  ScheduleSlot& Slot(int code) { return slots_[*Code(code).Index()]; }
  std::vector<std::string> Page() { return Describe(*MakeSchedulePage(inputs_)); }

  PageSettings settings_;
  std::vector<ScheduleSlot> slots_;
  std::vector<MonthlyEntry> monthly_;
  std::vector<AnnouncedRow> reported_, monthlyReported_;
  FakeCompanies companies_;
  TickerList portfolio_;
  ScheduleInputs inputs_;
};

TEST_F(SchedulePageTest, ExactVagueAnnouncedAndMonthlyItemsSoonestFirst) {
  companies_.companies = {{Code(7203), {"トヨタ自動車", 0x19, 17}}, {Code(2914), {"日本たばこ", 0x24, 26}},
                          {Code(6758), {"ソニー", 0x19, 16}},       {Code(9983), {"-", 0x19, 27}},
                          {Code(2158), {"プロ", 0x15, 33}}};
  Slot(7203)[0] = Entry(20240508, kScheduleExact, 0, 3);
  Slot(7203)[2].time = 1400;  // an estimate from two announcements before, in trading hours
  Slot(2914)[0] = Entry(20240508, kScheduleExact, 0, 1);
  Slot(2914)[2].time = 1500;  // in Nagoya's trading hours (to 15:30)
  Slot(6758)[0] = Entry(20240509, kScheduleExact, 1530, 3);  // announced
  reported_.push_back({Code(6758), TitleCell("決算短信")});
  Slot(9983)[0] = Entry(20240510, kScheduleEarly, 0, 2);
  Slot(2158)[0] = Entry(20240508, kScheduleExact);  // the professional market: left out
  Slot(1301)[0] = Entry(20240501, kScheduleProvisional);
  Slot(1332)[0] = Entry(20240601, kScheduleVacant);
  Slot(1321)[0] = Entry(99991231, kScheduleNone);
  monthly_.push_back({Code(9983), 20240509, 0, "月次<b>", "http://m/&x"});
  monthly_.push_back({Code(3038), 20240509, 1500, "", ""});
  monthlyReported_.push_back({Code(3038), TitleCell("月次売上")});
  EXPECT_EQ(Page(), (std::vector<std::string>{
                        "date(2)=2024/05/08<br />(水) time(1)=1400* ticker=7203 coname=トヨタ自動車 title=（予）本決算",
                        "time(1)=1500* ticker=2914 coname=日本たばこ title=（予）中間決算",
                        "date(3)=2024/05/09<br />(木) time(1)=1500 ticker=3038 coname=？ title=月次売上",
                        "time(1)=1530 ticker=6758 coname=ソニー title=決算短信",
                        "time(1)=---- ticker=9983 coname=？ title=月次",
                        "date(1)=2024/5/上 time(1)=---- ticker=9983 coname=？ title=（予）第３四半期",
                    }));
  StringOutput written;
  MakeSchedulePage(inputs_)->Write(written, 0);
  // An estimate in trading hours is marked: before 15:00 in Tokyo, 15:30 in
  // Nagoya; an announced time never is.
  const std::string marked = "class=\"in_market_time\"";
  size_t first = written.text.find(marked), second = written.text.find(marked, first + 1);
  EXPECT_LT(first, written.text.find("1400*"));
  EXPECT_LT(written.text.find("1400*"), second);
  EXPECT_LT(second, written.text.find("1500*"));
  EXPECT_EQ(written.text.find(marked, second + 1), std::string::npos);
  // The user's monthly title and link are text and an attribute value only.
  EXPECT_NE(written.text.find("href=\"http://m/&amp;x\""), std::string::npos);
  EXPECT_EQ(written.text.find("<b>"), std::string::npos);
}

TEST_F(SchedulePageTest, CellsMergedTimesAndTheViews) {
  settings_.cells.market = settings_.cells.industry = settings_.cells.sbi = true;
  settings_.inMarketTime = false;
  companies_.companies = {{Code(7203), {"トヨタ自動車", 0x19, 17}}, {Code(6758), {"ソニー", 0x31, 16}}};
  Slot(7203)[0] = Entry(20240508, kScheduleExact, 1500);
  Slot(6758)[0] = Entry(20240508, kScheduleExact, 1500);
  portfolio_.Assign({6758});
  EXPECT_EQ(Page(), (std::vector<std::string>{
                        "date(2)=2024/05/08<br />(水) time(2)=1500 ticker=6758 coname=in_port:ソニー sbi=FKO "
                        "market=福証 industry=電気機器 title=（予）第１四半期",
                        "ticker=7203 coname=トヨタ自動車 sbi=TKY market=東証PRM industry=輸送用機器 title=（予）第１四半期",
                    }));
  settings_.mergeTime = false;
  inputs_.view = View::kPort;
  EXPECT_EQ(Page(), (std::vector<std::string>{"date(1)=2024/05/08<br />(水) time(1)=1500 ticker=6758 coname=ソニー sbi=FKO "
                                              "market=福証 industry=電気機器 title=（予）第１四半期"}));
  // The portfolio's page without a portfolio, and the spreadsheet page without
  // files, are empty tables.
  portfolio_.Clear();
  EXPECT_EQ(Page(), std::vector<std::string>{});
  inputs_.view = View::kXls;
  EXPECT_EQ(Page(), std::vector<std::string>{});
}

}  // namespace
