// The run's position in its period: the first and last day, the day being
// downloaded (steps 3-5) or converted (step 9), and the list page of that day.
#pragma once

#include <cstdint>

struct RunCursor {
  uint32_t startDate = 0;
  uint32_t endDate = 0;
  uint32_t curDate = 0;
  int page = 0;  // 1-based list page of curDate

  // The download loop starts at the first day, page 1.
  void BeginDownloads();
  // Moves the download loop to the next day, page 1; false (nothing changes)
  // once the last day is done.
  bool NextDownloadDay();
  // The conversion loop starts at `firstDay` (PeriodSt) and runs up to and
  // including the day after the last day.
  void BeginConversion(uint32_t firstDay) { curDate = firstDay; }
  bool ConversionDone() const { return curDate > endDate; }
  void NextConversionDay();
};
