// What a run makes of the answers of the two finance sites (quote and report
// pages) and of the web portfolio's site: an answer counts only when it is the
// page expected; a site that refuses the client, or that keeps sending no
// usable page, is no longer asked in this run.
#pragma once

#include <cstdint>
#include <string>

#include "work/fetch_page.h"

class RunTrace;

// Unusable answers in a row after which a site is not asked again in the run.
constexpr int kSiteFailuresInARow = 5;

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
std::string WhyUnusable(const FetchedPage& answer);
