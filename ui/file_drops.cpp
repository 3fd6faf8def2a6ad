#include "ui/file_drops.h"

#include <algorithm>

#include <QCollator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace morvane::ui {
namespace {

// The local paths a drag carries when they suit kind; empty otherwise.
QStringList SuitablePaths(const QMimeData* data, DropKind kind) {
  if (data == nullptr || !data->hasUrls()) return {};
  QStringList paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    const QFileInfo info(url.toLocalFile());
    const bool fits = kind == DropKind::kFolder ? info.isDir() : info.isFile();
    if (!fits) return {};
    paths << info.absoluteFilePath();
  }
  if (kind == DropKind::kFolder && paths.size() != 1) return {};
  return paths;
}

class DropFilter final : public QObject {
 public:
  DropFilter(QWidget* area, DropKind kind, std::function<void(const QStringList&)> onDrop)
      : QObject(area), kind_(kind), onDrop_(std::move(onDrop)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (SuitablePaths(drag->mimeData(), kind_).isEmpty()) return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = SuitablePaths(drop->mimeData(), kind_);
        if (paths.isEmpty()) return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // The routine may open message boxes: not inside the drop, where the file
        // manager still waits for its answer.
        QTimer::singleShot(0, this, [this, paths] { onDrop_(paths); });
        return true;
      }
      default:
        return false;
    }
  }

 private:
  DropKind kind_;
  std::function<void(const QStringList&)> onDrop_;
};

}  // namespace

void AcceptFileDrops(QWidget* area, DropKind kind, std::function<void(const QStringList&)> onDrop) {
  auto* filter = new DropFilter(area, kind, std::move(onDrop));
  area->setAcceptDrops(true);
  area->installEventFilter(filter);
  // Widgets that take drops of their own (edit boxes) would see the files first.
  for (QWidget* child : area->findChildren<QWidget*>()) child->installEventFilter(filter);
}

void SortNaturally(QStringList& paths) {
  QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
  collator.setNumericMode(true);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(paths.begin(), paths.end(), [&](const QString& a, const QString& b) {
    return collator.compare(QFileInfo(a).fileName(), QFileInfo(b).fileName()) < 0;
  });
}

}  // namespace morvane::ui
