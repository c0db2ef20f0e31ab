#include "settings/lists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/diagnostics.h"
#include "platform/testing/test_support.h"

namespace {

std::vector<uint16_t> CodesOf(const TickerList& list) {
  std::vector<uint16_t> codes;
  for (const uint16_t* entry = list.Data(); entry != nullptr && *entry != 0; ++entry) codes.push_back(*entry);
  return codes;
}

TEST(ParseTickerList, Examples) {
  struct Case {
    const char* text;
    bool ok;
    std::vector<uint16_t> codes;
  } cases[] = {
      {"7203, 6758\r\n9984", true, {7203, 6758, 9984}},
      {"1301-1305", true, {1301, 1305}},               // no ranges
      {"7203表6758ソ9984 abc", true, {7203, 6758, 9984}},  // any non-digit separates
      {"0x1F", true, {31}},
      {"7203.", true, {7203}},
      {"7203.0,12", true, {7203, 12}},
      {"70000", true, {4464}},                         // low 16 bits
      {"7203, 7203", true, {7203, 7203}},              // duplicates stay
      {"", true, {}},
      {nullptr, true, {}},
      {" 7203", false, {}},
      {"abc", false, {}},
      {"7203.5", false, {}},
      {"7203, 99999999999", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(absent)");
    TickerList list;
    list.Assign({1111});  // every parse starts from an empty list
    MessageRecorder recorder;
    EXPECT_EQ(ParseTickerList(c.text, list), c.ok);
    EXPECT_EQ(CodesOf(list), c.codes);
    EXPECT_EQ(list.Present(), !c.codes.empty());
    if (c.ok) {
      EXPECT_TRUE(recorder.messages.empty());
    } else {
      ASSERT_EQ(recorder.messages.size(), 1u);
      EXPECT_EQ(recorder.messages[0].severity, 0);
      EXPECT_EQ(recorder.messages[0].text, "ＩＤリストのフォーマットエラー");
    }
  }
}

TEST(ParseTickerList, ZeroEndsTheListForScanners) {
  TickerList list;
  ASSERT_TRUE(ParseTickerList("1301, 0, 1305", list));
  ASSERT_NE(list.Data(), nullptr);
  EXPECT_EQ(list.Data()[2], 1305);  // stored, but beyond the end for everyone who scans
  EXPECT_EQ(list.Data()[3], 0);
  EXPECT_TRUE(list.Contains(1301));
  EXPECT_FALSE(list.Contains(1305));
  EXPECT_FALSE(list.Contains(0));
}

// What is saved must mean company codes: 70000 would be kept as 4464.
TEST(ParseTickerListToSave, RefusesNumbersThatAreNoCodes) {
  MessageRecorder recorder;
  TickerList list;
  EXPECT_TRUE(ParseTickerListToSave("7203, 9999\n0", list));
  EXPECT_TRUE(list.Contains(9999));
  EXPECT_FALSE(ParseTickerListToSave("7203, 10000", list));
  EXPECT_FALSE(list.Present());
  EXPECT_FALSE(ParseTickerListToSave("70000", list));
  EXPECT_FALSE(ParseTickerListToSave("-5, 7203", list));
  EXPECT_FALSE(ParseTickerListToSave("abc", list));
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"ＩＤリストの<10000>は銘柄コードではありません (0～9999)",
                                                        "ＩＤリストの<70000>は銘柄コードではありません (0～9999)",
                                                        "ＩＤリストの<-5>は銘柄コードではありません (0～9999)",
                                                        "ＩＤリストのフォーマットエラー"}));
  EXPECT_TRUE(ParseTickerList("70000", list));  // a run still reads what the file holds
}

std::vector<std::string> AlphanumericOf(const TickerList& list) {
  std::vector<std::string> codes;
  for (Code code : list.Alphanumeric()) codes.push_back(code.Text());
  return codes;
}

// Codes with a letter ("285A") used to split at the letter into a number of
// three digits: "285A" was kept as 285, a code no company has.
TEST(ParseTickerList, AlphanumericCodesInEitherCaseAreKeptUpperCase) {
  TickerList list;
  MessageRecorder recorder;
  ASSERT_TRUE(ParseTickerList("7203, 285A,130a\n1A00 9984", list));
  EXPECT_EQ(CodesOf(list), (std::vector<uint16_t>{7203, 9984}));
  EXPECT_EQ(AlphanumericOf(list), (std::vector<std::string>{"285A", "130A", "1A00"}));
  EXPECT_TRUE(list.Contains(*Code::FromText("130A")));
  EXPECT_FALSE(list.Contains(Code(285)));
  ASSERT_TRUE(ParseTickerList("130A", list));  // a list of one such code is present
  EXPECT_TRUE(list.Present());
  EXPECT_EQ(list.Data(), nullptr);
  ASSERT_TRUE(ParseTickerList("0x1F", list));  // a hexadecimal number stays one
  EXPECT_EQ(CodesOf(list), std::vector<uint16_t>{31});
  EXPECT_TRUE(recorder.messages.empty());

  std::string stored;
  ASSERT_TRUE(ParseTickerListToSave("7203, 285a,表130a", list, &stored));
  EXPECT_EQ(stored, "7203, 285A,表130A");
  EXPECT_EQ(AlphanumericOf(list), (std::vector<std::string>{"285A", "130A"}));
}

TEST(ParseTickerListToSave, RefusesMalformedCodesByName) {
  for (const char* bad : {"7203, 28A5", "285AA", "7203x, 1301", "A285, 7203"}) {
    SCOPED_TRACE(bad);
    MessageRecorder recorder;
    TickerList list;
    std::string stored = "unchanged";
    EXPECT_FALSE(ParseTickerListToSave(bad, list, &stored));
    EXPECT_FALSE(list.Present());
    ASSERT_EQ(recorder.messages.size(), 1u);
  }
  MessageRecorder recorder;
  TickerList list;
  EXPECT_FALSE(ParseTickerListToSave("7203, 28a5", list));
  EXPECT_FALSE(ParseTickerListToSave("7203, 285AA", list));
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"ＩＤリストの<28a5>は銘柄コードではありません",
                                                        "ＩＤリストの<285AA>は銘柄コードではありません"}));
}

// Found by fuzzing: a lead byte without its trail byte took the line feed after
// it into the keyword.
TEST(SplitKeywords, LineBreakAfterALoneLeadByteStillSeparates) {
  EXPECT_EQ(SplitKeywords("a\xF2&cr;b,c\x81,d"), (std::vector<std::string>{"a\xF2", "b", "c\x81", "d"}));
  std::string crash = "*\x92\xF9\x90\xB3\r\n\x8C\x8E\xF2\n\n";
  for (const std::string& keyword : SplitKeywords(crash)) EXPECT_EQ(keyword.find_first_of("\r\n"), std::string::npos);
}

TEST(ParseTickerList, ReadsTheFormTheWebPortfolioStepWrites) {
  std::string text;
  std::vector<uint16_t> expected;
  for (int i = 0; i < 30; ++i) {
    int code = 1001 + i * 300;
    expected.push_back(static_cast<uint16_t>(code));
    text += std::to_string(code) + ", ";
    if (i % 13 == 12) text += "\n";
  }
  text.resize(text.size() - 2);
  TickerList list;
  ASSERT_TRUE(ParseTickerList(text.c_str(), list));
  EXPECT_EQ(CodesOf(list), expected);
}

TEST(SplitKeywords, Examples) {
  struct Case {
    std::string stored;
    std::vector<std::string> keywords;
  } cases[] = {
      {"alpha , beta,, gamma", {"alpha", "beta", "", "gamma"}},
      {"up&cr;down&cr;&cr;", {"up", "down"}},
      {"表,ソ&cr;ア", {"表", "ソ", "ア"}},
      {"a&amp;b , &lt;c&gt;", {"a&b", "<c>"}},
      {"", {}},
      {" , ,&cr;", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitKeywords(c.stored), c.keywords) << c.stored;
  }
}

TEST(IgnoreTitles, LoadKeepsNonEmptyLines) {
  TempDir dir;
  std::string path = dir / kIgnoreTitleFileName;
  MessageRecorder recorder;
  EXPECT_TRUE(LoadIgnoreTitles(path.c_str()).empty());  // missing: no entries, no message
  WriteTestFile(path, "決算\r\n\r\n*業績予想\n修正\r");
  EXPECT_EQ(LoadIgnoreTitles(path.c_str()), (std::vector<std::string>{"決算", "*業績予想", "修正"}));
  EXPECT_TRUE(TestPathExists(path));
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(IgnoreTitles, FileOfBlankLinesIsDeleted) {
  TempDir dir;
  std::string path = dir / kIgnoreTitleFileName;
  WriteTestFile(path, "\r\n\n\r\n");
  EXPECT_TRUE(LoadIgnoreTitles(path.c_str()).empty());
  EXPECT_FALSE(TestPathExists(path));
}

TEST(IgnoreTitles, WriteChecksTheDirectory) {
  TempDir dir;
  MessageRecorder recorder;
  std::string missing = dir / "nothere";
  EXPECT_FALSE(WriteIgnoreTitles(missing.c_str(), "x"));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"html保存パスの<" + missing + ">は存在しません"});
  EXPECT_FALSE(TestPathExists(missing));

  recorder.messages.clear();
  ASSERT_TRUE(WriteIgnoreTitles(dir.Path().c_str(), "決算\r\n*修正\r\n"));
  EXPECT_EQ(ReadTestFile(dir / kIgnoreTitleFileName), "決算\r\n*修正\r\n");
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(IgnoreTitles, FailedWriteIsReported) {
  TempDir dir;
  std::filesystem::create_directory(dir / kIgnoreTitleFileName);
  MessageRecorder recorder;
  EXPECT_FALSE(WriteIgnoreTitles(dir.Path().c_str(), "x"));
  EXPECT_EQ(recorder.Texts(),
            std::vector<std::string>{"ファイル<" + (dir / kIgnoreTitleFileName) + ">の書き込みに失敗"});
}

}  // namespace
