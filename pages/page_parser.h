// The parser that list rows, raw day files, views and pages are read with.
#pragma once

#include "markup/parser.h"

// Keeps the content of a date cell (td id="date"), a name cell (td id="coname")
// and a title link (an "a" whose parent is td id="title") as one text piece, so
// dates, names and titles are written back as they were read ("M&amp;A" stays
// one word; a span around a highlighted name keeps its quoted class).
class PageParser : public MarkupParser {
 public:
  bool KeepsRawText(const MarkupElement& element, const MarkupElement* parent) const override;
};

// The "id" attribute's value of an element is `id`.
bool HasId(const MarkupElement& element, const char* id);
