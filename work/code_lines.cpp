#include "work/code_lines.h"

std::map<Code, std::string> ReadCodeLines(std::string_view text, unsigned& bad) {
  std::map<Code, std::string> lines;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) continue;
    std::optional<Code> code = Code::FromText(line.substr(0, 4));
    if (!code || code->IsNumeric() || line.size() < 5 || line[4] != '\t') {
      ++bad;
      continue;
    }
    lines[*code] = std::string(line.substr(5));
  }
  return lines;
}

std::string WriteCodeLines(const std::map<Code, std::string>& lines) {
  std::string text;
  for (const auto& [code, fields] : lines) text += code.Text() + '\t' + fields + '\n';
  return text;
}
