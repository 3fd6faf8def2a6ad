// SPDX-License-Identifier: MIT
#include "core/files.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
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

#include "core/file_reading_parts.h"
#include "core/gbk.h"
#include "core/mapped_files.h"

namespace morvane {
namespace {

// ---- the table of open files -------------------------------------------------------

file_reading::OpenFileTable<int>& TheOpenFiles() {
  static file_reading::OpenFileTable<int> files;
  return files;
}

thread_local FileError lastOpenError;

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// ---- reading -----------------------------------------------------------------------

using file_reading::FillEnd;
using file_reading::FinishRead;
using file_reading::LocateText;
using file_reading::TextOf;

// Maps the file; false when the system would not (the caller then copies).
bool ReadByMapping(int fd, std::size_t size, TextRead& read, std::optional<Encoding> encoding,
                   ReadWatch* watch) {
  void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (address == MAP_FAILED) return false;
  // Measured on a warm 1 GiB file, mapping then scanning and reading every byte:
  // sequential advice 0.10 s, MAP_POPULATE 0.12 s; the advice also reads ahead when
  // the file is not in the page cache yet.
  ::madvise(address, size, MADV_SEQUENTIAL);
  // The file stays open with its mapping, so that writes can copy from it in the kernel.
  const int kept = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  if (kept >= 0) RememberMapping(address, size, kept);
  std::shared_ptr<const void> owner(address, [size, kept](const void* p) {
    if (kept >= 0) ForgetMapping(p);
    ::munmap(const_cast<void*>(p), size);
  });
  std::string_view bytes(static_cast<const char*>(address), size);
  std::size_t end = 0;
  std::size_t start = 0;
  if (watch != nullptr && !encoding) {
    const TextExtent extent = LocateTextWatched(bytes, owner, *watch);
    read.detected = extent.detected;
    read.undecodable = extent.undecodable;
    start = extent.start;
    end = extent.end;
  } else {
    start = LocateText(bytes, encoding, read, end);
  }
  FillEnd(read, bytes, end);
  read.text = TextOf(std::move(owner), bytes.data() + start, size, end - start);
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

void ReadByCopying(int fd, std::size_t size, TextRead& read, std::optional<Encoding> encoding) {
  std::shared_ptr<char> buffer = AllocateFileBuffer(size);
  if (!buffer) {
    read.status = TextRead::Status::kOutOfMemory;
    read.fileBytes = static_cast<std::int64_t>(size);
    read.error = PosixError(ENOMEM, FileOperation::kRead);
    return;
  }
  std::size_t got = 0;
  while (got < size) {
    ssize_t n = ::read(fd, buffer.get() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      read.status = TextRead::Status::kCannotRead;
      read.fileBytes = static_cast<std::int64_t>(size);
      read.error = PosixError(errno, FileOperation::kRead);
      return;
    }
    if (n == 0) break;  // the file shrank since it was measured
    got += static_cast<std::size_t>(n);
  }
  const std::string_view bytes(buffer.get(), got);
  FinishRead(read, std::move(buffer), bytes, encoding);
}

}  // namespace

FileNumber OpenFile(const Path& path) {
  if (path.empty()) {
    lastOpenError = PosixError(ENOENT, FileOperation::kOpen, path);
    return 0;
  }
  std::string native = path.native();
  // Non-blocking so that a named pipe cannot hang the open; it is refused below anyway.
  int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    lastOpenError = PosixError(errno, FileOperation::kOpen, path);
    return 0;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    lastOpenError = PosixError(errno, FileOperation::kOpen, path);
    ::close(fd);
    return 0;
  }
  if (!S_ISREG(st.st_mode)) {
    lastOpenError = S_ISDIR(st.st_mode)
                        ? PosixError(EISDIR, FileOperation::kOpen, path)
                        : ProgramFailure(ProgramError::kNotRegularFile, FileOperation::kOpen, path);
    ::close(fd);
    return 0;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return TheOpenFiles().Register(fd);
}

FileError LastOpenError() {
  return lastOpenError;
}

namespace {

TextRead ReadWatched(FileNumber file, ReadMode mode, std::optional<Encoding> encoding,
                     ReadWatch* watch) {
  TextRead read;
  Descriptor in{TheOpenFiles().Take(file, -1)};
  if (in.fd < 0) {
    read.status = TextRead::Status::kCannotOpen;
    read.error = PosixError(EBADF, FileOperation::kOpen);
    return read;
  }
  struct stat st;
  if (::fstat(in.fd, &st) != 0) {
    read.status = TextRead::Status::kCannotRead;
    read.error = PosixError(errno, FileOperation::kRead);
    return read;
  }
  if (st.st_size > kMaxTextBytes) {
    read.status = TextRead::Status::kTooLarge;
    read.fileBytes = st.st_size;
    read.error = PosixError(EFBIG, FileOperation::kRead);
    return read;
  }
  auto size = static_cast<std::size_t>(st.st_size);
  if (size == 0) {
    read.status = TextRead::Status::kOk;
    read.detected = ResolveEncoding({}, encoding);
    return read;
  }
  if (mode == ReadMode::kMap && ReadByMapping(in.fd, size, read, encoding, watch)) return read;
  ReadByCopying(in.fd, size, read, encoding);
  return read;
}

TextRead OpenAndRead(const Path& path, ReadMode mode, std::optional<Encoding> encoding,
                     ReadWatch* watch) {
  FileNumber file = OpenFile(path);
  if (file == 0) {
    TextRead read;
    read.status = TextRead::Status::kCannotOpen;
    read.error = LastOpenError();
    return read;
  }
  TextRead read = ReadWatched(file, mode, encoding, watch);
  if (!read.ok()) read.error.path = path;
  return read;
}

}  // namespace

TextRead ReadText(FileNumber file, ReadMode mode, std::optional<Encoding> encoding) {
  return ReadWatched(file, mode, encoding, nullptr);
}

std::int64_t FileSizeOf(const Path& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

std::optional<std::int64_t> ModifiedTimeOf(const Path& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::int64_t>(st.st_mtime);
}

std::optional<std::string> ReadFileBytes(const Path& path, std::size_t limit) {
  const FileNumber file = OpenFile(path);
  if (file == 0) return std::nullopt;
  const int fd = TheOpenFiles().Take(file, -1);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char buffer[1 << 16];
  bool ok = true;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 || bytes.size() + static_cast<std::size_t>(got) > limit) ok = false;
    if (got <= 0 || !ok) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  return bytes;
}

TextRead ReadTextFile(const Path& path, ReadMode mode, std::optional<Encoding> encoding) {
  return OpenAndRead(path, mode, encoding, nullptr);
}

TextRead ReadTextFile(const Path& path, ReadWatch& watch) {
  return OpenAndRead(path, ReadMode::kMap, std::nullopt, &watch);
}

}  // namespace morvane
