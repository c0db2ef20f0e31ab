#include "work/run_cursor.h"

#include <algorithm>

#include "platform/dates.h"

bool RunCursor::BeginDownloads(uint32_t oldestServed) {
  curDate = std::max(startDate, oldestServed);
  page = 1;
  return curDate <= endDate;
}

bool RunCursor::NextDownloadDay() {
  if (curDate >= endDate) return false;
  curDate = NextDay(curDate);
  page = 1;
  return true;
}

void RunCursor::MarkIncomplete(uint32_t date) {
  if (firstIncomplete == 0 || date < firstIncomplete) firstIncomplete = date;
}

void RunCursor::NextConversionDay() { curDate = NextDay(curDate); }
