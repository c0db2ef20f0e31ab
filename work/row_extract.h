// The rows of one TDnet list page, read and written in the raw day file's form.
// Needs no work task: the pipeline (step 4) and the fuzz target both use it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "settings/tickers.h"

class ByteOutput;

// What the extraction needs from its caller.
struct ListRowContext {
  // The list base URL the links of the rows are written under.
  std::string baseUrl;
  // The stored market byte of a company's profile, which a row may update;
  // null (or an empty function) when no profile is kept for it.
  std::function<uint8_t*(Code code)> marketByte;
  // Told of each row that did not parse and went through the text method.
  std::function<void()> readAsText;
  // Told of each parsed row dropped because its code cell names no company,
  // with the cell's first word (at most 16 bytes, as the page has it).
  std::function<void(std::string_view cell)> noCode;
};

// Finds every row of a Shift_JIS list page that holds a time mark (two digits,
// a colon, two digits) and writes each kept row to `out` as one raw day line,
// in a single burst of Write calls (so an output may write a header before the
// first). A parsed row gives its time, ticker, whole name, market, link and
// whole title, the name's and title's pieces joined by one blank where the page
// had a blank or a line break between them; a row that does not parse is read
// from its text without blanks. A row with an XBRL link (a link in a cell after
// the title, or the second link of a row read from its text) gets one more cell
// at its end, `<td id="xbrl"><a href="URL">XBRL</a></td>`, when the address is
// http(s); a row without one is written as it always was. A code cell is five characters, the company's
// code and a "0" ("72030", "285A0"); a parsed row whose code cell is neither
// that nor a number of 10000 or more is dropped (and told to `noCode`).
// Returns how many rows were found, kept or dropped.
int ExtractListRows(std::string_view pageText, const ListRowContext& context, ByteOutput& out);
