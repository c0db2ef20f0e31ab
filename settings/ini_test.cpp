#include "settings/ini.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A hand-edited file: comments, odd lines, blanks, quotes, mixed case, a
// duplicate section and keys outside any section.
const std::string kHandEdited =
    "PeriodType=7\r\n"
    "; written by hand\r\n"
    "[ option ]\r\n"
    "  periodtype =  3  \r\n"
    "; PortList=commented out\r\n"
    "PortList=\"a b\"\r\n"
    "Single='x y'\r\n"
    "Half=\"open\r\n"
    "Empty=\r\n"
    "this line has no equals sign\r\n"
    "PeriodType=1\r\n"
    "\r\n"
    "[Option]\r\n"
    "GMOServer=sec9\r\n"
    "[Status]\r\n"
    "LastStSche=20240101\r\n"
    "[WindowSize_ア]\r\n"
    "x=10\r\n";

TEST(IniFindValue, ReadsHandEditedFileLikeTheProfileFunctions) {
  struct Case {
    const char* section;
    const char* key;
    bool found;
    std::string value;
  } cases[] = {
      {"Option", "PeriodType", true, "3"},  // case and blanks ignored, first key wins
      {"OPTION", "portlist", true, "a b"},  // quotes removed
      {"Option", "Single", true, "x y"},
      {"Option", "Half", true, "\"open"},   // unmatched quote kept
      {"Option", "Empty", true, ""},
      {"Option", "GMOServer", false, ""},   // only the first matching section counts
      {"Status", "LastStSche", true, "20240101"},
      {"Missing", "PeriodType", false, ""},
      {"Status", "PeriodType", false, ""},
      {"WindowSize_ア", "X", true, "10"},
      {"WindowSize_ヂ", "x", false, ""},      // trail bytes 0x41 and 0x61 are not letters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    std::string value = "untouched";
    EXPECT_EQ(IniFindValue(kHandEdited, c.section, c.key, value), c.found);
    EXPECT_EQ(value, c.found ? c.value : "untouched");
  }
}

TEST(IniFindValue, SectionHeaderIsNotClosedByATrailByte) {
  // "ゾ" is 83 5D: its second byte equals "]".
  std::string text = "[ゾ\r\nA=1\r\n[ゾ]\r\nA=2\r\n";
  std::string value;
  EXPECT_FALSE(IniFindValue(text, "\x83", "A", value));
  ASSERT_TRUE(IniFindValue(text, "ゾ", "A", value));
  EXPECT_EQ(value, "2");
}

TEST(IniSetValue, EditsInPlaceAndKeepsEveryOtherLine) {
  struct Case {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    std::string after;
  } cases[] = {
      {"creates the first section", "", "Option", "PeriodType", "[Option]\r\nPeriodType=2\r\n"},
      {"replaces the line, keeps the file's spelling and LF ends",
       "; c\n[Option]\n  periodtype = 3 \nX=1\n", "Option", "PeriodType",
       "; c\n[Option]\nperiodtype=2\nX=1\n"},
      {"adds at the end of its section, not of the file",
       "[Option]\r\nA=1\r\n\r\n[Status]\r\nB=2\r\n", "Option", "PeriodType",
       "[Option]\r\nA=1\r\nPeriodType=2\r\n\r\n[Status]\r\nB=2\r\n"},
      {"a comment is the section's last line",
       "[Option]\r\nA=1\r\n; end\r\n\r\n\r\n", "Option", "K",
       "[Option]\r\nA=1\r\n; end\r\nK=2\r\n\r\n\r\n"},
      {"last line without a line end", "[Option]\r\nA=1", "Option", "K", "[Option]\r\nA=1\r\nK=2\r\n"},
      {"appends a missing section after a blank line", "[Option]\r\nA=1\r\n", "Status", "K",
       "[Option]\r\nA=1\r\n\r\n[Status]\r\nK=2\r\n"},
      {"no second blank line", "[Option]\r\nA=1\r\n\r\n", "Status", "K",
       "[Option]\r\nA=1\r\n\r\n[Status]\r\nK=2\r\n"},
      {"writes into the first of two sections", "[Option]\r\nA=1\r\n[option]\r\nK=9\r\n", "Option", "K",
       "[Option]\r\nA=1\r\nK=2\r\n[option]\r\nK=9\r\n"},
      {"lines before any section are not keys", "K=5\r\n[Option]\r\n", "Option", "K",
       "K=5\r\n[Option]\r\nK=2\r\n"},
      {"odd bytes survive", "\xff\xfe odd\r\n[Option]\r\nK=1\r\n\tjunk\r", "Option", "K",
       "\xff\xfe odd\r\n[Option]\r\nK=2\r\n\tjunk\r"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IniSetValue(c.before, c.section, c.key, "2"), c.after);
  }
}

TEST(IniParseInt, FollowsGetPrivateProfileInt) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {
      {"", -9}, {"12", 12}, {"-7", -7}, {"+3", 3}, {"12abc", 12}, {"abc", 0}, {" 8 ", 8}, {"5", 5},
      {"0x10", 0}, {"-", 0}, {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
      // Beyond the 32-bit range: the fallback, never a wrapped value.
      {"2147483648", -9}, {"99999999999999999999", -9}, {"-2147483649", -9}, {"4294967296", -9},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IniParseInt(c.text, -9), c.value) << c.text;
  }
}

}  // namespace
