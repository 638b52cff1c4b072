#include "FtpDeleteQuestion.h"

#include <system_error>

#include "FtpListPairing.h"
#include "FtpLocalPaths.h"
#include "FtpRemoteCalls.h"
#include "FtpWalkPath.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kNamedItems = 10;

std::string Counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string ItemLine(const FtpDeleteItem& item) {
  if (!item.Folder) return "Datei \"" + item.Caption + "\"";
  std::string line = "Ordner \"" + item.Caption + "\"";
  if (!item.Content) return line + " mit allem, was darin ist";
  if (item.Content->Files == 0 && item.Content->Folders == 0) return line + " (leer)";
  return line + " mit " + Counted(item.Content->Files, "Datei", "Dateien") + " und " +
         Counted(item.Content->Folders, "Ordner", "Ordnern");
}

bool CountRemote(remote::RemoteSession& session, const std::string& path, std::size_t depth,
                 FtpTreeCount& count) {
  if (depth > kFtpMaxTreeDepth) return false;
  std::vector<std::string> area;
  std::vector<FtpListedEntry> entries;
  try {
    entries = FtpListFolder(session, path, area);
  } catch (const std::exception&) {
    return false;
  }
  for (const FtpListedEntry& entry : entries) {
    if (entry.Name == "." || entry.Name == "..") continue;
    if (!entry.IsDirectory || entry.IsLink || !FtpIsSafeLocalName(entry.Name)) {
      ++count.Files;
      continue;
    }
    ++count.Folders;
    if (!CountRemote(session, path + "/" + entry.Name, depth + 1, count)) return false;
  }
  return true;
}

}  // namespace

FtpTreeCount FtpCountLocalTree(const fs::path& folder) {
  FtpTreeCount count;
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) ++count.Folders;
    else ++count.Files;
    if (it.depth() >= static_cast<int>(kFtpMaxTreeDepth)) it.disable_recursion_pending();
  }
  return count;
}

std::optional<FtpTreeCount> FtpCountRemoteTree(remote::RemoteSession& session, const std::string& path) {
  FtpTreeCount count;
  if (!CountRemote(session, path, 1, count)) return std::nullopt;
  return count;
}

std::string FtpDeleteQuestionText(const std::vector<FtpDeleteItem>& items) {
  std::string text = "Wirklich löschen?\n";
  for (std::size_t i = 0; i < items.size() && i < kNamedItems; ++i) text += "\n" + ItemLine(items[i]);
  if (items.size() > kNamedItems)
    text += "\nund " + Counted(items.size() - kNamedItems, "weiterer Eintrag", "weitere Einträge");
  return text;
}

std::vector<FtpDeleteItem> FtpDeleteItems(
    const std::vector<FtpSelectedRow>& rows,
    const std::function<std::optional<FtpTreeCount>(const FtpSelectedRow&)>& countFolder) {
  std::vector<FtpDeleteItem> items;
  for (const FtpSelectedRow& row : rows) {
    if (row.Image == 1 || row.Image == 2) continue;
    FtpDeleteItem item{row.Caption, row.Image == 0, std::nullopt};
    if (item.Folder && FtpIsSafeLocalName(row.Exact())) item.Content = countFolder(row);
    items.push_back(std::move(item));
  }
  return items;
}
