#include "platform/encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/console.h"
#include "platform/diagnostics.h"
#include "platform/files.h"

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
  // The yen sign: its best fit for a page, "?" for the strict conversion.
  std::string yen;
  EXPECT_TRUE(ConvertUtf8ToShiftJis("\xC2\xA5", yen));
  EXPECT_EQ(yen, "\\");
  EXPECT_EQ(Utf8ToShiftJis("\xC2\xA5"), "?");
  std::string waveDash = "\xE3\x80\x9C";
  FixUtf8ForShiftJis(waveDash.data());
  std::string result;
  EXPECT_TRUE(ConvertUtf8ToShiftJis(waveDash.c_str(), result));
  EXPECT_EQ(result, "\x81\x60");
  EXPECT_TRUE(recorder.messages.empty());
}

// The same bytes on both builds: the four fix-ups, the five best fits of code
// page 932, "?" only for characters without any counterpart.
TEST(DownloadedPageToShiftJis, FixUpsAndBestFits) {
  struct Case {
    std::string utf8, sjis;
  } cases[] = {
      {"1\xE3\x80\x9C" "2", "1\x81\x60" "2"},  // wave dash -> fullwidth tilde
      {"\xE2\x88\x92" "5", "\x81\x7C" "5"},    // minus sign -> fullwidth hyphen-minus
      {"\xE2\x80\x94", "\x81\x5C"},            // em dash -> horizontal bar
      {"\xE2\x80\x96", "\x81\x61"},            // double vertical line -> parallel to
      {"\xC2\xA5" "100", "\x5C" "100"},          // yen sign
      {"\xE2\x80\xBE", "\x7E"},                 // overline
      {"\xC2\xA2\xC2\xA3\xC2\xAC", "\x81\x91\x81\x92\x81\xCA"},  // cent, pound, not
      {"\xEF\xBF\xA5", "\x81\x8F"},            // fullwidth yen sign: exact
      {"\xC3\xA9", "?"},                         // e acute: no counterpart
      {"\xF0\x9F\x98\x80", "?"},                // beyond the Basic Multilingual Plane
      {"a\xFF\xE3\x80", "a???"},                 // bad and cut-off bytes
      {std::string("a\0b", 3), std::string("a\0b", 3)},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "日本"},
  };
  for (const Case& c : cases) EXPECT_EQ(DownloadedPageToShiftJis(c.utf8), c.sjis) << c.utf8;
  // Other conversions stay strict.
  EXPECT_EQ(Utf8ToShiftJis("\xC2\xA5\xE3\x80\x9C"), "??");
}

TEST(Utf8ToShiftJisExactly, RefusesWhatWouldBeStoredChanged) {
  std::string sjis;
  EXPECT_TRUE(Utf8ToShiftJisExactly("D:\\\xE6\xA0\xAA\\", sjis));
  EXPECT_EQ(sjis, "D:\\株\\");
  EXPECT_TRUE(Utf8ToShiftJisExactly("?", sjis));
  EXPECT_EQ(sjis, "?");
  for (const char* bad : {"\xFF", "caf\xC3\xA9", "\xC2\xA5", "\xE3\x80\x9C", "\xF0\x9F\x98\x80", "x\xE3\x80"})
    EXPECT_FALSE(Utf8ToShiftJisExactly(bad, sjis)) << bad;
}

TEST(CommandLineArguments, RefusesWhatShiftJisCannotKeep) {
  if (kPathSeparator == '\\') GTEST_SKIP() << "the Windows build reads its own wide command line";
  std::string program = "velkora", set = "set", key = "HtmlDataDir";
  for (std::string value : {std::string("/tmp/caf\xC3\xA9"), std::string("/tmp/\xFF"), std::string("\xC2\xA5")}) {
    char* argv[] = {program.data(), set.data(), key.data(), value.data()};
    std::vector<std::string> arguments;
    int bad = 0;
    EXPECT_FALSE(CommandLineArguments(4, argv, arguments, bad)) << value;
    EXPECT_EQ(bad, 3);
  }
  std::string value = "/tmp/\xE6\xA0\xAA";
  char* argv[] = {program.data(), set.data(), key.data(), value.data()};
  std::vector<std::string> arguments;
  int bad = 0;
  EXPECT_TRUE(CommandLineArguments(4, argv, arguments, bad));
  EXPECT_EQ(arguments, (std::vector<std::string>{"set", "HtmlDataDir", "/tmp/株"}));
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
