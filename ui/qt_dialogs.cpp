// SPDX-License-Identifier: MIT
// The Qt toolkit's message boxes and file dialogs, and the stop box of the fatal path.
#include "ui/qt_toolkit.h"

#include <algorithm>
#include <utility>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSpacerItem>
#include <QStandardPaths>
#include <QUrl>

#include "ui/file_dialog.h"
#include "ui/message_boxes.h"
#include "ui/qt_toolkit_parts.h"

namespace morvane::ui {

using namespace qt_parts;

namespace {

// A box of the program: no owner, modal for the program, no icon unless asked, a 确定
// button without the theme's tick, and wide enough for the caption in its title bar
// (Qt sizes a box by its text alone, and a window manager then elides the title).
void Prepare(QMessageBox& box) {
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) {
    ok->setIcon(QIcon());
    ok->setText(QStringLiteral("确定"));
  }
  // The title bar's own font is the window manager's; the application font with room
  // for the window's buttons is a safe measure of it.
  const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
  const int width = std::max(200, title.horizontalAdvance(box.windowTitle()) * 3 / 2 + 140);
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

// xdg-open hands the folder to the desktop's file manager and says by its exit status
// whether there was one (Qt's own call only says whether xdg-open started). It returns at
// once where it hands over; where it runs the file manager itself, a file manager that is
// still running after a moment was found.
bool OpenWithXdgOpen(const QString& opener, const QString& folder) {
  auto* process = new QProcess(qApp);
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  process->start(opener, {folder});
  if (!process->waitForStarted()) {
    delete process;
    return false;
  }
  if (!process->waitForFinished(3000)) {
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
  }
  const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
  delete process;
  return opened;
}

bool ShowInFileManager(const QString& folder) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (!opener.isEmpty()) return OpenWithXdgOpen(opener, folder);
#endif
  return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace

int QtToolkit::ShowMessageBox(const std::string& content, int flags, const std::string& caption) {
  // A question has 是 and 否 instead of 确定, 否 the default (Esc and the close box too).
  const bool question = (flags & kYesNo) != 0;
  QMessageBox box(QMessageBox::NoIcon, MessageText(CaptionOrDefault(caption)), MessageText(content),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
  Prepare(box);
  if (question) {
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
  }
  const int pressed = box.exec();
  if (!question) return 0;
  return pressed == QMessageBox::Yes ? kAnswerYes : kAnswerNo;
}

void QtToolkit::ShowCompletion(const std::string& content, const std::string& caption,
                               const Path& folder) {
  QMessageBox box(QMessageBox::NoIcon, MessageText(CaptionOrDefault(caption)), MessageText(content),
                  QMessageBox::Ok);
  QPushButton* open = box.addButton(QStringLiteral("打开文件夹"), QMessageBox::ActionRole);
  Prepare(box);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  if (box.clickedButton() != open) return;
  if (ShowInFileManager(NativeQPath(folder))) return;
  // No file manager to hand the folder to: the path, to be copied, is the next best thing.
  QMessageBox missing(QMessageBox::NoIcon, MessageText(kDefaultCaption),
                      QStringLiteral("没有找到文件管理器。输出文件夹是：\n%1")
                          .arg(QString::fromStdString(DisplayName(folder))),
                      QMessageBox::Ok);
  missing.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Prepare(missing);
  missing.exec();
}

void ShowStopBox(const ByteText& text, const ByteText& caption) {
  QMessageBox box(QMessageBox::Critical, CaptionText(caption), CaptionText(text), QMessageBox::Ok);
  Prepare(box);
  box.exec();
}

void QtToolkit::ChooseWithoutDialog(FileDialog component, const Path& path) {
  auto found = dialogs_.find(component.name());
  if (found == dialogs_.end()) UnknownControl(component);
  found->second.preset = path;
}

bool QtToolkit::ShowFileDialog(FileDialog component) {
  auto found = dialogs_.find(component.name());
  if (found == dialogs_.end()) UnknownControl(component);
  FileDialogSettings& settings = found->second;
  if (!settings.preset.empty()) {
    settings.fileName = std::exchange(settings.preset, Path());
    return true;
  }

  // Our own dialog: Qt's leaves out names that are not valid UTF-8.
  OpenFileDialog dialog(settings.filters);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (settings.save) dialog.SetSaving();
  if (!settings.fileName.empty()) {
    dialog.SetFolder(FolderPart(settings.fileName));
    const PathChars& last = settings.fileName.native();
    dialog.SelectName(Path(last.substr(last.rfind(kPathSeparator) + 1)));
  } else if (!settings.initialFolder.isEmpty() && QDir(settings.initialFolder).exists()) {
    dialog.SetFolder(Path(settings.initialFolder.toStdString()));
  } else {
    dialog.SetFolder(Path(QDir::currentPath().toStdString()));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.chosen().empty()) return false;
  settings.fileName = dialog.chosen();
  return true;
}

Path QtToolkit::DialogFileName(FileDialog component) const {
  auto found = dialogs_.find(component.name());
  if (found == dialogs_.end()) UnknownControl(component);
  return found->second.fileName;
}

}  // namespace morvane::ui
