// SPDX-License-Identifier: MIT
// The encoding lists of the desktop pages, driven through the real widgets: what a list
// shows for the file opened, reading the file again in another encoding, the simple-cut
// box in the file's encoding, and the merged file's encoding chosen on the merge page.

#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <map>
#include <string>

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/wiring.h"
#include "core/encoding.h"
#include "core/files.h"
#include "core/gbk.h"
#include "engine/banner.h"
#include "presenters/control_names.h"
#include "presenters/state.h"
#include "tests/app/folder_contents.h"
#include "tests/support/desktop_session.h"
#include "tests/ui/modal.h"
#include "ui/byte_text_edit.h"
#include "ui/qt_toolkit.h"
#include "ui/widgets.h"

using morvane::ByteText;
using morvane::Encoding;
using morvane::GbkFromUtf8;
using morvane::testing::ReadFolder;
using morvane::testing::WhenModalOpens;
using morvane::testing::WriteFile;
namespace n = morvane::names;
namespace app = morvane::app;

Q_DECLARE_METATYPE(morvane::Encoding)

namespace {

// A short novel in Unicode: a preface, three chapters, CR LF lines, half-width spaces.
std::u16string Novel() {
  std::u16string text = u"序言：这是一部测试用的小说。\r\n";
  for (const char16_t* number : {u"一", u"二", u"三"}) {
    text.append(u"第").append(number).append(u"章 风起\r\n");
    for (int line = 0; line < 6; ++line) text += u"他走进 书房，翻开那本旧书 book，读了很久。\r\n";
  }
  return text;
}

std::string Bytes(Encoding encoding, std::u16string_view text) {
  return morvane::Encode(encoding, text).bytes;
}

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

class EncodingControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void files_data();
  void cutPageShowsTheEncodingAndReadsAgain_data() { files_data(); }
  void cutPageShowsTheEncodingAndReadsAgain();
  void simpleCutBoxStepsTheFilesCharacters_data() { files_data(); }
  void simpleCutBoxStepsTheFilesCharacters();
  void mergeIntoTheChosenEncoding();

 private:
  QWidget* W(std::string_view name) const { return toolkit_->Widget(name); }
  QComboBox* List(std::string_view name) const { return static_cast<QComboBox*>(W(name)); }
  ByteText Text(morvane::TextControl name) const { return toolkit_->Text(name); }
  void ShowPage(int page) {
    static_cast<morvane::ui::TabControl*>(W(app::kPageTabs))->SetCurrentPage(page);
  }
  // Runs action and confirms every message box it shows; returns their texts.
  QStringList ConfirmingMessages(const std::function<void()>& action);
  void Open(std::string_view button, const QString& path);
  // Picks an item of a drop-down list as a user does.
  void Pick(std::string_view list, int index) {
    ConfirmingMessages([&] {
      List(list)->setCurrentIndex(index);
      emit List(list)->activated(index);
    });
  }
  std::map<std::string, std::string> RunCli(const QStringList& arguments, const QString& out);

  std::unique_ptr<morvane::AppState> state_;
  std::unique_ptr<morvane::ui::QtToolkit> toolkit_;
  QWidget* main_ = nullptr;
  std::unique_ptr<QTemporaryDir> temp_;
  QString output_;
};

void EncodingControlsTest::init() {
  temp_ = std::make_unique<QTemporaryDir>();
  output_ = temp_->filePath(QStringLiteral("out"));
  QDir().mkpath(output_);
  main_ = morvane::testing::StartDesktop(state_, toolkit_);
  QVERIFY(main_ != nullptr);
  state_->cut.saveFolder = morvane::Path(output_.toStdString());
  toolkit_->SetPath(n::kSaveLocationBox, state_->cut.saveFolder);
}

void EncodingControlsTest::cleanup() {
  morvane::testing::StopDesktop(state_, toolkit_);
  temp_.reset();
}

QStringList EncodingControlsTest::ConfirmingMessages(const std::function<void()>& action) {
  return morvane::testing::ConfirmingMessages(action);
}

void EncodingControlsTest::Open(std::string_view button, const QString& path) {
  WhenModalOpens(
      [path](QWidget* widget) { QVERIFY(morvane::testing::AnswerFileDialog(widget, path)); });
  ConfirmingMessages([&] { QTest::mouseClick(W(button), Qt::LeftButton); });
}

std::map<std::string, std::string> EncodingControlsTest::RunCli(const QStringList& arguments,
                                                                const QString& out) {
  return morvane::testing::RunCliInto(arguments, out);
}

// The file's encoding, whether it starts with a byte-order mark, and what the text adds to
// the novel (a character beyond GBK makes a GB18030 file one).
void EncodingControlsTest::files_data() {
  QTest::addColumn<Encoding>("encoding");
  QTest::addColumn<bool>("bom");
  QTest::addColumn<QString>("extra");
  QTest::newRow("utf-8") << Encoding::kUtf8 << false << QString();
  QTest::newRow("utf-16le bom") << Encoding::kUtf16Le << true << QString();
  QTest::newRow("utf-16be bom") << Encoding::kUtf16Be << true << QString();
  QTest::newRow("gb18030") << Encoding::kGb18030 << false << QStringLiteral("𠀀。\r\n");
}

void EncodingControlsTest::cutPageShowsTheEncodingAndReadsAgain() {
  QFETCH(Encoding, encoding);
  QFETCH(bool, bom);
  QFETCH(QString, extra);
  const std::string text = Bytes(encoding, Novel() + extra.toStdU16String());
  const std::string file = (bom ? std::string(morvane::BomOf(encoding)) : "") + text;
  const QString path = temp_->filePath(QStringLiteral("novel.txt"));
  WriteFile(path, file);
  ShowPage(0);
  QComboBox* list = List(n::kNormalEncodingList);
  const QString label = Utf8(morvane::EncodingLabel(encoding));

  Open(n::kNormalOpenButton, path);
  QCOMPARE(list->currentIndex(), 0);
  QCOMPARE(list->currentText(), QStringLiteral("自动(%1)").arg(label));
  QCOMPARE(state_->cut.normalEncoding, (morvane::Detected{encoding, bom}));
  QCOMPARE(state_->cut.normalText.view(), std::string_view(text));

  // Read as GBK: the file's own bytes, the mark included, up to GBK's end of text.
  Pick(n::kNormalEncodingList, 1);
  QCOMPARE(list->currentText(), QStringLiteral("GBK"));
  QCOMPARE(list->itemText(0), QStringLiteral("自动"));
  QCOMPARE(state_->cut.normalEncoding.encoding, Encoding::kGbk);
  QCOMPARE(state_->cut.normalText.view(), std::string_view(file).substr(0, morvane::TextEnd(file)));

  // Back to detection, and the search finds the novel's three headings.
  Pick(n::kNormalEncodingList, 0);
  QCOMPARE(list->currentText(), QStringLiteral("自动(%1)").arg(label));
  QCOMPARE(state_->cut.normalText.view(), std::string_view(text));
  QTest::mouseClick(W(n::kChapterRadio), Qt::LeftButton, {}, QPoint(6, 8));
  ConfirmingMessages([&] { QTest::mouseClick(W(n::kChapterSearchButton), Qt::LeftButton); });
  QCOMPARE(state_->chapterStarts.size(), std::size_t{3});
}

void EncodingControlsTest::simpleCutBoxStepsTheFilesCharacters() {
  QFETCH(Encoding, encoding);
  QFETCH(bool, bom);
  QFETCH(QString, extra);
  const std::u16string novel = Novel() + extra.toStdU16String();
  const std::string text = Bytes(encoding, novel);
  const QString path = temp_->filePath(QStringLiteral("novel.txt"));
  WriteFile(path, (bom ? std::string(morvane::BomOf(encoding)) : "") + text);
  ShowPage(1);
  Open(n::kSimpleOpenButton, path);
  QCOMPARE(List(n::kSimpleEncodingList)->currentText(),
           QStringLiteral("自动(%1)").arg(Utf8(morvane::EncodingLabel(encoding))));

  // The box shows the decoded text and types in the file's encoding.
  auto* box = static_cast<morvane::ui::ByteTextEdit*>(W(n::kSimpleText));
  QCOMPARE(box->ShownLines().front(), QStringLiteral("序言：这是一部测试用的小说。"));
  QVERIFY(main_->grab().save(QStringLiteral(MORVANE_SCREENSHOT_DIR "/encodings-simple-%1.png")
                                 .arg(QLatin1String(QTest::currentDataTag()))));
  box->setFocus();
  QInputMethodEvent typed;
  typed.setCommitString(QStringLiteral("章a"));
  QApplication::sendEvent(box, &typed);
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(Text(n::kSimpleText).view(), Bytes(encoding, u"章a\r\n") + text);
  QTest::keyClick(box, Qt::Key_Left);
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClick(box, Qt::Key_Backspace);
  QCOMPARE(Text(n::kSimpleText).view(), Bytes(encoding, u"\r\n") + text);
  QTest::keyClick(box, Qt::Key_Delete);
  QCOMPARE(Text(n::kSimpleText).view(), std::string_view(text));
  // 去空格 removes the encoding's spaces, not 0x20 bytes inside other characters.
  std::u16string spaceless = novel;
  std::erase(spaceless, u' ');
  ConfirmingMessages([&] { QTest::mouseClick(W(n::kRemoveSpacesButton), Qt::LeftButton); });
  const std::string cleaned = Bytes(encoding, spaceless);
  QCOMPARE(Text(n::kSimpleText).view(), std::string_view(cleaned));

  // Pieces of 7 bytes: none ends inside a character, each decodes, and they rejoin.
  toolkit_->SetText(n::kSimplePieceBytesBox, ByteText("7"));
  ConfirmingMessages([&] { QTest::mouseClick(W(n::kSimpleCutButton), Qt::LeftButton); });
  const std::string bomBytes(bom ? morvane::BomOf(encoding) : "");
  const std::string banner(morvane::BannerIn(encoding).view());
  std::map<int, std::string> pieces;
  for (const auto& [name, bytes] : ReadFolder(output_)) {
    QVERIFY(bytes.starts_with(bomBytes) && bytes.ends_with(banner));
    const int number = std::stoi(name.substr(name.rfind('-') + 1));
    pieces[number] = bytes.substr(bomBytes.size(), bytes.size() - bomBytes.size() - banner.size());
  }
  std::string rejoined;
  for (const auto& [number, piece] : pieces) {
    QVERIFY2(piece.size() <= 7 + 3, std::to_string(number).c_str());
    QCOMPARE(morvane::FindUndecodable(encoding, piece).count, std::size_t{0});
    rejoined += piece;
  }
  QCOMPARE(rejoined, cleaned);
}

void EncodingControlsTest::mergeIntoTheChosenEncoding() {
  const QString gbk = temp_->filePath(QStringLiteral("a.txt"));
  const QString utf8 = temp_->filePath(QStringLiteral("b.txt"));
  WriteFile(gbk, Bytes(Encoding::kGbk, Novel()));
  WriteFile(utf8, Bytes(Encoding::kUtf8, u"后记：完。😀\r\n"));
  ShowPage(2);
  Open(n::kMergeOpenButton[1], gbk);
  Open(n::kMergeOpenButton[2], utf8);
  QCOMPARE(List(n::kMergeEncodingList[1])->currentText(), QStringLiteral("自动(GBK)"));
  QCOMPARE(List(n::kMergeEncodingList[2])->currentText(), QStringLiteral("自动(UTF-8)"));

  // Into the first file's GBK the emoji has no place: refused, with the way out named.
  const QStringList refused =
      ConfirmingMessages([&] { QTest::mouseClick(W(n::kMergeButton), Qt::LeftButton); });
  QCOMPARE(refused.size(), 1);
  QVERIFY2(refused.front().contains(QStringLiteral("UTF-8")), qPrintable(refused.front()));
  QVERIFY(ReadFolder(output_).empty());

  Pick(n::kMergedEncodingList, 3);
  QCOMPARE(List(n::kMergedEncodingList)->currentText(), QStringLiteral("UTF-8"));
  QCOMPARE(state_->merge.mergeTo, std::optional(Encoding::kUtf8));
  ConfirmingMessages([&] { QTest::mouseClick(W(n::kMergeButton), Qt::LeftButton); });
  const auto written = ReadFolder(output_);
  QCOMPARE(written.size(), std::size_t{1});
  QCOMPARE(written, RunCli({"merge", "--to", "utf-8", "--prefix", "a", gbk, utf8},
                           temp_->filePath(QStringLiteral("cli"))));

  // The second row read as GBK instead: the merge takes its bytes as GBK characters.
  Pick(n::kMergeEncodingList[2], 1);
  QCOMPARE(state_->merge.mergeEncoding[2].encoding, Encoding::kGbk);
  QVERIFY(main_->grab().save(QStringLiteral(MORVANE_SCREENSHOT_DIR "/encodings-merge.png")));
}

QTEST_MAIN(EncodingControlsTest)
#include "encoding_controls_test.moc"
