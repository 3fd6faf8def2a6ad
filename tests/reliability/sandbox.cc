#include "sandbox.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace morvane::testing {

namespace {

[[noreturn]] void Die(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

void ApplyLimits(const ChildLimits& limits) {
  // As a shell leaves it: the program itself must keep SIGXFSZ from ending it.
  signal(SIGXFSZ, SIG_DFL);
  rlimit fsize{limits.fileSize, limits.fileSize};
  if (limits.fileSize != RLIM_INFINITY) setrlimit(RLIMIT_FSIZE, &fsize);
  rlimit as{limits.addressSpace, limits.addressSpace};
  if (limits.addressSpace != RLIM_INFINITY) setrlimit(RLIMIT_AS, &as);
}

// Reads both pipes until both are closed, so that neither child output can fill up and
// block the child.
void Drain(int outFd, int errFd, std::string& out, std::string& err) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* sinks[2] = {&out, &err};
  int open = 2;
  char buf[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

void Reap(pid_t pid, ProcessResult& result) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exited = WIFEXITED(status);
  result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

bool EnterOwnMountNamespace(std::string* why) {
  static int state = 0;  // 0 not tried, 1 done, -1 refused
  static std::string reason;
  if (state == 0) {
    if (unshare(CLONE_NEWNS) != 0) {
      reason = std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
      state = -1;
    } else if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      reason = std::string("making / private: ") + std::strerror(errno);
      state = -1;
    } else {
      state = 1;
    }
  }
  if (state < 0 && why) *why = reason;
  return state > 0;
}

}  // namespace

void MakeSparseFile(const std::string& path, std::int64_t length, const std::string& head) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) Die("creating " + path);
  if (!head.empty() && write(fd, head.data(), head.size()) != static_cast<ssize_t>(head.size()))
    Die("writing " + path);
  if (ftruncate(fd, length) != 0) Die("ftruncate " + path);
  close(fd);
}

std::string ProcessResult::Describe() const {
  std::ostringstream s;
  if (exited)
    s << "exit code " << exitCode;
  else
    s << "killed by signal " << signal << " (" << strsignal(signal) << ")";
  s << "\n--- stdout (" << out.size() << " bytes) ---\n" << out.substr(0, 2000);
  s << "\n--- stderr ---\n" << err.substr(0, 4000);
  return s.str();
}

namespace {

// Forks; the child gets empty standard input, both outputs into pipes and the limits, and
// ends with the exit code that child() returns (if child() does not exec).
template <typename Child>
RunningProcess Spawn(const ChildLimits& limits, Child child) {
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) Die("pipe");
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid < 0) Die("fork");
  if (pid == 0) {
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    ApplyLimits(limits);
    int code = child();
    std::fflush(nullptr);
    _exit(code);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  return {pid, outPipe[0], errPipe[0]};
}

RunningProcess SpawnProgram(const std::vector<std::string>& argv, const ChildLimits& limits) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  return Spawn(limits, [&] {
    execv(args[0], args.data());
    std::fprintf(stderr, "cannot run %s: %s\n", args[0], std::strerror(errno));
    return 127;
  });
}

}  // namespace

ProcessResult RunningProcess::Finish() {
  ProcessResult result;
  Drain(outFd, errFd, result.out, result.err);
  Reap(pid, result);
  return result;
}

RunningProcess StartProcess(const std::vector<std::string>& argv, const ChildLimits& limits) {
  return SpawnProgram(argv, limits);
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const ChildLimits& limits) {
  return SpawnProgram(argv, limits).Finish();
}

ProcessResult RunInChild(const std::function<int()>& body, const ChildLimits& limits) {
  return Spawn(limits, body).Finish();
}

std::uint64_t AddressSpaceBytes() {
  std::ifstream statm("/proc/self/statm");
  std::uint64_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

bool MountTmpfs(const std::string& dir, std::uint64_t bytes, std::string* why) {
  if (!EnterOwnMountNamespace(why)) return false;
  std::string options = "size=" + std::to_string(bytes);
  if (mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    *why = "mount -t tmpfs: " + std::string(std::strerror(errno));
    return false;
  }
  return true;
}

bool MakeReadOnly(const std::string& dir, std::string* why) {
  if (!EnterOwnMountNamespace(why)) return false;
  if (mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0) {
    *why = "mount --bind: " + std::string(std::strerror(errno));
    return false;
  }
  if (mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
    *why = "remount read-only: " + std::string(std::strerror(errno));
    umount2(dir.c_str(), MNT_DETACH);
    return false;
  }
  return true;
}

void Unmount(const std::string& dir) {
  umount2(dir.c_str(), MNT_DETACH);
}

}  // namespace morvane::testing
