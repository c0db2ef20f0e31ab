#include "pages/page_parser.h"

#include "markup/tree.h"

bool HasId(const MarkupElement& element, const char* id) {
  const MarkupAttribute* attribute = element.FindAttribute("id");
  return attribute && attribute->text() == id;
}

bool PageParser::KeepsRawText(const MarkupElement& element, const MarkupElement* parent) const {
  if (element.name() == "td") return HasId(element, "date") || HasId(element, "coname");
  return element.name() == "a" && parent && parent->name() == "td" && HasId(*parent, "title");
}
