#include "markup/text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct NumberCase {
  const char* text;
  int result;
  double value;   // integer or real, by result
  size_t consumed;
};

TEST(ReadNumberTest, Examples) {
  const NumberCase cases[] = {
      {"0x1F", kIntegerNumber, 31, 4},
      {"0X1f", kIntegerNumber, 31, 4},
      {"-2.5", kRealNumber, -2.5, 4},
      {"12abc", kIntegerNumber, 12, 2},
      {"99999999999", kNotANumber, 0, 11},
      {"2147483647", kIntegerNumber, 2147483647, 10},
      {"2147483648", kNotANumber, 0, 10},
      {"1.0", kIntegerNumber, 1, 3},
      {"010", kIntegerNumber, 10, 3},  // no octal
      {"+7", kIntegerNumber, 7, 2},
      {"-03", kIntegerNumber, -3, 3},
      {"-", kNotANumber, 0, 1},
      {"0x", kNotANumber, 0, 2},
      {"0xg", kNotANumber, 0, 2},
      {".", kNotANumber, 0, 1},
      {"12\x95\x5C", kIntegerNumber, 12, 2},  // stops at a multibyte byte
      // 33 digit characters: beyond the reader, the whole run is one non-number.
      {"111111111111111111111111111111111x", kNotANumber, 0, 33},
      {"00000000000000000000000000000001", kIntegerNumber, 1, 32},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.text);
    const char* cursor = c.text;
    NumberSlot value{0};
    int result = ReadNumber(cursor, &value);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(static_cast<size_t>(cursor - c.text), c.consumed);
    if (result == kIntegerNumber) {
      EXPECT_EQ(value.integer, static_cast<int32_t>(c.value));
    } else if (result == kRealNumber) {
      EXPECT_FLOAT_EQ(value.real, static_cast<float>(c.value));
    }
  }
}

TEST(ReadNumberTest, StopsAtTheGivenEnd) {
  const char text[] = "12345";
  const char* cursor = text;
  NumberSlot value{0};
  EXPECT_EQ(ReadNumber(cursor, text + 2, &value), kIntegerNumber);
  EXPECT_EQ(value.integer, 12);
  EXPECT_EQ(cursor, text + 2);
}

TEST(FormatIntegerTest, SignsAndLimits) {
  EXPECT_EQ(FormatInteger(0), "0");
  EXPECT_EQ(FormatInteger(-45), "-45");
  EXPECT_EQ(FormatInteger(2147483647), "2147483647");
  EXPECT_EQ(FormatInteger(-2147483647 - 1), "-2147483648");
  char buffer[12];
  EXPECT_EQ(FormatInteger(1500, buffer), 4);
  EXPECT_STREQ(buffer, "1500");
}

TEST(LowerCaseTest, LeavesMultibyteCharactersAlone) {
  // "ア" is 83 41: its trail byte looks like "A".
  std::string text = "ABC\x83\x41Z\xB1Q";
  LowerCaseInPlace(text);
  EXPECT_EQ(text, "abc\x83\x41z\xB1q");
  MultibyteMode = kMultibyteUtf8;
  std::string utf8 = "\xE3\x81\x82X";
  LowerCaseInPlace(utf8);
  MultibyteMode = kMultibyteShiftJis;
  EXPECT_EQ(utf8, "\xE3\x81\x82x");
}

TEST(SearchTest, CarriageReturnsAndTerminator) {
  const char* text = "ab\rc\r\nd|e";
  EXPECT_EQ(FindChar(text, 'c'), text + 3);
  EXPECT_EQ(FindChar(text, '\r'), text + 5);  // the LF of the CR LF pair
  EXPECT_EQ(FindChar(text, '\0'), text + std::strlen(text));
  EXPECT_EQ(FindChar(text, 'z'), nullptr);
  EXPECT_EQ(FindFirstOf(text, "|\n"), text + 2);  // a lone CR matches a line feed
  const char* pair = "x\r\ny";
  EXPECT_EQ(FindFirstOf(pair, "\n"), pair + 2);
  EXPECT_EQ(FindFirstOf(text, "ed"), text + 6);
  EXPECT_EQ(FindFirstOf(text, "q"), nullptr);
  EXPECT_EQ(FindText(text, "d|"), text + 6);
  EXPECT_EQ(FindText(text, "dd"), nullptr);
}

TEST(TextLinesTest, CutsAtLineFeeds) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {""}},
      {"a", {"a"}},
      {"a\n", {"a\n", ""}},
      {"a\r\nb\n\nc", {"a\r\n", "b\n", "\n", "c"}},
  };
  for (const Case& c : cases) {
    TextLines lines(c.text);
    ASSERT_EQ(lines.Count(), c.lines.size()) << c.text;
    std::string line;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      ASSERT_TRUE(lines.Line(i, line));
      EXPECT_EQ(line, c.lines[i]);
    }
    EXPECT_FALSE(lines.Line(c.lines.size(), line));
    EXPECT_EQ(line, "");
  }
}

}  // namespace
