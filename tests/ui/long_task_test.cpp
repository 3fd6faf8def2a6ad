// SPDX-License-Identifier: MIT
// Long work off the window's thread: quick jobs show nothing, long ones show their
// progress, every way of cancelling stops the job at its next step, and the program's
// windows take no input while a job runs.

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "ui/long_task.h"

using morvane::Progress;
using morvane::ui::RunLongTask;
using morvane::ui::RunningTaskWindow;
using namespace std::chrono_literals;

class LongTaskTest : public QObject {
  Q_OBJECT

 private slots:
  void aQuickJobShowsNothingAndPassesOnItsFailure();
  void everyWayOfCancellingStopsALongJob_data();
  void everyWayOfCancellingStopsALongJob();
};

void LongTaskTest::aQuickJobShowsNothingAndPassesOnItsFailure() {
  bool shown = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] { shown |= RunningTaskWindow() != nullptr; });
  watch.start(1);
  int ran = 0;
  RunLongTask({3, 300}, [&](Progress& progress) {
    for (int i = 1; i <= 3; ++i) progress.Advance(i, i * 100);
    ++ran;
  });
  QCOMPARE(ran, 1);
  QVERIFY(!shown);
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, RunLongTask({}, [](Progress&) {
                             throw std::runtime_error("disk gone");
                           }));
}

void LongTaskTest::everyWayOfCancellingStopsALongJob_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("取消") << "button";
  QTest::newRow("Esc") << "escape";
  QTest::newRow("close box") << "close";
}

void LongTaskTest::everyWayOfCancellingStopsALongJob() {
  QFETCH(QString, how);
  const auto previous = morvane::ui::SetProgressDelay(0ms);
  QWidget other;
  auto* button = new QPushButton(QStringLiteral("other"), &other);
  int otherClicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&] { ++otherClicks; });
  other.show();
  QVERIFY(QTest::qWaitForWindowExposed(&other));

  QString countText;
  QTimer user;
  user.setInterval(20);
  QObject::connect(&user, &QTimer::timeout, [&] {
    QWidget* window = RunningTaskWindow();
    if (window == nullptr || !window->isVisible()) return;
    user.stop();
    // The other window is deaf while the job runs: a click and Esc do nothing.
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(&other, Qt::Key_Escape);
    countText = window->findChild<QLabel*>()->text();
    if (how == QLatin1String("button")) {
      QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cancelButton")),
                        Qt::LeftButton);
    } else if (how == QLatin1String("escape")) {
      QTest::keyClick(window, Qt::Key_Escape);
    } else {
      window->close();
    }
  });
  user.start();

  std::int64_t steps = 0;
  const auto started = std::chrono::steady_clock::now();
  RunLongTask({1000, 1000 * 1024}, [&](Progress& progress) {
    while (progress.Advance(steps + 1, (steps + 1) * 1024) &&
           std::chrono::steady_clock::now() - started < 20s) {
      ++steps;
      std::this_thread::sleep_for(2ms);
    }
  });
  morvane::ui::SetProgressDelay(previous);
  QVERIFY(std::chrono::steady_clock::now() - started < 20s);
  QVERIFY(steps < 1000);
  QVERIFY2(countText.contains(QStringLiteral("个文件")), qPrintable(countText));
  QCOMPARE(otherClicks, 0);
  QVERIFY(other.isVisible());
  QVERIFY(RunningTaskWindow() == nullptr);
  // Input reaches the other window again.
  QTest::mouseClick(button, Qt::LeftButton);
  QCOMPARE(otherClicks, 1);
}

QTEST_MAIN(LongTaskTest)
#include "long_task_test.moc"
