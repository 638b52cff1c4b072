#include "FtpDateTime.h"

#include <cmath>
#include <ctime>

namespace {

// Days from 1970-01-01 to a civil date (proleptic Gregorian), after H. Hinnant's algorithm.
long long DaysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

FtpCivilDate CivilFromDays(long long days) {
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yearOfEra + era * 400) + (month <= 2 ? 1 : 0);
  return {year, month, day};
}

// 30 December 1899, day 0 of the day count, as days since 1970.
const long long kDayZero = DaysFromCivil(1899, 12, 30);
constexpr double kMillisecondsPerDay = 86400000.0;

}  // namespace

bool FtpIsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::optional<double> FtpEncodeDate(int year, int month, int day) {
  static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
  const int last = kDaysInMonth[month - 1] + (month == 2 && FtpIsLeapYear(year) ? 1 : 0);
  if (day > last) return std::nullopt;
  return static_cast<double>(DaysFromCivil(year, month, day) - kDayZero);
}

std::optional<double> FtpEncodeTime(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999)
    return std::nullopt;
  return ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 / kMillisecondsPerDay +
         millisecond / kMillisecondsPerDay;
}

FtpCivilDateTime FtpDecodeDateTime(double dayCount) {
  // Times count forward from midnight also before day 0, as in the stored records.
  const double wholeDays = std::trunc(dayCount);
  long long days = static_cast<long long>(wholeDays);
  long long ms = std::llround(std::fabs(dayCount - wholeDays) * kMillisecondsPerDay);
  if (ms >= 86400000) {
    ms -= 86400000;
    days += dayCount < 0 ? -1 : 1;
  }
  FtpCivilDateTime result;
  result.Date = CivilFromDays(days + kDayZero);
  result.Hour = static_cast<int>(ms / 3600000);
  result.Minute = static_cast<int>(ms / 60000 % 60);
  result.Second = static_cast<int>(ms / 1000 % 60);
  result.Millisecond = static_cast<int>(ms % 1000);
  return result;
}

FtpCivilDate FtpToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}
