// The addresses of the sites a run reads: the TDnet list pages and a company's
// pages on the two finance sites, the quote site (name, market, industry) and
// the report site (earnings schedule). Both the downloads and the link cells
// of the pages use them, so the two always point at the same page.
#pragma once

#include <string>
#include <string_view>

#include "settings/tickers.h"

class OptionStore;

// The placeholder of a URL template that stands for the company's code.
constexpr char kCodePlaceholder[] = "{code}";

// `pattern` with every "{code}" replaced by the code's text ("%04d" of a
// numeric code).
std::string FillUrlTemplate(std::string_view pattern, Code code);

struct SiteAddresses {
  std::string tdnetBase;       // the directory of the list pages (TdnetBaseUrl)
  std::string quoteTemplate;   // a company's quote page, "{code}" for its code
  std::string reportTemplate;  // a company's report page

  std::string QuotePage(Code code) const { return FillUrlTemplate(quoteTemplate, code); }
  std::string ReportPage(Code code) const { return FillUrlTemplate(reportTemplate, code); }
};

// The addresses an option file gives: TdnetBaseUrl, QuoteUrlTemplate and
// ReportUrlTemplate. A file without a template key whose base key of an
// earlier version (QuoteBaseUrl, ReportBaseUrl) is set keeps working: that
// base with "/stocks/detail/?code={code}" or "/index.php?sa=report&bcode={code}".
SiteAddresses ReadSiteAddresses(const OptionStore& options);
