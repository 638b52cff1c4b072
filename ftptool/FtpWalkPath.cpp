#include "FtpWalkPath.h"

#include <algorithm>

#include "FtpError.h"
#include "Win1252.h"

void FtpWalkPath::Enter(const std::string& identity, const std::string& shownName) {
  const auto refuse = [this](const std::string& text) {
    if (OnRefusal) OnRefusal(text);
    throw FtpError(text);
  };
  if (identities_.size() >= kFtpMaxTreeDepth)
    refuse(A("Verzeichnisbaum tiefer als ") + std::to_string(kFtpMaxTreeDepth) +
                   A(" Ebenen, abgebrochen bei \"") + shownName + "\"");
  if (!identity.empty() && std::find(identities_.begin(), identities_.end(), identity) != identities_.end())
    refuse(A("Verzeichnis \"") + shownName +
                   A("\" ist ein übergeordnetes Verzeichnis (") + identity + A("), abgebrochen"));
  identities_.push_back(identity);
}
