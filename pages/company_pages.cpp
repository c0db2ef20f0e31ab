#include "pages/company_pages.h"

#include "markup/text.h"
#include "markup/tree.h"
#include "pages/archive.h"
#include "pages/frame.h"
#include "pages/output.h"
#include "pages/page_parser.h"
#include "pages/rows.h"
#include "platform/dates.h"
#include "platform/diagnostics.h"
#include "platform/files.h"

namespace {

std::string PageTitle(Code code) { return code.Text() + " - Velkora"; }

// The page document of a ticker, read or made, and its table; `setAside` tells
// whether an unreadable page was moved aside.
std::unique_ptr<MarkupDocument> OpenPage(Code code, const std::string& path, uint32_t today, MarkupElement*& table,
                                         bool& setAside) {
  setAside = false;
  if (FileEntry(path.c_str()).ExistsPath()) {
    std::string text;
    std::unique_ptr<MarkupDocument> page;
    if (ReadAll(path.c_str(), text)) {
      PageParser parser;
      parser.quiet = true;  // reported below, once
      page = parser.ParseHandedOver(std::move(text));
    }
    table = page ? page->FindChild("table", true) : nullptr;
    if (table) {
      LinkSiteIcon(*page);
      // The parser reads an alphanumeric code as pieces ("130" "A"); written
      // back, the code stays whole, in the rows and in the title.
      if (!code.IsNumeric()) {
        for (MarkupElement* row : table->children()) JoinTickerPieces(*row);
        if (MarkupElement* title = page->FindChild("title", true)) {
          title->ClearTexts();
          title->AddText(PageTitle(code));
        }
      }
      return page;
    }
    std::string aside = SetPageAside(path, today);
    setAside = true;
    ReportError("銘柄別html<%s>を読めないので<%s>に移して作り直します", path.c_str(), aside.c_str());
  }
  return BuildPageFrame(PageTitle(code).c_str(), "../_default.css", table);
}

// The whole number a date cell holds without slashes, or 0.
uint32_t PlainNumber(const MarkupText& text) {
  const char* cursor = text.c_str();
  NumberSlot number;
  if (ReadNumber(cursor, &number) != kIntegerNumber || *cursor != '\0' || number.integer <= 0) return 0;
  return static_cast<uint32_t>(number.integer);
}

// Removes the groups of `date` and later days from the top of the page table,
// and rewrites the plain-number date cells of older days until the first one
// that is already written with slashes.
void CleanTop(MarkupElement& table, uint32_t date) {
  size_t index = 0;
  while (index < table.children().size()) {
    MarkupElement* cell = table.children()[index]->FindCellById("date", false);
    const MarkupText* text = cell ? cell->FirstText() : nullptr;
    if (!text) {
      ++index;  // a row inside a group
      continue;
    }
    uint32_t rowDate = ParseDateCell(text->text());
    if (rowDate >= date) {
      // The group of a day added again, or of a later day: gone, counted from
      // the top of the table, at least its first row.
      size_t count = std::min(table.children().size(), static_cast<size_t>(CellRowspan(*cell)));
      for (size_t i = 0; i < count; ++i) table.RemoveChild(table.children().front());
      index = 0;
      continue;
    }
    if (text->text().find('/') != std::string_view::npos) return;
    uint32_t plain = PlainNumber(*text);
    if (plain == 0) return;
    FormatDateCell(plain, *cell, false);
    ++index;
  }
}

}  // namespace

void AddGroupOnTop(MarkupElement& table, uint32_t date, std::vector<std::unique_ptr<MarkupElement>> rows) {
  MarkupElement* top = nullptr;
  for (size_t i = rows.size(); i-- > 0;) {
    MarkupElement* row = rows[i].get();
    for (const char* id : {"ticker", "market"})
      if (MarkupElement* cell = row->FindCellById(id, false)) row->RemoveChild(cell);
    top = table.InsertChild(0, std::move(rows[i]));
  }
  if (!top) return;
  MarkupElement* cell = top->InsertChild(0, std::make_unique<MarkupElement>("td"));
  cell->AddAttribute("id", "date");
  cell->AddRowspan(static_cast<int32_t>(rows.size()));
  FormatDateCell(date, *cell, false);
}

void PutDayOnTop(MarkupElement& table, uint32_t date, std::vector<std::unique_ptr<MarkupElement>> rows) {
  CleanTop(table, date);
  AddGroupOnTop(table, date, std::move(rows));
}

bool AddDayToCompanyPage(const OutputDir& output, Code code, uint32_t date,
                         std::vector<std::unique_ptr<MarkupElement>> rows, uint32_t today,
                         const OlderGroups& older, bool linkArchive) {
  if (rows.empty()) return true;
  std::string path = output.CompanyPage(code);
  MarkupElement* table = nullptr;
  bool setAside = false;
  std::unique_ptr<MarkupDocument> page = OpenPage(code, path, today, table, setAside);
  if (setAside && older) older(*table);
  PutDayOnTop(*table, date, std::move(rows));
  if (linkArchive) LinkTitlesToArchive(*table, output, "../");
  return SavePage(path.c_str(), *page);
}

bool LinkCompanyPageToArchive(const OutputDir& output, Code code) {
  std::string path = output.CompanyPage(code), text;
  if (!FileEntry(path.c_str()).ExistsPath()) return true;
  if (!ReadAll(path.c_str(), text)) return false;
  PageParser parser;
  parser.quiet = true;  // an unreadable page is set aside when its next day is added
  std::unique_ptr<MarkupDocument> page = parser.ParseHandedOver(std::move(text));
  MarkupElement* table = page ? page->FindChild("table", true) : nullptr;
  if (!table) return false;
  if (LinkTitlesToArchive(*table, output, "../") == 0) return true;
  LinkSiteIcon(*page);
  return SavePage(path.c_str(), *page);
}
