#include "work/site_pages.h"

#include <memory>

#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/http.h"
#include "work/run_trace.h"

namespace {

constexpr int kPieceBytes = 204800;

}  // namespace

SiteAnswer FetchSitePage(HttpDownloader& downloader, const std::string& url) {
  SiteAnswer answer;
  if (!downloader.OpenUrl(url.c_str())) return answer;
  answer.status = downloader.Status();
  std::string body;
  std::unique_ptr<char[]> piece(new char[kPieceBytes]);
  bool whole = false;
  while (true) {
    bool read = downloader.Read(piece.get(), kPieceBytes);
    body.append(piece.get(), static_cast<size_t>(downloader.Total()));
    if (!read || body.size() > kMaxSitePageBytes) break;
    if (downloader.Total() < kPieceBytes) {
      whole = true;
      break;
    }
  }
  downloader.CloseUrl();
  if (!whole) return answer;
  answer.arrived = true;
  answer.text = DownloadedPageToShiftJis(body);
  return answer;
}

std::string WhyUnusable(const SiteAnswer& answer) {
  if (!answer.arrived) return "no answer";
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
