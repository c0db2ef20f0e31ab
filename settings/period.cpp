#include "settings/period.h"

#include <utility>

#include "platform/dates.h"
#include "settings/options.h"

void PeriodOfType(int periodType, uint32_t& firstDay, uint32_t& lastDay) {
  uint32_t today = TodayDate();
  switch (periodType) {
    case 0:
      // A LastDownload that is no readable day (empty, text, a hand-edited
      // number of any size) starts today.
      if (!Options().ReadDate(OptionKey::LastDownload, firstDay)) firstDay = today;
      lastDay = today;
      break;
    case 1:
      firstDay = lastDay = today;
      break;
    case 3:
      firstDay = Options().Date(OptionKey::PeriodSt);
      lastDay = Options().Date(OptionKey::PeriodEd);
      break;
    default:
      firstDay = AddDays(today, -7);
      lastDay = today;
      break;
  }
  if (firstDay > lastDay) std::swap(firstDay, lastDay);
}

bool StorePeriod(int periodType, uint32_t& firstDay, uint32_t& lastDay) {
  bool swapped = firstDay > lastDay;
  if (swapped) std::swap(firstDay, lastDay);
  Options().SetInt(OptionKey::PeriodType, periodType);
  Options().SetInt(OptionKey::PeriodSt, static_cast<int>(firstDay));
  Options().SetInt(OptionKey::PeriodEd, static_cast<int>(lastDay));
  return swapped;
}
