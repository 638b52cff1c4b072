// Date-times as day counts: days since 30 December 1899, the fraction is the time of day.
#pragma once

#include <optional>

struct FtpCivilDate {
  int Year = 1899;
  int Month = 12;
  int Day = 30;
};

struct FtpCivilDateTime {
  FtpCivilDate Date;
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  int Millisecond = 0;
};

// The day count of a calendar date, nothing for a date that does not exist.
std::optional<double> FtpEncodeDate(int year, int month, int day);

// The fraction of a day, nothing for a time that does not exist.
std::optional<double> FtpEncodeTime(int hour, int minute, int second, int millisecond);

// The calendar date and time of a day count (rounded to the millisecond).
FtpCivilDateTime FtpDecodeDateTime(double dayCount);

// Today in the local calendar.
FtpCivilDate FtpToday();

bool FtpIsLeapYear(int year);
