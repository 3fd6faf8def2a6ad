#include "core/files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "core/gbk.h"

namespace morvane {
namespace {

// ---- the table of open files -------------------------------------------------------

// FileNumbers are handed out from 1 upward and never reused, so a stale or made-up
// number can never reach another open file.
struct OpenFiles {
  std::mutex mutex;
  std::unordered_map<FileNumber, int> descriptors;
  FileNumber next = 1;
};

OpenFiles& TheOpenFiles() {
  static OpenFiles files;
  return files;
}

thread_local std::string lastOpenError;

FileNumber Register(int fd) {
  OpenFiles& files = TheOpenFiles();
  std::lock_guard lock(files.mutex);
  FileNumber number = files.next++;
  if (files.next <= 0) files.next = 1;
  files.descriptors[number] = fd;
  return number;
}

// The descriptor behind number, taken out of the table; -1 if there is none.
int Take(FileNumber number) {
  OpenFiles& files = TheOpenFiles();
  std::lock_guard lock(files.mutex);
  auto it = files.descriptors.find(number);
  if (it == files.descriptors.end()) return -1;
  int fd = it->second;
  files.descriptors.erase(it);
  return fd;
}

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

std::string Reason(int error) {
  return std::strerror(error);
}

// ---- reading -----------------------------------------------------------------------

// The text of a file held in memory that some owner keeps alive. A text much shorter
// than the file (a UTF-16 file ends after a byte or two) gets its own small copy so
// that the file's memory can go.
ByteText TextOf(std::shared_ptr<const void> owner, const char* bytes, std::size_t fileBytes,
                std::size_t textBytes) {
  if (textBytes < fileBytes / 2) return ByteText(std::string_view(bytes, textBytes));
  return ByteText::Adopt(std::move(owner), bytes, textBytes);
}

void FillEnd(TextRead& read, std::string_view bytes, std::size_t end) {
  read.fileBytes = static_cast<std::int64_t>(bytes.size());
  read.bytesLeftOut = static_cast<std::int64_t>(bytes.size() - end);
  if (end == bytes.size()) return;
  // The mark stands at end, or one further when a dropped byte stood before a zero.
  std::size_t mark = bytes[end] == '\0' || bytes[end] == '\x1A' ? end : end + 1;
  read.endMark = static_cast<unsigned char>(bytes[mark]);
  read.onlyPaddingLeftOut = true;
  for (std::size_t i = mark; i < bytes.size(); ++i) {
    if (bytes[i] != '\0' && bytes[i] != '\x1A') {
      read.onlyPaddingLeftOut = false;
      break;
    }
  }
}

// Maps the file; false when the system would not (the caller then copies).
bool ReadByMapping(int fd, std::size_t size, TextRead& read) {
  void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (address == MAP_FAILED) return false;
  // Measured on a warm 1 GiB file, mapping then scanning and reading every byte:
  // sequential advice 0.10 s, MAP_POPULATE 0.12 s; the advice also reads ahead when
  // the file is not in the page cache yet.
  ::madvise(address, size, MADV_SEQUENTIAL);
  std::shared_ptr<const void> owner(
      address, [size](const void* p) { ::munmap(const_cast<void*>(p), size); });
  std::string_view bytes(static_cast<const char*>(address), size);
  std::size_t end = TextEnd(bytes);
  FillEnd(read, bytes, end);
  read.text = TextOf(std::move(owner), bytes.data(), size, end);
  read.status = TextRead::Status::kOk;
  return true;
}

// Memory for a file's bytes; null when there is none. Fresh memory costs a page fault
// per page when first written (about 0.5 s per GiB). Transparent huge pages would save
// most of that, but asking for them made the kernel compact memory first, and a read
// then took 1.8 to 6 s instead of 0.7 to 1 s: a caller that cares uses ReadMode::kMap.
std::shared_ptr<char> AllocateFileBuffer(std::size_t size) {
  try {
    std::shared_ptr<char[]> buffer = std::make_shared_for_overwrite<char[]>(size);
    return std::shared_ptr<char>(buffer, buffer.get());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void ReadByCopying(int fd, std::size_t size, TextRead& read) {
  std::shared_ptr<char> buffer = AllocateFileBuffer(size);
  if (!buffer) {
    read.status = TextRead::Status::kOutOfMemory;
    read.fileBytes = static_cast<std::int64_t>(size);
    read.error = Reason(ENOMEM);
    return;
  }
  std::size_t got = 0;
  while (got < size) {
    ssize_t n = ::read(fd, buffer.get() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      read.status = TextRead::Status::kCannotRead;
      read.fileBytes = static_cast<std::int64_t>(size);
      read.error = Reason(errno);
      return;
    }
    if (n == 0) break;  // the file shrank since it was measured
    got += static_cast<std::size_t>(n);
  }
  std::string_view bytes(buffer.get(), got);
  std::size_t end = TextEnd(bytes);
  FillEnd(read, bytes, end);
  read.text = TextOf(std::move(buffer), bytes.data(), got, end);
  read.status = TextRead::Status::kOk;
}

// ---- writing -----------------------------------------------------------------------

std::atomic<int (*)(std::size_t)> beforeWrite{nullptr};
std::atomic<std::size_t (*)(std::size_t)> shortWrite{nullptr};

std::string WriteError(const ByteText& path, int error) {
  return "cannot write " + Utf8FromGbk(path.view()) + ": " + Reason(error);
}

// A name for the temporary file beside target: hidden, unlikely to be taken, and short
// enough for the file system whatever the length of the target's name.
std::string TemporaryName(const std::string& target) {
  static std::atomic<unsigned long long> counter{0};
  std::size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.size() > 200) name.resize(200);
  unsigned long long seed =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<unsigned long long>(::getpid()) << 32) ^
      (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string unique;
  for (int i = 0; i < 8; ++i) {
    seed ^= seed >> 29;
    seed *= 0xBF58476D1CE4E5B9ull;
    seed ^= seed >> 32;
    unique.push_back(kLetters[seed % 62]);
  }
  return folder + "." + name + "." + unique + ".tmp";
}

// Writes all parts to fd with as few writev calls as the system allows; 0 or the errno.
int WriteAll(int fd, std::span<const std::string_view> parts) {
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
    if (auto fault = beforeWrite.load()) {
      if (int error = fault(bytes)) return error;
    }
    iovec cut{};
    bool shortened = false;
    if (auto limit = shortWrite.load()) {
      // Offer only the parts that fit the limit, the last one cut.
      std::size_t allowed = std::max<std::size_t>(1, limit(bytes));
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

// The existing file that a write to native would replace: refused when it is no regular
// file or may not be written (a file without any write permission is refused even to
// a user who could override that, as a read-only file should be). 0 or the errno.
int CheckExistingTarget(const std::string& native, struct stat& st, bool& exists) {
  exists = false;
  if (::stat(native.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
  exists = true;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return EACCES;
  if ((st.st_mode & 0222) == 0) return EACCES;
  if (::faccessat(AT_FDCWD, native.c_str(), W_OK, AT_EACCESS) != 0) return errno;
  return 0;
}

// Writes parts into an unnamed file in target's folder (O_TMPFILE) and links it as
// target. False when this way is not open here (no O_TMPFILE on the file system, no
// /proc, or target created by someone else meanwhile: error is then EEXIST); true when it
// was taken, with error 0 or the errno of the failed write.
bool WriteUnnamedThenLink(const std::string& target, std::span<const std::string_view> parts,
                          int& error) {
  error = 0;
#ifdef O_TMPFILE
  std::size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  error = WriteAll(fd, parts);
  if (error == 0) {
    char self[40];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, self, AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      const int linkError = errno;
      ::close(fd);
      error = linkError == EEXIST ? EEXIST : 0;
      return false;
    }
    if (::close(fd) != 0) {
      error = errno;
      ::unlink(target.c_str());
    }
    return true;
  }
  ::close(fd);
  return true;
#else
  (void)target;
  (void)parts;
  return false;
#endif
}

// The path the bytes really go to: a symbolic link is replaced by nothing, its target is.
std::string ResolveLink(const std::string& native) {
  struct stat st;
  if (::lstat(native.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return native;
  char* resolved = ::realpath(native.c_str(), nullptr);
  if (resolved == nullptr) return native;
  std::string target = resolved;
  std::free(resolved);
  return target;
}

// Writes in place, for a writable file in a folder where no new file may be created.
int WriteInPlace(const std::string& native, std::span<const std::string_view> parts) {
  Descriptor out{::open(native.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC)};
  if (out.fd < 0) return errno;
  if (int error = WriteAll(out.fd, parts)) return error;
  int fd = out.fd;
  out.fd = -1;
  return ::close(fd) == 0 ? 0 : errno;
}

}  // namespace

FileNumber OpenFile(const ByteText& path) {
  if (path.empty()) {
    lastOpenError = Reason(ENOENT);
    return 0;
  }
  std::string native = NativePath(path);
  // Non-blocking so that a named pipe cannot hang the open; it is refused below anyway.
  int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    lastOpenError = Reason(errno);
    return 0;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    lastOpenError = Reason(errno);
    ::close(fd);
    return 0;
  }
  if (!S_ISREG(st.st_mode)) {
    lastOpenError = S_ISDIR(st.st_mode) ? "not a regular file (a folder)" : "not a regular file";
    ::close(fd);
    return 0;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return Register(fd);
}

int ReplaceRefusal(const ByteText& path) {
  struct stat existing;
  bool exists = false;
  return CheckExistingTarget(ResolveLink(NativePath(path)), existing, exists);
}

std::string LastOpenError() {
  return lastOpenError;
}

bool TextRead::EndedEarly() const {
  if (endMark == 0x00) return true;
  if (endMark == 0x1A) return !onlyPaddingLeftOut;
  return false;
}

TextRead ReadText(FileNumber file, ReadMode mode) {
  TextRead read;
  Descriptor in{Take(file)};
  if (in.fd < 0) {
    read.status = TextRead::Status::kCannotOpen;
    read.error = Reason(EBADF);
    return read;
  }
  struct stat st;
  if (::fstat(in.fd, &st) != 0) {
    read.status = TextRead::Status::kCannotRead;
    read.error = Reason(errno);
    return read;
  }
  if (st.st_size > kMaxTextBytes) {
    read.status = TextRead::Status::kTooLarge;
    read.fileBytes = st.st_size;
    read.error = Reason(EFBIG);
    return read;
  }
  auto size = static_cast<std::size_t>(st.st_size);
  if (size == 0) {
    read.status = TextRead::Status::kOk;
    return read;
  }
  if (mode == ReadMode::kMap && ReadByMapping(in.fd, size, read)) return read;
  ReadByCopying(in.fd, size, read);
  return read;
}

TextRead ReadTextFile(const ByteText& path, ReadMode mode) {
  FileNumber file = OpenFile(path);
  if (file == 0) {
    TextRead read;
    read.status = TextRead::Status::kCannotOpen;
    read.error = LastOpenError();
    return read;
  }
  return ReadText(file, mode);
}

WriteResult WriteFileParts(const ByteText& path, std::span<const std::string_view> parts) {
  WriteResult result;
  if (path.empty()) {
    result.error = WriteError(path, ENOENT);
    return result;
  }
  std::string native = ResolveLink(NativePath(path));
  struct stat existing;
  bool exists = false;
  if (int error = CheckExistingTarget(native, existing, exists)) {
    result.error = WriteError(path, error);
    return result;
  }

  // A new file is written as an unnamed file in its folder and linked under its name only
  // once complete, so even a run that is killed half-way leaves nothing behind; and it
  // costs one directory entry instead of a temporary name and a rename, which counts when
  // a chapter cut writes a hundred thousand files. Where the file system cannot do that,
  // the temporary name below serves.
  if (!exists) {
    int error = 0;
    if (WriteUnnamedThenLink(native, parts, error)) {
      if (error != 0) {
        result.error = WriteError(path, error);
        return result;
      }
      result.ok = true;
      result.created = true;
      return result;
    }
    // Someone created it meanwhile: replace it the safe way below.
    if (error == EEXIST) exists = ::stat(native.c_str(), &existing) == 0;
  }

  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = TemporaryName(native);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    int error = errno;
    if (exists && (error == EACCES || error == EROFS || error == EPERM)) {
      error = WriteInPlace(native, parts);
      if (error == 0) result.ok = true;
    }
    if (!result.ok) result.error = WriteError(path, error);
    return result;
  }
  // A replaced file keeps its permissions.
  if (exists) ::fchmod(fd, existing.st_mode & 07777);
  int error = WriteAll(fd, parts);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), native.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    result.error = WriteError(path, error);
    return result;
  }
  result.ok = true;
  result.created = !exists;
  return result;
}

bool RemoveFile(const ByteText& path) {
  return !path.empty() && ::unlink(NativePath(path).c_str()) == 0;
}

bool WriteWholeFile(const ByteText& path, const ByteBuffer& data) {
  std::string_view part(data);
  return WriteFileParts(path, std::span<const std::string_view>(&part, 1)).ok;
}

void SetWriteFaults(WriteFaults faults) {
  beforeWrite.store(faults.beforeWrite);
  shortWrite.store(faults.shortWrite);
}

}  // namespace morvane
