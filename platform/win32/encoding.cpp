// Conversions through MultiByteToWideChar / WideCharToMultiByte with code page 932
// named explicitly, so the result does not depend on the system's ANSI code page.
#include <windows.h>

#include "platform/diagnostics.h"
#include "platform/os_error.h"
#include "platform/encoding.h"
#include "platform/win32/wide.h"

namespace {

constexpr UINT kShiftJis = 932;

// Converts well-formed text; false when the system rejects it.
bool ToWide(UINT codePage, DWORD flags, std::string_view text, std::wstring& out) {
  out.clear();
  if (text.empty()) return true;
  int size = static_cast<int>(text.size());
  int n = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  return MultiByteToWideChar(codePage, flags, text.data(), size, out.data(), n) == n;
}

bool FromWide(UINT codePage, std::wstring_view text, std::string& out) {
  out.clear();
  if (text.empty()) return true;
  int size = static_cast<int>(text.size());
  // No "best fit" guesses (yen sign to backslash and the like): an unmapped
  // character becomes "?", as in the Linux build.
  DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
  int n = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, fallback, nullptr);
  if (n <= 0) return false;
  out.resize(static_cast<size_t>(n));
  return WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), n, fallback, nullptr) == n;
}

}  // namespace

std::wstring ShiftJisToWide(std::string_view text) {
  std::string clean = SanitizeShiftJis(text);
  std::wstring wide;
  if (ToWide(kShiftJis, MB_ERR_INVALID_CHARS, clean, wide)) return wide;
  // Some well-formed pair is not assigned: convert character by character.
  wide.clear();
  std::wstring one;
  for (size_t i = 0; i < clean.size();) {
    size_t length = ShiftJisCharLength(static_cast<unsigned char>(clean[i]));
    if (ToWide(kShiftJis, MB_ERR_INVALID_CHARS, std::string_view(clean).substr(i, length), one)) {
      wide += one;
    } else {
      wide += L'?';
    }
    i += length;
  }
  return wide;
}

std::string WideToShiftJis(std::wstring_view text) {
  std::string out;
  if (!FromWide(kShiftJis, text, out)) out.assign(text.size(), '?');
  return out;
}

std::string ShiftJisToUtf8(std::string_view text) {
  std::string out;
  if (!FromWide(CP_UTF8, ShiftJisToWide(text), out)) out.clear();
  return out;
}

std::string Utf8ToShiftJis(std::string_view text) {
  std::wstring wide;
  if (!ToWide(CP_UTF8, 0, SanitizeUtf8(text), wide)) return std::string();
  return WideToShiftJis(wide);
}

bool ConvertUtf8ToShiftJis(const char* utf8, std::string& result) {
  result.clear();
  std::string clean = SanitizeUtf8(ApplyShiftJisBestFit(utf8));
  // Lengths first (the terminator included), then the conversion into exactly that.
  int wideLength = MultiByteToWideChar(CP_UTF8, 0, clean.c_str(), -1, nullptr, 0);
  std::wstring wide(wideLength > 0 ? static_cast<size_t>(wideLength) : 0, L'\0');
  if (wideLength <= 0 || MultiByteToWideChar(CP_UTF8, 0, clean.c_str(), -1, wide.data(), wideLength) <= 0) {
    return ReportOsFailure("MultiByteToWideChar に失敗");
  }
  int length = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, nullptr, 0, "?", nullptr);
  std::string bytes(length > 0 ? static_cast<size_t>(length) : 0, '\0');
  if (length <= 0 ||
      WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.c_str(), -1, bytes.data(), length, "?", nullptr) <= 0) {
    return ReportOsFailure("WideCharToMultiByte に失敗");
  }
  bytes.resize(static_cast<size_t>(length) - 1);  // drop the terminator
  result = std::move(bytes);
  return true;
}
