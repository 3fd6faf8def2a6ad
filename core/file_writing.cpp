// SPDX-License-Identifier: MIT
// Writing whole files so that a failed or interrupted write loses nothing: the bytes go
// to an unnamed file in the target's folder, which gets a name only when complete.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/file_writing_parts.h"
#include "core/files.h"
#include "core/mapped_files.h"
#include "core/unique_letters.h"

namespace morvane {
namespace {

// The failure of a write to a file being read, among the errno values of the steps below.
constexpr int kReplacesKeptFile = -1;

struct Descriptor {
  int fd = -1;
  Descriptor() = default;
  explicit Descriptor(int f) : fd(f) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  // Closes now; 0 or the errno of close.
  int Close() {
    const int f = fd;
    fd = -1;
    return ::close(f) == 0 ? 0 : errno;
  }
};

WriteResult Failure(const Path& path, int error) {
  WriteResult result;
  result.error = error == kReplacesKeptFile
                     ? ProgramFailure(ProgramError::kReplacesKeptFile, FileOperation::kWrite, path)
                     : PosixError(error, FileOperation::kWrite, path);
  return result;
}

bool IsKept(const struct stat& st) {
  return file_writing::IsKept(
      {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)});
}

// ---- our temporary names -----------------------------------------------------------
//
// A temporary name exists only for the instant between linking a complete unnamed file
// and renaming it over the file it replaces (or, where the file system has no unnamed
// files, for the whole write). The signal handler removes the one that exists when the
// program is stopped; a later run into the folder removes any left by a program that was
// killed outright. Names: ".NAME.morvane-PID-XXXXXXXX.tmp".

constexpr std::string_view kTemporaryMark = ".morvane-";

// The temporary name that exists now, for the signal handler: plain memory, as only
// async-signal-safe work may happen there. One writer at a time holds it. A name is
// registered before it is made, so that a signal that comes in between still removes it
// (removing a name not made yet harms nothing: it holds this process's number).
std::mutex pendingMutex;
char pendingTemporary[NAME_MAX + 1];
std::atomic<int> pendingFolder{-1};

void SetPending(int folder, const std::string& name) {
  pendingFolder.store(-1);
  const std::size_t n = std::min(name.size(), sizeof pendingTemporary - 1);
  std::memcpy(pendingTemporary, name.data(), n);
  pendingTemporary[n] = '\0';
  pendingFolder.store(folder);
}

void ClearPending() {
  pendingFolder.store(-1);
}

void OnTerminatingSignal(int signal) {
  if (const int folder = pendingFolder.load(); folder >= 0) ::unlinkat(folder, pendingTemporary, 0);
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

std::string UniqueLetters() {
  return morvane::UniqueLetters(static_cast<unsigned long long>(::getpid()));
}

// A temporary name for the file name: hidden, unlikely to be taken, and short enough for
// the file system whatever the length of the name.
std::string TemporaryName(const std::string& name) {
  std::string base = name.substr(0, std::min<std::size_t>(name.size(), 180));
  return "." + base + std::string(kTemporaryMark) + std::to_string(::getpid()) + "-" +
         UniqueLetters() + ".tmp";
}

bool IsAlphanumeric(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

// Whether name is a temporary of ours that no running program will name any more:
// ".NAME.morvane-PID-XXXXXXXX.tmp" whose process is gone. Nothing else is ever taken for
// one, however much it looks like a temporary: a user's ".notes.txt.abcdefgh.tmp" stays.
bool IsStaleTemporary(std::string_view name) {
  if (name.size() < 15 || name.front() != '.' || !name.ends_with(".tmp")) return false;
  const std::string_view body = name.substr(0, name.size() - 4);
  const std::size_t mark = body.rfind(kTemporaryMark);
  if (mark == std::string_view::npos || mark == 0) return false;
  const std::string_view tail = body.substr(mark + kTemporaryMark.size());
  const std::size_t dash = tail.find('-');
  if (dash == std::string_view::npos || dash == 0 || !IsAlphanumeric(tail.substr(dash + 1)) ||
      tail.size() - dash - 1 != 8)
    return false;
  const std::string pidText(tail.substr(0, dash));
  if (pidText.find_first_not_of("0123456789") != std::string::npos || pidText.size() > 9)
    return false;
  const pid_t pid = static_cast<pid_t>(std::stol(pidText));
  return pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH;
}

// ---- mapped inputs -----------------------------------------------------------------

struct Mapping {
  const char* address;
  std::size_t size;
  int fd;
};

std::mutex mappingsMutex;
std::vector<Mapping> mappings;

// ---- writing -----------------------------------------------------------------------

// Writes all parts to fd with as few writev calls as the system allows; 0 or the errno.
int WriteAllFromMemory(int fd, std::span<const std::string_view> parts) {
  std::vector<iovec> pending;
  pending.reserve(parts.size());
  for (std::string_view part : parts) {
    if (!part.empty()) pending.push_back({const_cast<char*>(part.data()), part.size()});
  }
  std::size_t first = 0;
  while (first < pending.size()) {
    std::size_t count = std::min<std::size_t>(pending.size() - first, IOV_MAX);
    std::size_t bytes = 0;
    for (std::size_t i = first; i < first + count; ++i) bytes += pending[i].iov_len;
    if (const int error = file_writing::InjectedWriteError(bytes)) return error;
    iovec cut{};
    bool shortened = false;
    if (file_writing::WritesWatched()) {
      // Offer only the parts that fit the limit, the last one cut.
      std::size_t allowed = file_writing::WriteLimit(bytes);
      std::size_t k = first;
      while (k < first + count && allowed >= pending[k].iov_len) allowed -= pending[k++].iov_len;
      if (k < first + count && allowed > 0) {
        cut = pending[k];
        pending[k].iov_len = allowed;
        shortened = true;
        ++k;
      }
      count = k - first;
    }
    ssize_t n = ::writev(fd, pending.data() + first, static_cast<int>(count));
    if (shortened) pending[first + count - 1].iov_len = cut.iov_len;
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    // Step over what was written, possibly ending inside a part.
    auto written = static_cast<std::size_t>(n);
    while (written > 0 && written >= pending[first].iov_len) {
      written -= pending[first].iov_len;
      ++first;
    }
    if (written > 0) {
      pending[first].iov_base = static_cast<char*>(pending[first].iov_base) + written;
      pending[first].iov_len -= written;
    }
  }
  return 0;
}

// Whether the kernel copies the bytes of mapped inputs from their files (copy_file_range)
// into fd, chosen by measurement per file system. XFS (and btrfs, which shares blocks the
// same way) shares the blocks of block-aligned ranges and copies the rest itself: three
// inputs of 85 MiB merged in 0.06-0.1 s, against 0.4-0.6 s of copying out of the mapping
// once the disk had been synced. On ext4 and tmpfs the copy out of the mapping was as fast
// or faster.
bool CopiesInKernel(int fd) {
  struct statfs info;
  if (::fstatfs(fd, &info) != 0) return false;
  constexpr unsigned long kXfs = 0x58465342;
  constexpr unsigned long kBtrfs = 0x9123683E;
  const auto type = static_cast<unsigned long>(info.f_type);
  return type == kXfs || type == kBtrfs;
}

// Copies size bytes of the file source from its offset to fd in the kernel: 0, the errno, or
// ENOTSUP when the system does not copy between these files (nothing was written then).
int CopyFromFile(int fd, MappedSource source, std::size_t size) {
  loff_t from = source.offset;
  bool any = false;
  while (size > 0) {
    const ssize_t n = ::copy_file_range(source.fd, &from, fd, nullptr, size, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (!any && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                   errno == EBADF))
        return ENOTSUP;
      return errno;
    }
    // The file ended early: it was cut short while it was read, as a mapping would fail.
    if (n == 0) return EFAULT;
    any = true;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

// Writes all parts to fd: from memory, or, for large parts that are a mapped input's bytes
// (the texts of a merge), from the input's file where the file system copies better itself.
int WriteAll(int fd, std::span<const std::string_view> parts) {
  if (file_writing::WritesWatched() || parts.empty() || !CopiesInKernel(fd))
    return WriteAllFromMemory(fd, parts);
  std::size_t from = 0;  // the first part not written yet
  for (std::size_t i = 0; i < parts.size(); ++i) {
    // Pieces of a cut (200 KiB, rarely block-aligned) were copied faster from the mapping.
    if (parts[i].size() < (16u << 20)) continue;
    const MappedSource source = MappedSourceOf(parts[i].data(), parts[i].size());
    if (source.fd < 0) continue;
    if (int error = WriteAllFromMemory(fd, parts.subspan(from, i - from))) return error;
    int error = CopyFromFile(fd, source, parts[i].size());
    if (error == ENOTSUP) error = WriteAllFromMemory(fd, parts.subspan(i, 1));
    if (error != 0) return error;
    from = i + 1;
  }
  return WriteAllFromMemory(fd, parts.subspan(from));
}

// The parts of one file: all known at once, or handed over one after another as they
// become ready. Each part is written as soon as it is known; the parts are kept, so that a
// second write (into another folder's unnamed file, or under a temporary name) can
// write them all again.
class PartFeed {
 public:
  explicit PartFeed(std::span<const std::string_view> parts) : parts_(parts.begin(), parts.end()) {}
  explicit PartFeed(const std::function<NextPart()>& next) : next_(&next) {}

  // Writes every part to fd: 0, the errno, or ECANCELED when the parts were abandoned
  // (ENOTSUP for a second write of parts some of which were transient).
  int WriteTo(int fd) {
    if (abandoned_) return ECANCELED;
    if (gone_) return ENOTSUP;
    if (int error = WriteAll(fd, parts_)) return error;
    while (next_ != nullptr) {
      const NextPart part = (*next_)();
      if (part.abandon) {
        abandoned_ = true;
        next_ = nullptr;
        return ECANCELED;
      }
      if (part.done) {
        next_ = nullptr;
        break;
      }
      if (part.transient) {
        gone_ = true;
        if (int error = WriteAll(fd, std::span(&part.bytes, 1))) return error;
        continue;
      }
      parts_.push_back(part.bytes);
      if (int error = WriteAll(fd, std::span(&parts_.back(), 1))) return error;
    }
    return 0;
  }

 private:
  std::vector<std::string_view> parts_;
  const std::function<NextPart()>* next_ = nullptr;
  bool abandoned_ = false;
  bool gone_ = false;  // a transient part was written: the parts cannot be written again
};

// ---- where names are made ----------------------------------------------------------
//
// Every name is made, looked at and replaced relative to its folder's descriptor, never
// by its path: a folder renamed, or replaced by a link to another, between two files of a
// run cannot send a file anywhere else. The folder of the running operation (WriteInto)
// is opened once; any other is opened for the one call.

struct RunFolder {
  std::string path;
  int fd = -1;
  dev_t device = 0;
  ino_t inode = 0;
  RunFolder() = default;
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  ~RunFolder() {
    if (fd >= 0) ::close(fd);
  }
};

std::mutex runFolderMutex;
std::shared_ptr<const RunFolder> runFolder;

std::shared_ptr<const RunFolder> TheRunFolder() {
  std::lock_guard lock(runFolderMutex);
  return runFolder;
}

// A name in an open folder.
struct Place {
  std::shared_ptr<const RunFolder> run;  // keeps the run's folder open
  Descriptor own;                        // the folder opened for this call alone
  int folder = -1;
  std::string name;
};

// The folder of path opened (or the run's) and the name in it: 0 or the errno.
int Locate(const Path& path, Place& place) {
  if (path.empty()) return ENOENT;
  const std::string& native = path.native();
  const std::size_t slash = native.rfind('/');
  place.name = slash == std::string::npos ? native : native.substr(slash + 1);
  if (place.name.empty()) return EISDIR;
  const std::string folder = FolderPart(path).native();
  place.run = TheRunFolder();
  if (place.run && place.run->path == folder) {
    place.folder = place.run->fd;
    return 0;
  }
  place.run.reset();
  place.own.fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (place.own.fd < 0) return errno;
  place.folder = place.own.fd;
  return 0;
}

// Why what stands at the name may not be replaced, or 0; exists tells whether anything
// stands there. The name itself is looked at: a symbolic link is a name like any other,
// which the new file replaces while its target stays as it is. Refused: a folder, no
// regular file (a device, a pipe), a file without write permission, another user's name
// in a sticky folder (where the rename would fail), or a folder that takes no new name
// for the replacement.
int CheckExisting(const Place& place, struct stat& st, bool& exists) {
  exists = false;
  if (::fstatat(place.folder, place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? 0 : errno;
  exists = true;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISLNK(st.st_mode)) {
    if (!S_ISREG(st.st_mode)) return EACCES;
    if ((st.st_mode & 0222) == 0) return EACCES;
    if (::faccessat(place.folder, place.name.c_str(), W_OK, AT_EACCESS) != 0) return errno;
  }
  if (::faccessat(place.folder, ".", W_OK | X_OK, AT_EACCESS) != 0) return errno;
  struct stat folderInfo;
  if (::fstat(place.folder, &folderInfo) != 0) return errno;
  const uid_t me = ::geteuid();
  if ((folderInfo.st_mode & S_ISVTX) && me != 0 && st.st_uid != me && folderInfo.st_uid != me)
    return EPERM;
  return 0;
}

// The permission bits the new file takes over: a replaced file's own; 0 for a link that
// gives way (it has none worth keeping: the file keeps those a new file gets).
mode_t KeptMode(const struct stat& existing) {
  return S_ISREG(existing.st_mode) ? existing.st_mode & 07777 : 0;
}

// Whether a file being read (KeepUnchanged) stands at the name now, links followed.
bool KeptFileAt(const Place& place) {
  struct stat now;
  return ::fstatat(place.folder, place.name.c_str(), &now, 0) == 0 && IsKept(now);
}

// Whether the system links an unnamed file by its descriptor alone (AT_EMPTY_PATH, open
// to every user since Linux 6.10); a link through /proc costs a lookup of the /proc name.
std::atomic<bool> linkByDescriptor{true};

// Links the unnamed file behind fd as name in folderFd: 0 or the errno.
int LinkUnnamed(int fd, int folderFd, const char* name) {
  if (linkByDescriptor.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", folderFd, name, AT_EMPTY_PATH) == 0) return 0;
    if (errno != ENOENT && errno != EPERM && errno != EINVAL) return errno;
    linkByDescriptor.store(false, std::memory_order_relaxed);
  }
  char self[40];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  return ::linkat(AT_FDCWD, self, folderFd, name, AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

// Gives the complete file behind fd its name: linked when the name is new (a name that
// appeared meanwhile is not replaced), renamed over what stands there through a temporary
// name otherwise. Right before the rename the name is looked at once more, so that a file
// of the running operation's inputs that stands there now is never replaced. 0, EEXIST
// when a new name was taken meanwhile, or the errno. bySelf says whether fd can be linked
// at all (false: the caller writes a named file instead).
int NameUnnamedFile(const Place& place, int fd, bool replace, bool& bySelf) {
  bySelf = true;
  if (!replace) {
    file_writing::BeforeNaming();
    const int error = LinkUnnamed(fd, place.folder, place.name.c_str());
    if (error != 0 && error != EEXIST) bySelf = error != ENOENT;
    return error;
  }
  std::lock_guard lock(pendingMutex);
  std::string temporary;
  int error = EEXIST;
  for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
    temporary = TemporaryName(place.name);
    SetPending(place.folder, temporary);
    error = LinkUnnamed(fd, place.folder, temporary.c_str());
    if (error != 0) ClearPending();
  }
  if (error != 0) {
    bySelf = error != ENOENT;
    return error;
  }
  file_writing::BeforeNaming();
  if (KeptFileAt(place)) error = kReplacesKeptFile;
  if (error == 0 &&
      ::renameat(place.folder, temporary.c_str(), place.folder, place.name.c_str()) != 0)
    error = errno;
  if (error != 0) ::unlinkat(place.folder, temporary.c_str(), 0);
  ClearPending();
  return error;
}

// Where the file system has no unnamed files: the bytes go to a temporary name that is
// renamed into place (new names without replacing anything that appeared meanwhile). mode:
// the permission bits to take over, or 0.
int WriteThroughTemporaryName(const Place& place, PartFeed& parts, bool replace, mode_t mode) {
  std::lock_guard lock(pendingMutex);
  std::string temporary;
  Descriptor out;
  for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
    temporary = TemporaryName(place.name);
    SetPending(place.folder, temporary);
    out.fd =
        ::openat(place.folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out.fd < 0) {
      ClearPending();
      if (errno != EEXIST) return errno;
    }
  }
  if (out.fd < 0) return EEXIST;
  if (mode != 0) ::fchmod(out.fd, mode);
  int error = parts.WriteTo(out.fd);
  if (const int closed = out.Close(); error == 0) error = closed;
  if (error == 0) {
    file_writing::BeforeNaming();
    if (replace) {
      if (KeptFileAt(place)) error = kReplacesKeptFile;
      if (error == 0 &&
          ::renameat(place.folder, temporary.c_str(), place.folder, place.name.c_str()) != 0)
        error = errno;
    } else if (::renameat2(place.folder, temporary.c_str(), place.folder, place.name.c_str(),
                           RENAME_NOREPLACE) != 0) {
      error = errno;
    }
  }
  if (error != 0) ::unlinkat(place.folder, temporary.c_str(), 0);
  ClearPending();
  return error;
}

}  // namespace

int WriteInto(const Path& folder) {
  auto run = std::make_shared<RunFolder>();
  run->path = folder.native();
  // Opened for reading where allowed, so that the stale temporaries can be listed.
  run->fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (run->fd < 0 && errno == EACCES)
    run->fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  struct stat info;
  const int error = folder.empty()                 ? ENOENT
                    : run->fd < 0                  ? errno
                    : ::fstat(run->fd, &info) != 0 ? errno
                                                   : 0;
  std::lock_guard lock(runFolderMutex);
  if (error != 0) {
    runFolder.reset();
    return error;
  }
  run->device = info.st_dev;
  run->inode = info.st_ino;
  runFolder = std::move(run);
  return 0;
}

void EndWrites() {
  std::lock_guard lock(runFolderMutex);
  runFolder.reset();
}

bool OutputFolderInPlace() {
  const auto run = TheRunFolder();
  if (!run) return true;
  struct stat info;
  return ::stat(run->path.c_str(), &info) == 0 && info.st_dev == run->device &&
         info.st_ino == run->inode;
}

std::optional<FileIdentity> IdentityOf(const Path& path) {
  struct stat info;
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<FileIdentity> OutputIdentityOf(const Path& path) {
  Place place;
  struct stat info;
  if (Locate(path, place) != 0 || ::fstatat(place.folder, place.name.c_str(), &info, 0) != 0)
    return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

int MakeFolder(const Path& folder) {
  if (folder.empty()) return ENOENT;
  if (::mkdir(folder.c_str(), 0777) == 0) return 0;
  const int error = errno;
  struct stat info;
  if (error != EEXIST) return error;
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? EEXIST : ENOTDIR;
}

bool RemoveEmptyFolder(const Path& folder) {
  return !folder.empty() && ::rmdir(folder.c_str()) == 0;
}

int FolderRefusal(const Path& folder) {
  if (folder.empty()) return ENOENT;
  if (folder.native().size() >= PathLimit()) return ENAMETOOLONG;
  struct stat info;
  if (::stat(folder.c_str(), &info) != 0) return errno;
  if (!S_ISDIR(info.st_mode)) return ENOTDIR;
  if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno;
  return 0;
}

std::size_t NameLimit(const Path& folder) {
  const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

std::size_t PathLimit() {
  return PATH_MAX;
}

int ReplaceRefusal(const Path& path) {
  Place place;
  if (int error = Locate(path, place)) return error;
  struct stat existing;
  bool exists = false;
  return CheckExisting(place, existing, exists);
}

bool IsStream(const Path& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 &&
         (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode));
}

int OpenStream(const Path& path) {
  // No O_CREAT: a stream that went away meanwhile is not made into a file. O_NONBLOCK is
  // not set, so a FIFO without a reader waits for one, as a shell's redirection does.
  return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
}

bool WriteStream(int stream, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(stream, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

void CloseStream(int stream) {
  ::close(stream);
}

void RemoveStaleTemporaries(const Path& folder) {
  const auto run = TheRunFolder();
  const int folderFd = run && run->path == folder.native()
                           ? ::openat(run->fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                           : ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) return;
  DIR* listing = ::fdopendir(folderFd);
  if (listing == nullptr) {
    ::close(folderFd);
    return;
  }
  const uid_t me = ::geteuid();
  while (const dirent* entry = ::readdir(listing)) {
    if (!IsStaleTemporary(entry->d_name)) continue;
    struct stat info;
    if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode) && info.st_uid == me) {
      ::unlinkat(folderFd, entry->d_name, 0);
    }
  }
  ::closedir(listing);
}

void HandleWriteSignals() {
  // A write beyond the file size limit then fails with EFBIG, reported like a full disk,
  // instead of ending the program.
  ::signal(SIGXFSZ, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = OnTerminatingSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    // A signal the parent made the program ignore stays ignored.
    if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

namespace {

WriteResult Written(bool created) {
  WriteResult result;
  result.ok = true;
  result.created = created;
  return result;
}

WriteResult WriteFeed(const Path& path, PartFeed& parts) {
  Place place;
  if (int error = Locate(path, place)) return Failure(path, error);
  // The bytes go to an unnamed file in the folder, named only once complete: a run that
  // is stopped or killed half-way leaves nothing behind, and a new file costs one
  // directory entry, which counts when a chapter cut writes a hundred thousand files.
  // Most outputs are new names: nothing is looked at before the write, and the link that
  // names the file tells whether the name was free. A name that is taken is looked at
  // closely, then replaced or refused.
  struct stat existing {};
  bool exists = false;
  Descriptor out(::openat(place.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (out.fd >= 0) {
    if (int error = parts.WriteTo(out.fd)) return Failure(path, error);
    struct stat fresh {};
    bool bySelf = true;
    int error = NameUnnamedFile(place, out.fd, false, bySelf);
    // Taken, or taken and freed again meanwhile: a few more looks, then give up.
    for (int look = 0; error == EEXIST && look < 4; ++look) {
      if ((error = CheckExisting(place, existing, exists)) != 0) break;
      if (exists) {
        if (fresh.st_mode == 0 && ::fstat(out.fd, &fresh) != 0) {
          error = errno;
          break;
        }
        const mode_t kept = KeptMode(existing);
        ::fchmod(out.fd, kept != 0 ? kept : fresh.st_mode & 07777);
      }
      error = NameUnnamedFile(place, out.fd, exists, bySelf);
    }
    if (bySelf) {
      const int closed = out.Close();
      if (error == 0 && closed != 0 && !exists) {
        ::unlinkat(place.folder, place.name.c_str(), 0);
        error = closed;
      }
      if (error != 0) return Failure(path, error);
      return Written(!exists);
    }
  }
  if (int error = CheckExisting(place, existing, exists)) return Failure(path, error);
  int error = WriteThroughTemporaryName(place, parts, exists, KeptMode(existing));
  if (error == EEXIST && !exists) {
    if ((error = CheckExisting(place, existing, exists)) == 0)
      error = WriteThroughTemporaryName(place, parts, true, KeptMode(existing));
  }
  if (error != 0) return Failure(path, error);
  return Written(!exists);
}

}  // namespace

WriteResult WriteFileParts(const Path& path, std::span<const std::string_view> parts) {
  PartFeed feed(parts);
  return WriteFeed(path, feed);
}

WriteResult WriteFilePartsAsReady(const Path& path, const std::function<NextPart()>& next) {
  PartFeed feed(next);
  return WriteFeed(path, feed);
}

bool NothingStandsAt(const Path& path) {
  Place place;
  struct stat info;
  return Locate(path, place) == 0 &&
         ::fstatat(place.folder, place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 &&
         errno == ENOENT;
}

bool RemoveFile(const Path& path) {
  Place place;
  return Locate(path, place) == 0 && ::unlinkat(place.folder, place.name.c_str(), 0) == 0;
}

void RememberMapping(const void* address, std::size_t size, int fd) {
  std::lock_guard lock(mappingsMutex);
  mappings.push_back({static_cast<const char*>(address), size, fd});
}

void ForgetMapping(const void* address) {
  std::lock_guard lock(mappingsMutex);
  for (auto it = mappings.begin(); it != mappings.end(); ++it) {
    if (it->address == address) {
      ::close(it->fd);
      mappings.erase(it);
      return;
    }
  }
}

MappedSource MappedSourceOf(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  std::lock_guard lock(mappingsMutex);
  for (const Mapping& m : mappings) {
    if (bytes >= m.address && bytes + size <= m.address + m.size)
      return {m.fd, static_cast<std::int64_t>(bytes - m.address)};
  }
  return {};
}

}  // namespace morvane
