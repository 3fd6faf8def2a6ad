#pragma once
// Output naming and common routines: where every writing operation puts its files, what
// they hold (the output text followed by the banner), and the checks that keep an
// operation from losing anything.
//
// Numbered files are folder/prefix-N.txt, the merged file folder/prefix已合并.txt. Every
// file is written whole in one call through a temporary file that is renamed into place,
// so a failed write leaves neither a partial file nor a damaged older file of that name.
// Before the first file of an operation is written, RefuseOutputs makes sure that all of
// them can be written and that none of them would replace one of the operation's inputs:
// an operation writes all its files or none.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/byte_text.h"
#include "core/files.h"
#include "core/long_work.h"
#include "core/toolkit.h"
#include "engine/state.h"

namespace morvane {

// Where an operation writes: the save folder (never ending with a separator, except the
// root "/") and the file-name prefix, both as the file system spells them (path.h).
struct OutputTarget {
  Path folder;
  Path prefix;
};

// prefix "-" number ".txt": PieceFileName("a", 12) is "a-12.txt".
Path PieceFileName(const Path& prefix, int number);
// prefix "已合并.txt" (the suffix in the file system's encoding).
Path MergedFileName(const Path& prefix);
Path PiecePath(const OutputTarget& target, int number);
Path MergedPath(const OutputTarget& target);

// The prefix for an opened file: its name between the last separator and the last dot
// (StemOf in path.h). "/in/第一卷.part.txt" gives "第一卷.part".
Path BaseNameOf(const Path& path);

// The save-location box and the prefix box of the main window as paths: the bytes of the
// folder or file they were filled from, or what was typed into them encoded for the file
// system. Nothing when a typed name holds a character the file system cannot hold: the
// user has then been told which one.
std::optional<OutputTarget> OutputTargetOf(Toolkit& ui);
// The path one box holds in the same way, and what of a typed name cannot be held.
TypedName PathOfBox(const Toolkit& ui, std::string_view box);

// False when no save folder has been chosen, after asking for one and running the
// save-location window; the operation then ends, even if a folder was chosen meanwhile.
bool RequireSaveFolder(Toolkit& ui, AppState& state);

// Whether an operation may write into folder: always, unless folder is a system folder
// (core/system_folders.h) that the user has not agreed to during this run. Then the user
// is asked before the first file is written, and a yes is remembered for that folder.
bool ConfirmOutputFolder(Toolkit& ui, AppState& state, const Path& folder);

// The files an operation is about to write: numbered first..last, or the merged file.
struct OutputPlan {
  OutputTarget target;
  bool merged = false;
  int first = 1;
  int last = 0;
  // When set, file number k (first..last) is name(k) in the folder instead of a numbered
  // name: names made as they are looked at, so that a plan of a million files holds none.
  std::function<Path(int)> name = {};
};

// The longest file name, in bytes as the system spells it, that folder takes, so that
// folder and name together stay within the longest path the system takes.
std::size_t FileNameLimit(const Path& folder);

// The message that refuses the plan, or nothing when every file of it can be written:
// the folder must be an existing writable directory, the prefix must not lead into
// another folder, every name must be acceptable to the file system, no name may be taken
// by a folder or a read-only file, and no output may be one of the inputs.
std::optional<ByteText> RefuseOutputs(const OutputPlan& plan, std::span<const Path> inputs);
// The same check as long work (a hundred thousand names take a while to look up). A stop
// request ends the operation before anything is written, with the cancel message.
std::optional<ByteText> RefuseOutputs(Toolkit& ui, const OutputPlan& plan,
                                      std::span<const Path> inputs);

// Writes texts one after another, then banner, as the whole content of path, in one call.
WriteResult WriteOutputFile(const Path& path, std::span<const ByteText> texts,
                            const ByteText& banner);
WriteResult WriteOutputFile(const Path& path, const ByteText& text, const ByteText& banner);

// The outcome of the writes of one operation: how many failed, and the first failure;
// and the new files it made, which a cancelled operation removes again.
class WriteReport {
 public:
  // A report of writes that progress may cancel keeps the names of the files it created,
  // to take them back; without one (the command line) it keeps none, so that a cut into
  // millions of files costs no memory per file.
  explicit WriteReport(const Progress* progress = nullptr) : keepCreated_(progress != nullptr) {}
  WriteReport(const WriteReport&) = default;
  WriteReport(WriteReport&&) = default;
  WriteReport& operator=(const WriteReport&) = default;
  WriteReport& operator=(WriteReport&&) = default;
  // The run is over with its report: the output folder RefuseOutputs opened is let go (a
  // removable disk can be taken out).
  ~WriteReport();

  // order ranks the files of the operation: of several failures the report names the
  // first in that order, whichever thread wrote it first.
  void Record(const Path& path, const WriteResult& result, std::int64_t order = 0);
  // The user stopped the operation: removes every file it created.
  void Cancel();
  bool cancelled() const { return cancelled_; }
  // A write failed because the text's memory went away under it (EFAULT: the mapped
  // input was cut short): the rest would fail the same way, so the writing stops.
  bool inputChanged() const { return inputChanged_; }

  // The output folder was moved, removed or replaced since the run began: the files
  // went into it wherever it is now, and the writing stops. Looked at with the first file,
  // every few files, after a failure and by CheckFolder.
  bool folderMoved() const { return folderMoved_; }
  void CheckFolder();

  bool ok() const { return failures_ == 0 && !folderMoved_; }
  std::int64_t written() const { return written_; }
  std::int64_t failures() const { return failures_; }
  const Path& firstFailedPath() const { return firstFailedPath_; }
  // The folder the files went to (of the first file recorded).
  const Path& folder() const { return folder_; }
  const WriteResult& firstFailure() const { return firstFailure_; }

 private:
  std::int64_t written_ = 0;
  std::int64_t failures_ = 0;
  Path folder_;
  Path firstFailedPath_;
  WriteResult firstFailure_;
  std::int64_t firstFailedOrder_ = 0;
  std::vector<Path> created_;
  bool cancelled_ = false;
  bool inputChanged_ = false;
  bool folderMoved_ = false;
  bool keepCreated_ = false;
};

// Between the files of a writing loop: true when the user has asked to stop, after
// cancelling report (progress may be null: nobody can stop the loop).
bool StopBeforeNextFile(Progress* progress, WriteReport& report);

// Writes the files of one operation as they are handed over: on the calling thread alone,
// or, for a large job, on it and a second thread side by side, so that the file system's
// work (most of a cut's time) runs on two cores, and a caller that searches for where the
// files begin (the chapter cut) searches while the other thread writes. Files may then be
// named in a slightly different order than they were handed over; each one is still
// written whole or not at all.
class FileWriter {
 public:
  // Jobs of fewer bytes are written on the calling thread alone.
  static constexpr std::int64_t kSideBySideBytes = 8LL << 20;

  FileWriter(WriteReport& report, Progress* progress, bool sideBySide);
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;
  ~FileWriter();
  // Writes texts followed by banner to path (the file's number ranks it for the report).
  // False once the writing has stopped (the user asked to stop, or the input went away):
  // hand over no more files then.
  bool Write(std::int64_t number, const Path& path, std::vector<ByteText> texts,
             const ByteText& banner);
  // Waits until every file handed over is written; a stop asked for by the user then
  // cancels the report (its files are taken back).
  void Finish();

 private:
  struct Job;
  struct Shared;
  // Whether the writing stops before the next file (called with the lock held).
  bool StopNow();
  void WriteNow(const Job& job);
  void Serve();
  WriteReport& report_;
  Progress* progress_;
  std::unique_ptr<Shared> shared_;
  bool finished_ = false;
};

// The message that ends a writing operation: done with its caption when every file was
// written, otherwise how many files failed and the first of them, or that it was
// cancelled.
void ShowOutcome(Toolkit& ui, const WriteReport& report, const ByteText& done,
                 const ByteText& caption);

}  // namespace morvane
