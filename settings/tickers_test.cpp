#include "settings/tickers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "settings/lists.h"
#include "settings/markets.h"

namespace {

TEST(Code, TextIndexAndTheFourCharacterCodes) {
  EXPECT_EQ(Code(7203).Text(), "7203");
  EXPECT_EQ(Code(42).Text(), "0042");
  EXPECT_EQ(Code(12345).Text(), "12345");  // as read, whatever the number
  EXPECT_TRUE(Code().IsNone());
  EXPECT_EQ(Code(1001).Index(), 0u);
  EXPECT_EQ(Code(9999).Index(), 8998u);
  EXPECT_EQ(Code::AtIndex(8998), Code(9999));
  for (int outside : {0, 1000, 10000, -1}) EXPECT_FALSE(Code(outside).Index()) << outside;

  std::optional<Code> alphanumeric = Code::FromText("285A");
  ASSERT_TRUE(alphanumeric);
  EXPECT_FALSE(alphanumeric->IsNumeric());
  EXPECT_FALSE(alphanumeric->IsNone());
  EXPECT_EQ(alphanumeric->Text(), "285A");
  EXPECT_FALSE(alphanumeric->Number());
  EXPECT_FALSE(alphanumeric->Index());  // no slot in the numeric tables
  EXPECT_EQ(Code::FromText("7203"), Code(7203));  // four digits are the number
  EXPECT_EQ(Code::FromText("0042"), Code(42));
  for (const char* bad : {"", "720", "72030", "285a", "28-A", "\x82\x4f\x82\x50"}) EXPECT_FALSE(Code::FromText(bad)) << bad;

  // A list and a set hold a numeric code by its number, an alphanumeric one
  // by its characters.
  TickerList list;
  list.Assign({7203, 2850});
  EXPECT_TRUE(list.Contains(Code(7203)));
  EXPECT_FALSE(list.Contains(*alphanumeric));
  list.Assign({7203}, {*alphanumeric});
  EXPECT_TRUE(list.Contains(*alphanumeric));
  EXPECT_FALSE(list.Contains(*Code::FromText("286A")));
  TickerBits bits;
  AddTicker(bits, *alphanumeric);
  AddTicker(bits, Code(1301));
  AddTicker(bits, Code(12345));  // no company: in no set
  EXPECT_EQ(bits.count(), 2u);
  EXPECT_TRUE(HasTicker(&bits, Code(1301)));
  EXPECT_TRUE(HasTicker(&bits, *alphanumeric));
  EXPECT_FALSE(HasTicker(&bits, *Code::FromText("286A")));
  EXPECT_FALSE(HasTicker(nullptr, Code(1301)));
  EXPECT_TRUE(alphanumeric->IsCompany());
  EXPECT_FALSE(Code(12345).IsCompany());

  // The code cell of a TDnet list: the code and a "0".
  EXPECT_EQ(CodeFromListCell("72030"), Code(7203));
  EXPECT_EQ(CodeFromListCell("285A0"), alphanumeric);
  EXPECT_EQ(CodeFromListCell("1A000")->Text(), "1A00");
  for (const char* bad : {"285A", "285A1", "285a0", "2AA50", "A85A0", "285A00", ""})
    EXPECT_FALSE(CodeFromListCell(bad)) << bad;
}

TEST(Code, OrderedAsTheExchangeListsThem) {
  std::vector<Code> codes = {*Code::FromText("286A"), Code(2860), Code(10000), *Code::FromText("285A"),
                             Code(2850), Code(-1), Code(130), *Code::FromText("28A0"), Code(9999)};
  std::sort(codes.begin(), codes.end());
  std::vector<std::string> texts;
  for (const Code& code : codes) texts.push_back(code.Text());
  EXPECT_EQ(texts, (std::vector<std::string>{"-001", "0130", "2850", "285A", "2860", "286A", "28A0", "9999", "10000"}));
  EXPECT_LT(Code(2850), Code(10000));
  EXPECT_EQ(*Code::FromText("285A") <=> *Code::FromText("285A"), std::strong_ordering::equal);
}

TEST(Markets, NamedCodesAndPredicates) {
  EXPECT_TRUE(IsProMarket(0x15));
  EXPECT_FALSE(IsProMarket(0x10));
  EXPECT_TRUE(IsGreenSheet(0x50));
  for (uint8_t foreign : {0x14, 0x18, 0x1C, 0x1D, 0x1E}) EXPECT_TRUE(IsForeign(foreign)) << int(foreign);
  for (uint8_t domestic : {0x10, 0x19, 0x24, 0x50}) EXPECT_FALSE(IsForeign(domestic)) << int(domestic);
  EXPECT_TRUE(IsRegional(0x21));
  EXPECT_TRUE(IsRegional(0x42));
  EXPECT_FALSE(IsRegional(0x15));
  EXPECT_FALSE(IsRegional(0x50));
  EXPECT_TRUE(IsReit(34));
  EXPECT_TRUE(IsEtf(35));
  EXPECT_FALSE(IsEtf(34));
  EXPECT_EQ(ExchangeOf(0x1B), Exchange::kTokyo);
  EXPECT_EQ(ExchangeMarket(0x32), kMarketFukuoka);
  // Every code of a segment the exchanges gave up has a name of its own.
  int former = 0;
  for (int code = 0; code < 0x60; ++code)
    if (IsFormerSegment(static_cast<uint8_t>(code))) {
      ++former;
      EXPECT_STRNE(MarketName(static_cast<uint8_t>(code)), "") << code;
    }
  EXPECT_EQ(former, 10);
}

}  // namespace
