// Cells that the summary and the schedule pages add to their rows alike: the
// highlighted company name, and the market, industry and quick-link cells.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "pages/page_inputs.h"

class MarkupElement;

// The text of a cell: its text pieces, or those of the element inside it, as
// the markup writer shows them (joined by blanks).
std::string CellText(const MarkupElement& cell);

// Highlights the name in a "coname" cell for a view: the name comes out of
// any element around it; a portfolio company's name goes into a span of class
// "in_port", on the all page a spreadsheet company's into one of class
// "in_xls"; the portfolio page marks nothing.
void HighlightName(MarkupElement& cell, View view, const PageSelections& selections, Code code);

// A new "td" with `id` and one text.
std::unique_ptr<MarkupElement> TextCell(const char* id, std::string_view text);

// Inserts the enabled quick-link cells right after `after` (a cell of `row`),
// so that they stand in the order gmo, kcom, sbi, ifis, yahoo. Cells already
// there are not doubled.
void InsertLinkCells(MarkupElement& row, const MarkupElement* after, const CellOptions& options, Code code,
                     uint8_t market);
