// SPDX-License-Identifier: MIT
#pragma once
// The merge as one job: whoever starts it (the merge page, morvane-cli merge) hands over
// where its inputs come from and the merged file's options, and gets back what happened.
//
// The job writes, in this order and nowhere else: the byte-order mark of the merged file's
// form (MergedFormOf of the first input), each input's text (its own bytes where its
// encoding is the merged file's, else converted a piece at a time: MergedPieces), and the
// banner. Before the first piece of any text is converted, every input still to come is
// taken and looked at (RefuseMergeInput), so that a merge that will be refused converts
// nothing. The file is named only once complete: an input that cannot be taken, a refusal or
// a stop leaves nothing behind.
//
// Inputs may still be being read while the job writes (MergeSources::Early): a text is then
// followed as its read makes its bytes certain, and written as they are. When such a text
// turns out to need converting after some of its bytes went out (texts of two encodings,
// rare), the file is written again from the start, every input whole this time.
//
// The check of the outputs (RefuseOutputs with the run's declared files) is the caller's,
// before Run; so are the words of anything that went wrong (engine/messages).

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/byte_text.h"
#include "core/long_work.h"
#include "engine/banner.h"
#include "engine/merging.h"
#include "engine/output_naming.h"
#include "engine/output_writing.h"

namespace morvane {

// Where the inputs of a merge come from, in order.
class MergeSources {
 public:
  virtual ~MergeSources() = default;
  virtual std::size_t count() const = 0;
  // Input k whole, every input before it taken first; nothing when it cannot be (the
  // sources have said why: the job only stops). Valid as long as the sources.
  virtual const MergeInput* Take(std::size_t k) = 0;
  // The bytes of input k beyond its first from that its read has made certain, waiting for
  // more while the read goes on; nothing once the read is over (the job then takes the input
  // whole) or where inputs are not followed. Asked only of an input not yet taken.
  virtual std::optional<std::string_view> Early(std::size_t /*k*/, std::size_t /*from*/) {
    return std::nullopt;
  }
};

// Inputs already in memory (the merge page's rows).
class MergeInputsAtHand final : public MergeSources {
 public:
  explicit MergeInputsAtHand(std::vector<MergeInput> inputs) : inputs_(std::move(inputs)) {}
  std::size_t count() const override { return inputs_.size(); }
  const MergeInput* Take(std::size_t k) override { return &inputs_[k]; }

 private:
  std::vector<MergeInput> inputs_;
};

struct MergeOptions {
  OutputTarget target;
  std::optional<Encoding> to;  // the merged file's encoding; the first input's when absent
  ByteText gbkBanner = BannerConstant();
};

// What a merge came to. refusal and missingInput stop it before anything is named.
struct MergeOutcome {
  WriteReport report;
  std::optional<MergeRefusal> refusal;  // an input the merged file's encoding cannot take
  bool missingInput = false;            // an input could not be taken (its sources said why)
  bool stopped() const { return refusal || missingInput; }
};

class MergeJob {
 public:
  // sources must outlive the job and hold at least one input.
  MergeJob(MergeSources& sources, MergeOptions options);
  MergeJob(const MergeJob&) = delete;
  MergeJob& operator=(const MergeJob&) = delete;

  // Takes every input now and looks at each, for a caller that would rather refuse before
  // any work starts: the first refusal, and Run looks no more. Nothing either when an input
  // cannot be taken (missingInput() then).
  std::optional<MergeRefusal> CheckNow();
  bool missingInput() const { return missingInput_; }
  // What the progress window counts to: one file, the mark and the texts before any
  // conversion (the banner is the program's). Takes every input.
  WorkSize Size();

  // Writes the merged file; progress (may be null) hears of it once it is written.
  MergeOutcome Run(Progress* progress = nullptr);

 private:
  NextPart NextPiece();
  std::optional<NextPart> EarlyPiece(std::size_t k);
  const MergeInput* TakeInput(std::size_t k);
  bool FormFromFirst();

  MergeSources& sources_;
  MergeOptions options_;
  std::size_t taken_ = 0;  // inputs taken whole, in order
  std::optional<OutputForm> form_;
  bool checked_ = false;
  bool follows_ = true;
  bool missingInput_ = false;
  bool again_ = false;
  std::optional<MergeRefusal> refusal_;
  std::size_t next_ = 0;            // 0 the mark, 1.. the inputs, then the banner
  std::vector<std::size_t> early_;  // bytes of each text written while it was read
  std::optional<MergedPieces> pieces_;
};

}  // namespace morvane
