// The parser the pipeline reads list rows, raw day files and page files with.
#pragma once

#include "markup/parser.h"

// Keeps the content of a date cell (td id="date"), a name cell (td id="coname")
// and a title link (an "a" whose parent is td id="title") as one text piece, so
// dates, names and titles are written back exactly as they were read.
class PipelineParser : public MarkupParser {
 public:
  bool KeepsRawText(const MarkupElement& element, const MarkupElement* parent) const override;
};

// The "id" attribute's value of an element is `id`.
bool HasId(const MarkupElement& element, const char* id);
