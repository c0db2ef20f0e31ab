#include "markup/tree.h"

#include <gtest/gtest.h>

#include "markup/parser.h"
#include "platform/diagnostics.h"

namespace {

std::unique_ptr<MarkupDocument> ParseOrFail(std::string_view text) {
  MarkupParser parser;
  std::unique_ptr<MarkupDocument> document = parser.Parse(text);
  EXPECT_NE(document, nullptr) << text;
  return document;
}

std::string Written(const MarkupElement& element, int indent = 0) {
  StringOutput output;
  element.Write(output, indent);
  return output.text;
}

TEST(MarkupTreeTest, TextBeforeOrAfterChildGivesTheSameTree) {
  auto before = ParseOrFail("<p>a<b>x</b></p>");
  auto after = ParseOrFail("<p><b>x</b>a</p>");
  EXPECT_EQ(Written(*before), Written(*after));
  EXPECT_EQ(Written(*before), "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n\n<p>\n\ta\n\t<b>\n\t\tx\n\t</b>\n</p>\n");
}

TEST(MarkupTreeTest, FindChildSearchesFirstChildsSubtreeBeforeSecondChild) {
  MarkupElement root("root");
  MarkupElement* first = root.AddChild("div");
  MarkupElement* grandchild = first->AddChild("span");
  root.AddChild("span");
  EXPECT_EQ(root.FindChild("span", true), grandchild);
  EXPECT_EQ(root.FindChild("span", false), root.children()[1]);
  EXPECT_EQ(root.FindChild("table", true), nullptr);
}

TEST(MarkupTreeTest, FindCellByIdOnlyMatchesTdCells) {
  MarkupElement row("tr");
  MarkupElement* header = row.AddChild("th");
  header->AddAttribute("id", "time");
  MarkupElement* division = row.AddChild("div");
  division->AddAttribute("id", "time");
  MarkupElement* cell = division->AddChild("td");
  cell->AddAttribute("class", "x");
  cell->AddAttribute("id", "time");
  EXPECT_EQ(row.FindCellById("time", false), nullptr);
  EXPECT_EQ(row.FindCellById("time", true), cell);
  EXPECT_EQ(row.FindCellById("date", true), nullptr);
}

TEST(MarkupTreeTest, SetRowspanChangesOnlyTheFirst) {
  MarkupElement cell("td");
  EXPECT_EQ(cell.SetRowspan(4)->text(), "4");  // none yet: added
  cell.AddRowspan(7);
  MarkupAttribute* changed = cell.SetRowspan(-12);
  ASSERT_EQ(cell.attributes().size(), 2u);
  EXPECT_EQ(changed, cell.attributes()[0]);
  EXPECT_EQ(changed->text(), "-12");
  EXPECT_EQ(changed->kind(), TokenKind::Integer);
  EXPECT_EQ(changed->IntValue(), -12);
  EXPECT_EQ(cell.attributes()[1]->text(), "7");
}

TEST(MarkupTreeTest, IntValueAndRetype) {
  auto document = ParseOrFail("<td a=\"2.75\" b=\"-2.75\" c=\"x5\" d=\"-\" e=\"15\">w</td>");
  const MarkupElement* cell = document->children()[0];
  struct Case {
    const char* name;
    TokenKind kind;
    int32_t value;
  } cases[] = {{"a", TokenKind::Real, 2}, {"b", TokenKind::Real, -2}, {"c", TokenKind::Quoted, 0},
               {"d", TokenKind::Word, 0}, {"e", TokenKind::Integer, 15}};
  for (const Case& c : cases) {
    MarkupAttribute* attribute = cell->FindAttribute(c.name);
    ASSERT_NE(attribute, nullptr);
    EXPECT_EQ(attribute->IntValue(), 0) << "quoted values are not numbers before Retype";
    attribute->Retype();
    EXPECT_EQ(attribute->kind(), c.kind) << c.name;
    EXPECT_EQ(attribute->IntValue(), c.value) << c.name;
  }
  EXPECT_EQ(cell->FirstText()->IntValue(), 0);
}

TEST(MarkupTreeTest, CloneIsIndependentAndKeepsTokenFields) {
  auto document = ParseOrFail("<tr>\n<td id=\"time\">15:00</td><td id=\"coname\">表示</td>\n</tr>");
  const MarkupElement* row = document->children()[0];
  std::unique_ptr<MarkupElement> copy = row->Clone();
  EXPECT_EQ(Written(*copy), Written(*row));
  EXPECT_EQ(copy->line(), 0);
  const MarkupText* minutes = copy->children()[0]->texts()[2];
  EXPECT_EQ(minutes->kind(), TokenKind::Integer);
  EXPECT_EQ(minutes->line(), 1);
  copy->children()[0]->FindAttribute("id")->SetText("date");
  copy->children()[1]->AddText("x");
  copy->RemoveChild(copy->children()[0]);
  EXPECT_EQ(row->children().size(), 2u);
  EXPECT_EQ(row->FindCellById("time", false)->texts().size(), 3u);
  EXPECT_EQ(row->children()[1]->texts().size(), 1u);
}

TEST(MarkupTreeTest, InsertDetachAndMoveRows) {
  MarkupElement dayTable("table");
  MarkupElement pageTable("table");
  MarkupElement* a = dayTable.AddChild("a");
  MarkupElement* b = dayTable.AddChild("b");
  MarkupElement* top = pageTable.AddChild("top");
  EXPECT_EQ(dayTable.MoveChild(a, pageTable, top), a);
  EXPECT_EQ(dayTable.MoveChild(b, pageTable, a), b);
  EXPECT_EQ(dayTable.MoveChild(b, pageTable, nullptr), nullptr);  // no longer a child
  ASSERT_EQ(pageTable.children().size(), 3u);
  EXPECT_EQ(pageTable.children()[0], b);
  EXPECT_EQ(pageTable.children()[1], a);
  EXPECT_EQ(pageTable.children()[2], top);
  EXPECT_TRUE(dayTable.children().empty());

  MarkupElement* after = pageTable.InsertChildAfter(top, std::make_unique<MarkupElement>("end"));
  EXPECT_EQ(pageTable.children().back(), after);
  pageTable.InsertChild(0, std::make_unique<MarkupElement>("first"));
  EXPECT_EQ(pageTable.children()[0]->name(), "first");
  std::unique_ptr<MarkupElement> detached = pageTable.DetachChild(a);
  EXPECT_EQ(detached.get(), a);
  EXPECT_EQ(pageTable.ChildIndex(a), pageTable.children().size());
  EXPECT_FALSE(pageTable.RemoveChild(a));
  EXPECT_TRUE(pageTable.RemoveChild(top));
  EXPECT_EQ(Written(pageTable), "<table>\n\t<first />\n\t<b />\n\t<end />\n</table>\n");

  MarkupText* text = detached->AddText("one");
  detached->AddTextFormat("%04d", 7);
  EXPECT_TRUE(detached->RemoveText(text));
  EXPECT_EQ(detached->FirstText()->text(), "0007");
  MarkupAttribute* attribute = detached->AddAttribute("id", "x");
  EXPECT_TRUE(detached->RemoveAttribute(attribute));
  EXPECT_FALSE(detached->RemoveAttribute(attribute));
}

TEST(MarkupTreeTest, ManyChildrenGoInAndOutAtOnce) {
  MarkupElement table("table");
  std::vector<std::unique_ptr<MarkupElement>> rows;
  table.InsertChildren(5, std::move(rows));  // nothing to insert
  EXPECT_TRUE(table.children().empty());
  for (const char* name : {"b", "c"}) rows.push_back(std::make_unique<MarkupElement>(name));
  table.InsertChildren(5, std::move(rows));  // into an empty list, at its end
  table.AddChild("e");
  for (const char* name : {"x", "y", "z"}) rows.push_back(std::make_unique<MarkupElement>(name));
  table.InsertChildren(0, std::move(rows));
  for (const char* name : {"d"}) rows.push_back(std::make_unique<MarkupElement>(name));
  table.InsertChildren(5, std::move(rows));
  EXPECT_EQ(Written(table), "<table>\n\t<x />\n\t<y />\n\t<z />\n\t<b />\n\t<c />\n\t<d />\n\t<e />\n</table>\n");
  table.RemoveChildren(0, 3);
  table.RemoveChildren(3, 100);
  table.RemoveChildren(9, 1);  // past the end: nothing
  EXPECT_EQ(Written(table), "<table>\n\t<b />\n\t<c />\n\t<d />\n</table>\n");
  // A thousand at once into the middle of a thousand.
  for (int i = 0; i < 1000; ++i) table.AddChild("p");
  for (int i = 0; i < 1000; ++i) rows.push_back(std::make_unique<MarkupElement>("q"));
  table.InsertChildren(2, std::move(rows));
  ASSERT_EQ(table.children().size(), 2003u);
  EXPECT_EQ(table.children()[1]->name(), "c");
  EXPECT_EQ(table.children()[2]->name(), "q");
  EXPECT_EQ(table.children()[1001]->name(), "q");
  EXPECT_EQ(table.children()[1002]->name(), "d");
}

TEST(MarkupTreeTest, ReportErrorShowsLineAndText) {
  MessageRecorder recorder;
  auto document = ParseOrFail("<a>\n<b>\n15</b>\n</a>");
  const MarkupElement* b = document->children()[0]->children()[0];
  b->ReportError("bad %d", 1);
  b->FirstText()->ReportError("value %s", "x");
  MarkupText made("made");
  made.ReportError("m");
  MarkupParser quietParser;
  quietParser.quiet = true;
  auto quietDocument = quietParser.Parse("<a>x</a>");
  quietDocument->children()[0]->FirstText()->ReportError("silent");
  EXPECT_EQ(recorder.Texts(), (std::vector<std::string>{"2行目<b> bad 1", "3行目<15> value x", "0行目<made> m"}));
  EXPECT_EQ(recorder.messages[0].severity, kSeverityError);
}

TEST(MarkupTreeTest, LongAndShortTextsRoundTrip) {
  MarkupElement element("e");
  std::string longText(1000, 'x');
  const char* texts[] = {"", "12345678901234", "123456789012345", longText.c_str()};
  for (const char* t : texts) {
    MarkupText* text = element.AddText(t);
    EXPECT_EQ(text->text(), t);
    EXPECT_STREQ(text->c_str(), t);
    if (text->text().empty()) continue;
    text->SetText(text->text().substr(1));  // assigning from its own bytes
    EXPECT_EQ(text->text(), std::string_view(t).substr(1));
  }
  EXPECT_EQ(sizeof(MarkupToken), 24u);
}

}  // namespace
