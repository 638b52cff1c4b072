#pragma once
// Time as the program needs it: a millisecond tick count for waits, and date-times stored as
// day counts (days since 30 December 1899, the fraction the time of day) as the records hold.

#include <cstdint>
#include <string>

namespace timebase {

// Milliseconds since an arbitrary start, wrapping like a 32-bit tick counter.
std::uint32_t TickCount();

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

double EncodeDayCount(const DateTimeParts& parts);
DateTimeParts DecodeDayCount(double dayCount);

// The current local date and time as a day count.
double NowDayCount();

// "DD.MM.YYYY" and "HH:MM:SS", the fixed German display formats.
std::string FormatDate(double dayCount);
std::string FormatTime(double dayCount);

}  // namespace timebase
