// SPDX-License-Identifier: MIT
// The chapter-map window with 100 000 headings: how long the window's thread is busy
// to open it (search, map and first paint), to scroll to its end, to untick a row and to
// switch the rule. Run offscreen: QT_QPA_PLATFORM=offscreen morvane_chapter_map_bench.
//
// The text is synthetic GBK: 100 000 chapters "第N章 标题" of about 1 KiB each (100 MiB),
// every tenth of them with a 第…章 pair inside a line that the written rule also takes.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTableView>

#include "app/chapter_map_window.h"
#include "app/desktop.h"
#include "app/wiring.h"
#include "core/gbk.h"
#include "presenters/control_names.h"
#include "presenters/state.h"
#include "ui/qt_toolkit.h"

namespace {

constexpr int kChapters = 100000;

std::string Text() {
  std::string line;
  for (int i = 0; i < 30; ++i) line += std::string(morvane::GbkFromUtf8("风").view());
  std::string text;
  text.reserve(static_cast<std::size_t>(kChapters) * 1200);
  for (int chapter = 1; chapter <= kChapters; ++chapter) {
    text +=
        std::string(morvane::GbkFromUtf8("第" + std::to_string(chapter) + "章 标题\r\n").view());
    for (int i = 0; i < 10; ++i) text += line + "\r\n";
    if (chapter % 10 == 0)
      text += std::string(morvane::GbkFromUtf8("那是第一封信的文章。\r\n").view());
  }
  return text;
}

struct Desktop {
  morvane::AppState state;
  morvane::ui::QtToolkit toolkit;
  QWidget* main = nullptr;

  Desktop() {
    morvane::app::DescribeWindows(toolkit);
    morvane::app::BindEvents(toolkit, state);
    main = toolkit.CreateWindow(morvane::names::kMainWindow);
    static const std::string text = Text();
    state.cut.normalText = morvane::ByteText(text);
    state.chapterSearchDone = 1;
  }

  // The map window built over the main window, its rows found, and shown.
  QWidget* OpenMap() {
    QWidget* window = toolkit.CreateWindow(morvane::names::kChapterMapWindow, main);
    window->show();
    return window;
  }
};

void Settle() {
  QApplication::processEvents();
  QApplication::processEvents();
}

// Busy time of the window's thread for one step, in the benchmark's manual time.
template <typename Step>
void Time(benchmark::State& st, Step step) {
  QElapsedTimer timer;
  timer.start();
  step();
  Settle();
  st.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
}

void BM_OpenMap100k(benchmark::State& st) {
  Desktop desktop;
  for (auto _ : st) {
    std::unique_ptr<QWidget> window;
    Time(st, [&] { window.reset(desktop.OpenMap()); });
  }
}

void BM_ScrollAndUntick100k(benchmark::State& st) {
  Desktop desktop;
  const std::unique_ptr<QWidget> window(desktop.OpenMap());
  Settle();
  auto* table = static_cast<QTableView*>(desktop.toolkit.Widget(morvane::names::kMapList));
  int row = 0;
  for (auto _ : st) {
    Time(st, [&] {
      table->verticalScrollBar()->setValue(row % 2 == 0 ? table->verticalScrollBar()->maximum()
                                                        : 0);
      const QModelIndex index = table->model()->index(row % 2 == 0 ? kChapters - 1 : 0, 0);
      table->model()->setData(index, row % 4 < 2 ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
      table->viewport()->repaint();
    });
    ++row;
  }
}

void BM_SwitchRule100k(benchmark::State& st) {
  Desktop desktop;
  const std::unique_ptr<QWidget> window(desktop.OpenMap());
  Settle();
  auto* rules = static_cast<QComboBox*>(desktop.toolkit.Widget(morvane::names::kMapRuleList));
  int choice = 0;
  for (auto _ : st) {
    choice = choice == 0 ? 1 : 0;
    // As the user picks it.
    Time(st, [&] {
      rules->setCurrentIndex(choice);
      emit rules->activated(choice);
    });
  }
  st.counters["rows"] = static_cast<QTableView*>(desktop.toolkit.Widget(morvane::names::kMapList))
                            ->model()
                            ->rowCount();
}

}  // namespace

BENCHMARK(BM_OpenMap100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ScrollAndUntick100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_SwitchRule100k)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
