// SPDX-License-Identifier: MIT
#pragma once
// Writing output files: what they hold (the output text followed by the banner), and the
// account of an operation's writes. Every file is written whole in one call through a
// temporary file that is renamed into place, so a failed write leaves neither a partial
// file nor a damaged older file of that name.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/byte_text.h"
#include "core/files.h"
#include "core/long_work.h"
#include "core/path.h"

namespace morvane {

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

}  // namespace morvane
