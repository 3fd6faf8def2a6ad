// SPDX-License-Identifier: MIT
#include "cli/batch_runner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "cli/input_guard.h"
#include "cli/terminal.h"
#include "core/path.h"
#include "engine/messages.h"

namespace morvane::cli {
namespace {

bool IsSeparator(char c) {
  return c == '/' || c == kPathSeparator;
}

// The line of one file.
std::string LineOf(const Batch& batch, const std::string& file, const FileOutcome& outcome) {
  std::string line = DisplayName(PathFromUtf8(file)) + '\t';
  line += outcome.encoding ? std::string(EncodingName(*outcome.encoding)) : std::string("-");
  if (batch.chapters) {
    line += '\t' + std::to_string(outcome.chapters) + " 章\t";
    line += messages::MapDoubtNote(outcome.doubtful, outcome.flagged);
  }
  line += outcome.exitCode == 0 ? "\t成功\n" : "\t失败\n";
  return line;
}

// Outputs compared as the file system compares names: Windows ignores the case of letters.
std::string NameKey(std::string output) {
#ifdef _WIN32
  std::transform(output.begin(), output.end(), output.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
#endif
  return output;
}

}  // namespace

std::string FileNameOf(const std::string& file) {
  std::size_t start = file.size();
  while (start > 0 && !IsSeparator(file[start - 1])) --start;
  return file.substr(start);
}

std::string StemOfName(const std::string& file) {
  const std::string name = FileNameOf(file);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

std::string Within(const std::string& folder, const std::string& name) {
  std::string joined = folder;
  while (joined.size() > 1 && IsSeparator(joined.back())) joined.pop_back();
  if (joined.empty() || !IsSeparator(joined.back())) joined += kPathSeparator;
  return joined + name;
}

int RunBatch(const Batch& batch) {
  const std::vector<std::string>& files = batch.files;
  GuardBatchInputs(files);
  // A file whose output an earlier file has is told and left alone: the two would race
  // for the same names, and the earlier one's files would be lost.
  std::vector<std::string> outputs;
  std::vector<std::optional<std::size_t>> earlier(files.size());
  std::map<std::string, std::size_t> firstWith;
  for (std::size_t i = 0; i < files.size(); ++i) {
    outputs.push_back(batch.output(files[i]));
    const auto [at, fresh] = firstWith.emplace(NameKey(outputs[i]), i);
    if (!fresh) earlier[i] = at->second;
  }

  std::vector<std::optional<FileOutcome>> outcomes(files.size());
  std::mutex mutex;
  std::condition_variable done;
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < files.size();) {
      FileOutcome outcome;
      if (earlier[i]) {
        PrintMessage(messages::SameOutputInBatch(
            PathFromUtf8(files[i]), PathFromUtf8(files[*earlier[i]]), PathFromUtf8(outputs[i])));
      } else {
        outcome = batch.run(files[i], outputs[i]);
      }
      const std::lock_guard lock(mutex);
      outcomes[i] = outcome;
      done.notify_all();
    }
  };
  std::vector<std::thread> workers;
  const auto wanted = static_cast<std::size_t>(std::max(1, batch.jobs));
  for (std::size_t k = 0; k < std::min(wanted, files.size()); ++k) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer workers; with none, this thread runs every file
    }
  }
  if (workers.empty()) work();
  // The lines in the order of the files, each as soon as its file and those before are done.
  bool failed = false;
  bool written = true;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return outcomes[i].has_value(); });
    const FileOutcome outcome = *outcomes[i];
    lock.unlock();
    failed = failed || outcome.exitCode != 0;
    written = WriteStdout(LineOf(batch, files[i], outcome)) && written;
  }
  for (std::thread& worker : workers) worker.join();
  return failed || !written ? 1 : 0;
}

}  // namespace morvane::cli
