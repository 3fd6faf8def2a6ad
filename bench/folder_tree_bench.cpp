// SPDX-License-Identifier: MIT
// Folder-tree figures: how long the save-location window is busy when the user opens a
// folder holding 1 000, 20 000 or 100 000 subfolders, and when the user goes back up to
// it from one of its children. Each figure runs from the open to the painted tree.
//
// The folders are real (bench/data/tree-N/big/...), made once and kept; the folder named
// by MORVANE_BENCH_DATA holds them (bench/run.sh passes bench/data). Run offscreen:
// QT_QPA_PLATFORM=offscreen morvane_folder_tree_bench.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>

#include "ui/control_style.h"
#include "ui/folder_tree_view.h"
#include "ui/qt_toolkit.h"

namespace {

namespace fs = std::filesystem;
using morvane::ui::FolderTreeView;

fs::path DataFolder() {
  const char* data = std::getenv("MORVANE_BENCH_DATA");
  return data != nullptr ? fs::path(data) : fs::temp_directory_path() / "morvane-bench";
}

// A folder holding count subfolders with names like a download folder's: Chinese titles,
// numbered volumes, mixed case. Made once.
fs::path BigFolder(int count) {
  const fs::path parent = DataFolder() / ("tree-" + std::to_string(count));
  const fs::path big = parent / "big";
  const fs::path done = parent / "complete";
  if (fs::exists(done)) return big;
  fs::remove_all(parent);
  const char* stems[] = {"第%d卷 风起云涌", "Volume %d", "novel-%d", "小说%d", "Archive_%d_backup"};
  char name[128];
  for (int i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, stems[i % 5], i);
    fs::create_directories(big / name);
  }
  fs::create_directories(done);
  return big;
}

// Selects the node shown as name, as a click would.
void Select(FolderTreeView& tree, const char* name) {
  const QModelIndexList found =
      tree.model()->match(tree.model()->index(0, 0), Qt::DisplayRole, QString::fromUtf8(name), 1,
                          Qt::MatchExactly | Qt::MatchRecursive);
  if (!found.isEmpty()) tree.setCurrentIndex(found.front());
}

void Settle() {
  QApplication::processEvents();
  QApplication::sendPostedEvents();
  QApplication::processEvents();
}

struct Window {
  QWidget frame;
  FolderTreeView* tree = new FolderTreeView(&frame);
  Window() {
    frame.resize(196, 222);
    tree->setGeometry(-1, 21, 200, 200);
    frame.show();
    Settle();
  }
};

// The parent of the big folder is shown, the big folder selected, and Enter opens it.
void BM_OpenFolderWithSubfolders(benchmark::State& st) {
  const fs::path big = BigFolder(static_cast<int>(st.range(0)));
  Window window;
  for (auto _ : st) {
    st.PauseTiming();
    window.tree->SetPath(big.parent_path().string());
    Select(*window.tree, "big");
    Settle();
    st.ResumeTiming();
    window.tree->OpenSelected();
    Settle();
  }
  if (window.tree->Value() != big.string()) st.SkipWithError("the big folder was not opened");
}

// One of its subfolders is open; opening the big folder again lists it again.
void BM_ReopenFromChild(benchmark::State& st) {
  const fs::path big = BigFolder(static_cast<int>(st.range(0)));
  const fs::path child = *fs::directory_iterator(big);
  Window window;
  for (auto _ : st) {
    st.PauseTiming();
    window.tree->SetPath(child.string());
    Select(*window.tree, "big");
    Settle();
    st.ResumeTiming();
    window.tree->OpenSelected();
    Settle();
  }
  if (window.tree->Value() != big.string()) st.SkipWithError("the big folder was not opened");
}

}  // namespace

BENCHMARK(BM_OpenFolderWithSubfolders)
    ->Arg(1000)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(false);
BENCHMARK(BM_ReopenFromChild)
    ->Arg(1000)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  // The program's look: its font and the control style its main window switches on.
  QApplication::setFont(morvane::ui::DefaultGuiFont());
  app.setStyleSheet(morvane::ui::ControlStyleSheet(1));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
