// SPDX-License-Identifier: MIT
// The cleaning window driven as a user drives it on the simple-cut page: 清理…, a kind
// unticked, 确定; the box holds the cleaned text, and undo brings the text back. Saves a PNG
// of the window.

#include <QComboBox>
#include <QDir>
#include <QStandardPaths>
#include <QTableView>
#include <QtTest>

#include "app/desktop.h"
#include "app/main_window.h"
#include "core/encoding.h"
#include "core/gbk.h"
#include "presenters/control_names.h"
#include "tests/support/desktop_session.h"
#include "tests/ui/modal.h"
#include "ui/byte_text_edit.h"
#include "ui/qt_toolkit.h"
#include "ui/widgets.h"

namespace n = morvane::names;
namespace app = morvane::app;
using morvane::testing::WhenModalOpens;

class CleanWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void cleanedTextGoesIntoTheBoxAndUndoTakesItBack_data();
  void cleanedTextGoesIntoTheBoxAndUndoTakesItBack();

 private:
  QWidget* W(std::string_view name) const { return toolkit_->Widget(name); }

  std::unique_ptr<morvane::AppState> state_;
  std::unique_ptr<morvane::ui::QtToolkit> toolkit_;
};

void CleanWindowTest::cleanedTextGoesIntoTheBoxAndUndoTakesItBack_data() {
  // The item of 保存编码, and the encoding the box then holds.
  QTest::addColumn<int>("item");
  QTest::addColumn<int>("encoding");
  QTest::newRow("原编码") << 0 << static_cast<int>(morvane::Encoding::kGbk);
  QTest::newRow("UTF-8") << 3 << static_cast<int>(morvane::Encoding::kUtf8);
}

void CleanWindowTest::cleanedTextGoesIntoTheBoxAndUndoTakesItBack() {
  QFETCH(int, item);
  QFETCH(int, encoding);
  const auto saved = static_cast<morvane::Encoding>(encoding);
  QVERIFY(morvane::testing::StartDesktop(state_, toolkit_) != nullptr);
  const auto stop = qScopeGuard([this] { morvane::testing::StopDesktop(state_, toolkit_); });
  const morvane::ByteText text = morvane::GbkFromUtf8(
      "第一章 风起\r\n第一章 风起\r\n\r\n\r\n\r\n请记住本站域名：www.a.com\r\n他走了。\r\n");
  toolkit_->SetText(n::kSimpleText, text);
  bool answered = false;
  WhenModalOpens([&](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    QCOMPARE(window, W(n::kCleanWindow));
    auto* kinds = qobject_cast<QTableView*>(W(n::kCleanKindList));
    auto* lines = qobject_cast<QTableView*>(W(n::kCleanLineList));
    QVERIFY(kinds != nullptr && lines != nullptr);
    QCOMPARE(kinds->model()->index(0, 0).data().toString(), QStringLiteral("广告行"));
    QCOMPARE(kinds->model()->index(2, 1).data().toString(), QStringLiteral("2"));
    // Untick the indentation: none of its lines is changed.
    kinds->setFocus();
    kinds->setCurrentIndex(kinds->model()->index(4, 0));
    QTest::keyClick(kinds, Qt::Key_Space);
    QCOMPARE(lines->model()->index(0, 1).data().toString(), QStringLiteral("缩进"));
    QCOMPARE(lines->model()->index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    QDir().mkpath(QStringLiteral(MORVANE_SCREENSHOT_DIR));
    QVERIFY(window->grab().save(QStringLiteral(MORVANE_SCREENSHOT_DIR "/clean.png")));
    auto* encodings = qobject_cast<QComboBox*>(W(n::kCleanEncodingList));
    QVERIFY(encodings != nullptr);
    encodings->setCurrentIndex(item);
    QTest::mouseClick(W(n::kCleanOkButton), Qt::LeftButton);
    answered = true;
  });
  QTest::mouseClick(W(n::kSimpleCleanButton), Qt::LeftButton);
  QVERIFY(answered);
  const std::u16string cleaned = u"第一章 风起\r\n\r\n他走了。\r\n";
  QCOMPARE(std::string(toolkit_->Text(n::kSimpleText).view()),
           morvane::Encode(saved, cleaned).bytes);
  QCOMPARE(state_->cut.simpleEncoding.encoding, saved);
  // Ctrl+Z takes the cleaning back, the encoding with it: the page follows.
  auto* box = dynamic_cast<morvane::ui::ByteTextEdit*>(W(n::kSimpleText));
  QVERIFY(box != nullptr);
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(toolkit_->Text(n::kSimpleText), text);
  QCOMPARE(state_->cut.simpleEncoding.encoding, morvane::Encoding::kGbk);
  if (saved != morvane::Encoding::kGbk) {
    QCOMPARE(qobject_cast<QComboBox*>(W(n::kSimpleEncodingList))->currentText(),
             QStringLiteral("GBK"));
  }
}

QTEST_MAIN(CleanWindowTest)
#include "clean_window_test.moc"
