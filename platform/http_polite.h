// Politeness towards the sites a run reads: a minimum interval between two
// requests to one host. Shared by the two HttpDownloader implementations (not
// for callers outside platform/).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <thread>  // the clocks: <chrono> itself does not build with the Shift_JIS execution charset

// The host of an address, with its port when one is given: the part between
// "scheme://" and the next "/", "?" or "#", lower-cased, without user
// information. The whole text (lower-cased) when it has no "://".
std::string UrlHost(std::string_view url);

class RequestPacer {
 public:
  using Clock = std::chrono::steady_clock;

  // The least time between the end of one request to a host and the start of
  // the next (0: none, the default).
  void SetInterval(int milliseconds) { interval_ = std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 0); }
  int IntervalMilliseconds() const { return static_cast<int>(interval_.count()); }

  // Waits until the host of `url` may be asked again. While it waits it calls
  // `keepWaiting` about every 50 ms and gives up as soon as that returns false
  // (a cancel); the result is then false. True at once when the host is free.
  template <typename KeepWaiting>
  bool WaitTurn(std::string_view url, KeepWaiting keepWaiting) {
    auto last = lastEnd_.find(UrlHost(url));
    if (last == lastEnd_.end()) return true;
    Clock::time_point due = last->second + interval_;
    while (Clock::now() < due) {
      if (!keepWaiting()) return false;
      std::this_thread::sleep_for(std::min<Clock::duration>(due - Clock::now(), std::chrono::milliseconds(50)));
    }
    return keepWaiting();
  }

  // A request to the host of `url` has just ended (answered or failed).
  void RequestEnded(std::string_view url) {
    if (interval_.count() > 0) lastEnd_[UrlHost(url)] = Clock::now();
  }

 private:
  std::chrono::milliseconds interval_{0};
  std::map<std::string, Clock::time_point> lastEnd_;
};
