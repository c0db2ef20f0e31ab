#include "settings/markets.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/dates.h"

namespace {

TEST(Markets, NamesAndCodes) {
  EXPECT_STREQ(MarketName(0x00), "？");
  EXPECT_STREQ(MarketName(0x11), "東証１部");
  EXPECT_STREQ(MarketName(0x1E), "東証GRT外国");
  EXPECT_STREQ(MarketName(0x26), "名証NXT");
  EXPECT_STREQ(MarketName(0x42), "アンビシャ");
  EXPECT_STREQ(MarketName(0x50), "GR");
  EXPECT_STREQ(MarketName(0x27), "");
  EXPECT_STREQ(MarketName(0x60), "");
  EXPECT_STREQ(MarketName(0xFF), "");

  // Every named code reads back from its name, except 0x17 whose name 0x16 shares.
  for (int code = 0x10; code <= 0x5F; ++code) {
    const char* name = MarketName(static_cast<uint8_t>(code));
    if (*name == '\0' || (code & 0x0F) == 0x0F) continue;
    int expected = code == 0x17 ? 0x16 : code;
    EXPECT_EQ(MarketCodeOfName(name), expected) << std::hex << code;
  }
  EXPECT_EQ(MarketCodeOfName("東"), 0x10);
  EXPECT_EQ(MarketCodeOfName("GR"), 0x50);
  EXPECT_EQ(MarketCodeOfName("東証"), 0);
  EXPECT_EQ(MarketCodeOfName(""), 0);
  EXPECT_EQ(MarketCodeOfName("？"), 0);
}

TEST(Markets, MarketFromPlaceRules) {
  uint8_t byte = 0x21;
  EXPECT_EQ(MarketFromPlace("東", &byte), 0x10);
  EXPECT_EQ(byte, 0);
  byte = 0x21;
  EXPECT_EQ(MarketFromPlace("東名", &byte), 0x20);
  EXPECT_EQ(byte, 0x21);
  byte = 0x1B;
  EXPECT_EQ(MarketFromPlace("東", &byte), 0x10);
  EXPECT_EQ(byte, 0x1B);
  EXPECT_EQ(MarketFromPlace("GR", &byte), 0x50);
  EXPECT_EQ(byte, 0x50);
  EXPECT_EQ(MarketFromPlace("福", nullptr), 0x30);
  EXPECT_EQ(MarketFromPlace("名札", nullptr), 0x20);
  EXPECT_EQ(MarketFromPlace("", nullptr), 0);
}

TEST(Markets, NagoyaNamesNeverReadAsTokyo) {
  EXPECT_EQ(MarketCodeOfName("名"), 0x20);
  EXPECT_EQ(MarketCodeOfName("名証１部"), 0x21);
  EXPECT_EQ(MarketCodeOfName("名証NXT"), 0x26);
}

TEST(Markets, DetailedMarketCode) {
  struct Case {
    const char* text;
    int code;
  } cases[] = {
      {"どこにもない", 0},
      {"", 0},
      {"名証MN", 0x25},
      {"東証STD", 0x1A},
      {"名証1部 東証", 0x10},  // the earlier entry wins, not the earlier position
      {"東証PRM外国", 0x1C},   // foreign listings before their prefixes
      {"東証STD外国株", 0x1D},
      {"(東証GRT外国)", 0x1E},
      {"東証PRM", 0x19},
      {"東証1部", 0x11},
      {"東証１部", 0x10},      // the search texts use ASCII digits
      {"福岡Q", 0x32},
      {"札幌アンビシャス", 0x42},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetailedMarketCode(c.text), c.code) << c.text;
  }
}

TEST(Markets, AQuotePageNeverUndoesWhatOnlyTheListsKnow) {
  struct Case {
    uint8_t stored, quoted, kept;
  } cases[] = {
      {0x15, 0x10, 0x15},  // the professional market named as the Tokyo exchange
      {0x15, 0x1B, 0x15},  // ... or as a segment of it
      {0x15, 0x25, 0x25},  // moved to Nagoya
      {0x50, 0x00, 0x50},  // a market name the table does not know
      {0x00, 0x00, 0x00},
      {0x10, 0x19, 0x19},
      {0x11, 0x1A, 0x1A},  // an old segment replaced
      {0x24, 0x19, 0x19},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MarketAfterQuote(c.stored, c.quoted), c.kept) << int(c.stored) << " " << int(c.quoted);
}

TEST(Industries, NamesAndLookup) {
  EXPECT_STREQ(IndustryName(0), "？");
  EXPECT_STREQ(IndustryName(24), "倉庫・運輸関連業");
  EXPECT_STREQ(IndustryName(35), "ETF");
  EXPECT_STREQ(IndustryName(36), "");
  for (int code = 1; code <= 35; ++code) {
    EXPECT_EQ(IndustryCodeOf(IndustryName(static_cast<uint8_t>(code))), code);
  }
  EXPECT_EQ(IndustryCodeOf("REIT"), 34);
  EXPECT_EQ(IndustryCodeOf("業種: 銀行業 / 化学"), 7);  // two industries: the lower code
  EXPECT_EQ(IndustryCodeOf("不明"), 0);
  // "ウ" is 83 45: its second byte followed by "TF" is not "ETF".
  EXPECT_EQ(IndustryCodeOf("ウTF"), 0);
}

TEST(Weekdays, Names) {
  const char* expected[] = {"日", "月", "火", "水", "木", "金", "土"};
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(WeekdayName(i), expected[i]);
  EXPECT_STREQ(WeekdayName(DayOfWeek(2024, 3, 31)), "日");
  EXPECT_STREQ(WeekdayName(DayOfWeek(2024, 1, 1)), "月");
  EXPECT_STREQ(WeekdayName(7), "");
  EXPECT_STREQ(WeekdayName(-1), "");
}

}  // namespace
