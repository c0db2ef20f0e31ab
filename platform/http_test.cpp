// HttpDownloader against the loopback fixture server (tools/with-fixture).
#include "platform/http.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>  // also the clocks: <chrono> itself does not build with the Shift_JIS execution charset
#include <vector>

#include "platform/diagnostics.h"
#include "platform/http_polite.h"
#include "platform/testing/test_support.h"

namespace {

struct Fetched {
  bool opened = false;
  bool read = false;
  int total = 0;
  int status = 0;
  std::string body;
};

// One fetch as the pipeline does it: OpenUrl, one Read, CloseUrl. The buffer has
// guard bytes after the capacity, which must stay untouched.
Fetched Fetch(HttpDownloader& http, const std::string& url, int capacity = 204800) {
  Fetched result;
  std::vector<char> buffer(static_cast<size_t>(capacity) + 16, '#');
  result.opened = http.OpenUrl(url.c_str());
  result.status = http.Status();
  result.read = http.Read(buffer.data(), capacity);
  result.total = http.Total();
  result.body.assign(buffer.data(), static_cast<size_t>(std::max(result.total, 0)));
  http.CloseUrl();
  EXPECT_EQ(std::string(buffer.begin() + capacity, buffer.end()), std::string(16, '#')) << url;
  return result;
}

// A small text answer of the fixture server ("/count" and the like).
long FixtureNumber(const std::string& path) {
  HttpDownloader http;
  http.Open();
  return std::stol("0" + Fetch(http, FixtureUrl() + path, 64).body);
}

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

size_t CountOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FixtureUrl().empty()) GTEST_SKIP() << "no fixture server (run under tools/with-fixture)";
    http.Open();
  }
  std::string Url(const std::string& path) const { return FixtureUrl() + path; }

  HttpDownloader http;
};

TEST_F(HttpTest, BodyIsCutAtTheCapacityWithoutError) {
  struct Case {
    const char* path;
    int capacity;
    int total;
  } cases[] = {
      {"/size/1000", 1000, 1000}, {"/size/1001", 1000, 1000},       {"/size/999", 1000, 999},
      {"/empty", 1000, 0},        {"/size/300000", 204800, 204800}, {"/size/20480", 20480, 20480},
  };
  for (const Case& c : cases) {
    MessageRecorder recorder;
    Fetched page = Fetch(http, Url(c.path), c.capacity);
    EXPECT_TRUE(page.opened) << c.path;
    EXPECT_TRUE(page.read) << c.path;
    EXPECT_EQ(page.total, c.total) << c.path;
    EXPECT_TRUE(recorder.messages.empty()) << c.path;
  }
}

TEST_F(HttpTest, SuccessiveReadsContinueTheResponse) {
  ASSERT_TRUE(http.OpenUrl(Url("/size/1000").c_str()));
  std::string whole;
  char buffer[400];
  for (int expected : {400, 400, 200, 0}) {
    EXPECT_TRUE(http.Read(buffer, 400));
    EXPECT_EQ(http.Total(), expected);
    whole.append(buffer, static_cast<size_t>(http.Total()));
  }
  EXPECT_EQ(whole, Fetch(http, Url("/size/1000")).body);
}

TEST_F(HttpTest, ErrorStatusBodiesAreReturnedAsPages) {
  MessageRecorder recorder;
  struct Case {
    const char* path;
    int status;
    const char* text;
  } cases[] = {
      {"/fail/403/index.php", 403, "403 Forbidden"},
      {"/fail/500/x", 500, "500 Internal Server Error"},
      {"/no/such/file.html", 404, "404 Not Found"},
      {"/size/10", 200, "0123456789"},
      {"/redirect/size/10", 200, "0123456789"},
  };
  for (const Case& c : cases) {
    Fetched page = Fetch(http, Url(c.path));
    EXPECT_TRUE(page.opened && page.read) << c.path;
    EXPECT_EQ(page.status, c.status) << c.path;
    EXPECT_NE(page.body.find(c.text), std::string::npos) << c.path;
  }
  EXPECT_TRUE(recorder.messages.empty());
  EXPECT_EQ(http.Status(), 0);  // no request open
}

TEST_F(HttpTest, UnreachableServerFailsOnceWithTheUrl) {
  // Port 1 on loopback has no listener: every connection is refused.
  MessageRecorder recorder;
  const std::string url = "http://127.0.0.1:1/inbs/I_list_001_20240329.html";
  Fetched page = Fetch(http, url);
  EXPECT_FALSE(page.opened);
  EXPECT_FALSE(page.read);
  EXPECT_EQ(page.total, 0);
  ASSERT_EQ(recorder.messages.size(), 2u);
  EXPECT_EQ(recorder.messages[0].severity, kSeverityError);
  EXPECT_EQ(recorder.messages[0].text, "InternetOpenUrl に失敗<" + url + ">");
  EXPECT_EQ(recorder.messages[1].text, "InternetReadFile に失敗");
}

TEST_F(HttpTest, EachAttemptReachesTheServer) {
  // The fixture's drop listener accepts connections and closes them unanswered.
  const std::string url = "http://127.0.0.1:" + std::to_string(FixtureNumber("/drop-port")) + "/";
  for (uint8_t attempts : {3, 1}) {
    long before = FixtureNumber("/drop-count");
    MessageRecorder recorder;
    http.SetAttempts(attempts);
    EXPECT_FALSE(http.OpenUrl(url.c_str()));
    EXPECT_EQ(FixtureNumber("/drop-count") - before, attempts);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"InternetOpenUrl に失敗<" + url + ">"});
  }
}

TEST_F(HttpTest, ConnectionCutMidBodyIsAReadFailure) {
  MessageRecorder recorder;
  Fetched page = Fetch(http, Url("/fail/cut/500/size/5000"));
  EXPECT_TRUE(page.opened);
  EXPECT_FALSE(page.read);
  EXPECT_EQ(page.total, 500);
  EXPECT_EQ(page.body, Fetch(http, Url("/size/500")).body);
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"InternetReadFile に失敗"});

  // A buffer that fills before the break ends the read normally.
  MessageRecorder quiet;
  Fetched head = Fetch(http, Url("/fail/cut/500/size/5000"), 300);
  EXPECT_TRUE(head.read);
  EXPECT_EQ(head.total, 300);
  EXPECT_TRUE(quiet.messages.empty());
}

TEST_F(HttpTest, EveryFetchReachesTheServer) {
  long before = FixtureNumber("/count");
  Fetch(http, Url("/size/100"));
  Fetch(http, Url("/size/100"));
  EXPECT_EQ(FixtureNumber("/count") - before, 2);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(HttpTest, APageThatNeverFinishesFailsAtItsDeadline) {
  http.SetDeadline(2);
  {
    // One byte every 200 ms: no stall timeout ever fires, the whole page would
    // take minutes.
    MessageRecorder recorder;
    auto start = std::chrono::steady_clock::now();
    Fetched page = Fetch(http, Url("/fail/trickle/200/size/1000"));
    EXPECT_LT(SecondsSince(start), 15.0);
    EXPECT_FALSE(page.opened && page.read);
    EXPECT_FALSE(recorder.messages.empty());
  }
  {
    // No answer at all for longer than the deadline.
    MessageRecorder recorder;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(http.OpenUrl(Url("/fail/slow/30000/size/10").c_str()));
    EXPECT_LT(SecondsSince(start), 15.0);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"InternetOpenUrl に失敗<" + Url("/fail/slow/30000/size/10") + ">"});
  }
  // The next page is fetched as usual.
  MessageRecorder recorder;
  EXPECT_EQ(Fetch(http, Url("/size/10")).body, "0123456789");
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(HttpTest, AbortEndsTheDownloadInProgressAtOnceAndQuietly) {
  MessageRecorder recorder;
  std::thread canceller([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    AbortDownloads();
  });
  auto start = std::chrono::steady_clock::now();
  bool opened = http.OpenUrl(Url("/fail/slow/30000/size/10").c_str());
  double seconds = SecondsSince(start);
  canceller.join();
  EXPECT_FALSE(opened);
  EXPECT_LT(seconds, 5.0);
  // Later downloads fail at once until the abort is reset; none is reported.
  EXPECT_FALSE(Fetch(http, Url("/size/10")).opened);
  EXPECT_TRUE(recorder.messages.empty());
  ResetDownloadAbort();
  EXPECT_EQ(Fetch(http, Url("/size/10")).body, "0123456789");
}

TEST(HttpClosedTest, OpenUrlWithoutConnectionFailsSilently) {
  HttpDownloader http;
  MessageRecorder recorder;
  EXPECT_FALSE(http.OpenUrl("http://127.0.0.1:1/"));
  EXPECT_TRUE(recorder.messages.empty());
  char buffer[16];
  EXPECT_FALSE(http.Read(buffer, sizeof buffer));
  EXPECT_EQ(http.Total(), 0);
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"InternetReadFile に失敗"});
  http.Close();
  EXPECT_TRUE(http.Agent().empty());
  EXPECT_EQ(http.MinInterval(), 0);
  EXPECT_EQ(http.Attempts(), 3);
}

TEST_F(HttpTest, AgentNamesTheProgramAndItsVersion) {
  EXPECT_EQ(http.Agent(), kUserAgent);
  std::string agent = kUserAgent;
  ASSERT_TRUE(agent.starts_with("Velkora/")) << agent;
  EXPECT_NE(agent.find_first_of("0123456789"), std::string::npos) << agent;
  // What the server sees, through redirects too.
  EXPECT_EQ(Fetch(http, Url("/agent")).body, agent);
  EXPECT_EQ(Fetch(http, Url("/redirect/agent")).body, agent);
}

TEST_F(HttpTest, AtMostFiveRedirectsAreFollowed) {
  std::string chain;
  for (int i = 0; i < kMaxRedirects; ++i) chain += "/redirect";
  MessageRecorder quiet;
  EXPECT_EQ(Fetch(http, Url(chain + "/size/10")).body, "0123456789");
  EXPECT_TRUE(quiet.messages.empty());
  MessageRecorder recorder;
  http.SetAttempts(1);
  std::string url = Url("/redirect" + chain + "/size/10");
  EXPECT_FALSE(http.OpenUrl(url.c_str()));
  EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"InternetOpenUrl に失敗<" + url + ">"});
}

int waitHookCalls = 0;
void CountWaitHook() { ++waitHookCalls; }

TEST_F(HttpTest, RequestsToOneHostKeepTheMinimumInterval) {
  EXPECT_EQ(http.MinInterval(), 0);
  http.SetMinInterval(400);
  waitHookCalls = 0;
  SetDownloadWaitHook(&CountWaitHook);
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Fetch(http, Url("/size/10")).body, "0123456789");
  double seconds = SecondsSince(start);
  SetDownloadWaitHook(nullptr);
  // Two waits of at least the interval; the window is served while it waits.
  EXPECT_GE(seconds, 0.8);
  EXPECT_GT(waitHookCalls, 4);
  // The interval outlives a reopened connection.
  http.Open();
  EXPECT_EQ(http.MinInterval(), 400);
}

TEST_F(HttpTest, CancelEndsTheWaitForTheHostAtOnce) {
  http.SetMinInterval(600000);  // ten minutes between two requests
  EXPECT_EQ(Fetch(http, Url("/size/10")).body, "0123456789");
  MessageRecorder recorder;
  std::thread canceller([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    AbortDownloads();
  });
  auto start = std::chrono::steady_clock::now();
  bool opened = http.OpenUrl(Url("/size/10").c_str());
  double seconds = SecondsSince(start);
  canceller.join();
  ResetDownloadAbort();
  EXPECT_FALSE(opened);
  EXPECT_LT(seconds, 5.0);
  EXPECT_TRUE(recorder.messages.empty());
}

TEST(RequestPacer, HostsAreKeptApart) {
  struct Case {
    const char* url;
    const char* host;
  } cases[] = {
      {"https://finance.yahoo.co.jp/quote/7203.T", "finance.yahoo.co.jp"},
      {"http://127.0.0.1:8080/inbs/I_list_001_20240329.html", "127.0.0.1:8080"},
      {"HTTP://User:pw@Example.COM?x=1", "example.com"},
      {"https://kabuyoho.ifis.co.jp#top", "kabuyoho.ifis.co.jp"},
      {"no scheme", "no scheme"},
  };
  for (const Case& c : cases) EXPECT_EQ(UrlHost(c.url), c.host) << c.url;

  RequestPacer pacer;
  pacer.SetInterval(600000);
  pacer.RequestEnded("https://finance.yahoo.co.jp/quote/7203.T");
  int calls = 0;
  auto count = [&] { return ++calls < 3; };
  // Another host is free at once; the same host waits until the cancel.
  EXPECT_TRUE(pacer.WaitTurn("https://kabuyoho.ifis.co.jp/index.php", count));
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(pacer.WaitTurn("https://FINANCE.yahoo.co.jp/quote/6758.T", count));
  EXPECT_EQ(calls, 3);
  // Without an interval nothing is remembered.
  RequestPacer free;
  free.RequestEnded("http://a/");
  EXPECT_TRUE(free.WaitTurn("http://a/", [] { return false; }));
}

TEST_F(HttpTest, FixtureListPagesHaveTheServiceShape) {
  const std::string base = Url("/gen/7/242/inbs/");
  Fetched first = Fetch(http, base + "I_list_001_20240329.html");
  EXPECT_EQ(first.status, 200);
  EXPECT_NE(first.body.find(Utf8(u8"1～100件&nbsp;/&nbsp;全242件")), std::string::npos);
  EXPECT_EQ(CountOf(first.body, "pagerLink('I_list_003_20240329.html')"), 2u);  // above and below the table
  EXPECT_EQ(CountOf(first.body, "I_list_004_"), 0u);
  EXPECT_EQ(CountOf(first.body, "<table id=\"main-list-table\""), 1u);
  EXPECT_EQ(CountOf(first.body, "<td class=\"kaijiSum\">"), 2u);
  EXPECT_NE(first.body.find(Utf8(u8"<div id=\"kaiji-text-1\">2024年03月29日に開示された情報</div>")), std::string::npos);
  EXPECT_EQ(CountOf(first.body, "kjTime"), 100u);

  Fetched last = Fetch(http, base + "I_list_003_20240329.html");
  EXPECT_EQ(CountOf(last.body, "kjTime"), 42u);
  // The rows the extraction must cope with are somewhere in the day.
  std::string day = first.body + Fetch(http, base + "I_list_002_20240329.html").body + last.body;
  for (const char* piece : {">130A0<", ">GR<", ">09:05<", "<BR><s>", "&amp;", "XBRL</a>"})
    EXPECT_NE(day.find(piece), std::string::npos) << piece;
  EXPECT_EQ(Fetch(http, base + "I_list_004_20240329.html").status, 404);

  Fetched weekend = Fetch(http, base + "I_list_001_20240330.html");
  EXPECT_EQ(weekend.status, 200);
  EXPECT_NE(weekend.body.find(Utf8(u8"<div id=\"kaiji-text-1\">2024年03月30日に開示された情報はありません。</div>")),
            std::string::npos);
  EXPECT_EQ(weekend.body.find("<table"), std::string::npos);

  // Without generation, a day nobody wrote a file for has no list.
  EXPECT_EQ(Fetch(http, Url("/inbs/I_list_001_20240329.html")).status, 404);
}

TEST_F(HttpTest, FilesOfTheRootAreServedAsTheyAre) {
  WriteTestFile(FixtureRoot() + "/port.html", "7203 6758\n");
  WriteTestFile(FixtureRoot() + "/inbs/I_list_001_20240101.html", "<html>list</html>");
  EXPECT_EQ(Fetch(http, Url("/port.html")).body, "7203 6758\n");
  EXPECT_EQ(Fetch(http, Url("/inbs/I_list_001_20240101.html")).body, "<html>list</html>");
}

}  // namespace
