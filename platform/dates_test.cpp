#include "platform/dates.h"

#include <gtest/gtest.h>

#include "platform/testing/test_support.h"

namespace {

TEST(Dates, MonthLengthsAndWeekdays) {
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DaysInMonth(2023, 4), 30);
  EXPECT_EQ(DaysInMonth(2023, 12), 31);
  EXPECT_EQ(DaysInMonth(2023, 13), 0);
  EXPECT_EQ(DayOfWeek(2024, 3, 31), 0);
  EXPECT_EQ(DayOfWeek(2024, 1, 1), 1);
  EXPECT_EQ(DayOfWeek(2000, 2, 29), 2);
  EXPECT_EQ(DayOfWeek(2023, 12, 31), 0);
  EXPECT_EQ(DayOfWeek(20240330u), 6);
}

TEST(Dates, CalendarArithmetic) {
  struct Case {
    uint32_t date;
    int days;
    uint32_t expected;
  } cases[] = {
      {20240228, 1, 20240229}, {20230228, 1, 20230301}, {19000228, 1, 19000301}, {20000228, 1, 20000229},
      {20241231, 1, 20250101}, {20240101, -1, 20231231}, {20240301, -1, 20240229}, {20240329, -7, 20240322},
      {20240329, 0, 20240329}, {20240105, -10, 20231226}, {20231225, 10, 20240104},
  };
  for (const Case& c : cases) EXPECT_EQ(AddDays(c.date, c.days), c.expected) << c.date << " " << c.days;
  EXPECT_EQ(NextDay(20240430), 20240501u);
  EXPECT_EQ(MakeDate(2024, 3, 31), 20240331u);
  EXPECT_TRUE(IsValidDate(20240229));
  EXPECT_FALSE(IsValidDate(20230229));
  EXPECT_FALSE(IsValidDate(20241301));
}

TEST(Dates, TodayCanBeReplayed) {
  SetEnvironment("VELKORA_TODAY", "20240329");
  EXPECT_EQ(TodayDate(), 20240329u);
  SetEnvironment("VELKORA_TODAY", "2024-03-29");  // malformed: the real clock
  EXPECT_NE(TodayDate(), 20240329u);
  UnsetEnvironment("VELKORA_TODAY");
}

}  // namespace
