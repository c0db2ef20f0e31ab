#include "settings/ini.h"

#include "platform/sjis.h"

#include <cstdint>

#include "platform/diagnostics.h"
#include "platform/encoding.h"
#include "platform/files.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}


// Position of the last single-byte `c` in `text`, skipping double-byte characters.
size_t FindLastSingleByte(std::string_view text, char c) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == c) found = i;
    if (IsShiftJisLead(static_cast<unsigned char>(text[i]))) ++i;
  }
  return found;
}

struct IniLine {
  enum Kind { kBlank, kSection, kKey, kOther };
  Kind kind = kOther;
  size_t start = 0;       // first byte of the line
  size_t contentEnd = 0;  // end of the line without its CR LF / LF
  size_t next = 0;        // first byte of the next line
  bool terminated = false;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key value, trimmed (quotes still on)
};

void Classify(std::string_view content, IniLine& line) {
  std::string_view trimmed = Trim(content);
  if (trimmed.empty()) {
    line.kind = IniLine::kBlank;
    return;
  }
  if (trimmed.front() == '[') {
    size_t close = FindLastSingleByte(trimmed, ']');
    if (close != std::string_view::npos) {
      line.kind = IniLine::kSection;
      line.name = Trim(trimmed.substr(1, close - 1));
      return;
    }
  }
  if (trimmed.front() == ';') return;  // a comment: kOther
  size_t equals = trimmed.find('=');   // '=' is never a trail byte
  if (equals == std::string_view::npos) return;
  line.kind = IniLine::kKey;
  line.name = Trim(trimmed.substr(0, equals));
  line.value = Trim(trimmed.substr(equals + 1));
}

// Reads the lines of a text one by one; a line ends after its LF.
class IniLineReader {
 public:
  explicit IniLineReader(std::string_view text) : text_(text) {}

  bool Next(IniLine& line) {
    if (position_ >= text_.size()) return false;
    line = IniLine();
    line.start = position_;
    size_t lf = text_.find('\n', position_);
    line.terminated = lf != std::string_view::npos;
    line.next = line.terminated ? lf + 1 : text_.size();
    line.contentEnd = line.terminated ? lf : text_.size();
    if (line.contentEnd > line.start && text_[line.contentEnd - 1] == '\r') --line.contentEnd;
    Classify(text_.substr(line.start, line.contentEnd - line.start), line);
    position_ = line.next;
    return true;
  }

 private:
  std::string_view text_;
  size_t position_ = 0;
};

std::string_view StripQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Where a key of a section stands, or where it would go.
struct KeyPlace {
  bool sectionFound = false;
  bool keyFound = false;
  IniLine keyLine;                // valid when keyFound
  size_t afterLastContent = 0;    // end of the section's last non-blank line
  bool lastContentTerminated = true;
};

KeyPlace LocateKey(std::string_view text, std::string_view section, std::string_view key) {
  KeyPlace place;
  IniLineReader reader(text);
  IniLine line;
  bool inSection = false;
  while (reader.Next(line)) {
    if (line.kind == IniLine::kSection) {
      if (inSection) break;  // only the first matching section counts
      inSection = SameIgnoringAsciiCase(line.name, section);
      if (!inSection) continue;
      place.sectionFound = true;
    } else if (!inSection) {
      continue;
    } else if (line.kind == IniLine::kKey && SameIgnoringAsciiCase(line.name, key)) {
      place.keyFound = true;
      place.keyLine = line;
      return place;
    }
    if (line.kind != IniLine::kBlank) {
      place.afterLastContent = line.next;
      place.lastContentTerminated = line.terminated;
    }
  }
  return place;
}

// Whether the text already ends with an empty line (or is empty).
bool EndsWithBlankLine(std::string_view text) {
  IniLineReader reader(text);
  IniLine line;
  bool blank = true;
  while (reader.Next(line)) blank = line.kind == IniLine::kBlank;
  return blank;
}

// Reads the option file without reporting: a missing or unreadable file is just
// an empty one for readers. Returns false when the file exists but cannot be read.
bool ReadQuietly(const FilePath& path, std::string& text) {
  text.clear();
  FileEntry entry;
  entry.SetPath(path);
  if (!entry.ExistsPath()) return true;
  MessageSink previous = SetMessageSink([](int, const std::string&) {});
  bool ok = ReadAll(path.Text(), text);
  SetMessageSink(previous);
  if (ok) text = IniTextAsShiftJis(text, path.Text());
  return ok;
}

// The profile functions open the file for writing, which a read-only file
// refuses even to an administrator; replacing it by rename would not notice, so
// the attribute is checked first.
bool IsReadOnlyFile(const FilePath& path) {
  FileFinder finder;
  MessageSink previous = SetMessageSink([](int, const std::string&) {});
  bool found = finder.Start(path.Text(), FileFinder::kFiles) && !finder.IsFinished();
  SetMessageSink(previous);
  return found && (finder.CurrentFindData().attributes & kAttributeReadOnly) != 0;
}

}  // namespace

std::string IniTextAsShiftJis(std::string_view text, const char* path) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  if (!text.starts_with(kUtf8Mark)) return std::string(text);
  // An editor saved the file as UTF-8: read it as such, and say once that the
  // next write turns it back into Shift_JIS.
  static bool warned = false;
  if (!warned) {
    warned = true;
    MessageSeverity = kSeverityWarning;
    ReportMessage("オプションファイル<%s>は UTF-8 で保存されています。次に設定を保存するとき Shift_JIS で書き直します", path);
  }
  return Utf8ToShiftJis(text.substr(kUtf8Mark.size()));
}

bool IniFindValue(std::string_view text, std::string_view section, std::string_view key, std::string& value) {
  KeyPlace place = LocateKey(text, section, key);
  if (!place.keyFound) return false;
  value.assign(StripQuotes(place.keyLine.value));
  return true;
}

std::string IniSetValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
  KeyPlace place = LocateKey(text, section, key);
  std::string result;
  if (place.keyFound) {
    const IniLine& line = place.keyLine;
    result.append(text.substr(0, line.start));
    result.append(line.name).append("=").append(value);
    result.append(text.substr(line.contentEnd));
    return result;
  }
  std::string entry = std::string(key) + "=" + std::string(value) + std::string(kLineEnd);
  if (place.sectionFound) {
    result.append(text.substr(0, place.afterLastContent));
    if (!place.lastContentTerminated) result.append(kLineEnd);
    result.append(entry);
    result.append(text.substr(place.afterLastContent));
    return result;
  }
  result.assign(text);
  if (!result.empty() && result.back() != '\n') result.append(kLineEnd);
  if (!EndsWithBlankLine(result)) result.append(kLineEnd);  // a blank line between sections
  result.append("[").append(section).append("]").append(kLineEnd);
  result.append(entry);
  return result;
}

int IniParseInt(std::string_view value, int fallback) {
  value = Trim(value);
  if (value.empty()) return fallback;
  bool negative = false;
  if (value.front() == '-' || value.front() == '+') {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  // A hand-edited value beyond the 32-bit range does not read: the fallback.
  int64_t number = 0;
  for (char c : value) {
    if (c < '0' || c > '9') break;
    number = number * 10 + (c - '0');
    if (number > int64_t{INT32_MAX} + 1) return fallback;
  }
  if (negative) number = -number;
  if (number > INT32_MAX) return fallback;
  return static_cast<int>(number);
}

std::string IniReadString(const FilePath& path, std::string_view section, std::string_view key,
                          std::string_view fallback) {
  std::string text;
  std::string value;
  if (ReadQuietly(path, text) && IniFindValue(text, section, key, value)) return value;
  return std::string(fallback);
}

int IniReadInt(const FilePath& path, std::string_view section, std::string_view key, int fallback) {
  std::string text;
  std::string value;
  if (!ReadQuietly(path, text) || !IniFindValue(text, section, key, value)) return fallback;
  return IniParseInt(value, fallback);
}

bool IniWriteString(const FilePath& path, std::string_view section, std::string_view key,
                    std::string_view value) {
  if (value.find_first_of("\r\n") != std::string_view::npos) return false;
  std::string text;
  if (!ReadQuietly(path, text) || IsReadOnlyFile(path)) return false;
  return !TryReplaceFileContents(path, IniSetValue(text, section, key, value));
}
