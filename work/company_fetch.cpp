// The company store's downloads: the quote page of each requested name (step
// 11), and the names that report pages give along the way (step 7).
#include <cstring>

#include "markup/text.h"
#include "platform/diagnostics.h"
#include "platform/http.h"
#include "settings/markets.h"
#include "settings/site_urls.h"
#include "settings/tickers.h"
#include "work/company_store.h"
#include "work/run_settings.h"
#include "work/run_trace.h"

namespace {

// `text` without any occurrence of `piece`.
std::string WithoutAll(std::string_view text, std::string_view piece) {
  std::string result;
  for (size_t at; (at = text.find(piece)) != std::string_view::npos; text.remove_prefix(at + piece.size()))
    result.append(text.substr(0, at));
  return result.append(text);
}

// The value of a JSON string member `key` that follows `from`: in the plain
// form ("key":"value") or in the form of a JavaScript string literal whose
// quotes are escaped (\"key\":\"value\"), whichever comes first. The value
// ends at the first of `stops` (a quote and a backslash always stop it).
// Nothing when the key is absent.
std::optional<std::string_view> JsonText(std::string_view page, std::string_view key, std::string_view stops,
                                         size_t from = 0) {
  std::string plain = std::string(1, '"').append(key).append("\":\"");
  std::string escaped = std::string("\\\"").append(key).append("\\\":\\\"");
  size_t a = page.find(plain, from), b = page.find(escaped, from);
  if (a == std::string_view::npos && b == std::string_view::npos) return std::nullopt;
  size_t start = a < b ? a + plain.size() : b + escaped.size();
  std::string_view rest = page.substr(start);
  std::string allStops = std::string(stops) + "\"\\";
  return rest.substr(0, rest.find_first_of(allStops));
}

// The market: "marketName" in the older shape, the price board's "label" in
// today's (the first label after "priceBoard" that names a market).
std::optional<uint8_t> MarketOf(std::string_view page) {
  if (std::optional<std::string_view> name = JsonText(page, "marketName", "< ,"))
    return DetailedMarketCode(*name);
  size_t board = page.find("priceBoard");
  if (board == std::string_view::npos) return std::nullopt;
  for (size_t from = board; from < page.size();) {
    std::optional<std::string_view> label = JsonText(page, "label", "<,", from);
    if (!label) return std::nullopt;
    if (uint8_t code = DetailedMarketCode(*label)) return code;
    from = static_cast<size_t>(label->data() - page.data()) + label->size();
  }
  return std::nullopt;
}

std::optional<uint8_t> IndustryOf(std::string_view page) {
  if (std::optional<std::string_view> name = JsonText(page, "industryName", ",")) return IndustryCodeOf(*name);
  size_t category = page.find("category yjSb\">");
  if (category == std::string_view::npos) return std::nullopt;
  std::string_view rest = page.substr(category + 15);
  return IndustryCodeOf(rest.substr(0, rest.find_first_of("\",")));
}

}  // namespace

QuoteFacts ReadQuotePage(std::string_view page, Code code) {
  QuoteFacts facts;
  size_t title = page.find("<title>");
  if (title == std::string_view::npos) return facts;
  std::string_view rest = page.substr(title + 7);
  // The company's page has its code's bracket in the title: the name stands
  // before it. A page of another company, or with the bracket only further
  // down the page, is no answer.
  size_t bracket = rest.find("【" + code.Text() + "】");
  bool inTitle = bracket != std::string_view::npos && rest.substr(0, bracket).find("</title>") == std::string_view::npos;
  if (inTitle) {
    facts.name = StoredName(WithoutAll(rest.substr(0, bracket), "(株)"));
    if (facts.name.empty()) return facts;
    facts.nameKind = QuoteFacts::Name::kFound;
  } else if (rest.starts_with("Ya")) {
    facts.nameKind = QuoteFacts::Name::kNoSuchCompany;  // the site's own not-found page
    return facts;
  } else {
    return facts;
  }
  facts.market = MarketOf(page);
  facts.industry = IndustryOf(page);
  return facts;
}

namespace {

// The industry of the companies whose quote page names none: その他金融業 for
// 8421, ETF for 8720, 8721 and 9281..9287; unknown for any other.
uint8_t IndustryWithoutOne(Code code) {
  int number = code.Number().value_or(0);
  if (number == 8421) return kIndustryOtherFinance;
  if (number == 8720 || number == 8721 || (number >= 9281 && number <= 9287)) return kIndustryEtf;
  return kIndustryUnknown;
}

}  // namespace

void CompanyStore::Apply(Code code, const QuoteFacts& facts) {
  std::string* name = NameSlot(code);
  if (facts.nameKind == QuoteFacts::Name::kNone || !name) return;
  Answered(code);
  if (facts.nameKind == QuoteFacts::Name::kNoSuchCompany) {
    name->assign(1, '-');
    return;  // the profile is not touched
  }
  *name = facts.name;
  uint8_t* record = Record(code);
  if (!record) return;
  if (facts.market) record[0] = MarketAfterQuote(record[0], *facts.market);
  if (facts.industry)
    record[1] = *facts.industry;
  else if (uint8_t industry = IndustryWithoutOne(code))
    record[1] = industry;
}

Turn CompanyStore::FetchNextCompany(HttpDownloader& downloader, RunTrace& trace) {
  // The numeric codes first, then the alphanumeric ones in their order. The
  // last slot (10000) stands for no ticker and is never fetched.
  while (fetchCursor_ < kTickerCount - 1 && (*names_)[static_cast<size_t>(fetchCursor_)] != "*") ++fetchCursor_;
  Code ticker = fetchCursor_ < kTickerCount - 1 ? Code::AtIndex(static_cast<size_t>(fetchCursor_))
                                                : NextRequestedAlphanumeric(alnumFetched_);
  // Once the site is no longer asked, the rest stay requested for a later run.
  if (ticker.IsNone() || !quoteSite_.Asking()) {
    fetchCursor_ = kTickerCount;
    profileDirty_ = true;
    return Turn::kDone;
  }
  if (!ticker.IsNumeric()) alnumFetched_ = ticker;
  std::string url = settings_.sites.QuotePage(ticker);
  trace.Log(2, "download company name(%s)\n", ticker.Text().c_str());
  FetchedPage answer = FetchPage(downloader, url);
  QuoteFacts facts = answer.IsPage() ? ReadQuotePage(answer.text, ticker) : QuoteFacts();
  if (facts.nameKind != QuoteFacts::Name::kNone) {
    Apply(ticker, facts);
    quoteSite_.Counted();
  } else if (answer.IsRefusal()) {
    quoteSite_.Refused(url, answer.status, trace);
  } else {
    quoteSite_.Unusable(url, WhyUnusable(answer), trace);
  }
  namesDirty_ = true;
  if (ticker.IsNumeric()) ++fetchCursor_;
  ++fetched_;
  trace.ShowProgress(kProgressCompanyNames, static_cast<int>(fetched_), static_cast<int>(toFetch_));
  return Turn::kMore;
}

void CompanyStore::TakeNameFromReportPage(Code code, std::string_view page) {
  std::string* name = NameSlot(code);
  if (!name || *name != "*" || settings_.pages.fullName) return;
  size_t stock = page.find("stockname");
  size_t heading = stock == std::string_view::npos ? stock : page.find("<h1>", stock);
  size_t blank = heading == std::string_view::npos ? heading : page.find(' ', heading);
  if (blank == std::string_view::npos) return;
  std::string_view rest = page.substr(blank + 1);
  std::string taken = StoredName(rest.substr(0, rest.find('<')));
  if (taken.empty()) return;
  Answered(code);
  *name = taken;
  if (toFetch_ > 0) --toFetch_;
  namesDirty_ = true;
}
