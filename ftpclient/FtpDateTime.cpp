#include "FtpDateTime.h"

#include <cmath>
#include <ctime>

#include "Clock.h"

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;

}  // namespace

bool FtpIsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::optional<double> FtpEncodeDate(int year, int month, int day) {
  static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
  const int last = kDaysInMonth[month - 1] + (month == 2 && FtpIsLeapYear(year) ? 1 : 0);
  if (day > last) return std::nullopt;
  return timebase::EncodeDayCount({year, month, day});
}

std::optional<double> FtpEncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    return std::nullopt;
  return ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 / kMillisecondsPerDay +
         millisecond / kMillisecondsPerDay;
}

FtpCivilDateTime FtpDecodeDateTime(double dayCount) {
  const timebase::DateTimeParts p = timebase::DecodeDayCount(dayCount);
  return {{p.year, p.month, p.day}, p.hour, p.minute, p.second, p.millisecond};
}

FtpCivilDate FtpToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}
