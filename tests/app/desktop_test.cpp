// SPDX-License-Identifier: MIT
// The desktop program as a user meets it: every window against its description, the start
// state, every binding driven by clicks and typing, the modal paths, and the files each
// operation writes compared with morvane-cli's for the same input. Saves a PNG of each
// page and of the save-location window under the build folder.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/windows.h"
#include "app/wiring.h"
#include "core/gbk.h"
#include "engine/banner.h"
#include "presenters/control_names.h"
#include "tests/app/folder_contents.h"
#include "tests/support/desktop_session.h"
#include "tests/ui/modal.h"
#include "ui/qt_toolkit.h"
#include "ui/widgets.h"
#include "window_check.h"

using morvane::ByteText;
using morvane::GbkFromUtf8;
using morvane::testing::ReadFolder;
using morvane::testing::WhenModalOpens;
using morvane::testing::WriteFile;
namespace n = morvane::names;
namespace app = morvane::app;

namespace {

QString Screenshots() {
  QDir().mkpath(QStringLiteral(MORVANE_SCREENSHOT_DIR));
  return QStringLiteral(MORVANE_SCREENSHOT_DIR);
}

// A GBK novel: a preface, three chapters, CR LF lines, some half-width spaces and tabs.
std::string Novel() {
  std::string text = GbkFromUtf8("序言：这是一部测试用的小说。\r\n").data();
  for (int chapter = 1; chapter <= 3; ++chapter) {
    text += GbkFromUtf8("第" + std::to_string(chapter) + "章 风起\r\n").data();
    for (int line = 0; line < 12; ++line) {
      text += GbkFromUtf8("\t他走进 书房，翻开那本旧书，读了很久很久。\r\n").data();
    }
  }
  return text;
}

}  // namespace

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void everyWindowIsBuiltAsDescribed();
  void windowFrameAndStartState();
  void radioButtonsSwitchTheCutPage();
  void clearingAndTypingUpdateTheCounts();
  void countListShowsTheRows();
  void saveLocationWindowOpensFolders();
  void simpleCutAsksForAFolderThenWritesWhatTheCliWrites();
  void normalAndChapterCutsWriteWhatTheCliWrites();
  void mergeWritesWhatTheCliWrites();
  void escapeClosesTheMainWindow();
  void screenshotsOfEveryPage();

 private:
  QWidget* W(std::string_view name) const { return toolkit_->Widget(name); }
  ByteText Text(morvane::TextControl name) const { return toolkit_->Text(name); }
  void Click(std::string_view name) { QTest::mouseClick(W(name), Qt::LeftButton); }
  void ShowPage(int page);
  // Clicks an open button and picks path in the file dialog that it opens.
  void OpenThroughDialog(std::string_view button, const QString& path);
  // The folder tree's nodes shown as name.
  QModelIndexList FolderNodes(const QString& name) const;
  // Double-clicks the folder tree's node called name.
  void DoubleClickFolder(const QString& name);
  // Opens the save-location window and opens output_ in it.
  void ChooseOutputFolder();
  // Clicks a button and returns the texts of the message boxes it shows.
  QStringList ClickExpectingMessages(std::string_view button);
  std::map<std::string, std::string> RunCli(const QStringList& arguments, const QString& out);

  std::unique_ptr<morvane::AppState> state_;
  std::unique_ptr<morvane::ui::QtToolkit> toolkit_;
  QWidget* main_ = nullptr;
  std::unique_ptr<QTemporaryDir> temp_;
  QString input_, output_;
};

void DesktopTest::init() {
  temp_ = std::make_unique<QTemporaryDir>();
  QDir(temp_->path()).mkpath(QStringLiteral("out"));
  QDir(temp_->path()).mkpath(QStringLiteral("cli"));
  QDir(temp_->path()).mkpath(QStringLiteral("小说"));
  input_ = temp_->filePath(QStringLiteral("小说/长篇.txt"));
  output_ = temp_->filePath(QStringLiteral("out"));
  WriteFile(input_, Novel());
  // The current drive is the volume that holds the working folder.
  QDir::setCurrent(temp_->path());

  // The drive list offers the temporary folder as the one volume, so the tree starts there.
  main_ = morvane::testing::StartDesktop(state_, toolkit_, temp_->path());
  QVERIFY(main_ != nullptr);
}

void DesktopTest::cleanup() {
  QDir::setCurrent(QStringLiteral(MORVANE_SCREENSHOT_DIR "/.."));
  morvane::testing::StopDesktop(state_, toolkit_);
  temp_.reset();
}

void DesktopTest::ShowPage(int page) {
  static_cast<morvane::ui::TabControl*>(W(app::kPageTabs))->SetCurrentPage(page);
}

void DesktopTest::OpenThroughDialog(std::string_view button, const QString& path) {
  WhenModalOpens(
      [path](QWidget* widget) { QVERIFY(morvane::testing::AnswerFileDialog(widget, path)); });
  Click(button);
}

QModelIndexList DesktopTest::FolderNodes(const QString& name) const {
  const QAbstractItemModel* model = static_cast<QTreeView*>(W(n::kFolderTree))->model();
  return model->match(model->index(0, 0), Qt::DisplayRole, name, -1,
                      Qt::MatchExactly | Qt::MatchRecursive);
}

void DesktopTest::DoubleClickFolder(const QString& name) {
  auto* tree = qobject_cast<QTreeView*>(W(n::kFolderTree));
  QVERIFY(tree != nullptr);
  const QModelIndexList found = FolderNodes(name);
  QCOMPARE(found.size(), 1);
  tree->scrollTo(found.front());
  const QRect place = tree->visualRect(found.front());
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place.center());
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, place.center());
}

void DesktopTest::ChooseOutputFolder() {
  WhenModalOpens([this](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    DoubleClickFolder(QStringLiteral("out"));
  });
  Click(n::kSaveLocationButton);
  QCOMPARE(Text(n::kSaveLocationBox),
           morvane::DisplayNameGbk(morvane::Path(output_.toStdString())));
}

QStringList DesktopTest::ClickExpectingMessages(std::string_view button) {
  // Every box the handler shows is read and confirmed until the click returns.
  return morvane::testing::ConfirmingMessages([&] { Click(button); });
}

std::map<std::string, std::string> DesktopTest::RunCli(const QStringList& arguments,
                                                       const QString& out) {
  return morvane::testing::RunCliInto(arguments, out);
}

void DesktopTest::everyWindowIsBuiltAsDescribed() {
  // A toolkit with no routines bound: the windows as built, before any handler ran.
  morvane::ui::QtToolkit bare;
  bare.SetVolumes({{temp_->path().toStdString(), "ext4", "", ""}});
  app::DescribeWindows(bare);
  for (const morvane::ui::WindowDescription& window : app::WindowDescriptions()) {
    const QString name = QString::fromUtf8(window.name.data(), window.name.size());
    QWidget* built = bare.CreateWindow(window.name);
    QVERIFY2(built != nullptr, qPrintable(name));
    QCOMPARE(built->size(), QSize(ClientWidth(window), ClientHeight(window)));
    const std::vector<std::string> differences =
        morvane::testing::DifferencesFromDescription(bare, window);
    QVERIFY2(differences.empty(), differences.empty() ? "" : differences.front().c_str());
    for (const morvane::ui::ControlRow& row : window.controls) {
      QWidget* widget = bare.Widget(row.name);
      if (widget == nullptr || row.kind == morvane::ui::Kind::kTabPage) continue;
      // A drop-down list's described height includes its dropped-down part.
      const int height = row.kind == morvane::ui::Kind::kDropDown ? std::min(row.place.height, 20)
                                                                  : row.place.height;
      // Controls on a page count from the tab control's corner, which is where pages sit.
      QCOMPARE(widget->geometry(), QRect(row.place.x, row.place.y, row.place.width, height));
    }
  }
}

void DesktopTest::windowFrameAndStartState() {
  // The 709 x 529 design size is the outer frame of a Windows window.
  QCOMPARE(main_->size(), QSize(709 - 8, 529 - 34));
  QCOMPARE(main_->minimumSize(), main_->maximumSize());
  QCOMPARE(main_->windowTitle(),
           QString::fromUtf8(app::kMainCaption.data(), app::kMainCaption.size()));
  const QList<QSize> sizes = main_->windowIcon().availableSizes();
  QVERIFY(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(24, 24)));
  auto* tabs = static_cast<morvane::ui::TabControl*>(W(app::kPageTabs));
  QCOMPARE(tabs->CurrentPage(), 1);
  QCOMPARE(tabs->tabBar()->tabText(1), QStringLiteral("简单切割"));
  QVERIFY(W(n::kSimpleText)->isVisible());
  QVERIFY(static_cast<QLineEdit*>(W(n::kSaveLocationBox))->isReadOnly());
  QVERIFY(!static_cast<QLineEdit*>(W(n::kPrefixBox))->isReadOnly());
  QVERIFY(!static_cast<QLineEdit*>(W(n::kNormalPathBox))->isReadOnly());

  // The creation routine has run: counts for the help text at 500 bytes per piece.
  const ByteText help = GbkFromUtf8(app::kHelpText);
  QVERIFY(help.size() > 1000 && help.size() < 1100);
  QCOMPARE(Text(n::kSimpleText), help);
  QCOMPARE(Text(n::kSimpleSizeLabel), GbkFromUtf8(std::to_string(help.size()) + "字节"));
  const int pieces = static_cast<int>(std::ceil(help.size() / 500.0));
  QCOMPARE(Text(n::kSimpleCountLabel), ByteText(std::to_string(pieces)));
  QCOMPARE(toolkit_->ControlStyle(), 1);
  QCOMPARE(state_->bannerText, morvane::BannerConstant());
  QCOMPARE(state_->chapterSearchDone, 0);
  QCOMPARE(state_->merge.mergeCount, 0);  // "2" shows, but nobody picked it yet
}

void DesktopTest::radioButtonsSwitchTheCutPage() {
  ShowPage(0);
  const auto clickRadio = [this](std::string_view name) {
    QTest::mouseClick(W(name), Qt::LeftButton, {}, QPoint(6, W(name)->height() / 2));
  };
  const auto expectChapterState = [this](bool chapter) {
    QCOMPARE(toolkit_->Checked(n::kNormalRadio), !chapter);
    QCOMPARE(toolkit_->Checked(n::kChapterRadio), chapter);
    QCOMPARE(toolkit_->Visible(n::kNormalCutButton), !chapter);
    QCOMPARE(toolkit_->Visible(n::kChapterSearchButton), chapter);
    QCOMPARE(toolkit_->Visible(n::kChapterCutButton), chapter);
    QCOMPARE(toolkit_->Visible(n::kChapterMapButton), chapter);
  };
  clickRadio(n::kChapterRadio);
  expectChapterState(true);
  clickRadio(n::kChapterRadio);
  expectChapterState(true);
  clickRadio(n::kNormalRadio);
  expectChapterState(false);
  clickRadio(n::kNormalRadio);
  expectChapterState(false);
}

void DesktopTest::clearingAndTypingUpdateTheCounts() {
  Click(n::kSimpleClearButton);
  QCOMPARE(Text(n::kSimpleText), ByteText());
  QCOMPARE(Text(n::kSimpleSizeLabel), GbkFromUtf8("0字节"));
  Click(n::kSimpleClearButton);
  QCOMPARE(Text(n::kSimpleSizeLabel), GbkFromUtf8("0字节"));

  QTest::keyClicks(W(n::kSimpleText), "abcdefg");
  QCOMPARE(Text(n::kSimpleSizeLabel), GbkFromUtf8("7字节"));
  QCOMPARE(Text(n::kSimpleCountLabel), ByteText("1"));
  auto* pieceBytes = static_cast<QLineEdit*>(W(n::kSimplePieceBytesBox));
  pieceBytes->selectAll();
  QTest::keyClicks(pieceBytes, "2");
  QCOMPARE(Text(n::kSimpleCountLabel), ByteText("4"));

  // Boxes without a binding run nothing.
  const auto before = state_->cut.simpleTextBytes;
  ShowPage(0);
  QTest::keyClick(W(n::kPrefixBox), Qt::Key_End);
  QTest::keyClicks(W(n::kPrefixBox), "X");
  QTest::keyClicks(W(n::kNormalPathBox), "Y");
  QCOMPARE(Text(n::kPrefixBox), ByteText("MorvaneX"));
  QCOMPARE(state_->cut.simpleTextBytes, before);
  QCOMPARE(state_->cut.normalText, ByteText());
}

void DesktopTest::countListShowsTheRows() {
  ShowPage(2);
  QWidget* list = W(n::kMergeCountList);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Down);
  QCOMPARE(state_->merge.mergeCount, 4);
  for (int row = 1; row <= 5; ++row) {
    QCOMPARE(toolkit_->Visible(n::kMergePathBox[row]), row <= 4);
    QCOMPARE(toolkit_->Visible(n::kMergeOpenButton[row]), row <= 4);
  }
}

void DesktopTest::saveLocationWindowOpensFolders() {
  const ByteText root = morvane::DisplayNameGbk(morvane::Path(temp_->path().toStdString()));
  bool mainBlocked = false;
  QString driveItem;
  QSize size;
  WhenModalOpens([&](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    mainBlocked = QApplication::activeModalWidget() == window && window->parentWidget() == main_;
    size = window->size();
    driveItem = static_cast<QComboBox*>(W(n::kDriveList))->currentText();
    // The tree starts on the drive's root: opening it again changes nothing.
    QCOMPARE(Text(n::kFolderTree), root);
    DoubleClickFolder(QFileInfo(temp_->path()).fileName());
    QCOMPARE(Text(n::kSaveLocationBox), ByteText());
    DoubleClickFolder(QStringLiteral("小说"));
    QCOMPARE(Text(n::kSaveLocationBox),
             morvane::DisplayNameGbk(
                 morvane::Path(temp_->filePath(QStringLiteral("小说")).toStdString())));
    auto* tree = static_cast<QTreeView*>(W(n::kFolderTree));
    QVERIFY(FolderNodes(QStringLiteral("out")).isEmpty());
    window->grab().save(Screenshots() + QStringLiteral("/save-location.png"));
    // Back up to the drive's root: the save location follows, the siblings come back.
    DoubleClickFolder(QFileInfo(temp_->path()).fileName());
    QCOMPARE(Text(n::kSaveLocationBox), root);
    QCOMPARE(FolderNodes(QStringLiteral("out")).size(), 1);
    // Enter opens the selected folder too.
    tree->setCurrentIndex(FolderNodes(QStringLiteral("out")).front());
    QTest::keyClick(tree, Qt::Key_Return);
  });
  Click(n::kSaveLocationButton);
  QVERIFY(mainBlocked);
  QCOMPARE(size, QSize(204 - 8, 244 - 22));
  QCOMPARE(driveItem, temp_->path() + QStringLiteral(" （硬盘）"));
  QCOMPARE(Text(n::kSaveLocationBox),
           morvane::DisplayNameGbk(morvane::Path(output_.toStdString())));
  QCOMPARE(state_->cut.saveFolder, morvane::Path(output_.toStdString()));

  // A second opening starts on the root again; closing it at once keeps the location.
  ByteText treeAtStart;
  WhenModalOpens([&](QWidget* window) {
    treeAtStart = Text(n::kFolderTree);
    window->close();
  });
  Click(n::kSaveLocationButton);
  QCOMPARE(treeAtStart, root);
  QCOMPARE(Text(n::kSaveLocationBox),
           morvane::DisplayNameGbk(morvane::Path(output_.toStdString())));
}

void DesktopTest::simpleCutAsksForAFolderThenWritesWhatTheCliWrites() {
  OpenThroughDialog(n::kSimpleOpenButton, input_);
  const std::string novel = Novel();
  QCOMPARE(Text(n::kSimpleText), ByteText(novel));
  QCOMPARE(Text(n::kSimpleSizeLabel), GbkFromUtf8(std::to_string(novel.size()) + "字节"));
  QCOMPARE(Text(n::kPrefixBox), GbkFromUtf8("长篇"));

  // Without a save location the cut asks for one, opens the window and writes nothing.
  QString asked;
  WhenModalOpens([&](QWidget* widget) {
    asked = static_cast<QMessageBox*>(widget)->text();
    WhenModalOpens([this](QWidget* window) {
      const auto closeAnyway = qScopeGuard([window] { window->close(); });
      DoubleClickFolder(QStringLiteral("out"));
    });
    static_cast<QMessageBox*>(widget)->button(QMessageBox::Ok)->click();
  });
  Click(n::kSimpleCutButton);
  QCOMPARE(asked, QStringLiteral("请先选择分割文件存放的位置"));
  QVERIFY(ReadFolder(output_).empty());

  QCOMPARE(ClickExpectingMessages(n::kSimpleCutButton), QStringList{QStringLiteral("切割完成！")});
  const auto written = ReadFolder(output_);
  QVERIFY(written.size() > 3);
  QCOMPARE(written, RunCli({"cut", "--bytes", "500", "--prefix", "长篇", input_},
                           temp_->filePath(QStringLiteral("cli"))));
}

void DesktopTest::normalAndChapterCutsWriteWhatTheCliWrites() {
  ShowPage(0);
  ChooseOutputFolder();
  OpenThroughDialog(n::kNormalOpenButton, input_);
  QCOMPARE(Text(n::kNormalPathBox), morvane::DisplayNameGbk(morvane::Path(input_.toStdString())));
  auto* cutSize = static_cast<QLineEdit*>(W(n::kCutSizeBox));
  cutSize->selectAll();
  QTest::keyClicks(cutSize, "1");
  QCOMPARE(ClickExpectingMessages(n::kNormalCutButton), QStringList{QStringLiteral("切割完成！")});
  QCOMPARE(ReadFolder(output_), RunCli({"cut", "--kb", "1", "--prefix", "长篇", input_},
                                       temp_->filePath(QStringLiteral("cli"))));

  QDir(output_).removeRecursively();
  QDir().mkpath(output_);
  QTest::mouseClick(W(n::kChapterRadio), Qt::LeftButton, {}, QPoint(6, 8));
  QCOMPARE(ClickExpectingMessages(n::kChapterSearchButton).join(QString()),
           QStringLiteral("已搜寻到3章"));
  QVERIFY(!ClickExpectingMessages(n::kChapterCutButton).isEmpty());
  QCOMPARE(state_->chapterSearchDone, 1);  // kept for a book or another cut
  const auto written = ReadFolder(output_);
  QCOMPARE(written.size(), std::size_t{4});
  QCOMPARE(written, RunCli({"chapters", "--prefix", "长篇", input_},
                           temp_->filePath(QStringLiteral("cli-chapters"))));
}

void DesktopTest::mergeWritesWhatTheCliWrites() {
  const QString second = temp_->filePath(QStringLiteral("second.txt"));
  WriteFile(second, GbkFromUtf8("第二个文件\r\n").view());
  ShowPage(2);
  ChooseOutputFolder();
  OpenThroughDialog(n::kMergeOpenButton[1], input_);
  OpenThroughDialog(n::kMergeOpenButton[2], second);
  QCOMPARE(Text(n::kMergePathBox[2]), morvane::DisplayNameGbk(morvane::Path(second.toStdString())));
  QVERIFY(!ClickExpectingMessages(n::kMergeButton).isEmpty());
  const auto written = ReadFolder(output_);
  QCOMPARE(written.size(), std::size_t{1});
  QCOMPARE(written, RunCli({"merge", "--prefix", "长篇", input_, second},
                           temp_->filePath(QStringLiteral("cli-merge"))));
}

void DesktopTest::escapeClosesTheMainWindow() {
  main_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(main_));
  QTest::keyClick(W(n::kSimpleText), Qt::Key_Escape);
  QVERIFY(!main_->isVisible());
}

void DesktopTest::screenshotsOfEveryPage() {
  const char* pages[] = {"cut", "simple-cut", "merge", "downloads", "suggestions"};
  for (int page = 0; page < 5; ++page) {
    ShowPage(page);
    QVERIFY(main_->grab().save(
        Screenshots() +
        QStringLiteral("/main-%1-%2.png").arg(page + 1).arg(QLatin1String(pages[page]))));
  }
}

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
