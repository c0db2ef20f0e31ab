#include "pages/rows.h"

#include <memory>

#include "markup/text.h"
#include "markup/tree.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "settings/markets.h"

namespace {

// The number a text piece holds. A parsed piece knows it already; a piece the
// program made (kind Word) is read from its characters.
int NumberOf(const MarkupText& text) {
  if (text.kind() == TokenKind::Integer || text.kind() == TokenKind::Real) return text.IntValue();
  const char* cursor = text.c_str();
  NumberSlot number;
  switch (ReadNumber(cursor, &number)) {
    case kIntegerNumber: return number.integer;
    case kRealNumber: return static_cast<int>(number.real);
    default: return 0;
  }
}

}  // namespace

Code CellCode(const MarkupElement& cell) {
  const MarkupElement* holder = &cell;
  if (const MarkupElement* link = cell.FindChild("a", false)) holder = link;
  const auto& texts = holder->texts();
  if (texts.size() == 0) return Code();
  const MarkupText& first = *texts[0];
  // An alphanumeric code reads as pieces: "285" "A", "1" "A00" (written with
  // a blank between them by a page of an earlier run).
  if (texts.size() > 1 && first.text().size() < 4) {
    std::string joined(first.text());
    for (size_t at = 1; at < texts.size() && joined.size() < 4; ++at) joined.append(texts[at]->text());
    std::optional<Code> code = Code::FromText(joined);
    if (code && !code->IsNumeric()) return *code;
  }
  if (first.kind() == TokenKind::Word && first.text().size() == 4) {
    std::optional<Code> code = Code::FromText(first.text());  // a code the program wrote as one piece
    if (code && !code->IsNumeric()) return *code;
  }
  return Code(NumberOf(first));
}

Code RowTicker(const MarkupElement& row) {
  const MarkupElement* cell = row.FindCellById("ticker", false);
  return cell ? CellCode(*cell) : Code();
}

std::string RowXbrlUrl(const MarkupElement& row) {
  const MarkupElement* cell = row.FindCellById("xbrl", false);
  const MarkupElement* link = cell ? cell->FindChild("a", false) : nullptr;
  const MarkupAttribute* href = link ? link->FindAttribute("href") : nullptr;
  std::string_view url = href ? href->text() : std::string_view();
  return url.starts_with("http://") || url.starts_with("https://") ? std::string(url) : std::string();
}

void RemoveXbrlCells(MarkupElement& table) {
  for (MarkupElement* row : table.children())
    while (const MarkupElement* cell = row->FindCellById("xbrl", false)) row->RemoveChild(cell);
}

void JoinTickerPieces(MarkupElement& row) {
  MarkupElement* cell = row.FindCellById("ticker", false);
  if (!cell) return;
  if (MarkupElement* link = cell->FindChild("a", false)) cell = link;
  if (cell->texts().size() < 2) return;
  Code code = CellCode(*cell);
  if (code.IsNumeric()) return;
  cell->ClearTexts();
  cell->AddText(code.Text());
}

void LinkTickerToIndiv(MarkupElement& cell) {
  if (!cell.FirstText()) return;
  Code code = CellCode(cell);
  MarkupElement* link = cell.InsertChild(0, std::make_unique<MarkupElement>("a"));
  link->AddAttribute("href", "./Indiv/" + code.Text() + ".html");
  if (code.IsNumeric()) {
    link->AppendText(cell.DetachText(cell.FirstText()));
    return;
  }
  // The pieces of an alphanumeric code become one text.
  std::string text = code.Text();
  for (size_t taken = 0; taken < text.size() && cell.FirstText();) {
    taken += cell.FirstText()->text().size();
    cell.RemoveText(cell.FirstText());
  }
  link->AddText(text);
}

std::string DateCellText(uint32_t date, bool weekday) {
  if (!weekday) return FormatString("%02d/%02d/%02d", DateYear(date), DateMonth(date), DateDay(date));
  return FormatString("%02d/%02d/%02d<br />(%s)", DateYear(date), DateMonth(date), DateDay(date),
                      WeekdayName(DayOfWeek(date)));
}

void FormatDateCell(uint32_t date, MarkupElement& cell, bool weekday) {
  cell.ClearTexts();
  cell.AddText(DateCellText(date, weekday));
}

uint32_t ParseDateCell(std::string_view text) {
  std::string digits;
  for (char c : text) {
    if (c != '/') digits += c;
    if (digits.size() == 8) break;
  }
  const char* cursor = digits.c_str();
  NumberSlot number;
  if (ReadNumber(cursor, &number) != kIntegerNumber || number.integer < 0) return 0;
  return static_cast<uint32_t>(number.integer);
}

uint32_t RowDate(const MarkupElement& row) {
  const MarkupElement* cell = row.FindCellById("date", false);
  const MarkupText* text = cell ? cell->FirstText() : nullptr;
  return text ? ParseDateCell(text->text()) : 0;
}

int CellRowspan(const MarkupElement& cell) {
  const MarkupAttribute* rowspan = cell.FindAttribute("rowspan");
  if (!rowspan) return 1;
  const char* cursor = rowspan->c_str();
  NumberSlot number;
  if (ReadNumber(cursor, &number) != kIntegerNumber || number.integer < 1) return 1;
  return number.integer;
}
