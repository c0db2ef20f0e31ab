// The system-independent half of the file layer: path texts, wildcard matching,
// the directory finder's phases and recursion, tree deletion and the calendar.
// System calls live behind files_os.h.
#include "platform/files.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/diagnostics.h"
#include "platform/files_os.h"
#include "platform/process.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Length of the Shift_JIS character at `s` (a lead byte before the terminator
// takes its trail byte with it).
size_t CharLength(const char* s) { return IsShiftJisLead(static_cast<unsigned char>(s[0])) && s[1] ? 2 : 1; }

// Positions of the separators in a text, never counting a trail byte.
std::vector<size_t> SeparatorPositions(const std::string& text) {
  std::vector<size_t> positions;
  for (size_t i = 0; i < text.size(); i += CharLength(text.c_str() + i))
    if (IsSeparator(text[i])) positions.push_back(i);
  return positions;
}

bool EndsInSeparator(const std::string& text) {
  std::vector<size_t> positions = SeparatorPositions(text);
  return !positions.empty() && positions.back() + 1 == text.size();
}

// Cuts a directory text (ending in a separator) back to its parent; false at the root.
bool ClimbOne(std::string& base) {
  std::vector<size_t> positions = SeparatorPositions(base);
  if (positions.size() < 2) return false;
  base.resize(positions[positions.size() - 2] + 1);
  return true;
}

std::string& Home() {
  static std::string home = files_os::ExecutableDirectory();
  return home;
}


bool MatchFrom(const char* p, const char* n) {
  while (*p) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (!*p) return true;
      for (const char* s = n;; s += CharLength(s)) {
        if (MatchFrom(p, s)) return true;
        if (!*s) return false;
      }
    }
    if (!*n) return false;
    size_t pl = CharLength(p), nl = CharLength(n);
    if (*p == '?') {
      ++p;
      n += nl;
      continue;
    }
    if (pl != nl) return false;
    if (pl == 1 ? AsciiLower(*p) != AsciiLower(*n) : (p[0] != n[0] || p[1] != n[1])) return false;
    p += pl;
    n += nl;
  }
  return !*n;
}


}  // namespace

bool MatchWildcard(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) return true;
  return MatchFrom(pattern, name);
}

bool HasWildcard(const char* name) { return std::strpbrk(name, "*?") != nullptr; }

// ---- home directory ----

const std::string& HomeDirectory() { return Home(); }

bool SetHomeDirectory(const std::string& directory) {
  std::string text = directory;
  if (!files_os::IsAbsolute(text.c_str())) text = files_os::CurrentDirectory() + text;
  if (!EndsInSeparator(text)) text += kPathSeparator;
  FilePath path;
  if (!files_os::IsAbsolute(text.c_str()) || !path.SetPath(text.c_str()) || !files_os::IsDirectory(path)) return false;
  Home() = path.Text();
  return true;
}

bool IsAbsolutePath(const char* text) { return files_os::IsAbsolute(text); }

std::string FromCurrentDirectory(const std::string& text) {
  return files_os::IsAbsolute(text.c_str()) ? text : files_os::CurrentDirectory() + text;
}

// ---- FilePath ----

bool FilePath::SetNormalised(const char* text, size_t length) {
  if (length > static_cast<size_t>(kMaxPath)) {
    ReportError("指定されたパス<%s>は構文がおかしい", text);
    *this = FilePath();
    return false;
  }
  std::memmove(text_, text, length);
  text_[length] = '\0';
  length_ = static_cast<int>(length);
  Normalise();
  return true;
}

void FilePath::Normalise() {
  const char other = kPathSeparator == '/' ? '\\' : '/';
  if (kPathSeparator == '\\' && length_ >= 2 && text_[1] == ':' && text_[0] >= 'a' && text_[0] <= 'z')
    text_[0] = static_cast<char>(text_[0] - 'a' + 'A');
  int lastSeparator = -1, lastDot = -1;
  for (int i = 0; i < length_; i += static_cast<int>(CharLength(text_ + i))) {
    if (CharLength(text_ + i) == 2) continue;
    if (text_[i] == other) text_[i] = kPathSeparator;
    if (text_[i] == kPathSeparator) {
      lastSeparator = i;
      lastDot = -1;
    } else if (text_[i] == '.') {
      lastDot = i;
    }
  }
  directoryLength_ = lastSeparator + 1;
  nameStart_ = directoryLength_ < length_ ? directoryLength_ : -1;
  extStart_ = (nameStart_ >= 0 && lastDot >= 0) ? lastDot + 1 : -1;
}

bool FilePath::SetPath(const char* text) {
  if (!text) {
    *this = FilePath();
    return false;
  }
  if (files_os::IsAbsolute(text)) return SetNormalised(text, std::strlen(text));
  std::string base = HomeDirectory();
  const char* rest = text;
  for (;;) {
    if (rest[0] == '.' && IsSeparator(rest[1])) {
      rest += 2;
    } else if (rest[0] == '.' && rest[1] == '.' && IsSeparator(rest[2])) {
      if (!ClimbOne(base)) {
        ReportError("指定されたパス<%s>は構文がおかしい", rest);
        *this = FilePath();
        return false;
      }
      rest += 3;
    } else {
      break;
    }
  }
  base += rest;
  return SetNormalised(base.c_str(), base.size());
}

bool FilePath::SetPathFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatStringV(format, args);
  va_end(args);
  return SetPath(text.c_str());
}

bool FilePath::SetJoined(const char* directory, const char* name) {
  std::string joined = directory ? directory : "";
  if (!joined.empty() && !EndsInSeparator(joined)) joined += kPathSeparator;
  joined += name ? name : "";
  // A relative directory is still taken relative to the home directory, never to
  // the current directory.
  if (!files_os::IsAbsolute(joined.c_str())) return SetPath(joined.c_str());
  return SetNormalised(joined.c_str(), joined.size());
}

bool FilePath::SetName(const char* name) {
  if (IsEmpty()) return false;
  std::string text(text_, static_cast<size_t>(directoryLength_));
  if (name) text += name;
  return SetNormalised(text.c_str(), text.size());
}

std::string files_os::WithoutTrailingSeparators(const FilePath& path) {
  std::string text = path.Text();
  // The root keeps its separator: "/" or "\\", or "D:\\".
  size_t root = text.size() >= 3 && text[1] == ':' ? 3 : 1;
  std::vector<size_t> positions = SeparatorPositions(text);  // never a trail byte
  size_t end = text.size();
  while (end > root && !positions.empty() && positions.back() + 1 == end) {
    --end;
    positions.pop_back();
  }
  return text.substr(0, end);
}

// ---- FileFinder ----

struct FileFinder::Impl {
  FilePath pattern;
  int flags = 0;
  bool subdirectoryPhase = false;
  bool scanOpen = false;
  files_os::DirectoryScan scan;
  std::unique_ptr<FileFinder> nested;
  FindData data;
  FilePath path;
};

FileFinder::FileFinder() = default;
FileFinder::~FileFinder() = default;

bool FileFinder::Start(const char* pattern, int flags) {
  impl_ = std::make_unique<Impl>();
  finished_ = false;
  if (!impl_->pattern.SetPath(pattern)) {
    finished_ = true;
    return false;
  }
  if (impl_->pattern.IsDirectory()) impl_->pattern.SetName("*");
  impl_->flags = flags;
  return Advance();
}

bool FileFinder::_Next() {
  if (finished_ || !impl_) {
    ReportError("既に終了している FileFinder に対して _Next() がコールされた");
    return false;
  }
  if (impl_->nested) {
    if (!impl_->nested->_Next()) {
      finished_ = true;
      return false;
    }
    if (!impl_->nested->IsFinished()) return true;
    impl_->nested.reset();
  }
  return Advance();
}

bool FileFinder::Accepts(const FindData& entry) const {
  if (entry.IsDirectory()) return (impl_->flags & kDirectories) != 0;
  if (!(impl_->flags & kFiles)) return false;
  // Stricter than the system's wildcards: "*.html" must not return "x.htm" or
  // "x.html5" (a system match on short names could).
  if (!impl_->pattern.HasExtension()) return true;
  const char* wanted = impl_->pattern.Extension();
  if (wanted[0] == '*') return true;
  const char* dot = nullptr;
  for (const char* s = entry.name.c_str(); *s; s += CharLength(s))
    if (*s == '.') dot = s;
  return dot && SameIgnoringAsciiCase(dot + 1, wanted);
}

bool FileFinder::Advance() {
  Impl& s = *impl_;
  for (;;) {
    FindData entry;
    files_os::DirectoryScan::Result result;
    if (!s.scanOpen) {
      FilePath scanPattern = s.pattern;
      if (s.subdirectoryPhase) scanPattern.SetName("*");
      result = s.scan.First(scanPattern, entry);
      s.scanOpen = true;
      if (result == files_os::DirectoryScan::kNotFound) result = files_os::DirectoryScan::kEnd;
      if (result == files_os::DirectoryScan::kError)
        ReportOsFailure("ファイル<%s>に対して FindFirstFile() 失敗", scanPattern.Text());
    } else {
      result = s.scan.Next(entry);
      if (result == files_os::DirectoryScan::kError)
        ReportOsFailure("ファイル<%s>に対して FindNextFile() 失敗", s.pattern.Text());
    }
    if (result == files_os::DirectoryScan::kError) {
      s.scan.Close();
      finished_ = true;
      return false;
    }
    if (result == files_os::DirectoryScan::kEnd) {
      s.scan.Close();
      s.scanOpen = false;
      if (!s.subdirectoryPhase && (s.flags & kRecursive)) {
        s.subdirectoryPhase = true;
        continue;
      }
      finished_ = true;
      return true;
    }
    if (entry.name.empty() || entry.name[0] == '.') continue;
    std::string full = s.pattern.Directory() + entry.name;
    if (!s.subdirectoryPhase) {
      if (!Accepts(entry)) continue;
      s.data = entry;
      s.path.SetPath(full.c_str());
      return true;
    }
    if (!entry.IsDirectory() || entry.IsLink()) continue;  // links could loop
    auto nested = std::make_unique<FileFinder>();
    std::string subPattern = full + kPathSeparator + s.pattern.Name();
    if (!nested->Start(subPattern.c_str(), s.flags)) {
      finished_ = true;
      return false;
    }
    if (!nested->IsFinished()) {
      s.nested = std::move(nested);
      return true;
    }
  }
}

const FilePath& FileFinder::CurrentPath() const {
  static const FilePath kNone;
  if (!impl_) return kNone;
  return impl_->nested ? impl_->nested->CurrentPath() : impl_->path;
}

const FindData& FileFinder::CurrentFindData() const {
  static const FindData kNone;
  if (!impl_) return kNone;
  return impl_->nested ? impl_->nested->CurrentFindData() : impl_->data;
}

bool FileFinder::CurrentLocalTime(LocalTime& time) const {
  if (!impl_ || finished_) return false;
  if (impl_->nested) return impl_->nested->CurrentLocalTime(time);
  return files_os::StampToLocalTime(impl_->data.writeTime, time);
}

// ---- DeleteDir ----

namespace {

// Removes everything inside `directory` (a path ending in the separator), deepest
// entries first, so that every directory is empty when its turn comes. Entries
// whose names begin with "." are removed too.
void DeleteContents(const FilePath& directory) {
  FilePath pattern = directory;
  pattern.SetName("*");
  std::vector<FindData> entries;
  {
    files_os::DirectoryScan scan;
    FindData entry;
    for (auto r = scan.First(pattern, entry); r == files_os::DirectoryScan::kEntry; r = scan.Next(entry)) {
      if (entry.name != "." && entry.name != "..") entries.push_back(entry);
    }
  }
  for (const FindData& entry : entries) {
    FilePath path;
    if (!path.SetJoined(directory.Text(), entry.name.c_str())) continue;
    if (entry.IsDirectory()) {
      // A linked directory is removed as a link; what it points to is not ours.
      if (!entry.IsLink()) {
        FilePath inner;
        inner.SetJoined(path.Text(), "");
        DeleteContents(inner);
      }
      if (!files_os::RemoveEmptyDirectory(path)) ReportOsFailure("RemoveDirectory に失敗( サブ )");
    } else if (!files_os::RemoveFile(path)) {
      ReportOsFailure("DeleteFile に失敗");
      ReportError("ディレクトリ内の<%s>の削除に失敗", path.Text());
    }
  }
}

}  // namespace

bool FileEntry::DeleteDir() {
  if (path_.IsEmpty()) return false;
  if (!path_.IsDirectory()) {
    ReportError("DeleteDir がファイル名");
    return false;
  }
  DeleteContents(path_);
  return files_os::RemoveEmptyDirectory(path_);
}

// ---- whole files ----

bool ReplaceFileContents(const FilePath& path, std::string_view contents) {
  std::optional<OsError> failure = TryReplaceFileContents(path, contents);
  return !failure || ReportOsError(*failure);
}

bool ReadAll(const char* path, std::string& text) {
  DiskFile file;
  if (!file.SetPath(path)) return false;
  if (!file.Open(FileOpenMode::OpenReadOnly)) return false;
  return file.ReadAll(text);
}

namespace {

bool AllDigits(const std::string& text, size_t from, size_t to) {
  if (from >= to) return false;
  for (size_t i = from; i < to; ++i)
    if (!IsAsciiDigit(text[i])) return false;
  return true;
}

// The process id of a "NAME.tmp<digits>_<digits>" name, or 0 for another name.
uint32_t TemporaryWriter(const std::string& name) {
  size_t tmp = name.rfind(".tmp");
  if (tmp == std::string::npos || tmp == 0) return 0;
  size_t underscore = name.find('_', tmp + 4);
  if (underscore == std::string::npos || !AllDigits(name, tmp + 4, underscore) ||
      !AllDigits(name, underscore + 1, name.size()) || underscore - tmp > 14)
    return 0;
  return static_cast<uint32_t>(std::strtoul(name.c_str() + tmp + 4, nullptr, 10));
}

bool IsPart(const std::string& name) { return name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0; }

}  // namespace

void RemoveStaleTemporaryFiles(const std::string& directory, bool parts) {
  constexpr int64_t kDaySeconds = 24 * 60 * 60;
  FileFinder finder;
  std::string pattern = directory;
  if (pattern.empty() || (pattern.back() != '/' && pattern.back() != '\\')) pattern += '/';
  if (!finder.Start((pattern + "*").c_str(), FileFinder::kFiles)) return;
  for (; !finder.IsFinished(); finder._Next()) {
    const FindData& found = finder.CurrentFindData();
    uint32_t writer = TemporaryWriter(found.name);
    bool stale = (parts && IsPart(found.name)) ||
                 (writer != 0 && (!ProcessExists(writer) || files_os::SecondsSinceStamp(found.writeTime) > kDaySeconds));
    if (stale) files_os::RemoveFile(finder.CurrentPath());
  }
}
