// Shift_JIS <-> UTF-16 for the W functions of Windows (for the Win32 code only:
// platform/win32, ui/ and app/).
#pragma once

#include <string>
#include <string_view>

// Code page 932 to UTF-16 (bad bytes become "?").
std::wstring ShiftJisToWide(std::string_view text);
// UTF-16 to code page 932; characters it lacks become "?".
std::string WideToShiftJis(std::wstring_view text);
