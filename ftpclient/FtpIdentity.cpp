// What a server file is now, for the check before it is replaced: MLST's size and modify facts
// where FEAT offers MLST, else MDTM and SIZE, else the file's own LIST line (servers without
// times). A refusal with 550 on every way means the file is not there.
#include <cctype>

#include "FileIdentity.h"
#include "FtpClient.h"
#include "FtpError.h"
#include "FtpListing.h"
#include "FtpProtocol.h"

namespace {

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "type=file;size=5;modify=20261209101010.123; name": the value of one fact, "" without it.
std::string Fact(const std::string& line, const std::string& name) {
  const std::string facts = Lowered(line.substr(0, line.find(' ')));
  std::size_t at = 0;
  while (at < facts.size()) {
    const std::size_t end = facts.find(';', at);
    const std::string fact = facts.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (fact.rfind(name + "=", 0) == 0) return fact.substr(name.size() + 1);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return "";
}

remote::FileIdentity Absent() { return remote::FileIdentity{}; }

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

remote::FileIdentity FtpClient::Identify(const std::string& name) {
  if (OffersMachineListing()) {
    ChooseMachineFacts();
    const int code = SendCmd("MLST " + name);
    if (code == 250 && lastCmdResult_.Lines.size() >= 3) return MachineIdentity(lastCmdResult_.Lines[1]);
    if (code == 550) return Absent();
  }
  const int timeCode = SendCmd("MDTM " + name);
  const std::string timeText = FtpTrim(lastCmdResult_.JoinedText());
  const std::int64_t size = Size(name);
  const int sizeCode = lastCmdResult_.NumericCode;
  if (timeCode == 213)
    if (auto identity = remote::ParseServerTime(timeText)) {
      identity->size = size;
      return *identity;
    }
  if (timeCode == 550 && sizeCode == 550) return Absent();
  return ListedIdentity(name, size);
}

remote::FileIdentity FtpClient::MachineIdentity(const std::string& factLine) {
  remote::FileIdentity identity;
  if (const auto time = remote::ParseServerTime(Fact(factLine, "modify"))) identity = *time;
  identity.exists = true;
  const std::string type = Fact(factLine, "type");
  identity.folder = type == "dir" || type == "cdir" || type == "pdir";
  const std::string size = Fact(factLine, "size");
  const bool number =
      !size.empty() && size.size() < 19 && size.find_first_not_of("0123456789") == std::string::npos;
  identity.size = number ? std::stoll(size) : -1;
  if (identity.precision == remote::TimePrecision::None) identity.listingLine = factLine;
  return identity;
}

// The server has no times: the file's own listing line stands in (its date is to the minute
// at best, in the server's zone; a change within the same minute that keeps the size and the
// line goes unseen).
remote::FileIdentity FtpClient::ListedIdentity(const std::string& name, std::int64_t size) {
  std::vector<std::string> lines;
  try {
    lines = ReceiveLines("LIST " + name);
  } catch (const FtpReplyError&) {
    if (!Connected()) throw;
    return Absent();
  }
  for (const FtpListItem& item : FtpParseListing(lines, FtpToday(), ListingHooks)) {
    if (item.FileName != name && item.FileName != BaseName(name)) continue;
    remote::FileIdentity identity;
    identity.exists = true;
    identity.size = size >= 0 ? size : item.Size;
    identity.listingLine = lines[item.LineIndex];
    return identity;
  }
  return Absent();
}
