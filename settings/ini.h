// A small INI-file engine with the observable behaviour of the Windows profile
// functions, used by both builds.
//
// Format: "[section]" lines open a section; "key=value" lines inside it hold
// values. Section and key names are compared ignoring ASCII case; blanks around
// names and values are ignored; a value enclosed in matching double (or single)
// quotes is read without them; the first matching section, and in it the first
// matching key, win. Every other line (comments starting with ";", blank lines,
// anything odd) is kept byte for byte when a value is written. Lines that the
// engine writes end in CR LF. All text is Shift_JIS (a file saved as UTF-8 with
// a byte-order mark is read as UTF-8); a trail byte is never taken for a bracket.
#pragma once

#include <string>
#include <string_view>

class FilePath;

// ---- Operations on the text of a file ----

// Looks up `key` in the first section named `section`. Returns true and stores the
// value (blanks and enclosing quotes removed) in `value` when found; false leaves
// `value` untouched.
bool IniFindValue(std::string_view text, std::string_view section, std::string_view key, std::string& value);

// Returns `text` with `key` of `section` set to `value`: the key's line is
// replaced in place (keeping the key's spelling and the line's end), or
// "key=value" is added after the last non-blank line of the section, or the
// section is appended at the end of the text.
std::string IniSetValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

// Reads an integer the way GetPrivateProfileInt does: an empty value gives
// `fallback`; otherwise an optional sign and the leading decimal digits (0 when
// there are none). Digits beyond the 32-bit range give `fallback`.
int IniParseInt(std::string_view value, int fallback);

// The text of a file as the engine reads it: Shift_JIS as it is, or, after a
// leading UTF-8 byte-order mark (a file an editor saved as UTF-8), the rest
// converted from UTF-8, with a warning once per process naming `path`, since
// the next write stores the file as Shift_JIS.
std::string IniTextAsShiftJis(std::string_view text, const char* path);

// ---- Operations on a file ----

// The value of `key` in `section` of the file, or `fallback` when the file, the
// section or the key is missing. Never reports anything and never creates the file.
std::string IniReadString(const FilePath& path, std::string_view section, std::string_view key,
                          std::string_view fallback);

// The integer value of the key (IniParseInt), or `fallback` when missing or empty.
int IniReadInt(const FilePath& path, std::string_view section, std::string_view key, int fallback);

// Writes one value, creating the file on the first write. The file is replaced
// whole and atomically, so a failure leaves the old file as it was. Returns false
// (reporting nothing; the caller reports) when the file cannot be read or
// replaced, or when the value holds a line break, which the format cannot keep.
bool IniWriteString(const FilePath& path, std::string_view section, std::string_view key,
                    std::string_view value);
