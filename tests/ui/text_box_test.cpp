// The window layer on real widgets: lossless edit boxes, the dispatch rule, the message
// box, the file dialog component, modal windows and the control style.

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <fstream>
#include <random>
#include <string>

#include "core/gbk.h"
#include "tests/ui/modal.h"
#include "ui/qt_toolkit.h"
#include "ui/widgets.h"

using morvane::ByteText;
using morvane::Event;
using namespace morvane::ui;
using enum morvane::ui::Kind;

namespace {

// clang-format off
const ControlRow kRows[] = {
  {"box",    kEdit,       {}, {0,   0,   300, 200}, "", kShown, {kMultiLine}},
  {"line",   kEdit,       {}, {0,   210, 300, 16},  "", kShown},
  {"button", kButton,     {}, {0,   240, 60,  16},  "按钮", kShown},
  {"radio",  kRadio,      {}, {80,  240, 60,  16},  "选择", kShown},
  {"list",   kDropDown,   {}, {160, 240, 60,  80},  "2|3|4|5", kShown},
  {"dialog", kFileDialog, {}, {},                   "txt文本|*.txt", kHidden, {}, "/no/such/folder"},
};
const ControlRow kSecondRows[] = {
  {"label",  kLabel,      {}, {0, 0, 100, 16}, "第二个窗口", kShown},
};
// clang-format on

// The box's bytes as encoding its whole document afresh gives them: paragraph breaks
// CR LF, line separators LF, "␍" CR, ending at a zero byte as every byte text does.
ByteText WholeDocumentBytes(const QTextDocument& document) {
  std::u16string text;
  for (const QChar qc : document.toRawText()) {
    const char16_t c = qc.unicode();
    if (c == u'\u2029') {
      text += u"\r\n";
    } else if (c == u'\u2028') {
      text += u'\n';
    } else if (c == u'\u240D') {
      text += u'\r';
    } else {
      text += c;
    }
  }
  return ByteText(morvane::EncodeGbk(text));
}

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

void Select(QPlainTextEdit* box, int anchor, int position) {
  QTextCursor cursor = box->textCursor();
  cursor.setPosition(anchor);
  cursor.setPosition(position, QTextCursor::KeepAnchor);
  box->setTextCursor(cursor);
}

// A text whose paragraphs differ in length, so that a count kept for the wrong
// paragraph shows: GBK characters, a lone LF, a lone CR, invalid bytes.
const char kParagraphs[] =
    "\xB5\xDA\xD2\xBB\xD5\xC2\r\n"            // 第一章
    "one\ntwo\r\n"                            // a line break inside
    "cr\rmark\r\n"                            // a lone CR
    "\x80raw\xFF\x81\r\n"                     // bytes that are no character
    "\r\n"                                    // an empty paragraph
    "\xA1\xA1\xA1\xA1\xCE\xC4\xB1\xBE tail";  // 　　文本

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
  void countFollowsTypingAndBreaks();
  void countFollowsSelectionsPasteAndUndo();
  void countFollowsRandomEdits();
  void clicksFireTheirRoutine();
  void messageBoxHasNoIconAndTheDefaultCaption();
  void fileDialogRemembersTheChosenPath();
  void modalWindowRunsItsOwnLoop();
  void listItemsAndControlStyle();

 private:
  int fired(const char* control, Event event) const;
  QPlainTextEdit* countedBox(const char* bytes);
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
  for (const char* control : {"box", "line", "button", "radio", "list", "second"}) {
    for (Event event :
         {Event::kContentChanged, Event::kClicked, Event::kItemSelected, Event::kCreated}) {
      toolkit_->Bind(control, event, [this, control, event] { ++fired_[{control, event}]; });
    }
  }
  window_ = toolkit_->CreateWindow("window");
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void TextBoxTest::cleanup() {
  toolkit_.reset();
}

int TextBoxTest::fired(const char* control, Event event) const {
  auto it = fired_.find({control, event});
  return it == fired_.end() ? 0 : it->second;
}

// The "box" with a routine that counts its bytes on every change, as the size label's
// routine does, showing the given bytes, focused, the cursor at the start.
QPlainTextEdit* TextBoxTest::countedBox(const char* bytes) {
  toolkit_->Bind("box", Event::kContentChanged,
                 [this] { seenLength_ = toolkit_->TextLength("box"); });
  toolkit_->SetText("box", ByteText(bytes));
  auto* box = static_cast<QPlainTextEdit*>(toolkit_->Widget("box"));
  box->setFocus();
  box->moveCursor(QTextCursor::Start);
  return box;
}

// Empty when the count the routine saw, the count asked for now and the box's bytes all
// agree with encoding the whole document afresh; else what differs. The count is asked
// before the bytes, which the box keeps once they are read.
QString TextBoxTest::countMismatch() {
  auto* box = static_cast<QPlainTextEdit*>(toolkit_->Widget("box"));
  const ByteText expected = WholeDocumentBytes(*box->document());
  const int asked = toolkit_->TextLength("box");
  const ByteText bytes = toolkit_->Text("box");
  const auto size = static_cast<int>(expected.size());
  if (seenLength_ != size || asked != size || bytes != expected) {
    return QStringLiteral("expected %1 bytes; the routine counted %2, asked %3, read %4 (%5)")
        .arg(size)
        .arg(seenLength_)
        .arg(asked)
        .arg(bytes.size())
        .arg(bytes == expected ? "same bytes" : "other bytes");
  }
  return {};
}

#define EXPECT_COUNTED(step)                                                        \
  do {                                                                              \
    const QString mismatch = countMismatch();                                       \
    QVERIFY2(mismatch.isEmpty(), qPrintable(QStringLiteral(step ": ") + mismatch)); \
  } while (false)

void TextBoxTest::countFollowsTypingAndBreaks() {
  QPlainTextEdit* box = countedBox(kParagraphs);
  QCOMPARE(box->document()->blockCount(), 6);
  EXPECT_COUNTED("as written");

  // Typing inside a paragraph with a line break, and in the one with invalid bytes.
  box->moveCursor(QTextCursor::Down);
  box->moveCursor(QTextCursor::EndOfBlock);
  QTest::keyClick(box, Qt::Key_X);
  EXPECT_COUNTED("a letter after a lone LF");
  Commit(box, QStringLiteral("第二"));
  EXPECT_COUNTED("hanzi");
  QTextCursor cursor = box->textCursor();
  cursor.setPosition(box->document()->findBlockByNumber(3).position() + 1);
  box->setTextCursor(cursor);
  Commit(box, QStringLiteral("字"));
  EXPECT_COUNTED("hanzi after an invalid byte");

  // Removing the marks of a lone LF and a lone CR, and typing "␍" back.
  cursor.setPosition(box->document()->findBlockByNumber(1).position() + 3);
  box->setTextCursor(cursor);
  QTest::keyClick(box, Qt::Key_Delete);
  EXPECT_COUNTED("the lone LF deleted");
  cursor.setPosition(box->document()->findBlockByNumber(2).position() + 3);
  box->setTextCursor(cursor);
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_COUNTED("the lone CR deleted");
  Commit(box, QStringLiteral("\u240D"));
  EXPECT_COUNTED("a typed CR mark");

  // Breaks: Enter splits a paragraph, Shift+Enter adds a line break inside it.
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_COUNTED("Enter");
  QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_COUNTED("Shift+Enter");
  QTest::keyClick(box, Qt::Key_Return);
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_COUNTED("two empty paragraphs");

  // Joining: Backspace at a paragraph's start, Delete at one's end, over the empty one.
  for (int i = 0; i < 3; ++i) {
    box->moveCursor(QTextCursor::StartOfBlock);
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_COUNTED("Backspace at a paragraph's start");
  }
  const QTextBlock empty = box->document()->findBlockByNumber(box->document()->blockCount() - 2);
  QCOMPARE(empty.length(), 1);
  cursor.setPosition(empty.previous().position() + empty.previous().length() - 1);
  box->setTextCursor(cursor);
  QTest::keyClick(box, Qt::Key_Delete);
  EXPECT_COUNTED("Delete at a paragraph's end");
  QTest::keyClick(box, Qt::Key_Delete);
  EXPECT_COUNTED("Delete joining the last paragraph");
  box->moveCursor(QTextCursor::Start);
  QTest::keyClick(box, Qt::Key_Backspace);  // nothing before the start
  EXPECT_COUNTED("Backspace at the start");
  box->moveCursor(QTextCursor::End);
  QTest::keyClick(box, Qt::Key_Delete);  // nothing after the end
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_COUNTED("Enter at the end");
}

void TextBoxTest::countFollowsSelectionsPasteAndUndo() {
  QPlainTextEdit* box = countedBox(kParagraphs);
  QTextDocument* doc = box->document();
  const int inFirst = 2;
  const int inFourth = doc->findBlockByNumber(3).position() + 2;

  // Typing over a selection from one paragraph into another, both directions.
  Select(box, inFirst, inFourth);
  QTest::keyClick(box, Qt::Key_Y);
  EXPECT_COUNTED("typing over three paragraphs");
  QCOMPARE(doc->blockCount(), 3);
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_COUNTED("undo of the typing over");
  QCOMPARE(doc->blockCount(), 6);
  Select(box, doc->findBlockByNumber(5).position() + 3, doc->findBlockByNumber(1).position());
  Commit(box, QStringLiteral("替"));
  EXPECT_COUNTED("hanzi over a backward selection");
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_COUNTED("undo of the hanzi");

  // Deleting a selection that ends just past a paragraph break, and one of everything.
  Select(box, doc->findBlockByNumber(1).position() + 2, doc->findBlockByNumber(2).position());
  QTest::keyClick(box, Qt::Key_Delete);
  EXPECT_COUNTED("a selection up to a paragraph's start deleted");
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_COUNTED("everything deleted");
  QCOMPARE(toolkit_->TextLength("box"), 0);
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_COUNTED("undo of deleting everything");
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_COUNTED("redo of deleting everything");
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_COUNTED("undo of both deletions");

  // Pasting several paragraphs over a selection: CR LF, LF and CR all break paragraphs
  // in a paste, while the line separator and the CR mark stay inside one; a private-use
  // escape is its byte again; characters GBK lacks are "?", a lone surrogate too.
  Select(box, inFirst, inFourth);
  Paste(box, QStringLiteral("p1\r\np2\np3\rp4\u2028p5\u240Dp6\uF781\uF7FF\u20AC") +
                 QStringLiteral("\U0001F600") + QChar(0xD800) + QStringLiteral("\r\n\r\n"));
  EXPECT_COUNTED("a multi-paragraph paste over a selection");
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_COUNTED("undo of the paste");
  QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_COUNTED("redo of the paste");
  box->moveCursor(QTextCursor::End);
  Paste(box, QStringLiteral("\n"));
  EXPECT_COUNTED("a pasted paragraph break at the end");

  // A zero character ends the bytes there; the count follows them, and so it does once
  // the paragraph holding it is gone.
  box->moveCursor(QTextCursor::Start);
  Paste(box, QStringLiteral("ab") + QChar(0) + QStringLiteral("cd\n"));
  EXPECT_COUNTED("a pasted zero character");
  QVERIFY(toolkit_->TextLength("box") <= 2);
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_COUNTED("undo of the zero character");
  QVERIFY(toolkit_->TextLength("box") > 2);
}

void TextBoxTest::countFollowsRandomEdits() {
  // Many paragraphs of different lengths, edited at random places in every way a user
  // can; after each edit the count must be that of the whole document encoded afresh.
  std::mt19937 random(20240607);
  const char* const pieces[] = {
      "a", "bc", "\xB5\xDA", "\xCE\xC4\xB1\xBE", "\n", "\r", "\x80", "\xFF", "\x81", " ", "\t"};
  auto piece = [&] { return pieces[random() % std::size(pieces)]; };
  std::string text;
  for (int paragraph = 0; paragraph < 300; ++paragraph) {
    for (unsigned n = random() % 12; n > 0; --n) text += piece();
    text += "\r\n";
  }
  QPlainTextEdit* box = countedBox(text.c_str());
  const QString typed[] = {QStringLiteral("x"), QStringLiteral("章"), QStringLiteral("\u2028"),
                           QStringLiteral("\u240D"), QStringLiteral("\uF781")};
  const QString pasted[] = {QStringLiteral("one\r\ntwo"), QStringLiteral("\n\n"),
                            QStringLiteral("第\r章\n"), QStringLiteral("z")};
  for (int step = 0; step < 400; ++step) {
    const int size = box->document()->characterCount() - 1;
    const auto at = [&] { return static_cast<int>(random() % static_cast<unsigned>(size + 1)); };
    const int anchor = at();
    // Mostly short selections, some over many paragraphs.
    const int reach = (random() % 4 == 0) ? 2000 : 20;
    const int position =
        std::clamp(anchor + static_cast<int>(random() % (2 * reach)) - reach, 0, size);
    const QString what = QStringLiteral("step %1").arg(step);
    switch (random() % 8) {
      case 0:
        Select(box, anchor, anchor);
        Commit(box, typed[random() % std::size(typed)]);
        break;
      case 1:
        Select(box, anchor, position);
        QTest::keyClick(box, random() % 2 ? Qt::Key_Backspace : Qt::Key_Delete);
        break;
      case 2:
        Select(box, anchor, position);
        Paste(box, pasted[random() % std::size(pasted)]);
        break;
      case 3:
        Select(box, anchor, anchor);
        QTest::keyClick(box, Qt::Key_Return, random() % 2 ? Qt::ShiftModifier : Qt::NoModifier);
        break;
      case 4: {
        // Backspace at a paragraph's start joins it to the one before.
        const QTextBlock block = box->document()->findBlock(anchor);
        Select(box, block.position(), block.position());
        QTest::keyClick(box, Qt::Key_Backspace);
        break;
      }
      case 5:
        Select(box, anchor, position);
        QTest::keyClick(box, Qt::Key_Q);
        break;
      case 6:
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        break;
      default:
        QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
        break;
    }
    const QString mismatch = countMismatch();
    QVERIFY2(mismatch.isEmpty(), qPrintable(what + QStringLiteral(": ") + mismatch));
  }
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
  for (const char* control : {"box", "line"}) {
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

void TextBoxTest::lineBreaksShowAsBreaks() {
  toolkit_->SetText("box", ByteText("a\r\nb\nc\rd"));
  auto* box = static_cast<QPlainTextEdit*>(toolkit_->Widget("box"));
  QApplication::processEvents();
  QCOMPARE(box->document()->blockCount(), 2);  // CR LF: a paragraph break
  const QTextBlock second = box->document()->lastBlock();
  QVERIFY(second.layout() != nullptr);
  QCOMPARE(second.layout()->lineCount(), 2);       // lone LF: a line break inside it
  QVERIFY(second.text().contains(QChar(0x240D)));  // lone CR: a visible mark
}

void TextBoxTest::handlerWritesFireOnceNested() {
  ByteText seenInside;
  toolkit_->Bind("box", Event::kContentChanged, [this, &seenInside] {
    ++fired_[{"box", Event::kContentChanged}];
    seenInside = toolkit_->Text("box");
  });
  toolkit_->SetText("box", ByteText("same"));
  QCOMPARE(seenInside, ByteText("same"));
  toolkit_->SetText("box", ByteText("same"));
  QCOMPARE(fired("box", Event::kContentChanged), 2);
  toolkit_->SetText("line", ByteText("x"));
  toolkit_->SetText("line", ByteText("x"));
  QCOMPARE(fired("line", Event::kContentChanged), 2);
  // Captions are no edit boxes: nothing fires.
  toolkit_->SetText("button", ByteText("y"));
  QCOMPARE(fired("button", Event::kClicked), 0);
}

void TextBoxTest::typingFiresOncePerChange() {
  for (const char* control : {"box", "line"}) {
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
  QCOMPARE(toolkit_->Text("box"), ByteText("ab\r\n"));
}

void TextBoxTest::clicksFireTheirRoutine() {
  QTest::mouseClick(toolkit_->Widget("button"), Qt::LeftButton);
  QCOMPARE(fired("button", Event::kClicked), 1);
  // A radio button checks itself on every click and never unchecks.
  QWidget* radio = toolkit_->Widget("radio");
  QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
  QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
  QCOMPARE(fired("radio", Event::kClicked), 2);
  QVERIFY(toolkit_->Checked("radio"));
  toolkit_->SetChecked("radio", false);
  QVERIFY(!toolkit_->Checked("radio"));
  // Choosing an item fires; setting the index from code does not.
  QWidget* list = toolkit_->Widget("list");
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  QCOMPARE(fired("list", Event::kItemSelected), 1);
  QCOMPARE(toolkit_->SelectedIndex("list"), 1);
  toolkit_->SetText("list", ByteText("5"));
  QCOMPARE(toolkit_->SelectedIndex("list"), 3);
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
  const int pressed = toolkit_->ShowMessageBox(morvane::GbkFromUtf8("切割完成！\r\n第二行"));
  QCOMPARE(pressed, 0);
  QCOMPARE(title, QStringLiteral("信息："));
  QCOMPARE(text, QStringLiteral("切割完成！\n第二行"));
  QCOMPARE(icon, int(QMessageBox::NoIcon));
  QCOMPARE(buttons, int(QMessageBox::Ok));
  QVERIFY(modal);
}

void TextBoxTest::fileDialogRemembersTheChosenPath() {
  QTemporaryDir folder;
  const QString chosen = folder.filePath(QStringLiteral("第一卷.txt"));
  std::ofstream(chosen.toStdString()) << "text";

  QStringList filters;
  morvane::testing::WhenModalOpens([&](QWidget* widget) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    QVERIFY(dialog != nullptr);
    filters = dialog->nameFilters();
    QVERIFY(morvane::testing::AnswerFileDialog(dialog, chosen));
  });
  QVERIFY(toolkit_->ShowFileDialog("dialog"));
  QCOMPARE(filters, QStringList{QStringLiteral("txt文本 (*.txt)")});
  const morvane::Path path(chosen.toStdString());
  QCOMPARE(toolkit_->DialogFileName("dialog"), path);

  // The second dialog starts on the path chosen before; cancelling keeps it.
  QString preFilled;
  morvane::testing::WhenModalOpens([&](QWidget* widget) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    preFilled = dialog->selectedFiles().value(0);
    dialog->reject();
  });
  QVERIFY(!toolkit_->ShowFileDialog("dialog"));
  QCOMPARE(preFilled, chosen);
  QCOMPARE(toolkit_->DialogFileName("dialog"), path);
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
  QVERIFY(toolkit_->LoadWindow("second", "window", true));
  QVERIFY(blocked);
  QCOMPARE(second->size(), QSize(200 - 8, 100 - 22));
  QCOMPARE(fired("second", Event::kCreated), 1);
  // Its controls are gone with it; opening it again builds it afresh.
  QApplication::processEvents();
  QCOMPARE(toolkit_->Widget("label"), nullptr);
  morvane::testing::WhenModalOpens([](QWidget* widget) { widget->close(); });
  QVERIFY(toolkit_->LoadWindow("second", "window", true));
  QCOMPARE(fired("second", Event::kCreated), 2);
}

void TextBoxTest::listItemsAndControlStyle() {
  QCOMPARE(toolkit_->ComboItemText("list", 0), ByteText("2"));
  QCOMPARE(toolkit_->ComboItemText("list", 3), ByteText("5"));
  QCOMPARE(toolkit_->ComboItemText("list", 4), ByteText());
  QCOMPARE(toolkit_->ComboItemText("list", -1), ByteText());

  QVERIFY(toolkit_->SetControlStyle(1));
  QVERIFY(qApp->styleSheet().contains(QStringLiteral("rgb(123, 158, 189)")));
  QVERIFY(toolkit_->SetControlStyle(0));
  QVERIFY(qApp->styleSheet().isEmpty());
}

QTEST_MAIN(TextBoxTest)
#include "text_box_test.moc"
