// The company store against the fixture server's quote pages: "_coname.txt" and
// "_coprof.dat" after runs, and the quote page reading on bad input.
#include <gtest/gtest.h>

#include <filesystem>

#include "pages/frame.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "work/company_store.h"
#include "work/testing.h"

namespace {

std::string NameFile(const std::vector<std::pair<int, std::string>>& names) {
  std::vector<std::string> lines(9000);
  for (const auto& [ticker, name] : names) lines[static_cast<size_t>(ticker - 1001)] = name;
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct Record {
  int ticker;
  uint8_t market, industry, spare1, spare2;
};

std::string ProfileFile(const std::vector<Record>& records) {
  std::string bytes(36000, '\0');
  for (const Record& r : records) {
    size_t at = static_cast<size_t>(r.ticker - 1001) * 4;
    bytes[at] = static_cast<char>(r.market);
    bytes[at + 1] = static_cast<char>(r.industry);
    bytes[at + 2] = static_cast<char>(r.spare1);
    bytes[at + 3] = static_cast<char>(r.spare2);
  }
  return bytes;
}

class CompanyStoreTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    if (!home_) return;
    Options().SetText(OptionKey::QuoteBaseUrl, FixtureUrl());
    Options().SetFlag(OptionKey::UseFullConame, true);
    Options().SetFlag(OptionKey::HtmlInsertIndustry, true);
    std::vector<ListRow> rows;
    for (const char* code : {"13010", "21580", "84210", "13210", "40880", "49990", "69550", "95560"})
      rows.push_back({u8"10:00", std::u8string(reinterpret_cast<const char8_t*>(code)), u8"名前", u8"お知らせ",
                      std::string(code) == "95560" ? u8"GR" : u8"東"});
    Serve(20240412, 1, ListPage(20240412, 1, rows));
  }
};

TEST_F(CompanyStoreTest, NamesAndProfilesComeFromTheQuotePages) {
  // 1301's record is of an old segment (stale): its page is read again and
  // its two spare bytes are kept.
  WriteTestFile(home_->Output("_coprof.dat"), ProfileFile({{1301, 0x11, 1, 0xAB, 0xCD}}));
  MessageRecorder messages;
  home_->Run(20240412, 20240412);
  std::string names = NameFile({{1301, "あけぼの水産"},
                                {1321, "日経225連動型上場投資信託"},
                                {2158, "ノースウインド"},
                                {4088, "ナカ化学工業"},
                                {4999, "-"},
                                {6955, "グローバルテクノロジーズ・インク"},
                                {8421, "シンキン中央金庫"},
                                {9556, "-"}});
  std::string profile = ProfileFile({{1301, 0x19, 1, 0xAB, 0xCD},
                                     {1321, 0x10, 35, 0, 0},
                                     {2158, 0x10, 33, 0, 0},
                                     {4088, 0x1A, 7, 0, 0},
                                     {4999, 0x10, 0, 0, 0},
                                     {6955, 0x1D, 16, 0, 0},
                                     {8421, 0x1A, 31, 0, 0},
                                     {9556, 0x50, 0, 0, 0}});
  EXPECT_EQ(ReadTestFile(home_->Output("_coname.txt")), names);
  EXPECT_EQ(ReadTestFile(home_->Output("_coprof.dat")), profile);
  EXPECT_EQ(Options().Int(OptionKey::CoProfDat), 2);
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts()[0];

  // The day again: nothing is requested ("-" never again, the rest known).
  FileEntry(home_->Output("All/20240412.html").c_str()).Delete();
  long before = FixtureRequestCount();
  home_->Run(20240412, 20240412);
  EXPECT_EQ(FixtureRequestCount() - before, 0);
  EXPECT_EQ(ReadTestFile(home_->Output("_coname.txt")), names);

  // Re-fetching the companies deletes and rebuilds both files.
  ASSERT_TRUE(home_->controller.StartRun(20240412, 20240412, 0, true));
  while (home_->controller.OnIdle()) {
  }
  EXPECT_EQ(ReadTestFile(home_->Output("_coname.txt")), names);
  profile[(1301 - 1001) * 4 + 2] = profile[(1301 - 1001) * 4 + 3] = '\0';
  EXPECT_EQ(ReadTestFile(home_->Output("_coprof.dat")), profile);
}

TEST_F(CompanyStoreTest, ANameLeftRequestedIsFetchedByTheNextRun) {
  // A run killed (or a page that failed) after the request was saved: the
  // "*" is fetched again, never left for good.
  WriteTestFile(home_->Output("_coname.txt"), NameFile({{1301, "*"}}));
  WriteTestFile(home_->Output("Raw/20240412.html"), "");  // nothing new to convert
  MessageRecorder messages;
  home_->Run(20240412, 20240412);
  EXPECT_EQ(ReadTestFile(home_->Output("_coname.txt")), NameFile({{1301, "あけぼの水産"}}));
}

TEST_F(CompanyStoreTest, AProfessionalMarketCompanyStaysOnItsMarketWhicheverStageReadItLast) {
  // The list marks 2158 as a professional-market company, its quote page names
  // only the Tokyo exchange, and the list shows it again after the page was read.
  Serve(20240411, 1, ListPage(20240411, 1, {{u8"10:00", u8"21580", u8"Ｐ－ノースウインド", u8"お知らせ", u8"東"}}));
  Serve(20240412, 1, ListPage(20240412, 1, {{u8"11:00", u8"21580", u8"Ｐ－ノースウインド", u8"報告", u8"東"}}));
  MessageRecorder messages;
  home_->Run(20240411, 20240411);
  std::string profile = ReadTestFile(home_->Output("_coprof.dat"));
  EXPECT_EQ(profile.substr((2158 - 1001) * 4, 2), "\x15\x21");
  home_->Run(20240411, 20240412);
  EXPECT_EQ(ReadTestFile(home_->Output("_coprof.dat")), profile);
  // The quote page read again (the companies fetched anew) changes nothing.
  ASSERT_TRUE(home_->controller.StartRun(20240411, 20240412, 0, true));
  while (home_->controller.OnIdle()) {
  }
  EXPECT_EQ(ReadTestFile(home_->Output("_coprof.dat")).substr((2158 - 1001) * 4, 2), "\x15\x21");
  // TOKYO PRO MARKET companies are hidden (IgnoreAim is on by default).
  EXPECT_EQ(ReadTestFile(home_->Output("All.html")).find("2158"), std::string::npos);
}

TEST_F(CompanyStoreTest, ACompanyThatLeftTheProfessionalMarketIsShownAgain) {
  // 2158 moves from TOKYO PRO MARKET to another Tokyo segment: the list stops
  // writing "Ｐ－" before its name.
  Serve(20240411, 1, ListPage(20240411, 1, {{u8"10:00", u8"21580", u8"Ｐ－ノースウインド", u8"お知らせ", u8"東"}}));
  Serve(20240412, 1, ListPage(20240412, 1, {{u8"11:00", u8"21580", u8"ノースウインド", u8"報告", u8"東"}}));
  MessageRecorder messages;
  home_->Run(20240411, 20240411);
  EXPECT_EQ(ReadTestFile(home_->Output("_coprof.dat"))[(2158 - 1001) * 4], 0x15);
  home_->Run(20240411, 20240412);
  EXPECT_NE(ReadTestFile(home_->Output("_coprof.dat"))[(2158 - 1001) * 4], 0x15);
  EXPECT_NE(ReadTestFile(home_->Output("All.html")).find("2158"), std::string::npos);
  // The same when the second day is converted without being downloaded again
  // (a run killed after the day was stored, before the profile was).
  WriteTestFile(home_->Output("_coprof.dat"), ProfileFile({{2158, 0x15, 33, 0, 0}}));
  std::filesystem::remove(home_->Output("All/20240412.html"));
  home_->Run(20240412, 20240412);
  EXPECT_NE(ReadTestFile(home_->Output("_coprof.dat"))[(2158 - 1001) * 4], 0x15);
}

TEST(QuotePage, OnlyTheCompanysOwnPageOrTheNotFoundPageSaysAnything) {
  const std::string escaped = "<script>self.__next_f.push([1,\"5:[{\\\"menu\\\":{\\\"label\\\":\\\"株価\\\"},"
                              "\\\"priceBoard\\\":{\\\"market\\\":{\\\"label\\\":\\\"東証STD\\\"}},"
                              "\\\"industry\\\":{\\\"industryName\\\":\\\"輸送用機器\\\"}}]\"])</script>";
  struct Case {
    const char* name;
    std::string page;
    QuoteFacts::Name kind;
    std::string companyName;
    int market, industry;  // -1: none found
  } cases[] = {
      {"empty", "", QuoteFacts::Name::kNone, "", -1, -1},
      {"title cut", "<html><head><title>", QuoteFacts::Name::kNone, "", -1, -1},
      {"no bracket", "<title>ミカワ(株)自動車 - 株価\n</title>", QuoteFacts::Name::kNone, "", -1, -1},
      {"another company", "<title>ミカワ(株)【7201】</title>\"marketName\":\"東証PRM\"", QuoteFacts::Name::kNone, "", -1, -1},
      {"bracket past the title", "<title>Error</title><p>関連 【7203】</p>", QuoteFacts::Name::kNone, "", -1, -1},
      {"older shape", "<title>(株)ミカワ(株)【7203】：株価</title>\"marketName\":\"東証STD\",\"other\":\"東証PRM外国 x\","
                      "\"industryName\":\"輸送用機器\"",
       QuoteFacts::Name::kFound, "ミカワ", 0x1A, 17},
      {"today's shape", "<title>ミカワ自動車(株)【7203】：株価・株式情報 - Yahoo!ファイナンス</title>" + escaped,
       QuoteFacts::Name::kFound, "ミカワ自動車", 0x1A, 17},
      {"not found", "<title>Yahoo!ファイナンス</title>\"marketName\":\"東証PRM\"", QuoteFacts::Name::kNoSuchCompany, "",
       -1, -1},
      {"market cut", "<title>A【7203】</title>\"marketName\":\"", QuoteFacts::Name::kFound, "A", 0, -1},
      {"old industry key", "<title>A【7203】</title><dd class=\"category yjSb\">輸送用機器</a>", QuoteFacts::Name::kFound,
       "A", -1, 17},
      {"unknown industry", "<title>A【7203】</title>\"industryName\":\"宇宙\"", QuoteFacts::Name::kFound, "A", -1, 0},
      {"a name that is only markup", "<title><b></b>(株)【7203】</title>", QuoteFacts::Name::kNone, "", -1, -1},
      {"hostile name", "<title>\r\n<script>alert(1)</script>ミ\tカ\nワ&(株)【7203】</title>", QuoteFacts::Name::kFound,
       "alert(1)ミ カ ワ&amp;", -1, -1},
  };
  for (const Case& c : cases) {
    QuoteFacts facts = ReadQuotePage(c.page, Code(7203));
    EXPECT_EQ(facts.nameKind, c.kind) << c.name;
    EXPECT_EQ(facts.name, c.companyName) << c.name;
    EXPECT_EQ(facts.market ? *facts.market : -1, c.market) << c.name;
    EXPECT_EQ(facts.industry ? *facts.industry : -1, c.industry) << c.name;
  }
  // A page of 10 MB of one letter, and bytes that are not text at all.
  EXPECT_EQ(ReadQuotePage(std::string(10u << 20, 'x'), Code(7203)).nameKind, QuoteFacts::Name::kNone);
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>(i * 37);
  ReadQuotePage(binary + "<title>", Code(7203));
}

TEST(StoredName, OneBoundedLineOfPageText) {
  EXPECT_EQ(StoredName("  ミカワ\r\n自動車\n\t"), "ミカワ 自動車");
  EXPECT_EQ(StoredName(std::string("A\0B\0", 4)), "AB");
  EXPECT_EQ(StoredName("A</td></tr></table>B"), "AB");
  EXPECT_EQ(StoredName("\r\n"), "");
  EXPECT_EQ(StoredName(std::string(3000, 'W')), std::string(kMaxNameBytes, 'W'));
  // Cut at a character, never inside an entity reference.
  std::string kana;
  for (int i = 0; i < 200; ++i) kana += "ア";
  EXPECT_EQ(StoredName(kana).size(), 254u);
  EXPECT_EQ(StoredName(std::string(251, 'x') + "&&&"), std::string(251, 'x'));
  EXPECT_EQ(StoredName(std::string(250, 'x') + "&&&"), std::string(250, 'x') + "&amp;");
}

}  // namespace
