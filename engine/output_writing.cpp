#include <cerrno>
#include <string_view>
#include <vector>

#include "engine/messages.h"
#include "engine/output_naming.h"

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

void WriteReport::Record(const Path& path, const WriteResult& result) {
  if (folder_.empty()) folder_ = FolderPart(path);
  if (result.ok) {
    ++written_;
    if (result.created && keepCreated_) created_.push_back(path);
    return;
  }
  if (result.errorNumber == EFAULT) inputChanged_ = true;
  if (failures_++ == 0) {
    firstFailedPath_ = path;
    firstFailure_ = result;
  }
}

void WriteReport::Cancel() {
  cancelled_ = true;
  for (const Path& path : created_) RemoveFile(path);
  created_.clear();
}

std::optional<ByteText> RefuseOutputs(Toolkit& ui, const OutputPlan& plan,
                                      std::span<const Path> inputs) {
  std::optional<ByteText> refusal;
  bool stopped = false;
  ui.RunLongWork({}, [&](Progress& progress) {
    refusal = RefuseOutputs(plan, inputs);
    stopped = progress.StopRequested();
  });
  if (stopped) return messages::Cancelled();
  return refusal;
}

bool StopBeforeNextFile(Progress* progress, WriteReport& report) {
  if (report.inputChanged()) return true;
  if (progress == nullptr || !progress->StopRequested()) return false;
  report.Cancel();
  return true;
}

void ShowOutcome(Toolkit& ui, const WriteReport& report, const ByteText& done,
                 const ByteText& caption) {
  if (report.cancelled()) {
    ui.ShowMessageBox(messages::Cancelled(), 0, messages::HintCaption());
    return;
  }
  if (report.ok()) {
    ui.ShowCompletion(done, caption, report.folder());
    return;
  }
  ui.ShowMessageBox(
      messages::WritesFailed(report.failures(), report.firstFailedPath(), report.firstFailure()), 0,
      messages::WarningCaption());
}

}  // namespace morvane
