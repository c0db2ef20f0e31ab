// The rows and cells that every page shares: a row is a "tr" whose "td" cells
// are told apart by their "id" ("date", "time", "ticker", "coname", ...).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/tickers.h"

class MarkupElement;

// The code a ticker cell holds (or the link inside it): an alphanumeric code
// ("285A", which the parser reads as the pieces "285" and "A"), else the
// number of its first text; Code() when the cell has no text.
Code CellCode(const MarkupElement& cell);
// The company of a row: the code in its "ticker" cell; Code() when there is none.
Code RowTicker(const MarkupElement& row);
// The XBRL archive address of a raw row: the link of its "xbrl" cell as the
// file holds it (attribute text) when it is an http(s) address; "" otherwise
// (no such cell, or a hand-edited file's other link).
std::string RowXbrlUrl(const MarkupElement& row);
// Removes the "xbrl" cell of every row of a raw day's table: the views and the
// pages built from the raw store do not show it.
void RemoveXbrlCells(MarkupElement& table);
// Makes the pieces of an alphanumeric code in a row's ticker cell one text
// ("285A", which the writer would otherwise write as "285 A").
void JoinTickerPieces(MarkupElement& row);
// Wraps the code of a ticker cell (its first text, or the pieces of an
// alphanumeric code) in a link to the company's page "./Indiv/NNNN.html".
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
