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
  if (ParseTickerList(text.c_str(), list) && list.Data()) list.Contains(list.Data()[0]);
  // A saved text (its codes upper case) reads back as the same list.
  std::string stored;
  if (ParseTickerListToSave(text.c_str(), list, &stored)) {
    TickerList again;
    if (!ParseTickerListToSave(stored.c_str(), again) || again.Alphanumeric() != list.Alphanumeric() ||
        (again.Data() == nullptr) != (list.Data() == nullptr))
      std::abort();
  }
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
