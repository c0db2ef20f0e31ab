// HttpDownloader on libcurl, behaving like the Windows Internet API build: a
// direct connection (no proxy from the environment), up to kMaxRedirects
// redirects followed, HTTP error statuses returned as pages, nothing cached.
//
// OpenUrl performs the whole transfer into memory and Read hands it out, so the
// caller sees WinINet's split: no response at all is an OpenUrl failure, a
// transfer that breaks off inside the body (or passes the page deadline) is a
// Read failure after the bytes that did arrive.
#include "platform/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>  // the clocks: <chrono> itself does not build with the Shift_JIS execution charset

#include "platform/diagnostics.h"
#include "platform/http_polite.h"
#include "platform/os_error.h"

namespace {

// Bodies beyond this are cut: no caller reads more than a few MiB.
constexpr size_t kBodyLimit = 16u << 20;

// Set by AbortDownloads, possibly from a signal handler.
std::atomic<bool> aborted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the abort flag is set from a signal handler");

using Clock = std::chrono::steady_clock;

void (*waitHook)() = nullptr;
// WinINet's defaults: 60 s to connect, and a transfer that stalls for 30 s is
// given up, so a dead server cannot hang a run.
constexpr long kConnectTimeoutSeconds = 60;
constexpr long kStallSeconds = 30;

void InitCurlOnce() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

}  // namespace

struct HttpDownloader::Impl {
  CURL* connection = nullptr;
  RequestPacer pacer;
  bool requestOpen = false;
  std::string body;      // the whole response body, up to kBodyLimit
  size_t readPos = 0;    // where the next Read continues
  bool broken = false;   // the transfer failed after the response had begun
  bool headersSeen = false;
  bool limited = false;  // the body reached kBodyLimit and the transfer was stopped
  int status = 0;
  CURLcode result = CURLE_OK;  // of the last attempt: the code kept with a failure

  static size_t OnBody(char* data, size_t size, size_t count, void* user) {
    Impl* impl = static_cast<Impl*>(user);
    size_t length = size * count;
    size_t room = kBodyLimit - impl->body.size();
    if (length > room) {
      // Returning a short count makes curl stop the transfer with a write error,
      // which OpenUrl then takes as success.
      impl->body.append(data, room);
      impl->limited = true;
      return room;
    }
    impl->body.append(data, length);
    return length;
  }

  static size_t OnHeader(char*, size_t size, size_t count, void* user) {
    static_cast<Impl*>(user)->headersSeen = true;
    return size * count;
  }

  // Called by curl at least about once a second, also while nothing arrives.
  static int OnProgress(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    if (waitHook) waitHook();
    return aborted ? 1 : 0;
  }

  void Configure(const std::string& agent) {
    curl_easy_setopt(connection, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(connection, CURLOPT_PROXY, "");  // direct, whatever the environment says
    curl_easy_setopt(connection, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(connection, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
    curl_easy_setopt(connection, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(connection, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(connection, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(connection, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(connection, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
    curl_easy_setopt(connection, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(connection, CURLOPT_HEADERFUNCTION, &Impl::OnHeader);
    curl_easy_setopt(connection, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(connection, CURLOPT_XFERINFOFUNCTION, &Impl::OnProgress);
    curl_easy_setopt(connection, CURLOPT_NOPROGRESS, 0L);
  }

  // One attempt within `budget`: true when a response arrived (whole, cut at the
  // limit, or broken off after it began, by the server or the deadline).
  bool Perform(const char* url, Clock::duration budget) {
    body.clear();
    readPos = 0;
    broken = headersSeen = limited = false;
    status = 0;
    long milliseconds = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(budget).count());
    curl_easy_setopt(connection, CURLOPT_TIMEOUT_MS, std::max(milliseconds, 1L));
    curl_easy_setopt(connection, CURLOPT_URL, url);
    result = curl_easy_perform(connection);
    long code = 0;
    curl_easy_getinfo(connection, CURLINFO_RESPONSE_CODE, &code);
    status = static_cast<int>(code);
    if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && limited)) return true;
    // A redirect whose target could not be fetched is no response.
    if (headersSeen && !(code >= 300 && code < 400)) {
      broken = true;
      return true;
    }
    return false;
  }
};

HttpDownloader::HttpDownloader() : impl_(std::make_unique<Impl>()) {}

HttpDownloader::~HttpDownloader() { Close(); }

bool HttpDownloader::Open() {
  Close();
  agent_ = kUserAgent;
  InitCurlOnce();
  impl_->connection = curl_easy_init();
  if (!impl_->connection) {
    ReportOsError(OsFailureWithCode(CURLE_FAILED_INIT, "InternetOpen に失敗"));
    return true;
  }
  impl_->Configure(agent_);
  return true;
}

void SetDownloadWaitHook(void (*hook)()) { waitHook = hook; }
void AbortDownloads() { aborted = true; }
void ResetDownloadAbort() { aborted = false; }
bool DownloadsAborted() { return aborted; }

bool HttpDownloader::OpenUrl(const char* url) {
  CloseUrl();
  if (!impl_->connection || aborted) return false;
  auto keepWaiting = [] {
    if (waitHook) waitHook();
    return !aborted;
  };
  // The page's deadline starts once the host's turn has come.
  if (!impl_->pacer.WaitTurn(url, keepWaiting)) return false;
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(deadlineSeconds_);
  for (int attempt = 0; attempt < attempts_ && !aborted && Clock::now() < deadline; ++attempt) {
    if (attempt > 0 && !impl_->pacer.WaitTurn(url, keepWaiting)) break;
    bool answered = impl_->Perform(url, deadline - Clock::now());
    impl_->pacer.RequestEnded(url);
    if (answered) {
      impl_->requestOpen = true;
      return true;
    }
  }
  impl_->body.clear();
  if (!aborted) ReportOsError(OsFailureWithCode(impl_->result, "InternetOpenUrl に失敗<%s>", url));
  return false;
}

bool HttpDownloader::Read(char* buffer, int capacity) {
  total_ = 0;
  Impl& request = *impl_;
  if (!request.requestOpen) {
    if (!aborted) ReportOsError(OsFailureWithCode(0, "InternetReadFile に失敗"));
    return false;
  }
  size_t wanted = capacity > 0 ? static_cast<size_t>(capacity) : 0;
  size_t count = std::min(wanted, request.body.size() - request.readPos);
  std::memcpy(buffer, request.body.data() + request.readPos, count);
  request.readPos += count;
  total_ = static_cast<int>(count);
  // A full buffer ends the read before the break is noticed, as with WinINet.
  if (request.broken && request.readPos == request.body.size() && count < wanted) {
    if (!aborted) ReportOsError(OsFailureWithCode(request.result, "InternetReadFile に失敗"));
    return false;
  }
  return true;
}

void HttpDownloader::SetMinInterval(int milliseconds) { impl_->pacer.SetInterval(milliseconds); }
int HttpDownloader::MinInterval() const { return impl_->pacer.IntervalMilliseconds(); }

int HttpDownloader::Status() const { return impl_->requestOpen ? impl_->status : 0; }

void HttpDownloader::CloseUrl() {
  Impl& request = *impl_;
  request.requestOpen = false;
  request.broken = false;
  request.readPos = 0;
  request.status = 0;
  std::string().swap(request.body);
}

void HttpDownloader::Close() {
  CloseUrl();
  if (impl_->connection) {
    curl_easy_cleanup(impl_->connection);
    impl_->connection = nullptr;
  }
}
