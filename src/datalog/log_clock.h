// The clock the log writer asks for the local time: the file name template and the date and
// time of each record. The program uses the C runtime's local time; tests fix the time.
#pragma once

struct LocalTime {
  int year;    // four digits, e.g. 2008
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;  // 0..59
  int second;  // 0..59 (60 on a leap second)
};

class LogClock {
 public:
  virtual ~LogClock() = default;
  virtual LocalTime Now() = 0;
};

// Local time from the C runtime (time and localtime); portable, used by the program.
class CrtLogClock : public LogClock {
 public:
  LocalTime Now() override;
};
