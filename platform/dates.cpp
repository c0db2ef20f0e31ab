#include "platform/dates.h"

#include <cstdlib>

#include "platform/clock.h"

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) return 29;
  return kDays[month - 1];
}

int DayOfWeek(int year, int month, int day) {
  if (month < 3) {
    month += 12;
    --year;
  }
  return ((13 * month + 8) / 5 + year / 400 + year / 4 + year + day - year / 100) % 7;
}

uint32_t MakeDate(int year, int month, int day) {
  return static_cast<uint32_t>(year * 10000 + month * 100 + day);
}

bool IsValidDate(uint32_t date) {
  int year = DateYear(date), month = DateMonth(date), day = DateDay(date);
  return year >= 1900 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(year, month);
}

uint32_t TodayDate() {
  // One clock for the whole program, so a replayed day is seen everywhere.
  if (const char* text = std::getenv("VELKORA_TODAY")) {
    char* end = nullptr;
    unsigned long value = std::strtoul(text, &end, 10);
    if (end != text && *end == '\0' && IsValidDate(static_cast<uint32_t>(value)))
      return static_cast<uint32_t>(value);
  }
  return LocalNow().Date();
}

uint32_t NextDay(uint32_t date) {
  int year = DateYear(date), month = DateMonth(date), day = DateDay(date);
  if (day < DaysInMonth(year, month)) return MakeDate(year, month, day + 1);
  if (month < 12) return MakeDate(year, month + 1, 1);
  return MakeDate(year + 1, 1, 1);
}

static uint32_t PreviousDay(uint32_t date) {
  int year = DateYear(date), month = DateMonth(date), day = DateDay(date);
  if (day > 1) return MakeDate(year, month, day - 1);
  if (month > 1) return MakeDate(year, month - 1, DaysInMonth(year, month - 1));
  return MakeDate(year - 1, 12, 31);
}

uint32_t AddDays(uint32_t date, int n) {
  for (; n > 0; --n) date = NextDay(date);
  for (; n < 0; ++n) date = PreviousDay(date);
  return date;
}
