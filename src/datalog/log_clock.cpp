#include "datalog/log_clock.h"

#include <ctime>

LocalTime CrtLogClock::Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  // The Microsoft runtime keeps localtime's result per thread.
  if (const std::tm* p = std::localtime(&t)) tm = *p;
#else
  localtime_r(&t, &tm);
#endif
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}
