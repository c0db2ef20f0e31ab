// Shift_JIS byte classes shared by every layer.
#pragma once

// Whether `byte` starts a two-byte Shift_JIS character (0x81-0x9F, 0xE0-0xFC).
inline bool IsShiftJisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
