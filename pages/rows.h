// The rows and cells that every page shares: a row is a "tr" whose "td" cells
// are told apart by their "id" ("date", "time", "ticker", "coname", ...).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/tickers.h"

class MarkupElement;

// The company of a row: the code in its "ticker" cell (or in the link inside
// it); Code() when there is none.
Code RowTicker(const MarkupElement& row);
// Wraps the first text of a ticker cell in a link to the company's page
// "./Indiv/NNNN.html".
void LinkTickerToIndiv(MarkupElement& cell);

// The text of a date cell: "yyyy/mm/dd", with `weekday` "yyyy/mm/dd<br />(曜)".
std::string DateCellText(uint32_t date, bool weekday);
// Makes `cell` hold only the date cell text of `date`.
void FormatDateCell(uint32_t date, MarkupElement& cell, bool weekday);
// The date of a date cell's text: every "/" removed, the first 8 characters
// read as a number; 0 when they do not read as a whole number.
uint32_t ParseDateCell(std::string_view text);
// The date of a row's "date" cell (its first text), or 0 when the row has no
// date cell with a text.
uint32_t RowDate(const MarkupElement& row);
// The value of a row's "rowspan" on its cell `id`: 1 when the cell has none,
// and at least 1 whatever a hand-edited page says.
int CellRowspan(const MarkupElement& cell);
