// SPDX-License-Identifier: MIT
// Files on Windows: the W functions of the Win32 API on UTF-16 paths.
//
// Reading maps the file (or copies it) as on POSIX. Writing goes to a hidden temporary
// file in the target's folder that is moved over the target when complete
// (ReplaceFileW keeps a replaced file's attributes and security; MoveFileExW with
// write-through names a new one), so a failed or interrupted write leaves neither a
// partial file nor a damaged older file. Failures carry the Win32 error itself
// (FileError); refusals decided before a write are the errno values they stand for.

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "core/file_reading_parts.h"
#include "core/file_writing_parts.h"
#include "core/files.h"
#include "core/gbk.h"
#include "core/path.h"
#include "core/unique_letters.h"

namespace morvane {
namespace {

// ---- errors ------------------------------------------------------------------------

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_ACCESS_DENIED:
      return EACCES;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return EINVAL;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_TOO_LARGE:
      return EFBIG;
    default:
      return EIO;
  }
}

// A failure of the system call just made.
FileError LastFailure(FileOperation operation = FileOperation::kWrite) {
  return {ErrorCategory::kWin32, static_cast<int>(GetLastError()), operation, {}};
}

// A failure of the program's own, as the errno it stands for.
FileError OwnFailure(int number, FileOperation operation = FileOperation::kWrite) {
  return PosixError(number, operation);
}

// ---- the table of open files -------------------------------------------------------

file_reading::OpenFileTable<HANDLE>& TheOpenFiles() {
  static file_reading::OpenFileTable<HANDLE> files;
  return files;
}

// The last failure of OpenFile on this thread, in memory of its own that is never freed
// (one per thread that asked for it): MinGW-w64's runtime may free a thread's thread_local
// storage before it runs their destructors, which would then free whatever that memory
// holds by then.
FileError& LastOpenFailure() {
  thread_local FileError* failure = nullptr;
  if (!failure) failure = new FileError;
  return *failure;
}

struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
  }
};

// ---- reading -----------------------------------------------------------------------

using file_reading::FinishRead;

void Fail(TextRead& read, TextRead::Status status, FileError failure) {
  read.status = status;
  read.error = std::move(failure);
}

bool ReadByMapping(HANDLE file, std::size_t size, TextRead& read,
                   std::optional<Encoding> encoding) {
  Handle mapping{CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr)};
  if (mapping.h == nullptr) return false;
  void* address = MapViewOfFile(mapping.h, FILE_MAP_READ, 0, 0, size);
  if (address == nullptr) return false;
  std::shared_ptr<const void> owner(address,
                                    [](const void* p) { UnmapViewOfFile(const_cast<void*>(p)); });
  FinishRead(read, std::move(owner), std::string_view(static_cast<const char*>(address), size),
             encoding);
  return true;
}

void ReadByCopying(HANDLE file, std::size_t size, TextRead& read,
                   std::optional<Encoding> encoding) {
  std::shared_ptr<char> buffer;
  try {
    std::shared_ptr<char[]> array = std::make_shared_for_overwrite<char[]>(size);
    buffer = std::shared_ptr<char>(array, array.get());
  } catch (const std::bad_alloc&) {
    read.fileBytes = static_cast<std::int64_t>(size);
    Fail(read, TextRead::Status::kOutOfMemory, OwnFailure(ENOMEM, FileOperation::kRead));
    return;
  }
  std::size_t got = 0;
  while (got < size) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - got, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(file, buffer.get() + got, chunk, &n, nullptr)) {
      read.fileBytes = static_cast<std::int64_t>(size);
      Fail(read, TextRead::Status::kCannotRead, LastFailure(FileOperation::kRead));
      return;
    }
    if (n == 0) break;  // the file shrank since it was measured
    got += n;
  }
  const std::string_view bytes(buffer.get(), got);
  FinishRead(read, std::move(buffer), bytes, encoding);
}

// ---- writing -----------------------------------------------------------------------

WriteResult Refused(const Path& path, FileError failure) {
  WriteResult result;
  result.error = std::move(failure);
  result.error.operation = FileOperation::kWrite;
  result.error.path = path;
  return result;
}

// What stands at the target: 0 when nothing or a file that may be replaced, else the
// errno of the refusal (a folder, a read-only file, a device). The name itself is looked
// at: a symbolic link or junction is replaced as a name, whatever it leads to.
int CheckExistingTarget(const std::wstring& native, bool& exists,
                        DWORD* existingAttributes = nullptr) {
  exists = false;
  const DWORD attributes = GetFileAttributesW(native.c_str());
  if (existingAttributes) *existingAttributes = attributes;
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : ErrnoOf(error);
  }
  exists = true;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return 0;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EISDIR;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EACCES;
  if (attributes & FILE_ATTRIBUTE_READONLY) return EACCES;
  return 0;
}

// Temporary files are named ".<name>.morvane-<process>-<8 letters>.tmp" beside their
// target, so that one left by a killed run can be told from a live one.
constexpr std::wstring_view kTemporaryMark = L".morvane-";

std::wstring UniqueLetters() {
  const std::string letters = morvane::UniqueLetters(GetCurrentProcessId());
  return std::wstring(letters.begin(), letters.end());
}

std::wstring TemporaryName(const std::wstring& target) {
  const std::size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder =
      slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
  std::wstring name = slash == std::wstring::npos ? target : target.substr(slash + 1);
  if (name.size() > 180) name.resize(180);
  return folder + L"." + name + std::wstring(kTemporaryMark) +
         std::to_wstring(GetCurrentProcessId()) + L"-" + UniqueLetters() + L".tmp";
}

// The process that wrote a temporary file, from its name; 0 when it is none of ours.
DWORD WriterOf(std::wstring_view name) {
  if (!name.starts_with(L".") || !name.ends_with(L".tmp")) return 0;
  const std::wstring_view body = name.substr(0, name.size() - 4);
  const std::size_t mark = body.rfind(kTemporaryMark);
  if (mark == std::wstring_view::npos || mark == 0) return 0;
  const std::wstring_view tail = body.substr(mark + kTemporaryMark.size());
  const std::size_t dash = tail.find(L'-');
  if (dash == std::wstring_view::npos || dash == 0 || tail.size() - dash - 1 != 8) return 0;
  DWORD process = 0;
  for (wchar_t c : tail.substr(0, dash)) {
    if (c < L'0' || c > L'9') return 0;
    process = process * 10 + static_cast<DWORD>(c - L'0');
  }
  return process;
}

bool IsRunning(DWORD process) {
  HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
  if (!handle) return GetLastError() == ERROR_ACCESS_DENIED;  // someone else's, alive
  const bool running = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
  CloseHandle(handle);
  return running;
}

// The temporary file that exists now, for the console's Ctrl+C handler.
std::mutex pendingMutex;
std::wstring pendingTemporary;

void SetPending(const std::wstring& temporary) {
  std::lock_guard lock(pendingMutex);
  pendingTemporary = temporary;
}

BOOL WINAPI OnConsoleEnd(DWORD) {
  {
    std::lock_guard lock(pendingMutex);
    if (!pendingTemporary.empty()) DeleteFileW(pendingTemporary.c_str());
  }
  return FALSE;  // the default handler then ends the program
}

bool IsKept(const Path& path) {
  const std::optional<FileIdentity> id = IdentityOf(path);
  return id && file_writing::IsKept(*id);
}

FileError WriteBytes(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    std::size_t size = std::min<std::size_t>(bytes.size(), 1u << 30);
    if (const int error = file_writing::InjectedWriteError(size)) return OwnFailure(error);
    size = file_writing::WriteLimit(size);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr)) {
      return LastFailure();
    }
    if (written == 0) return OwnFailure(EIO);
    bytes.remove_prefix(written);
  }
  return {};
}

// Writes every part to file; no failure when all went. Small parts go
// in one WriteFile call (a piece and its banner are one write, as writev makes them on
// POSIX); large ones each in their own, without a copy.
FileError WriteAll(HANDLE file, std::span<const std::string_view> parts) {
  constexpr std::size_t kGathered = std::size_t{16} << 20;
  std::size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  if (parts.size() > 1 && total <= kGathered) {
    std::string whole;
    whole.reserve(total);
    for (std::string_view part : parts) whole.append(part);
    return WriteBytes(file, whole);
  }
  for (std::string_view part : parts) {
    if (FileError failure = WriteBytes(file, part)) return failure;
  }
  return {};
}

// Puts the complete temporary in target's place: ReplaceFileW over an existing file
// (it keeps the old file's attributes and security), MoveFileExW with write-through for
// a new name, never over a name that appeared meanwhile unless replace says so. A link at
// the name gives way itself (its target is left alone): a link to a folder is removed
// first, as no file may be moved over a folder's name.
bool MoveIntoPlace(const std::wstring& temporary, const std::wstring& target, bool replace) {
  const DWORD attributes = replace ? GetFileAttributesW(target.c_str()) : INVALID_FILE_ATTRIBUTES;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !RemoveDirectoryW(target.c_str())) return false;
  } else if (replace) {
    if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                     nullptr)) {
      return true;
    }
    // A file another program holds keeps this failure: the move would fail on it too, and
    // only with a plain "access denied".
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
        error == ERROR_USER_MAPPED_FILE) {
      return false;
    }
  }
  return MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0));
}

}  // namespace

FileNumber OpenFile(const Path& path) {
  if (path.empty()) {
    LastOpenFailure() = OwnFailure(ENOENT, FileOperation::kOpen);
    return 0;
  }
  const std::wstring system = SystemPath(path);
  const DWORD attributes = GetFileAttributesW(system.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    LastOpenFailure() = PosixError(EISDIR, FileOperation::kOpen, path);
    return 0;
  }
  // Others may go on reading, writing or renaming the file while it is open here.
  HANDLE file = CreateFileW(system.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    LastOpenFailure() = LastFailure(FileOperation::kOpen);
    LastOpenFailure().path = path;
    return 0;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    LastOpenFailure() = ProgramFailure(ProgramError::kNotRegularFile, FileOperation::kOpen, path);
    CloseHandle(file);
    return 0;
  }
  return TheOpenFiles().Register(file);
}

FileError LastOpenError() {
  return LastOpenFailure();
}

std::int64_t FileSizeOf(const Path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() ||
      !GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return -1;
  }
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::int64_t> ModifiedTimeOf(const Path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() ||
      !GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  // 100-nanosecond steps since 1601.
  const std::int64_t ticks =
      (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
      data.ftLastWriteTime.dwLowDateTime;
  return ticks / 10000000 - 11644473600LL;
}

std::optional<std::string> ReadFileBytes(const Path& path, std::size_t limit) {
  if (path.empty()) return std::nullopt;
  Handle file{CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.h, buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    if (bytes.size() + got > limit) return std::nullopt;
    bytes.append(buffer, got);
  }
  return bytes;
}

TextRead ReadText(FileNumber number, ReadMode mode, std::optional<Encoding> encoding) {
  TextRead read;
  Handle file{TheOpenFiles().Take(number, INVALID_HANDLE_VALUE)};
  if (file.h == INVALID_HANDLE_VALUE) {
    Fail(read, TextRead::Status::kCannotOpen, OwnFailure(EBADF, FileOperation::kOpen));
    return read;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.h, &size)) {
    Fail(read, TextRead::Status::kCannotRead, LastFailure(FileOperation::kRead));
    return read;
  }
  if (size.QuadPart > kMaxTextBytes) {
    read.fileBytes = size.QuadPart;
    Fail(read, TextRead::Status::kTooLarge, OwnFailure(EFBIG, FileOperation::kRead));
    return read;
  }
  const auto bytes = static_cast<std::size_t>(size.QuadPart);
  if (bytes == 0) {
    read.detected = ResolveEncoding({}, encoding);
    read.status = TextRead::Status::kOk;
    return read;
  }
  if (mode == ReadMode::kMap && ReadByMapping(file.h, bytes, read, encoding)) return read;
  ReadByCopying(file.h, bytes, read, encoding);
  return read;
}

TextRead ReadTextFile(const Path& path, ReadMode mode, std::optional<Encoding> encoding) {
  FileNumber file = OpenFile(path);
  if (file == 0) {
    TextRead read;
    Fail(read, TextRead::Status::kCannotOpen, LastOpenFailure());
    return read;
  }
  TextRead read = ReadText(file, mode, encoding);
  if (!read.ok()) read.error.path = path;
  return read;
}

TextRead ReadTextFile(const Path& path, ReadWatch&) {
  // The file is scanned whole before anything of it is handed over.
  return ReadTextFile(path, ReadMode::kMap);
}

int ReplaceRefusal(const Path& path) {
  bool exists = false;
  return CheckExistingTarget(SystemPath(path), exists);
}

WriteResult WriteFileParts(const Path& path, std::span<const std::string_view> parts) {
  if (path.empty()) return Refused(path, OwnFailure(ENOENT));
  const std::wstring target = SystemPath(path);
  bool exists = false;
  DWORD before = 0;
  if (int error = CheckExistingTarget(target, exists, &before)) {
    return Refused(path, OwnFailure(error));
  }

  std::wstring temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = TemporaryName(target);
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) return Refused(path, LastFailure());
  SetPending(temporary);

  FileError failure = WriteAll(file, parts);
  if (!CloseHandle(file) && !failure) failure = LastFailure();
  if (!failure) {
    file_writing::BeforeNaming();
    bool replace = exists;
    if (!replace && GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
      // Created meanwhile: replaced as any existing file, when it may be.
      if (int error = CheckExistingTarget(target, replace, &before)) failure = OwnFailure(error);
    }
    if (!failure && replace && IsKept(path)) {
      failure = ProgramFailure(ProgramError::kReplacesKeptFile, FileOperation::kWrite);
    }
    if (!failure && !MoveIntoPlace(temporary, target, replace)) failure = LastFailure();
  }
  SetPending(std::wstring());
  if (failure) {
    DeleteFileW(temporary.c_str());
    return Refused(path, failure);
  }
  // The temporary was hidden; the file is hidden only when the one it replaced was.
  if (!exists || !(before & FILE_ATTRIBUTE_HIDDEN)) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN)) {
      SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_HIDDEN);
    }
  }
  WriteResult result;
  result.ok = true;
  result.created = !exists;
  return result;
}

WriteResult WriteFilePartsAsReady(const Path& path, const std::function<NextPart()>& next) {
  // The parts are gathered first and written in one go: the write takes no part of the
  // reading's time here. Transient parts are copied to be kept until then.
  std::vector<std::string_view> parts;
  std::deque<std::string> copies;
  for (;;) {
    const NextPart part = next();
    if (part.abandon) return Refused(path, OwnFailure(ECANCELED));
    if (part.done) break;
    if (part.transient) {
      parts.push_back(copies.emplace_back(part.bytes));
    } else {
      parts.push_back(part.bytes);
    }
  }
  return WriteFileParts(path, parts);
}

bool NothingStandsAt(const Path& path) {
  if (path.empty() || GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
    return false;
  }
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND;
}

bool RemoveFile(const Path& path) {
  return !path.empty() && DeleteFileW(SystemPath(path).c_str());
}

int MakeFolder(const Path& folder) {
  if (folder.empty()) return ENOENT;
  const std::wstring system = SystemPath(folder);
  if (CreateDirectoryW(system.c_str(), nullptr)) return 0;
  const DWORD error = GetLastError();
  if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return ErrnoOf(error);
  const DWORD attributes = GetFileAttributesW(system.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EEXIST
                                                                                          : ENOTDIR;
}

bool RemoveEmptyFolder(const Path& folder) {
  return !folder.empty() && RemoveDirectoryW(SystemPath(folder).c_str());
}

int FolderRefusal(const Path& folder) {
  if (folder.empty()) return ENOENT;
  if (folder.native().size() >= PathLimit()) return ENAMETOOLONG;
  const std::wstring system = SystemPath(folder);
  const DWORD attributes = GetFileAttributesW(system.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ErrnoOf(GetLastError());
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ENOTDIR;
  // Whether a file can be made there shows only by making one (rights, read-only media).
  const std::wstring probe =
      JoinPath(Path(system), Path(L".morvane-probe-" + UniqueLetters())).native();
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const int error = ErrnoOf(GetLastError());
    return error == EEXIST ? 0 : error;
  }
  CloseHandle(file);
  return 0;
}

std::size_t NameLimit(const Path&) {
  // NTFS, FAT with long names and exFAT all take 255 UTF-16 units.
  return 255;
}

std::size_t PathLimit() {
  // The long form takes 32 767 units; its prefix and a current folder put before a
  // relative path take some of them.
  return 32000;
}

std::optional<FileIdentity> IdentityOf(const Path& path) {
  if (path.empty()) return std::nullopt;
  // Only the attributes are read: any file can be asked, also one open elsewhere.
  HANDLE file = CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

namespace {

// The folder of the running operation, held open without delete sharing: while the run
// lasts, no program can rename or remove it, or a folder above it, and so send a file of
// the run anywhere else.
struct RunFolder {
  Handle folder;
  FileIdentity identity;
  std::wstring path;
};
std::mutex runFolderMutex;
std::unique_ptr<RunFolder> runFolder;

}  // namespace

int WriteInto(const Path& folder) {
  auto run = std::make_unique<RunFolder>();
  run->path = SystemPath(folder);
  run->folder.h = folder.empty() ? INVALID_HANDLE_VALUE
                                 : CreateFileW(run->path.c_str(), FILE_READ_ATTRIBUTES,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  std::lock_guard lock(runFolderMutex);
  runFolder.reset();
  if (run->folder.h == INVALID_HANDLE_VALUE)
    return folder.empty() ? ENOENT : ErrnoOf(GetLastError());
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(run->folder.h, &info)) return ErrnoOf(GetLastError());
  run->identity = {info.dwVolumeSerialNumber,
                   (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
  runFolder = std::move(run);
  return 0;
}

void EndWrites() {
  std::lock_guard lock(runFolderMutex);
  runFolder.reset();
}

bool OutputFolderInPlace() {
  std::lock_guard lock(runFolderMutex);
  return !runFolder || IdentityOf(Path(runFolder->path)) == runFolder->identity;
}

std::optional<FileIdentity> OutputIdentityOf(const Path& path) {
  return IdentityOf(path);
}

bool IsStream(const Path&) {
  return false;
}

int OpenStream(const Path&) {
  errno = ENOTSUP;
  return -1;
}

bool WriteStream(int, std::string_view) {
  errno = EBADF;
  return false;
}

void CloseStream(int) {}

void RemoveStaleTemporaries(const Path& folder) {
  WIN32_FIND_DATAW entry;
  const Path system(SystemPath(folder));
  HANDLE search = FindFirstFileW(JoinPath(system, Path(L".*.tmp")).c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const DWORD writer = WriterOf(entry.cFileName);
    if (writer != 0 && writer != GetCurrentProcessId() && !IsRunning(writer)) {
      DeleteFileW(JoinPath(system, Path(entry.cFileName)).c_str());
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
}

void HandleWriteSignals() {
  SetConsoleCtrlHandler(OnConsoleEnd, TRUE);
}

}  // namespace morvane
