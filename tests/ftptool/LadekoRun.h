// Runs ladeko-ftp as a script would: the arguments as they are (no shell between, so names
// may hold any byte), the standard input from /dev/null, the output of both streams kept.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestFiles.h"

extern char** environ;

struct LadekoRun {
  int exitCode = -1;
  std::string output;
};

struct LadekoStart {
  std::vector<std::string> environment;  // "NAME=value" added to this process's environment
  bool allowCoreFiles = false;           // raises the core file limit before the start
};

// Starts ladeko-ftp with its output into outFile; returns the process id (or -1).
inline pid_t StartLadeko(const std::vector<std::string>& arguments, const std::string& outFile,
                         const LadekoStart& start = {}) {
  std::vector<std::string> args = {LADEKO_FTP};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> added = start.environment;
  std::vector<char*> envp;
  for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
  for (std::string& entry : added) envp.push_back(entry.data());
  envp.push_back(nullptr);
  rlimit core{};
  ::getrlimit(RLIMIT_CORE, &core);
  core.rlim_cur = core.rlim_max;
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  // Only calls that are safe after fork from here on.
  const int in = ::open("/dev/null", O_RDONLY);
  const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || out < 0) ::_exit(127);
  ::dup2(in, STDIN_FILENO);
  ::dup2(out, STDOUT_FILENO);
  ::dup2(out, STDERR_FILENO);
  if (start.allowCoreFiles) ::setrlimit(RLIMIT_CORE, &core);
  ::setsid();  // no controlling terminal: nobody could answer a question
  ::execve(argv[0], argv.data(), envp.data());
  ::_exit(127);
}

inline int WaitForExit(pid_t pid) {
  int status = 0;
  if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline LadekoRun RunLadeko(const std::vector<std::string>& arguments, const LadekoStart& start = {}) {
  ScratchFolder folder;
  const std::string out = folder.File("ausgabe.txt");
  std::vector<std::string> args = {"--timeout", "20"};
  args.insert(args.end(), arguments.begin(), arguments.end());
  LadekoRun run;
  run.exitCode = WaitForExit(StartLadeko(args, out, start));
  run.output = ReadFile(out);
  return run;
}
