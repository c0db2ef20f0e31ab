// Synthetic web pages for the loopback fixture server: TDnet disclosure lists,
// quote pages and earnings report pages of a built-in set of companies.
//
// Everything is deterministic: the same seed and date always give the same rows.
// Texts are UTF-8, like the services the pages imitate.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FixtureCompany {
  const char* code;      // four characters: digits, or digits and one letter ("130A")
  const char* name;      // short name of the disclosure lists (may hold blanks and "&")
  const char* fullName;  // name in the quote page title, "(株)" where it belongs
  const char* place;     // place marks of the lists: "東", "東名", "名", "GR", ...
  const char* market;    // market name of the quote page ("東証PRM")
  const char* industry;  // industry name of the quote page; "" for a page without one
  bool etf;              // the report page shows an ETF without a schedule
};

// The built-in companies, in code order.
const std::vector<FixtureCompany>& FixtureCompanies();
// The company with this four-character code, or nullptr.
const FixtureCompany* FindFixtureCompany(const std::string& code);

// One row of a disclosure list.
struct Disclosure {
  int time = 0;  // hhmm
  const FixtureCompany* company = nullptr;
  std::string title;
  std::string oldTitle;  // a corrected row: the title it replaced ("" otherwise)
  std::string document;  // link target, such as "140120240329500001.pdf"
  std::string xbrl;      // XBRL archive link target, "" when the row has none
};

// `count` disclosures of `date` (yyyymmdd), newest first, deterministic from
// seed and date. The set always mixes earnings reports, monthly figures,
// corrections, a corrected row, titles with "&", and one company filing several
// times (from two rows on). With `alphanumericPercent`, about that share of
// the rows goes to the companies with an alphanumeric code ("130A").
std::vector<Disclosure> GenerateDay(uint64_t seed, uint32_t date, int count, int alphanumericPercent = 0);

// Rows per list page.
constexpr int kRowsPerListPage = 100;

// Page `page` (1-based) of the list of `date`, or nothing when the day has no
// such page. A day without rows has only page 1, the short "no disclosures"
// page.
std::optional<std::string> TdnetListPage(uint32_t date, int page, const std::vector<Disclosure>& rows);

// Quote page of a company as the site serves it now ("/quote/NNNN.T"): the
// title "Name(株)【NNNN】：株価・株式情報 - Yahoo!ファイナンス" and the data in
// Next.js flight chunks, self.__next_f.push([1,"..."]), whose JSON has every
// quote escaped; the market is the price board's label.
std::string QuotePage(const FixtureCompany& company);
// The same company in the older shape ("/stocks/detail/?code=NNNN"): the data
// in a minified window.__PRELOADED_STATE__ object, the market as marketName.
std::string LegacyQuotePage(const FixtureCompany& company);
// The quote site's page for an unknown code (its title begins "Ya").
std::string QuoteNotFoundPage();
// The quote site's maintenance page (its title begins "Ya" too).
std::string QuoteMaintenancePage();
// A page that a site's protection puts before its pages: no marker of either
// site.
std::string BlockPage();

// Earnings report page: the next announcement is deterministic from seed and
// code, 5 to 94 days after `today` (yyyymmdd), sometimes only as a part of a
// month ("中旬"), sometimes not published yet (no schedule block). An ETF page
// shows "ETF/ETN" and no schedule.
std::string ReportPage(const FixtureCompany& company, uint64_t seed, uint32_t today);
// Report page of a vacant code: no company block at all.
std::string VacantReportPage(const std::string& code);

// yyyymmdd helpers.
uint32_t AddDaysToDate(uint32_t date, int days);
bool IsWeekend(uint32_t date);
