// The quick-link cells that page rows carry, and the icon files they show.
//
// Each cell is a "td" whose id names the site. When the site has a page for the
// company, the cell holds an "a" (href, target="_blank") around an "img" whose
// src is the site's icon under "Images/" of the output directory; otherwise the
// cell is empty. The href is an attribute value as a page holds it: "&", "<",
// ">" and "\"" of the address (and of the option text in it) are written as
// entity references. The quote and report sites' cells point at the pages the
// run reads (the URL templates of the option file); the other sites are never
// fetched: the cells only point at them.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

class MarkupElement;

// The company's quote page on Yahoo! Finance (QuotePageUrl); always a link.
std::unique_ptr<MarkupElement> MakeYahooCell(int ticker);
// The company's report page on IFIS (ReportPageUrl); always a link.
std::unique_ptr<MarkupElement> MakeIfisCell(int ticker);
// The company's page on カブドットコム証券's members' site; always a link.
std::unique_ptr<MarkupElement> MakeKComCell(int ticker);
// The company's price page on SBI Securities; a link only for a market code of
// the Tokyo (not 0x15), Nagoya, Fukuoka or Sapporo exchange, empty otherwise.
std::unique_ptr<MarkupElement> MakeSbiCell(int ticker, uint8_t market);
// The company's page on GMO Click Securities under the server `gmoServer` (the
// GMOServer option); a link only for Tokyo market codes 0x10..0x1F other than
// 0x15, empty otherwise.
std::unique_ptr<MarkupElement> MakeGmoCell(std::string_view gmoServer, int ticker, uint8_t market);

// Writes each icon whose HtmlInsert option is on (yahoo, gmo, kcom, sbi, ifis)
// into "Images" of the output directory when it is missing or empty, whole and
// atomically. An existing non-empty file is left alone, whatever it holds, and
// icons whose option is off are neither written nor removed. A failed write is
// reported as "ファイル<%s>の書き込みに失敗" and the next icon is tried.
void WriteLinkImagesIfMissing();
