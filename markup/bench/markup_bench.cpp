// Throughput of the markup parser and writer on a summary-shaped page of about
// 20 MB, libxml2's xmlReadMemory on the same bytes as the reference, and the
// memory the parsed tree takes per input byte. The last output line is
//   parse_vs_libxml2=<ratio> tree_bytes_per_input_byte=<ratio>
// (a ratio above 1 means faster than libxml2).
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <time.h>

#include "markup/block_pool.h"
#include "markup/parser.h"
#include "markup/writer.h"
#include "platform/diagnostics.h"

// --- allocation accounting: live heap bytes, counted as glibc chunks ---

namespace {

// Plain counters: the benchmark runs on one thread, and atomics here would slow
// down the measured parser but not libxml2 (which calls malloc directly).
int64_t liveBytes = 0;
int64_t peakBytes = 0;

void CountAllocation(void* p) {
  liveBytes += static_cast<int64_t>(malloc_usable_size(p) + sizeof(size_t));
  if (liveBytes > peakBytes) peakBytes = liveBytes;
}

void* Allocate(size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  CountAllocation(p);
  return p;
}

void Release(void* p) {
  if (p == nullptr) return;
  liveBytes -= static_cast<int64_t>(malloc_usable_size(p) + sizeof(size_t));
  std::free(p);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

// --- the page ---

const char* const kNames[] = {"トヨタ自動車", "ソニーグループ", "表示灯", "ソフトバンクグループ", "日本電信電話",
                              "三菱ＵＦＪフィナンシャル・グループ", "任天堂", "キーエンス", "ファーストリテイリング",
                              "信越化学工業", "東京エレクトロン", "ダイキン工業"};
const char* const kMarkets[] = {"東Ｐ", "東Ｓ", "東Ｇ", "名Ｍ", "福", "札"};
const char* const kTitles[][6] = {
    {"2024年3月期", "決算短信〔日本基準〕", "(", "連結", ")", ""},
    {"自己株式の取得状況に関するお知らせ", "", "", "", "", ""},
    {"代表取締役の異動に関するお知らせ", "", "", "", "", ""},
    {"業績予想の修正に関するお知らせ", "(", "2024年", "3月期", ")", ""},
    {"剰余金の配当", "(", "増配", ")", "に関するお知らせ", ""},
};
const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

void AddRow(MarkupElement& table, int day, int row, int rowsOfDay, unsigned& seed) {
  seed = seed * 1103515245u + 12345u;
  unsigned r = seed >> 8;
  MarkupElement* tr = table.AddChild("tr");
  if (row == 0) {
    MarkupElement* date = tr->AddChild("td");
    date->AddAttribute("id", "date");
    date->AddRowspan(rowsOfDay);
    date->AddTextFormat("2024/%02d/%02d<br />(%s)", 1 + day / 28 % 12, 1 + day % 28, kWeekdays[day % 7]);
  }
  MarkupElement* time = tr->AddChild("td");
  time->AddAttribute("id", "time");
  time->AddTextFormat("%02d", 8 + r % 10);
  time->AddText(":");
  time->AddTextFormat("%02d", r / 10 % 60);
  int ticker = 1301 + static_cast<int>(r / 600 % 8600);
  MarkupElement* tickerCell = tr->AddChild("td");
  tickerCell->AddAttribute("id", "ticker");
  if (r % 3 == 0) {
    MarkupElement* link = tickerCell->AddChild("a");
    link->AddAttribute("href", FormatString("./Indiv/%04d.html", ticker));
    link->AddTextFormat("%04d", ticker);
  } else {
    tickerCell->AddTextFormat("%04d", ticker);
  }
  MarkupElement* name = tr->AddChild("td");
  name->AddAttribute("id", "coname");
  const char* coname = kNames[r % (sizeof kNames / sizeof kNames[0])];
  if (r % 7 == 0) {
    MarkupElement* span = name->AddChild("span");
    span->AddAttribute("class", "in_port");
    span->AddText(coname);
  } else {
    name->AddText(coname);
  }
  MarkupElement* market = tr->AddChild("td");
  market->AddAttribute("id", "market");
  market->AddText(kMarkets[r % 6]);
  MarkupElement* title = tr->AddChild("td");
  title->AddAttribute("id", "title");
  MarkupElement* link = title->AddChild("a");
  link->AddAttribute("href", FormatString("https://www.release.tdnet.info/inbs/14012024%02d%02d%06u.pdf",
                                          1 + day / 28 % 12, 1 + day % 28, r % 1000000));
  link->AddAttribute("target", "_blank");
  for (const char* piece : kTitles[r / 7 % 5]) {
    if (*piece != 0) link->AddText(piece);
  }
}

std::string MakePage(size_t targetBytes) {
  MarkupDocument document;
  MarkupElement* html = document.AddChild("html");
  html->AddAttribute("xmlns", "http://www.w3.org/1999/xhtml");
  html->AddAttribute("xml:lang", "ja");
  html->AddAttribute("lang", "ja");
  MarkupElement* head = html->AddChild("head");
  MarkupElement* meta = head->AddChild("meta");
  meta->AddAttribute("http-equiv", "Content-Type");
  meta->AddAttribute("content", "text/html; charset=shitf_jis");
  head->AddChild("title")->AddText("TDnet");
  MarkupElement* table = html->AddChild("body")->AddChild("table");
  unsigned seed = 7;
  // About 390 bytes per row; 60 rows per day.
  size_t rows = targetBytes / 390;
  for (size_t i = 0; i < rows; ++i) AddRow(*table, static_cast<int>(i / 60), static_cast<int>(i % 60), 60, seed);
  StringOutput output;
  document.Write(output, 0);
  return output.text;
}

const std::string& Page() {
  static const std::string page = MakePage(20 * 1000 * 1000);
  return page;
}

// --- benchmarks ---

void BM_Parse(benchmark::State& state) {
  MarkupParser parser;
  for (auto _ : state) {
    auto document = parser.Parse(Page());
    benchmark::DoNotOptimize(document.get());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}

void BM_Write(benchmark::State& state) {
  MarkupParser parser;
  auto document = parser.Parse(Page());
  for (auto _ : state) {
    StringOutput output;
    output.text.reserve(Page().size());
    document->Write(output, 0);
    benchmark::DoNotOptimize(output.text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}

void BM_ParseWrite(benchmark::State& state) {
  MarkupParser parser;
  for (auto _ : state) {
    auto document = parser.Parse(Page());
    StringOutput output;
    document->Write(output, 0);
    benchmark::DoNotOptimize(output.text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}

void BM_LibXml2Parse(benchmark::State& state) {
  for (auto _ : state) {
    xmlDocPtr document = xmlReadMemory(Page().data(), static_cast<int>(Page().size()), "page.html", nullptr, 0);
    if (document == nullptr) state.SkipWithError("libxml2 could not parse the page");
    xmlFreeDoc(document);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Page().size()));
}

BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibXml2Parse)->Unit(benchmark::kMillisecond);

// Seconds of CPU time this thread has used (kernel time such as page faults
// included). The machine is shared, so CPU time is steadier than wall-clock time
// and charges each parser only for its own work.
double ThreadSeconds() {
  // <chrono> cannot be compiled with the Shift_JIS execution character set.
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

// Best time of `runs` runs of `work`, in seconds.
template <class Work>
double BestTime(int runs, Work work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    double start = ThreadSeconds();
    work();
    best = std::min(best, ThreadSeconds() - start);
  }
  return best;
}

// The memory the parser takes for the page at its peak, counted from a pool
// without spare chunks so that every chunk the tree uses is counted.
int64_t TreePeakBytes() {
  ReleaseSpareMarkupMemory();
  MarkupParser parser;
  int64_t before = liveBytes;
  peakBytes = before;
  auto document = parser.Parse(Page());
  int64_t peak = peakBytes - before;
  document.reset();
  ReleaseSpareMarkupMemory();
  return peak;
}

}  // namespace

int main(int argc, char** argv) {
  // glibc gives freed memory back to the system once enough of it lies at the
  // top of the heap, and then every later run pays for page faults again, more
  // or less depending on what ran before. Keeping it makes each parser's times
  // steady and independent of the other; libxml2, which allocates far more
  // often, gains the most.
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  xmlInitParser();
  std::printf("page: %zu bytes\n", Page().size());
  int64_t peak = TreePeakBytes();

  // How fast a parser runs depends much on the state its last run left the
  // malloc heap in, so each parser is timed in runs of its own after one run
  // that is not timed (as when a program parses page after page). libxml2 is
  // also timed straight after the markup parser freed its tree, and its best
  // time from either state is the reference. Both build their whole tree and
  // free it inside the timing.
  MarkupParser parser;
  bool libxml2Parsed = true;
  auto parseWithLibXml2 = [&] {
    xmlDocPtr document = xmlReadMemory(Page().data(), static_cast<int>(Page().size()), "page.html", nullptr, 0);
    libxml2Parsed = libxml2Parsed && document != nullptr;
    xmlFreeDoc(document);
  };
  auto parseWithMarkup = [&] { benchmark::DoNotOptimize(parser.Parse(Page()).get()); };
  double ours = 1e30, theirs = 1e30;
  for (int round = 0; round < 2; ++round) {
    parseWithLibXml2();
    theirs = std::min(theirs, BestTime(3, parseWithLibXml2));
    parseWithMarkup();
    ours = std::min(ours, BestTime(3, parseWithMarkup));
    theirs = std::min(theirs, BestTime(1, parseWithLibXml2));
  }
  if (!libxml2Parsed) std::printf("libxml2 could not parse the page\n");

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::printf("parse %.1f MB/s, libxml2 %.1f MB/s (best CPU times); tree %lld bytes at peak\n",
              Page().size() / ours / 1e6, Page().size() / theirs / 1e6, static_cast<long long>(peak));
  std::printf("parse_vs_libxml2=%.2f tree_bytes_per_input_byte=%.2f\n", theirs / ours,
              static_cast<double>(peak) / static_cast<double>(Page().size()));
  xmlCleanupParser();
  return 0;
}
