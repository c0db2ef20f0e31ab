// The ignore-title file "_ignoreTitle.txt": plain Shift_JIS lines, no escaping.
#include <string>
#include <vector>

#include "platform/diagnostics.h"
#include "platform/files.h"
#include "settings/lists.h"

std::vector<std::string> LoadIgnoreTitles(const char* path) {
  std::vector<std::string> titles;
  FileEntry file;
  file.SetPath(path);
  if (!file.ExistsPath()) return titles;
  std::string text;
  if (!ReadAll(file.Path().Text(), text)) return titles;
  size_t start = 0;
  while (start <= text.size()) {
    size_t lf = text.find('\n', start);
    size_t end = (lf == std::string::npos) ? text.size() : lf;
    std::string line;
    for (size_t i = start; i < end; ++i) {
      if (text[i] != '\r') line += text[i];  // CR and LF are never trail bytes
    }
    if (!line.empty()) titles.push_back(line);
    if (lf == std::string::npos) break;
    start = lf + 1;
  }
  // A file of blank lines only is an emptied list: remove it so it is not read again.
  if (titles.empty()) file.Delete();
  return titles;
}

bool WriteIgnoreTitles(const char* outputDir, const std::string& text) {
  FilePath directory;
  FileEntry probe;
  if (!directory.SetPath(outputDir) || !probe.SetPath(directory) || !probe.ExistsPath()) {
    ReportError("html保存パスの<%s>は存在しません", outputDir);
    return false;
  }
  FilePath file;
  file.SetJoined(directory.Text(), kIgnoreTitleFileName);
  return ReplaceFileContents(file, text);
}
