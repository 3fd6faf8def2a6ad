// SPDX-License-Identifier: MIT
// The desktop program in daily use, window by window: drop-down lists that Esc closes
// without closing their window and whose highlighted item can be read, labels that hold
// their largest value, message boxes that show their whole caption and say 确定, Qt's own
// dialogs in Chinese, long operations with a progress window that can be cancelled,
// drag and drop on every page, and the offer to open the output folder.

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/wiring.h"
#include "core/gbk.h"
#include "core/numbers.h"
#include "presenters/control_names.h"
#include "tests/support/desktop_session.h"
#include "tests/ui/modal.h"
#include "ui/long_task.h"
#include "ui/qt_toolkit.h"
#include "ui/widgets.h"

using morvane::ByteText;
using morvane::GbkFromUtf8;
using morvane::testing::WhenModalOpens;
using morvane::testing::WriteFile;
namespace n = morvane::names;
namespace app = morvane::app;

namespace {

QStringList FileNames(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Receives the file URLs the program asks the desktop to open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};

}  // namespace

class DailyUseTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  // Main window.
  void escapeOnAnOpenListClosesOnlyTheList();
  void theHighlightedListItemCanBeRead();
  void everyLabelHoldsItsLargestValue_data();
  void everyLabelHoldsItsLargestValue();
  void aNegativePieceSizeShowsNoCount();
  void messageBoxesShowTheirCaptionAndSayOk_data();
  void messageBoxesShowTheirCaptionAndSayOk();
  void qtDialogsAndMenusSpeakChinese();
  void aLongCutShowsProgressAndCancelLeavesTheFolderAsItWas();
  void aQuickCutShowsNoProgressAndOffersTheFolder();
  void droppedFilesOpenOnEachPage();
  void namesThatAreNotUtf8OpenByTheirBytes();
  void aTypedPrefixNamesFilesAsTheCommandLineDoes();
  void withoutAFileManagerTheFolderIsNamed_data();
  void withoutAFileManagerTheFolderIsNamed();
  void aWindowLargerThanTheScreenKeepsItsTitleBarInSight();
  // Save-location window.
  void saveLocationListClosesAloneAndShowsItsHighlight();

 private:
  QWidget* W(std::string_view name) const { return toolkit_->Widget(name); }
  ByteText Text(morvane::TextControl name) const { return toolkit_->Text(name); }
  void ShowPage(int page) {
    static_cast<morvane::ui::TabControl*>(W(app::kPageTabs))->SetCurrentPage(page);
  }
  void SetSaveFolder() { toolkit_->SetText(n::kSaveLocationBox, Native(output_)); }
  static ByteText Native(const QString& path) {
    return morvane::DisplayNameGbk(morvane::Path(path.toStdString()));
  }
  // Drops local files (or folders) on a widget, as a file manager does.
  static void Drop(QWidget* target, const QStringList& paths);
  static void DropUrls(QWidget* target, const QList<QUrl>& urls);
  // A file: URL of a path's bytes, percent-encoded as a file manager sends it.
  static QUrl UrlOf(const std::string& bytes) {
    return QUrl::fromEncoded("file://" + QByteArray::fromStdString(bytes).toPercentEncoding("/"));
  }
  // Opens a list's popup with a click and checks the highlighted row stands out.
  static void CheckHighlight(QComboBox* list);

  std::unique_ptr<morvane::AppState> state_;
  std::unique_ptr<morvane::ui::QtToolkit> toolkit_;
  QWidget* main_ = nullptr;
  std::unique_ptr<QTemporaryDir> temp_;
  QString output_;
};

void DailyUseTest::init() {
  temp_ = std::make_unique<QTemporaryDir>();
  output_ = temp_->filePath(QStringLiteral("out"));
  QDir().mkpath(output_);
  QDir::setCurrent(temp_->path());
  app::UseChineseEverywhere();
  main_ = morvane::testing::StartDesktop(state_, toolkit_, temp_->path());
  QVERIFY(main_ != nullptr);
}

void DailyUseTest::cleanup() {
  QDir::setCurrent(QDir::tempPath());
  morvane::testing::StopDesktop(state_, toolkit_);
  temp_.reset();
}

void DailyUseTest::Drop(QWidget* target, const QStringList& paths) {
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  DropUrls(target, urls);
}

void DailyUseTest::DropUrls(QWidget* target, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QVERIFY2(enter.isAccepted(), "the drop target refuses the files");
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  QVERIFY(drop.isAccepted());
}

void DailyUseTest::CheckHighlight(QComboBox* list) {
  list->setFocus();
  QTest::mouseClick(list, Qt::LeftButton);
  QAbstractItemView* view = list->view();
  QTRY_VERIFY(view->isVisible());
  QTest::keyClick(view, Qt::Key_Down);
  const QRect item = view->visualRect(view->currentIndex());
  QVERIFY(item.isValid());
  const QImage image = view->viewport()->grab(item).toImage();
  // The row shows at least two colours that differ clearly (text on its highlight), and
  // its background is not the list's white.
  QMap<QRgb, int> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) ++colours[image.pixel(x, y) | 0xFF000000];
  }
  const QRgb background =
      std::max_element(colours.keyValueBegin(), colours.keyValueEnd(), [](auto a, auto b) {
        return a.second < b.second;
      })->first;
  QVERIFY2(background != qRgb(255, 255, 255), "the highlight is white");
  int contrast = 0;
  for (auto [colour, count] : colours.asKeyValueRange()) {
    const int distance = std::abs(qGray(colour) - qGray(background));
    if (distance > 100) contrast += count;
  }
  QVERIFY2(contrast > 10, "the highlighted item's text does not stand out");
}

void DailyUseTest::escapeOnAnOpenListClosesOnlyTheList() {
  ShowPage(2);
  main_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(main_));
  auto* list = static_cast<QComboBox*>(W(n::kMergeCountList));
  QTest::mouseClick(list, Qt::LeftButton);
  QTRY_VERIFY(list->view()->isVisible());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QTRY_VERIFY(!list->view()->isVisible());
  QTest::qWait(50);
  QVERIFY(main_->isVisible());
  // With the list closed, Esc closes the window as before.
  // The offscreen platform has no window manager to hand activation back from the popup.
  QApplication::setActiveWindow(main_);
  QTest::keyClick(list, Qt::Key_Escape);
  QVERIFY(!main_->isVisible());
}

void DailyUseTest::theHighlightedListItemCanBeRead() {
  ShowPage(2);
  CheckHighlight(static_cast<QComboBox*>(W(n::kMergeCountList)));
}

void DailyUseTest::everyLabelHoldsItsLargestValue_data() {
  QTest::addColumn<QString>("label");
  QTest::addColumn<QByteArray>("largest");  // GBK
  const auto row = [](std::string_view name, const ByteText& text) {
    QTest::newRow(std::string(name).c_str()) << QString::fromUtf8(name.data(), name.size())
                                             << QByteArray(text.view().data(), text.view().size());
  };
  const ByteText kUnit(" K");
  // The largest size, with one decimal.
  row(n::kNormalSizeLabel, morvane::Concat({ByteText("2097152.0"), kUnit}));
  row(n::kSimpleSizeLabel, GbkFromUtf8("2147483647字节"));
  row(n::kSimpleCountLabel, ByteText("2147483647"));
}

void DailyUseTest::everyLabelHoldsItsLargestValue() {
  QFETCH(QString, label);
  QFETCH(QByteArray, largest);
  const std::string name = label.toStdString();
  toolkit_->SetText(morvane::Label(name),
                    ByteText(std::string_view(largest.constData(), largest.size())));
  auto* widget = static_cast<QLabel*>(W(name));
  const int needed = widget->fontMetrics().horizontalAdvance(widget->text());
  QVERIFY2(needed <= widget->contentsRect().width(),
           qPrintable(QStringLiteral("%1 needs %2 px, has %3")
                          .arg(widget->text())
                          .arg(needed)
                          .arg(widget->contentsRect().width())));
  // The label stays inside its frame.
  QVERIFY(widget->parentWidget()->rect().contains(widget->geometry()));
}

void DailyUseTest::aNegativePieceSizeShowsNoCount() {
  auto* pieceBytes = static_cast<QLineEdit*>(W(n::kSimplePieceBytesBox));
  pieceBytes->selectAll();
  QTest::keyClicks(pieceBytes, "-300");
  QCOMPARE(Text(n::kSimpleCountLabel), ByteText("-"));
  pieceBytes->selectAll();
  QTest::keyClicks(pieceBytes, "300");
  QVERIFY(morvane::ToInteger(Text(n::kSimpleCountLabel)) > 0);
}

void DailyUseTest::messageBoxesShowTheirCaptionAndSayOk_data() {
  QTest::addColumn<QString>("caption");
  QTest::newRow("信息：") << "信息：";
  QTest::newRow("提示：") << "提示：";
  QTest::newRow("章节搜寻提示") << "章节搜寻提示";
  QTest::newRow("警告！") << "警告！";
}

void DailyUseTest::messageBoxesShowTheirCaptionAndSayOk() {
  QFETCH(QString, caption);
  int width = 0;
  QString button;
  WhenModalOpens([&](QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    QVERIFY(box != nullptr);
    width = box->width();
    button = box->buttons().value(0)->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  toolkit_->ShowMessageBox("切割完成！", 0, caption.toStdString());
  // A title bar needs the caption plus its buttons: about 120 px beyond the text.
  const int needed =
      QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(caption) + 120;
  QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
  QCOMPARE(button, QStringLiteral("确定"));
}

void DailyUseTest::qtDialogsAndMenusSpeakChinese() {
  QStringList texts;
  WhenModalOpens([&](QWidget* widget) {
    auto* dialog = qobject_cast<QDialog*>(widget);
    QVERIFY(dialog != nullptr);
    texts << dialog->windowTitle();
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) texts << button->text();
    for (QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
    dialog->reject();
  });
  QTest::mouseClick(W(n::kSimpleOpenButton), Qt::LeftButton);
  const QString all = texts.join(QLatin1Char('|'));
  QVERIFY2(all.contains(QStringLiteral("打开")) && all.contains(QStringLiteral("取消")),
           qPrintable(all));
  QVERIFY2(!all.contains(QStringLiteral("Cancel")) && !all.contains(QStringLiteral("File name")),
           qPrintable(all));

  std::unique_ptr<QMenu> menu(
      static_cast<QLineEdit*>(W(n::kPrefixBox))->createStandardContextMenu());
  QStringList actions;
  for (QAction* action : menu->actions()) actions << action->text();
  const QString menuTexts = actions.join(QLatin1Char('|'));
  QVERIFY2(menuTexts.contains(QStringLiteral("剪切")) &&
               menuTexts.contains(QStringLiteral("粘贴")) &&
               !menuTexts.contains(QStringLiteral("Undo")),
           qPrintable(menuTexts));
}

void DailyUseTest::aLongCutShowsProgressAndCancelLeavesTheFolderAsItWas() {
  const QString input = temp_->filePath(QStringLiteral("long.txt"));
  WriteFile(input, std::string(40000, 'a'));
  WriteFile(output_ + QStringLiteral("/keep.txt"), "mine");
  SetSaveFolder();
  toolkit_->SetText(n::kNormalPathBox, Native(input));
  state_->cut.normalText = ByteText(std::string(40000, 'a'));
  state_->cut.normalTextBytes = 40000;
  state_->cut.normalPieceBytes = 1;  // 40 000 files: long enough to be seen and stopped
  ShowPage(0);
  const auto previous = morvane::ui::SetProgressDelay(std::chrono::milliseconds(0));
  QString progressText;
  QStringList messages;
  QTimer user;
  user.setInterval(10);
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (QWidget* window = morvane::ui::RunningTaskWindow(); window && window->isVisible()) {
      // The writing itself, not the look at the names before it.
      const QString text = window->findChild<QLabel*>()->text();
      if (!progressText.isEmpty() || !text.contains(QStringLiteral("个文件"))) return;
      progressText = text;
      // The window behind takes no clicks while the cut runs.
      QTest::mouseClick(W(n::kSimpleClearButton), Qt::LeftButton);
      QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("cancelButton")),
                        Qt::LeftButton);
    } else if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      messages << box->text();
      box->done(0);
    }
  });
  user.start();
  QTest::mouseClick(W(n::kNormalCutButton), Qt::LeftButton);
  morvane::ui::SetProgressDelay(previous);
  QVERIFY2(progressText.contains(QStringLiteral("40000 个文件")), qPrintable(progressText));
  QCOMPARE(messages, QStringList{QStringLiteral("已取消，本次写入的文件已删除。")});
  QCOMPARE(FileNames(output_), QStringList{QStringLiteral("keep.txt")});
  QVERIFY(!Text(n::kSimpleText).empty());  // the click on 清空 was held back
}

void DailyUseTest::aQuickCutShowsNoProgressAndOffersTheFolder() {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
  SetSaveFolder();
  bool progressShown = false;
  QStringList buttons;
  QTimer user;
  user.setInterval(1);
  QObject::connect(&user, &QTimer::timeout, [&] {
    progressShown |= morvane::ui::RunningTaskWindow() != nullptr;
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    for (QAbstractButton* button : box->buttons()) buttons << button->text();
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == QStringLiteral("打开文件夹")) QTest::mouseClick(button, Qt::LeftButton);
    }
    if (box->isVisible()) box->done(0);
  });
  user.start();
  QTest::mouseClick(W(n::kSimpleCutButton), Qt::LeftButton);
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  QVERIFY(!progressShown);
  QVERIFY2(buttons.contains(QStringLiteral("打开文件夹")), qPrintable(buttons.join('|')));
  QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(output_)});
  QVERIFY(FileNames(output_).size() >= 2);
}

void DailyUseTest::droppedFilesOpenOnEachPage() {
  QDir().mkpath(temp_->filePath(QStringLiteral("in")));
  const auto input = [this](const QString& name, std::string_view text) {
    const QString path = temp_->filePath(QStringLiteral("in/") + name);
    WriteFile(path, GbkFromUtf8(text).view());
    return path;
  };
  // The simple-cut page loads a dropped file into its box, even when dropped on the box.
  ShowPage(1);
  const QString single = input(QStringLiteral("单个.txt"), "单个文件的内容");
  Drop(static_cast<QAbstractScrollArea*>(W(n::kSimpleText))->viewport(), {single});
  QTRY_COMPARE(Text(n::kSimpleText), GbkFromUtf8("单个文件的内容"));
  QCOMPARE(Text(n::kPrefixBox), GbkFromUtf8("单个"));

  // The cut page opens it for the cut.
  ShowPage(0);
  Drop(W(morvane::names::kCutPage), {single});
  QTRY_COMPARE(Text(n::kNormalPathBox), Native(single));
  QCOMPARE(state_->cut.normalText, GbkFromUtf8("单个文件的内容"));

  // The merge page fills the rows in natural order and sets the count.
  ShowPage(2);
  QStringList chapters;
  for (int number : {10, 2, 1, 3}) {
    chapters << input(QStringLiteral("第%1章.txt").arg(number), "章" + std::to_string(number));
  }
  Drop(W(app::kMergeFrame), chapters);
  QTRY_COMPARE(state_->merge.mergeCount, 4);
  const int order[] = {1, 2, 3, 10};
  for (int row = 1; row <= 4; ++row) {
    QCOMPARE(Text(n::kMergePathBox[row]),
             Native(temp_->filePath(QStringLiteral("in/第%1章.txt").arg(order[row - 1]))));
  }
  QCOMPARE(state_->merge.mergeCount, 4);
  QVERIFY(toolkit_->Visible(n::kMergePathBox[4]) && !toolkit_->Visible(n::kMergePathBox[5]));

  // A folder dropped on the save-location box becomes the save folder.
  Drop(W(n::kSaveLocationBox), {output_});
  QTRY_COMPARE(Text(n::kSaveLocationBox), Native(output_));
  QCOMPARE(state_->cut.saveFolder, morvane::Path(output_.toStdString()));
}

void DailyUseTest::namesThatAreNotUtf8OpenByTheirBytes() {
  // Raw GBK names, as an archive made on Chinese Windows unpacks them: 第1章.txt, 第2章.txt
  // and the folder 输出.
  const std::string root = temp_->path().toStdString();
  const std::string first = root +
                            "/\xB5\xDA"
                            "1"
                            "\xD5\xC2.txt";
  const std::string second = root +
                             "/\xB5\xDA"
                             "2"
                             "\xD5\xC2.txt";
  const std::string utf8 = temp_->filePath(QStringLiteral("第3章.txt")).toStdString();
  const std::string folder = root + "/\xCA\xE4\xB3\xF6";
  std::ofstream(first, std::ios::binary) << "one";
  std::ofstream(second, std::ios::binary) << "two";
  std::ofstream(utf8, std::ios::binary) << "three";
  QVERIFY(std::filesystem::create_directory(folder));

  ShowPage(1);
  DropUrls(W(morvane::names::kSimpleCutPage), QList<QUrl>{UrlOf(first)});
  QTRY_COMPARE(Text(n::kSimpleText), ByteText("one"));
  ShowPage(0);
  DropUrls(W(morvane::names::kCutPage), QList<QUrl>{UrlOf(second)});
  QTRY_COMPARE(state_->cut.normalPath, morvane::Path(second));
  // On the merge page the other files of the drop come along, in natural order.
  ShowPage(2);
  DropUrls(W(app::kMergeFrame), QList<QUrl>{UrlOf(utf8), UrlOf(second), UrlOf(first)});
  QTRY_COMPARE(state_->merge.mergeCount, 3);
  QCOMPARE(state_->merge.mergePath[1], morvane::Path(first));
  QCOMPARE(state_->merge.mergePath[2], morvane::Path(second));
  QCOMPARE(state_->merge.mergePath[3], morvane::Path(utf8));
  DropUrls(W(n::kSaveLocationBox), QList<QUrl>{UrlOf(folder)});
  QTRY_COMPARE(state_->cut.saveFolder, morvane::Path(folder));

  // The files named on the command line: one opens on the cut page, more fill the merge
  // rows.
  app::OpenGivenFiles(*toolkit_, *state_, {morvane::Path(utf8)});
  QCOMPARE(state_->cut.normalPath, morvane::Path(utf8));
  QVERIFY(W(morvane::names::kCutPage)->isVisible());
  app::OpenGivenFiles(*toolkit_, *state_, {morvane::Path(second), morvane::Path(first)});
  QCOMPARE(state_->merge.mergeCount, 2);
  QCOMPARE(state_->merge.mergePath[1], morvane::Path(first));
  QVERIFY(W(morvane::names::kMergePage)->isVisible());
}

void DailyUseTest::aTypedPrefixNamesFilesAsTheCommandLineDoes() {
  SetSaveFolder();
  toolkit_->SetText(n::kSimpleText, ByteText("abcdef"));
  auto* prefix = static_cast<QLineEdit*>(W(n::kPrefixBox));
  prefix->selectAll();
  prefix->insert(QStringLiteral("书😀ö"));
  morvane::testing::ConfirmingMessages(
      [this] { QTest::mouseClick(W(n::kSimpleCutButton), Qt::LeftButton); });
  QVERIFY2(FileNames(output_).contains(QStringLiteral("书😀ö-1.txt")),
           qPrintable(FileNames(output_).join('|')));
}

void DailyUseTest::withoutAFileManagerTheFolderIsNamed_data() {
  // The exit status of an xdg-open on the PATH, or none there.
  QTest::addColumn<int>("opener");
  QTest::addColumn<bool>("named");
  // No URL handler and no desktop services offscreen: nothing can show the folder.
  QTest::newRow("no xdg-open") << -1 << true;
  // xdg-open starts but has no handler for a folder: it says so by its exit status.
  QTest::newRow("xdg-open finds no file manager") << 3 << true;
  QTest::newRow("xdg-open shows the folder") << 0 << false;
}

void DailyUseTest::withoutAFileManagerTheFolderIsNamed() {
  QFETCH(int, opener);
  QFETCH(bool, named);
  const QByteArray path = qgetenv("PATH");
  const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });
  const QString given = temp_->filePath(QStringLiteral("given"));
  if (opener >= 0) {
    const QString bin = temp_->filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    QFile script(bin + QStringLiteral("/xdg-open"));
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\nexit %2\n")
                     .arg(given)
                     .arg(opener)
                     .toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", bin.toUtf8() + ':' + path);
  }
  SetSaveFolder();
  QStringList texts;
  QTimer user;
  user.setInterval(10);
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    texts << box->text();
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == QStringLiteral("打开文件夹")) return button->click();
    }
    box->done(0);
  });
  user.start();
  QTest::mouseClick(W(n::kSimpleCutButton), Qt::LeftButton);
  if (opener >= 0) {
    QFile handed(given);
    QVERIFY(handed.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(handed.readAll()), output_);
  }
  QCOMPARE(texts.size(), named ? 2 : 1);
  QVERIFY2(!named || (texts.back().contains(QStringLiteral("没有找到文件管理器")) &&
                      texts.back().contains(output_)),
           qPrintable(texts.back()));
}

void DailyUseTest::aWindowLargerThanTheScreenKeepsItsTitleBarInSight() {
  const QRect area = main_->screen()->availableGeometry();
  QWidget large;
  large.resize(area.width() * 2, area.height() * 2);
  morvane::ui::QtToolkit::ShowCentred(&large);
  QCOMPARE(large.frameGeometry().topLeft(), area.topLeft());
}

void DailyUseTest::saveLocationListClosesAloneAndShowsItsHighlight() {
  bool stillOpen = false;
  WhenModalOpens([&](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    auto* list = static_cast<QComboBox*>(W(n::kDriveList));
    // Two volumes, so that a highlight can move.
    CheckHighlight(list);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!list->view()->isVisible());
    QTest::qWait(50);
    stillOpen = window->isVisible();
  });
  toolkit_->SetVolumes(
      {{temp_->path().toStdString(), "ext4", "", ""}, {output_.toStdString(), "tmpfs", "", ""}});
  QTest::mouseClick(W(n::kSaveLocationButton), Qt::LeftButton);
  QVERIFY(stillOpen);
}

QTEST_MAIN(DailyUseTest)
#include "daily_use_test.moc"
