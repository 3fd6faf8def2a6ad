#pragma once
// Answers the next modal window (message box, file dialog, save-location window) from
// the event loop that runs it, the way a user would.

#include <functional>

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace morvane::testing {

// Runs answer on the next visible modal window other than the one answered last.
inline void WhenModalOpens(std::function<void(QWidget*)> answer) {
  static QPointer<QWidget> answeredLast;
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() || modal == answeredLast) return;
    timer->stop();
    timer->deleteLater();
    answeredLast = modal;
    answer(modal);
  });
  timer->start();
}

}  // namespace morvane::testing
