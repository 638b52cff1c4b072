#pragma once
// Processes that hold passwords in memory (the program with its FTP tool, ladeko-ftp) write
// no core file: a crash must not leave them on the disk for anyone who can read it.

#include <sys/resource.h>

inline void ForbidCoreFiles() {
  const rlimit none{0, 0};
  ::setrlimit(RLIMIT_CORE, &none);
}
