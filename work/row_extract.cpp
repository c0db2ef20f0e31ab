// Reading the rows of a list page: the tree method for rows that parse, the
// text method for rows that do not.
#include "work/row_extract.h"

#include <cstring>
#include <memory>
#include <vector>

#include "markup/safe_text.h"
#include "markup/text.h"
#include "markup/tree.h"
#include "platform/diagnostics.h"
#include "platform/sjis.h"
#include "pages/page_parser.h"
#include "settings/markets.h"

namespace {

std::string FirstTextOf(const MarkupElement* element) {
  const MarkupText* text = element ? element->FirstText() : nullptr;
  return text ? std::string(text->text()) : std::string();
}

// Every text piece of an element, with one blank where the page had a blank or
// a line break after a piece and none where the pieces touched ("M&amp;A",
// "15:00"); nothing after the last piece.
std::string WholeText(const MarkupElement& element) {
  std::string whole;
  bool blank = false;
  for (const MarkupText* text : element.texts()) {
    if (blank) whole += ' ';
    whole.append(text->text());
    blank = text->spaceAfter() || text->newlineAfter();
  }
  return whole;
}

void WriteText(ByteOutput& out, std::string_view text) { out.Write(text.data(), text.size()); }

// The XBRL archive address of a row from its link target: a relative target
// goes under the list base URL, as the title's does. Kept only as an http(s)
// address without blanks, attribute-escaped (the target is untrusted text);
// "" otherwise (another scheme, "javascript:" say, included).
std::string XbrlAddress(const ListRowContext& context, std::string_view target) {
  bool absolute = target.starts_with("http://") || target.starts_with("https://");
  size_t colon = target.find(':');
  if (target.empty() || (!absolute && colon != std::string_view::npos && colon < target.find('/'))) return "";
  std::string address = absolute ? std::string(target) : context.baseUrl + std::string(target);
  if (!(address.starts_with("http://") || address.starts_with("https://"))) return "";
  for (char c : address)
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) return "";
  return SafeAttributeValue(address);
}

// The cell a row's XBRL address is kept in after its title cell; nothing for
// a row without one, which is then written as it always was.
void WriteXbrlCell(ByteOutput& out, const std::string& address) {
  if (address.empty()) return;
  WriteText(out, "<td id=\"xbrl\"><a href=\"");
  WriteText(out, address);
  WriteText(out, "\">XBRL</a></td>");
}

// The link target of the XBRL cell of a parsed row: the first link in a cell
// between the title cell and the listing place cell.
std::string XbrlTarget(const std::vector<const MarkupElement*>& cells) {
  for (size_t i = 4; i + 2 < cells.size(); ++i) {
    const MarkupElement* link = cells[i]->name() == "a" ? cells[i] : cells[i]->FindChild("a", true);
    const MarkupAttribute* href = link ? link->FindAttribute("href") : nullptr;
    if (href) return std::string(href->text());
  }
  return "";
}

// The target of the second link of a row's text (the first is the title's):
// the XBRL archive's; "" when the row has no second link.
std::string SecondLinkTarget(std::string_view row) {
  size_t first = row.find("href=\"");
  size_t second = first == std::string_view::npos ? first : row.find("href=\"", first + 6);
  if (second == std::string_view::npos) return "";
  size_t end = row.find('"', second + 6);
  if (end == std::string_view::npos) return "";
  std::string target;
  for (char c : row.substr(second + 6, end - (second + 6)))
    if (c != '\n' && c != '\r' && c != '\t' && c != ' ') target += c;
  return target;
}

// The child elements of the first row of a parsed row fragment, or false when
// the fragment has no row or fewer than the four cells read by position (time,
// code, name, title), which then goes through the text method.
bool RowCells(const MarkupDocument& document, std::vector<const MarkupElement*>& cells) {
  const MarkupElement* row = nullptr;
  for (const MarkupElement* child : document.children())
    if (child->name() == "tr") { row = child; break; }
  if (!row || row->children().size() < 4) return false;
  for (const MarkupElement* cell : row->children()) cells.push_back(cell);
  return true;
}

// The pieces of a cell's text up to the first blank, joined ("285A0", which
// the parser reads as "285" and "A0"); at most 16 bytes.
std::string LeadingWord(const MarkupElement& cell) {
  std::string word;
  for (const MarkupText* text : cell.texts()) {
    word.append(text->text());
    if (word.size() >= 16 || text->spaceAfter() || text->newlineAfter()) break;
  }
  return word.substr(0, 16);
}

// The company of a code cell: the four characters before the "0" of a
// five-character cell, or as a number a tenth of its first number; nothing
// (after telling the caller) for a cell that names no company.
std::optional<Code> CodeOfCell(const ListRowContext& context, const MarkupElement& cell) {
  std::string word = LeadingWord(cell);
  if (std::optional<Code> code = CodeFromListCell(word)) return code;
  const MarkupText* first = cell.FirstText();
  int number = (first ? first->IntValue() : 0) / 10;
  if (number >= 1000) return Code(number);
  if (context.noCode) context.noCode(word);
  return std::nullopt;
}

void WriteRowFromTree(const ListRowContext& context, ByteOutput& out, const std::vector<const MarkupElement*>& cells) {
  const MarkupElement* timeCell = cells[0];
  std::optional<Code> code = CodeOfCell(context, *cells[1]);
  if (!code) return;
  Code ticker = *code;
  // A code of 10000..10009 gives ticker 1000: written, but it has no profile record.
  uint8_t* marketByte = context.marketByte ? context.marketByte(ticker) : nullptr;
  const MarkupElement* place = cells[cells.size() - 2];
  uint8_t market = place->FirstText() ? MarketFromPlace(std::string(place->FirstText()->text()).c_str(), marketByte) : 0;
  // The list tells a professional-market company ("Ｐ－" before its name) from
  // the other Tokyo companies; the quote pages cannot. One that has left that
  // market is looked up again, as a regional company contradicted is.
  if (market == kMarketTokyo && marketByte) {
    if (FirstTextOf(cells[2]).compare(0, 4, "\x82\x6F\x81\x7C") == 0)
      *marketByte = kMarketTokyoPro;
    else if (IsProMarket(*marketByte))
      *marketByte = kMarketUnknown;
  }
  // The hours, the colon and the minutes of a time are three pieces.
  const auto& timeTexts = timeCell->texts();
  std::string hours = timeTexts.size() > 0 ? std::string(timeTexts[0]->text()) : "";
  std::string minutes = timeTexts.size() > 2 ? std::string(timeTexts[2]->text()) : "";
  WriteText(out, FormatString("<tr><td id=\"time\">%s%s</td><td id=\"ticker\">%s</td><td id=\"coname\">",
                              hours.c_str(), minutes.c_str(), ticker.Text().c_str()));
  WriteText(out, WholeText(*cells[2]));
  WriteText(out, FormatString("</td><td id=\"market\">%s</td><td id=\"title\">", MarketName(market)));
  const MarkupElement* titleCell = cells[3];
  const MarkupElement* link = titleCell->children().empty() ? nullptr : titleCell->children().front();
  const MarkupAttribute* href = link ? link->FindAttribute("href") : nullptr;
  if (href) {
    WriteText(out, "<a href=\"");
    WriteText(out, context.baseUrl);
    WriteText(out, href->text());
    WriteText(out, "\" target=\"_blank\">");
  }
  WriteText(out, WholeText(link ? *link : *titleCell));
  if (href) WriteText(out, "</a>");
  WriteText(out, "</td>");
  WriteXbrlCell(out, XbrlAddress(context, XbrlTarget(cells)));
  WriteText(out, "</tr>\n");
}

// Reads a row that did not parse straight from its text.
void WriteRowFromText(const ListRowContext& context, ByteOutput& out, std::string_view row) {
  if (context.readAsText) context.readAsText();
  std::string copy;
  for (char c : row)
    if (c != '\n' && c != '\r' && c != ':' && c != ' ' && c != '\t') copy += c;
  int time = 0, items = 0;
  Code ticker;
  std::string name, title;
  for (size_t at = copy.find('>'); at != std::string::npos && items < 2; at = copy.find('>', at)) {
    ++at;
    if (at >= copy.size() || copy[at] == '<') continue;
    if (std::optional<Code> code = CodeFromListCell(std::string_view(copy).substr(at, 5));
        code && !code->IsNumeric() && (at + 5 == copy.size() || copy[at + 5] == '<')) {
      ticker = *code;
      at += 5;
      continue;
    }
    if (IsAsciiDigit(copy[at])) {
      const char* cursor = copy.c_str() + at;
      NumberSlot number;
      int kind = ReadNumber(cursor, &number);
      int value = kind == kIntegerNumber ? number.integer : kind == kRealNumber ? static_cast<int>(number.real) : 0;
      if (value > 9999) ticker = Code(value / 10); else time = value;
      at = static_cast<size_t>(cursor - copy.c_str());
      continue;
    }
    size_t end = copy.find('<', at);
    std::string item = copy.substr(at, end == std::string::npos ? std::string::npos : end - at);
    (items++ == 0 ? name : title) = item;
    if (end == std::string::npos) break;
    at = end;
  }
  std::string link;
  if (size_t href = copy.find("href"); href != std::string::npos && href + 6 <= copy.size()) {
    size_t end = copy.find('"', href + 6);
    link = copy.substr(href + 6, end == std::string::npos ? std::string::npos : end - (href + 6));
  }
  WriteText(out, FormatString("<tr><td id=\"time\">%04d</td><td id=\"ticker\">%s</td><td id=\"coname\">", time,
                              ticker.Text().c_str()));
  WriteText(out, name);
  WriteText(out, FormatString("</td><td id=\"market\">%s</td><td id=\"title\"><a href=\"", MarketName(kMarketUnknown)));
  WriteText(out, context.baseUrl);
  WriteText(out, link);
  WriteText(out, "\" target=\"_blank\">");
  WriteText(out, title);
  WriteText(out, "</a></td>");
  WriteXbrlCell(out, XbrlAddress(context, SecondLinkTarget(row)));
  WriteText(out, "</tr>\n");
}

void ExtractRow(const ListRowContext& context, ByteOutput& out, std::string_view row) {
  PageParser parser;
  parser.quiet = true;
  std::unique_ptr<MarkupDocument> document = parser.Parse(row);
  std::vector<const MarkupElement*> cells;
  if (document && RowCells(*document, cells))
    WriteRowFromTree(context, out, cells);
  else
    WriteRowFromText(context, out, row);
}

bool IsTimeMark(std::string_view text, size_t colon) {
  return colon >= 2 && colon + 2 < text.size() && IsAsciiDigit(text[colon - 2]) && IsAsciiDigit(text[colon - 1]) &&
         IsAsciiDigit(text[colon + 1]) && IsAsciiDigit(text[colon + 2]);
}

}  // namespace

int ExtractListRows(std::string_view text, const ListRowContext& context, ByteOutput& out) {
  size_t from = 0;
  size_t extracted = 0;  // end of the last row taken
  int rows = 0;
  while (true) {
    size_t colon = text.find(':', from);
    if (colon == std::string_view::npos) return rows;
    from = colon + 1;
    if (!IsTimeMark(text, colon)) continue;
    // A time outside any row (a page header's clock, say) must not swallow the
    // next row or repeat the last one.
    size_t start = text.rfind("<tr", colon);
    if (start == std::string_view::npos || start < extracted) continue;
    size_t end = text.find("</tr>", colon);
    if (end == std::string_view::npos) return rows;
    end += 5;
    ExtractRow(context, out, text.substr(start, end - start));
    ++rows;
    from = extracted = end;
  }
}
