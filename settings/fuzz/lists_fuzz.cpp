// libFuzzer target: arbitrary bytes through the code-list parsers, the
// keyword splitter and the ignore-title file reader.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/diagnostics.h"
#include "settings/lists.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/dev/shm/velkora-lists-fuzz-" + std::to_string(::getpid()) + ".txt";
  static bool sinkInstalled = false;
  if (!sinkInstalled) {
    SetMessageSink([](int, const std::string&) {});
    sinkInstalled = true;
  }
  std::string text(reinterpret_cast<const char*>(data), size);
  TickerList list;
  if (ParseTickerList(text.c_str(), list) && list.Present()) {
    const uint16_t* codes = list.Data();
    list.Contains(codes[0]);
  }
  ParseTickerListToSave(text.c_str(), list);
  std::vector<std::string> keywords = SplitKeywords(text);
  for (const std::string& keyword : keywords)
    if (keyword.find_first_of("\r\n,") != std::string::npos) std::abort();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  for (const std::string& title : LoadIgnoreTitles(path.c_str()))
    if (title.empty() || title.find_first_of("\r\n") != std::string::npos) std::abort();
  return 0;
}
