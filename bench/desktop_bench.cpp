// Desktop figures: how long the window stays busy when a large text goes into the
// simple-cut box, and when the user types one character with that text in it.
//
// The real main window is built from its description with the real event bindings, so a
// write into the box runs the same content-changed handler (size label and piece count)
// as in the program. Run offscreen: QT_QPA_PLATFORM=offscreen morvane_desktop_bench.
//
// The text is the file named by MORVANE_DESKTOP_TEXT (bench/run.sh passes a generated
// 20 MiB GBK novel), or else a synthetic GBK text of the same size made here.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "app/desktop.h"
#include "app/wiring.h"
#include "core/byte_text.h"
#include "engine/control_names.h"
#include "engine/state.h"
#include "ui/qt_toolkit.h"

namespace {

using morvane::AppState;
using morvane::ByteText;
namespace names = morvane::names;

constexpr std::size_t kTextBytes = 20u << 20;

// A novel-like GBK text: CR LF paragraphs of GB2312 hanzi and full-width punctuation.
std::string SyntheticText(std::size_t size) {
  std::string text;
  text.reserve(size + 1024);
  unsigned state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 16) & 0x7FFF;
  };
  int chapter = 1;
  while (text.size() < size) {
    if (next() % 40 == 0) {
      text += "\xB5\xDA" + std::to_string(chapter++) + "\xD5\xC2 title\r\n";  // 第N章
    }
    text += "\xA1\xA1\xA1\xA1";  // two full-width spaces
    const int chars = 40 + static_cast<int>(next() % 300);
    for (int i = 0; i < chars; ++i) {
      if (i % 17 == 16) {
        text += (next() % 3 == 0) ? "\xA1\xA3" : "\xA3\xAC";  // 。 ，
      } else {
        text += static_cast<char>(0xB0 + next() % 40);
        text += static_cast<char>(0xA1 + next() % 94);
      }
    }
    text += "\r\n";
  }
  text.resize(size);
  // End on a character boundary: a lone lead byte becomes '.'.
  std::size_t i = text.rfind('\n') + 1;
  while (i < text.size()) i += (static_cast<unsigned char>(text[i]) >= 0x81) ? 2 : 1;
  if (i > text.size()) text.back() = '.';
  return text;
}

ByteText LoadText() {
  if (const char* path = std::getenv("MORVANE_DESKTOP_TEXT")) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!bytes.empty()) return ByteText(std::move(bytes));
    std::fprintf(stderr, "cannot read %s, using a synthetic text\n", path);
  }
  return ByteText(SyntheticText(kTextBytes));
}

// The main window, built once for all benchmarks, as the program builds it.
struct Desktop {
  AppState state;
  morvane::ui::QtToolkit toolkit;
  QWidget* window = nullptr;
  QPlainTextEdit* box = nullptr;
  ByteText text = LoadText();

  Desktop() {
    morvane::app::DescribeWindows(toolkit);
    morvane::app::BindEvents(toolkit, state);
    window = toolkit.CreateWindow(names::kMainWindow);
    morvane::ui::QtToolkit::ShowCentred(window);
    box = qobject_cast<QPlainTextEdit*>(toolkit.Widget(names::kSimpleText));
    QApplication::processEvents();
  }
};

Desktop* desktop = nullptr;

// Lets the window do what it would do before the next frame: layout and painting.
void Settle() {
  QApplication::processEvents();
  QApplication::sendPostedEvents();
  QApplication::processEvents();
}

// Opening a file into the simple-cut box, from the handler's write to the shown count.
void BM_LoadIntoSimpleCutBox(benchmark::State& st) {
  Desktop& d = *desktop;
  for (auto _ : st) {
    st.PauseTiming();
    d.toolkit.SetText(names::kSimpleText, ByteText());
    Settle();
    st.ResumeTiming();
    d.toolkit.SetText(names::kSimpleText, d.text);
    Settle();
  }
  if (d.state.cut.simpleTextBytes != static_cast<int>(d.text.size())) {
    st.SkipWithError("the size label's handler did not see the whole text");
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                       static_cast<std::int64_t>(d.text.size()));
  st.counters["MiB"] = static_cast<double>(d.text.size()) / (1 << 20);
}

// One character typed in the middle of the text, up to the repainted window: the
// content-changed handler recounts the bytes of the whole box.
void BM_KeystrokeWithLargeText(benchmark::State& st) {
  Desktop& d = *desktop;
  d.toolkit.SetText(names::kSimpleText, d.text);
  Settle();
  QTextCursor cursor = d.box->textCursor();
  cursor.setPosition(d.box->document()->characterCount() / 2);
  d.box->setTextCursor(cursor);
  d.box->setFocus();
  Settle();
  const int before = d.state.cut.simpleTextBytes;
  std::int64_t typed = 0;
  for (auto _ : st) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(d.box, &press);
    QApplication::sendEvent(d.box, &release);
    Settle();
    ++typed;
  }
  if (d.state.cut.simpleTextBytes != before + typed) {
    st.SkipWithError("the keystrokes did not reach the size label's handler");
  }
}

}  // namespace

BENCHMARK(BM_LoadIntoSimpleCutBox)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_KeystrokeWithLargeText)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  auto owned = std::make_unique<Desktop>();
  desktop = owned.get();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  owned.reset();
  return 0;
}
