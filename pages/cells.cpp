#include "pages/cells.h"

#include "markup/tree.h"
#include "pages/links.h"
#include "settings/options.h"

CellOptions CellOptions::Read() {
  auto on = [](OptionKey key) { return Options().Flag(key); };
  CellOptions options;
  options.inPortHighlight = on(OptionKey::InPortHighlight);
  options.market = on(OptionKey::HtmlInsertMarket);
  options.industry = on(OptionKey::HtmlInsertIndustry);
  options.yahoo = on(OptionKey::HtmlInsertYahoo);
  options.ifis = on(OptionKey::HtmlInsertIfis);
  options.gmo = on(OptionKey::HtmlInsertGMO);
  options.kcom = on(OptionKey::HtmlInsertKCom);
  options.sbi = on(OptionKey::HtmlInsertSBI);
  return options;
}

std::string CellText(const MarkupElement& cell) {
  const MarkupElement& holder = cell.texts().empty() && !cell.children().empty() ? *cell.children().front() : cell;
  std::string text;
  for (const MarkupText* piece : holder.texts()) {
    if (!text.empty()) text += ' ';
    text += piece->text();
  }
  return text;
}

void HighlightName(MarkupElement& cell, PageView view, const PageSelections& selections, int ticker) {
  // Out of whatever was around it.
  while (!cell.children().empty()) {
    MarkupElement* inner = cell.children().front();
    while (!inner->texts().empty()) cell.AppendText(inner->DetachText(inner->texts().front()));
    cell.RemoveChild(inner);
  }
  const char* mark = nullptr;
  if (view != PageView::kPort && selections.InPortfolio(ticker))
    mark = "in_port";
  else if (view == PageView::kAll && selections.HasXls(ticker))
    mark = "in_xls";
  if (!mark) return;
  MarkupElement* span = cell.AddChild("span");
  span->AddAttribute("class", mark);
  while (!cell.texts().empty()) span->AppendText(cell.DetachText(cell.texts().front()));
}

std::unique_ptr<MarkupElement> TextCell(const char* id, std::string_view text) {
  auto cell = std::make_unique<MarkupElement>("td");
  cell->AddAttribute("id", id);
  cell->AddText(text);
  return cell;
}

void InsertLinkCells(MarkupElement& row, const MarkupElement* after, const CellOptions& options, int ticker,
                     uint8_t market, std::string_view gmoServer) {
  auto add = [&](bool on, const char* id, auto make) {
    if (on && !row.FindCellById(id, false)) row.InsertChildAfter(after, make());
  };
  add(options.yahoo, "yahoo", [&] { return MakeYahooCell(ticker); });
  add(options.ifis, "ifis", [&] { return MakeIfisCell(ticker); });
  add(options.sbi, "sbi", [&] { return MakeSbiCell(ticker, market); });
  add(options.kcom, "kcom", [&] { return MakeKComCell(ticker); });
  add(options.gmo, "gmo", [&] { return MakeGmoCell(gmoServer, ticker, market); });
}
