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

#include "settings/site_urls.h"
#include "settings/tickers.h"

class MarkupElement;
class OutputDir;
struct CellOptions;

// The company's quote page on Yahoo! Finance (SiteAddresses::QuotePage); always a link.
std::unique_ptr<MarkupElement> MakeYahooCell(const SiteAddresses& sites, Code code);
// The company's report page on IFIS (SiteAddresses::ReportPage); always a link.
std::unique_ptr<MarkupElement> MakeIfisCell(const SiteAddresses& sites, Code code);
// The three brokerage cells below stay empty for an alphanumeric code ("285A"),
// whose address on those sites is not known.
// The company's page on カブドットコム証券's members' site; a link for a numeric code.
std::unique_ptr<MarkupElement> MakeKComCell(Code code);
// The company's price page on SBI Securities; a link only for a market code of
// the Tokyo (not TOKYO PRO MARKET), Nagoya, Fukuoka or Sapporo exchange, empty
// otherwise.
std::unique_ptr<MarkupElement> MakeSbiCell(Code code, uint8_t market);
// The company's page on GMO Click Securities under the server `gmoServer` (the
// GMOServer option); a link only for the Tokyo exchange's market codes other
// than TOKYO PRO MARKET, empty otherwise.
std::unique_ptr<MarkupElement> MakeGmoCell(std::string_view gmoServer, Code code, uint8_t market);

// Writes each icon whose cell is on in `cells` (yahoo, gmo, kcom, sbi, ifis)
// into "Images" of the output directory when it is missing or empty, whole and
// atomically. An existing non-empty file is left alone, whatever it holds, and
// icons whose cell is off are neither written nor removed. A failed write is
// reported as "ファイル<%s>の書き込みに失敗" and the next icon is tried.
void WriteLinkImagesIfMissing(const OutputDir& output, const CellOptions& cells);
