// SPDX-License-Identifier: MIT
#include "engine/output_writing.h"

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace morvane {

WriteResult WriteOutputFile(const Path& path, std::span<const ByteText> texts,
                            const ByteText& banner) {
  std::vector<std::string_view> parts;
  parts.reserve(texts.size() + 1);
  for (const ByteText& text : texts) parts.push_back(text.view());
  parts.push_back(banner.view());
  return WriteFileParts(path, parts);
}

WriteResult WriteOutputFile(const Path& path, const ByteText& text, const ByteText& banner) {
  const std::string_view parts[] = {text.view(), banner.view()};
  return WriteFileParts(path, parts);
}

WriteReport::~WriteReport() {
  EndWrites();
}

void WriteReport::CheckFolder() {
  if (!folderMoved_ && !OutputFolderInPlace()) folderMoved_ = true;
}

namespace {
// Files between two looks at whether the output folder still stands at its path: a look
// costs a lookup of the whole path.
constexpr std::int64_t kFilesBetweenFolderLooks = 64;
}  // namespace

void WriteReport::Record(const Path& path, const WriteResult& result, std::int64_t order) {
  if (folder_.empty()) folder_ = FolderPart(path);
  if (!result.ok || (written_ + failures_) % kFilesBetweenFolderLooks == 0) CheckFolder();
  if (result.ok) {
    ++written_;
    if (result.created && keepCreated_) created_.push_back(path);
    return;
  }
  if (result.error.kind() == ErrorKind::kInputGone) inputChanged_ = true;
  if (failures_++ == 0 || order < firstFailedOrder_) {
    firstFailedPath_ = path;
    firstFailure_ = result;
    firstFailedOrder_ = order;
  }
}

// ---- writing on two threads ------------------------------------------------------------

struct FileWriter::Job {
  std::int64_t number = 0;
  Path path;
  std::vector<ByteText> texts;
  const ByteText* banner = nullptr;
};

struct FileWriter::Shared {
  std::mutex mutex;  // the report, the progress and everything below
  std::condition_variable changed;
  std::deque<Job> queue;
  bool closed = false;
  bool stopped = false;
  std::int64_t files = 0;
  std::int64_t bytes = 0;
  std::thread other;
};

namespace {
// Files waiting for the second thread: enough that it never waits while the caller
// searches, few enough that their texts cost nothing.
constexpr std::size_t kWaitingFiles = 16;
}  // namespace

FileWriter::FileWriter(WriteReport& report, Progress* progress, bool sideBySide)
    : report_(report), progress_(progress), shared_(std::make_unique<Shared>()) {
  if (!sideBySide) return;
  try {
    shared_->other = std::thread([this] { Serve(); });
  } catch (const std::system_error&) {
    // No thread to be had (a process limit): everything is written on this one.
  }
}

FileWriter::~FileWriter() {
  Finish();
}

void FileWriter::WriteNow(const Job& job) {
  const WriteResult result = WriteOutputFile(job.path, job.texts, *job.banner);
  // The text alone, as the sizes shown elsewhere count it: the banner is the program's.
  std::int64_t bytes = 0;
  for (const ByteText& text : job.texts) bytes += static_cast<std::int64_t>(text.size());
  std::lock_guard lock(shared_->mutex);
  report_.Record(job.path, result, job.number);
  shared_->bytes += bytes;
  ++shared_->files;
  if (progress_ != nullptr) progress_->Advance(shared_->files, shared_->bytes);
  if (report_.inputChanged() || report_.folderMoved()) shared_->stopped = true;
}

bool FileWriter::StopNow() {
  Shared& shared = *shared_;
  if (!shared.stopped && (report_.inputChanged() || report_.folderMoved() ||
                          (progress_ != nullptr && progress_->StopRequested())))
    shared.stopped = true;
  return shared.stopped;
}

void FileWriter::Serve() {
  Shared& shared = *shared_;
  for (;;) {
    Job job;
    {
      std::unique_lock lock(shared.mutex);
      shared.changed.wait(lock, [&] { return shared.closed || !shared.queue.empty(); });
      if (shared.queue.empty()) return;
      job = std::move(shared.queue.front());
      shared.queue.pop_front();
      if (StopNow()) continue;
    }
    WriteNow(job);
  }
}

bool FileWriter::Write(std::int64_t number, const Path& path, std::vector<ByteText> texts,
                       const ByteText& banner) {
  Shared& shared = *shared_;
  Job job{number, path, std::move(texts), &banner};
  {
    std::unique_lock lock(shared.mutex);
    if (StopNow()) return false;
    if (shared.other.joinable()) {
      // The other thread takes this file; when it is behind, this thread writes the
      // oldest waiting file itself instead of waiting.
      // The other thread sleeps only when it has found nothing to write.
      shared.queue.push_back(std::move(job));
      if (shared.queue.size() == 1) shared.changed.notify_one();
      if (shared.queue.size() <= kWaitingFiles) return true;
      job = std::move(shared.queue.front());
      shared.queue.pop_front();
    }
  }
  WriteNow(job);
  return true;
}

void FileWriter::Finish() {
  if (finished_) return;
  finished_ = true;
  Shared& shared = *shared_;
  if (shared.other.joinable()) {
    {
      std::lock_guard lock(shared.mutex);
      shared.closed = true;
      shared.changed.notify_all();
    }
    shared.other.join();
  }
  report_.CheckFolder();
  if (progress_ != nullptr && progress_->StopRequested() && shared.stopped) report_.Cancel();
}

void WriteReport::Cancel() {
  cancelled_ = true;
  for (const Path& path : created_) RemoveFile(path);
  created_.clear();
}

bool StopBeforeNextFile(Progress* progress, WriteReport& report) {
  if (report.inputChanged() || report.folderMoved()) return true;
  if (progress == nullptr || !progress->StopRequested()) return false;
  report.Cancel();
  return true;
}

}  // namespace morvane
