// SPDX-License-Identifier: MIT
// The window layer on real widgets: lossless edit boxes, the dispatch rule, the message
// box, the file dialog component, modal windows and the control style.

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <fstream>
#include <random>
#include <string>

#include "core/encoding.h"
#include "core/gbk.h"
#include "tests/ui/modal.h"
#include "ui/byte_text_edit.h"
#include "ui/file_dialog.h"
#include "ui/qt_toolkit.h"
#include "ui/text_boundary.h"

using morvane::ByteText;
using morvane::Event;
using namespace morvane::ui;
using enum morvane::ControlKind;

Q_DECLARE_METATYPE(morvane::Encoding)

namespace {

constexpr std::string_view kCounts[] = {"2", "3", "4", "5"};
constexpr morvane::ui::FileFilter kTxt[] = {{"txt文本", "*.txt"}};

// The test windows' controls, by handle.
constexpr morvane::Window kTestWindow{"window"};
constexpr morvane::Window kSecondWindow{"second"};
constexpr morvane::EditBox kBoxControl{"box"};
constexpr morvane::EditBox kLineControl{"line"};
constexpr morvane::Button kButtonControl{"button"};
constexpr morvane::RadioButton kRadioControl{"radio"};
constexpr morvane::DropDown kListControl{"list"};
constexpr morvane::FileDialog kDialogControl{"dialog"};

// clang-format off
const ControlRow kRows[] = {
  {"box",    kEdit,       {}, {0,   0,   300, 200}, "", kShown, {kMultiLine}},
  {"line",   kEdit,       {}, {0,   210, 300, 16},  "", kShown},
  {"button", kButton,     {}, {0,   240, 60,  16},  "按钮", kShown},
  {"radio",  kRadio,      {}, {80,  240, 60,  16},  "选择", kShown},
  morvane::ui::DropDownRow("list", {}, {160, 240, 60, 80}, kCounts),
  morvane::ui::FileDialogRow("dialog", {}, kTxt, morvane::ui::kNoFlags, "/no/such/folder"),
};
const ControlRow kSecondRows[] = {
  {"label",  kLabel,      {}, {0, 0, 100, 16}, "第二个窗口", kShown},
};
// clang-format on

// Typing as an input method commits it, one string at a time (how hanzi arrive).
void Commit(QWidget* widget, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QApplication::sendEvent(widget, &event);
}

void Paste(QWidget* widget, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  QTest::keyClick(widget, Qt::Key_V, Qt::ControlModifier);
}

QByteArray Raw(std::string_view bytes) {
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Whether position is where a unit starts, stepping from the start of the bytes.
bool AtUnitStart(std::string_view bytes, std::size_t position,
                 morvane::Encoding encoding = morvane::Encoding::kGbk) {
  std::size_t at = 0;
  while (at < position) at += UnitLength(encoding, bytes, at);
  return at == position;
}

// GBK pieces of text as they are, and what they stand for in another encoding (a stray
// 0x80 there is a character beyond the basic plane).
std::vector<std::string> PiecesIn(morvane::Encoding encoding,
                                  std::initializer_list<const char*> gbk) {
  std::vector<std::string> pieces;
  for (const char* piece : gbk) {
    if (encoding == morvane::Encoding::kGbk) {
      pieces.emplace_back(piece);
    } else if (std::string_view(piece) == "\x80") {
      pieces.push_back(morvane::Encode(encoding, u"\U00020000").bytes);
    } else {
      pieces.push_back(morvane::Encode(encoding, morvane::DecodeGbk(piece)).bytes);
    }
  }
  return pieces;
}

// A paragraph of words and hanzi, long enough that its line starts are kept.
std::string LongParagraph(std::size_t size, unsigned seed,
                          morvane::Encoding encoding = morvane::Encoding::kGbk) {
  std::mt19937 random(seed);
  const std::vector<std::string> pieces = PiecesIn(
      encoding,
      {"word ", "\xB5\xDA", "\xCE\xC4\xB1\xBE", "\xA3\xAC", "longerword", "\t", " ", "\x80", "\r"});
  std::string text;
  while (text.size() < size) text += pieces[random() % pieces.size()];
  return text;
}

std::string In(morvane::Encoding encoding, std::string_view gbk) {
  return PiecesIn(encoding, {std::string(gbk).c_str()}).front();
}

}  // namespace

class TextBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void bytesComeBackUnchanged_data();
  void bytesComeBackUnchanged();
  void lineBreaksShowAsBreaks();
  void handlerWritesFireOnceNested();
  void typingFiresOncePerChange();
  void editsChangeTheBytes_data();
  void editsChangeTheBytes();
  void randomEditsUndoToTheStart_data();
  void randomEditsUndoToTheStart();
  void longParagraphShowsTheLinesOfAFreshBox_data();
  void longParagraphShowsTheLinesOfAFreshBox();
  void idleCursorStopsBlinking();
  void contextMenuSpeaksQtsWordsAndActs();
  void mouseSetsTheCursorAndSelects();
  void clicksFireTheirRoutine();
  void messageBoxHasNoIconAndTheDefaultCaption();
  void questionBoxAnswersYesOrNo();
  void fileDialogRemembersTheChosenPath();
  void modalWindowRunsItsOwnLoop();
  void listItemsAndControlStyle();

 private:
  int fired(std::string_view control, Event event) const;
  ByteTextEdit* countedBox(std::string_view bytes, int anchor, int cursor,
                           morvane::Encoding encoding = morvane::Encoding::kGbk);
  QString countMismatch();

  std::unique_ptr<QtToolkit> toolkit_;
  QWidget* window_ = nullptr;
  std::map<std::pair<std::string, Event>, int> fired_;
  int seenLength_ = -1;  // what the box's content-changed routine counted last
};

void TextBoxTest::init() {
  toolkit_ = std::make_unique<QtToolkit>();
  toolkit_->Describe({"window", "测试", 408, 334, Frame::kMain, {}, kRows});
  toolkit_->Describe({"second", "第二", 200, 100, Frame::kToolWindow, {}, kSecondRows});
  fired_.clear();
  const morvane::EventSource sources[] = {kBoxControl,   kLineControl, kButtonControl,
                                          kRadioControl, kListControl, kSecondWindow};
  for (const morvane::EventSource control : sources) {
    for (Event event :
         {Event::kContentChanged, Event::kClicked, Event::kItemSelected, Event::kCreated}) {
      toolkit_->Bind(control, event, [this, name = std::string(control.name()), event] {
        ++fired_[{name, event}];
      });
    }
  }
  window_ = toolkit_->CreateWindow("window");
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void TextBoxTest::cleanup() {
  toolkit_.reset();
}

int TextBoxTest::fired(std::string_view control, Event event) const {
  auto it = fired_.find({std::string(control), event});
  return it == fired_.end() ? 0 : it->second;
}

// The "box" with a routine that counts its bytes on every change, as the size label's
// routine does, showing the given bytes, focused, with the given selection.
ByteTextEdit* TextBoxTest::countedBox(std::string_view bytes, int anchor, int cursor,
                                      morvane::Encoding encoding) {
  toolkit_->Bind(kBoxControl, Event::kContentChanged, [this] {
    ++fired_[{"box", Event::kContentChanged}];
    seenLength_ = toolkit_->TextLength(kBoxControl);
  });
  toolkit_->SetTextEncoding(kBoxControl, encoding);
  toolkit_->SetText(kBoxControl,
                    encoding == morvane::Encoding::kGbk ? ByteText(bytes) : ByteText::Copy(bytes));
  auto* box = static_cast<ByteTextEdit*>(toolkit_->Widget("box"));
  box->setFocus();
  box->Select(static_cast<std::size_t>(anchor), static_cast<std::size_t>(cursor));
  fired_.clear();
  return box;
}

// Empty when the count the routine saw last, the count asked for now and the bytes read
// all agree; else what differs.
QString TextBoxTest::countMismatch() {
  const int asked = toolkit_->TextLength(kBoxControl);
  const ByteText bytes = toolkit_->Text(kBoxControl);
  const auto size = static_cast<int>(bytes.size());
  if ((fired("box", Event::kContentChanged) > 0 && seenLength_ != size) || asked != size) {
    return QStringLiteral("read %1 bytes; the routine counted %2, asked %3")
        .arg(size)
        .arg(seenLength_)
        .arg(asked);
  }
  return {};
}

void TextBoxTest::editsChangeTheBytes_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<int>("anchor");
  QTest::addColumn<int>("cursor");
  QTest::addColumn<int>("key");  // pressed first, 0 for none
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<QString>("typed");  // then committed as an input method does
  QTest::addColumn<QString>("pasted");
  QTest::addColumn<QByteArray>("expected");
  const QString none;
  const int shift = Qt::ShiftModifier;
  // clang-format off
  QTest::newRow("a letter") << QByteArray("abc") << 1 << 1 << int(Qt::Key_X) << 0 << none << none << QByteArray("axbc");
  QTest::newRow("hanzi") << QByteArray("ab") << 2 << 2 << 0 << 0 << QStringLiteral("第二") << none << QByteArray("ab\xB5\xDA\xB6\xFE");
  QTest::newRow("hanzi after an invalid byte") << QByteArray("\x80raw") << 1 << 1 << 0 << 0 << QStringLiteral("字") << none << QByteArray("\x80\xD7\xD6raw");
  QTest::newRow("a typed CR mark") << QByteArray("ab") << 1 << 1 << 0 << 0 << QStringLiteral("\u240D") << none << QByteArray("a\rb");
  QTest::newRow("a typed line separator") << QByteArray("ab") << 1 << 1 << 0 << 0 << QStringLiteral("\u2028") << none << QByteArray("a\nb");
  QTest::newRow("a typed escape") << QByteArray("ab") << 1 << 1 << 0 << 0 << QStringLiteral("\uF781") << none << QByteArray("a\x81" "b");
  QTest::newRow("Enter") << QByteArray("ab") << 1 << 1 << int(Qt::Key_Return) << 0 << none << none << QByteArray("a\r\nb");
  QTest::newRow("Shift+Enter") << QByteArray("ab") << 1 << 1 << int(Qt::Key_Return) << shift << none << none << QByteArray("a\nb");
  QTest::newRow("Delete at a lone LF") << QByteArray("one\ntwo") << 3 << 3 << int(Qt::Key_Delete) << 0 << none << none << QByteArray("onetwo");
  QTest::newRow("Backspace after a lone CR") << QByteArray("cr\rmark") << 3 << 3 << int(Qt::Key_Backspace) << 0 << none << none << QByteArray("crmark");
  QTest::newRow("Backspace at a paragraph's start") << QByteArray("ab\r\ncd") << 4 << 4 << int(Qt::Key_Backspace) << 0 << none << none << QByteArray("abcd");
  QTest::newRow("Backspace after CR CR LF") << QByteArray("a\r\r\nb") << 4 << 4 << int(Qt::Key_Backspace) << 0 << none << none << QByteArray("a\rb");
  QTest::newRow("Delete at a paragraph's end") << QByteArray("ab\r\ncd") << 2 << 2 << int(Qt::Key_Delete) << 0 << none << none << QByteArray("abcd");
  QTest::newRow("Backspace at the start") << QByteArray("ab") << 0 << 0 << int(Qt::Key_Backspace) << 0 << none << none << QByteArray("ab");
  QTest::newRow("Delete at the end") << QByteArray("ab") << 2 << 2 << int(Qt::Key_Delete) << 0 << none << none << QByteArray("ab");
  QTest::newRow("Backspace after hanzi") << QByteArray("a\xB5\xDA") << 3 << 3 << int(Qt::Key_Backspace) << 0 << none << none << QByteArray("a");
  QTest::newRow("Delete before hanzi") << QByteArray("\xB5\xDA" "b") << 0 << 0 << int(Qt::Key_Delete) << 0 << none << none << QByteArray("b");
  QTest::newRow("a selection inside a character") << QByteArray("\xB5\xDA\xB6\xFE") << 1 << 3 << int(Qt::Key_Delete) << 0 << none << none << QByteArray("\xB6\xFE");
  QTest::newRow("typing over three paragraphs") << QByteArray("ab\r\ncd\r\nef") << 1 << 8 << int(Qt::Key_Y) << 0 << none << none << QByteArray("ayef");
  QTest::newRow("hanzi over a backward selection") << QByteArray("ab\r\ncd\r\nef") << 8 << 1 << 0 << 0 << QStringLiteral("替") << none << QByteArray("a\xCC\xE6" "ef");
  QTest::newRow("a selection up to a paragraph's start") << QByteArray("ab\r\ncd") << 1 << 4 << int(Qt::Key_Delete) << 0 << none << none << QByteArray("acd");
  QTest::newRow("everything") << QByteArray("ab\r\ncd") << 0 << 6 << int(Qt::Key_Backspace) << 0 << none << none << QByteArray();
  QTest::newRow("Down, then typing") << QByteArray("ab\r\ncd") << 1 << 1 << int(Qt::Key_Down) << 0 << QStringLiteral("x") << none << QByteArray("ab\r\ncxd");
  QTest::newRow("Up from the end") << QByteArray("ab\r\ncd") << 6 << 6 << int(Qt::Key_Up) << 0 << QStringLiteral("x") << none << QByteArray("abx\r\ncd");
  QTest::newRow("End, then typing") << QByteArray("ab\r\ncd") << 0 << 0 << int(Qt::Key_End) << 0 << QStringLiteral("x") << none << QByteArray("abx\r\ncd");
  QTest::newRow("Home, then typing") << QByteArray("ab\r\ncd") << 5 << 5 << int(Qt::Key_Home) << 0 << QStringLiteral("x") << none << QByteArray("ab\r\nxcd");
  QTest::newRow("Left over CR LF") << QByteArray("ab\r\ncd") << 4 << 4 << int(Qt::Key_Left) << 0 << QStringLiteral("x") << none << QByteArray("abx\r\ncd");
  QTest::newRow("Right over hanzi") << QByteArray("\xB5\xDA" "b") << 0 << 0 << int(Qt::Key_Right) << 0 << QStringLiteral("x") << none << QByteArray("\xB5\xDAxb");
  QTest::newRow("Shift+Right selects hanzi") << QByteArray("\xB5\xDA" "b") << 0 << 0 << int(Qt::Key_Right) << shift << QStringLiteral("x") << none << QByteArray("xb");
  QTest::newRow("a multi-paragraph paste over a selection") << QByteArray("abc") << 1 << 2 << 0 << 0 << none
      << (QStringLiteral("p1\r\np2\np3\rp4\u2028p5\u240Dp6\uF781\uF7FF\u20AC\U0001F600") + QChar(0xD800))
      << QByteArray("ap1\r\np2\r\np3\r\np4\np5\rp6\x81\xFF\x80??c");
  QTest::newRow("a pasted paragraph break at the end") << QByteArray("ab") << 2 << 2 << 0 << 0 << none << QStringLiteral("\n") << QByteArray("ab\r\n");
  QTest::newRow("a pasted zero character ends the bytes") << QByteArray("xy") << 0 << 0 << 0 << 0 << none
      << (QStringLiteral("ab") + QChar(0) + QStringLiteral("cd\n")) << QByteArray("ab");
  // clang-format on
}

void TextBoxTest::editsChangeTheBytes() {
  QFETCH(QByteArray, bytes);
  QFETCH(int, anchor);
  QFETCH(int, cursor);
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QFETCH(QString, typed);
  QFETCH(QString, pasted);
  QFETCH(QByteArray, expected);
  ByteTextEdit* box = countedBox(std::string_view(bytes.constData(), bytes.size()), anchor, cursor);
  if (key != 0) {
    QTest::keyClick(box, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
  }
  if (!typed.isNull()) Commit(box, typed);
  if (!pasted.isNull()) Paste(box, pasted);
  QCOMPARE(Raw(toolkit_->Text(kBoxControl).view()), expected);
  const QString mismatch = countMismatch();
  QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
  // A change fires the routine once; a key that changes nothing fires nothing.
  const bool changed = expected != bytes || !typed.isNull() || !pasted.isNull();
  QCOMPARE(fired("box", Event::kContentChanged), changed ? 1 : 0);
  QVERIFY(AtUnitStart(box->View(), box->Cursor()));

  // Undo gives the bytes back, redo the edit again.
  if (!changed) return;
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Raw(box->View()), bytes);
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(Raw(toolkit_->Text(kBoxControl).view()), expected);
}

void TextBoxTest::randomEditsUndoToTheStart_data() {
  QTest::addColumn<morvane::Encoding>("encoding");
  for (morvane::Encoding encoding : morvane::kEncodings) {
    QTest::newRow(morvane::EncodingName(encoding).data()) << encoding;
  }
}

void TextBoxTest::randomEditsUndoToTheStart() {
  // Many paragraphs of different lengths, edited at random places in every way a user
  // can; the count follows every edit, the cursor stays on a unit start, and undoing
  // every step gives the first bytes back, redoing them the last.
  QFETCH(morvane::Encoding, encoding);
  std::mt19937 random(20240607);
  const std::vector<std::string> pieces = PiecesIn(
      encoding,
      {"a", "bc", "\xB5\xDA", "\xCE\xC4\xB1\xBE", "\n", "\r", "\x80", "\xFF", "\x81", " ", "\t"});
  auto piece = [&] { return pieces[random() % pieces.size()]; };
  std::string text;
  for (int paragraph = 0; paragraph < 300; ++paragraph) {
    for (unsigned n = random() % 12; n > 0; --n) text += piece();
    text += In(encoding, "\r\n");
  }
  ByteTextEdit* box = countedBox(text, 0, 0, encoding);
  const QString typed[] = {QStringLiteral("x"), QStringLiteral("章"), QStringLiteral("\u2028"),
                           QStringLiteral("\u240D"), QStringLiteral("\uF781")};
  const QString pasted[] = {QStringLiteral("one\r\ntwo"), QStringLiteral("\n\n"),
                            QStringLiteral("第\r章\n"), QStringLiteral("z")};
  const Qt::Key moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,       Qt::Key_Down,
                           Qt::Key_End,  Qt::Key_Home,  Qt::Key_PageDown, Qt::Key_PageUp};
  int steps = 0;
  for (int step = 0; step < 400; ++step) {
    const auto size = static_cast<int>(box->View().size());
    const auto at = [&] { return static_cast<int>(random() % static_cast<unsigned>(size + 1)); };
    const int anchor = at();
    const int reach = (random() % 4 == 0) ? 2000 : 20;
    const int position =
        std::clamp(anchor + static_cast<int>(random() % (2 * reach)) - reach, 0, size);
    const std::string before(box->View());
    switch (random() % 6) {
      case 0:
        box->Select(anchor, anchor);
        QTest::keyClick(box, moves[random() % std::size(moves)],
                        random() % 2 ? Qt::ShiftModifier : Qt::NoModifier);
        Commit(box, typed[random() % std::size(typed)]);
        break;
      case 1:
        box->Select(anchor, position);
        QTest::keyClick(box, random() % 2 ? Qt::Key_Backspace : Qt::Key_Delete);
        break;
      case 2:
        box->Select(anchor, position);
        Paste(box, pasted[random() % std::size(pasted)]);
        break;
      case 3:
        box->Select(anchor, anchor);
        QTest::keyClick(box, Qt::Key_Return, random() % 2 ? Qt::ShiftModifier : Qt::NoModifier);
        break;
      case 4:
        box->Select(anchor, position);
        QTest::keyClick(box, Qt::Key_Q);
        break;
      default:
        box->Select(anchor, position);
        QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        break;
    }
    const QString what = QStringLiteral("step %1: ").arg(step);
    const QString mismatch = countMismatch();
    QVERIFY2(mismatch.isEmpty(), qPrintable(what + mismatch));
    QVERIFY2(AtUnitStart(box->View(), box->Cursor(), encoding),
             qPrintable(what + "cursor in a unit"));
    steps += box->View() != before ? 1 : 0;
  }
  const std::string last(box->View());
  while (box->CanUndo()) QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Raw(box->View()), Raw(text));
  while (box->CanRedo()) QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(Raw(box->View()), Raw(last));
  QVERIFY(steps > 200);
}

void TextBoxTest::longParagraphShowsTheLinesOfAFreshBox_data() {
  QTest::addColumn<int>("size");
  QTest::addColumn<int>("steps");
  QTest::addColumn<bool>("nearSeams");
  QTest::addColumn<morvane::Encoding>("encoding");
  const int kept = 3 * ByteTextEdit::kLongParagraph;
  const int seams = 2 * ByteTextEdit::kSeamBlock + 100000;
  using enum morvane::Encoding;
  QTest::newRow("kept line starts") << kept << 60 << false << kGbk;
  QTest::newRow("seams") << seams << 24 << true << kGbk;
  QTest::newRow("utf-8 kept line starts") << kept << 30 << false << kUtf8;
  QTest::newRow("utf-16le kept line starts") << kept << 30 << false << kUtf16Le;
  QTest::newRow("utf-16be seams") << seams << 12 << true << kUtf16Be;
  QTest::newRow("gb18030 seams") << seams << 12 << true << kGb18030;
}

void TextBoxTest::longParagraphShowsTheLinesOfAFreshBox() {
  // Typing in a paragraph whose line starts are kept (and before it, and after it, and
  // about the seams of a huge one) must show the lines that a box given the same bytes
  // afresh shows at the same place.
  QFETCH(int, size);
  QFETCH(int, steps);
  QFETCH(bool, nearSeams);
  QFETCH(morvane::Encoding, encoding);
  const std::string paragraph = LongParagraph(static_cast<std::size_t>(size), 7, encoding);
  ByteTextEdit* box =
      countedBox(In(encoding, "head\r\n") + paragraph + In(encoding, "\r\ntail"), 0, 0, encoding);
  auto* fresh = new ByteTextEdit(window_);
  fresh->SetEncoding(encoding);
  fresh->setGeometry(box->geometry().translated(0, 400));
  fresh->setFont(box->font());
  fresh->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  fresh->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  fresh->setFrameShadow(box->frameShadow());
  fresh->show();
  std::mt19937 random(11);
  for (int step = 0; step < steps; ++step) {
    const auto held = static_cast<unsigned>(box->View().size());
    // Mostly deep in the paragraph, where the kept starts matter, or about a seam.
    std::size_t at = step % 5 == 0 ? random() % held : held / 2 + random() % (held / 3);
    if (nearSeams) {
      at = (1 + step % 2) * ByteTextEdit::kSeamBlock + random() % 400 - 100;
    }
    box->Select(at, at);
    if (step % 3 == 0) {
      QTest::keyClick(box, Qt::Key_Backspace);
    } else {
      Commit(box, step % 3 == 1 ? QStringLiteral("宽") : QStringLiteral("w "));
    }
    // A fresh box scrolled to one of the lines in sight shows the lines from there on:
    // the lines found going down are those found from where they start.
    fresh->SetBytes(toolkit_->Text(kBoxControl));
    const std::vector<std::size_t> starts = box->ShownStarts();
    const std::size_t row = static_cast<std::size_t>(step) % starts.size();
    fresh->verticalScrollBar()->setValue(static_cast<int>(starts[row]));
    const std::vector<std::size_t> from(starts.begin() + static_cast<std::ptrdiff_t>(row),
                                        starts.end());
    std::vector<std::size_t> seen = fresh->ShownStarts();
    seen.resize(std::min(seen.size(), from.size()));
    QVERIFY2(seen == from, qPrintable(QStringLiteral("step %1, row %2").arg(step).arg(row)));
    QCOMPARE(fresh->ShownLines().mid(0, static_cast<int>(from.size())),
             box->ShownLines().mid(static_cast<int>(row)));
  }
  // Every line fits the box, and the lines in sight are the text in sight.
  const QFontMetricsF metrics(box->font());
  for (const QString& line : box->ShownLines()) {
    QVERIFY(metrics.horizontalAdvance(line.trimmed()) <= box->viewport()->width());
  }
}

void TextBoxTest::lineBreaksShowAsBreaks() {
  toolkit_->SetText(kBoxControl, ByteText("a\r\nb\nc\rd"));
  auto* box = static_cast<ByteTextEdit*>(toolkit_->Widget("box"));
  // CR LF and a lone LF end a line; a lone CR shows as a mark.
  QCOMPARE(box->ShownLines(), (QStringList{"a", "b", QStringLiteral("c\u240Dd")}));
  // A copy carries the exact bytes to a paste; as plain text both breaks are "\n".
  box->setFocus();
  box->SelectAll();
  QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\nb\nc\u240Dd"));
  QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(toolkit_->Text(kBoxControl), ByteText("a\r\nb\nc\rda\r\nb\nc\rd"));
}

void TextBoxTest::contextMenuSpeaksQtsWordsAndActs() {
  QTranslator chinese;
  if (!chinese.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                    QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QSKIP("Qt's Chinese translations are not installed");
  }
  QCoreApplication::installTranslator(&chinese);
  const auto uninstall = qScopeGuard([&] { QCoreApplication::removeTranslator(&chinese); });
  ByteTextEdit* box = countedBox("a\r\nb", 0, 0);
  std::unique_ptr<QMenu> menu(box->CreateContextMenu());
  QStringList texts;
  for (QAction* action : menu->actions()) texts << action->text().section(QLatin1Char('\t'), 0, 0);
  for (const QString& word :
       {QStringLiteral("重做"), QStringLiteral("剪切"), QStringLiteral("复制"),
        QStringLiteral("粘贴"), QStringLiteral("全选")}) {
    QVERIFY2(texts.join('|').contains(word), qPrintable(texts.join('|')));
  }
  QVERIFY(!texts.join(QLatin1Char('|')).contains(QStringLiteral("Undo")));
  // 全选, then 剪切 from a fresh menu: the box is empty, the clipboard has the text.
  menu->actions().last()->trigger();
  menu.reset(box->CreateContextMenu());
  menu->actions().at(3)->trigger();
  QCOMPARE(toolkit_->Text(kBoxControl), ByteText());
  QCOMPARE(seenLength_, 0);
  QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a\nb"));
}

void TextBoxTest::mouseSetsTheCursorAndSelects() {
  ByteTextEdit* box = countedBox("abc def\r\nxyz \xB5\xDA", 0, 0);
  // Where the cursor is drawn at a position, in the viewport.
  const auto at = [box](std::size_t position) {
    box->Select(position, position);
    return box->CursorRect().center() + QPoint(1, 0);
  };
  QWidget* area = box->viewport();
  const QPoint secondLine = at(9);
  const QPoint inDef = at(5);
  const QPoint end = at(15);
  box->Select(0, 0);
  QTest::mouseClick(area, Qt::LeftButton, {}, secondLine);
  QCOMPARE(box->Cursor(), std::size_t{9});
  // Shift+click reaches over the hanzi to the end; a click past a line's end stops there.
  QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, end + QPoint(40, 0));
  QCOMPARE(box->Anchor(), std::size_t{9});
  QCOMPARE(box->Cursor(), std::size_t{15});
  // A double-click takes the word; typing replaces it.
  QTest::mouseDClick(area, Qt::LeftButton, {}, inDef);
  Commit(box, QStringLiteral("X"));
  QCOMPARE(toolkit_->Text(kBoxControl), ByteText("abc X\r\nxyz \xB5\xDA"));
  // A drag from the start to the end selects everything.
  const QPoint first = at(0);
  const QPoint last = at(13);
  QTest::mousePress(area, Qt::LeftButton, {}, first);
  QMouseEvent move(QEvent::MouseMove, QPointF(last), area->mapToGlobal(QPointF(last)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(area, &move);
  QTest::mouseRelease(area, Qt::LeftButton, {}, last);
  QCOMPARE(box->Anchor(), std::size_t{0});
  QCOMPARE(box->Cursor(), std::size_t{13});
}

void TextBoxTest::idleCursorStopsBlinking() {
  // One giant line in a focused box: a blink draws the cursor's few pixels and nothing
  // more, and after the blinking time the box draws nothing at all.
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  if (flash <= 0) QSKIP("the platform does not blink the cursor");
  window_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_));
  ByteTextEdit* box = countedBox(LongParagraph(8 << 20, 3), 0, 0);
  box->SetBlinkTimeout(3 * flash);
  QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
  QApplication::processEvents();
  struct Painted : QObject {
    QList<QRect> rects;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) rects << static_cast<QPaintEvent*>(event)->rect();
      return false;
    }
  } painted;
  box->viewport()->installEventFilter(&painted);
  QTest::qWait(2 * flash);
  QVERIFY(!painted.rects.isEmpty());
  for (const QRect& rect : painted.rects) QVERIFY(rect.width() <= 3);
  QTest::qWait(2 * flash);
  painted.rects.clear();
  QTest::qWait(2 * flash);
  QCOMPARE(painted.rects.size(), 0);
}

void TextBoxTest::bytesComeBackUnchanged_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\n");
  QTest::newRow("lone LF") << QByteArray("one\ntwo\n\n");
  QTest::newRow("lone CR") << QByteArray("one\rtwo\r");
  QTest::newRow("CR CR LF and LF CR") << QByteArray("a\r\r\nb\n\rc\r\n\r");
  QTest::newRow("GBK text") << QByteArray("\xB5\xDA\xD2\xBB\xD5\xC2 \xCE\xC4\xB1\xBE\t\xA1\xA1");
  QTest::newRow("invalid bytes") << QByteArray("\x80 \xFF \x81\x20 \xA1\x7F x\x81");
  QTest::newRow("user-defined area") << QByteArray("\xAA\xA1\xFE\xFE\xA1\x40");
  QTest::newRow("empty") << QByteArray();
}

void TextBoxTest::bytesComeBackUnchanged() {
  QFETCH(QByteArray, bytes);
  const ByteText text(std::string_view(bytes.constData(), bytes.size()));
  for (const morvane::EditBox control : {kBoxControl, kLineControl}) {
    toolkit_->SetText(control, text);
    QCOMPARE(toolkit_->Text(control), text);
    // A user edit that ends where it began goes through the encoding of the display.
    QWidget* widget = toolkit_->Widget(control);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_X);
    QTest::keyClick(widget, Qt::Key_Backspace);
    const ByteText back = toolkit_->Text(control);
    QCOMPARE(QByteArray(back.data(), static_cast<qsizetype>(back.size())), bytes);
  }
}

void TextBoxTest::handlerWritesFireOnceNested() {
  ByteText seenInside;
  toolkit_->Bind(kBoxControl, Event::kContentChanged, [this, &seenInside] {
    ++fired_[{"box", Event::kContentChanged}];
    seenInside = toolkit_->Text(kBoxControl);
  });
  toolkit_->SetText(kBoxControl, ByteText("same"));
  QCOMPARE(seenInside, ByteText("same"));
  toolkit_->SetText(kBoxControl, ByteText("same"));
  QCOMPARE(fired("box", Event::kContentChanged), 2);
  toolkit_->SetText(kLineControl, ByteText("x"));
  toolkit_->SetText(kLineControl, ByteText("x"));
  QCOMPARE(fired("line", Event::kContentChanged), 2);
  // Captions are no edit boxes: nothing fires.
  toolkit_->SetText(kButtonControl, ByteText("y"));
  QCOMPARE(fired("button", Event::kClicked), 0);
}

void TextBoxTest::typingFiresOncePerChange() {
  for (const morvane::EditBox control : {kBoxControl, kLineControl}) {
    QWidget* widget = toolkit_->Widget(control);
    QTest::mouseClick(widget, Qt::LeftButton);  // focus alone changes nothing
    QCOMPARE(fired(control, Event::kContentChanged), 0);
    QTest::keyClicks(widget, "abc");
    QCOMPARE(fired(control, Event::kContentChanged), 3);
    QTest::keyClick(widget, Qt::Key_Backspace);
    QCOMPARE(fired(control, Event::kContentChanged), 4);
    QCOMPARE(toolkit_->Text(control), ByteText("ab"));
  }
  // Enter in the multi-line box is a CR LF.
  QTest::keyClick(toolkit_->Widget("box"), Qt::Key_Return);
  QCOMPARE(toolkit_->Text(kBoxControl), ByteText("ab\r\n"));
}

void TextBoxTest::clicksFireTheirRoutine() {
  QTest::mouseClick(toolkit_->Widget("button"), Qt::LeftButton);
  QCOMPARE(fired("button", Event::kClicked), 1);
  // A radio button checks itself on every click and never unchecks.
  QWidget* radio = toolkit_->Widget("radio");
  QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
  QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
  QCOMPARE(fired("radio", Event::kClicked), 2);
  QVERIFY(toolkit_->Checked(kRadioControl));
  toolkit_->SetChecked(kRadioControl, false);
  QVERIFY(!toolkit_->Checked(kRadioControl));
  // Choosing an item fires; setting the index from code does not.
  QWidget* list = toolkit_->Widget("list");
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  QCOMPARE(fired("list", Event::kItemSelected), 1);
  QCOMPARE(toolkit_->SelectedIndex(kListControl), 1);
  toolkit_->SetText(kListControl, ByteText("5"));
  QCOMPARE(toolkit_->SelectedIndex(kListControl), 3);
  QCOMPARE(fired("list", Event::kItemSelected), 1);
}

void TextBoxTest::messageBoxHasNoIconAndTheDefaultCaption() {
  QString title, text;
  int icon = -1, buttons = 0;
  bool modal = false;
  morvane::testing::WhenModalOpens([&](QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    QVERIFY(box != nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->standardButtons();
    modal = box->windowModality() == Qt::ApplicationModal && box->parent() == nullptr;
    box->button(QMessageBox::Ok)->click();
  });
  const int pressed = toolkit_->ShowMessageBox("切割完成！\r\n第二行");
  QCOMPARE(pressed, 0);
  QCOMPARE(title, QStringLiteral("信息："));
  QCOMPARE(text, QStringLiteral("切割完成！\n第二行"));
  QCOMPARE(icon, int(QMessageBox::NoIcon));
  QCOMPARE(buttons, int(QMessageBox::Ok));
  QVERIFY(modal);
}

void TextBoxTest::questionBoxAnswersYesOrNo() {
  // 是 says yes; 否, Enter (the default) and Esc say no.
  const std::function<void(QMessageBox*)> presses[] = {
      [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); },
      [](QMessageBox* box) { box->button(QMessageBox::No)->click(); },
      [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); },
      [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); },
  };
  const int answers[] = {morvane::kAnswerYes, morvane::kAnswerNo, morvane::kAnswerNo,
                         morvane::kAnswerNo};
  for (std::size_t i = 0; i < std::size(presses); ++i) {
    QStringList buttons;
    morvane::testing::WhenModalOpens([&](QWidget* widget) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      QVERIFY(box != nullptr);
      for (QAbstractButton* button : box->buttons()) buttons << button->text();
      presses[i](box);
    });
    const int answer = toolkit_->ShowMessageBox("?", morvane::kYesNo, {});
    QCOMPARE(answer, answers[i]);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{QStringLiteral("否"), QStringLiteral("是")}));
  }
}

void TextBoxTest::fileDialogRemembersTheChosenPath() {
  QTemporaryDir folder;
  const QString chosen = folder.filePath(QStringLiteral("第一卷.txt"));
  std::ofstream(chosen.toStdString()) << "text";

  QStringList filters;
  morvane::testing::WhenModalOpens([&](QWidget* widget) {
    auto* dialog = qobject_cast<QDialog*>(widget);
    QVERIFY(dialog != nullptr);
    auto* types = dialog->findChild<QComboBox*>();
    for (int i = 0; types != nullptr && i < types->count(); ++i) filters << types->itemText(i);
    QVERIFY(morvane::testing::AnswerFileDialog(dialog, chosen));
  });
  QVERIFY(toolkit_->ShowFileDialog(kDialogControl));
  QCOMPARE(filters, QStringList{QStringLiteral("txt文本 (*.txt)")});
  const morvane::Path path(chosen.toStdString());
  QCOMPARE(toolkit_->DialogFileName(kDialogControl), path);

  // The second dialog starts on the path chosen before; cancelling keeps it.
  QString preFilled;
  morvane::testing::WhenModalOpens([&](QWidget* widget) {
    auto* dialog = dynamic_cast<morvane::ui::OpenFileDialog*>(widget);
    QVERIFY(dialog != nullptr);
    preFilled = QString::fromStdString(dialog->folder().native()) + QLatin1Char('/') +
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
    dialog->reject();
  });
  QVERIFY(!toolkit_->ShowFileDialog(kDialogControl));
  QCOMPARE(preFilled, chosen);
  QCOMPARE(toolkit_->DialogFileName(kDialogControl), path);
}

void TextBoxTest::modalWindowRunsItsOwnLoop() {
  bool blocked = false;
  QWidget* second = nullptr;
  morvane::testing::WhenModalOpens([&](QWidget* widget) {
    second = widget;
    blocked = QApplication::activeModalWidget() == widget && toolkit_->Widget("label") != nullptr;
    const auto closeAnyway = qScopeGuard([widget] { widget->close(); });
    widget->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(widget));
    QTest::keyClick(widget, Qt::Key_Escape);  // Esc closes it
    QVERIFY(!widget->isVisible());
  });
  QVERIFY(toolkit_->LoadWindow(kSecondWindow, kTestWindow, true));
  QVERIFY(blocked);
  QCOMPARE(second->size(), QSize(200 - 8, 100 - 22));
  QCOMPARE(fired("second", Event::kCreated), 1);
  // Its controls are gone with it; opening it again builds it afresh.
  QApplication::processEvents();
  QCOMPARE(toolkit_->Widget("label"), nullptr);
  morvane::testing::WhenModalOpens([](QWidget* widget) { widget->close(); });
  QVERIFY(toolkit_->LoadWindow(kSecondWindow, kTestWindow, true));
  QCOMPARE(fired("second", Event::kCreated), 2);
}

void TextBoxTest::listItemsAndControlStyle() {
  QCOMPARE(toolkit_->ComboItemText(kListControl, 0), ByteText("2"));
  QCOMPARE(toolkit_->ComboItemText(kListControl, 3), ByteText("5"));
  QCOMPARE(toolkit_->ComboItemText(kListControl, 4), ByteText());
  QCOMPARE(toolkit_->ComboItemText(kListControl, -1), ByteText());

  QVERIFY(toolkit_->SetControlStyle(1));
  QVERIFY(qApp->styleSheet().contains(QStringLiteral("rgb(123, 158, 189)")));
  QVERIFY(toolkit_->SetControlStyle(0));
  QVERIFY(qApp->styleSheet().isEmpty());
}

QTEST_MAIN(TextBoxTest)
#include "text_box_test.moc"
