// The addresses of a company's pages on the two finance sites the program
// reads: the quote site (name, market, industry) and the report site
// (earnings schedule). Both the downloads and the link cells of the pages use
// them, so the two always point at the same page.
#pragma once

#include <string>
#include <string_view>

// The placeholder of a URL template that stands for the four-digit code.
constexpr char kCodePlaceholder[] = "{code}";

// `pattern` with every "{code}" replaced by the ticker written "%04d".
std::string FillUrlTemplate(std::string_view pattern, int ticker);

// The quote page of a ticker: the template QuoteUrlTemplate of the option file.
// A file without that key whose QuoteBaseUrl is set (an option file of an
// earlier version) keeps working: that base with "/stocks/detail/?code={code}".
std::string QuotePageUrl(int ticker);
// The report page of a ticker: ReportUrlTemplate, or, likewise, a set
// ReportBaseUrl with "/index.php?sa=report&bcode={code}".
std::string ReportPageUrl(int ticker);
