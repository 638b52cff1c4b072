#include "LadekoSecrets.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <fstream>

std::optional<std::string> ReadPasswordFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string line;
  std::getline(in, line);
  if (in.bad()) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool InputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

namespace {

// What a signal handler needs to give the terminal its echo back.
int g_terminal = -1;
termios g_saved{};

constexpr std::array<int, 4> kEndingSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void RestoreTerminalAndDie(int signal) {
  ::tcsetattr(g_terminal, TCSANOW, &g_saved);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written <= 0) return;
    done += static_cast<std::size_t>(written);
  }
}

std::string ReadLine(int fd) {
  std::string line;
  char c = 0;
  while (::read(fd, &c, 1) == 1 && c != '\n') line += c;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

std::optional<std::string> AskHidden(const std::string& prompt) {
  const int terminal = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (terminal < 0) return std::nullopt;
  termios saved{};
  if (::tcgetattr(terminal, &saved) != 0) {
    ::close(terminal);
    return std::nullopt;
  }
  g_terminal = terminal;
  g_saved = saved;
  std::array<struct sigaction, kEndingSignals.size()> previous{};
  struct sigaction restore {};
  restore.sa_handler = RestoreTerminalAndDie;
  sigemptyset(&restore.sa_mask);
  for (std::size_t i = 0; i < kEndingSignals.size(); ++i)
    ::sigaction(kEndingSignals[i], &restore, &previous[i]);

  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL);
  // The echo goes off before the prompt shows, so nothing typed after it can appear.
  ::tcsetattr(terminal, TCSAFLUSH, &quiet);
  WriteAll(terminal, prompt);
  std::string answer = ReadLine(terminal);
  ::tcsetattr(terminal, TCSAFLUSH, &saved);
  WriteAll(terminal, "\n");

  for (std::size_t i = 0; i < kEndingSignals.size(); ++i)
    ::sigaction(kEndingSignals[i], &previous[i], nullptr);
  g_terminal = -1;
  ::close(terminal);
  return answer;
}
