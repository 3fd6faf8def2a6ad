// SPDX-License-Identifier: MIT
// The save-location window's folder tree as the user drives it: keys, Enter and what
// stays in view, on made-up folder trees of any depth.

#include <QFontMetrics>
#include <QScrollBar>
#include <QtTest>

#include <string>
#include <vector>

#include "ui/folder_tree_view.h"

using morvane::ui::FolderTreeView;

namespace {

// /d1/d2/.../dN nested kDepth deep, each holding the next; the top holds kWide more.
constexpr int kDepth = 30;
constexpr int kWide = 40;

std::string Nested(int level, const std::string& stem) {
  return stem + std::to_string(level);
}

std::string PathTo(int level, const std::string& stem) {
  std::string path;
  for (int i = 1; i <= level; ++i) {
    path += '/';
    path += Nested(i, stem);
  }
  return path.empty() ? "/" : path;
}

// A lister for a chain of nested folders named stem1, stem2, ...; the root also holds
// kWide siblings of stem1.
morvane::ui::FolderTreeModel::Lister NestedFolders(std::string stem) {
  return [stem](const std::string& path) {
    int level = 0;
    while (level <= kDepth && PathTo(level, stem) != path) ++level;
    std::vector<std::string> names;
    if (level < kDepth) names.push_back(Nested(level + 1, stem));
    if (level == 0) {
      for (int i = 0; i < kWide; ++i) names.push_back("z-sibling-" + std::to_string(i));
    }
    return names;
  };
}

// Every folder holds kWide subfolders, sub-00 to sub-39.
std::vector<std::string> CrowdedFolders(const std::string& /*path*/) {
  std::vector<std::string> names;
  for (int i = 0; i < kWide; ++i) names.push_back((i < 10 ? "sub-0" : "sub-") + std::to_string(i));
  return names;
}

}  // namespace

class FolderTreeViewTest : public QObject {
  Q_OBJECT

 private slots:
  void keysMoveWithinTheShownRows_data();
  void keysMoveWithinTheShownRows();
  void endThenEnterWalksDownTheWholeChain();
  void openingKeepsTheChainInSight();
  void theSelectedNodeIsAlwaysInView_data();
  void theSelectedNodeIsAlwaysInView();

 private:
  // The tree in a frame of the save-location window's size.
  struct Window {
    QWidget frame;
    FolderTreeView* tree;
    explicit Window(const std::string& stem) : Window(NestedFolders(stem)) {}
    explicit Window(morvane::ui::FolderTreeModel::Lister lister)
        : tree(new FolderTreeView(&frame, std::move(lister))) {
      frame.resize(196, 222);
      tree->setGeometry(-1, 21, 200, 200);
      frame.show();
    }
  };
  static QString Current(const FolderTreeView& tree) {
    return tree.currentIndex().data().toString();
  }
  // The node's row is in the viewport with the whole of its name, or, for a name wider
  // than the viewport, with its start at the left edge.
  static bool InView(const FolderTreeView& tree, const QModelIndex& index) {
    const QRect row = tree.visualRect(index);
    const int nameWidth = QFontMetrics(tree.font()).horizontalAdvance(index.data().toString());
    const QRect viewport = tree.viewport()->rect();
    const bool wholeName = row.left() + nameWidth <= viewport.right();
    return index.isValid() && row.left() >= 0 && row.top() >= 0 &&
           row.bottom() <= viewport.bottom() && (wholeName || row.left() <= tree.indentation());
  }
};

void FolderTreeViewTest::keysMoveWithinTheShownRows_data() {
  QTest::addColumn<int>("start");  // the level set as the tree's path
  QTest::addColumn<QList<int>>("keys");
  QTest::addColumn<QString>("selected");
  QTest::addColumn<QString>("value");  // after the keys, then Enter

  using K = QList<int>;
  QTest::newRow("End selects the last listed folder") << 0 << K{Qt::Key_End} << "z-sibling-9"
                                                      << "/z-sibling-9";
  QTest::newRow("End on a folder without subfolders stays on it")
      << kDepth << K{Qt::Key_End} << "d30" << PathTo(kDepth, "d").c_str();
  QTest::newRow("Home selects the root") << 5 << K{Qt::Key_Home} << "/"
                                         << "/";
  QTest::newRow("Up from the opened folder selects its parent")
      << 5 << K{Qt::Key_Up} << "d4" << PathTo(4, "d").c_str();
  QTest::newRow("Down selects its first subfolder")
      << 5 << K{Qt::Key_Down} << "d6" << PathTo(6, "d").c_str();
  QTest::newRow("Down at the last row stays there")
      << 0 << K{Qt::Key_End, Qt::Key_Down, Qt::Key_PageDown} << "z-sibling-9"
      << "/z-sibling-9";
  QTest::newRow("Up at the root stays there")
      << 2 << K{Qt::Key_Home, Qt::Key_Up, Qt::Key_PageUp} << "/"
      << "/";
  QTest::newRow("Left selects the parent")
      << 3 << K{Qt::Key_Left} << "d2" << PathTo(2, "d").c_str();
}

void FolderTreeViewTest::keysMoveWithinTheShownRows() {
  QFETCH(int, start);
  QFETCH(QList<int>, keys);
  QFETCH(QString, selected);
  QFETCH(QString, value);
  Window window("d");
  window.tree->SetPath(PathTo(start, "d"));
  window.tree->setFocus();
  int opened = 0;
  window.tree->SetOnOpened([&opened] { ++opened; });
  for (int key : keys) QTest::keyClick(window.tree, static_cast<Qt::Key>(key));
  QCOMPARE(Current(*window.tree), selected);
  QCOMPARE(window.tree->Value(), PathTo(start, "d"));  // moving opens nothing
  QCOMPARE(opened, 0);
  QTest::keyClick(window.tree, Qt::Key_Return);
  QCOMPARE(QString::fromStdString(window.tree->Value()), value);
}

void FolderTreeViewTest::endThenEnterWalksDownTheWholeChain() {
  Window window("d");
  window.tree->SetPath("/");
  window.tree->setFocus();
  QTest::keyClick(window.tree, Qt::Key_Home);
  QTest::keyClick(window.tree, Qt::Key_Down);  // d1: the root's first subfolder
  QTest::keyClick(window.tree, Qt::Key_Return);
  for (int level = 2; level <= kDepth + 5; ++level) {
    QTest::keyClick(window.tree, Qt::Key_End);
    QTest::keyClick(window.tree, Qt::Key_Enter);
    const int expected = std::min(level, kDepth);
    QCOMPARE(window.tree->Value(), PathTo(expected, "d"));
    QVERIFY(InView(*window.tree, window.tree->currentIndex()));
  }
}

void FolderTreeViewTest::openingKeepsTheChainInSight() {
  // The user scrolls to the end of a long listing and opens the folder there: the tree
  // must not stay scrolled down, away from the root and the folder's ancestors.
  Window window(CrowdedFolders);
  window.tree->SetPath("/");
  window.tree->setFocus();
  const int rows = window.tree->viewport()->height() / window.tree->sizeHintForRow(0);
  std::string path;
  for (int depth = 1; depth <= 20; ++depth) {
    QTest::keyClick(window.tree, Qt::Key_End);
    QVERIFY(window.tree->verticalScrollBar()->value() > 0);
    QTest::keyClick(window.tree, Qt::Key_Return);
    path += "/sub-39";
    QCOMPARE(window.tree->Value(), path);
    const QModelIndex opened = window.tree->currentIndex();
    QVERIFY(InView(*window.tree, opened));
    QVERIFY(InView(*window.tree, opened.parent()));
    // The chain, and two of the listing below it, as long as they fit.
    if (depth + 3 <= rows) QCOMPARE(window.tree->verticalScrollBar()->value(), 0);
  }
}

void FolderTreeViewTest::theSelectedNodeIsAlwaysInView_data() {
  QTest::addColumn<QString>("stem");
  QTest::newRow("short names") << "d";
  QTest::newRow("long names") << "a folder with a rather long name, level ";
  QTest::newRow("wide characters") << "第一部分的文件夹";
}

void FolderTreeViewTest::theSelectedNodeIsAlwaysInView() {
  QFETCH(QString, stem);
  const std::string name = stem.toStdString();
  Window window(name);
  window.tree->setFocus();
  for (int level : {0, 1, 3, 8, 13, kDepth}) {
    window.tree->SetPath(PathTo(level, name));
    const QModelIndex opened = window.tree->currentIndex();
    QCOMPARE(Current(*window.tree),
             level == 0 ? QStringLiteral("/") : QString::fromStdString(Nested(level, name)));
    QVERIFY2(InView(*window.tree, opened), qPrintable(QString::number(level)));
    // The opened folder's ancestors: all of them where the view has room.
    const int rows = window.tree->viewport()->height() / window.tree->sizeHintForRow(0);
    if (level + 1 < rows) {
      QCOMPARE(window.tree->verticalScrollBar()->value(), 0);
    } else {
      QVERIFY(window.tree->visualRect(opened.parent()).top() >= 0);
    }
  }
  // Deep down, the tree scrolls sideways; every key keeps the new selection in view.
  QVERIFY(window.tree->horizontalScrollBar()->maximum() > 0);
  for (int key : {Qt::Key_Home, Qt::Key_End, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Down}) {
    QTest::keyClick(window.tree, static_cast<Qt::Key>(key));
    QVERIFY2(InView(*window.tree, window.tree->currentIndex()), qPrintable(Current(*window.tree)));
  }
}

QTEST_MAIN(FolderTreeViewTest)
#include "folder_tree_view_test.moc"
