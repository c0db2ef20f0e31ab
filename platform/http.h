// Downloads of web pages over HTTP and HTTPS, one page at a time.
//
// One downloader serves a whole run: Open once, then any number of
// (OpenUrl, Read, Total, CloseUrl), then Close. Every failure is reported through
// ReportError with the names of the Internet calls ("InternetOpen に失敗",
// "InternetOpenUrl に失敗<%s>", "InternetReadFile に失敗",
// "InternetCloseHandle に失敗") and the operation returns false; nothing throws.
// HTTP error statuses are not failures: their bodies are returned like any page.
//
// Towards the sites it reads the downloader is polite: it names the program
// and its version as the user agent, follows at most kMaxRedirects redirects,
// and keeps the interval set by SetMinInterval between two requests to one
// host.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The longest one page may take from its request to its last byte; a page still
// arriving after it fails (reported as the open or the read failing).
constexpr int kPageDeadlineSeconds = 120;
// Redirects followed for one request; one more is a failed attempt.
constexpr int kMaxRedirects = 5;
// The user agent of every request: the program and its version.
extern const char kUserAgent[];

// Makes the download in progress (any downloader, any thread) fail within about
// a second, and every later one fail at once without a message, until
// ResetDownloadAbort. Safe to call from a signal handler and from another
// thread (a console control handler, a window's cancel).
void AbortDownloads();
void ResetDownloadAbort();
bool DownloadsAborted();
// A function called about every 100 ms while a download waits on Windows (from
// curl's progress callback, about once a second, on Linux), and about every
// 50 ms while a request waits for its turn at a host (SetMinInterval), so that
// a window can look at its cancel button; it may call AbortDownloads. Null by
// default.
void SetDownloadWaitHook(void (*hook)());

class HttpDownloader {
 public:
  // Closed, with no agent yet, and 3 attempts per OpenUrl.
  HttpDownloader();
  // Closes whatever is still open.
  ~HttpDownloader();
  HttpDownloader(const HttpDownloader&) = delete;
  HttpDownloader& operator=(const HttpDownloader&) = delete;

  // Closes anything open, then prepares a direct connection (no proxy) whose
  // user agent is kUserAgent. A failure is reported
  // ("InternetOpen に失敗") and leaves the downloader closed, so that every later
  // OpenUrl fails without a further message; the result is true in any case.
  bool Open();

  // Opens one URL (ASCII) for reading, always asking the server for a fresh copy;
  // a previously open request is closed first. Tries `Attempts()` times in a row
  // (within the deadline) and reports "InternetOpenUrl に失敗<url>" once after
  // the last failure. Returns false silently when the downloader is not open or
  // downloads were aborted (also during the wait for the host's turn). Up to
  // kMaxRedirects redirects are followed. Each attempt first waits until the
  // minimum interval since the last request to the same host has passed.
  bool OpenUrl(const char* url);

  // Reads the open response body into `buffer`, at most `capacity` bytes; the
  // buffer is not terminated. Returns true when the body was read to its end or
  // the buffer was filled (a longer body is cut without an error); false after
  // reporting "InternetReadFile に失敗" when the transfer broke or no request is
  // open. A further Read continues the same response where the last one stopped.
  bool Read(char* buffer, int capacity);

  // Bytes placed into the buffer by the last Read, also after a failed one.
  int Total() const { return total_; }

  // HTTP status code of the open request (after redirects); 0 when unknown.
  int Status() const;

  // Closes the open request, if any; a failure is reported
  // ("InternetCloseHandle に失敗") and the request is forgotten in any case.
  void CloseUrl();
  // CloseUrl, then closes the connection the same way.
  void Close();

  // The page deadline in seconds (kPageDeadlineSeconds unless changed), counted
  // from the start of OpenUrl's first attempt (after the wait for the host's
  // turn) over every attempt and every Read until CloseUrl.
  void SetDeadline(int seconds) { deadlineSeconds_ = seconds > 0 ? seconds : 1; }
  int Deadline() const { return deadlineSeconds_; }
  // How many times OpenUrl tries before it gives up (at least 1).
  uint8_t Attempts() const { return attempts_; }
  void SetAttempts(uint8_t attempts) { attempts_ = attempts == 0 ? 1 : attempts; }

  // The least time, in milliseconds, between the end of one request to a host
  // and the start of the next (0, the default: none). Kept for the
  // downloader's life, across Open and Close.
  void SetMinInterval(int milliseconds);
  int MinInterval() const;

  // The user-agent text: empty until the first Open, then kUserAgent.
  const std::string& Agent() const { return agent_; }

 private:
  struct Impl;  // the platform's handles and request state
  std::unique_ptr<Impl> impl_;
  std::string agent_;
  int total_ = 0;
  uint8_t attempts_ = 3;
  int deadlineSeconds_ = kPageDeadlineSeconds;
};
