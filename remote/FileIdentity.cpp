#include "FileIdentity.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <ctime>

namespace remote {

namespace {

bool Digits(const std::string& text, std::size_t from, std::size_t count) {
  if (text.size() < from + count) return false;
  for (std::size_t i = from; i < from + count; ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

int Number(const std::string& text, std::size_t from, std::size_t count) {
  return std::stoi(text.substr(from, count));
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian), without the local time zone.
std::int64_t DaysFromCivil(int year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return static_cast<std::int64_t>(era) * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

}  // namespace

bool SameCopy(const FileIdentity& before, const FileIdentity& now) {
  if (before.exists != now.exists) return false;
  if (!before.exists) return true;
  if (before.size >= 0 && now.size >= 0 && before.size != now.size) return false;
  const bool timed = before.precision != TimePrecision::None && now.precision != TimePrecision::None;
  if (timed) {
    if (before.mtime != now.mtime) return false;
    const bool fine =
        before.precision == TimePrecision::Subsecond && now.precision == TimePrecision::Subsecond;
    return !fine || before.nanos == now.nanos;
  }
  if (!before.listingLine.empty() && !now.listingLine.empty()) return before.listingLine == now.listingLine;
  return true;
}

std::optional<FileIdentity> ParseServerTime(const std::string& text) {
  if (!Digits(text, 0, 14)) return std::nullopt;
  const int year = Number(text, 0, 4);
  const int month = Number(text, 4, 2), day = Number(text, 6, 2);
  const int hour = Number(text, 8, 2), minute = Number(text, 10, 2), second = Number(text, 12, 2);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
    return std::nullopt;
  FileIdentity identity;
  identity.exists = true;
  identity.precision = TimePrecision::Second;
  identity.mtime = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
                   hour * 3600 + minute * 60 + second;
  if (text.size() == 14) return identity;
  const std::size_t fractionDigits = text.size() - 15;
  if (text[14] != '.' || fractionDigits == 0 || fractionDigits > 9 || !Digits(text, 15, fractionDigits))
    return std::nullopt;
  std::string nanos = text.substr(15);
  nanos.resize(9, '0');
  identity.nanos = std::stoi(nanos);
  identity.precision = TimePrecision::Subsecond;
  return identity;
}

std::string ServerTimeText(const FileIdentity& identity) {
  const std::time_t seconds = static_cast<std::time_t>(identity.mtime);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &utc);
  std::string result = text;
  if (identity.precision == TimePrecision::Subsecond) {
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, ".%09d", identity.nanos);
    result += fraction;
  }
  return result;
}

FileIdentity RemoteSession::GetIdentified(const std::string& remotePath, const std::string& localPath) {
  FileIdentity copy = Identify(remotePath);
  Get(remotePath, localPath);
  return copy;
}

FileIdentity LocalFileIdentity(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return FileIdentity{};
  FileIdentity identity;
  identity.exists = true;
  identity.size = static_cast<std::int64_t>(info.st_size);
  identity.mtime = static_cast<std::int64_t>(info.st_mtim.tv_sec);
  identity.nanos = static_cast<std::int32_t>(info.st_mtim.tv_nsec);
  identity.precision = TimePrecision::Subsecond;
  return identity;
}

std::optional<FileIdentity> ParseSizeAndTime(const std::string& text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos || !Digits(text, 0, comma) || comma == 0 || comma > 18) return std::nullopt;
  std::optional<FileIdentity> identity = ParseServerTime(text.substr(comma + 1));
  if (!identity) return std::nullopt;
  identity->size = std::stoll(text.substr(0, comma));
  return identity;
}

std::string DescribeCopy(const FileIdentity& identity) {
  if (!identity.exists) return "nicht vorhanden";
  const std::string digits = std::to_string(identity.size < 0 ? 0 : identity.size);
  std::string size;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) size += '.';
    size += digits[i];
  }
  const std::string bytes = identity.size < 0 ? "" : size + " Bytes";
  if (identity.precision == TimePrecision::None)
    return identity.listingLine.empty() ? bytes : bytes + ", \"" + identity.listingLine + "\"";
  const std::time_t seconds = static_cast<std::time_t>(identity.mtime);
  std::tm local{};
  localtime_r(&seconds, &local);
  char when[32];
  std::strftime(when, sizeof when, "%d.%m.%Y %H:%M:%S", &local);
  return bytes.empty() ? when : bytes + ", " + when;
}

}  // namespace remote
