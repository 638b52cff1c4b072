#include "MatrixScene.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>

#include "ChildProcess.h"

Scene::Scene(const ServerUnderTest& s, const std::string& name, const fs::path& localFolder)
    : server(s),
      here(s.folder / name),
      remote((s.remoteFolder == "/" ? "" : s.remoteFolder) + "/" + name),
      local(localFolder) {
  fs::create_directories(here);
  fs::create_directories(local / "home");
}

void Scene::HandOver() const {
  if (server.owner == 0) return;
  ::lchown(here.c_str(), server.owner, server.owner);
  for (const auto& entry : fs::recursive_directory_iterator(here))
    ::lchown(entry.path().c_str(), server.owner, server.owner);
}

// No terminal, no agent, no keys or known_hosts of the machine's user.
LadekoOutcome Scene::Run(const std::vector<std::string>& command,
                         const std::vector<std::string>& options) const {
  return RunWith(server.login, server.trust, options, command);
}

LadekoOutcome Scene::RunWith(const std::vector<std::string>& login, const std::vector<std::string>& trust,
                             const std::vector<std::string>& options,
                             const std::vector<std::string>& command) const {
  HandOver();
  // env sets the variables over the inherited ones (a shell would let the later ones win).
  std::vector<std::string> argv = {
      "sh", "-c", "exec env \"$@\" </dev/null", "sh", "HOME=" + (local / "home").string(), "SSH_AUTH_SOCK="};
  argv.insert(argv.end(), server.environment.begin(), server.environment.end());
  argv.insert(argv.end(), {LADEKO_FTP, "--timeout", "20"});
  const auto add = [&argv](const std::vector<std::string>& words) {
    argv.insert(argv.end(), words.begin(), words.end());
  };
  add(server.options);
  add(trust);
  add(login);
  add(options);
  add({server.host, "cd", remote});
  add(command);
  LadekoOutcome outcome;
  outcome.output = RunProgram(argv, &outcome.status, {}, true);
  return outcome;
}

void Put(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string Get(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void SetTime(const fs::path& path, std::int64_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

std::string Bytes(std::size_t count, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

std::map<std::string, std::string> TreeOf(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    if (entry.is_symlink()) tree[name] = "-> " + fs::read_symlink(entry.path()).string();
    else if (entry.is_directory()) tree[name] = "<Ordner>";
    else tree[name] = Get(entry.path());
  }
  return tree;
}

void WriteTree(const fs::path& root) {
  const std::vector<std::string> names = {"Übungen/Größe.txt",
                                          "Łódź.evd",
                                          "日本語/β.txt",
                                          "name with spaces.txt",
                                          "two  blanks",
                                          "-leading-dash",
                                          std::string(192, 'a') + "ää.txt"};  // 200 bytes
  unsigned seed = 1;
  for (const std::string& name : names) Put(root / name, Bytes(1000 + 7919 * seed, seed)), ++seed;
  Put(root / "leer.txt", "");
  fs::create_directories(root / "leerer Ordner");
}

std::string TreeDifference(const fs::path& expected, const fs::path& actual) {
  if (!fs::is_directory(actual)) return actual.string() + " fehlt\n";
  const auto want = TreeOf(expected);
  const auto got = TreeOf(actual);
  std::string difference;
  for (const auto& [name, content] : want) {
    const auto found = got.find(name);
    if (found == got.end()) difference += "fehlt: " + name + "\n";
    else if (found->second != content) difference += "anders: " + name + "\n";
  }
  for (const auto& [name, content] : got)
    if (!want.contains(name)) difference += "zu viel: " + name + "\n";
  return difference;
}
