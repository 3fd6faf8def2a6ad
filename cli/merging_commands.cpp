// SPDX-License-Identifier: MIT
// morvane-cli merge: two to five files joined in order by the merge job
// (engine/merge_job.h), its inputs read from their files as the job writes.

#include <algorithm>
#include <future>
#include <system_error>

#include "cli/command_inputs.h"
#include "cli/input_guard.h"
#include "cli/terminal.h"
#include "engine/merge_job.h"
#include "engine/messages.h"
#include "engine/output_checks.h"

namespace morvane::cli {
namespace {

// The inputs of a merge read from their files. Where the texts go out as they stand
// (encodings detected, none other asked for), one thread reads the inputs one after another,
// a few MiB at a time, and the job follows each read a piece behind (Early): the reading
// stays ahead on the other core, and no input waits for the one before it to be written.
// Otherwise, or where the system gives no thread (a process limit, say), the first file is
// read (on both cores) before the others start, side by side, and written while they are
// read. The messages of the inputs come in the order of the files.
class FileMergeSources final : public MergeSources {
 public:
  // encoding: the one asked for (--encoding), none to detect each; follow: whether the
  // inputs may be followed as they are read.
  FileMergeSources(const std::vector<std::string>& given, std::optional<Encoding> encoding,
                   bool follow)
      : count_(given.size()),
        reads_(count_),
        watches_(count_),
        outcomes_(count_),
        lengths_(count_),
        inputs_(count_),
        merged_(count_) {
    GuardMappedInputs(given);
    for (const std::string& file : given) paths_.push_back(PathFromUtf8(file));
    for (std::size_t k = 0; k < count_; ++k)
      lengths_[k] = static_cast<std::size_t>(std::max<std::int64_t>(FileSizeOf(paths_[k]), 0));
    follows_ = follow;
    if (follows_) {
      for (std::size_t k = 0; k < count_; ++k) reads_[k] = outcomes_[k].get_future();
      try {
        reader_ = std::async(std::launch::async, [this] {
          // After a file that cannot be read the others are not: the merge stops there.
          bool readable = true;
          for (std::size_t k = 0; k < count_; ++k) {
            TextRead read;
            if (readable) read = ReadTextFile(paths_[k], watches_[k]);
            readable = readable && read.ok();
            watches_[k].Finish();
            outcomes_[k].set_value(std::move(read));
          }
        });
        return;
      } catch (const std::system_error&) {
        follows_ = false;
      }
    }
    reads_[0] = std::async(std::launch::deferred, [path = paths_.front(), encoding] {
      return ReadTextFile(path, ReadMode::kMap, encoding);
    });
    if (Take(0) == nullptr) return;
    for (std::size_t k = 1; k < count_; ++k) {
      const auto read = [path = paths_[k], encoding] {
        return ReadTextFile(path, ReadMode::kMap, encoding);
      };
      try {
        reads_[k] = std::async(std::launch::async, read);
      } catch (const std::system_error&) {
        reads_[k] = std::async(std::launch::deferred, read);
      }
    }
  }
  ~FileMergeSources() override { Finish(); }

  std::size_t count() const override { return count_; }
  const std::vector<Path>& paths() const { return paths_; }
  // Whether an input was found unreadable (and said so).
  bool failed() const { return failed_; }

  const MergeInput* Take(std::size_t k) override {
    for (; taken_ <= k; ++taken_) {
      if (failed_) return nullptr;
      inputs_[taken_] = Reported(paths_[taken_], reads_[taken_].get(), taken_);
      if (!inputs_[taken_]) {
        failed_ = true;
        return nullptr;
      }
      const Input& input = *inputs_[taken_];
      merged_[taken_] = MergeInput{input.path, input.text, input.detected};
    }
    return &*merged_[k];
  }

  std::optional<std::string_view> Early(std::size_t k, std::size_t from) override {
    if (!follows_) return std::nullopt;
    const ReadWatch::Seen seen = watches_[k].WaitBeyond(from);
    if (seen.over) return std::nullopt;
    // The file is mapped from here to its length when the read began.
    if (from == 0)
      GuardMappedInput(k, {seen.certain.data(), std::max(seen.certain.size(), lengths_[k])});
    return seen.certain.substr(from);
  }

  // The first file's messages even when the write failed before its end; inputs the write
  // did not get to are still read before their mappings go.
  void Finish() {
    if (taken_ == 0 && !failed_) Take(0);
    if (reader_.valid()) reader_.wait();
    for (auto& read : reads_) {
      if (read.valid()) read.wait();
    }
  }

  // The lengths of the files when they were read, -1 for those not read.
  std::vector<std::int64_t> FileBytes() const {
    std::vector<std::int64_t> bytes(count_, -1);
    for (std::size_t k = 0; k < count_; ++k) {
      if (inputs_[k]) bytes[k] = inputs_[k]->fileBytes;
    }
    return bytes;
  }

 private:
  std::size_t count_;
  std::vector<Path> paths_;
  bool follows_ = false;
  bool failed_ = false;
  std::size_t taken_ = 0;  // inputs taken from their reads, in order
  std::vector<std::future<TextRead>> reads_;
  // The followed reads: what is certain of each text so far, and the file lengths that the
  // mappings have (for the guard, before a read is over).
  std::vector<ReadWatch> watches_;
  std::vector<std::promise<TextRead>> outcomes_;
  std::vector<std::size_t> lengths_;
  std::vector<std::optional<Input>> inputs_;
  std::vector<std::optional<MergeInput>> merged_;
  // Last, so that it is waited for before anything it uses goes.
  std::future<void> reader_;
};

}  // namespace

// The merged file is named only once complete, so an input that cannot be read, or a
// character the merged file's encoding cannot hold, still leaves nothing behind.
int RunMerge(const OutputArgs& output, const std::vector<std::string>& given,
             const RunFiles& files) {
  const WarnsWhenDone warns;
  // Another encoding asked for reads every input whole before it is written.
  FileMergeSources sources(given, output.encoding, !output.encoding && !output.to);
  if (sources.failed()) return kRefused;
  const OutputTarget target = TargetOf(output, sources.paths().front());
  if (auto refusal = RefuseOutputs({target, true, 0, 0}, files)) {
    if (sources.Take(0) != nullptr) PrintMessage(*refusal);
    return kRefused;
  }
  MergeJob job(sources, {target, output.to});
  const MergeOutcome outcome = job.Run();
  sources.Finish();
  if (outcome.refusal) PrintMessage(outcome.refusal->message);
  if (outcome.stopped()) return kRefused;
  return Outcome(outcome.report, sources.paths(), sources.FileBytes());
}

}  // namespace morvane::cli
