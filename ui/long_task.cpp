// SPDX-License-Identifier: MIT
#include "ui/long_task.h"

#include <atomic>
#include <exception>
#include <memory>
#include <thread>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace morvane::ui {
namespace {

std::chrono::milliseconds progressDelay = kProgressDelay;
QPointer<QWidget> runningWindow;

QString Megabytes(std::int64_t bytes) {
  return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1);
}

// The bar with its count and the 取消 button. Esc and the close box cancel too; the
// window goes away only when the job has ended.
class ProgressWindow final : public QDialog {
 public:
  ProgressWindow(const WorkSize& size, SharedProgress& progress, const QString& title)
      : size_(size), progress_(progress) {
    setObjectName(QStringLiteral("progressWindow"));
    setWindowTitle(title.isEmpty() ? QStringLiteral("请稍候") : title);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    count_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(true);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setAutoDefault(false);
    layout->addWidget(count_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, &ProgressWindow::reject);
    setFixedWidth(360);
    Refresh();
  }

  void Refresh() {
    const std::int64_t files = progress_.files();
    const std::int64_t bytes = progress_.bytes();
    if (size_.files > 0) {
      count_->setText(QStringLiteral("已写入 %1 / %2 个文件（%3 / %4 MB）")
                          .arg(files)
                          .arg(size_.files)
                          .arg(Megabytes(bytes), Megabytes(size_.bytes)));
    } else if (size_.bytes > 0) {
      count_->setText(
          QStringLiteral("已处理 %1 / %2 MB").arg(Megabytes(bytes), Megabytes(size_.bytes)));
    } else {
      count_->setText(QStringLiteral("正在处理……"));
    }
    // The bar counts per mille of the bytes (or of the files when there are no bytes);
    // without either it only moves to show that the work goes on.
    if (size_.bytes > 0) {
      bar_->setRange(0, 1000);
      bar_->setValue(
          static_cast<int>(1000.0 * static_cast<double>(bytes) / static_cast<double>(size_.bytes)));
    } else if (size_.files > 0) {
      bar_->setRange(0, 1000);
      bar_->setValue(
          static_cast<int>(1000.0 * static_cast<double>(files) / static_cast<double>(size_.files)));
    } else {
      bar_->setRange(0, 0);
    }
  }

  void reject() override {
    progress_.RequestStop();
    cancel_->setEnabled(false);
    cancel_->setText(QStringLiteral("正在取消……"));
  }

 private:
  WorkSize size_;
  SharedProgress& progress_;
  QLabel* count_;
  QProgressBar* bar_;
  QPushButton* cancel_;
};

// Holds back the user's input to every window but the progress window while the job
// runs, as a modal window would; the progress window, once shown, is modal itself.
class InputHold final : public QObject {
 public:
  explicit InputHold(const QPointer<QWidget>& allowed) : allowed_(allowed) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
      case QEvent::TouchBegin:
      case QEvent::Close:
        break;
      default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && allowed_ && (widget == allowed_ || allowed_->isAncestorOf(widget))) {
      return false;
    }
    if (widget == nullptr) {
      // Events for windows (QWindow) reach their widgets afterwards; those decide.
      return false;
    }
    // An overridden shortcut does not fire; the key press that follows is held back.
    event->accept();
    return true;
  }

 private:
  const QPointer<QWidget>& allowed_;
};

}  // namespace

std::chrono::milliseconds SetProgressDelay(std::chrono::milliseconds delay) {
  const auto previous = progressDelay;
  progressDelay = delay;
  return previous;
}

QWidget* RunningTaskWindow() {
  return runningWindow.data();
}

void RunLongTask(const WorkSize& size, const Job& job, const QString& title) {
  SharedProgress progress;
  QEventLoop loop;
  std::atomic<bool> ended{false};
  std::exception_ptr failure;

  QPointer<QWidget> window;
  InputHold hold(window);
  qApp->installEventFilter(&hold);

  std::thread worker([&] {
    try {
      job(progress);
    } catch (...) {
      failure = std::current_exception();
    }
    ended.store(true);
    QMetaObject::invokeMethod(
        &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });

  std::unique_ptr<ProgressWindow> shown;
  QTimer appear;
  appear.setSingleShot(true);
  QObject::connect(&appear, &QTimer::timeout, [&] {
    if (ended.load()) return;
    shown = std::make_unique<ProgressWindow>(size, progress, title);
    window = shown.get();
    runningWindow = shown.get();
    shown->show();
  });
  QTimer refresh;
  refresh.setInterval(50);
  QObject::connect(&refresh, &QTimer::timeout, [&] {
    if (shown) shown->Refresh();
  });
  appear.start(progressDelay);
  refresh.start();

  // Only the job's end leaves this loop: quitting the program meanwhile waits for it.
  while (!ended.load()) loop.exec();
  worker.join();
  appear.stop();
  refresh.stop();
  qApp->removeEventFilter(&hold);
  shown.reset();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace morvane::ui
