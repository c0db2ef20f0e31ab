#include "pages/links.h"

#include <string>

#include "markup/safe_text.h"
#include "markup/tree.h"
#include "pages/link_images.h"
#include "pages/output.h"
#include "pages/page_inputs.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/markets.h"

namespace {

// A cell with the site's id; with an address, a link around the site's icon.
// The address is written as an attribute value ("&" as "&amp;"), whatever the
// option file put into it.
std::unique_ptr<MarkupElement> LinkCell(const char* site, const std::string& address) {
  auto cell = std::make_unique<MarkupElement>("td");
  cell->AddAttribute("id", site);
  if (!address.empty()) {
    MarkupElement* link = cell->AddChild("a");
    link->AddAttribute("href", SafeAttributeValue(address));
    link->AddAttribute("target", "_blank");
    link->AddChild("img")->AddAttribute("src", FormatString("Images/%s.png", site));
  }
  return cell;
}

// SBI's code of the exchange that lists a market code, or null for markets
// SBI has no page for (TOKYO PRO MARKET, green sheet, unknown).
const char* SbiExchangeCode(uint8_t market) {
  switch (ExchangeOf(market)) {
    case Exchange::kTokyo: return IsProMarket(market) ? nullptr : "TKY";
    case Exchange::kNagoya: return "NGY";
    case Exchange::kFukuoka: return "FKO";
    case Exchange::kSapporo: return "SPR";
    default: return nullptr;
  }
}

struct LinkImage {
  const char* file;
  bool CellOptions::*cell;
  std::string_view bytes;
};

template <size_t N>
constexpr std::string_view Bytes(const unsigned char (&png)[N]) {
  return std::string_view(reinterpret_cast<const char*>(png), N);
}

// In the order they are written.
const LinkImage kLinkImages[] = {
    {"Images/yahoo.png", &CellOptions::yahoo, Bytes(kYahooPng)},
    {"Images/gmo.png", &CellOptions::gmo, Bytes(kGmoPng)},
    {"Images/kcom.png", &CellOptions::kcom, Bytes(kKcomPng)},
    {"Images/sbi.png", &CellOptions::sbi, Bytes(kSbiPng)},
    {"Images/ifis.png", &CellOptions::ifis, Bytes(kIfisPng)},
};

// True when the file does not exist or is empty. An empty icon is what a copy
// or a program killed halfway leaves behind; it would never show, so it is
// written again like a missing one.
bool MissingOrEmpty(const FilePath& path) {
  FileEntry entry;
  entry.SetPath(path);
  if (!entry.ExistsPath()) return true;
  FileFinder finder;
  return finder.Start(path.Text(), FileFinder::kFiles) && !finder.IsFinished() &&
         finder.CurrentFindData().size == 0;
}

}  // namespace

std::unique_ptr<MarkupElement> MakeYahooCell(const SiteAddresses& sites, Code code) {
  return LinkCell("yahoo", sites.QuotePage(code));
}

std::unique_ptr<MarkupElement> MakeIfisCell(const SiteAddresses& sites, Code code) {
  return LinkCell("ifis", sites.ReportPage(code));
}

std::unique_ptr<MarkupElement> MakeKComCell(Code code) {
  if (!code.IsNumeric()) return LinkCell("kcom", "");  // its address for such a code is not known
  return LinkCell("kcom", FormatString("http://s10.kabu.co.jp/Members/Tradetool/investment_info/"
                                       "?trid=600&trric=%s",
                                       code.Text().c_str()));
}

std::unique_ptr<MarkupElement> MakeSbiCell(Code code, uint8_t market) {
  const char* exchange = SbiExchangeCode(market);
  if (!exchange || !code.IsNumeric()) return LinkCell("sbi", "");
  std::string text = code.Text();
  return LinkCell("sbi", FormatString("https://site1.sbisec.co.jp/ETGate/?stock_sec_code_mul=%s&exchange_code=%s"
                                      "&i_stock_sec=%s&i_exchange_code=%s&i_output_type=0&i_dom_flg=1"
                                      "&_ControlID=WPLETsiR001Control&_PageID=WPLETsiR001Ilst10"
                                      "&_ActionID=getDetailOfStockPriceJP&getFlg=on",
                                      text.c_str(), exchange, text.c_str(), exchange));
}

std::unique_ptr<MarkupElement> MakeGmoCell(std::string_view gmoServer, Code code, uint8_t market) {
  if (ExchangeOf(market) != Exchange::kTokyo || IsProMarket(market) || !code.IsNumeric()) return LinkCell("gmo", "");
  std::string server(gmoServer);
  return LinkCell("gmo", FormatString("https://kabu.click-sec.com/%s/kabu/meigaraInfo.do?meigaraCode=0%s00",
                                      server.c_str(), code.Text().c_str()));
}

void WriteLinkImagesIfMissing(const OutputDir& output, const CellOptions& cells) {
  for (const LinkImage& image : kLinkImages) {
    if (!(cells.*image.cell)) continue;
    output.EnsureSubdir("Images");
    std::string text = output.File(image.file);
    FilePath path;
    if (!path.SetPath(text.c_str()) || !MissingOrEmpty(path)) continue;
    ReplaceFileContents(path, image.bytes);  // reports its own failure
  }
}
