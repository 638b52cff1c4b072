#include "XdgFileTypes.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <fstream>
#include <sstream>

#include "Win1252.h"

namespace fs = std::filesystem;

namespace {

const std::string kCommandSuffix = "\\shell\\open\\command";
const std::string kIconSuffix = "\\DefaultIcon";

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

bool IsMimeTypeName(const std::string& s) {
  const size_t slash = s.find('/');
  if (slash == 0 || slash == std::string::npos || slash + 1 == s.size()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
                    c == '+' || c == '_' || (i == slash) || (i > slash && c >= 'A' && c <= 'Z');
    if (!ok || (c == '/' && i != slash)) return false;
  }
  return true;
}

std::string Slug(const std::string& description) {
  std::string slug;
  for (char c : win1252::ToUtf8(description)) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (keep) slug += c;
    else if (!slug.empty() && slug.back() != '-') slug += '-';
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return slug;
}

std::string IconFileName(const std::string& type) {
  std::string name = type;
  for (char& c : name)
    if (c == '/') c = '-';
  return name + ".svg";
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RegistryError("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ExtensionKey : public RegistryKey {
 public:
  ExtensionKey(XdgFileTypes& store, std::string ext) : store_(store), ext_(std::move(ext)) {}
  std::string ReadDefault() override { return store_.ReadExtension(ext_); }
  void WriteDefault(const std::string& value) override { store_.WriteExtension(ext_, value); }

 private:
  XdgFileTypes& store_;
  std::string ext_;
};

class CommandKey : public RegistryKey {
 public:
  CommandKey(XdgFileTypes& store, std::string type) : store_(store), type_(std::move(type)) {}
  std::string ReadDefault() override { return store_.ReadOpenCommand(type_); }
  void WriteDefault(const std::string& value) override { store_.WriteOpenCommand(type_, value); }

 private:
  XdgFileTypes& store_;
  std::string type_;
};

class IconKey : public RegistryKey {
 public:
  IconKey(XdgFileTypes& store, std::string type) : store_(store), type_(std::move(type)) {}
  std::string ReadDefault() override { return store_.HasIcon(type_) ? type_ : std::string(); }
  void WriteDefault(const std::string&) override { store_.WriteIcon(type_); }

 private:
  XdgFileTypes& store_;
  std::string type_;
};

// Runs a program found on PATH with one argument and waits for it; its output is dropped.
void RunQuietly(const char* program, const std::string& argument) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string arg0 = program;
  std::string arg1 = argument;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, &actions, nullptr, argv, environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
  }
  posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

XdgFileTypes::XdgFileTypes(xdg::Places places, XdgProgram program)
    : places_(std::move(places)), program_(std::move(program)) {}

std::string XdgFileTypes::TypeOf(const std::string& progId) {
  if (IsMimeTypeName(progId)) return progId;
  return "application/x-tirelo-" + Slug(progId);
}

std::unique_ptr<RegistryKey> XdgFileTypes::OpenOrCreate(const std::string& path) {
  if (places_.dataHome.empty()) return nullptr;
  if (!path.empty() && path[0] == '.' && path.find('\\') == std::string::npos)
    return std::make_unique<ExtensionKey>(*this, path);
  if (EndsWith(path, kCommandSuffix))
    return std::make_unique<CommandKey>(*this, TypeOf(path.substr(0, path.size() - kCommandSuffix.size())));
  if (EndsWith(path, kIconSuffix))
    return std::make_unique<IconKey>(*this, TypeOf(path.substr(0, path.size() - kIconSuffix.size())));
  return nullptr;
}

std::unique_ptr<RegistryKey> XdgFileTypes::Open(const std::string&) { return nullptr; }

std::string XdgFileTypes::ReadExtension(const std::string& ext) const {
  return xdg::TypeOfExtension(places_, ext).value_or("");
}

void XdgFileTypes::WriteExtension(const std::string& ext, const std::string& description) {
  const std::string type = TypeOf(description);
  std::ostringstream xml;
  xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      << "  <mime-type type=\"" << type << "\">\n"
      << "    <comment>" << xdg::EscapeXml(win1252::ToUtf8(description)) << "</comment>\n"
      << "    <glob pattern=\"*" << xdg::EscapeXml(win1252::ToUtf8(ext)) << "\"/>\n"
      << "  </mime-type>\n"
      << "</mime-info>\n";
  const std::string name = type.substr(type.find('/') + 1) + ".xml";
  try {
    if (xdg::WriteNewFile(places_.dataHome / "mime" / "packages" / name, xml.str())) wroteMime_ = true;
  } catch (const std::exception& e) {
    throw RegistryError(e.what());
  }
}

// The program's own entry counts as an open command only while it starts a program that is
// there: one left by a moved or removed installation is written again.
std::string XdgFileTypes::ReadOpenCommand(const std::string& type) const {
  const std::string id = xdg::ApplicationForType(places_, type, program_.desktopId).value_or("");
  if (id == program_.desktopId && !xdg::DesktopEntryRuns(places_, id)) return {};
  if (id.empty() && xdg::PackagedEntryOpens(places_, program_.desktopId, type, program_.executable))
    return program_.desktopId;
  return id;
}

void XdgFileTypes::WriteOpenCommand(const std::string& type, const std::string& command) {
  std::string program = command;
  const std::string argument = " \"%1\"";
  if (EndsWith(program, argument)) program.resize(program.size() - argument.size());
  try {
    if (!xdg::DesktopEntryRuns(places_, program_.desktopId)) {
      std::ostringstream entry;
      entry << "[Desktop Entry]\nType=Application\nName=" << program_.name << "\n";
      if (!program_.comment.empty()) entry << "Comment=" << program_.comment << "\n";
      entry << "Exec=" << xdg::ExecLine(win1252::ToUtf8(program)) << "\n"
            << "Icon=" << program_.iconName << "\nTerminal=false\nCategories=Education;Languages;\n"
            << "MimeType=";
      for (const std::string& description : program_.descriptions) entry << TypeOf(description) << ";";
      entry << "\n";
      // The user's entry comes first among the data folders, so it also stands in for a
      // broken one of a system folder.
      xdg::ReplaceFile(places_.dataHome / "applications" / program_.desktopId, entry.str());
      wroteDesktop_ = true;
      if (!program_.iconFile.empty() && fs::exists(program_.iconFile))
        xdg::WriteNewFile(places_.dataHome / "icons/hicolor/scalable/apps" / (program_.iconName + ".svg"),
                          ReadAll(program_.iconFile));
    }
    if (xdg::AddDefaultApplication(places_.dataHome / "applications" / "mimeapps.list", type,
                                   program_.desktopId))
      wroteDesktop_ = true;
  } catch (const RegistryError&) {
    throw;
  } catch (const std::exception& e) {
    throw RegistryError(e.what());
  }
}

bool XdgFileTypes::HasIcon(const std::string& type) const {
  const std::string name = IconFileName(type);
  return xdg::HicolorIconExists(places_, "mimetypes", name.substr(0, name.size() - 4));
}

void XdgFileTypes::WriteIcon(const std::string& type) {
  if (program_.iconFile.empty() || !fs::exists(program_.iconFile) || HasIcon(type)) return;
  try {
    xdg::WriteNewFile(places_.dataHome / "icons/hicolor/scalable/mimetypes" / IconFileName(type),
                      ReadAll(program_.iconFile));
  } catch (const RegistryError&) {
    throw;
  } catch (const std::exception& e) {
    throw RegistryError(e.what());
  }
}

const std::vector<std::string>& TrainerTypeDescriptions() {
  static const std::vector<std::string> descriptions{"Vokabel-Datei", "Lektion/Lerneinheit"};
  return descriptions;
}

bool RegisterTrainerFileType(const std::string& ext, const std::string& description,
                             const std::string& executable, const fs::path& iconFile) {
  XdgProgram program;
  program.comment = "Vokabeltrainerin Franz\xC3\xB6sisch";
  program.descriptions = TrainerTypeDescriptions();
  program.iconFile = iconFile;
  program.executable = executable;
  const xdg::Places places = xdg::Places::FromEnvironment();
  XdgFileTypes store(places, program);
  const bool ok = RegisterFileType(store, ext, description, executable);
  if (store.WroteMimePackage()) RunQuietly("update-mime-database", (places.dataHome / "mime").string());
  if (store.WroteDesktopEntry())
    RunQuietly("update-desktop-database", (places.dataHome / "applications").string());
  return ok;
}
