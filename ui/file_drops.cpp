// SPDX-License-Identifier: MIT
#include "ui/file_drops.h"

#include <sys/stat.h>

#include <algorithm>

#include <QCollator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace morvane::ui {
namespace {

// The local paths a drag carries when they suit kind; empty otherwise.
std::vector<Path> SuitablePaths(const QMimeData* data, DropKind kind) {
  if (data == nullptr || !data->hasUrls()) return {};
  std::vector<Path> paths;
  for (const QUrl& url : data->urls()) {
    const std::optional<Path> path = LocalPathOf(url);
    struct stat status {};
    if (!path || ::stat(path->c_str(), &status) != 0) return {};
    const bool fits = kind == DropKind::kFolder ? S_ISDIR(status.st_mode) : S_ISREG(status.st_mode);
    if (!fits) return {};
    paths.push_back(*path);
  }
  if (kind == DropKind::kFolder && paths.size() != 1) return {};
  return paths;
}

class DropFilter final : public QObject {
 public:
  DropFilter(QWidget* area, DropKind kind, std::function<void(std::vector<Path>)> onDrop)
      : QObject(area), kind_(kind), onDrop_(std::move(onDrop)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (SuitablePaths(drag->mimeData(), kind_).empty()) return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        std::vector<Path> paths = SuitablePaths(drop->mimeData(), kind_);
        if (paths.empty()) return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // The routine may open message boxes: not inside the drop, where the file
        // manager still waits for its answer.
        QTimer::singleShot(0, this, [this, paths = std::move(paths)] { onDrop_(paths); });
        return true;
      }
      default:
        return false;
    }
  }

 private:
  DropKind kind_;
  std::function<void(std::vector<Path>)> onDrop_;
};

}  // namespace

std::optional<Path> LocalPathOf(const QUrl& url) {
  if (!url.isLocalFile()) return std::nullopt;
  const QString host = url.host();
  if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0) {
    return std::nullopt;
  }
  const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
  if (bytes.isEmpty()) return std::nullopt;
  return Path(bytes.toStdString());
}

void AcceptFileDrops(QWidget* area, DropKind kind, std::function<void(std::vector<Path>)> onDrop) {
  auto* filter = new DropFilter(area, kind, std::move(onDrop));
  area->setAcceptDrops(true);
  area->installEventFilter(filter);
  // Widgets that take drops of their own (edit boxes) would see the files first.
  for (QWidget* child : area->findChildren<QWidget*>()) child->installEventFilter(filter);
}

void SortNaturally(std::vector<Path>& paths) {
  QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
  collator.setNumericMode(true);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  const auto nameOf = [](const Path& path) {
    const std::string shown = DisplayName(path);
    return QString::fromStdString(shown.substr(shown.rfind(kPathSeparator) + 1));
  };
  std::stable_sort(paths.begin(), paths.end(), [&](const Path& a, const Path& b) {
    return collator.compare(nameOf(a), nameOf(b)) < 0;
  });
}

}  // namespace morvane::ui
