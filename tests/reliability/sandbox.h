// SPDX-License-Identifier: MIT
#pragma once
// What the reliability tests need to put a program into a bad situation, beyond the
// scratch folders of test_files.h: sparse files, child processes with resource limits,
// and (where the system lets us) tmpfs and read-only mounts in a mount namespace of the
// test's own.

#include <sys/resource.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sanitizers.h"
#include "test_files.h"

namespace morvane::testing {

// A file of the given length that holds head at its start and zero bytes after it,
// without taking disk space for them.
void MakeSparseFile(const std::string& path, std::int64_t length, const std::string& head = "");

struct ChildLimits {
  rlim_t fileSize = RLIM_INFINITY;      // RLIMIT_FSIZE: writes beyond fail with EFBIG
  rlim_t addressSpace = RLIM_INFINITY;  // RLIMIT_AS: allocations beyond fail
};

struct ProcessResult {
  bool exited = false;  // false: killed by a signal
  int exitCode = -1;
  int signal = 0;
  std::string out;
  std::string err;
  std::string Describe() const;  // for failure messages
};

// Runs argv[0] with the arguments, standard input empty, and collects both outputs.
// SIGXFSZ has its default action in the child, as under a shell: a program that does not
// ignore it is killed by a write beyond RLIMIT_FSIZE.
ProcessResult RunProcess(const std::vector<std::string>& argv, const ChildLimits& limits = {});

// A child started by StartProcess; Finish waits for its end and collects its outputs.
struct RunningProcess {
  int pid = -1;
  int outFd = -1;
  int errFd = -1;
  ProcessResult Finish();
};
// RunProcess without waiting: the test can act on the child's files meanwhile. Its
// outputs are read by Finish only, so it must not write more than a pipe holds before.
RunningProcess StartProcess(const std::vector<std::string>& argv, const ChildLimits& limits = {});

// Runs body in a forked child under the limits and returns how the child ended; the
// child's exit code is body's result, its standard error lands in err. For checks that must not
// take the test down.
ProcessResult RunInChild(const std::function<int()>& body, const ChildLimits& limits);

// The size of this process's address space now, in bytes.
std::uint64_t AddressSpaceBytes();

// Mounts live in a mount namespace private to this test process, so that they vanish with
// it even when a test dies half-way. Each returns false, with the reason in why, when the
// system does not allow it (no CAP_SYS_ADMIN in a container, say).
bool MountTmpfs(const std::string& dir, std::uint64_t bytes, std::string* why);
// Makes dir a read-only view of itself (a bind mount remounted read-only).
bool MakeReadOnly(const std::string& dir, std::string* why);
void Unmount(const std::string& dir);

}  // namespace morvane::testing
