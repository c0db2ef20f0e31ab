// Calendar dates as yyyymmdd integers (year * 10000 + month * 100 + day),
// compared as plain integers, and the one clock of the program.
#pragma once

#include <cstdint>

constexpr uint32_t kNeverDate = 19000101;  // "never" in status keys
constexpr uint32_t kNoDate = 99991231;

// Today's local date. The environment variable VELKORA_TODAY=yyyymmdd replaces it
// (to replay a day, and for reproducible tests); the time of day stays real.
uint32_t TodayDate();
uint32_t MakeDate(int year, int month, int day);
inline int DateYear(uint32_t date) { return static_cast<int>(date / 10000); }
inline int DateMonth(uint32_t date) { return static_cast<int>(date / 100 % 100); }
inline int DateDay(uint32_t date) { return static_cast<int>(date % 100); }
// Gregorian month length, month 1-12; 0 for another month.
int DaysInMonth(int year, int month);
// 0 Sunday .. 6 Saturday.
int DayOfWeek(int year, int month, int day);
inline int DayOfWeek(uint32_t date) { return DayOfWeek(DateYear(date), DateMonth(date), DateDay(date)); }
// Whether the date names a real calendar day of the years 1900 to 9999.
bool IsValidDate(uint32_t date);
// The following calendar day (Gregorian leap years).
uint32_t NextDay(uint32_t date);
// n > 0 steps forward n days, n < 0 back |n| days, 0 returns the date.
uint32_t AddDays(uint32_t date, int n);
