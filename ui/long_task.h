// SPDX-License-Identifier: MIT
#pragma once
// Long work off the window's thread.
//
// RunLongTask runs a job on a worker thread and returns when the job has ended, like a
// modal dialog: the window's thread keeps running its event loop meanwhile, so the
// windows repaint and the progress stays current, but the program's windows take no
// input (clicks, keys, drops, close requests) until the job is over. A job that ends
// within the delay (200 ms) shows nothing at all; a longer one shows a small modal
// window with a bar (files written of files, bytes of bytes) and a 取消 button. 取消,
// Esc and the window's close box ask the job to stop: Progress::Advance returns false
// from then on, and the job stops at its next boundary; the window stays until it has.
//
// The job must not touch widgets or data the window's thread uses meanwhile. An
// exception thrown by the job is thrown again by RunLongTask, on the window's thread.
//
//   WriteReport report;
//   RunLongTask({files, bytes}, [&](Progress& progress) {
//     report = WritePieces(target, text, size, pieceBytes, banner, &progress);
//   });

#include <chrono>

#include <QString>

#include "core/long_work.h"

class QWidget;

namespace morvane::ui {

// How long a job runs before its progress window appears.
inline constexpr std::chrono::milliseconds kProgressDelay{200};

// Runs job on a worker thread; returns once it has ended. title is the progress window's
// caption (empty: "请稍候").
void RunLongTask(const WorkSize& size, const Job& job, const QString& title = {});

// The progress window of the job running now, or nullptr (none running, or not shown yet).
QWidget* RunningTaskWindow();

// Replaces the delay before the progress window appears (tests and benchmarks use 0 to
// see it at once, or a long one to keep it away); returns the previous one.
std::chrono::milliseconds SetProgressDelay(std::chrono::milliseconds delay);

}  // namespace morvane::ui
