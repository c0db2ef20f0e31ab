#include "work/fetch_page.h"

#include <memory>

#include "platform/encoding.h"
#include "platform/http.h"

namespace {

// A page is read in pieces of this size.
constexpr int kPieceBytes = 204800;

// Reads the open response whole into `body`.
FetchFailure ReadBody(HttpDownloader& downloader, std::string& body, size_t maxBytes) {
  std::unique_ptr<char[]> piece(new char[kPieceBytes]);
  while (true) {
    bool read = downloader.Read(piece.get(), kPieceBytes);
    body.append(piece.get(), static_cast<size_t>(downloader.Total()));
    if (!read) return FetchFailure::kCutShort;
    if (body.size() > maxBytes) return FetchFailure::kTooLarge;
    if (downloader.Total() < kPieceBytes) return FetchFailure::kNone;
  }
}

}  // namespace

const char* FailureText(FetchFailure failure) {
  switch (failure) {
    case FetchFailure::kNone: return "";
    case FetchFailure::kNoAnswer: return "応答がありません";
    case FetchFailure::kCutShort: return "受信が途中で切れました";
    case FetchFailure::kTooLarge: return "ページが大きすぎます";
  }
  return "";
}

FetchedPage FetchBytes(HttpDownloader& downloader, const std::string& url, size_t maxBytes) {
  FetchedPage page;
  if (!downloader.OpenUrl(url.c_str())) {
    page.failure = FetchFailure::kNoAnswer;
    return page;
  }
  page.status = downloader.Status();
  page.failure = ReadBody(downloader, page.text, maxBytes);
  downloader.CloseUrl();
  if (!page.Arrived()) page.text.clear();
  return page;
}

FetchedPage FetchPage(HttpDownloader& downloader, const std::string& url) {
  FetchedPage page = FetchBytes(downloader, url, kMaxPageBytes);
  if (page.Arrived()) page.text = DownloadedPageToShiftJis(page.text);
  return page;
}
