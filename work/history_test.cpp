// The history as data: the raw store read back as records, matched by words,
// and written as CSV and JSON Lines.
#include <gtest/gtest.h>

#include "pages/disclosures.h"
#include "platform/encoding.h"
#include "platform/testing/test_support.h"
#include "work/history.h"

namespace {

std::string RawRow(const char* time, const char* code, const char* name, const char* market, const char* title,
                   const char* docId) {
  return std::string("<tr><td id=\"time\">") + time + "</td><td id=\"ticker\">" + code + "</td><td id=\"coname\">" +
         name + "</td><td id=\"market\">" + market + "</td><td id=\"title\"><a href=\"https://tdnet.example/inbs/" +
         docId + ".pdf\" target=\"_blank\">" + title + "</a></td></tr>\n";
}

// A raw row with its XBRL cell after the title.
std::string WithXbrl(std::string row, const char* url) {
  return row.insert(row.size() - 6, std::string("<td id=\"xbrl\"><a href=\"") + url + "\">XBRL</a></td>");
}

std::string RawDay(const std::string& rows) {
  return "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"><head>"
         "</head><body>\n<table>\n" + rows + "</table>\n</body></html>\n";
}

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_.output = OutputDir(dir_.Path() + "out");
    WriteTestFile(dir_ / "out/Raw/20240326.html",
                  RawDay(RawRow("1500", "7203", "トヨタ", "東", "M&amp;A, \"合併\" のお知らせ", "140120240326500001")));
    WriteTestFile(dir_ / "out/Raw/20240327.html",
                  RawDay(RawRow("1930", "1301", "極洋", "東", "ＡＢＣ株式の取得", "140120240327500002") +
                         WithXbrl(RawRow("0900", "7203", "トヨタ", "東", "決算短信", "140120240327500003"),
                                  "https://tdnet.example/inbs/081220240327500003.zip?a=1&amp;b=2")));
    WriteTestFile(dir_ / "out/Raw/20240328.html", "");  // a day without disclosures
    WriteTestFile(dir_ / "out/Raw/notes.html", "not a day");
    std::string names;
    for (int code = 1001; code <= 9999; ++code) names += code == 7203 ? "トヨタ自動車(株)\n" : "*\n";
    WriteTestFile(dir_ / "out/_coname.txt", names);
  }

  std::vector<HistoryRecord> Read(HistoryQuery query) {
    History history(settings_, std::move(query));
    std::vector<HistoryRecord> records;
    for (uint32_t date : history.Days()) EXPECT_TRUE(history.ReadDay(date, records));
    return records;
  }

  TempDir dir_;
  RunSettings settings_;
};

TEST_F(HistoryTest, ReadsStoredDaysNewestFirstWithStoredNames) {
  std::vector<HistoryRecord> records = Read({});
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].row.date, 20240327u);
  EXPECT_EQ(records[0].row.time, 1930);
  EXPECT_EQ(records[0].row.code, Code(1301));
  EXPECT_EQ(records[0].fullName, "");  // "*": requested, not known
  EXPECT_EQ(records[1].fullName, "トヨタ自動車(株)");
  EXPECT_EQ(DisplayName(records[1]), "トヨタ自動車(株)");
  EXPECT_EQ(records[2].row.date, 20240326u);

  HistoryQuery period;
  period.from = 20240326;
  period.to = 20240326;
  EXPECT_EQ(Read(period).size(), 1u);
  HistoryQuery company;
  company.codes = {Code(1301)};
  EXPECT_EQ(Read(company).size(), 1u);
}

TEST_F(HistoryTest, WordsMatchCaseAndWidthBlindInTitleOrName) {
  std::vector<HistoryRecord> records = Read({});
  auto matches = [&](size_t i, std::vector<std::string> words) {
    for (std::string& word : words) word = FoldForSearch(word);
    return MatchesEveryWord(records[i], words);
  };
  EXPECT_TRUE(matches(0, {"abc"}));      // the title holds "ＡＢＣ"
  EXPECT_TRUE(matches(0, {"ａＢc", "取得"}));
  EXPECT_FALSE(matches(0, {"abc", "決算"}));  // every word must occur
  EXPECT_TRUE(matches(1, {"自動車"}));   // the stored full name
  EXPECT_TRUE(matches(2, {"m&a"}));      // references decoded
  EXPECT_FALSE(matches(2, {"amp"}));
  EXPECT_EQ(FoldForSearch("ＡＢＣ１２３ｘｙｚAbC"), "abc123xyzabc");
  // "ア" is 0x83 0x41: its trail byte is no letter "A", and no match begins on it.
  EXPECT_EQ(FoldForSearch("ア"), "ア");
  HistoryRecord katakana;
  katakana.row.title = "ア";
  EXPECT_FALSE(MatchesEveryWord(katakana, {"a"}));
  EXPECT_FALSE(MatchesEveryWord(katakana, {"A"}));
}

TEST_F(HistoryTest, ExportsQuotedCsvAndJsonLines) {
  std::vector<HistoryRecord> records = Read({});
  EXPECT_EQ(ExportHeader(ExportFormat::kCsv),
            "date,time,code,tdnet_code,name,full_name,market,industry,title,pdf_url,xbrl_url,place,history,"
            "document_id\r\n");
  std::string csv = ExportLine(ExportFormat::kCsv, records[2]);
  EXPECT_EQ(csv, ShiftJisToUtf8("2024-03-26,15:00,7203,72030,トヨタ,トヨタ自動車(株),東,,\"M&A, \"\"合併\"\" のお知らせ\","
                                "https://tdnet.example/inbs/140120240326500001.pdf,,東,,140120240326500001\r\n"));
  // The XBRL address of the row that has one, with its references decoded.
  EXPECT_EQ(ExportLine(ExportFormat::kCsv, records[1]),
            ShiftJisToUtf8("2024-03-27,09:00,7203,72030,トヨタ,トヨタ自動車(株),東,,決算短信,"
                           "https://tdnet.example/inbs/140120240327500003.pdf,"
                           "https://tdnet.example/inbs/081220240327500003.zip?a=1&b=2,東,,140120240327500003\r\n"));
  EXPECT_NE(ExportLine(ExportFormat::kJsonLines, records[1])
                .find("\"xbrl_url\":\"https://tdnet.example/inbs/081220240327500003.zip?a=1&b=2\""),
            std::string::npos);
  std::string json = ExportLine(ExportFormat::kJsonLines, records[2]);
  EXPECT_NE(json.find(ShiftJisToUtf8("\"title\":\"M&A, \\\"合併\\\" のお知らせ\"")), std::string::npos) << json;
  EXPECT_NE(json.find("\"xbrl_url\":\"\""), std::string::npos) << json;
  EXPECT_EQ(json.back(), '\n');
  EXPECT_EQ(json.find('\n'), json.size() - 1);
}

// A hand-edited raw day's XBRL cell that is no http(s) address is not an
// address: exports and feeds never carry it.
TEST_F(HistoryTest, XbrlCellsOfOtherSchemesAreNoAddress) {
  WriteTestFile(dir_ / "out/Raw/20240329.html",
                RawDay(WithXbrl(RawRow("1000", "7203", "トヨタ", "東", "a", "140120240329500002"), "javascript:alert(1)") +
                       WithXbrl(RawRow("0900", "7203", "トヨタ", "東", "b", "140120240329500001"), "HTTPS//x.zip")));
  HistoryQuery day;
  day.from = day.to = 20240329;
  std::vector<HistoryRecord> records = Read(day);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].row.xbrlUrl, "");
  EXPECT_EQ(records[1].row.xbrlUrl, "");
  day.from = day.to = 20240327;
  EXPECT_EQ(Read(day).at(1).row.xbrlUrl, "https://tdnet.example/inbs/081220240327500003.zip?a=1&amp;b=2");
}

TEST_F(HistoryTest, ViewKeepsItsCompaniesWithoutIgnoredOnes) {
  settings_.portList = "7203";
  HistoryQuery port;
  port.view = View::kPort;
  EXPECT_EQ(Read(port).size(), 2u);
  settings_.ignoreListOn = true;
  settings_.ignoreList = "1301";
  HistoryQuery all;
  all.view = View::kAll;
  EXPECT_EQ(Read(all).size(), 2u);
  EXPECT_EQ(Read({}).size(), 3u);  // without a view nothing is ignored
}

TEST_F(HistoryTest, ADayThatDoesNotParseIsReportedAndTheOthersRead) {
  WriteTestFile(dir_ / "out/Raw/20240325.html", "\x81\x00<html><body><p>no table");
  History history(settings_, {});
  std::vector<HistoryRecord> records;
  std::vector<uint32_t> days = history.Days();
  ASSERT_EQ(days.size(), 4u);
  EXPECT_FALSE(history.ReadDay(20240325, records));
  for (uint32_t date : days) {
    if (date != 20240325) {
      EXPECT_TRUE(history.ReadDay(date, records));
    }
  }
  EXPECT_EQ(records.size(), 3u);
}

TEST(PageText, DecodesReferencesAndBlanksControls) {
  EXPECT_EQ(PageTextToUtf8("a&amp;b&lt;&#x41;&#66;&bogus;&"), "a&b<AB&bogus;&");
  EXPECT_EQ(PageTextToUtf8("x&#10;y\tz"), "x y z");
  EXPECT_EQ(PageTextToUtf8("&#128512;"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(PageTextToUtf8("&#xFFFF;&#xD800;"), "?&#xD800;");  // never a character XML cannot hold
  EXPECT_EQ(DocumentId("https://x/inbs/140120240327500120.pdf"), "140120240327500120");
  EXPECT_EQ(DocumentId("https://x/inbs/1401.pdf"), "");
  EXPECT_EQ(DocumentId(""), "");
}

}  // namespace
