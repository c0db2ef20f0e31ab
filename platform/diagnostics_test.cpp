#include "platform/diagnostics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ReportMessage, SeverityDecidesWhatIsShown) {
  MessageRecorder recorder;
  MessageSeverity = kSeveritySilent;
  ReportMessage("ゴミ箱に入れる");
  MessageSeverity = kSeverityWarning;
  ReportMessage("未知のエンコーディング<%s>です", "x");
  ReportError("ファイル<%s>のオープンに失敗", "a.txt");
  ASSERT_EQ(recorder.messages.size(), 2u);
  EXPECT_EQ(recorder.messages[0].severity, 1);
  EXPECT_EQ(recorder.messages[0].text, "未知のエンコーディング<x>です");
  EXPECT_EQ(recorder.messages[1].severity, 0);
  EXPECT_EQ(recorder.messages[1].text, "ファイル<a.txt>のオープンに失敗");
}

TEST(ReportMessage, LongTextsAreCutAt1024Bytes) {
  MessageRecorder recorder;
  std::string longText(3000, 'x');
  ReportError("%s", longText.c_str());
  ASSERT_EQ(recorder.messages.size(), 1u);
  EXPECT_EQ(recorder.messages[0].text.size(), 1024u);
  EXPECT_EQ(FormatString("%04d.html", 7203), "7203.html");
  char buffer[8];
  EXPECT_EQ(FormatText(buffer, sizeof buffer, "%s", "abcdefghij"), 10);
  EXPECT_STREQ(buffer, "abcdefg");
}

TEST(MessageRecorder, PutsThePreviousSinkBack) {
  MessageRecorder outer;
  {
    MessageRecorder inner;
    ReportError("inner");
    EXPECT_EQ(inner.Texts(), std::vector<std::string>{"inner"});
  }
  ReportError("outer");
  EXPECT_EQ(outer.Texts(), std::vector<std::string>{"outer"});
}

}  // namespace
