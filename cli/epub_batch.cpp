// SPDX-License-Identifier: MIT
// epub FILE...: many books at once. Each file is a book of its own, made exactly as one
// file alone is (MakeBook); the files are taken by a few workers side by side, since one
// book leaves cores idle while it reads and maps its text. Every file is tried: one that
// fails is told and the others go on.

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/input_guard.h"
#include "cli/terminal.h"
#include "core/path.h"
#include "engine/output_naming.h"

namespace morvane::cli {
namespace {

// The line of one file: "file<TAB>encoding<TAB>N 章<TAB>doubts<TAB>result".
std::string LineOf(const std::string& file, const BookOutcome& outcome) {
  std::string line = DisplayName(PathFromUtf8(file)) + '\t';
  line += outcome.encoding ? std::string(EncodingName(*outcome.encoding)) : std::string("-");
  line += '\t' + std::to_string(outcome.chapters) + " 章\t";
  if (outcome.doubtful) {
    line += "目录可能有误（" + std::to_string(outcome.flagged) + " 个有提示）";
  } else if (outcome.flagged > 0) {
    line += std::to_string(outcome.flagged) + " 个有提示";
  } else {
    line += "无";
  }
  line += outcome.exitCode == 0 ? "\t成功\n" : "\t失败\n";
  return line;
}

}  // namespace

int RunEpubBatch(const OutputArgs& output, const EpubArgs& epub,
                 const std::vector<std::string>& files, int jobs, const RunFiles& declared) {
  GuardBatchInputs(files);
  std::vector<std::optional<BookOutcome>> outcomes(files.size());
  std::mutex mutex;
  std::condition_variable done;
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < files.size();) {
      BookOutcome outcome = MakeBook(output, epub, files[i], declared);
      const std::lock_guard lock(mutex);
      outcomes[i] = outcome;
      done.notify_all();
    }
  };
  std::vector<std::thread> workers;
  const auto wanted = static_cast<std::size_t>(std::max(1, jobs));
  for (std::size_t k = 0; k < std::min(wanted, files.size()); ++k) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer workers; with none, this thread makes every book
    }
  }
  if (workers.empty()) work();
  // The lines in the order of the files, each as soon as its book and those before are done.
  bool failed = false;
  bool written = true;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::unique_lock lock(mutex);
    done.wait(lock, [&] { return outcomes[i].has_value(); });
    const BookOutcome outcome = *outcomes[i];
    lock.unlock();
    failed = failed || outcome.exitCode != 0;
    written = WriteStdout(LineOf(files[i], outcome)) && written;
  }
  for (std::thread& worker : workers) worker.join();
  return failed || !written ? 1 : 0;
}

}  // namespace morvane::cli
