// SPDX-License-Identifier: MIT
// How the window answers while long work runs: a normal cut, a chapter search and cut and
// a merge of a 1 GiB GBK text, started as the buttons start them, on the real main window
// (offscreen). A 5 ms timer on the window's thread measures the longest time its event
// loop went without turning; the window is asked to repaint on every tick and its paints
// are counted. Each operation also runs the old way, its writing inside the click on the
// window's thread, where the longest gap is the whole write. A last run presses 取消 and
// measures how soon the work stops and whether the folder is as it was.
//
//   QT_QPA_PLATFORM=offscreen morvane_responsiveness_bench [MiB] [output folder]
//
// The text is made here (paragraphs of GB2312 hanzi, a "第N章" heading every 10 KiB or
// so); the output folder (default bench/data/responsiveness) is emptied before and after.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/desktop.h"
#include "app/wiring.h"
#include "core/gbk.h"
#include "core/path.h"
#include "engine/chapter_cutting.h"
#include "engine/merging.h"
#include "engine/size_cutting.h"
#include "presenters/chapter_cutting.h"
#include "presenters/control_names.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"
#include "presenters/state.h"
#include "ui/long_task.h"
#include "ui/qt_toolkit.h"

namespace {

namespace names = morvane::names;
using morvane::ByteText;

std::string NovelText(std::size_t size) {
  std::string text;
  text.reserve(size + 64);
  unsigned state = 7;
  const auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  int chapter = 1;
  std::size_t nextHeading = 0;
  while (text.size() < size) {
    if (text.size() >= nextHeading) {
      text += "\xB5\xDA" + std::to_string(chapter++) + "\xD5\xC2\r\n";  // 第N章
      nextHeading = text.size() + 6144 + next() % 8192;
    }
    text += "\xA1\xA1\xA1\xA1";
    const int chars = 40 + static_cast<int>(next() % 300);
    for (int i = 0; i < chars; ++i) {
      text += static_cast<char>(0xB0 + next() % 40);
      text += static_cast<char>(0xA1 + next() % 94);
    }
    text += "\r\n";
  }
  text.resize(size - size % 2);
  return text;
}

// Ticks every 5 ms on the window's thread and asks the window to repaint.
class Watch : public QObject {
 public:
  explicit Watch(QWidget* window) : window_(window) {
    window->installEventFilter(this);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
      if (shownAt_ < 0 && morvane::ui::RunningTaskWindow() != nullptr) shownAt_ = now;
      window_->update();
      if (onTick) onTick(now);
    });
    timer_.start(5);
  }
  void Start() {
    clock_.start();
    last_ = 0;
    longest_ = 0;
    paints_ = 0;
    shownAt_ = -1;
  }
  double LongestGapMs() const { return std::max(longest_, clock_.nsecsElapsed() - last_) / 1e6; }
  double SecondsSoFar() const { return clock_.nsecsElapsed() / 1e9; }
  int paints() const { return paints_; }
  double ShownAfterMs() const { return shownAt_ < 0 ? -1 : shownAt_ / 1e6; }
  std::function<void(qint64)> onTick;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints_;
    return false;
  }

 private:
  QWidget* window_;
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0, longest_ = 0, shownAt_ = -1;
  int paints_ = 0;
};

std::size_t FilesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                std::filesystem::directory_iterator()));
}

void Empty(const std::filesystem::path& folder) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const std::size_t mib = argc > 1 ? std::stoul(argv[1]) : 1024;
  const std::filesystem::path out = argc > 2 ? argv[2] : "bench/data/responsiveness";
  Empty(out);
  std::fprintf(stderr, "making a %zu MiB text\n", mib);
  const ByteText text(NovelText(mib << 20));

  morvane::AppState state;
  morvane::ui::QtToolkit toolkit;
  morvane::app::DescribeWindows(toolkit);
  morvane::app::BindEvents(toolkit, state);
  QWidget* window = toolkit.CreateWindow(names::kMainWindow);
  morvane::ui::QtToolkit::ShowCentred(window);
  const morvane::Path folder(std::filesystem::absolute(out).string());
  toolkit.SetText(names::kSaveLocationBox, morvane::DisplayNameGbk(folder));
  toolkit.SetText(names::kPrefixBox, ByteText("p"));
  toolkit.SetText(names::kNormalPathBox, ByteText("/nonexistent/novel.txt"));
  state.cut.normalText = text;
  state.cut.normalTextBytes = static_cast<int>(text.size());
  toolkit.SetText(names::kCutSizeBox, ByteText("200"));

  Watch watch(window);
  // Message boxes are read and closed as they come.
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->done(0);
  });
  answer.start(5);

  std::printf(
      "| operation | files | wall s | longest gap in the event loop, ms | repaints/s | "
      "progress window after, ms |\n|---|---:|---:|---:|---:|---:|\n");
  const auto row = [&](const char* name, const std::function<void()>& run) {
    Empty(out);
    watch.Start();
    run();
    const double seconds = watch.SecondsSoFar();
    std::printf("| %s | %zu | %.2f | %.1f | %.0f | %.0f |\n", name, FilesIn(out), seconds,
                watch.LongestGapMs(), watch.paints() / seconds, watch.ShownAfterMs());
    std::fflush(stdout);
  };
  const morvane::OutputTarget target{folder, morvane::Path("p")};
  const int pieceBytes = 200 * 1024;
  const int size = static_cast<int>(text.size());

  row("normal cut, 200 K pieces", [&] { morvane::NormalCut(toolkit, state); });
  row("normal cut inside the click (before)",
      [&] { morvane::WritePieces(target, text, size, pieceBytes, state.bannerText); });
  row("chapter search", [&] { morvane::ChapterSearch(toolkit, state); });
  row("chapter search inside the click (before)",
      [&] { state.chapterStarts = morvane::FindChapterStarts(text); });
  row("chapter cut", [&] {
    morvane::ChapterSearch(toolkit, state);
    watch.Start();
    morvane::ChapterCut(toolkit, state);
  });
  row("chapter cut inside the click (before)", [&] {
    morvane::WriteChapters(target, text, morvane::FindChapterStarts(text), state.bannerText);
  });
  for (int r = 1; r <= 2; ++r) {
    toolkit.SetText(names::kMergePathBox[r], ByteText("/nonexistent/part.txt"));
  }
  state.merge.mergeText[1] = text;
  state.merge.mergeText[2] = ByteText("\xCD\xEA");  // 完
  row("merge", [&] { morvane::MergeFiles(toolkit, state); });
  row("merge inside the click (before)", [&] {
    morvane::WriteMerged(target, std::span(state.merge.mergeText).subspan(1), state.bannerText);
  });

  // 取消 one second after the progress window appears.
  double cancelledAt = -1;
  watch.onTick = [&](qint64 now) {
    QWidget* progress = morvane::ui::RunningTaskWindow();
    if (cancelledAt < 0 && progress != nullptr && now / 1e6 > watch.ShownAfterMs() + 1000) {
      progress->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
      cancelledAt = now / 1e9;
    }
  };
  row("normal cut, 取消 after 1 s", [&] { morvane::NormalCut(toolkit, state); });
  watch.onTick = nullptr;
  std::printf("\n取消 pressed at %.2f s; the run ended %.0f ms later; files left: %zu\n",
              cancelledAt, (watch.SecondsSoFar() - cancelledAt) * 1000, FilesIn(out));
  std::filesystem::remove_all(out);
  return 0;
}
