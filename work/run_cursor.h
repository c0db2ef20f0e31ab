// The run's position in its period: the first and last day, the day being
// downloaded (steps 3-5) or converted (step 9), and the list page of that day.
#pragma once

#include <cstdint>

struct RunCursor {
  uint32_t startDate = 0;
  uint32_t endDate = 0;
  uint32_t curDate = 0;
  int page = 0;  // 1-based list page of curDate
  // The earliest day of this run that could not be downloaded whole; 0 when none.
  uint32_t firstIncomplete = 0;
  // The earliest day of this run that could not be added to the company pages
  // (unreadable, or a page not written); 0 when none.
  uint32_t firstIndivFailure = 0;

  // The download loop starts at page 1 of the first day, or of `oldestServed`
  // when the period starts earlier (the service keeps its lists for about a
  // month). False when no day of the period is left to download.
  bool BeginDownloads(uint32_t oldestServed);
  // Moves the download loop to the next day, page 1; false (nothing changes)
  // once the last day is done.
  bool NextDownloadDay();
  // Remembers a day whose download failed.
  void MarkIncomplete(uint32_t date);
  // LastUpdateIndiv as the conversion began: the company pages hold the days
  // before it (those missing then aside).
  uint32_t indivFrom = 0;

  // The conversion loop starts at `firstDay` (PeriodSt) and runs up to and
  // including the day after the last day; `lastUpdateIndiv` is kept as indivFrom.
  void BeginConversion(uint32_t firstDay, uint32_t lastUpdateIndiv) {
    curDate = firstDay;
    indivFrom = lastUpdateIndiv;
  }
  bool ConversionDone() const { return curDate > endDate; }
  void NextConversionDay();
};
