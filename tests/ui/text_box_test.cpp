// The window layer on real widgets: lossless edit boxes, the dispatch rule, the message
// box, the file dialog component, modal windows and the control style.

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include <fstream>
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
  void clicksFireTheirRoutine();
  void messageBoxHasNoIconAndTheDefaultCaption();
  void fileDialogRemembersTheChosenPath();
  void modalWindowRunsItsOwnLoop();
  void listItemsAndControlStyle();

 private:
  int fired(const char* control, Event event) const;

  std::unique_ptr<QtToolkit> toolkit_;
  QWidget* window_ = nullptr;
  std::map<std::pair<std::string, Event>, int> fired_;
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
  const ByteText path = morvane::PathFromNative(chosen.toStdString());
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
