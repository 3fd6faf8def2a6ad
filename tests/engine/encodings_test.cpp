// SPDX-License-Identifier: MIT
// Every operation on a novel and on its copies in the other encodings: read back through
// detection, each copy must give what the GBK text gives, decoded, and cut pieces must
// stay whole characters of their own encoding.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <variant>

#include "core/encoding.h"
#include "core/files.h"
#include "core/gbk.h"
#include "engine/chapter_cutting.h"
#include "engine/merging.h"
#include "engine/messages.h"
#include "engine/size_cutting.h"
#include "engine/whitespace_cleaning.h"
#include "handler_fixture.h"
#include "presenters/encoding_choice.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"
#include "test_files.h"

namespace morvane {
namespace {

struct Copy {
  const char* name;
  Encoding encoding;
  bool bom;
};
const Copy kCopies[] = {
    {"utf-8", Encoding::kUtf8, false},          {"utf-8 bom", Encoding::kUtf8, true},
    {"utf-16le bom", Encoding::kUtf16Le, true}, {"utf-16be bom", Encoding::kUtf16Be, true},
    {"gb18030", Encoding::kGb18030, false},
};

std::u16string Text(const ByteText& bytes, Encoding e) {
  return Decode(e, bytes.view()).text;
}

class Encodings : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto novel =
        testing::ReadBytes(std::string(MORVANE_TEST_DATA_DIR) + "/a-q-zhengzhuan.gbk.txt");
    ASSERT_TRUE(novel) << "tests/data/a-q-zhengzhuan.gbk.txt is missing";
    gbk = ByteText(*novel);
    unicode = Text(gbk, Encoding::kGbk);
  }
  // The copy written to a file and read back as the program reads files.
  TextRead ReadCopy(const Copy& copy) {
    std::string bytes = copy.bom ? std::string(BomOf(copy.encoding)) : std::string();
    bytes += Encode(copy.encoding, unicode).bytes;
    const std::string path = dir / "copy.txt";
    testing::WriteBytes(path, bytes);
    return ReadTextFile(Path(path));
  }

  testing::ScratchFolder dir;
  ByteText gbk;
  std::u16string unicode;
};

TEST_F(Encodings, EveryOperationGivesWhatTheGbkTextGives) {
  const std::vector<int> gbkStarts = FindChapterStarts(gbk);
  ASSERT_EQ(gbkStarts.size(), 10u);
  const ByteText gbkClean = Cleaned(gbk, Encoding::kGbk, {true, true, true});
  for (const Copy& copy : kCopies) {
    SCOPED_TRACE(copy.name);
    const TextRead read = ReadCopy(copy);
    ASSERT_TRUE(read.ok());
    const Encoding e = read.detected.encoding;
    // GB18030 without four-byte characters is GBK to detection; both read it the same.
    EXPECT_EQ(e, copy.encoding == Encoding::kGb18030 ? Encoding::kGbk : copy.encoding);
    EXPECT_EQ(read.detected.bom, copy.bom);
    EXPECT_EQ(Text(read.text, e), unicode);

    // Chapters: the same headings, each chapter the same text.
    const std::vector<int> starts = FindChapterStarts(read.text, e);
    ASSERT_EQ(starts.size(), gbkStarts.size());
    const auto chapters = ChapterTexts(read.text, starts);
    const auto gbkChapters = ChapterTexts(gbk, gbkStarts);
    for (std::size_t k = 0; k < chapters.size(); ++k)
      EXPECT_EQ(Text(chapters[k], e), Text(gbkChapters[k], Encoding::kGbk)) << "chapter " << k;

    // Cuts: whole characters, at most one character longer, joining up to the text.
    for (int pieceBytes : {1, 3, 100, 4096}) {
      std::string joined;
      for (const ByteText& piece : CutPieces(read.text, TextLength(read.text), pieceBytes, e)) {
        EXPECT_EQ(FindUndecodable(e, piece.view()).count, 0u) << "by " << pieceBytes;
        EXPECT_LE(piece.size(), static_cast<std::size_t>(pieceBytes) + 3);
        joined += piece.view();
      }
      EXPECT_EQ(joined, read.text.view());
    }

    // Cleaning: the same text without the same white space.
    EXPECT_EQ(Text(Cleaned(read.text, e, {true, true, true}), e), Text(gbkClean, Encoding::kGbk));
  }
}

// An input's text as the merge writes it: its pieces in the merged file's encoding.
std::string Merged(const MergeInput& input, Encoding to) {
  std::string joined;
  MergedPieces pieces(input.text.view(), input.detected.encoding, to);
  while (const auto piece = pieces.Next()) joined += *piece;
  return joined;
}

// What refuses a merge is found before anything is converted: characters the merged file's
// encoding cannot hold, and bytes that are no character of their own file's encoding (which
// would go into the merged file raw); each at its byte position in its file.
TEST_F(Encodings, MergeTakesTheFirstEncodingAndRefusesWhatItCannotHold) {
  const TextRead utf8 = ReadCopy(kCopies[0]);
  const MergeInput gbkInput{Path("a.txt"), gbk, {Encoding::kGbk, false}};
  const MergeInput utf8Input{Path("b.txt"), utf8.text, utf8.detected};
  const OutputForm form = MergedFormOf(gbkInput, std::nullopt);
  EXPECT_EQ(form.encoding, Encoding::kGbk);
  EXPECT_EQ(form.banner, BannerConstant());
  EXPECT_EQ(Merged(utf8Input, form.encoding), gbk.view());  // transcoded into GBK
  EXPECT_EQ(Merged(gbkInput, Encoding::kUtf8), utf8.text.view());
  EXPECT_EQ(Merged(utf8Input, Encoding::kUtf16Le), Encode(Encoding::kUtf16Le, unicode).bytes);
  const MergeInput withBom{Path("c.txt"), utf8.text, {Encoding::kUtf8, true}};
  EXPECT_EQ(MergedFormOf(withBom, std::nullopt).bom.view(), BomOf(Encoding::kUtf8));

  std::string broken(gbk.view());
  const std::size_t at = BoundaryAtOrAfter(Encoding::kGbk, broken, 1000);
  broken.insert(at, "\xFF\x80");
  struct Case {
    const char* what;
    MergeInput input;
    Encoding to;
    std::string says;  // in the message; empty for no refusal
  };
  const Case cases[] = {
      {"its own encoding",
       {Path("a.txt"), ByteText(broken), {Encoding::kGbk, false}},
       Encoding::kGbk,
       ""},
      {"a character big5 lacks", gbkInput, Encoding::kBig5, "的字符“给”（U+7ED9）不能用Big5保存"},
      {"bytes no gbk character",
       {Path("a.txt"), ByteText(broken), {Encoding::kGbk, false}},
       Encoding::kUtf8,
       "字节" + std::to_string(at + 1) + "处的字节不是GBK字符"},
      {"after a mark",
       {Path("c.txt"), ByteText(std::string(utf8.text.view()) + "\xFF"), {Encoding::kUtf8, true}},
       Encoding::kGbk,
       "不是UTF-8字符"},
      {"a character gbk lacks beyond the first piece",
       {Path("d.txt"),
        ByteText(std::string(3u << 20, 'a') + "\xF0\x9F\x98\x80"),
        {Encoding::kUtf8, false}},
       Encoding::kGbk,
       "字节3145729处的字符"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto refusal = RefuseMergeInput(c.input, c.to);
    ASSERT_EQ(refusal.has_value(), !c.says.empty());
    if (!refusal) continue;
    const std::string& message = refusal->message;
    EXPECT_NE(message.find(c.says), std::string::npos) << ::testing::PrintToString(message);
    EXPECT_NE(message.find(std::string(c.input.path.native())), std::string::npos) << message;
  }
}

TEST_F(Encodings, ABig5NovelIsDetectedAndCutAtItsChapters) {
  // The novella in traditional characters, as a Big5 file would hold it.
  const std::u16string traditional =
      u"第一章　序\r\n　　我要給阿Q做正傳，已經不止一兩年了。但一面要做，一面又往回想，"
      u"這足見我不是一個「立言」的人，因為從來不朽之筆，須傳不朽之人。\r\n"
      u"第二章　優勝記略\r\n　　阿Q不獨是姓名籍貫有些渺茫，連他先前的「行狀」也渺茫。\r\n";
  const std::string big5 = Encode(Encoding::kBig5, traditional).bytes;
  ASSERT_EQ(DetectEncoding(big5), (Detected{Encoding::kBig5, false}));
  const ByteText text(big5);
  const std::vector<int> starts = FindChapterStarts(text, Encoding::kBig5);
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(Text(ChapterTexts(text, starts)[2], Encoding::kBig5).substr(0, 7), u"第二章　優勝記");
  EXPECT_EQ(BannerIn(Encoding::kBig5).size(), 202u);
}

// The encoding lists' handlers: a choice waits for the next file, a read that fails leaves
// the text and the list as they were, and edits in the box are dropped only when the user
// agrees.
class EncodingChoice : public testing::HandlerTest {
 protected:
  EncodingChoice() {
    ui.Bind(names::kSimpleEncodingList, Event::kItemSelected,
            [this] { ChooseSimpleEncoding(ui, state); });
    ui.Bind(names::kNormalEncodingList, Event::kItemSelected,
            [this] { ChooseNormalEncoding(ui, state); });
    ui.Bind(names::kMergeEncodingList[2], Event::kItemSelected,
            [this] { ChooseMergeEncoding(ui, state, 2); });
  }
  static int Item(Encoding e) {
    int index = 1;
    while (kEncodings[index - 1] != e) ++index;
    return index;
  }
};

TEST_F(EncodingChoice, ReadingAgainKeepsWhatItCannotReplace) {
  const std::string utf8 = Encode(Encoding::kUtf8, u"第一章 风起\r\n他走进书房。\r\n").bytes;
  const ByteText path = PutInput("novel.txt", utf8);

  // Chosen before the file is opened: the file is read in it.
  ui.Select(names::kSimpleEncodingList, Item(Encoding::kGbk));
  ui.ChooseFile(names::kSimpleDialog, path);
  OpenForSimpleCut(ui, state);
  EXPECT_EQ(state.cut.simpleEncoding.encoding, Encoding::kGbk);
  EXPECT_EQ(ui.TextEncoding(names::kSimpleText), Encoding::kGbk);
  EXPECT_EQ(ui.ComboItemText(names::kSimpleEncodingList, 0), testing::Gbk("自动"));

  // Back to detection: read again as UTF-8, named in the list.
  ui.Select(names::kSimpleEncodingList, 0);
  EXPECT_EQ(state.cut.simpleEncoding.encoding, Encoding::kUtf8);
  EXPECT_EQ(ui.TextEncoding(names::kSimpleText), Encoding::kUtf8);
  EXPECT_EQ(ui.ComboItemText(names::kSimpleEncodingList, 0), testing::Gbk("自动(UTF-8)"));
  EXPECT_EQ(ui.Text(names::kSimpleText).view(), utf8);

  // An edited box asks; no keeps the edit and the list's choice.
  const ByteText edited = Concat({ui.Text(names::kSimpleText), ByteText("x")});
  ui.Type(names::kSimpleText, edited);
  ui.TakeMessages();
  ui.answers.push_back(kAnswerNo);
  ui.Select(names::kSimpleEncodingList, Item(Encoding::kBig5));
  EXPECT_EQ(OnlyMessage().flags, kYesNo);
  EXPECT_EQ(ui.Text(names::kSimpleText), edited);
  EXPECT_EQ(ui.SelectedIndex(names::kSimpleEncodingList), 0);

  // A file gone since: the message names it, and text and list stay.
  std::filesystem::remove(in / "novel.txt");
  ui.SetText(names::kSimpleText, ui.Text(names::kSimpleText).Slice(0, utf8.size()));
  ui.Select(names::kSimpleEncodingList, Item(Encoding::kBig5));
  EXPECT_EQ(OnlyMessage().caption, messages::WarningCaption());
  EXPECT_EQ(state.cut.simpleEncoding.encoding, Encoding::kUtf8);
  EXPECT_EQ(ui.SelectedIndex(names::kSimpleEncodingList), 0);
  EXPECT_EQ(ui.Text(names::kSimpleText).view(), utf8);
}

// A choice is the file's it was made for: the next file opened on that page (or row) is
// detected again, and the list goes back to 自动.
TEST_F(EncodingChoice, AChoiceEndsWithItsFile) {
  struct Page {
    const char* name;
    FileDialog dialog;
    DropDown list;
    void (*open)(Toolkit&, AppState&);
    const Detected& (*read)(const AppState&);
  };
  const Page pages[] = {
      {"simple", names::kSimpleDialog, names::kSimpleEncodingList, OpenForSimpleCut,
       [](const AppState& s) -> const Detected& { return s.cut.simpleEncoding; }},
      {"normal", names::kNormalDialog, names::kNormalEncodingList, OpenForNormalCut,
       [](const AppState& s) -> const Detected& { return s.cut.normalEncoding; }},
      {"merge row", names::kMergeDialog, names::kMergeEncodingList[2],
       [](Toolkit& ui, AppState& s) { OpenMergeFile(ui, s, 2); },
       [](const AppState& s) -> const Detected& { return s.merge.mergeEncoding[2]; }},
  };
  const std::string utf8 = Encode(Encoding::kUtf8, u"第一章 风起\r\n").bytes;
  for (const Page& page : pages) {
    SCOPED_TRACE(page.name);
    ui.ChooseFile(page.dialog, PutInput("first.txt", utf8));
    page.open(ui, state);
    ui.Select(page.list, Item(Encoding::kBig5));
    EXPECT_EQ(page.read(state).encoding, Encoding::kBig5);

    ui.ChooseFile(page.dialog, PutInput("second.txt", utf8));
    page.open(ui, state);
    EXPECT_EQ(page.read(state).encoding, Encoding::kUtf8);
    EXPECT_EQ(ui.SelectedIndex(page.list), 0);
    EXPECT_EQ(ui.ComboItemText(page.list, 0), testing::Gbk("自动(UTF-8)"));
  }
}

}  // namespace
}  // namespace morvane
