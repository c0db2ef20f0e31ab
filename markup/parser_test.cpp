#include "markup/parser.h"

#include <gtest/gtest.h>

#include <vector>

#include "markup/tokenizer.h"
#include "markup/writer.h"
#include "platform/diagnostics.h"

namespace {

struct Token {
  std::string text;
  TokenKind kind;
  bool operator==(const Token& other) const { return text == other.text && kind == other.kind; }
};

std::ostream& operator<<(std::ostream& out, const Token& token) {
  return out << "[" << token.text << "|" << static_cast<int>(token.kind) << "]";
}

std::vector<Token> Tokenize(std::string_view text, unsigned options = MarkupTokenizer::kMarkupComments |
                                                                      MarkupTokenizer::kQuotedStrings) {
  MarkupTokenizer tokenizer(text, options);
  std::vector<Token> tokens;
  RawToken token;
  while (tokenizer.Next(token)) tokens.push_back({std::string(token.text), token.kind});
  return tokens;
}

std::string Written(const MarkupElement& element) {
  StringOutput output;
  element.Write(output, 0);
  return output.text;
}

constexpr TokenKind W = TokenKind::Word;
constexpr TokenKind I = TokenKind::Integer;
constexpr TokenKind S = TokenKind::Symbol;
constexpr TokenKind Q = TokenKind::Quoted;

TEST(MarkupTokenizerTest, Rules) {
  struct Case {
    const char* text;
    std::vector<Token> tokens;
  } cases[] = {
      {"accept-charset", {{"accept", W}, {"-", W}, {"charset", W}}},
      {"2024-03-31", {{"2024", I}, {"-03", I}, {"-31", I}}},
      {"<>/=?!", {{"<", S}, {">", S}, {"/", S}, {"=", S}, {"?", S}, {"!", S}}},
      {"a, b", {{"a", W}, {",", S}, {"b", W}}},
      {"x<-- c\n -->y", {{"x", W}, {"y", W}}},
      {"x<-- never closed", {{"x", W}}},
      {"\"q w\"z", {{"q w", Q}, {"z", W}}},
      {"\"never closed", {{"never closed", Q}}},
      {"0x<", {{"0x", W}, {"<", S}}},
      {"0x1Fg", {{"0x1F", I}, {"g", W}}},
      {"111111111111111111111111111111111<", {{"111111111111111111111111111111111", W}, {"<", S}}},
      {"\xB1\xB2" "a", {{"\xB1", S}, {"\xB2", S}, {"a", W}}},  // half-width kana cannot start a word
      {"a\xB1\xB2", {{"a\xB1\xB2", W}}},
      {"\x95", {{"\x95", W}}},  // a lead byte at the very end
      {"a\0b", {{"a", W}}},
      {"", {}},
      {" \n\t", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Tokenize(c.text), c.tokens) << c.text;
  }
}

TEST(MarkupTokenizerTest, FlagsLinesAndOptions) {
  MarkupTokenizer tokenizer("a b\r\nc<-- \r\n\n -->\rd", MarkupTokenizer::kMarkupComments);
  RawToken token;
  struct Expected {
    const char* text;
    bool space, newline;
    int line;
  } expected[] = {{"a", true, false, 0}, {"b", false, true, 0}, {"c", false, true, 1}, {"d", false, false, 4}};
  for (const Expected& e : expected) {
    ASSERT_TRUE(tokenizer.Next(token));
    EXPECT_EQ(token.text, e.text);
    EXPECT_EQ(token.spaceAfter, e.space) << e.text;
    EXPECT_EQ(token.newlineAfter, e.newline) << e.text;
    EXPECT_EQ(token.line, e.line) << e.text;
  }
  EXPECT_FALSE(tokenizer.Next(token));

  unsigned all = MarkupTokenizer::kLowerCaseWords | MarkupTokenizer::kLineComments | MarkupTokenizer::kBlockComments;
  EXPECT_EQ(Tokenize("AbC\x83\x41 // x\n/* y */Z \"Q\"", all),
            (std::vector<Token>{{"abc\x83\x41", W}, {"z", W}, {"\"", S}, {"q", W}, {"\"", S}}));
  std::string owned = "Hand over";
  MarkupTokenizer owning(std::move(owned), 0);
  ASSERT_TRUE(owning.Next(token));
  EXPECT_EQ(token.text, "Hand");
}

// Shift_JIS trail bytes that equal ASCII syntax characters stay inside their
// character: "ァ" 83 40 "@", "ゼ" 83 5B "[", "表" 95 5C "\", "ゾ" 83 5D "]",
// "タ" 83 5E "^", "ダ" 83 5F "_", "チ" 83 60 "`", "ボ" 83 7B "{", "ポ" 83 7C "|",
// "マ" 83 7D "}".
TEST(MarkupParserTest, ShiftJisTrailBytesAreNotSyntax) {
  const std::string name = "\x83\x40\x83\x5B\x95\x5C\x83\x5D\x83\x5E\x83\x5F\x83\x60\x83\x7B\x83\x7C\x83\x7D";
  EXPECT_EQ(name, "ァゼ表ゾタダチボポマ");
  EXPECT_EQ(Tokenize(name + "ソ"), (std::vector<Token>{{name + "ソ", W}}));
  std::string page = "<" + name + " id=\"ソ" + name + "\">表" + name + " ソ</" + name + ">";
  MarkupParser parser;
  auto document = parser.Parse(page);
  ASSERT_NE(document, nullptr);
  const MarkupElement* element = document->children()[0];
  EXPECT_EQ(element->name(), name);
  EXPECT_EQ(element->FindAttribute("id")->text(), "ソ" + name);
  ASSERT_EQ(element->texts().size(), 2u);
  EXPECT_EQ(element->texts()[0]->text(), "表" + name);
  EXPECT_EQ(element->texts()[1]->text(), "ソ");
}

TEST(MarkupParserTest, Utf8PageKeepsItsBytesAndResetsTheMode) {
  MarkupParser parser;
  // "表" in UTF-8 is E8 A1 A8; a half-width kana in Shift_JIS position must not matter.
  auto document = parser.Parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?><p>\xE8\xA1\xA8\"\xE8\"</p>");
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->encoding, kMultibyteUtf8);
  EXPECT_EQ(MultibyteMode, kMultibyteShiftJis);
  EXPECT_EQ(document->children()[0]->texts()[0]->text(), "\xE8\xA1\xA8");
  EXPECT_EQ(document->children()[0]->texts()[1]->text(), "\xE8");
  EXPECT_EQ(Written(*document).substr(0, 38), "<?xml version=\"1.0\" encoding=\"utf-8\"?>");
}

TEST(MarkupParserTest, EveryErrorWithItsLine) {
  using K = ParseErrorKind;
  struct Case {
    const char* text;
    ParseErrorKind kind;
    int line;  // as the message counts, from 1
    const char* token;
    const char* message;
  } cases[] = {
      {"<a>\n<b>\nxyz", K::kEndedEarly, 3, "xyz", "3行目<xyz> XML が途中で終わっています"},
      {"<a>\n<!-- c -->\n</a>", K::kDeclarationInside, 2, "-", "2行目<-> XML 宣言が他の要素内に記述してあります"},
      {"<a>\n</b>", K::kEndTagMismatch, 2, "b", "2行目<b> 要素の終了タグ名が開始タグ名と異なります"},
      {"</XML_Root>", K::kEndTagMismatch, 1, "XML_Root", "1行目<XML_Root> 要素の終了タグ名が開始タグ名と異なります"},
      {"<a>\n</a b>", K::kEndTagNotClosed, 2, "b", "2行目<b> 終了タグが > で閉じられていません"},
      {"hello <a></a>", K::kContentOutside, 1, "hello", "1行目<hello> 要素外に内容が記述してあります"},
      {"<a>\n<b / x>\n</a>", K::kSlashWithoutGt, 2, "x", "2行目<x> 要素が終了で / の後に > がありません"},
      {"<a\nid=5>", K::kValueNotQuoted, 2, "5", "2行目<5> 属性のパラメータが \"\" で囲まれていません"},
      {"<a 5=\"x\">", K::kBadAttributeName, 1, "5", "1行目<5> 属性名が不正です"},
      {"<a><br/></a>", K::kEndTagMismatch, 1, "a", "1行目<a> 要素の終了タグ名が開始タグ名と異なります"},
      {"<a>x</a> tail", K::kContentOutside, 1, "tail", "1行目<tail> 要素外に内容が記述してあります"},
      {"<a>x</a>\n<b>", K::kEndedEarly, 2, ">", "2行目<>> XML が途中で終わっています"},
      {"", K::kEndedEarly, 1, "", "1行目<> XML が途中で終わっています"},
      {"  \n ", K::kEndedEarly, 1, "", "1行目<> XML が途中で終わっています"},
      {"<a href=\"x>", K::kEndedEarly, 1, "x>", "1行目<x>> XML が途中で終わっています"},
      {"<!DOCTYPE x", K::kEndedEarly, 1, "x", "1行目<x> XML が途中で終わっています"},
      {"<?xml version=\"1.0\" encoding=\"EUC", K::kEndedEarly, 1, "EUC", "1行目<EUC> XML が途中で終わっています"},
      {"<a>\n<", K::kEndedEarly, 2, "<", "2行目<<> XML が途中で終わっています"},
  };
  MarkupParser parser;
  for (const Case& c : cases) {
    MessageRecorder recorder;
    EXPECT_EQ(parser.Parse(c.text), nullptr) << c.text;
    EXPECT_EQ(parser.error().kind, c.kind) << c.text;
    EXPECT_EQ(parser.error().line + 1, c.line) << c.text;
    EXPECT_EQ(parser.error().token, c.token) << c.text;
    EXPECT_EQ(FormatParseError(parser.error()), c.message) << c.text;
    // Reported once, as formatted.
    ASSERT_EQ(recorder.messages.size(), 1u) << c.text;
    EXPECT_EQ(recorder.messages[0].text, c.message) << c.text;
    EXPECT_EQ(recorder.messages[0].severity, kSeverityError);
    // A quiet parser fails the same way without a word.
    MarkupParser quiet;
    quiet.quiet = true;
    EXPECT_EQ(quiet.Parse(c.text), nullptr) << c.text;
    EXPECT_EQ(quiet.error().kind, c.kind) << c.text;
    EXPECT_EQ(quiet.error().line + 1, c.line) << c.text;
    EXPECT_EQ(recorder.messages.size(), 1u) << c.text;
    EXPECT_EQ(MultibyteMode, kMultibyteShiftJis);
  }
  // A success clears the failure of the parse before.
  EXPECT_NE(parser.Parse("<a>x</a>"), nullptr);
  EXPECT_EQ(parser.error().kind, K::kNone);
}

TEST(MarkupParserTest, NestingDeeperThan31Fails) {
  std::string ok, tooDeep;
  for (int i = 0; i < 31; ++i) ok += "<e>";
  ok += "x</e>";
  MessageRecorder recorder;
  MarkupParser parser;
  EXPECT_NE(parser.Parse(ok), nullptr);
  EXPECT_EQ(parser.Parse("<f>\n" + ok), nullptr);
  EXPECT_EQ(parser.error().kind, ParseErrorKind::kNestedTooDeep);
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"2行目<e> 要素の入れ子が深すぎます"}));
}

TEST(MarkupParserTest, EncodingDeclaration) {
  struct Case {
    const char* text;
    unsigned char encoding;
    const char* warning;
  } cases[] = {
      {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><a>x</a>", kMultibyteShiftJis, nullptr},
      {"<?xml version=\"1.0\" encoding=\"SHIFT_JIS\"?><a>x</a>", kMultibyteShiftJis, nullptr},
      {"<?xml version=\"1.0\" encoding=\"utf-8\"?><a>x</a>", kMultibyteUtf8, nullptr},
      {"<?xml version=\"1.0\" encoding=\"EUC-JP\"?><a>x</a>", kMultibyteShiftJis, "未知のエンコーディング<euc-jp>です"},
      {"<?xml version='1.0' encoding='utf-8'?><a>x</a>", kMultibyteShiftJis, nullptr},
      {"<?xml version=\"1.0\"?>\r\n<a encoding=\"utf-8\">x</a>", kMultibyteShiftJis, nullptr},
      {"<a>x</a>", kMultibyteShiftJis, nullptr},
  };
  MarkupParser parser;
  for (const Case& c : cases) {
    MessageRecorder recorder;
    auto document = parser.Parse(c.text);
    ASSERT_NE(document, nullptr) << c.text;
    EXPECT_EQ(document->encoding, c.encoding) << c.text;
    if (c.warning == nullptr) {
      EXPECT_TRUE(recorder.messages.empty()) << c.text;
    } else {
      ASSERT_EQ(recorder.messages.size(), 1u);
      EXPECT_EQ(recorder.messages[0].text, c.warning);
      EXPECT_EQ(recorder.messages[0].severity, kSeverityWarning);
    }
  }
  // Quiet silences the tokens' errors only; the encoding warning is the parser's.
  MessageRecorder recorder;
  parser.quiet = true;
  EXPECT_NE(parser.Parse(cases[3].text), nullptr);
  EXPECT_EQ(recorder.messages.size(), 1u);
}

TEST(MarkupParserTest, AcceptedShapes) {
  struct Case {
    const char* text;
    const char* written;  // the tree without the declaration
  } cases[] = {
      {"<a><br /></a>", "<a>\n\t<br />\n</a>\n"},
      {"<a><td checked>x</td></a>", "<a>\n\t<td checked=\"\">\n\t\tx\n\t</td>\n</a>\n"},
      {"<!DOCTYPE html PUBLIC \"-//W3C\">\n<a>x</a>", "<a>\n\tx\n</a>\n"},
      {"<-- c --><a><-- <b> -->x</a>", "<a>\n\tx\n</a>\n"},
      {"<a>x</a>\n \t\r\n", "<a>\n\tx\n</a>\n"},
      {"<a>x<b>y</b> tail</a>", "<a>\n\tx tail\n\t<b>\n\t\ty\n\t</b>\n</a>\n"},
      {"<tr><td>1</td>", "<tr>\n\t<td>\n\t\t1\n\t</td>\n</tr>\n"},
      {"<a>1</a><b>2</b>", "<a>\n\t1\n</a>\n<b>\n\t2\n</b>\n"},
      {"<a>x, y</a>", "<a>\n\tx , y\n</a>\n"},
      {"<a xml:lang=\"ja\" http-equiv=\"c\">x</a>", "<a xml:lang=\"ja\" http-equiv=\"c\">\n\tx\n</a>\n"},
      {"<a>x</a>\0<b>", "<a>\n\tx\n</a>\n"},
  };
  MarkupParser parser;
  for (const Case& c : cases) {
    MessageRecorder recorder;
    auto document = parser.Parse(c.text);
    ASSERT_NE(document, nullptr) << c.text;
    std::string written = Written(*document);
    EXPECT_EQ(written.substr(written.find("\n\n") + 2), c.written) << c.text;
    EXPECT_TRUE(recorder.messages.empty());
  }
  auto three = parser.Parse("<a>x, y</a>");
  EXPECT_EQ(three->children()[0]->texts().size(), 3u);
}

// An entity or character reference used to come out as three tokens ("&", "amp",
// ";") and be written back as "& amp ;".
TEST(MarkupParserTest, EntityReferenceWasSplitIntoThreeTokens) {
  MarkupParser parser;
  auto document = parser.Parse("<p>A&amp;B &#9312;&#x2460;&lt; & x &amp &#; &#x;</p>");
  ASSERT_NE(document, nullptr);
  std::vector<std::string> texts;
  for (const MarkupText* text : document->children()[0]->texts()) texts.emplace_back(text->text());
  EXPECT_EQ(texts, (std::vector<std::string>{"A", "&amp;", "B", "&#9312;", "&#x2460;", "&lt;", "&", "x", "&",
                                              "amp", "&", "#", ";", "&", "#", "x", ";"}));
  EXPECT_EQ(Written(*document->children()[0]),
            "<p>\n\tA &amp; B &#9312; &#x2460; &lt; & x & amp & # ; & # x ;\n</p>\n");
}

class DateCellParser : public MarkupParser {
 public:
  bool KeepsRawText(const MarkupElement& element, const MarkupElement*) const override {
    const MarkupAttribute* id = element.FindAttribute("id");
    return element.name() == "td" && id != nullptr && id->text() == "date";
  }
};

TEST(MarkupParserTest, DateCellKeepsRawText) {
  DateCellParser parser;
  auto document = parser.Parse(
      "<tr><td id=\"date\" rowspan=\"2\">2024/03/31<br />\n(日) \"q\" </  <td</td><td id=\"time\">15:00</td></tr>");
  ASSERT_NE(document, nullptr);
  const MarkupElement* row = document->children()[0];
  const MarkupElement* date = row->FindCellById("date", false);
  ASSERT_EQ(date->texts().size(), 1u);
  EXPECT_EQ(date->FirstText()->text(), "2024/03/31<br />(日) \"q\" </ <td");
  EXPECT_EQ(date->FirstText()->kind(), TokenKind::Word);
  EXPECT_EQ(row->FindCellById("time", false)->texts().size(), 3u);
  // The blank after the first token is kept like every other.
  auto first = parser.Parse("<td id=\"date\">a b</td>");
  EXPECT_EQ(first->children()[0]->FirstText()->text(), "a b");
  // Nor the blank before the end tag: a cell read back as written stays the
  // same, merge after merge.
  auto written = parser.Parse("<td id=\"date\">\n\t2024/03/26<br />(火)\n\t\t\t\t</td>");
  EXPECT_EQ(written->children()[0]->FirstText()->text(), "2024/03/26<br />(火)");
  // Content that begins with markup is raw text as well (never a child that
  // would be written back after the rest), and an empty cell stays empty.
  auto marked = parser.Parse("<tr><td id=\"date\"><b>x</b>y<b>z</b></td><td id=\"date\"></td></tr>");
  ASSERT_NE(marked, nullptr);
  const MarkupElement* markedCell = marked->children()[0]->children()[0];
  EXPECT_TRUE(markedCell->children().empty());
  EXPECT_EQ(markedCell->FirstText()->text(), "<b>x</b>y<b>z</b>");
  EXPECT_TRUE(marked->children()[0]->children()[1]->texts().empty());

  MessageRecorder recorder;
  EXPECT_EQ(parser.Parse("<td id=\"date\">\n2024 </td"), nullptr);
  EXPECT_EQ(parser.Parse("<td id=\"date\">2024</t>"), nullptr);
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"2行目<td> XML が途中で終わっています",
                                                        "1行目<>> XML が途中で終わっています"}));
}

TEST(MarkupParserTest, HandedOverTextAndReuse) {
  MarkupParser parser;
  std::string text = "<a>x</a>";
  auto document = parser.ParseHandedOver(std::move(text));
  ASSERT_NE(document, nullptr);
  EXPECT_TRUE(text.empty());  // the parser took it
  EXPECT_NE(parser.Parse("<b>y</b>"), nullptr);
}

}  // namespace

TEST(MarkupParserTest, MinusWithoutDigitIsAWordOfItsOwn) {
  MarkupParser parser;
  auto document = parser.Parse("<a>-. x -5 -x</a>");
  ASSERT_NE(document, nullptr);
  std::vector<std::string> texts;
  for (const MarkupText* text : document->children().front()->texts()) texts.emplace_back(text->text());
  EXPECT_EQ(texts, (std::vector<std::string>{"-", ".", "x", "-5", "-", "x"}));
}
