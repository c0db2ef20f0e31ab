#include "platform/encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/diagnostics.h"

namespace {

// UTF-8 byte sequences are written as escapes: plain literals are compiled to
// Shift_JIS.
TEST(FixUtf8ForShiftJis, RewritesTheFourCharacters) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a\xE2\x80\x94z", "a\xE2\x80\x95z"},          // em dash
      {"\xE3\x80\x9C", "\xEF\xBD\x9E"},              // wave dash
      {"\xE2\x80\x96|", "\xE2\x88\xA5|"},            // double vertical line
      {"1\xE2\x88\x92" "2", "1\xEF\xBC\x8D" "2"},    // minus sign
      {"\xE6\x97\xA5\xE2\x80\x94", "\xE6\x97\xA5\xE2\x80\x95"},  // after another character
      {"\xE2\x80", "\xE2\x80"},                      // cut off: left alone, no overrun
      {"\xF0\x9F\x98\x80\xE3\x80\x9C", "\xF0\x9F\x98\x80\xEF\xBD\x9E"},
  };
  for (Case& c : cases) {
    std::string text = c.in;
    FixUtf8ForShiftJis(text.data());
    EXPECT_EQ(text, c.out);
  }
}

TEST(ConvertUtf8ToShiftJis, MapsAndReplaces) {
  MessageRecorder recorder;
  struct Case {
    const char* utf8;
    std::string sjis;
  } cases[] = {
      {"abc", "abc"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "日本"},
      {"\xE8\xA1\xA8\xE7\xA4\xBA\xE3\x82\xBD", "表示ソ"},
      {"\xEF\xBD\x9E", "\x81\x60"},        // fullwidth tilde
      {"\xEF\xBD\xB1", "\xB1"},            // halfwidth katakana
      {"\xC3\xA9", "?"},                   // e acute: not in code page 932
      {"\xC2\xA5", "?"},                   // yen sign: only a best-fit guess
      {"\xF0\x9F\x98\x80", "?"},           // beyond the Basic Multilingual Plane
      {"a\xFF" "b", "a?b"},                // bad bytes: one "?" each
      {"\xC0\xAF", "??"},                  // overlong
      {"x\xE3\x80", "x??"},                // cut off
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string result = "previous";
    EXPECT_TRUE(ConvertUtf8ToShiftJis(c.utf8, result)) << c.utf8;
    EXPECT_EQ(result, c.sjis) << c.utf8;
    EXPECT_EQ(Utf8ToShiftJis(c.utf8), c.sjis) << c.utf8;
  }
  std::string waveDash = "\xE3\x80\x9C";
  FixUtf8ForShiftJis(waveDash.data());
  std::string result;
  EXPECT_TRUE(ConvertUtf8ToShiftJis(waveDash.c_str(), result));
  EXPECT_EQ(result, "\x81\x60");
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(ShiftJisToUtf8, ConvertsAndReplacesBadBytes) {
  struct Case {
    std::string sjis, utf8;
  } cases[] = {
      {"表示ソ", "\xE8\xA1\xA8\xE7\xA4\xBA\xE3\x82\xBD"},
      {"a\\b", "a\\b"},
      {"\xB1", "\xEF\xBD\xB1"},
      {"\x81", "?"},            // lead byte at the end
      {"\x81 ", "? "},          // lead byte without a trail byte
      {"\xFD" "a", "?a"},
      {"\x85\x40", "?"},        // well-formed but unassigned
  };
  for (const Case& c : cases) EXPECT_EQ(ShiftJisToUtf8(c.sjis), c.utf8);
  EXPECT_EQ(Utf8ToShiftJis(ShiftJisToUtf8("実行 ポートフォリオ")), "実行 ポートフォリオ");
}

}  // namespace
