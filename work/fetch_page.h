// One page fetched whole: every download of a run (the list pages, the quote
// and report pages, the web portfolio) goes through FetchPage.
#pragma once

#include <cstddef>
#include <string>

class HttpDownloader;

// A page is read whole up to this size; a larger one fails.
constexpr size_t kMaxPageBytes = 8u << 20;

// Why no whole answer arrived.
enum class FetchFailure { kNone, kNoAnswer, kCutShort, kTooLarge };

// What one request gave.
struct FetchedPage {
  FetchFailure failure = FetchFailure::kNone;
  int status = 0;    // the HTTP status of a whole answer (any status)
  std::string text;  // its body as Shift_JIS (the sites send UTF-8), every byte of it

  // Whether a whole response arrived.
  bool Arrived() const { return failure == FetchFailure::kNone; }
  // 200 with a body: the only answer that may be the page expected.
  bool IsPage() const { return Arrived() && status == 200 && !text.empty(); }
  // 403, 429 or 503: the site refuses the client or asks it to slow down.
  bool IsRefusal() const { return Arrived() && (status == 403 || status == 429 || status == 503); }
};

// A document (a PDF) is kept up to this size; a larger one is not.
constexpr size_t kMaxDocumentBytes = 50u << 20;

// The failure's reason as a message gives it: "応答がありません" (no answer),
// "受信が途中で切れました" (cut short), "ページが大きすぎます" (too large); "" for none.
const char* FailureText(FetchFailure failure);

// Fetches `url` whole with the run's downloader. A failure to connect or a
// broken transfer is reported by the downloader; a page over kMaxPageBytes is
// not kept. The request is closed either way.
FetchedPage FetchPage(HttpDownloader& downloader, const std::string& url);
// The same for a file kept as it arrives: the body's bytes unconverted, up to
// `maxBytes` (a larger body fails as kTooLarge and nothing of it is kept).
FetchedPage FetchBytes(HttpDownloader& downloader, const std::string& url, size_t maxBytes);
