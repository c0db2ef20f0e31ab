// HTML of the fixture server's synthetic pages. The list pages follow the long-
// lived template of the disclosure service: the heading "kaiji-text-1" (also on a
// day without disclosures), one table "main-list-table", two classes on every
// cell, the count cell "kaijiSum" and the pager naming every page above and
// below the table.
#include <algorithm>
#include <cstdio>
#include <string>

#include "tools/fixture_pages.h"

namespace {

std::string Escape(const std::string& text) {
  std::string result;
  for (char c : text) {
    switch (c) {
      case '&': result += "&amp;"; break;
      case '<': result += "&lt;"; break;
      case '>': result += "&gt;"; break;
      case '"': result += "&quot;"; break;
      default: result += c;
    }
  }
  return result;
}

std::string ListPageName(int page, uint32_t date) {
  char name[64];
  std::snprintf(name, sizeof name, "I_list_%03d_%u.html", page, date);
  return name;
}

std::string DateHeading(uint32_t date) {
  char text[64];
  std::snprintf(text, sizeof text, "%u年%02u月%02u日", date / 10000, date / 100 % 100, date % 100);
  return text;
}

const char kPageHead[] =
    "<!DOCTYPE html>\n"
    "<html lang=\"ja\">\n"
    "<head>\n"
    "<meta charset=\"UTF-8\">\n"
    "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">\n"
    "<title>適時開示情報閲覧サービス</title>\n"
    "<link rel=\"stylesheet\" type=\"text/css\" href=\"./css/common.css\">\n"
    "<script type=\"text/javascript\" src=\"./js/I_list.js\"></script>\n"
    "</head>\n"
    "<body>\n";

// The pager above and below the table: the day's count cell "kaijiSum", then
// one box per page naming the page's file.
std::string Pager(const char* id, uint32_t date, int page, int pages, const std::string& sum) {
  std::string html = std::string("<table class=\"pager-box\" id=\"") + id + "\"><tr>\n";
  html += "<td class=\"kaijiSum\">" + sum + "</td>\n<td class=\"pager\">\n";
  for (int p = 1; p <= pages; ++p) {
    html += p == page ? "<div class=\"pager-O\"" : "<div class=\"pager-M\"";
    html += " onclick=\"pagerLink('" + ListPageName(p, date) + "')\">" + std::to_string(p) + "</div>\n";
  }
  return html + "</td>\n</tr></table>\n";
}

std::string Cell(const std::string& parity, const char* align, const char* kind, const std::string& content) {
  return "<td class=\"" + parity + "new-" + align + " " + kind + "\" noWrap>" + content + "</td>\n";
}

std::string TitleCell(const std::string& parity, const Disclosure& row) {
  std::string link = "<a href=\"" + row.document + "\" target=\"_blank\">" + Escape(row.title) + "</a>";
  // A corrected disclosure shows the new title over the struck-out old one,
  // closed by a stray "</a>" as the service writes it.
  if (!row.oldTitle.empty()) link += "<BR><s>" + Escape(row.oldTitle) + "</s></a>";
  return "<td class=\"" + parity + "new-M kjTitle\" align=\"left\">" + link + "</td>\n";
}

std::string XbrlCell(const std::string& parity, const Disclosure& row) {
  if (row.xbrl.empty()) return Cell(parity, "M", "kjXbrl", " ");
  return Cell(parity, "M", "kjXbrl",
              "<div class=\"xbrl-mark\"><div class=\"xbrl-button\"><a href=\"" + row.xbrl +
                  "\" target=\"_blank\" class=\"style-xbrl\">XBRL</a></div></div>");
}

std::string Row(const Disclosure& row, int index) {
  std::string parity = index % 2 == 0 ? "odd" : "even";
  char time[32];
  std::snprintf(time, sizeof time, "%02d:%02d", row.time / 100, row.time % 100);
  std::string html = "<tr>\n";
  html += Cell(parity, "L", "kjTime", time);
  html += Cell(parity, "M", "kjCode", std::string(row.company->code) + "0");
  html += Cell(parity, "M", "kjName", Escape(row.company->name) + "    ");
  html += TitleCell(parity, row);
  html += XbrlCell(parity, row);
  html += Cell(parity, "M", "kjPlace", row.company->place);
  html += Cell(parity, "R", "kjHistroy", "　　　　　");
  return html + "</tr>\n";
}

std::string EmptyDayPage(uint32_t date) {
  return std::string(kPageHead) + "<div id=\"main-list-box\">\n<div id=\"kaiji-text-1\">" + DateHeading(date) +
         "に開示された情報はありません。</div>\n</div>\n</body>\n</html>\n";
}

}  // namespace

std::optional<std::string> TdnetListPage(uint32_t date, int page, const std::vector<Disclosure>& rows) {
  int count = static_cast<int>(rows.size());
  if (count == 0) return page == 1 ? std::optional<std::string>(EmptyDayPage(date)) : std::nullopt;
  int pages = (count + kRowsPerListPage - 1) / kRowsPerListPage;
  if (page < 1 || page > pages) return std::nullopt;
  int first = (page - 1) * kRowsPerListPage;
  int last = std::min(count, first + kRowsPerListPage);
  char sum[128];
  std::snprintf(sum, sizeof sum, "%d～%d件&nbsp;/&nbsp;全%d件", first + 1, last, count);

  std::string html = kPageHead;
  html += "<div id=\"main-list-box\">\n<div id=\"kaiji-text-1\">" + DateHeading(date) + "に開示された情報</div>\n";
  html += Pager("pager-box-top", date, page, pages, sum);
  html += "<div id=\"main-list-tbl\">\n<table id=\"main-list-table\" cellspacing=\"0\" cellpadding=\"0\">\n";
  for (int i = first; i < last; ++i) html += Row(rows[static_cast<size_t>(i)], i - first);
  html += "</table>\n</div>\n";
  html += Pager("pager-box-bottom", date, page, pages, sum);
  return html + "</div>\n</body>\n</html>\n";
}

namespace {

// Navigation and boilerplate that put the page's data well past its first KiB,
// as on the real quote pages.
std::string QuoteFiller() {
  std::string html = "<header><nav><ul>";
  for (int i = 1; i <= 40; ++i) html += "<li><a href=\"/menu/" + std::to_string(i) + "\">メニュー項目" + std::to_string(i) + "</a></li>";
  return html + "</ul></nav></header>\n";
}

}  // namespace

std::string LegacyQuotePage(const FixtureCompany& company) {
  std::string code = company.code;
  std::string name = Escape(company.fullName);
  std::string html = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n<title>" + name + "【" +
                     code + "】：株価・株式情報 - Yahoo!ファイナンス</title>\n</head>\n<body>\n";
  html += QuoteFiller();
  html += "<main><h1>" + name + "</h1>\n<script>window.__PRELOADED_STATE__ = {\"mainStocksPriceBoard\":{\"priceBoard\":{";
  html += "\"name\":\"" + name + "\",\"code\":\"" + code + "\",";
  if (*company.industry)
    html += std::string("\"industry\":{\"industryCode\":\"0050\",\"industryName\":\"") + company.industry + "\"},";
  html += std::string("\"marketName\":\"") + company.market + "\",\"price\":\"1,234\"}}}</script>\n";
  return html + "</main>\n</body>\n</html>\n";
}

namespace {

// A text as the body of a JavaScript string literal in double quotes.
std::string JsString(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '"' || c == '\\') result += '\\';
    if (c == '\n') {
      result += "\\n";
      continue;
    }
    result += c;
  }
  return result;
}

// One chunk of the page's data as a Next.js page streams it: a script that
// pushes a JavaScript string holding a line of the flight data.
std::string FlightChunk(const std::string& line) {
  return "<script>self.__next_f.push([1,\"" + JsString(line + "\n") + "\"])</script>";
}

}  // namespace

std::string QuotePage(const FixtureCompany& company) {
  std::string code = company.code;
  std::string name = Escape(company.fullName);
  // The name comes first or last around "(株)" in the title, as the lists of
  // the site show it; the data carries the market as the price board's label.
  std::string html = "<!DOCTYPE html><html lang=\"ja\"><head><meta charSet=\"utf-8\"/>"
                     "<meta name=\"viewport\" content=\"width=device-width\"/><title>" +
                     name + "【" + code + "】：株価・株式情報 - Yahoo!ファイナンス</title>"
                     "<link rel=\"stylesheet\" href=\"/_next/static/css/app.css\" data-precedence=\"next\"/>"
                     "<script src=\"/_next/static/chunks/webpack.js\" async=\"\"></script></head><body>";
  html += QuoteFiller();
  html += "<main><div id=\"root\"><h2>" + name + "</h2><span>" + code + "</span></div></main>";
  html += "<script>(self.__next_f=self.__next_f||[]).push([0])</script>";
  html += FlightChunk("1:HL[\"/_next/static/css/app.css\",\"style\"]");
  std::string board = "{\"code\":\"" + code + "\",\"name\":\"" + company.fullName + "\",\"price\":\"1,234\",";
  board += "\"market\":{\"label\":\"" + std::string(company.market) + "\",\"code\":\"" + code + "\"}}";
  std::string data = "5:[\"$\",\"$L6\",null,{\"menu\":{\"label\":\"株価\"},\"mainStocksPriceBoard\":{\"priceBoard\":" + board;
  if (*company.industry)
    data += std::string(",\"industry\":{\"industryCode\":\"0050\",\"industryName\":\"") + company.industry + "\"}";
  html += FlightChunk(data + "}}]");
  return html + "</body></html>\n";
}

std::string QuoteNotFoundPage() {
  return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n<title>Yahoo!ファイナンス</title>\n"
         "</head>\n<body>\n<p>指定されたページまたは銘柄は存在しません。</p>\n</body>\n</html>\n";
}

std::string QuoteMaintenancePage() {
  return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n"
         "<title>Yahoo!ファイナンス - メンテナンス中</title>\n</head>\n<body>\n"
         "<p>ただいまメンテナンス中です。しばらくしてから再度アクセスしてください。</p>\n</body>\n</html>\n";
}

std::string BlockPage() {
  return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n<title>アクセスを確認しています</title>\n"
         "</head>\n<body>\n<form id=\"challenge-form\" action=\"/captcha\" method=\"post\">\n"
         "<p>ロボットではないことを確認してください。</p>\n<input type=\"hidden\" name=\"token\" value=\"x\">\n"
         "</form>\n</body>\n</html>\n";
}

namespace {

std::string ReportHead(const std::string& title) {
  return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n<title>" + title +
         " - IFIS株予報</title>\n</head>\n<body>\n";
}

// The next announcement: an exact date, or a part of a month.
std::string ScheduleBlock(const FixtureCompany& company, uint64_t seed, uint32_t today) {
  uint64_t hash = seed * 7919u;
  for (const char* c = company.code; *c; ++c) hash = hash * 131u + static_cast<unsigned char>(*c);
  uint32_t date = AddDaysToDate(today, 5 + static_cast<int>(hash % 90));
  static const char* const kQuarters[] = {"1Q", "2Q", "3Q", "本決算"};
  static const char* const kParts[] = {"上旬", "中旬", "下旬"};
  char when[64];
  if (hash / 90 % 5 == 0)
    std::snprintf(when, sizeof when, "%u年%u月%s", date / 10000, date / 100 % 100, kParts[hash / 450 % 3]);
  else
    std::snprintf(when, sizeof when, "%u/%02u/%02u", date / 10000, date / 100 % 100, date % 100);
  return std::string("<div class=\"block_update\">\n<h2>次回決算</h2>\n<div class=\"settle\">") +
         std::to_string(date / 10000) + "年3月期 " + kQuarters[hash / 7 % 4] + "</div>\n<div class=\"date\">" + when +
         "</div>\n<p>予定日は変更される場合があります</p>\n</div>\n<div class=\"float_end\"></div>\n";
}

}  // namespace

std::string ReportPage(const FixtureCompany& company, uint64_t seed, uint32_t today) {
  std::string code = company.code;
  std::string name = *company.fullName ? company.fullName : company.name;
  for (size_t at; (at = name.find("(株)")) != std::string::npos;) name.erase(at, std::string("(株)").size());
  std::string html = ReportHead(Escape(*company.fullName ? company.fullName : company.name) + "【" + code + "】");
  html += "<div class=\"stockname\"><h1>" + code + " " + Escape(name) + "</h1></div>\n";
  html += "<div id=\"stock_name\" class=\"stock_name\">\n";
  uint64_t hash = seed;
  for (const char* c = company.code; *c; ++c) hash = hash * 31u + static_cast<unsigned char>(*c);
  if (company.etf)
    html += "<p>ETF/ETN の銘柄には決算予定がありません</p>\n";
  else if (hash % 7 == 3)
    html += "<p>次回の決算発表予定日は未定です</p>\n";  // no date published yet
  else
    html += ScheduleBlock(company, seed, today);
  return html + "</div>\n</body>\n</html>\n";
}

std::string VacantReportPage(const std::string& code) {
  return ReportHead("銘柄コード" + Escape(code)) + "<p>該当する銘柄はありません</p>\n</body>\n</html>\n";
}
