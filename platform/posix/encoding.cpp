// Conversions through iconv's CP932 tables, one character at a time so that an
// unmapped character costs one "?" and nothing else.
#include "platform/encoding.h"

#include <iconv.h>

#include "platform/diagnostics.h"
#include "platform/os_error.h"

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts one whole character; false when iconv rejects it.
  bool Convert(std::string_view in, std::string& out) {
    char buffer[16];
    char* source = const_cast<char*>(in.data());
    size_t sourceLeft = in.size();
    char* target = buffer;
    size_t targetLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd_, &source, &sourceLeft, &target, &targetLeft) == static_cast<size_t>(-1)) return false;
    if (sourceLeft != 0) return false;
    out.assign(buffer, static_cast<size_t>(target - buffer));
    return true;
  }

 private:
  iconv_t cd_;
};

size_t Utf8Length(unsigned char c) { return c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4; }

}  // namespace

std::string Utf8ToShiftJis(std::string_view text) {
  std::string clean = SanitizeUtf8(text);
  // Opening a converter costs more than converting a page: one pair per thread.
  thread_local Converter toSjis("CP932", "UTF-8");
  thread_local Converter back("UTF-8", "CP932");
  std::string out, sjis, check;
  out.reserve(clean.size());
  for (size_t i = 0; i < clean.size();) {
    size_t length = Utf8Length(static_cast<unsigned char>(clean[i]));
    std::string_view one(clean.data() + i, length);
    i += length;
    if (length == 1) {
      out += one[0];
      continue;
    }
    // Only exact mappings count: iconv also takes "best fit" guesses (the yen sign
    // to a backslash, the wave dash to the fullwidth tilde) that do not convert
    // back, and the Windows build refuses those.
    if (toSjis.ok() && back.ok() && toSjis.Convert(one, sjis) && back.Convert(sjis, check) && check == one) {
      out += sjis;
    } else {
      out += '?';
    }
  }
  return out;
}

std::string ShiftJisToUtf8(std::string_view text) {
  std::string clean = SanitizeShiftJis(text);
  thread_local Converter toUtf8("UTF-8", "CP932");
  std::string out, utf8;
  out.reserve(clean.size() * 3 / 2);
  for (size_t i = 0; i < clean.size();) {
    unsigned char c = static_cast<unsigned char>(clean[i]);
    size_t length = ShiftJisCharLength(c);
    std::string_view one(clean.data() + i, length);
    i += length;
    if (c < 0x80) {
      out += one[0];
    } else if (toUtf8.ok() && toUtf8.Convert(one, utf8)) {
      out += utf8;
    } else {
      out += '?';
    }
  }
  return out;
}

bool ConvertUtf8ToShiftJis(const char* utf8, std::string& result) {
  Converter probe("CP932", "UTF-8");
  if (!probe.ok()) {
    result.clear();
    return ReportOsFailure("MultiByteToWideChar に失敗");  // iconv_open left errno
  }
  result = Utf8ToShiftJis(ApplyShiftJisBestFit(utf8));
  return true;
}
