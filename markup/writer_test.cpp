#include "markup/writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "markup/parser.h"
#include "platform/diagnostics.h"

namespace {

std::string Written(const MarkupElement& element, int indent) {
  StringOutput output;
  element.Write(output, indent);
  return output.text;
}

TEST(MarkupWriterTest, EmptyCellIsOneLine) {
  MarkupElement cell("td");
  cell.AddAttribute("id", "date");
  EXPECT_EQ(Written(cell, 3), "\t\t\t<td id=\"date\" />\n");
  MarkupElement bare("br");
  EXPECT_EQ(Written(bare, 0), "<br />\n");
}

TEST(MarkupWriterTest, TextThenChildAtIndentOne) {
  MarkupElement cell("td");
  cell.AddAttribute("id", "title");
  cell.AddAttribute("class", "in_port");
  cell.AddText("決算");
  cell.AddText("短信");
  MarkupElement* link = cell.AddChild("a");
  link->AddAttribute("href", "x.pdf");
  link->AddText("表");
  EXPECT_EQ(Written(cell, 1),
            "\t<td id=\"title\" class=\"in_port\">\n"
            "\t\t決算 短信\n"
            "\t\t<a href=\"x.pdf\">\n"
            "\t\t\t表\n"
            "\t\t</a>\n"
            "\t</td>\n");
}

TEST(MarkupWriterTest, LineBreaksAfterTokensAreKept) {
  MarkupParser parser;
  auto document = parser.Parse("<a x=\"1\"\ny=\"2\" z=\"3\">one two\nthree</a>");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(Written(*document->children()[0], 0),
            "<a x=\"1\"\n\ty=\"2\" z=\"3\">\n\tone two\n\tthree\n</a>\n");
}

TEST(MarkupWriterTest, ABareAmpersandReadBackFromAnOldPageIsWrittenAsAReference) {
  // Link cells of earlier versions wrote their addresses with a bare "&".
  MarkupParser parser;
  auto document = parser.Parse("<a href=\"x?a=1&b=2&amp;c=3&#38;d\">MA</a>");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(Written(*document->children()[0], 0), "<a href=\"x?a=1&amp;b=2&amp;c=3&#38;d\">\n\tMA\n</a>\n");
}

TEST(MarkupWriterTest, DocumentDeclarationPerEncoding) {
  MarkupDocument document;
  document.AddChild("html")->AddChild("body");
  EXPECT_EQ(Written(document, 0),
            "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n\n<html>\n\t<body />\n</html>\n");
  document.encoding = kMultibyteUtf8;
  EXPECT_EQ(Written(document, 1), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n\n\t<html>\n\t\t<body />\n\t</html>\n");
}

TEST(MarkupWriterTest, LargeOutputArrivesWhole) {
  MarkupElement table("table");
  for (int i = 0; i < 5000; ++i) table.AddChild("tr")->AddChild("td")->AddTextFormat("%d", i);
  std::string text = Written(table, 0);
  EXPECT_TRUE(text.ends_with("\t\t\t4999\n\t\t</td>\n\t</tr>\n</table>\n"));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5000 * 5 + 2);
}

// A written page parses back into a tree that writes the same bytes.
TEST(MarkupWriterTest, WrittenPagesRoundTrip) {
  const char* pages[] = {
      "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n"
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\" \"x.dtd\">\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"ja\" lang=\"ja\"><head>"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=shitf_jis\" /></head>"
      "<body><table><tr><td id=\"time\">15:00</td><td id=\"ticker\">7203</td>"
      "<td id=\"coname\">表示灯ソフト</td><td id=\"title\"><a href=\"https://x/1.pdf\" target=\"_blank\">"
      "2024年3月期 決算短信〔日本基準〕(連結) &amp; &#9312; a,b \"q w\"</a></td></tr></table></body></html>",
      "<a>x<b /> y<-- no --></a>",
  };
  MarkupParser parser;
  for (const char* page : pages) {
    auto first = parser.Parse(page);
    ASSERT_NE(first, nullptr) << page;
    std::string written = Written(*first, 0);
    auto second = parser.Parse(written);
    ASSERT_NE(second, nullptr) << written;
    EXPECT_EQ(Written(*second, 0), written);
  }
}

}  // namespace
