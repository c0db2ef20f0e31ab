// The company store's downloads: the quote page of each requested name (step
// 11), and the names that report pages give along the way (step 7).
#include <cstring>

#include "markup/text.h"
#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/http.h"
#include "settings/markets.h"
#include "settings/options.h"
#include "settings/tickers.h"
#include "work/company_store.h"
#include "work/run_trace.h"

namespace {

// A quote page holds the title near its top; the market and industry are far
// below it.
constexpr int kQuoteTitleBytes = 1024;
constexpr int kQuotePageBytes = 204800;

// The text after `key` up to the first of `stops` (or the end).
std::string_view TextAfter(std::string_view page, std::string_view key, std::string_view stops) {
  size_t at = page.find(key);
  if (at == std::string_view::npos) return {};
  std::string_view rest = page.substr(at + key.size());
  return rest.substr(0, rest.find_first_of(stops));
}

// `text` without any occurrence of `piece`.
std::string WithoutAll(std::string_view text, std::string_view piece) {
  std::string result;
  for (size_t at; (at = text.find(piece)) != std::string_view::npos; text.remove_prefix(at + piece.size()))
    result.append(text.substr(0, at));
  return result.append(text);
}

}  // namespace

QuoteFacts ReadQuotePage(std::string_view page) {
  QuoteFacts facts;
  size_t title = page.find("<title>");
  if (title != std::string_view::npos) {
    std::string_view rest = page.substr(title + 7);
    if (rest.starts_with("Ya")) {
      facts.nameKind = QuoteFacts::Name::kNoSuchCompany;  // the site's own not-found page
    } else {
      // Up to the code's bracket; without one, the rest of the title.
      size_t end = rest.find("【");
      if (end == std::string_view::npos) end = rest.find_first_of("<\r\n");
      facts.name = WithoutAll(rest.substr(0, end), "(株)");
      facts.nameKind = QuoteFacts::Name::kFound;
    }
  }
  // The market sits in a script's data: it ends at the closing quote too.
  if (page.find("marketName\":\"") != std::string_view::npos)
    facts.market = DetailedMarketCode(TextAfter(page, "marketName\":\"", "< \""));
  std::string_view industryKey = page.find("industryName\":\"") != std::string_view::npos ? "industryName\":\""
                                                                                         : "category yjSb\">";
  if (page.find(industryKey) != std::string_view::npos)
    facts.industry = IndustryCodeOf(TextAfter(page, industryKey, "\","));
  return facts;
}

void CompanyStore::Apply(int ticker, const QuoteFacts& facts) {
  std::string* name = NameSlot(ticker);
  if (facts.nameKind == QuoteFacts::Name::kNoSuchCompany) {
    name->assign(1, '-');
    return;  // the profile is not touched
  }
  if (facts.nameKind == QuoteFacts::Name::kFound) *name = facts.name;
  uint8_t* record = Record(ticker);
  if (!record) return;
  if (facts.market) record[0] = MarketAfterQuote(record[0], *facts.market);
  if (facts.industry) {
    record[1] = *facts.industry;
  } else if (ticker == 8421) {
    record[1] = 31;  // その他金融業: its page names no industry
  } else if (ticker == 8720 || ticker == 8721 || (ticker >= 9281 && ticker <= 9287)) {
    record[1] = 35;  // ETF
  }
}

Turn CompanyStore::FetchNextCompany(HttpDownloader& downloader, RunTrace& trace) {
  // The last slot (10000) stands for no ticker and is never fetched.
  while (fetchCursor_ < kTickerCount - 1 && (*names_)[static_cast<size_t>(fetchCursor_)] != "*") ++fetchCursor_;
  if (fetchCursor_ >= kTickerCount - 1) {
    fetchCursor_ = kTickerCount;
    profileDirty_ = true;
    return Turn::kDone;
  }
  int ticker = fetchCursor_ + kFirstTicker;
  std::string url = Options().Text(OptionKey::QuoteBaseUrl) + FormatString("/stocks/detail/?code=%04d", ticker);
  bool opened = downloader.OpenUrl(url.c_str());
  trace.Log(2, "download company name(%d)\n", ticker);
  int capacity = profile_ ? kQuotePageBytes : kQuoteTitleBytes;
  std::string body(static_cast<size_t>(capacity), '\0');
  bool read = downloader.Read(body.data(), capacity);
  body.resize(static_cast<size_t>(downloader.Total()));
  // A failed download reads as an empty page: the name stays requested.
  std::string page;
  if (opened && read) page = DownloadedPageToShiftJis(body);
  Apply(ticker, ReadQuotePage(page));
  downloader.CloseUrl();
  namesDirty_ = true;
  ++fetchCursor_;
  ++fetched_;
  trace.ShowProgress(kProgressCompanyNames, static_cast<int>(fetched_), static_cast<int>(toFetch_));
  return Turn::kMore;
}

void CompanyStore::TakeNameFromReportPage(int ticker, std::string_view page) {
  std::string* name = NameSlot(ticker);
  if (!name || *name != "*" || Options().Flag(OptionKey::UseFullConame)) return;
  size_t stock = page.find("stockname");
  size_t heading = stock == std::string_view::npos ? stock : page.find("<h1>", stock);
  size_t blank = heading == std::string_view::npos ? heading : page.find(' ', heading);
  if (blank == std::string_view::npos) return;
  std::string_view rest = page.substr(blank + 1);
  *name = std::string(rest.substr(0, rest.find('<')));
  if (toFetch_ > 0) --toFetch_;
  namesDirty_ = true;
}
