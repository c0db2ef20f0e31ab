#include <ctime>

#include "platform/clock.h"

LocalTime LocalNow() {
  time_t now = std::time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}
