#include "platform/console.h"

#include <cstdio>

#include "platform/encoding.h"

// Both systems' terminals and pipes get UTF-8.
void PrintOut(const std::string& sjis) {
  std::string text = ShiftJisToUtf8(sjis);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void PrintError(const std::string& sjis) {
  std::string text = ShiftJisToUtf8(sjis);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}
