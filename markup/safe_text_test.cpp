#include "markup/safe_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/sjis.h"

namespace {

TEST(SafeMarkupText, NamesFromHostilePagesBecomePlainText) {
  struct Case {
    std::string text, expected;
  } cases[] = {
      {"<script>alert(1)</script>ミカワ", "alert(1)ミカワ"},
      {"…<b>x</b>", "…x"},
      {"Foo<!--", "Foo&lt;!--"},
      {"Foo<!-- hidden -->Bar", "FooBar"},
      {"A</td></tr></table>B", "AB"},
      {"</title><title>X", "X"},
      {"A < B > C", "A &lt; B &gt; C"},
      {"1<2", "1&lt;2"},
      {"M&A \"Q\"", "M&amp;A &quot;Q&quot;"},
      {"A&amp;B &lt;&gt;&quot;&apos;", "A&amp;B &lt;&gt;&quot;&apos;"},
      {"&#65;&#x41;&#x3042;", "&#65;&#x41;&#x3042;"},
      {"&#0;&#1;&#xD800;&#99999999;&#;&#x;", "&amp;#0;&amp;#1;&amp;#xD800;&amp;#99999999;&amp;#;&amp;#x;"},
      {"&nbsp;&copy;&amp", "&amp;nbsp;&amp;copy;&amp;amp"},
      {std::string("A\0B", 3), "AB"},
      {"A\r\nB\tC\x1F" "D\x7F", "A  B C D "},
      {"\x82", ""},              // a lead byte at the end
      {"\x82<b>", ""},          // a lead byte before a tag: dropped, the tag too
      {"\x80\xA0\xFD\xFE\xFF", ""},
      {"ｱｲｳ", "ｱｲｳ"},            // halfwidth katakana are single bytes
      {"表示", "表示"},          // a trail byte 0x5C ("\\")
  };
  for (const Case& c : cases) EXPECT_EQ(SafeMarkupText(c.text), c.expected) << c.text;
}

TEST(SafeAttributeValue, AddressesKeepTheirTextButNotTheirAmpersands) {
  EXPECT_EQ(SafeAttributeValue("https://a/?x=1&y=2&amp;z=<3>\"q\""), "https://a/?x=1&amp;y=2&amp;z=&lt;3&gt;&quot;q&quot;");
  EXPECT_EQ(SafeAttributeValue("sec1-7<b>"), "sec1-7&lt;b&gt;");
}

// Whether a text can stand in a page as text: no markup character, every "&"
// an entity reference, every byte part of a Shift_JIS character.
bool IsPageText(const std::string& text) {
  for (size_t at = 0; at < text.size(); ++at) {
    unsigned char c = static_cast<unsigned char>(text[at]);
    if (IsShiftJisLead(c)) {
      if (at + 1 >= text.size() || !IsShiftJisTrail(static_cast<unsigned char>(text[at + 1]))) return false;
      ++at;
      continue;
    }
    if (c == '<' || c == '>' || c == '"' || c < 0x20 || c == 0x7F || c == 0x80 || c == 0xA0 || c >= 0xFD) return false;
    if (c == '&' && text.find(';', at) == std::string::npos) return false;
  }
  return true;
}

TEST(SafeMarkupText, RandomBytesNeverLeaveMarkup) {
  std::mt19937 random(17);
  const char pieces[] = "<>&;\"!-/#x0a\x82\xA0\x81\x40\x00\r\n";
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i)
      text += random() % 2 ? pieces[random() % (sizeof pieces - 1)] : static_cast<char>(random() % 256);
    std::string safe = SafeMarkupText(text);
    ASSERT_TRUE(IsPageText(safe)) << "from " << text;
    EXPECT_EQ(SafeMarkupText(safe), safe);  // stable once safe
    ASSERT_TRUE(IsPageText(SafeAttributeValue(text)));
  }
}

}  // namespace
