// The company pages "Indiv/NNNN.html" through real runs against the fixture.
#include <gtest/gtest.h>

#include "pages/company_pages.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/testing.h"

namespace {

class IndivTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    if (!home_) return;
    Options().SetFlag(OptionKey::EnableHtmlTicker, true);
  }
  std::string Page(int ticker) { return ReadTestFile(home_->Output(FormatString("Indiv/%04d.html", ticker))); }
  // A row of a company page as the markup writer writes it. A date cell read
  // back from a page keeps a blank after its text (the parser joins a raw
  // text's tokens with the blanks that followed them).
  std::string Row(const char* time, const char* name, const char* title, const char* date = nullptr,
                  int span = 0) {
    std::string row = "\t\t\t<tr>\n";
    if (date) row += FormatString("\t\t\t\t<td id=\"date\" rowspan=\"%d\">\n\t\t\t\t\t%s\n\t\t\t\t</td>\n", span, date);
    row += FormatString("\t\t\t\t<td id=\"time\">\n\t\t\t\t\t%s\n\t\t\t\t</td>\n", time);
    row += FormatString("\t\t\t\t<td id=\"coname\">\n\t\t\t\t\t%s\n\t\t\t\t</td>\n", name);
    row += FormatString(
        "\t\t\t\t<td id=\"title\">\n\t\t\t\t\t<a href=\"%s140120240329500000.pdf\" target=\"_blank\">\n"
        "\t\t\t\t\t\t%s\n\t\t\t\t\t</a>\n\t\t\t\t</td>\n",
        base_.c_str(), title);
    return row + "\t\t\t</tr>\n";
  }
  // The rows of a page: what stands between "<table>" and "</table>".
  std::string Rows(const std::string& page) {
    size_t start = page.find("<table>\n");
    size_t end = page.find("\t\t</table>");
    if (start == std::string::npos || end == std::string::npos) return "(no table)";
    return page.substr(start + 8, end - start - 8);
  }
  // Makes the raw day look as if it was fetched on its own day, so the next
  // run fetches it again.
  void FetchAgain(uint32_t date) {
    SetLastWriteTime(home_->Output(FormatString("Raw/%u.html", date)), DateYear(date), DateMonth(date),
                     DateDay(date), 9);
  }
};

const ListRow kToyotaA = {u8"11:00", u8"72030", u8"ミカワ", u8"お知らせA", u8"東"};
const ListRow kToyotaB = {u8"10:00", u8"72030", u8"ミカワ", u8"お知らせB", u8"東"};
const ListRow kToyotaC = {u8"09:00", u8"72030", u8"ミカワ", u8"お知らせC", u8"東"};
const ListRow kSony = {u8"10:30", u8"67580", u8"コスモ", u8"決算", u8"東"};

TEST_F(IndivTest, GroupsByDayNewestFirstAndADayAddedAgainReplacesItsGroup) {
  Serve(20240410, 1, ListPage(20240410, 1, {kToyotaA, kSony, kToyotaB}));
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  EXPECT_EQ(Rows(Page(7203)), Row("1100", "ミカワ", "お知らせA", "2024/04/10", 2) + Row("1000", "ミカワ", "お知らせB"));
  EXPECT_EQ(Rows(Page(6758)), Row("1030", "コスモ", "決算", "2024/04/10", 1));
  EXPECT_NE(Page(7203).find("<title>\n\t\t\t7203 - Velkora\n\t\t</title>"), std::string::npos);
  EXPECT_NE(Page(7203).find("href=\"../_default.css\""), std::string::npos);
  // The views link the tickers to the pages.
  EXPECT_NE(ReadTestFile(home_->Output("All/20240410.html")).find("<a href=\"./Indiv/7203.html\">\n"),
            std::string::npos);
  EXPECT_EQ(Options().Text(OptionKey::LastUpdateIndiv), "20240410");

  // The same day again with a new row: one group, the later run's.
  Serve(20240410, 1, ListPage(20240410, 1, {kToyotaA, kSony, kToyotaB, kToyotaC}));
  FetchAgain(20240410);
  home_->Run(20240410, 20240410);
  EXPECT_EQ(Rows(Page(7203)), Row("1100", "ミカワ", "お知らせA", "2024/04/10", 3) + Row("1000", "ミカワ", "お知らせB") +
                                  Row("0900", "ミカワ", "お知らせC"));

  // A newer day goes on top; an older day than the last one added adds nothing.
  Serve(20240411, 1, ListPage(20240411, 1, {kToyotaC}));
  Serve(20240409, 1, ListPage(20240409, 1, {kToyotaB}));
  home_->Run(20240411, 20240411);
  home_->Run(20240409, 20240409);
  std::string newest = Row("0900", "ミカワ", "お知らせC", "2024/04/11", 1);
  std::string april10 = Row("1100", "ミカワ", "お知らせA", "2024/04/10", 3) + Row("1000", "ミカワ", "お知らせB") +
                        Row("0900", "ミカワ", "お知らせC");
  EXPECT_EQ(Rows(Page(7203)), newest + april10);

  // Rebuilding from PeriodSt: every day again, oldest first.
  Options().SetFlag(OptionKey::TickerRemake, true);
  WriteTestFile(home_->Output("Indiv/1301.html"), "a page of a company no longer listed");
  Options().SetInt(OptionKey::PeriodSt, 20240409);
  ASSERT_TRUE(home_->controller.StartRun(20240409, 20240411, 0, false));
  while (home_->controller.OnIdle()) {
  }
  EXPECT_EQ(Rows(Page(7203)), newest + april10 + Row("1000", "ミカワ", "お知らせB", "2024/04/09", 1));
  EXPECT_FALSE(TestPathExists(home_->Output("Indiv/1301.html")));
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts()[0];
}

TEST_F(IndivTest, OldPlainDateCellsAreRewrittenAndABrokenPageIsKeptAside) {
  Serve(20240410, 1, ListPage(20240410, 1, {kToyotaA, kSony}));
  // A page with an older group whose date cell holds a plain number, and one
  // that does not parse at all.
  std::string old = "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<html><body><table>\n" +
                    Row("1500", "ミカワ", "古い", "20240401", 1) + "\t\t</table></body></html>\n";
  WriteTestFile(home_->Output("Indiv/7203.html"), old);
  WriteTestFile(home_->Output("Indiv/6758.html"), "<html><body><table><tr><td>cut");
  MessageRecorder messages;
  home_->Run(20240410, 20240410);
  EXPECT_EQ(Rows(Page(7203)), Row("1100", "ミカワ", "お知らせA", "2024/04/10", 1) +
                                  Row("1500", "ミカワ", "古い", "2024/04/01", 1));
  EXPECT_EQ(Rows(Page(6758)), Row("1030", "コスモ", "決算", "2024/04/10", 1));
  std::string page = OutputDirOf(Options()).CompanyPage(Code(6758));
  std::string aside = page + ".broken-20240415";
  EXPECT_EQ(ReadTestFile(aside), "<html><body><table><tr><td>cut");
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"銘柄別html<" + page + ">を読めないので<" +
                                                       aside + ">に移して作り直します"});
}

TEST_F(IndivTest, AHandEditedPageWithBadRowspansNeverLoops) {
  Serve(20240410, 1, ListPage(20240410, 1, {kToyotaA}));
  for (const char* span : {"0", "99999", "-3", "x"}) {
    std::string page = "<html><body><table>\n" + Row("1500", "ミカワ", "同じ日", "2024/04/10", 1) +
                       Row("1500", "ミカワ", "古い", "2024/04/01", 1) + "</table></body></html>\n";
    page.replace(page.find("rowspan=\"1\""), 11, std::string("rowspan=\"") + span + "\"");
    WriteTestFile(home_->Output("Indiv/7203.html"), page);
    Options().SetInt(OptionKey::LastUpdateIndiv, 20240410);
    if (TestPathExists(home_->Output("All/20240410.html"))) FileEntry(home_->Output("All/20240410.html").c_str()).Delete();
    MessageRecorder messages;
    home_->Run(20240410, 20240410);
    std::string rows = Rows(Page(7203));
    EXPECT_EQ(rows.rfind(Row("1100", "ミカワ", "お知らせA", "2024/04/10", 1), 0), 0u) << span;
    EXPECT_EQ(rows.find("同じ日"), std::string::npos) << span;
  }
}

TEST_F(IndivTest, ADeletedOrBrokenPageComesBackWithEveryStoredDayOfThePeriod) {
  Serve(20240409, 1, ListPage(20240409, 1, {kToyotaA, kSony}));
  Serve(20240410, 1, ListPage(20240410, 1, {kToyotaB}));
  Serve(20240411, 1, ListPage(20240411, 1, {kSony}));
  home_->Run(20240409, 20240411);
  std::string sonyBefore = Rows(Page(6758));
  // One page deleted, one broken; the next day names both companies.
  FileEntry(home_->Output("Indiv/7203.html").c_str()).Delete();
  WriteTestFile(home_->Output("Indiv/6758.html"), "<html><body><table><tr><td>cut");
  Serve(20240412, 1, ListPage(20240412, 1, {kToyotaC, kSony}));
  MessageRecorder messages;
  home_->Run(20240409, 20240412);
  EXPECT_EQ(Rows(Page(7203)), Row("0900", "ミカワ", "お知らせC", "2024/04/12", 1) +
                                  Row("1000", "ミカワ", "お知らせB", "2024/04/10", 1) +
                                  Row("1100", "ミカワ", "お知らせA", "2024/04/09", 1));
  EXPECT_EQ(Rows(Page(6758)), Row("1030", "コスモ", "決算", "2024/04/12", 1) + sonyBefore);
  EXPECT_EQ(messages.messages.size(), 1u);  // the broken page set aside
  // Days before the period stay out of a page made again.
  FileEntry(home_->Output("Indiv/7203.html").c_str()).Delete();
  Serve(20240413, 1, ListPage(20240413, 1, {kToyotaA}));
  home_->Run(20240410, 20240413);
  EXPECT_EQ(Rows(Page(7203)), Row("1100", "ミカワ", "お知らせA", "2024/04/13", 1) +
                                  Row("0900", "ミカワ", "お知らせC", "2024/04/12", 1) +
                                  Row("1000", "ミカワ", "お知らせB", "2024/04/10", 1));
}

TEST_F(IndivTest, APageMadeAgainByARunCutShortIsFinishedByTheNext) {
  Serve(20240409, 1, ListPage(20240409, 1, {kToyotaA}));
  Serve(20240410, 1, ListPage(20240410, 1, {kToyotaB}));
  Serve(20240411, 1, ListPage(20240411, 1, {kSony}));
  home_->Run(20240409, 20240411);
  FileEntry(home_->Output("Indiv/7203.html").c_str()).Delete();
  // Cancelled once the page was made again from its first day only.
  ASSERT_TRUE(home_->controller.StartRun(20240409, 20240411, 0, false));
  while (home_->controller.OnIdle()) {
    WorkTask* task = home_->controller.Task();
    if (task && task->Step() == kStepConvertDay && task->Cursor().curDate > 20240409) break;
  }
  home_->controller.CancelWorkTask();
  EXPECT_EQ(Rows(Page(7203)), Row("1100", "ミカワ", "お知らせA", "2024/04/09", 1));
  home_->Run(20240409, 20240411);
  EXPECT_EQ(Rows(Page(7203)), Row("1000", "ミカワ", "お知らせB", "2024/04/10", 1) +
                                  Row("1100", "ミカワ", "お知らせA", "2024/04/09", 1));
  EXPECT_EQ(Options().Text(OptionKey::LastUpdateIndiv), "20240411");
}

TEST_F(IndivTest, AnUnreadableRawDayIsAddedByTheNextRunOnceItReads) {
  Options().SetFlag(OptionKey::EnableHtmlTicker, false);
  Serve(20240409, 1, ListPage(20240409, 1, {kToyotaA}));
  Serve(20240410, 1, ListPage(20240410, 1, {kToyotaB}));
  Serve(20240411, 1, ListPage(20240411, 1, {kToyotaC}));
  home_->Run(20240409, 20240411);
  std::string raw = Raw(20240410);
  WriteTestFile(home_->Output("Raw/20240410.html"), "<html><body><tab");
  Options().SetFlag(OptionKey::EnableHtmlTicker, true);
  MessageRecorder messages;  // the parser's report of the broken day
  home_->Run(20240409, 20240411);
  EXPECT_EQ(Options().Text(OptionKey::LastUpdateIndiv), "20240409");
  EXPECT_EQ(Rows(Page(7203)), Row("0900", "ミカワ", "お知らせC", "2024/04/11", 1) +
                                  Row("1100", "ミカワ", "お知らせA", "2024/04/09", 1));
  WriteTestFile(home_->Output("Raw/20240410.html"), raw);
  home_->Run(20240409, 20240411);
  EXPECT_EQ(Options().Text(OptionKey::LastUpdateIndiv), "20240411");
  EXPECT_EQ(Rows(Page(7203)), Row("0900", "ミカワ", "お知らせC", "2024/04/11", 1) +
                                  Row("1000", "ミカワ", "お知らせB", "2024/04/10", 1) +
                                  Row("1100", "ミカワ", "お知らせA", "2024/04/09", 1));
}

}  // namespace
