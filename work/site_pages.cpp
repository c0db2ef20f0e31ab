#include "work/site_pages.h"

#include "platform/diagnostics.h"
#include "work/run_trace.h"

std::string WhyUnusable(const FetchedPage& answer) {
  if (!answer.Arrived()) return "no answer";
  if (answer.status != 200) return FormatString("HTTP %d", answer.status);
  return answer.text.empty() ? "empty page" : "not the page expected";
}

void SiteGate::Unusable(const std::string& url, const std::string& why, RunTrace& trace) {
  trace.Log(2, "unusable answer (%s)\n", why.c_str());
  if (++failuresInARow_ < kSiteFailuresInARow) return;
  Stop(FormatString("%sのページ<%s>などで %d 回続けて使える応答がありません。この実行ではこのサイトに問い合わせず、"
                    "残りは次回の実行で取得します",
                    what_, url.c_str(), failuresInARow_),
       trace);
}

void SiteGate::Refused(const std::string& url, int status, RunTrace& trace) {
  std::string code = status != 200 ? FormatString(" (HTTP %d)", status) : std::string(" (403 Forbidden)");
  Stop(FormatString("%sのページ<%s>のサイトが要求を断りました%s。この実行ではこのサイトに問い合わせず、"
                    "残りは次回の実行で取得します",
                    what_, url.c_str(), code.c_str()),
       trace);
}

void SiteGate::Stop(const std::string& message, RunTrace& trace) {
  if (!asking_) return;
  asking_ = false;
  trace.Log(1, "stop asking the site\n");
  MessageSeverity = kSeverityWarning;
  ReportMessage("%s", message.c_str());
}
