// libFuzzer target: arbitrary bytes as the option file, then reads of keys of
// every type, writes back and reads again. A value written must read back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/diagnostics.h"
#include "settings/ini.h"
#include "settings/options.h"

namespace {

// A directory of its own in memory: the writer lists the file's directory.
std::string FilePathForThisProcess() {
  std::string directory = "/dev/shm/velkora-options-fuzz-" + std::to_string(::getpid());
  ::mkdir(directory.c_str(), 0700);
  return directory + "/VelkoraOption.ini";
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  std::fwrite(data, 1, size, file);
  std::fclose(file);
}

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.pop_back();
  size_t first = text.find_first_not_of(" \t\r");
  return first == std::string::npos ? std::string() : text.substr(first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FilePathForThisProcess();
  static bool sinkInstalled = false;
  if (!sinkInstalled) {
    SetMessageSink([](int, const std::string&) {});
    sinkInstalled = true;
  }
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // The text operations alone, without the file.
  std::string value;
  IniFindValue(text, "Option", "PortList", value);
  IniParseInt(value, 7);
  if (IniFindValue(text, "Option", "DebugLogLevel", value)) IniParseInt(value, 0);
  std::string edited = IniSetValue(text, "Status", "LastDownload", "20240401");
  Check(IniFindValue(edited, "Status", "LastDownload", value) && value == "20240401");
  edited = IniSetValue(IniTextAsShiftJis(text, "fuzz"), "Option", "PeriodType", "3");
  Check(IniFindValue(edited, "Option", "PeriodType", value) && value == "3");

  // The store on the file: a read of each kind, one write back, one read again.
  WriteBytes(path, data, size);
  OptionStore store(path);
  std::string portList = store.Text(OptionKey::PortList);
  store.Date(OptionKey::LastDownload);
  // Blanks around a value are not part of it, as with the profile functions.
  if (store.SetText(OptionKey::PortList, portList))
    Check(Trimmed(store.Text(OptionKey::PortList)) == Trimmed(UnescapeEntities(EscapeEntities(portList))));
  return 0;
}
