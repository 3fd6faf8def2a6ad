// SPDX-License-Identifier: MIT
#pragma once
// Files: reading a whole file as text and writing a whole file in one call.
//
// Paths are the file system's own bytes (path.h), handed to the system calls unchanged.
// Input files are opened for reading only: the program never writes to what it reads.
// Failures are values (FileError) that carry the system's code, so that callers can say
// why in their own words.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/file_error.h"
#include "core/path.h"

namespace morvane {

// An open input file; 0 means none.
using FileNumber = int;

// Opens an existing regular file for reading only (a read-only file opens as any
// other). 0 when the path is empty or the file cannot be opened or is no regular file
// (a folder, a device, a pipe); LastOpenError() then says why.
FileNumber OpenFile(const Path& path);
// Why the last OpenFile of this thread failed.
FileError LastOpenError();
// The size in bytes of the file at path; -1 when there is none to be found.
std::int64_t FileSizeOf(const Path& path);

// The time of the last change of the file at path, in seconds since 1970 (UTC); nothing
// when there is no file to be found.
std::optional<std::int64_t> ModifiedTimeOf(const Path& path);
// The whole of a small file that is no text (an image), bytes as they are; nothing when it
// cannot be read or is longer than limit.
std::optional<std::string> ReadFileBytes(const Path& path, std::size_t limit);

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
  FileError error;  // why, when status is not kOk
  // Whether every byte left out after the end mark is 0x1A or 0x00 (a padded file).
  bool onlyPaddingLeftOut = false;
  // The file's encoding (detected or forced) and whether it starts with a byte-order
  // mark; the text leaves the mark out, and its length counts the text alone.
  Detected detected;
  // FindUndecodable of the text, where the read counted it on the way (a GBK text); else
  // nothing, and whoever needs the count makes it.
  std::optional<Undecodable> undecodable;

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

// Reads the whole file behind file and closes it. The encoding is detected
// (DetectEncoding) unless one is given. The text starts after a byte-order mark and ends
// at the first 0x00 or 0x1A that stands at a character start (TextEndIn); in GBK a byte of
// 0x80 or above followed by 0x00 is dropped with it, and a lone last byte of 0x80 or
// above is kept. Only files that OpenFile gave and that were not read yet are read; any
// other number gives kCannotOpen.
TextRead ReadText(FileNumber file, ReadMode mode = ReadMode::kCopy,
                  std::optional<Encoding> encoding = std::nullopt);
// OpenFile and ReadText in one step.
TextRead ReadTextFile(const Path& path, ReadMode mode = ReadMode::kCopy,
                      std::optional<Encoding> encoding = std::nullopt);

// The text-ending rule alone, on GBK bytes in memory: the length of the text that
// ReadText would return for a GBK file holding exactly these bytes.
std::size_t TextEnd(std::string_view bytes);
// The same in any encoding, on the bytes after the byte-order mark: in UTF-16 a U+0000 or
// U+001A code unit ends the text, never a zero byte inside a unit.
std::size_t TextEndIn(Encoding encoding, std::string_view text);

// Where the text of a whole file's bytes lies: its encoding (ResolveEncoding), the offset
// after its byte-order mark and its end (TextEndIn), from one pass over the bytes, in two
// halves side by side when they are many.
struct TextExtent {
  Detected detected;
  std::size_t start = 0;
  std::size_t end = 0;
  // FindUndecodable of the text, where the pass that found the end counted it.
  std::optional<Undecodable> undecodable;
};
TextExtent LocateTextIn(std::string_view bytes, std::optional<Encoding> forced);

// A read followed from another thread as it goes: the bytes at the start of the file that
// belong to its text whatever encoding it turns out to have (no byte-order mark, and
// before the first 0x00 or 0x1A but the byte just ahead of it, which a GBK text may drop
// with a zero), so that they can be written while the rest is still scanned.
class ReadWatch {
 public:
  struct Seen {
    std::string_view certain;  // text bytes known so far, from the start of the file
    bool over = false;         // the read is over (whatever its outcome)
  };
  // Waits until more than known bytes are certain or the read is over.
  Seen WaitBeyond(std::size_t known);
  // The reader's side: more bytes are certain (they stay valid while owner lives, and the
  // watch keeps it); the read is over.
  void Advance(const std::shared_ptr<const void>& owner, std::string_view certain);
  void Finish();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::shared_ptr<const void> owner_;
  std::string_view certain_;
  bool over_ = false;
};
// LocateTextIn of detected text (no encoding given), scanning in pieces of a few MiB one
// after another and telling watch what is certain after each; the same result.
TextExtent LocateTextWatched(std::string_view bytes, const std::shared_ptr<const void>& owner,
                             ReadWatch& watch);
// ReadTextFile(path, ReadMode::kMap) told to watch as it goes (where the system allows;
// otherwise watch hears only that the read is over, from the caller's Finish).
TextRead ReadTextFile(const Path& path, ReadWatch& watch);

struct WriteResult {
  bool ok = false;
  FileError error;       // why, when !ok
  bool created = false;  // the write made a new file (nothing stood at path before)
};

// Writes the parts one after another as the whole content of path, in one call
// (writev). The bytes go to an unnamed file in the folder, which gets its name only when
// complete: linked under a new name (never over a name that appeared meanwhile), or,
// to replace an existing file, given a hidden temporary name for the instant of the
// rename over it (the replacement keeps the old file's permission bits). Either way a
// failed or interrupted write leaves neither a partial file nor a damaged older file.
// Where the file system has no unnamed files, a hidden temporary file serves for the
// whole write. Nothing is ever written into an existing file, and nothing outside the
// folder is touched: a symbolic link at the name is replaced as a name (the link gives
// way to the new file, its target stays as it is), and the folder is reached through
// its descriptor (WriteInto), never by its path once more. An existing name that is a
// folder, no regular file or a file we may not write, or that could not be replaced
// (ReplaceRefusal), is refused. A file of KeepUnchanged found at the name when it is
// given, links followed, is not replaced (ProgramError::kReplacesKeptFile). The data is not flushed
// to the disk (fsync) before the call returns.
WriteResult WriteFileParts(const Path& path, std::span<const std::string_view> parts);
// One part of a file handed over by WriteFilePartsAsReady's source: its bytes, or that
// there are no more (done), or that the file is not to be written after all (abandon).
// A transient part's bytes are valid only until next() is called again (a piece converted
// on the fly, so that no more than a piece is held): a write that would have to start over
// from the first part (where the file system names no unnamed file) fails instead.
struct NextPart {
  std::string_view bytes;
  bool done = false;
  bool abandon = false;
  bool transient = false;
};
// WriteFileParts for parts that become ready one after another (a merge whose later inputs
// are still being read): next() waits for the following part and hands it over; each is
// written as it comes. An abandoned write leaves nothing, as a failed one does, and
// reports ErrorKind::kCancelled. The parts but transient ones must stay valid until the call
// returns.
WriteResult WriteFilePartsAsReady(const Path& path, const std::function<NextPart()>& next);
// Why a write to path would be refused because of what already stands there at the name:
// a folder (EISDIR), a device or a file without write permission (EACCES), another user's
// name in a sticky folder, which a rename may not replace (EPERM), or a folder where no
// new name can be made for the replacement. 0 when nothing stands there or it may be
// replaced (a symbolic link always may: it is replaced as a name). Lets an operation
// check all its names before it writes the first file.
int ReplaceRefusal(const Path& path);
// True when nothing at all, not even a symbolic link, stands at path (and its folder can
// be searched): such a name needs no ReplaceRefusal or IdentityOf. One look, for the checks
// of a hundred thousand new names.
bool NothingStandsAt(const Path& path);
// Whether path names, links followed, a character device or a FIFO (/dev/null, a terminal,
// /dev/stdout, /proc/self/fd/1 on a pipe): an output named so is a stream, written as it
// comes and never replaced, as the GNU tools write it. Never on Windows, whose device names
// are refused as outputs.
bool IsStream(const Path& path);
// Opens such a stream for writing: its descriptor, or -1 with errno set.
int OpenStream(const Path& path);
// Writes all of bytes to the stream; false with errno set when that failed. The caller
// closes it with CloseStream.
bool WriteStream(int stream, std::string_view bytes);
void CloseStream(int stream);

// Removes the file at path (a cancelled operation takes back what it wrote); false when
// that failed.
bool RemoveFile(const Path& path);

// Makes the folder when nothing stands at its path (its parent must exist): 0 when it was
// made, EEXIST when a folder stood there already, else the errno (ENOTDIR when something
// else stands there).
int MakeFolder(const Path& folder);
// Removes folder when it is empty (a folder made for outputs that were never written);
// false when it is not, or cannot be removed.
bool RemoveEmptyFolder(const Path& folder);

// Why no file could be written into folder, or 0: it is missing (ENOENT), no folder
// (ENOTDIR), too long a path (ENAMETOOLONG), or we may not write there (EACCES, EROFS).
int FolderRefusal(const Path& folder);
// The longest file name, in bytes, that the file system of folder takes.
std::size_t NameLimit(const Path& folder);
// The longest path, in bytes, that the system takes.
std::size_t PathLimit();

// The identity of the file a path names, links followed: the same for every spelling,
// link, hard link and bind mount of one file. Nothing when no file stands there.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
std::optional<FileIdentity> IdentityOf(const Path& path);
// IdentityOf for an output name, looked up in its folder as the writes reach it.
std::optional<FileIdentity> OutputIdentityOf(const Path& path);
// The files the running operation reads: from now on no write replaces one of them. Each
// call replaces the list.
void KeepUnchanged(std::span<const FileIdentity> files);

// The folder the running operation writes into: opened now, and until the next call or
// EndWrites every write, check and removal of a name in it goes through that descriptor,
// so that a folder renamed, or replaced by a link, mid-run cannot send a file anywhere
// else. 0 or the errno of the open.
int WriteInto(const Path& folder);
void EndWrites();
// Whether the folder of WriteInto still stands at its path: false once it was renamed,
// removed or replaced since (the files written went into it, wherever it is now).
bool OutputFolderInPlace();

// Removes the temporary files of ours in folder that no running program will name any
// more (left by a run that was killed).
void RemoveStaleTemporaries(const Path& folder);
// Sets up the process for writing: a write beyond the file size limit fails (EFBIG)
// instead of ending the program, and SIGINT, SIGTERM and SIGHUP remove the temporary file
// that exists at that instant before the program ends as the signal would end it.
void HandleWriteSignals();
// Creates or replaces path with data; false when that failed.
bool WriteWholeFile(const Path& path, const ByteBuffer& data);

// The seam through which tests inject system-call failures into writes (ENOSPC, EIO,
// short writes). Production code never sets it.
struct WriteFaults {
  // Called before each write system call with the bytes about to be written; a
  // non-zero result is taken as that call's errno.
  int (*beforeWrite)(std::size_t bytes) = nullptr;
  // Called before each write system call with the bytes about to be written; the call
  // then writes at most the number returned (at least 1), as a short write would.
  std::size_t (*shortWrite)(std::size_t bytes) = nullptr;
  // Called when a complete file is about to get its name (a test changes the folder
  // there, as another program might).
  void (*beforeNaming)() = nullptr;
};
void SetWriteFaults(WriteFaults faults);

}  // namespace morvane
