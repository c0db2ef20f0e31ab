// HttpDownloader on the Windows Internet API (WinINet): a direct, synchronous
// connection; every request bypasses the local cache; redirects are followed
// here, up to kMaxRedirects.
//
// WinINet's calls block without an overall time limit, and closing a handle
// from another thread does not reliably end a blocked call. So each page is
// fetched whole, request and body, on a thread of its own while the caller
// waits in steps of 100 ms; when the page's deadline passes or AbortDownloads
// is called, the caller gives up on it. The fetch then finishes by itself,
// later, on the page state it shares, and frees it. Read hands out the body
// from memory, so the caller sees the same split as before: no response at all
// is an OpenUrl failure, a body that broke off is a Read failure after the
// bytes that did arrive. (One thread does the whole page: WinINet under Wine
// may wait for ever when a request opened on one thread is read on another.)
#include "platform/http.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>  // the clocks: <chrono> itself does not build with the Shift_JIS execution charset

#include "platform/diagnostics.h"
#include "platform/http_polite.h"
#include "platform/os_error.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> aborted{false};
void (*waitHook)() = nullptr;

std::wstring FromShiftJis(const char* text) {
  int size = MultiByteToWideChar(932, 0, text, -1, nullptr, 0);
  if (size <= 0) return {};
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(932, 0, text, -1, result.data(), size);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}

int QueryNumber(HINTERNET request, DWORD query) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return -1;
  return static_cast<int>(value);
}

// An Internet handle shared by the downloader and the calls working for it;
// closed when the last of them lets go. A failure is reported only on the
// thread that made the handle: a call given up on may close it on its own.
using SharedHandle = std::shared_ptr<void>;

SharedHandle Share(HINTERNET handle, DWORD owner = GetCurrentThreadId()) {
  return SharedHandle(handle, [owner](void* h) {
    if (h && !InternetCloseHandle(h) && GetCurrentThreadId() == owner) ReportOsFailure("InternetCloseHandle に失敗");
  });
}

// Bodies beyond this are cut: no caller reads more than a few MiB.
constexpr size_t kBodyLimit = 16u << 20;

// One page: its request and its body. Shared between the downloader and the
// thread that fetches it.
struct Page {
  DWORD owner = GetCurrentThreadId();  // the downloader's thread
  SharedHandle session;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool responded = false;  // a status line arrived
  int status = 0;
  std::string body;
  bool broken = false;  // the body broke off before its end
  DWORD error = 0;      // the system's code of the call that failed, kept with the message
  size_t readPos = 0;   // where the next Read continues
  std::atomic<bool> abandoned{false};  // the caller gave up: stop as soon as possible

  ~Page() { CloseHandle(done); }
};

// Fetches the page whole: the request (redirects followed), its status, and
// the body up to the limit. WinINet may end a body quietly when the server closes the connection
// before the announced length; that is a broken transfer all the same.
bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The address a redirect answer points at, resolved against the address it
// answered; empty when it names none.
std::wstring RedirectTarget(HINTERNET request, const std::wstring& from) {
  std::wstring location(4096, L'\0');
  DWORD size = static_cast<DWORD>(location.size() * sizeof(wchar_t));
  DWORD index = 0;
  if (!HttpQueryInfoW(request, HTTP_QUERY_LOCATION, location.data(), &size, &index)) return {};
  location.resize(size / sizeof(wchar_t));
  std::wstring target(8192, L'\0');
  DWORD length = static_cast<DWORD>(target.size());
  if (!InternetCombineUrlW(from.c_str(), location.c_str(), target.data(), &length, ICU_NO_ENCODE)) return {};
  target.resize(length);
  return target;
}

// Opens the request of `url`, following up to kMaxRedirects redirects by hand
// (WinINet's own following has no limit to set). Null when there was no
// response at all or one redirect too many; the status is in `page`.
SharedHandle OpenFollowing(Page& page, std::wstring url) {
  // A connection of its own for every page: a kept-alive connection taken up
  // again could leave a response waiting for ever under Wine's WinINet.
  static const wchar_t kHeaders[] = L"Connection: close\r\n";
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
  for (int hop = 0; !page.abandoned; ++hop) {
    HINTERNET handle = InternetOpenUrlW(page.session.get(), url.c_str(), kHeaders, static_cast<DWORD>(-1), flags, 0);
    if (!handle) {
      page.error = GetLastError();
      return nullptr;
    }
    SharedHandle request = Share(handle, page.owner);
    // Some WinINet versions hand out a request for a connection that closed
    // without a status line; no response at all is a failed attempt.
    page.status = QueryNumber(handle, HTTP_QUERY_STATUS_CODE);
    if (page.status <= 0) return nullptr;
    if (!IsRedirect(page.status)) return request;
    std::wstring next = RedirectTarget(handle, url);
    if (next.empty()) return request;  // a redirect that names no target is the answer
    if (hop >= kMaxRedirects) return nullptr;
    url = std::move(next);
  }
  return nullptr;
}

void Fetch(Page& page, const std::wstring& url) {
  SharedHandle request = OpenFollowing(page, url);
  if (!request) return;
  HINTERNET handle = static_cast<HINTERNET>(request.get());
  page.responded = true;
  int announced = QueryNumber(handle, HTTP_QUERY_CONTENT_LENGTH);
  // Only what has arrived is read each time, so a fetch given up on (a server
  // that trickles) notices it between two pieces and ends.
  char buffer[65536];
  BOOL ok = TRUE;
  while (page.body.size() < kBodyLimit && !page.abandoned) {
    DWORD available = 0, count = 0;
    ok = InternetQueryDataAvailable(handle, &available, 0, 0);
    if (!ok || available == 0) break;
    ok = InternetReadFile(handle, buffer, std::min<DWORD>(available, sizeof buffer), &count);
    if (!ok || count == 0) break;
    page.body.append(buffer, std::min<size_t>(count, kBodyLimit - page.body.size()));
  }
  if (!ok) page.error = GetLastError();
  page.broken = !ok || (announced >= 0 && page.body.size() < static_cast<size_t>(announced) &&
                        page.body.size() < kBodyLimit);
}

// One blocking call and its page, owned by the thread that makes the call.
struct BoundedCall {
  std::shared_ptr<Page> page;
  std::function<void(Page&)> call;
};

DWORD WINAPI RunBoundedCall(void* argument) {
  std::unique_ptr<BoundedCall> bounded(static_cast<BoundedCall*>(argument));
  bounded->call(*bounded->page);
  SetEvent(bounded->page->done);
  return 0;
}

// Runs `call` on its own thread and waits for it until `deadline` or an abort.
// False when the wait was given up (or no thread could be made): the call
// finishes later on its own.
bool RunBounded(const std::shared_ptr<Page>& page, std::function<void(Page&)> call, Clock::time_point deadline) {
  // A system thread rather than a detached std::thread: under Wine the thread
  // library now and then lost a detached thread made while the previous one was
  // ending, so the call never ran and the page waited out its whole deadline.
  auto bounded = std::make_unique<BoundedCall>(BoundedCall{page, std::move(call)});
  HANDLE thread = CreateThread(nullptr, 0, RunBoundedCall, bounded.get(), 0, nullptr);
  if (!thread) return false;
  bounded.release();
  CloseHandle(thread);
  while (WaitForSingleObject(page->done, 100) == WAIT_TIMEOUT) {
    if (waitHook) waitHook();
    if (aborted || Clock::now() >= deadline) {
      page->abandoned = true;
      return false;
    }
  }
  return true;
}

}  // namespace

void SetDownloadWaitHook(void (*hook)()) { waitHook = hook; }
void AbortDownloads() { aborted = true; }
void ResetDownloadAbort() { aborted = false; }
bool DownloadsAborted() { return aborted; }

struct HttpDownloader::Impl {
  SharedHandle session;
  RequestPacer pacer;
  std::shared_ptr<Page> page;  // the open request, or null
};

HttpDownloader::HttpDownloader() : impl_(std::make_unique<Impl>()) {}

HttpDownloader::~HttpDownloader() { Close(); }

bool HttpDownloader::Open() {
  Close();
  agent_ = kUserAgent;
  HINTERNET session = InternetOpenW(FromShiftJis(kUserAgent).c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (session)
    impl_->session = Share(session);
  else
    ReportOsFailure("InternetOpen に失敗");
  return true;
}

bool HttpDownloader::OpenUrl(const char* url) {
  CloseUrl();
  if (!impl_->session || aborted) return false;
  auto keepWaiting = [] {
    if (waitHook) waitHook();
    return !aborted;
  };
  // The page's deadline starts once the host's turn has come.
  if (!impl_->pacer.WaitTurn(url, keepWaiting)) return false;
  Clock::time_point deadline = Clock::now() + std::chrono::seconds(deadlineSeconds_);
  std::wstring wideUrl = FromShiftJis(url);
  DWORD error = 0;
  for (int attempt = 0; attempt < attempts_ && !aborted && Clock::now() < deadline; ++attempt) {
    if (attempt > 0 && !impl_->pacer.WaitTurn(url, keepWaiting)) break;
    auto page = std::make_shared<Page>();
    page->session = impl_->session;
    bool finished = RunBounded(page, [wideUrl](Page& p) { Fetch(p, wideUrl); }, deadline);
    impl_->pacer.RequestEnded(url);
    if (!finished) {
      error = ERROR_INTERNET_TIMEOUT;
      break;
    }
    error = page->error;
    if (page->responded) {
      impl_->page = page;
      return true;
    }
  }
  if (!aborted) ReportOsError(OsFailureWithCode(static_cast<int>(error), "InternetOpenUrl に失敗<%s>", url));
  return false;
}

bool HttpDownloader::Read(char* buffer, int capacity) {
  total_ = 0;
  Page* page = impl_->page.get();
  if (!page) {
    if (!aborted) ReportOsError(OsFailureWithCode(0, "InternetReadFile に失敗"));
    return false;
  }
  size_t wanted = capacity > 0 ? static_cast<size_t>(capacity) : 0;
  size_t count = std::min(wanted, page->body.size() - page->readPos);
  std::memcpy(buffer, page->body.data() + page->readPos, count);
  page->readPos += count;
  total_ = static_cast<int>(count);
  // A full buffer ends the read before the break is noticed.
  if (page->broken && page->readPos == page->body.size() && count < wanted) {
    if (!aborted) ReportOsError(OsFailureWithCode(static_cast<int>(page->error), "InternetReadFile に失敗"));
    return false;
  }
  return true;
}

void HttpDownloader::SetMinInterval(int milliseconds) { impl_->pacer.SetInterval(milliseconds); }
int HttpDownloader::MinInterval() const { return impl_->pacer.IntervalMilliseconds(); }

int HttpDownloader::Status() const { return impl_->page ? impl_->page->status : 0; }

void HttpDownloader::CloseUrl() { impl_->page.reset(); }

void HttpDownloader::Close() {
  CloseUrl();
  impl_->session.reset();
}
