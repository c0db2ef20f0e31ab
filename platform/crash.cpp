// The report layout, formatted by hand so the Linux signal handler can use it:
// printf is not async-signal-safe.
#include "platform/crash.h"

#include <cstdlib>

namespace {

class Appender {
 public:
  Appender(char* buffer, size_t size) : buffer_(buffer), size_(size) {}
  void Text(const char* text) {
    while (*text) Char(*text++);
  }
  void Hex8(uint64_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    // Only the low 32 bits: the report keeps the layout of a 32-bit pointer.
    for (int shift = 28; shift >= 0; shift -= 4) Char(kDigits[(value >> shift) & 0xF]);
  }
  void Decimal(int64_t value) {
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    if (value < 0) Char('-');
    char digits[24];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude);
    while (n) Char(digits[--n]);
  }
  size_t Finish() {
    if (size_) buffer_[used_] = '\0';
    return used_;
  }

 private:
  void Char(char c) {
    if (used_ + 1 < size_) buffer_[used_++] = c;
  }
  char* buffer_;
  size_t size_;
  size_t used_ = 0;
};

}  // namespace

size_t FormatCrashReportInto(char* buffer, size_t size, uint32_t code, uint32_t flags, uint64_t record,
                             uint64_t address, uint32_t parameterCount, const int64_t information[16]) {
  Appender out(buffer, size);
  out.Text("ExceptionCode : 0x");
  out.Hex8(code);
  out.Text("\r\nExceptionFlags : 0x");
  out.Hex8(flags);
  out.Text("\r\npExceptionRecord : 0x");
  out.Hex8(record);
  out.Text("\r\nExceptionAddress : 0x");
  out.Hex8(address);
  out.Text("\r\nNumberParameters : ");
  out.Decimal(static_cast<int32_t>(parameterCount));
  out.Text("\r\nExceptionInformation : \r\n");
  static const char kIndex[] = "0123456789ABCDEF";
  for (int i = 0; i < 16; ++i) {
    char label[6] = {' ', '[', kIndex[i], ']', ' ', '\0'};
    out.Text(label);
    out.Decimal(information[i]);
    out.Text("\r\n");
  }
  return out.Finish();
}

std::string FormatCrashReport(uint32_t code, uint32_t flags, uint64_t record, uint64_t address,
                              uint32_t parameterCount, const int64_t information[16]) {
  char buffer[2048];
  size_t n = FormatCrashReportInto(buffer, sizeof buffer, code, flags, record, address, parameterCount, information);
  return std::string(buffer, n);
}

void CrashPoint() {
  static const long target = [] {
    const char* text = std::getenv("VELKORA_CRASH_AT");
    return text ? std::strtol(text, nullptr, 10) : 0L;
  }();
  static long reached = 0;
  if (target > 0 && ++reached == target) KillProcessNow();
}
