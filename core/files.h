#pragma once
// Files: reading a whole file as text and writing a whole file in one call.
//
// Paths are GBK byte texts; on POSIX they become UTF-8 at the system call (see gbk.h),
// so a prefix such as 第一卷 names a file that a file manager shows as 第一卷.
// Input files are opened for reading only: the program never writes to what it reads.
// Failures are values that carry the system's reason, so that callers can say so.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/byte_text.h"

namespace morvane {

// The separator between folder and file name in the paths the program builds.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// An open input file; 0 means none.
using FileNumber = int;

// Opens an existing regular file for reading only (a read-only file opens as any
// other). 0 when the path is empty or the file cannot be opened or is no regular file
// (a folder, a device, a pipe); LastOpenError() then says why.
FileNumber OpenFile(const ByteText& path);
// The system's reason (UTF-8) for the last failed OpenFile.
std::string LastOpenError();

// Texts are at most this long: sizes are 32-bit in the whole program.
inline constexpr std::int64_t kMaxTextBytes = 0x7FFFFFFF;

struct TextRead {
  enum class Status {
    kOk,
    kCannotOpen,   // no such file, no rights, not a regular file, ...
    kCannotRead,   // the read itself failed
    kTooLarge,     // longer than kMaxTextBytes
    kOutOfMemory,  // no memory for the file's bytes
  };
  Status status = Status::kCannotOpen;
  ByteText text;               // the text; empty unless status is kOk
  std::int64_t fileBytes = 0;  // length of the file
  // Where the text ended before the end of the file: the mark that ended it (0x00 or
  // 0x1A) and the number of bytes of the file that are not in the text.
  int endMark = -1;
  std::int64_t bytesLeftOut = 0;
  std::string error;  // the system's reason, UTF-8, when status is not kOk
  // Whether every byte left out after the end mark is 0x1A or 0x00 (a padded file).
  bool onlyPaddingLeftOut = false;

  bool ok() const { return status == Status::kOk; }
  // True when the text stopped at a zero byte, or at a 0x1A followed by more than
  // trailing 0x1A and zero bytes (a UTF-16 file, say): worth telling the user.
  bool EndedEarly() const;
};

// How ReadText holds the file's bytes.
enum class ReadMode {
  // A private copy: the text stays as the file was when it was read, whatever happens
  // to the file afterwards (the desktop program keeps texts for a long time).
  kCopy,
  // The file mapped into memory, read-only and private: no copy, so it is the faster
  // way for a caller that uses the text at once. Changing or truncating the file while
  // the text lives changes or breaks the text.
  kMap,
};

// Reads the whole file behind file and closes it. The text ends at the first 0x00 or
// 0x1A that stands at a character start; a byte of 0x80 or above followed by 0x00 is
// dropped with it. A lone last byte of 0x80 or above is kept. Only files that OpenFile
// gave and that were not read yet are read; any other number gives kCannotOpen.
TextRead ReadText(FileNumber file, ReadMode mode = ReadMode::kCopy);
// OpenFile and ReadText in one step.
TextRead ReadTextFile(const ByteText& path, ReadMode mode = ReadMode::kCopy);

// The text-ending rule alone, on bytes in memory: the length of the text that
// ReadText would return for a file holding exactly these bytes.
std::size_t TextEnd(std::string_view bytes);

struct WriteResult {
  bool ok = false;
  std::string error;     // "cannot write <path>: <reason>", UTF-8, when !ok
  bool created = false;  // the write made a new file (nothing stood at path before)
};

// Writes the parts one after another as the whole content of path, in one call
// (writev). A new file is written as an unnamed file in its folder and linked under its
// name when complete; an existing file is replaced through a hidden temporary file in the
// same folder that is renamed into place. Either way a failed or interrupted write leaves
// neither a partial file nor a damaged older file.
// An existing path that is not a regular file or that we may not write is refused, not
// replaced; a symbolic link is followed and its target replaced. The data is not
// flushed to the disk (fsync) before the call returns.
WriteResult WriteFileParts(const ByteText& path, std::span<const std::string_view> parts);
// Why a write to path would be refused because of what already stands there: a folder,
// a device, or a file without write permission. 0 when nothing stands there or it may be
// replaced. Lets an operation check all its names before it writes the first file.
int ReplaceRefusal(const ByteText& path);
// Removes the file at path (a cancelled operation takes back what it wrote); false when
// that failed.
bool RemoveFile(const ByteText& path);
// Creates or replaces path with data; false when that failed.
bool WriteWholeFile(const ByteText& path, const ByteBuffer& data);

// The seam through which tests inject system-call failures into writes (ENOSPC, EIO,
// short writes). Production code never sets it.
struct WriteFaults {
  // Called before each write system call with the bytes about to be written; a
  // non-zero result is taken as that call's errno.
  int (*beforeWrite)(std::size_t bytes) = nullptr;
  // Called before each write system call with the bytes about to be written; the call
  // then writes at most the number returned (at least 1), as a short write would.
  std::size_t (*shortWrite)(std::size_t bytes) = nullptr;
};
void SetWriteFaults(WriteFaults faults);

}  // namespace morvane
