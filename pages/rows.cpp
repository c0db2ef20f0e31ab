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

Code RowTicker(const MarkupElement& row) {
  const MarkupElement* cell = row.FindCellById("ticker", false);
  if (!cell) return Code();
  if (const MarkupElement* link = cell->FindChild("a", false)) cell = link;
  const MarkupText* text = cell->FirstText();
  return text ? Code(NumberOf(*text)) : Code();
}

void LinkTickerToIndiv(MarkupElement& cell) {
  const MarkupText* first = cell.FirstText();
  if (!first) return;
  std::unique_ptr<MarkupText> text = cell.DetachText(first);
  MarkupElement* link = cell.InsertChild(0, std::make_unique<MarkupElement>("a"));
  link->AddAttribute("href", "./Indiv/" + Code(NumberOf(*text)).Text() + ".html");
  link->AppendText(std::move(text));
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
