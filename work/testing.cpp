#include "work/testing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/diagnostics.h"
#include "platform/files.h"
#include "work/steps.h"

PipelineHome::PipelineHome(const std::string& tdnetBase) {
  // The tests' days are in 2024; the service only has the last weeks' lists.
  if (!std::getenv("VELKORA_TODAY")) {
    SetEnvironment("VELKORA_TODAY", "20240415");
    setToday_ = true;
  }
  previousHome_ = HomeDirectory();
  EXPECT_TRUE(SetHomeDirectory(home_.Path()));
  output_ = home_.Path() + "out" + std::string(1, kPathSeparator);
  WriteTestFile(output_ + "keep", "");
  store_ = std::make_unique<OptionStore>();
  Options().SetText(OptionKey::HtmlDataDir, home_.Path() + "out");
  Options().SetText(OptionKey::TdnetBaseUrl, tdnetBase);
  Options().SetInt(OptionKey::RequestIntervalMs, 0);  // the fixture server needs no pause
}

PipelineHome::~PipelineHome() {
  controller.CancelWorkTask();
  store_.reset();
  SetHomeDirectory(previousHome_);
  if (setToday_) UnsetEnvironment("VELKORA_TODAY");
}

std::string PipelineHome::Run(uint32_t first, uint32_t last) {
  Options().SetInt(OptionKey::PeriodSt, static_cast<int>(first));
  Options().SetInt(OptionKey::PeriodEd, static_cast<int>(last));
  EXPECT_TRUE(controller.StartRun(first, last, 0, false));
  for (int turns = 0; controller.OnIdle(); ++turns) {
    if (turns > 100000) {
      ADD_FAILURE() << "the run does not end";
      break;
    }
  }
  std::string log = Home() + "DebugLog.txt";
  return std::filesystem::is_regular_file(log) ? ReadTestFile(log) : std::string();
}

std::string ListPage(uint32_t date, int pages, const std::vector<ListRow>& rows, int total) {
  if (total < 0) total = static_cast<int>(rows.size()) * pages;
  std::string pager;
  for (int p = 1; p <= pages; ++p)
    pager += FormatString("<a href=\"#\" onclick=\"pagerLink('I_list_%03d_%d.html')\">%d</a>\n", p, date, p);
  std::string text = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head><meta charset=\"UTF-8\"><title>TDnet</title></head>\n<body>\n";
  text += FormatString("<div id=\"kaiji-text-1\">%d", date) + Utf8(u8"に開示された情報") + "</div>\n";
  text += "<div class=\"kaijiSum\">1" + Utf8(u8"～") + std::to_string(rows.size()) + Utf8(u8"件") + "&nbsp;/&nbsp;" +
          Utf8(u8"全") + std::to_string(total) + Utf8(u8"件") + "</div>\n";
  text += "<div class=\"pager\">" + pager + "</div>\n<table id=\"main-list-table\">\n";
  bool odd = true;
  for (const ListRow& row : rows) {
    std::string c = odd ? "oddnew" : "evennew";
    odd = !odd;
    text += "<tr>\n<td class=\"" + c + "-L kjTime\" noWrap>" + Utf8(row.time.c_str()) + "</td>\n";
    text += "<td class=\"" + c + "-M kjCode\" noWrap>" + Utf8(row.code.c_str()) + "</td>\n";
    text += "<td class=\"" + c + "-M kjName\" noWrap>" + Utf8(row.name.c_str()) + "   </td>\n";
    text += "<td class=\"" + c + "-M kjTitle\" align=\"left\"><a href=\"" + Utf8(row.link.c_str()) +
            "\" target=\"_blank\">" + Utf8(row.title.c_str()) + "</a></td>\n";
    if (row.xbrl.empty())
      text += "<td class=\"" + c + "-M kjXbrl\" noWrap> </td>\n";
    else
      text += "<td class=\"" + c + "-M kjXbrl\" noWrap><div class=\"xbrl-mark\"><div class=\"xbrl-button\"><a href=\"" +
              Utf8(row.xbrl.c_str()) + "\" target=\"_blank\" class=\"style-xbrl\">XBRL</a></div></div></td>\n";
    text += "<td class=\"" + c + "-M kjPlace\" noWrap>" + Utf8(row.place.c_str()) + "</td>\n";
    text += "<td class=\"" + c + "-R kjHistroy\" noWrap>" + Utf8(u8"　　　　　") + "</td>\n</tr>\n";
  }
  text += "</table>\n<div class=\"pager\">" + pager + "</div>\n</body>\n</html>\n";
  return text;
}

std::string EmptyListPage(uint32_t date) {
  return FormatString("<html><body><div id=\"kaiji-text-1\">%d", date) + Utf8(u8"に開示された情報はありません。") +
         "</div></body></html>\n";
}

void PipelineTest::SetUp() {
  if (FixtureUrl().empty()) GTEST_SKIP() << "needs the fixture server (tools/with-fixture)";
  base_ = FixtureUrl() + "/inbs/";
  home_ = std::make_unique<PipelineHome>(base_);
}

void PipelineTest::Serve(uint32_t date, int page, const std::string& text) {
  WriteTestFile(FixtureRoot() + "/inbs/" + TdnetListPageName(page, date), text);
}

std::string PipelineTest::Raw(uint32_t date) {
  return ReadTestFile(home_->Output(FormatString("Raw/%u.html", date)));
}

std::string PipelineTest::RowLine(const char* time, const char* ticker, const char* name, const char* market,
                                  const char* title, const char* link) {
  return FormatString(
      "<tr><td id=\"time\">%s</td><td id=\"ticker\">%s</td><td id=\"coname\">%s</td><td id=\"market\">%s</td><td "
      "id=\"title\"><a href=\"%s%s\" target=\"_blank\">%s</a></td></tr>\n",
      time, ticker, name, market, base_.c_str(), link, title);
}

long FixtureRequestCount() {
  HttpDownloader http;
  http.Open();
  char buffer[32] = {};
  http.OpenUrl((FixtureUrl() + "/count").c_str());
  http.Read(buffer, sizeof buffer - 1);
  return std::atol(buffer);
}
