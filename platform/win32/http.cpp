// HttpDownloader on the Windows Internet API (WinINet): a direct, synchronous
// connection; every request bypasses the local cache.
#include "platform/http.h"

#include <windows.h>
#include <wininet.h>

#include <string>

#include "platform/diagnostics.h"

namespace {

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

// Closes a handle and forgets it; a failure is reported.
void CloseInternetHandle(HINTERNET& handle) {
  if (!handle) return;
  if (!InternetCloseHandle(handle)) ReportError("InternetCloseHandle に失敗");
  handle = nullptr;
}

int QueryNumber(HINTERNET request, DWORD query) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return -1;
  return static_cast<int>(value);
}

}  // namespace

struct HttpDownloader::Impl {
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;
  std::wstring agent;
  int status = 0;
  int announcedLength = -1;  // Content-Length of the open response, -1 when none
  int delivered = 0;         // body bytes handed out so far
};

HttpDownloader::HttpDownloader() : impl_(std::make_unique<Impl>()) {}

HttpDownloader::~HttpDownloader() { Close(); }

bool HttpDownloader::Open() {
  Close();
  if (agent_.empty()) {
    impl_->agent = ExecutableBaseName();
    agent_ = ToShiftJis(impl_->agent);
  }
  impl_->connection = InternetOpenW(impl_->agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!impl_->connection) ReportError("InternetOpen に失敗");
  return true;
}

bool HttpDownloader::OpenUrl(const char* url) {
  CloseUrl();
  if (!impl_->connection) return false;
  std::wstring wideUrl = FromShiftJis(url);
  int status = 0;
  for (int attempt = 0; attempt < attempts_ && !impl_->request; ++attempt) {
    impl_->request = InternetOpenUrlW(impl_->connection, wideUrl.c_str(), nullptr, 0,
                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    // Some WinINet versions hand out a request for a connection that closed
    // without a status line; no response at all is a failed attempt.
    status = impl_->request ? QueryNumber(impl_->request, HTTP_QUERY_STATUS_CODE) : 0;
    if (impl_->request && status <= 0) CloseInternetHandle(impl_->request);
  }
  if (!impl_->request) {
    ReportError("InternetOpenUrl に失敗<%s>", url);
    return false;
  }
  impl_->status = status;
  impl_->announcedLength = QueryNumber(impl_->request, HTTP_QUERY_CONTENT_LENGTH);
  impl_->delivered = 0;
  return true;
}

bool HttpDownloader::Read(char* buffer, int capacity) {
  total_ = 0;
  Impl& impl = *impl_;
  DWORD count = 0;
  BOOL ok = InternetReadFile(impl.request, buffer, capacity > 0 ? static_cast<DWORD>(capacity) : 0, &count);
  while (ok && count != 0) {
    total_ += static_cast<int>(count);
    ok = InternetReadFile(impl.request, buffer + total_, static_cast<DWORD>(capacity - total_), &count);
  }
  impl.delivered += total_;
  // WinINet may end a body quietly when the server closes the connection before
  // the announced length; that is a broken transfer all the same.
  bool cutShort = ok && total_ < capacity && impl.announcedLength >= 0 && impl.delivered < impl.announcedLength;
  if (!ok || cutShort) {
    ReportError("InternetReadFile に失敗");
    return false;
  }
  return true;
}

int HttpDownloader::Status() const { return impl_->request ? impl_->status : 0; }

void HttpDownloader::CloseUrl() {
  CloseInternetHandle(impl_->request);
  impl_->status = 0;
}

void HttpDownloader::Close() {
  CloseUrl();
  CloseInternetHandle(impl_->connection);
}
