// Text conversion between the program's Shift_JIS (code page 932) and the
// encodings met at the edges: UTF-8 pages and terminals, the system's own file
// names.
//
// Both builds give the same results: characters that code page 932 lacks (and,
// but for downloaded pages, characters that only map to it by a "best fit"
// guess, such as the yen sign) become "?", and every byte that does not start a
// well-formed character becomes one "?". Nothing here throws or loops on bad
// input.
#pragma once

#include <string>
#include <string_view>

// Shift_JIS to UTF-8 (bad or unmapped characters become "?").
std::string ShiftJisToUtf8(std::string_view text);
// UTF-8 to Shift_JIS (bad bytes and characters code page 932 lacks become "?").
std::string Utf8ToShiftJis(std::string_view text);
// UTF-8 to Shift_JIS only when every character has its own counterpart: false
// (with `sjis` unspecified) for bad bytes or a character code page 932 lacks,
// which would be stored changed. For texts the user gives (arguments, names).
bool Utf8ToShiftJisExactly(std::string_view text, std::string& sjis);

// A downloaded UTF-8 page (list, quote, report and portfolio pages) to
// Shift_JIS, as the pages were read on the Japanese Windows the service's users
// have: the four fix-ups of FixUtf8ForShiftJis, then the best-fit mappings of
// code page 932 (yen sign to 0x5C, overline to 0x7E, cent, pound and not signs
// to their fullwidth forms 0x8191, 0x8192, 0x81CA); only characters without any
// counterpart, and bad bytes, become "?". The whole view is converted, zero
// bytes included.
std::string DownloadedPageToShiftJis(std::string_view utf8);

// Rewrites, in place and at the same byte length, four characters of a
// zero-terminated UTF-8 text to the ones Shift_JIS users expect: em dash ->
// horizontal bar, wave dash -> fullwidth tilde, double vertical line -> parallel
// to, minus sign -> fullwidth hyphen-minus. Call it before ConvertUtf8ToShiftJis.
void FixUtf8ForShiftJis(char* text);

// Converts a zero-terminated UTF-8 text to Shift_JIS into `result` (replacing its
// content), with the best-fit mappings of DownloadedPageToShiftJis but without
// the four fix-ups. Returns false after reporting "MultiByteToWideChar に失敗" or
// "WideCharToMultiByte に失敗" when the system conversion fails; `result` then
// holds whatever was converted.
bool ConvertUtf8ToShiftJis(const char* utf8, std::string& result);

// Shared by the two system implementations (not for callers):
// The best-fit mappings of DownloadedPageToShiftJis, done in UTF-8: the five
// characters become the characters code page 932 maps exactly to those bytes.
std::string ApplyShiftJisBestFit(std::string_view utf8);
// Well-formed UTF-8 of the Basic Multilingual Plane only: each byte that does not
// begin a well-formed sequence, and each character beyond U+FFFF, becomes "?".
std::string SanitizeUtf8(std::string_view text);
// Well-formed Shift_JIS only: a lead byte without a valid trail byte, and the
// single bytes 0x80, 0xA0 and 0xFD-0xFF, become "?".
std::string SanitizeShiftJis(std::string_view text);
// Length of the Shift_JIS character starting with `c` (1 or 2).
inline size_t ShiftJisCharLength(unsigned char c) { return ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1; }
