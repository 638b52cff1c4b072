#include "LadekoFtpRun.h"

#include <filesystem>
#include <iostream>
#include <string_view>

#include "FtpError.h"
#include "FtpNameCodec.h"
#include "LadekoTerminal.h"

namespace {

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

}  // namespace

std::string LadekoFtpRun::Remote(std::size_t i) const {
  const auto name = FtpServerNameOf(std::string_view(words[i]), client.NameEncoding());
  if (!name) throw FtpError(FtpNotWritableText(words[i]));
  return *name;
}

std::string FtpTerminalName(const FtpClient& client, const std::string& serverName) {
  const bool utf8 = client.NameEncoding() == FtpNameEncoding::Utf8;
  return TerminalText(utf8 ? serverName : FtpShownName(serverName, client.NameEncoding()));
}

void PrintFtpListing(const FtpClient& client, const FtpListItems& items) {
  for (const FtpListItem& item : items) {
    const char type = item.ItemType == FtpItemType::Directory      ? 'd'
                      : item.ItemType == FtpItemType::SymbolicLink ? 'l'
                                                                   : '-';
    const FtpCivilDateTime when = FtpDecodeDateTime(item.ModifiedDate);
    std::cout << type << ' ' << item.Size << ' ' << when.Date.Year << '-' << TwoDigits(when.Date.Month) << '-'
              << TwoDigits(when.Date.Day) << ' ' << TwoDigits(when.Hour) << ':' << TwoDigits(when.Minute)
              << ' ' << FtpTerminalName(client, item.FileName);
    if (item.ItemType == FtpItemType::SymbolicLink && !item.LinkedItemName.empty())
      std::cout << " -> " << FtpTerminalName(client, item.LinkedItemName);
    std::cout << '\n';
  }
}

void ExpectFtpDownload(FtpClient& client, const std::string& remoteName, LadekoProgress* progress) {
  if (!progress) return;
  std::int64_t size = -1;
  try {
    size = client.Size(remoteName);
  } catch (const FtpError&) {
    if (!client.Connected()) throw;
  }
  progress->Expect(size);
}

std::string FtpOwnNameOnServer(const FtpClient& client, const std::string& localPath) {
  const std::filesystem::path name = std::filesystem::path(localPath).filename();
  const auto serverName = FtpServerNameOf(name, client.NameEncoding());
  if (!serverName || serverName->empty()) throw FtpError(FtpNotWritableText(name.string()));
  return *serverName;
}
