// HttpDownloader on the Windows Internet API (WinINet): a direct, synchronous
// connection; every request bypasses the local cache.
//
// WinINet's calls block without an overall time limit, and closing a handle
// from another thread does not reliably end a blocked call. So each blocking
// call of a page runs on a thread of its own while the caller waits in steps of
// 100 ms; when the page's deadline passes or AbortDownloads is called, the
// caller gives up on it. The call then finishes by itself, later, on its own
// copy of what it needs (the page state is shared), and frees it.
#include "platform/http.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>  // the clocks: <chrono> itself does not build with the Shift_JIS execution charset

#include "platform/diagnostics.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> aborted{false};
void (*waitHook)() = nullptr;

// The executable's file name without its extension (a name without "." whole),
// kept in UTF-16 for InternetOpenW and as Shift_JIS for Agent().
std::wstring ExecutableBaseName() {
  wchar_t path[MAX_PATH + 1] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, length);
  name.erase(0, name.find_last_of(L"\\/") + 1);
  size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

std::string ToShiftJis(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
  return result;
}

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
    if (h && !InternetCloseHandle(h) && GetCurrentThreadId() == owner) ReportError("InternetCloseHandle に失敗");
  });
}

// One page: its request and what its last call produced. Shared between the
// downloader and the thread of the call in flight.
struct Page {
  DWORD owner = GetCurrentThreadId();  // the downloader's thread
  SharedHandle session;
  SharedHandle request;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int status = 0;
  int announcedLength = -1;
  std::string chunk;  // the bytes of the last Read
  bool readOk = false;

  ~Page() { CloseHandle(done); }
};

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
  ResetEvent(page->done);
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
    if (aborted || Clock::now() >= deadline) return false;
  }
  return true;
}

}  // namespace

void SetDownloadWaitHook(void (*hook)()) { waitHook = hook; }
void AbortDownloads() { aborted = true; }
void ResetDownloadAbort() { aborted = false; }
bool DownloadsAborted() { return aborted; }

struct HttpDownloader::Impl {
  std::wstring agent;
  SharedHandle session;
  std::shared_ptr<Page> page;  // the open request, or null
  Clock::time_point deadline;
  int delivered = 0;  // body bytes handed out so far
};

HttpDownloader::HttpDownloader() : impl_(std::make_unique<Impl>()) {}

HttpDownloader::~HttpDownloader() { Close(); }

bool HttpDownloader::Open() {
  Close();
  if (agent_.empty()) {
    impl_->agent = ExecutableBaseName();
    agent_ = ToShiftJis(impl_->agent);
  }
  HINTERNET session = InternetOpenW(impl_->agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (session)
    impl_->session = Share(session);
  else
    ReportError("InternetOpen に失敗");
  return true;
}

bool HttpDownloader::OpenUrl(const char* url) {
  CloseUrl();
  if (!impl_->session || aborted) return false;
  impl_->deadline = Clock::now() + std::chrono::seconds(deadlineSeconds_);
  std::wstring wideUrl = FromShiftJis(url);
  for (int attempt = 0; attempt < attempts_ && !aborted && Clock::now() < impl_->deadline; ++attempt) {
    auto page = std::make_shared<Page>();
    page->session = impl_->session;
    auto open = [wideUrl](Page& p) {
      HINTERNET request = InternetOpenUrlW(p.session.get(), wideUrl.c_str(), nullptr, 0,
                                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
      if (!request) return;
      p.request = Share(request, p.owner);
      p.status = QueryNumber(request, HTTP_QUERY_STATUS_CODE);
      p.announcedLength = QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH);
    };
    if (!RunBounded(page, open, impl_->deadline)) break;
    // Some WinINet versions hand out a request for a connection that closed
    // without a status line; no response at all is a failed attempt.
    if (page->request && page->status > 0) {
      impl_->page = page;
      impl_->delivered = 0;
      return true;
    }
  }
  if (!aborted) ReportError("InternetOpenUrl に失敗<%s>", url);
  return false;
}

bool HttpDownloader::Read(char* buffer, int capacity) {
  total_ = 0;
  std::shared_ptr<Page> page = impl_->page;
  auto read = [capacity](Page& p) {
    p.chunk.assign(capacity > 0 ? static_cast<size_t>(capacity) : 0, '\0');
    DWORD count = 0;
    size_t total = 0;
    BOOL ok = InternetReadFile(p.request.get(), p.chunk.data(), static_cast<DWORD>(p.chunk.size()), &count);
    while (ok && count != 0) {
      total += count;
      ok = InternetReadFile(p.request.get(), p.chunk.data() + total, static_cast<DWORD>(p.chunk.size() - total),
                            &count);
    }
    p.chunk.resize(total);
    p.readOk = ok != FALSE;
  };
  bool finished = page && RunBounded(page, read, impl_->deadline);
  if (finished) {
    total_ = static_cast<int>(page->chunk.size());
    std::memcpy(buffer, page->chunk.data(), page->chunk.size());
    impl_->delivered += total_;
  } else if (page) {
    impl_->page.reset();  // given up: the read finishes on its own
  }
  // WinINet may end a body quietly when the server closes the connection before
  // the announced length; that is a broken transfer all the same.
  bool cutShort = finished && page->readOk && total_ < capacity && page->announcedLength >= 0 &&
                  impl_->delivered < page->announcedLength;
  if (!finished || !page->readOk || cutShort) {
    if (!aborted) ReportError("InternetReadFile に失敗");
    return false;
  }
  return true;
}

int HttpDownloader::Status() const { return impl_->page ? impl_->page->status : 0; }

void HttpDownloader::CloseUrl() { impl_->page.reset(); }

void HttpDownloader::Close() {
  CloseUrl();
  impl_->session.reset();
}
