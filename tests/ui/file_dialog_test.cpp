// SPDX-License-Identifier: MIT
// The open-file dialog on names of any bytes: what it lists and shows, and that the file
// chosen reaches the program as the file system's exact bytes, however it was chosen.

#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <string>

#include "core/files.h"
#include "ui/file_dialog.h"

using morvane::Path;
using morvane::ui::OpenFileDialog;

constexpr morvane::ui::FileFilter kTxt[] = {{"txt文本", "*.txt"}};

namespace {

const std::string kGbkName = "\xD6\xD0\xCE\xC4.txt";  // 中文.txt in GBK bytes
const std::string kRawName = "\xFF\xFE.txt";          // neither UTF-8 nor GBK

}  // namespace

class FileDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void listsEveryNameShownDecodedAndMarked();
  void theChosenFileKeepsItsBytes_data();
  void theChosenFileKeepsItsBytes();

 private:
  Path In(const std::string& name) const { return Path(folder_.path().toStdString() + "/" + name); }
  QStringList Shown(OpenFileDialog& dialog) const {
    QStringList shown;
    const QAbstractItemModel* model = dialog.findChild<QListView*>()->model();
    for (int row = 0; row < model->rowCount(); ++row)
      shown << model->index(row, 0).data().toString();
    return shown;
  }

  QTemporaryDir folder_;
};

void FileDialogTest::init() {
  QVERIFY(folder_.isValid());
  for (const std::string& name : {kGbkName, kRawName, std::string("第一卷.txt"),
                                  std::string("BIG.TXT"), std::string("notes.md")}) {
    std::ofstream(In(name).native()) << "text of " << name;
  }
  QDir(folder_.path()).mkpath(QStringLiteral("sub"));
}

void FileDialogTest::listsEveryNameShownDecodedAndMarked() {
  OpenFileDialog dialog(kTxt);
  dialog.SetFolder(Path(folder_.path().toStdString()));
  // Folders first; files that match the pattern, letters without case.
  QCOMPARE(Shown(dialog), (QStringList{"sub", "BIG.TXT", "中文.txt （非UTF-8）", "第一卷.txt",
                                       "\\xFF\\xFE.txt （非UTF-8）"}));
  // A pattern typed as the name filters the list instead.
  dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("*"));
  dialog.accept();
  QVERIFY(Shown(dialog).contains(QStringLiteral("notes.md")));
  QVERIFY(dialog.result() != QDialog::Accepted);
}

void FileDialogTest::theChosenFileKeepsItsBytes_data() {
  QTest::addColumn<QByteArray>("name");
  QTest::addColumn<QString>("how");  // "double-click", "typed" (as shown), "full path"
  for (const std::string& name : {kGbkName, kRawName, std::string("第一卷.txt")}) {
    const QByteArray bytes = QByteArray::fromStdString(name);
    for (const char* how : {"double-click", "typed", "full path"}) {
      if (QString(how) == "full path" && name != "第一卷.txt") continue;  // only UTF-8 can be typed
      QTest::addRow("%s, %s", bytes.toHex().constData(), how) << bytes << QString(how);
    }
  }
}

void FileDialogTest::theChosenFileKeepsItsBytes() {
  QFETCH(QByteArray, name);
  QFETCH(QString, how);
  const Path path = In(name.toStdString());
  OpenFileDialog dialog(kTxt);
  dialog.SetFolder(Path(folder_.path().toStdString()));
  auto* list = dialog.findChild<QListView*>();
  auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  const QString shown = morvane::ui::ShownFileName(Path(name.toStdString()));
  if (how == "double-click") {
    dialog.show();
    const QModelIndexList found = list->model()->match(list->model()->index(0, 0), Qt::DisplayRole,
                                                       shown, 1, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    const QPoint at = list->visualRect(found.front()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  } else {
    box->setText(how == "typed" ? shown : QString::fromStdString(path.native()));
    dialog.accept();
  }
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(dialog.chosen(), path);
  const morvane::TextRead read = morvane::ReadTextFile(dialog.chosen());
  QVERIFY(read.ok());
  QCOMPARE(read.text.view(), "text of " + name.toStdString());
}

QTEST_MAIN(FileDialogTest)
#include "file_dialog_test.moc"
