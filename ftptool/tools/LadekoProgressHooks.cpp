#include "LadekoProgressHooks.h"

#include <unistd.h>

#include <chrono>
#include <iostream>

namespace {

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::unique_ptr<LadekoProgress> LadekoTerminalProgress(bool quiet) {
  if (quiet || ::isatty(STDERR_FILENO) != 1) return nullptr;
  return std::make_unique<LadekoProgress>(std::cerr, SteadySeconds);
}

void FollowTransfers(LadekoProgress& progress, FtpClient& client) {
  client.OnWorkBegin = [&progress](FtpWorkMode, std::int64_t expected) { progress.Begin(expected); };
  client.OnWork = [&progress](FtpWorkMode, std::int64_t done) { progress.Work(done); };
  client.OnWorkEnd = [&progress](FtpWorkMode) { progress.End(); };
}

void FollowTransfers(LadekoProgress& progress, remote::RemoteHooks& hooks) {
  hooks.workBegin = [&progress](remote::WorkMode, std::int64_t expected) { progress.Begin(expected); };
  hooks.work = [&progress](remote::WorkMode, std::int64_t done) { progress.Work(done); };
  hooks.workEnd = [&progress](remote::WorkMode) { progress.End(); };
}

FtpWalkHooks FollowWalk(LadekoProgress* progress, FtpWalkHooks hooks) {
  if (!progress) return hooks;
  hooks.SetExpectedSize = [progress](std::int64_t size) { progress->Expect(size); };
  hooks.FilesCounted = [progress](int known, std::int64_t bytes, int done) {
    progress->Count(known, bytes, done);
  };
  return hooks;
}
