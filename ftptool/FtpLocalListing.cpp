#include "FtpLocalListing.h"

#include <system_error>

#include "FtpError.h"
#include "FtpLocalPaths.h"
#include "FtpNameCodec.h"
#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

std::string DateOf(const fs::path& path, double& dayCount) {
  std::error_code ec;
  const auto time = fs::last_write_time(path, ec);
  if (ec) return {};
  dayCount = FtpFileTimeDayCount(time);
  return FtpDateText(dayCount);
}

// A row of a local entry: its file-system name kept, its display text decoded from it.
FtpBrowserRow NamedRow(const fs::path& name, int image) {
  FtpBrowserRow row;
  row.Caption = FtpShownName(name.native(), FtpNameEncoding::Utf8);
  row.Image = image;
  row.Name = name.native();
  return row;
}

}  // namespace

FtpBrowserRows FtpLocalRows(const fs::path& folder, FtpSortColumn column) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) throw FtpError(A("Verzeichnis kann nicht gelesen werden: ") + FtpPathText(folder));

  FtpBrowserRows rows;
  const fs::path last = FtpLastComponent(folder);
  FtpBrowserRow current = NamedRow(last.empty() ? folder : last, ftpimage::kCurrentDirectory);
  current.DateText = DateOf(folder, current.Date);
  rows.push_back(current);
  const fs::path absolute = fs::absolute(folder, ec);
  if (ec || absolute.relative_path().has_filename() || absolute.relative_path().has_parent_path())
    rows.push_back(NamedRow("..", ftpimage::kParent));

  int nextImage = ftpimage::kFirstLocalFile;
  for (fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) break;
    const fs::path& path = it->path();
    std::error_code entryError;
    FtpBrowserRow row = NamedRow(path.filename(), ftpimage::kDirectory);
    if (it->is_directory(entryError)) {
      row.DateText = DateOf(path, row.Date);
    } else {
      const auto size = it->file_size(entryError);
      if (entryError) continue;  // a dangling link or an entry gone meanwhile
      row.SizeText = std::to_string(size);
      row.DateText = DateOf(path, row.Date);
      row.Image = nextImage++;
    }
    rows.push_back(std::move(row));
  }
  if (ec) throw FtpError(A("Verzeichnis kann nicht gelesen werden: ") + FtpPathText(folder));
  SortBrowserRows(rows, column);
  return rows;
}

bool ListLocalDirectory(FtpLocalSide& side, FtpToolView& view, FtpSortColumn column) {
  side.Rows.clear();
  try {
    side.Rows = FtpLocalRows(FtpFolderOfField(side.PathField), column);
    side.LastGoodFolder = side.PathField;
    return true;
  } catch (const std::exception& error) {
    view.ShowFtpStatus(2, "A1: " + std::string(error.what()));
    return false;
  }
}

bool ChangeLocalDirectory(FtpLocalSide& side, FtpToolView& view, FtpSortColumn column,
                          const std::function<void()>& clearModified) {
  view.ClearFtpStatus(2, 2);
  std::error_code ec;
  if (!side.PathField.empty() && fs::is_directory(FtpFolderOfField(side.PathField), ec))
    return ListLocalDirectory(side, view, column);
  side.PathField = side.LastGoodFolder;
  view.ShowFtpStatus(2, "Wechsel ins Verzeichnis fehlgeschlagen");
  if (clearModified) clearModified();
  ListLocalDirectory(side, view, column);
  return false;
}

std::string FtpLocalFieldAfterOpen(const std::string& pathField, const FtpBrowserRow& row) {
  if (row.Image == ftpimage::kParent) {
    std::string field = pathField;
    while (field.size() > 1 && field.back() == '/') field.pop_back();
    const std::size_t slash = field.rfind('/');
    if (slash == std::string::npos) return field;
    return slash == 0 ? "/" : field.substr(0, slash);
  }
  if (row.Image == ftpimage::kDirectory)
    return pathField + (pathField.empty() || pathField.back() == '/' ? "" : "/") + FtpPathText(row.Name);
  return pathField;
}
