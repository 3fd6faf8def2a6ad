// SPDX-License-Identifier: MIT
// Desktop figures: how long the window stays busy when a large text goes into the
// simple-cut box, when the user types one character with that text in it, and when a
// cleaning button rewrites it.
//
// The real main window is built from its description with the real event bindings, so a
// write into the box runs the same content-changed handler (size label and piece count)
// as in the program. Run offscreen: QT_QPA_PLATFORM=offscreen morvane_desktop_bench.
//
// The text is the file named by MORVANE_DESKTOP_TEXT (bench/run.sh passes a generated
// 20 MiB GBK novel), or else a synthetic GBK text of the same size made here. Two more
// texts of the same size show how paragraph length matters: one of long paragraphs
// (2 to 6 KiB), and the first text with every CR LF taken out (one paragraph, what the
// line-break removal leaves).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/desktop.h"
#include "app/wiring.h"
#include "core/byte_text.h"
#include "presenters/control_names.h"
#include "presenters/state.h"
#include "ui/byte_text_edit.h"
#include "ui/qt_toolkit.h"

namespace {

using morvane::AppState;
using morvane::ByteText;
namespace names = morvane::names;

constexpr std::size_t kTextBytes = 20u << 20;

// A novel-like GBK text: CR LF paragraphs of GB2312 hanzi and full-width punctuation,
// each of minChars plus up to spreadChars characters.
std::string SyntheticText(std::size_t size, int minChars = 40, int spreadChars = 300) {
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
    // Two full-width spaces, or now and then a tab, as in the novels of bench/data.
    text += (next() % 32 == 0) ? "\t" : "\xA1\xA1\xA1\xA1";
    const int chars = minChars + static_cast<int>(next() % static_cast<unsigned>(spreadChars));
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

ByteText WithoutParagraphBreaks(const ByteText& text) {
  std::string bytes;
  bytes.reserve(text.size());
  const std::string_view view = text.view();
  for (std::size_t i = 0; i < view.size(); ++i) {
    if (view[i] == '\r' && i + 1 < view.size() && view[i + 1] == '\n') {
      ++i;
    } else {
      bytes += view[i];
    }
  }
  return ByteText(std::move(bytes));
}

// The main window, built once for all benchmarks, as the program builds it.
struct Desktop {
  AppState state;
  morvane::ui::QtToolkit toolkit;
  QWidget* window = nullptr;
  morvane::ui::ByteTextEdit* box = nullptr;
  ByteText text = LoadText();
  ByteText longParagraphs = ByteText(SyntheticText(kTextBytes, 1000, 2000));
  ByteText oneParagraph = WithoutParagraphBreaks(text);

  Desktop() {
    morvane::app::DescribeWindows(toolkit);
    morvane::app::BindEvents(toolkit, state);
    window = toolkit.CreateWindow(names::kMainWindow);
    morvane::ui::QtToolkit::ShowCentred(window);
    box = qobject_cast<morvane::ui::ByteTextEdit*>(toolkit.Widget(names::kSimpleText));
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
// With replace, the box holds the text already (opening a second file), so the old
// document's removal is timed too.
void Load(benchmark::State& st, const ByteText& text, bool replace = false) {
  Desktop& d = *desktop;
  for (auto _ : st) {
    st.PauseTiming();
    d.toolkit.SetText(names::kSimpleText, replace ? text : ByteText());
    Settle();
    st.ResumeTiming();
    d.toolkit.SetText(names::kSimpleText, text);
    Settle();
  }
  if (d.state.cut.simpleTextBytes != static_cast<int>(text.size())) {
    st.SkipWithError("the size label's handler did not see the whole text");
  }
  st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) *
                       static_cast<std::int64_t>(text.size()));
  st.counters["MiB"] = static_cast<double>(text.size()) / (1 << 20);
  st.counters["paragraphs"] =
      static_cast<double>(std::count(text.view().begin(), text.view().end(), '\n') + 1);
}

void Key(QWidget* widget, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &press);
  QApplication::sendEvent(widget, &release);
}

// One character typed in the middle of the text, up to the repainted window: the
// content-changed handler recounts the bytes of the whole box. With newline, each
// iteration is Enter and then Backspace, splitting a paragraph and joining it again.
void Keystrokes(benchmark::State& st, const ByteText& text, bool newline = false) {
  Desktop& d = *desktop;
  d.toolkit.SetText(names::kSimpleText, text);
  Settle();
  d.box->setFocus();
  d.box->Select(text.size() / 2, text.size() / 2);
  Settle();
  const int before = d.state.cut.simpleTextBytes;
  std::int64_t typed = 0;
  for (auto _ : st) {
    if (newline) {
      Key(d.box, Qt::Key_Return, QStringLiteral("\r"));
      Settle();
      Key(d.box, Qt::Key_Backspace, QString());
    } else {
      Key(d.box, Qt::Key_A, QStringLiteral("a"));
      ++typed;
    }
    Settle();
  }
  if (d.state.cut.simpleTextBytes != before + typed) {
    st.SkipWithError("the keystrokes did not reach the size label's handler");
  }
  // What a cut would read: the whole document encoded again, once.
  if (d.toolkit.Text(names::kSimpleText).size() != static_cast<std::size_t>(before + typed)) {
    st.SkipWithError("the box's bytes and the size label disagree");
  }
}

void BM_LoadIntoSimpleCutBox(benchmark::State& st) {
  Load(st, desktop->text);
}
void BM_ReplaceTextInSimpleCutBox(benchmark::State& st) {
  Load(st, desktop->text, true);
}
void BM_LoadLongParagraphs(benchmark::State& st) {
  Load(st, desktop->longParagraphs);
}
void BM_LoadOneParagraph(benchmark::State& st) {
  Load(st, desktop->oneParagraph);
}
void BM_KeystrokeWithLargeText(benchmark::State& st) {
  Keystrokes(st, desktop->text);
}
void BM_EnterAndBackspaceWithLargeText(benchmark::State& st) {
  Keystrokes(st, desktop->text, true);
}
void BM_KeystrokeLongParagraphs(benchmark::State& st) {
  Keystrokes(st, desktop->longParagraphs);
}
void BM_KeystrokeOneParagraph(benchmark::State& st) {
  Keystrokes(st, desktop->oneParagraph);
}

// A cleaning button clicked with a 20 MiB text in the box, up to the moment its
// confirmation shows (the window is busy until then); the box is confirmed at once.
void Clean(benchmark::State& st, std::string_view button, const ByteText& text) {
  Desktop& d = *desktop;
  auto* widget = qobject_cast<QPushButton*>(d.toolkit.Widget(button));
  for (auto _ : st) {
    d.toolkit.SetText(names::kSimpleText, text);
    Settle();
    QElapsedTimer clock;
    qint64 shownAfter = -1;
    QTimer answer;
    answer.setInterval(0);
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      if (shownAfter < 0) shownAfter = clock.nsecsElapsed();
      box->button(QMessageBox::Ok)->click();
    });
    answer.start();
    clock.start();
    widget->click();
    answer.stop();
    st.SetIterationTime(static_cast<double>(shownAfter) / 1e9);
  }
  st.counters["result MiB"] = static_cast<double>(d.state.cut.simpleTextBytes) / (1 << 20);
}

void BM_RemoveSpaces(benchmark::State& st) {
  Clean(st, names::kRemoveSpacesButton, desktop->text);
}
void BM_RemoveLineBreaks(benchmark::State& st) {
  Clean(st, names::kRemoveLineBreaksButton, desktop->text);
}
void BM_RemoveTabs(benchmark::State& st) {
  Clean(st, names::kRemoveTabsButton, desktop->text);
}
void BM_RemoveSpacesOneParagraph(benchmark::State& st) {
  Clean(st, names::kRemoveSpacesButton, desktop->oneParagraph);
}
void BM_RemoveLineBreaksLongParagraphs(benchmark::State& st) {
  Clean(st, names::kRemoveLineBreaksButton, desktop->longParagraphs);
}

// With one 20 MiB paragraph in the box, the cursor sent to its end (Ctrl+End) right
// after the text was written: the lines of the whole paragraph are found once.
void BM_EndOfOneParagraph(benchmark::State& st) {
  Desktop& d = *desktop;
  d.box->setFocus();
  for (auto _ : st) {
    st.PauseTiming();
    d.toolkit.SetText(names::kSimpleText, d.oneParagraph);
    Settle();
    st.ResumeTiming();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(d.box, &press);
    Settle();
  }
  if (d.box->Cursor() != d.oneParagraph.size()) st.SkipWithError("the cursor is not at the end");
}

// A second of an idle window with one 20 MiB paragraph in the focused box, the cursor
// at its end: the CPU time it takes (the blinking cursor only).
void BM_IdleSecondOneParagraph(benchmark::State& st) {
  Desktop& d = *desktop;
  d.toolkit.SetText(names::kSimpleText, d.oneParagraph);
  d.box->setFocus();
  QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
  QApplication::sendEvent(d.box, &press);
  Settle();
  for (auto _ : st) {
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

// --- a file of a gigabyte (MORVANE_DESKTOP_LARGE) ----------------------------------------

// The longest time the window's thread went without running its event loop: a 5 ms
// timer's longest gap, nested loops (dialogs, the progress window) included.
class StallWatch {
 public:
  StallWatch() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.elapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
    clock_.start();
    timer_.start();
  }
  qint64 LongestMs() const { return std::max(longest_, clock_.elapsed() - last_); }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

// The peak resident memory since the last reset, and the reset (Linux).
double PeakRssMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}
double RssMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}
void ResetPeakRss() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// Answers whatever modal window opens, as a user would: the open dialog gets path, a
// question gets 是, any other message box its OK.
class Answerer {
 public:
  explicit Answerer(QString path) : path_(std::move(path)) {
    timer_.setInterval(20);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
          name->setText(path_);
          static_cast<QDialog*>(dialog)->accept();
        }
      } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        if (yes != nullptr) asked = true;
        (yes != nullptr ? yes : box->button(QMessageBox::Ok))->click();
      }
    });
    timer_.start();
  }
  bool asked = false;

 private:
  QString path_;
  QTimer timer_;
};

std::string largePath;

// Opening the large file on the simple-cut page through the open button, the file dialog
// and the size question, up to the text in the box.
void BM_OpenLargeFile(benchmark::State& st) {
  Desktop& d = *desktop;
  auto* open = qobject_cast<QPushButton*>(d.toolkit.Widget(names::kSimpleOpenButton));
  qint64 stall = 0;
  double peak = 0;
  double before = 0;
  bool asked = false;
  for (auto _ : st) {
    st.PauseTiming();
    d.toolkit.SetText(names::kSimpleText, ByteText());
    Settle();
    before = RssMiB();
    ResetPeakRss();
    st.ResumeTiming();
    Answerer answerer(QString::fromStdString(largePath));
    StallWatch watch;
    open->click();
    Settle();
    stall = std::max(stall, watch.LongestMs());
    peak = std::max(peak, PeakRssMiB());
    asked = answerer.asked;
  }
  const std::size_t size = d.box->View().size();
  if (!asked) st.SkipWithError("the size question did not come");
  st.counters["GiB"] = static_cast<double>(size) / (1 << 30);
  st.counters["longest stall ms"] = static_cast<double>(stall);
  st.counters["RSS before MiB"] = before;
  st.counters["peak MiB"] = peak;
  st.counters["RSS after MiB"] = RssMiB();
}

// 去换行符 on the large text, up to its confirmation.
void BM_RemoveLineBreaksLargeFile(benchmark::State& st) {
  Desktop& d = *desktop;
  auto* button = qobject_cast<QPushButton*>(d.toolkit.Widget(names::kRemoveLineBreaksButton));
  const ByteText large = d.toolkit.Text(names::kSimpleText);
  qint64 stall = 0;
  double peak = 0;
  double before = 0;
  for (auto _ : st) {
    st.PauseTiming();
    d.toolkit.SetText(names::kSimpleText, large);
    Settle();
    before = RssMiB();
    ResetPeakRss();
    st.ResumeTiming();
    Answerer answerer({});
    StallWatch watch;
    button->click();
    Settle();
    stall = std::max(stall, watch.LongestMs());
    peak = std::max(peak, PeakRssMiB());
  }
  st.counters["GiB after"] = static_cast<double>(d.box->View().size()) / (1 << 30);
  st.counters["longest stall ms"] = static_cast<double>(stall);
  st.counters["RSS before MiB"] = before;
  st.counters["peak MiB"] = peak;
}

// Ctrl+End and Ctrl+Home in the large text once its line breaks are gone (one paragraph
// of a gigabyte), each up to the repainted window.
void BM_EndAndHomeOfLargeParagraph(benchmark::State& st) {
  Desktop& d = *desktop;
  d.box->setFocus();
  for (auto _ : st) {
    for (Qt::Key key : {Qt::Key_End, Qt::Key_Home}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
      QApplication::sendEvent(d.box, &press);
      Settle();
    }
  }
  if (d.box->Cursor() != 0) st.SkipWithError("the cursor is not at the start");
}

// The large file, written from the synthetic text when it is not there yet.
bool PrepareLargeFile(const std::string& path) {
  if (std::ifstream(path).good()) return true;
  std::fprintf(stderr, "writing a 1 GiB text to %s\n", path.c_str());
  const std::string text = SyntheticText(std::size_t{1} << 30);
  std::ofstream out(path, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  return out.good();
}

}  // namespace

BENCHMARK(BM_LoadIntoSimpleCutBox)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReplaceTextInSimpleCutBox)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadLongParagraphs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_KeystrokeWithLargeText)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_EnterAndBackspaceWithLargeText)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_KeystrokeLongParagraphs)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_LoadOneParagraph)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_KeystrokeOneParagraph)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_EndOfOneParagraph)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RemoveSpaces)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_RemoveLineBreaks)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_RemoveTabs)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_RemoveSpacesOneParagraph)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK(BM_RemoveLineBreaksLongParagraphs)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
BENCHMARK(BM_IdleSecondOneParagraph)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (const char* large = std::getenv("MORVANE_DESKTOP_LARGE")) {
    largePath = large;
    if (PrepareLargeFile(largePath)) {
      benchmark::RegisterBenchmark("BM_OpenLargeFile", BM_OpenLargeFile)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1);
      benchmark::RegisterBenchmark("BM_RemoveLineBreaksLargeFile", BM_RemoveLineBreaksLargeFile)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(1);
      benchmark::RegisterBenchmark("BM_EndAndHomeOfLargeParagraph", BM_EndAndHomeOfLargeParagraph)
          ->Unit(benchmark::kMillisecond)
          ->Iterations(3);
    }
  }
  auto owned = std::make_unique<Desktop>();
  desktop = owned.get();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  owned.reset();
  return 0;
}
