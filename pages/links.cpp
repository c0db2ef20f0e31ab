#include "pages/links.h"

#include <string>

#include "markup/safe_text.h"
#include "markup/tree.h"
#include "pages/link_images.h"
#include "pages/output.h"
#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/options.h"
#include "settings/site_urls.h"

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
// SBI has no page for (0x15, green sheet, unknown).
const char* SbiExchangeCode(uint8_t market) {
  switch (market >> 4) {
    case 1: return market == 0x15 ? nullptr : "TKY";
    case 2: return "NGY";
    case 3: return "FKO";
    case 4: return "SPR";
    default: return nullptr;
  }
}

struct LinkImage {
  const char* file;
  OptionKey option;
  std::string_view bytes;
};

template <size_t N>
constexpr std::string_view Bytes(const unsigned char (&png)[N]) {
  return std::string_view(reinterpret_cast<const char*>(png), N);
}

// In the order they are written.
const LinkImage kLinkImages[] = {
    {"Images/yahoo.png", OptionKey::HtmlInsertYahoo, Bytes(kYahooPng)},
    {"Images/gmo.png", OptionKey::HtmlInsertGMO, Bytes(kGmoPng)},
    {"Images/kcom.png", OptionKey::HtmlInsertKCom, Bytes(kKcomPng)},
    {"Images/sbi.png", OptionKey::HtmlInsertSBI, Bytes(kSbiPng)},
    {"Images/ifis.png", OptionKey::HtmlInsertIfis, Bytes(kIfisPng)},
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

std::unique_ptr<MarkupElement> MakeYahooCell(int ticker) { return LinkCell("yahoo", QuotePageUrl(ticker)); }

std::unique_ptr<MarkupElement> MakeIfisCell(int ticker) { return LinkCell("ifis", ReportPageUrl(ticker)); }

std::unique_ptr<MarkupElement> MakeKComCell(int ticker) {
  return LinkCell("kcom", FormatString("http://s10.kabu.co.jp/Members/Tradetool/investment_info/"
                                       "?trid=600&trric=%04d",
                                       ticker));
}

std::unique_ptr<MarkupElement> MakeSbiCell(int ticker, uint8_t market) {
  const char* exchange = SbiExchangeCode(market);
  if (!exchange) return LinkCell("sbi", "");
  return LinkCell("sbi", FormatString("https://site1.sbisec.co.jp/ETGate/?stock_sec_code_mul=%04d&exchange_code=%s"
                                      "&i_stock_sec=%04d&i_exchange_code=%s&i_output_type=0&i_dom_flg=1"
                                      "&_ControlID=WPLETsiR001Control&_PageID=WPLETsiR001Ilst10"
                                      "&_ActionID=getDetailOfStockPriceJP&getFlg=on",
                                      ticker, exchange, ticker, exchange));
}

std::unique_ptr<MarkupElement> MakeGmoCell(std::string_view gmoServer, int ticker, uint8_t market) {
  if (market >> 4 != 1 || market == 0x15) return LinkCell("gmo", "");
  std::string server(gmoServer);
  return LinkCell("gmo", FormatString("https://kabu.click-sec.com/%s/kabu/meigaraInfo.do?meigaraCode=0%04d00",
                                      server.c_str(), ticker));
}

void WriteLinkImagesIfMissing() {
  for (const LinkImage& image : kLinkImages) {
    if (!Options().Flag(image.option)) continue;
    EnsureOutputSubdir("Images");
    std::string text = OutputPath(image.file);
    FilePath path;
    if (!path.SetPath(text.c_str()) || !MissingOrEmpty(path)) continue;
    ReplaceFileContents(path, image.bytes);  // reports its own failure
  }
}
