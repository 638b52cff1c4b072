// What the protocol chosen on the page "Anmeldung" means for a connection, and where a profile
// keeps it: the 1984-byte record has no field left, so the choice lives in a side record beside
// the profile file ("NAME.ftpz.protokoll", a line "protocol=sftp"). A profile without one, or
// with one this version cannot read, is the first choice (FTP, encrypted when offered).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "FtpProfile.h"
#include "FtpSftpHost.h"
#include "FtpTls.h"

// 21 for the three FTP choices, 22 for SFTP: the port field follows these until typed over.
std::uint16_t FtpStandardPort(FtpProtocol protocol);

// The FTP client's TLS setting for a choice (SFTP has none: Off).
FtpTlsMode FtpTlsModeOf(FtpProtocol protocol);

// Where an SFTP connection goes: the "sftp://" host's own parts, else the plain host when the
// choice is SFTP; nothing for FTP. Raises std::invalid_argument for a bad "sftp://" host.
std::optional<SftpTarget> FtpSftpTargetOf(const FtpLoginValues& login);

std::filesystem::path FtpProtocolRecordPath(const std::filesystem::path& profile);
FtpProtocol ReadProtocolRecord(const std::filesystem::path& profile);
// Written as a private file through ReplacingFile; false when it cannot be written.
bool WriteProtocolRecord(const std::filesystem::path& profile, FtpProtocol protocol);
