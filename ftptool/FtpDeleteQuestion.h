// The question before a deletion names what will go: each marked entry by name, and for a
// folder the files and folders in it, so a click on the wrong row is seen before the tree is
// gone. Counting walks the tree without following links, to the walks' depth limit.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "FtpSelectionTransfer.h"
#include "RemoteSession.h"

struct FtpTreeCount {
  std::size_t Files = 0;
  std::size_t Folders = 0;
  bool operator==(const FtpTreeCount&) const = default;
};

struct FtpDeleteItem {
  std::string Caption;  // UTF-8
  bool Folder = false;
  std::optional<FtpTreeCount> Content;  // a folder's content; none when it could not be counted
};

// What lies below a local folder (links count as files and are not followed).
FtpTreeCount FtpCountLocalTree(const std::filesystem::path& folder);

// What lies below a folder of the server (path in server bytes, relative to the current
// folder); nullopt when a listing fails.
std::optional<FtpTreeCount> FtpCountRemoteTree(remote::RemoteSession& session, const std::string& path);

// "Wirklich löschen?" and a line for each item, at most ten, then how many more (UTF-8).
std::string FtpDeleteQuestionText(const std::vector<FtpDeleteItem>& items);

// The items of the marked rows ("." and ".." left out); countFolder is asked for each folder
// whose name stays inside the listed folder.
std::vector<FtpDeleteItem> FtpDeleteItems(
    const std::vector<FtpSelectedRow>& rows,
    const std::function<std::optional<FtpTreeCount>(const FtpSelectedRow&)>& countFolder);
