#include "Clock.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace timebase {
namespace {

// Days from 0001-03-01 style civil algorithm (Howard Hinnant), shifted to the 1899-12-30 epoch.
long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long kEpoch = DaysFromCivil(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;

}  // namespace

std::uint32_t TickCount() {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return static_cast<std::uint32_t>(ms);
}

double EncodeDayCount(const DateTimeParts& p) {
  const double days = static_cast<double>(DaysFromCivil(p.year, p.month, p.day) - kEpoch);
  const double ms = ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond;
  // Before the epoch the fraction counts forward from the day's start, as the records do.
  return days >= 0 ? days + ms / kMsPerDay : days - ms / kMsPerDay;
}

DateTimeParts DecodeDayCount(double dayCount) {
  DateTimeParts p;
  const double whole = std::trunc(dayCount);
  long ms = std::lround(std::fabs(dayCount - whole) * kMsPerDay);
  long days = static_cast<long>(whole);
  if (ms >= 86400000L) {
    ms -= 86400000L;
    days += dayCount >= 0 ? 1 : -1;
  }
  CivilFromDays(days + kEpoch, p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

double NowDayCount() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  return EncodeDayCount({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec, static_cast<int>(ms)});
}

std::string FormatDate(double dayCount) {
  const DateTimeParts p = DecodeDayCount(dayCount);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", p.day, p.month, p.year);
  return buf;
}

std::string FormatTime(double dayCount) {
  const DateTimeParts p = DecodeDayCount(dayCount);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", p.hour, p.minute, p.second);
  return buf;
}

}  // namespace timebase
