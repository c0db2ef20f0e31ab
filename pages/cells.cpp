#include "pages/cells.h"

#include "markup/tree.h"
#include "pages/links.h"

std::string CellText(const MarkupElement& cell) {
  const MarkupElement& holder = cell.texts().empty() && !cell.children().empty() ? *cell.children().front() : cell;
  std::string text;
  for (const MarkupText* piece : holder.texts()) {
    if (!text.empty()) text += ' ';
    text += piece->text();
  }
  return text;
}

void HighlightName(MarkupElement& cell, View view, const PageSelections& selections, Code code) {
  // The bare name, out of whatever was around it: an element, or a span kept
  // as text (a name cell is read back as one piece).
  std::string name = CellText(cell);
  while (!cell.children().empty()) cell.RemoveChild(cell.children().front());
  size_t open = name.find('>');
  size_t close = name.rfind("</span>");
  if (name.starts_with("<span") && open != std::string::npos && close != std::string::npos && close > open) {
    name = name.substr(open + 1, close - open - 1);
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    while (!name.empty() && name.back() == ' ') name.pop_back();
  }
  const char* mark = nullptr;
  if (view != View::kPort && selections.InPortfolio(code))
    mark = "in_port";
  else if (view == View::kAll && selections.HasXls(code))
    mark = "in_xls";
  cell.ClearTexts();
  // The span is written as text, as it is read back, so a merged page keeps
  // the bytes of a page built at once.
  if (mark)
    cell.AddText(std::string("<span class=\"").append(mark).append("\">").append(name).append("</span>"));
  else if (!name.empty())
    cell.AddText(name);
}

std::unique_ptr<MarkupElement> TextCell(const char* id, std::string_view text) {
  auto cell = std::make_unique<MarkupElement>("td");
  cell->AddAttribute("id", id);
  cell->AddText(text);
  return cell;
}

void InsertLinkCells(MarkupElement& row, const MarkupElement* after, const CellOptions& options, Code code,
                     uint8_t market) {
  auto add = [&](bool on, const char* id, auto make) {
    if (on && !row.FindCellById(id, false)) row.InsertChildAfter(after, make());
  };
  add(options.yahoo, "yahoo", [&] { return MakeYahooCell(options.sites, code); });
  add(options.ifis, "ifis", [&] { return MakeIfisCell(options.sites, code); });
  add(options.sbi, "sbi", [&] { return MakeSbiCell(code, market); });
  add(options.kcom, "kcom", [&] { return MakeKComCell(code); });
  add(options.gmo, "gmo", [&] { return MakeGmoCell(options.gmoServer, code, market); });
}
