// The access profile: the 1984-byte record of one FTP account whose raw image is a ".ftpz"
// file. It is kept as that byte image, so that a short file overwrites only its own length,
// text fields keep the bytes behind their length, and padding stays as it stands; the named
// accessors read and write the fields at their fixed little-endian offsets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace profilefield {
// Texts: a length byte (0-120) and 120 character bytes.
inline constexpr std::size_t Host = 0, Port = 121, User = 242, LocalDir = 363, RemoteDir = 484,
                             Password = 605, DownTargetFile = 726, DownSourceFile = 847,
                             UpSourceFile = 968, UpTargetFile = 1089, ProxyHost = 1213,
                             ProxyPort = 1334, ProxyUser = 1455, ProxyPassword = 1576,
                             DownCopyFile = 1724, NewFileName = 1862;
// Booleans: one byte, 0 or 1.
inline constexpr std::size_t OverwriteTarget = 1210, AppendTarget = 1211, SavePassword = 1212,
                             SaveProxyPassword = 1697, AutoConnect = 1704, AutoReconnect = 1705,
                             TimerReconnect = 1706, AutoDownload = 1707, AutoUpload = 1845,
                             DownSingleMode = 1860, DownWithNewFile = 1861;
// Signed 32-bit integers.
inline constexpr std::size_t ProxyMode = 1700, DownRepeatMinutes = 1720, UpRepeatMinutes = 1856;
// Day-count times (64-bit floats).
inline constexpr std::size_t DownStartTime = 1712, UpStartTime = 1848;
}  // namespace profilefield

class FtpAccessProfile {
 public:
  static constexpr std::size_t kSize = 1984;
  static constexpr std::size_t kTextCapacity = 120;

  using Bytes = std::array<std::uint8_t, kSize>;

  // Zero in a record never filled from a file.
  Bytes bytes{};

  // The first length bytes of a text field.
  std::string Text(std::size_t offset) const;
  // Sets length and characters; a text longer than 120 is cut. The bytes behind stay.
  void SetText(std::size_t offset, std::string_view text);

  bool Bool(std::size_t offset) const { return bytes[offset] != 0; }
  void SetBool(std::size_t offset, bool value) { bytes[offset] = value ? 1 : 0; }

  std::int32_t Int(std::size_t offset) const;
  void SetInt(std::size_t offset, std::int32_t value);

  double Time(std::size_t offset) const;
  void SetTime(std::size_t offset, double value);
};
