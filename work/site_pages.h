// The pages of the two finance sites (quote and report pages), fetched whole,
// and what a run makes of each site's answers: an answer counts only when it
// is the page expected; a site that refuses the client, or that keeps sending
// no usable page, is no longer asked in this run.
#pragma once

#include <cstdint>
#include <string>

class HttpDownloader;
class RunTrace;

// A page read whole: up to this size; a larger one counts as no answer.
constexpr size_t kMaxSitePageBytes = 8u << 20;
// Unusable answers in a row after which a site is not asked again in the run.
constexpr int kSiteFailuresInARow = 5;

// One answer of a site.
struct SiteAnswer {
  bool arrived = false;  // a whole response arrived (any status)
  int status = 0;        // its HTTP status
  std::string text;      // its body as Shift_JIS (the sites send UTF-8)

  // 200 with a body: the only answer that may be the page expected.
  bool IsPage() const { return arrived && status == 200 && !text.empty(); }
  // 403, 429 or 503: the site refuses the client or asks it to slow down.
  bool IsRefusal() const { return arrived && (status == 403 || status == 429 || status == 503); }
};

// Fetches one page whole. A failure to connect or a broken transfer is
// reported by the downloader; a page over kMaxSitePageBytes is not kept.
SiteAnswer FetchSitePage(HttpDownloader& downloader, const std::string& url);

// One site during one run: whether it is still asked, and how many of its
// answers were of no use in a row.
class SiteGate {
 public:
  // `what` names the site's pages in the messages ("会社名", "決算スケジュール").
  explicit SiteGate(const char* what) : what_(what) {}

  bool Asking() const { return asking_; }
  // The answer was the page expected.
  void Counted() { failuresInARow_ = 0; }
  // The answer was of no use (`why` for the debug log). After
  // kSiteFailuresInARow of them in a row the site is not asked again: one
  // warning says so.
  void Unusable(const std::string& url, const std::string& why, RunTrace& trace);
  // The site refused (403, 429, 503, or its own refusal page): not asked again
  // in this run; one warning says so.
  void Refused(const std::string& url, int status, RunTrace& trace);

 private:
  void Stop(const std::string& message, RunTrace& trace);

  const char* what_;
  bool asking_ = true;
  int failuresInARow_ = 0;
};

// Why an answer was of no use, for the debug log.
std::string WhyUnusable(const SiteAnswer& answer);
