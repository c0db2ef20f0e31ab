// The period of a run as the option file keeps it: PeriodType, PeriodSt and
// PeriodEd, and LastDownload for the period since the last download.
#pragma once

#include <cstdint>

// The period that a period type gives, as the main window fills its two date
// fields: 0 since the last download (LastDownload, or today when it is not a
// readable yyyymmdd day) to today, 1 today, 2 the past week, 3 the stored
// PeriodSt..PeriodEd. The earlier day comes first whatever the file holds (a
// clock set back since the last download, dates stored the wrong way round).
void PeriodOfType(int periodType, uint32_t& firstDay, uint32_t& lastDay);

// Stores a run's period as both front ends do: PeriodType, then PeriodSt and
// PeriodEd with the earlier day first (the run converts from PeriodSt on).
// Returns whether the two days had to be swapped (they are, in place).
bool StorePeriod(int periodType, uint32_t& firstDay, uint32_t& lastDay);
