// SPDX-License-Identifier: MIT
// The cleaning window driven as a user drives it on the simple-cut page: 清理…, a kind
// unticked, 确定; the box holds the cleaned text, and undo brings the text back. Saves a PNG
// of the window.

#include <QDir>
#include <QStandardPaths>
#include <QTableView>
#include <QtTest>

#include "app/desktop.h"
#include "app/main_window.h"
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
  void cleanedTextGoesIntoTheBoxAndUndoTakesItBack();

 private:
  QWidget* W(std::string_view name) const { return toolkit_->Widget(name); }

  std::unique_ptr<morvane::AppState> state_;
  std::unique_ptr<morvane::ui::QtToolkit> toolkit_;
};

void CleanWindowTest::cleanedTextGoesIntoTheBoxAndUndoTakesItBack() {
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
    QTest::mouseClick(W(n::kCleanOkButton), Qt::LeftButton);
    answered = true;
  });
  QTest::mouseClick(W(n::kSimpleCleanButton), Qt::LeftButton);
  QVERIFY(answered);
  QCOMPARE(toolkit_->Text(n::kSimpleText), morvane::GbkFromUtf8("第一章 风起\r\n\r\n他走了。\r\n"));
  auto* box = dynamic_cast<morvane::ui::ByteTextEdit*>(W(n::kSimpleText));
  QVERIFY(box != nullptr);
  box->Undo();
  QCOMPARE(toolkit_->Text(n::kSimpleText), text);
}

QTEST_MAIN(CleanWindowTest)
#include "clean_window_test.moc"
