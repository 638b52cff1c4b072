// Programs the tests run: one to its end with its output kept, or a server in the background
// that ends with the object.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Runs a program to its end; its standard output comes back, the exit code in *status.
// With withErrors its standard error comes back too, in the same stream. The entries of
// extraEnvironment ("NAME=value") go before this process's own and win over them.
std::string RunProgram(const std::vector<std::string>& argv, int* status = nullptr,
                       const std::vector<std::string>& extraEnvironment = {}, bool withErrors = false);

// A child process that is ended (SIGTERM, then waited for) with the object.
class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Starts argv; with readFirstLine, returns the first line it prints.
  std::string Start(const std::vector<std::string>& argv, bool readFirstLine,
                    const std::vector<std::string>& extraEnvironment = {});
  // Whether the process has ended by itself; it is then gone (Pid() -1).
  bool Exited();
  void Stop();
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};
