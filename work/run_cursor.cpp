#include "work/run_cursor.h"

#include "platform/dates.h"

void RunCursor::BeginDownloads() {
  curDate = startDate;
  page = 1;
}

bool RunCursor::NextDownloadDay() {
  if (curDate >= endDate) return false;
  curDate = NextDay(curDate);
  page = 1;
  return true;
}

void RunCursor::NextConversionDay() { curDate = NextDay(curDate); }
