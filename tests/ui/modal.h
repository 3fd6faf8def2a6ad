// SPDX-License-Identifier: MIT
#pragma once
// Answers the next modal window (message box, file dialog, save-location window) from
// the event loop that runs it, the way a user would.

#include <functional>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
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

// Types a full path into an open-file dialog and confirms it, as a user would. The full
// path does not depend on the dialog's folder view, which Qt fills in a thread.
inline bool AnswerFileDialog(QWidget* widget, const QString& path) {
  auto* dialog = qobject_cast<QDialog*>(widget);
  if (dialog == nullptr) return false;
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (name == nullptr) return false;
  // A file still selected in the views (the one chosen last time) would win over the name.
  for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>()) {
    if (view->selectionModel() != nullptr) view->selectionModel()->clearSelection();
  }
  name->setText(path);
  dialog->accept();
  return true;
}

// Runs action, reading and confirming (OK, else Yes) every message box shown until it
// returns; the boxes' texts in order.
inline QStringList ConfirmingMessages(const std::function<void()>& action) {
  QStringList texts;
  QTimer answerer;
  answerer.setInterval(10);
  QObject::connect(&answerer, &QTimer::timeout, [&texts] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    texts << box->text();
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    (ok != nullptr ? ok : box->button(QMessageBox::Yes))->click();
  });
  answerer.start();
  action();
  return texts;
}

}  // namespace morvane::testing
