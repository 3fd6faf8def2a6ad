// SPDX-License-Identifier: MIT
// The chapter-map window driven as a user drives it: search, open the map, switch the
// rule, untick a heading, choose names with the title, confirm and cut; the files are
// those of morvane-cli with the same choices. Saves a PNG of the window for the README.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <map>
#include <sstream>

#include "app/chapter_map_window.h"
#include "app/desktop.h"
#include "app/main_window.h"
#include "app/wiring.h"
#include "core/gbk.h"
#include "core/path.h"
#include "presenters/chapter_map_text.h"
#include "presenters/control_names.h"
#include "tests/app/folder_contents.h"
#include "tests/support/desktop_session.h"
#include "tests/support/zip_entries.h"
#include "tests/ui/modal.h"
#include "ui/long_task.h"
#include "ui/qt_toolkit.h"
#include "ui/widgets.h"

namespace n = morvane::names;
namespace app = morvane::app;
using morvane::testing::ReadFolder;
using morvane::testing::WhenModalOpens;

namespace {

// A preface and five chapters; chapter 3 is missing, a letter in the body looks like a
// heading to the written rule, and 第四章 comes twice; a volume line before the first, if
// asked for.
std::string Novel(bool volume = false) {
  std::string utf8 = "书名：测试\r\n作者：某人\r\n";
  if (volume) utf8 += "第一卷 风云\r\n";
  const char* headings[] = {"第一章 风起", "第二章 云涌", "第四章 夜雨", "第四章 夜雨（续）",
                            "第五章 天明"};
  for (const char* heading : headings) {
    utf8 += std::string(heading) + "\r\n";
    for (int line = 0; line < 8; ++line) utf8 += "\t他翻开那本旧书，读了很久很久。\r\n";
    utf8 += "　　第一封信写的是文章的事。\r\n";
  }
  return std::string(morvane::GbkFromUtf8(utf8).view());
}

}  // namespace

class ChapterMapWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void correctedMapIsWhatTheCliWrites();
  void withoutASearchTheWindowAsksForOne();
  void theBookOfTheCorrectedMapIsTheCliBook();
  void theOneStepBookWithAnyTitleIsTheCliBook();
  void aRuleThatNeverEndsIsStoppedOrGivesUp();
  void correctionsAreCutAsTheSavedMapIs();

 private:
  QWidget* W(std::string_view name) const { return toolkit_->Widget(name); }
  // A control of the chapter-map window, which must be open.
  template <typename T>
  T* Map(std::string_view name) const {
    auto* control = qobject_cast<T*>(W(name));
    if (control == nullptr) qFatal("no %s in the chapter-map window", name.data());
    return control;
  }
  QStringList ClickExpectingMessages(std::string_view button);
  // Clicks a cell of a table as a user would.
  static void ClickCell(QTableView* table, int row, int column) {
    const QModelIndex index = table->model()->index(row, column);
    table->scrollTo(index);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
  }

  std::unique_ptr<morvane::AppState> state_;
  std::unique_ptr<morvane::ui::QtToolkit> toolkit_;
  std::unique_ptr<QTemporaryDir> temp_;
  QString input_, output_;
};

void ChapterMapWindowTest::init() {
  temp_ = std::make_unique<QTemporaryDir>();
  QDir(temp_->path()).mkpath(QStringLiteral("out"));
  input_ = temp_->filePath(QStringLiteral("小说.txt"));
  output_ = temp_->filePath(QStringLiteral("out"));
  morvane::testing::WriteFile(input_, Novel());
  QVERIFY(morvane::testing::StartDesktop(state_, toolkit_) != nullptr);
  static_cast<morvane::ui::TabControl*>(W(app::kPageTabs))->SetCurrentPage(0);
  // The save-location window has tests of its own; here the folder is simply chosen.
  toolkit_->SetPath(n::kSaveLocationBox, morvane::Path(output_.toStdString()));
  WhenModalOpens(
      [this](QWidget* dialog) { QVERIFY(morvane::testing::AnswerFileDialog(dialog, input_)); });
  QTest::mouseClick(W(n::kNormalOpenButton), Qt::LeftButton);
  QTest::mouseClick(W(n::kChapterRadio), Qt::LeftButton, {}, QPoint(6, 8));
}

void ChapterMapWindowTest::cleanup() {
  morvane::testing::StopDesktop(state_, toolkit_);
  temp_.reset();
}

QStringList ChapterMapWindowTest::ClickExpectingMessages(std::string_view button) {
  return morvane::testing::ConfirmingMessages(
      [&] { QTest::mouseClick(W(button), Qt::LeftButton); });
}

void ChapterMapWindowTest::correctedMapIsWhatTheCliWrites() {
  // The written rule also takes the letter's line: 5 headings and 5 false ones, which the
  // message doubts.
  QCOMPARE(ClickExpectingMessages(n::kChapterSearchButton).join(QString()),
           QStringLiteral("已搜寻到10章\n智能识别可找到5章，可在章节目录中点击“改用智能”"));
  QVERIFY(W(n::kChapterMapButton)->isVisible());

  bool answered = false;
  WhenModalOpens([this, &answered](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    QCOMPARE(window, W(n::kChapterMapWindow));
    auto* table = Map<QTableView>(n::kMapList);
    QCOMPARE(table->model()->rowCount(), 10);
    // One unit down the size column (SizeWords).
    for (int row = 0; row < 10; ++row) {
      const QModelIndex size = table->model()->index(row, n::kSizeColumn);
      QCOMPARE(size.data().toString(),
               QString::fromStdString(morvane::SizeWords(size.data(Qt::ToolTipRole).toLongLong())));
    }
    // Whole lines only: the letters are gone, and the map says what looks wrong.
    QTest::keyClick(Map<QComboBox>(n::kMapRuleList), Qt::Key_Down);
    QCOMPARE(table->model()->rowCount(), 5);
    QCOMPARE(table->model()->index(2, n::kTitleColumn).data().toString(),
             QStringLiteral("第四章 夜雨"));
    QCOMPARE(table->model()->index(2, n::kFlagsColumn).data().toString(), QStringLiteral("跳号"));
    QCOMPARE(table->model()->index(3, n::kFlagsColumn).data().toString(), QStringLiteral("重号"));
    QVERIFY(table->model()->index(3, 0).data(Qt::BackgroundRole).isValid());
    QVERIFY(!table->model()->index(0, 0).data(Qt::BackgroundRole).isValid());
    // Untick the repeated heading: its text joins the chapter before it.
    table->setFocus();
    table->setCurrentIndex(table->model()->index(3, 0));
    QTest::keyClick(table, Qt::Key_Space);
    QCOMPARE(table->model()->index(3, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    auto* byTitle = Map<QRadioButton>(n::kMapByTitleRadio);
    QTest::mouseClick(byTitle, Qt::LeftButton, {}, QPoint(6, byTitle->height() / 2));
    QVERIFY(byTitle->isChecked());
    QVERIFY(
        Map<QLabel>(n::kMapPreview)->text().contains(QStringLiteral("小说-0001 第一章 风起.txt")));
    QTest::mouseClick(W(n::kMapOkButton), Qt::LeftButton);
    answered = true;
  });
  QTest::mouseClick(W(n::kChapterMapButton), Qt::LeftButton);
  QVERIFY(answered);
  QVERIFY(state_->chapterPlan != nullptr);

  const QStringList messages = ClickExpectingMessages(n::kChapterCutButton);
  QCOMPARE(messages.front(), QStringLiteral("5"));
  QCOMPARE(messages.back(), QStringLiteral("切割完毕"));
  const auto written = ReadFolder(output_);
  QVERIFY(written.count("小说-0003 第四章 夜雨.txt") == 1);

  const QString cliOut = temp_->filePath(QStringLiteral("cli"));
  QDir().mkpath(cliOut);
  QProcess cli;
  cli.start(QStringLiteral(MORVANE_CLI_PATH), {"chapters", "--rule", "lines", "--skip", "4",
                                               "--names", "title", "--out", cliOut, input_});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  QCOMPARE(written, ReadFolder(cliOut));
}

// 生成EPUB writes the book of the corrected map, byte for byte the one of morvane-cli with
// the same choices. Saves a PNG of the EPUB window for the README.
void ChapterMapWindowTest::theBookOfTheCorrectedMapIsTheCliBook() {
  ClickExpectingMessages(n::kChapterSearchButton);
  QVERIFY(W(n::kEpubButton)->isVisible());
  WhenModalOpens([this](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    QTest::keyClick(Map<QComboBox>(n::kMapRuleList), Qt::Key_Down);
    auto* table = Map<QTableView>(n::kMapList);
    table->setFocus();
    table->setCurrentIndex(table->model()->index(3, 0));
    QTest::keyClick(table, Qt::Key_Space);
    QTest::mouseClick(W(n::kMapOkButton), Qt::LeftButton);
  });
  QTest::mouseClick(W(n::kChapterMapButton), Qt::LeftButton);
  bool shown = false;
  WhenModalOpens([this, &shown](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    QCOMPARE(window, W(n::kEpubWindow));
    // The header's 书名 line, as morvane-cli reads it, not the file's name.
    QCOMPARE(Map<QLineEdit>(n::kEpubTitleBox)->text(), QStringLiteral("测试"));
    QCOMPARE(Map<QLineEdit>(n::kEpubAuthorBox)->text(), QStringLiteral("某人"));
    QDir().mkpath(QStringLiteral(MORVANE_SCREENSHOT_DIR));
    QVERIFY(window->grab().save(QStringLiteral(MORVANE_SCREENSHOT_DIR "/epub.png")));
    shown = true;
    QTest::mouseClick(W(n::kEpubOkButton), Qt::LeftButton);
  });
  const QStringList messages = ClickExpectingMessages(n::kEpubButton);
  QVERIFY(shown);
  QCOMPARE(messages.join(QString()), QStringLiteral("EPUB已生成：小说.epub"));

  const QString cliOut = temp_->filePath(QStringLiteral("cli"));
  QDir().mkpath(cliOut);
  QProcess cli;
  cli.start(QStringLiteral(MORVANE_CLI_PATH),
            {"epub", "--rule", "lines", "--skip", "4", "--out", cliOut, input_});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  const auto written = ReadFolder(output_);
  QCOMPARE(written, ReadFolder(cliOut));
  QCOMPARE(written.size(), std::size_t{1});
}

// 转换为EPUB needs no search: the window opens on the automatic rule's map of the text with
// its repeated titles taken away, and on the header's title and author. A title and an
// author with characters GBK lacks, typed into the boxes, make the book morvane-cli makes
// with them, entry by entry (the ZIP's own timestamps are the writing's).
void ChapterMapWindowTest::theOneStepBookWithAnyTitleIsTheCliBook() {
  std::string utf8 = "书名：测试\r\n作者：某人\r\n";
  for (const char* heading : {"第一回 风起", "第二回 云涌", "第三回 夜雨", "第四回 天明"}) {
    // Each title repeated on the next line, as downloads have them.
    utf8 += std::string(heading) + "\r\n" + heading + "\r\n";
    for (int line = 0; line < 8; ++line) utf8 += "　　他翻开那本旧书，读了很久很久。\r\n";
  }
  morvane::testing::WriteFile(input_, morvane::GbkFromUtf8(utf8).view());
  WhenModalOpens(
      [this](QWidget* dialog) { QVERIFY(morvane::testing::AnswerFileDialog(dialog, input_)); });
  QTest::mouseClick(W(n::kNormalOpenButton), Qt::LeftButton);

  const QString title = QStringLiteral("红楼😀𠀀");
  const QString author = QStringLiteral("曹😀𠀀");
  const auto type = [](QLineEdit* box, const QString& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    // One key event per character, as an input method hands over one beyond the BMP.
    for (const char32_t c : text.toUcs4()) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
      QApplication::sendEvent(box, &press);
    }
  };
  WhenModalOpens([&](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    QCOMPARE(window, W(n::kEpubWindow));
    QCOMPARE(Map<QLineEdit>(n::kEpubTitleBox)->text(), QStringLiteral("测试"));
    QCOMPARE(Map<QLineEdit>(n::kEpubAuthorBox)->text(), QStringLiteral("某人"));
    QCOMPARE(Map<QLabel>(n::kEpubSummary)->text(),
             QStringLiteral("目录：4 章；已去掉重复的标题 4 行"));
    type(Map<QLineEdit>(n::kEpubTitleBox), title);
    type(Map<QLineEdit>(n::kEpubAuthorBox), author);
    QCOMPARE(Map<QLineEdit>(n::kEpubTitleBox)->text(), title);
    QCOMPARE(Map<QLineEdit>(n::kEpubAuthorBox)->text(), author);
    QTest::mouseClick(W(n::kEpubOkButton), Qt::LeftButton);
  });
  QCOMPARE(ClickExpectingMessages(n::kConvertEpubButton).join(QString()),
           QStringLiteral("EPUB已生成：小说.epub"));

  const QString cliOut = temp_->filePath(QStringLiteral("cli"));
  QDir().mkpath(cliOut);
  QProcess cli;
  cli.start(QStringLiteral(MORVANE_CLI_PATH),
            {"epub", "--title", title, "--author", author, "--out", cliOut, input_});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  const auto desktop =
      morvane::testing::ZipEntries(QDir(output_).filePath("小说.epub").toStdString());
  const auto made = morvane::testing::ZipEntries(QDir(cliOut).filePath("小说.epub").toStdString());
  QVERIFY(desktop.size() > 4);
  QCOMPARE(desktop.size(), made.size());
  for (std::size_t i = 0; i < desktop.size(); ++i) {
    QCOMPARE(desktop[i].name, made[i].name);
    QCOMPARE(desktop[i].bytes, made[i].bytes);
  }
  const std::string* package = morvane::testing::FindEntry(desktop, "OEBPS/content.opf");
  QVERIFY(package != nullptr && package->find("红楼😀𠀀") != std::string::npos);
}

void ChapterMapWindowTest::withoutASearchTheWindowAsksForOne() {
  QCOMPARE(ClickExpectingMessages(n::kChapterMapButton).join(QString()),
           QStringLiteral("请先点击前面搜索按钮！"));
}

// A regular expression that backtracks without end: 取消 in the progress window stops its
// search and leaves the map as it was; left alone, the search gives up and says on which
// line.
void ChapterMapWindowTest::aRuleThatNeverEndsIsStoppedOrGivesUp() {
  ClickExpectingMessages(n::kChapterSearchButton);
  std::string text = "\xB5\xDA\xD2\xBB\xD5\xC2\r\n";  // 第一章
  for (int line = 0; line < 3; ++line) text += std::string(40, 'a') + "!\r\n";
  state_->cut.normalText = morvane::ByteText(text);
  QStringList stopped;
  QStringList gaveUp;
  int rows = -1;
  WhenModalOpens([&](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    // Shown at once from here on: the window itself opened without one.
    const auto previous = morvane::ui::SetProgressDelay(std::chrono::milliseconds(0));
    const auto restore = qScopeGuard([previous] { morvane::ui::SetProgressDelay(previous); });
    auto* table = Map<QTableView>(n::kMapList);
    auto* rules = Map<QComboBox>(n::kMapRuleList);
    QTest::keyClick(rules, Qt::Key_Down);
    QTest::keyClick(rules, Qt::Key_Down);
    QCOMPARE(rules->currentIndex(), static_cast<int>(n::kRegexItem));
    QTest::keyClicks(Map<QLineEdit>(n::kMapPatternBox), QStringLiteral("(a+)+$"));
    const int before = table->model()->rowCount();
    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [] {
      if (QWidget* progress = morvane::ui::RunningTaskWindow(); progress && progress->isVisible()) {
        QTest::mouseClick(progress->findChild<QPushButton*>(QStringLiteral("cancelButton")),
                          Qt::LeftButton);
      }
    });
    user.start();
    stopped = ClickExpectingMessages(n::kMapApplyButton);
    user.stop();
    rows = table->model()->rowCount() == before ? before : -2;
    gaveUp = ClickExpectingMessages(n::kMapApplyButton);
  });
  QTest::mouseClick(W(n::kChapterMapButton), Qt::LeftButton);
  QCOMPARE(stopped.join(QString()), QString());
  QCOMPARE(rows, 1);  // the map of the rule before, as it was
  QCOMPARE(gaveUp,
           QStringList{QStringLiteral(
               "章节规则“(a+)+$”在第2行匹配用时太长（回溯太多），搜寻已停止，没有写出文件。")});
}

// The automatic rule taken where it is offered, then a title changed (to one GBK lacks), a
// heading added in the preview and a row unticked (undone once and unticked again), names
// with the volume: the map saved is what morvane-cli cuts into the same files.
void ChapterMapWindowTest::correctionsAreCutAsTheSavedMapIs() {
  input_ = temp_->filePath(QStringLiteral("有卷.txt"));
  morvane::testing::WriteFile(input_, Novel(true));
  WhenModalOpens(
      [this](QWidget* dialog) { QVERIFY(morvane::testing::AnswerFileDialog(dialog, input_)); });
  QTest::mouseClick(W(n::kNormalOpenButton), Qt::LeftButton);
  ClickExpectingMessages(n::kChapterSearchButton);
  const QString mapFile = temp_->filePath(QStringLiteral("目录.tsv"));
  const QString renamed = QStringLiteral("第二章 云起\uD55C");
  QStringList saved;
  WhenModalOpens([&](QWidget* window) {
    const auto closeAnyway = qScopeGuard([window] { window->close(); });
    auto* table = Map<QTableView>(n::kMapList);
    auto* lines = Map<QTableView>(n::kMapLines);
    const auto cell = [table](int row, int column) {
      return table->model()->index(row, column).data().toString();
    };
    QVERIFY(Map<QLabel>(n::kMapAutoHint)->isVisible());
    QTest::mouseClick(W(n::kMapAutoButton), Qt::LeftButton);
    QCOMPARE(table->model()->rowCount(), 5);
    QCOMPARE(cell(0, n::kVolumeColumn), QStringLiteral("第一卷 风云"));

    ClickCell(table, 1, n::kTitleColumn);
    auto* title = Map<QLineEdit>(n::kMapTitleBox);
    QCOMPARE(title->text(), QStringLiteral("第二章 云涌"));
    title->setFocus();
    title->selectAll();
    for (const QChar c : renamed) QTest::sendKeyEvent(QTest::Click, title, Qt::Key_unknown, c, {});
    QTest::mouseClick(W(n::kMapRenameButton), Qt::LeftButton);
    QCOMPARE(cell(1, n::kTitleColumn), renamed);

    // The first chapter's lines: its volume line, its heading, then the body.
    ClickCell(table, 0, n::kTitleColumn);
    QCOMPARE(lines->model()->index(1, 0).data().toString(), QStringLiteral("第一章 风起"));
    ClickCell(lines, 2, 0);
    QTest::mouseClick(W(n::kMapAddButton), Qt::LeftButton);
    QCOMPARE(table->model()->rowCount(), 6);
    QCOMPARE(cell(1, n::kTitleColumn), QStringLiteral("他翻开那本旧书，读了很久很久。"));
    QCOMPARE(cell(2, n::kTitleColumn), renamed);

    // The repeated 第四章, now row 4: unticked, undone, unticked again.
    const auto tick = [table](int row) {
      return table->model()->index(row, 0).data(Qt::CheckStateRole).toInt();
    };
    table->setFocus();
    table->setCurrentIndex(table->model()->index(4, 0));
    QTest::keyClick(table, Qt::Key_Space);
    QCOMPARE(tick(4), int(Qt::Unchecked));
    QTest::mouseClick(W(n::kMapUndoButton), Qt::LeftButton);
    QCOMPARE(tick(4), int(Qt::Checked));
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Space);
    QCOMPARE(tick(4), int(Qt::Unchecked));

    auto* byVolume = Map<QRadioButton>(n::kMapByVolumeRadio);
    QTest::mouseClick(byVolume, Qt::LeftButton, {}, QPoint(6, byVolume->height() / 2));
    QVERIFY(!Map<QRadioButton>(n::kMapByNumberRadio)->isChecked());
    ClickCell(table, 2, n::kTitleColumn);
    QDir().mkpath(QStringLiteral(MORVANE_SCREENSHOT_DIR));
    QVERIFY(window->grab().save(QStringLiteral(MORVANE_SCREENSHOT_DIR "/chapter_map.png")));
    toolkit_->ChooseWithoutDialog(n::kMapSaveDialog, morvane::Path(mapFile.toStdString()));
    saved = ClickExpectingMessages(n::kMapSaveButton);
    QTest::mouseClick(W(n::kMapOkButton), Qt::LeftButton);
  });
  QTest::mouseClick(W(n::kChapterMapButton), Qt::LeftButton);
  QVERIFY(saved.join(QString()).startsWith(QStringLiteral("章节目录已保存")));

  const QStringList messages = ClickExpectingMessages(n::kChapterCutButton);
  QCOMPARE(messages.back(), QStringLiteral("切割完毕"));
  const auto written = ReadFolder(output_);
  QCOMPARE(written.size(), std::size_t{6});
  QVERIFY(written.count(("有卷-0003 第一卷 风云 " + renamed + ".txt").toStdString()) == 1);

  const QString cliOut = temp_->filePath(QStringLiteral("cli"));
  QDir().mkpath(cliOut);
  QProcess cli;
  cli.start(QStringLiteral(MORVANE_CLI_PATH),
            {"chapters", "--map", mapFile, "--names", "volume", "--out", cliOut, input_});
  QVERIFY(cli.waitForFinished(60000));
  QCOMPARE(cli.exitCode(), 0);
  QCOMPARE(written, ReadFolder(cliOut));
}

QTEST_MAIN(ChapterMapWindowTest)
#include "chapter_map_window_test.moc"
