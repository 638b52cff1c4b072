#include "XdgFiles.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "XdgExec.h"
#include "XdgKeyFile.h"

namespace xdg {

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

fs::path HomeFolder(const char* sub) { return fs::path(Env("HOME")) / sub; }

std::vector<fs::path> SplitPaths(const std::string& list, const std::string& fallback) {
  std::vector<fs::path> paths;
  std::stringstream in(list.empty() ? fallback : list);
  for (std::string part; std::getline(in, part, ':');)
    if (!part.empty()) paths.emplace_back(part);
  return paths;
}

std::optional<std::string> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The items of key in the given group of an ini-style file (none when absent).
std::vector<std::string> GroupValues(const std::string& text, const std::string& group,
                                     const std::string& key) {
  const std::optional<std::string> value = KeyFile(text).Value(group, key);
  return value ? ListItems(*value) : std::vector<std::string>{};
}

// The types of one compiled globs2 file ("weight:type:glob[:flags]") matching pattern.
std::optional<std::string> TypeInGlobs2(const std::string& text, const std::string& pattern) {
  for (const std::string& line : Lines(text)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t a = line.find(':');
    const size_t b = a == std::string::npos ? a : line.find(':', a + 1);
    if (b == std::string::npos) continue;
    const size_t c = line.find(':', b + 1);
    const std::string glob = line.substr(b + 1, c == std::string::npos ? std::string::npos : c - b - 1);
    if (Lower(glob) == pattern) return line.substr(a + 1, b - a - 1);
  }
  return std::nullopt;
}

// The type of a mime-type element of a package whose glob is pattern.
std::optional<std::string> TypeInPackage(const std::string& xml, const std::string& pattern) {
  size_t at = 0;
  while ((at = xml.find("<mime-type", at)) != std::string::npos) {
    const size_t end = xml.find("</mime-type>", at);
    const std::string element = xml.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? xml.size() : end;
    const size_t t = element.find("type=\"");
    if (t == std::string::npos) continue;
    const std::string type = element.substr(t + 6, element.find('"', t + 6) - t - 6);
    for (size_t g = 0; (g = element.find("pattern=\"", g)) != std::string::npos;) {
      g += 9;
      if (Lower(element.substr(g, element.find('"', g) - g)) == pattern) return type;
    }
  }
  return std::nullopt;
}

bool EntryListsType(const fs::path& entry, const std::string& type) {
  const std::optional<std::string> text = ReadFile(entry);
  if (!text) return false;
  for (const std::string& item : GroupValues(*text, "Desktop Entry", "MimeType"))
    if (item == type) return true;
  return false;
}

}  // namespace

Places Places::FromEnvironment() {
  Places places;
  const std::string dataHome = Env("XDG_DATA_HOME");
  places.dataHome = dataHome.empty() ? HomeFolder(".local/share") : fs::path(dataHome);
  places.dataDirs = SplitPaths(Env("XDG_DATA_DIRS"), "/usr/local/share:/usr/share");
  const std::string configHome = Env("XDG_CONFIG_HOME");
  places.configHome = configHome.empty() ? HomeFolder(".config") : fs::path(configHome);
  places.configDirs = SplitPaths(Env("XDG_CONFIG_DIRS"), "/etc/xdg");
  return places;
}

std::vector<fs::path> Places::AllDataDirs() const {
  std::vector<fs::path> dirs{dataHome};
  dirs.insert(dirs.end(), dataDirs.begin(), dataDirs.end());
  return dirs;
}

std::optional<std::string> TypeOfExtension(const Places& places, const std::string& ext) {
  const std::string pattern = "*" + Lower(ext);
  for (const fs::path& dir : places.AllDataDirs())
    if (const auto text = ReadFile(dir / "mime" / "globs2"))
      if (auto type = TypeInGlobs2(*text, pattern)) return type;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(places.dataHome / "mime" / "packages", ec)) {
    if (entry.path().extension() != ".xml") continue;
    if (const auto xml = ReadFile(entry.path()))
      if (auto type = TypeInPackage(*xml, pattern)) return type;
  }
  return std::nullopt;
}

std::optional<std::string> ApplicationForType(const Places& places, const std::string& type,
                                              const std::string& ownId) {
  std::vector<fs::path> lists{places.configHome / "mimeapps.list"};
  for (const fs::path& dir : places.configDirs) lists.push_back(dir / "mimeapps.list");
  for (const fs::path& dir : places.AllDataDirs()) lists.push_back(dir / "applications" / "mimeapps.list");
  for (const fs::path& list : lists) {
    const std::optional<std::string> text = ReadFile(list);
    if (!text) continue;
    for (const char* group : {"Default Applications", "Added Associations"}) {
      const std::vector<std::string> ids = GroupValues(*text, group, type);
      if (!ids.empty()) return ids.front();
    }
  }
  for (const fs::path& dir : places.AllDataDirs()) {
    const fs::path apps = dir / "applications";
    if (const auto cache = ReadFile(apps / "mimeinfo.cache"))
      for (const std::string& id : GroupValues(*cache, "MIME Cache", type))
        if (id != ownId) return id;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(apps, ec)) {
      const std::string id = entry.path().filename().string();
      if (entry.path().extension() == ".desktop" && id != ownId && EntryListsType(entry.path(), type))
        return id;
    }
  }
  return std::nullopt;
}

std::optional<fs::path> FindDesktopEntry(const Places& places, const std::string& id) {
  std::error_code ec;
  for (const fs::path& dir : places.AllDataDirs())
    if (fs::exists(dir / "applications" / id, ec)) return dir / "applications" / id;
  return std::nullopt;
}

bool DesktopEntryExists(const Places& places, const std::string& id) {
  return FindDesktopEntry(places, id).has_value();
}

bool DesktopEntryRuns(const Places& places, const std::string& id) {
  const std::optional<fs::path> entry = FindDesktopEntry(places, id);
  const std::optional<std::string> text = entry ? ReadFile(*entry) : std::nullopt;
  if (!text) return false;
  const std::optional<std::string> exec = KeyFile(*text).Value("Desktop Entry", "Exec");
  const std::optional<std::string> program = exec ? ExecProgram(*exec) : std::nullopt;
  return program && ProgramRuns(*program);
}

bool PackagedEntryOpens(const Places& places, const std::string& id, const std::string& type,
                        const std::string& executable) {
  const std::optional<fs::path> entry = FindDesktopEntry(places, id);
  if (!entry || entry->parent_path() == places.dataHome / "applications" || !EntryListsType(*entry, type))
    return false;
  const std::optional<std::string> text = ReadFile(*entry);
  const std::optional<std::string> exec = text ? KeyFile(*text).Value("Desktop Entry", "Exec") : std::nullopt;
  const std::optional<std::string> program = exec ? ExecProgram(*exec) : std::nullopt;
  std::error_code ec;
  return program && !executable.empty() && fs::equivalent(*program, executable, ec) && !ec;
}

bool HicolorIconExists(const Places& places, const std::string& context, const std::string& name) {
  std::error_code ec;
  for (const fs::path& dir : places.AllDataDirs())
    for (const auto& size : fs::directory_iterator(dir / "icons" / "hicolor", ec))
      for (const char* extension : {".png", ".svg"})
        if (fs::exists(size.path() / context / (name + extension), ec)) return true;
  return false;
}

bool AddDefaultApplication(const fs::path& file, const std::string& type, const std::string& id) {
  KeyFile list(ReadFile(file).value_or(""));
  if (!GroupValues(list.Text(), "Default Applications", type).empty()) return false;
  list.Add("Default Applications", type, id + ";");
  ReplaceFile(file, list.Text());
  return true;
}

void ReplaceFile(const fs::path& path, const std::string& content) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  const fs::path temp = path.string() + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) throw std::runtime_error("cannot write " + temp.string());
  }
  fs::rename(temp, path);
}

bool WriteNewFile(const fs::path& path, const std::string& content) {
  std::error_code ec;
  if (fs::exists(path, ec) || fs::is_symlink(path, ec)) return false;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
  return true;
}

std::string ExecLine(const std::string& program) {
  bool quote = false;
  std::string inner;
  for (char c : program) {
    if (std::string(" \t\n\"'\\><~|&;$*?#()`").find(c) != std::string::npos) quote = true;
    if (c == '"' || c == '`' || c == '$' || c == '\\') inner += '\\';
    inner += c;
  }
  std::string value = quote ? "\"" + inner + "\"" : inner;
  // The desktop entry's string escapes come on top: a backslash is written twice; a literal
  // percent sign is doubled for the field codes.
  std::string escaped;
  for (char c : value) {
    if (c == '\\') escaped += "\\\\";
    else if (c == '%') escaped += "%%";
    else escaped += c;
  }
  return escaped + " %f";
}

std::string EscapeXml(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (c == '>') out += "&gt;";
    else if (c == '"') out += "&quot;";
    else out += c;
  }
  return out;
}

}  // namespace xdg
