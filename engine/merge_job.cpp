// SPDX-License-Identifier: MIT
#include "engine/merge_job.h"

#include <algorithm>
#include <functional>

namespace morvane {
namespace {

// A part that abandons the file: nothing is named.
constexpr NextPart kAbandon{{}, false, true};

}  // namespace

MergeJob::MergeJob(MergeSources& sources, MergeOptions options)
    : sources_(sources), options_(std::move(options)), early_(sources.count(), 0) {}

const MergeInput* MergeJob::TakeInput(std::size_t k) {
  const MergeInput* input = sources_.Take(k);
  if (input == nullptr) {
    missingInput_ = true;
    return nullptr;
  }
  taken_ = std::max(taken_, k + 1);
  return input;
}

bool MergeJob::FormFromFirst() {
  if (form_) return true;
  const MergeInput* first = TakeInput(0);
  if (first == nullptr) return false;
  form_ = MergedFormOf(*first, options_.to, options_.gbkBanner);
  return true;
}

std::optional<MergeRefusal> MergeJob::CheckNow() {
  if (!FormFromFirst()) return std::nullopt;
  checked_ = true;
  for (std::size_t k = 0; k < sources_.count(); ++k) {
    const MergeInput* each = TakeInput(k);
    if (each == nullptr) return std::nullopt;
    if (auto refusal = RefuseMergeInput(*each, form_->encoding)) {
      refusal_ = refusal;
      return refusal;
    }
  }
  return std::nullopt;
}

WorkSize MergeJob::Size() {
  if (!FormFromFirst()) return {1, 0};
  auto bytes = static_cast<std::int64_t>(form_->bom.size());
  for (std::size_t k = 0; k < sources_.count(); ++k) {
    const MergeInput* each = TakeInput(k);
    if (each == nullptr) break;
    bytes += static_cast<std::int64_t>(each->text.size());
  }
  return {1, bytes};
}

std::optional<NextPart> MergeJob::EarlyPiece(std::size_t k) {
  if (!follows_ || taken_ > k) return std::nullopt;
  const auto piece = sources_.Early(k, early_[k]);
  if (!piece) return std::nullopt;
  early_[k] += piece->size();
  return NextPart{*piece};
}

NextPart MergeJob::NextPiece() {
  const std::size_t count = sources_.count();
  if (!form_) {
    // A followed text is text whatever the file turns out to be, so it has no byte-order
    // mark either: the merged file has none.
    if (auto piece = EarlyPiece(0)) {
      next_ = std::max<std::size_t>(next_, 1);
      return *piece;
    }
    if (!FormFromFirst()) return kAbandon;
  }
  for (;;) {
    if (pieces_) {
      if (const auto piece = pieces_->Next()) return {*piece, false, false, pieces_->Converts()};
      pieces_.reset();
    }
    if (next_ == 0 && form_->bom.empty()) next_ = 1;
    const std::size_t part = next_;
    if (part == 0) {
      next_ = 1;
      return {form_->bom.view()};
    }
    if (part > count + 1) return {{}, true};
    if (part == count + 1) {
      ++next_;
      return {form_->banner.view()};
    }
    const std::size_t k = part - 1;
    if (auto piece = EarlyPiece(k)) return *piece;
    ++next_;
    const MergeInput* input = TakeInput(k);
    if (input == nullptr) return kAbandon;
    if (input->detected.encoding != form_->encoding) {
      if (early_[k] > 0) {
        again_ = true;
        return kAbandon;
      }
      if (!checked_) {
        checked_ = true;
        // The inputs before this one are in the merged file's encoding: nothing to look at.
        for (std::size_t j = k; j < count; ++j) {
          const MergeInput* each = TakeInput(j);
          if (each == nullptr) return kAbandon;
          if (auto refusal = RefuseMergeInput(*each, form_->encoding)) {
            refusal_ = std::move(refusal);
            return kAbandon;
          }
        }
      }
    }
    std::string_view text = input->text.view();
    // A followed text is its file's bytes from the start, of which some went out already.
    if (early_[k] > text.size()) return kAbandon;
    text.remove_prefix(early_[k]);
    pieces_.emplace(text, input->detected.encoding, form_->encoding);
  }
}

MergeOutcome MergeJob::Run(Progress* progress) {
  MergeOutcome outcome;
  outcome.report = WriteReport(progress);
  if (refusal_ || missingInput_) {
    outcome.refusal = refusal_;
    outcome.missingInput = missingInput_;
    return outcome;
  }
  const Path path = MergedPath(options_.target);
  const std::function<NextPart()> source = [this] { return NextPiece(); };
  WriteResult result = WriteFilePartsAsReady(path, source);
  if (again_) {
    // Every input is taken whole this time, none followed.
    again_ = false;
    follows_ = false;
    std::fill(early_.begin(), early_.end(), 0);
    pieces_.reset();
    next_ = 0;
    result = WriteFilePartsAsReady(path, source);
  }
  outcome.refusal = refusal_;
  outcome.missingInput = missingInput_;
  if (outcome.stopped()) return outcome;
  outcome.report.Record(path, result);
  if (StopBeforeNextFile(progress, outcome.report)) return outcome;
  if (progress != nullptr) progress->Advance(1, Size().bytes);
  return outcome;
}

}  // namespace morvane
