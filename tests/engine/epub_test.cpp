// SPDX-License-Identifier: MIT
// The book: chapters rendered as XHTML, the container read back as a reader would, and,
// where it is installed, epubcheck's verdict on the books of several encodings.

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/digest.h"
#include "core/encoding.h"
#include "engine/chapter_map.h"
#include "engine/cover_image.h"
#include "engine/epub_book.h"
#include "engine/epub_writing.h"
#include "engine/messages.h"
#include "run_program.h"
#include "test_files.h"
#include "zip_entries.h"

namespace morvane::testing {
namespace {

std::u16string U16(std::string_view utf8) {
  return Decode(Encoding::kUtf8, utf8).text;
}

std::string Bytes(Encoding encoding, std::string_view utf8) {
  return Encode(encoding, U16(utf8)).bytes;
}

std::string Utf8(std::u16string_view text) {
  return Encode(Encoding::kUtf8, text).bytes;
}

std::string Unescaped(std::string text) {
  for (const auto& [from, to] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; ++at) {
      text.replace(at, std::string_view(from).size(), to);
    }
  }
  return text;
}

// The text of each paragraph and heading of an XHTML page, in order.
std::vector<std::string> Blocks(const std::string& page) {
  std::vector<std::string> blocks;
  std::size_t at = page.find("<body>");
  while ((at = page.find('<', at + 1)) != std::string::npos) {
    const std::string_view tag = std::string_view(page).substr(at + 1, 3);
    if (!tag.starts_with("p") && !tag.starts_with("h1") && !tag.starts_with("h2")) continue;
    if (tag.starts_with("p") && tag[1] != '>' && tag[1] != ' ') continue;
    const std::size_t open = page.find('>', at) + 1;
    const std::size_t close = page.find("</", open);
    blocks.push_back(Unescaped(page.substr(open, close - open)));
    at = close;
  }
  return blocks;
}

// A chapter map of text with one chapter from its start.
ChapterMap OneChapter(Encoding encoding, std::string bytes) {
  ChapterMap map;
  map.text = ByteText::Copy(bytes);
  map.encoding = encoding;
  map.entries = {ChapterEntry(0)};
  return map;
}

std::vector<std::string> Rendered(const ChapterMap& map) {
  std::vector<std::string> pages;
  const BookSection section{0, map.textBytes(), 0, 0, -1};
  RenderSection(map, section, u"T", [&](std::string&& page) { pages.push_back(page); });
  return pages;
}

std::string Body(const std::string& page) {
  const std::size_t begin = page.find("<body>\n") + 7;
  return page.substr(begin, page.find("</body>") - begin);
}

TEST(EpubPages, OneParagraphPerLineWithoutItsIndentation) {
  std::string longHeading = "第三章";
  for (int i = 0; i < 70; ++i) longHeading += "字";
  const struct {
    std::string text;  // GBK
    std::string body;  // UTF-8
  } cases[] = {
      {GbkBytes("第一章 开始\r\n　　正文一。\r\n\r\n  正文二\n正文三\r\t\r\n"),
       "<h2>第一章 开始</h2>\n<p>正文一。</p>\n<p>正文二</p>\n<p class=\"n\">正文三</p>\n"},
      // Escaped; control characters left out; a byte that is no character shown as such.
      {GbkBytes("第二章\r\na<b&c>\x01"
                "d\te\x80"
                "f"),
       "<h2>第二章</h2>\n<p class=\"n\">a&lt;b&amp;c&gt;d\te\xEF\xBF\xBD"
       "f</p>\n"},
      // A heading in a line longer than a title is a paragraph.
      {GbkBytes(longHeading + "\r\n"), "<p class=\"n\">" + longHeading + "</p>\n"},
  };
  for (const auto& each : cases) {
    const std::vector<std::string> pages = Rendered(OneChapter(Encoding::kGbk, each.text));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Body(pages[0]), each.body);
  }
  // Big5 as Windows reads it: a separator line of ═ (A2A4), and C7D3, the private-use
  // character U+F780, which is a character like any other.
  const std::vector<std::string> big5 = Rendered(OneChapter(
      Encoding::kBig5, "\xB2\xC4\xA4\x40\xB3\xB9\r\n\xA2\xA4\xA2\xA4\xA2\xA4\xC7\xD3\r\n"));
  ASSERT_EQ(big5.size(), 1u);
  EXPECT_EQ(Body(big5[0]), "<h2>第一章</h2>\n<p class=\"n\">═══\uF780</p>\n");
}

TEST(EpubPages, LargeChaptersSplitBetweenParagraphsElseBetweenCharacters) {
  std::string lines;
  for (int i = 0; i < 8000; ++i)
    lines +=
        "　　第" + std::to_string(i) + "段落落落落落落落落落落落落落落落落落落落落落落落落。\n";
  std::string line = "　　";
  for (int i = 0; i < 200000; ++i) line += i % 7 == 0 ? "a" : "字";
  for (const std::string& text : {lines, line}) {
    const std::vector<std::string> pages = Rendered(OneChapter(Encoding::kUtf8, text));
    EXPECT_GT(pages.size(), 2u);
    std::string joined;
    for (const std::string& page : pages) {
      EXPECT_LE(page.size(), kMostFileBytes);
      EXPECT_TRUE(page.ends_with("</p>\n</body>\n</html>\n"));
      for (const std::string& block : Blocks(page)) joined += block + (text == line ? "" : "\n");
    }
    std::string expected;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      expected += text.substr(at + 6, (end == std::string::npos ? text.size() : end) - at - 6);
      if (end == std::string::npos) break;
      expected += "\n";
      at = end + 1;
    }
    EXPECT_EQ(joined, expected);
  }
}

// A cover is decoded whole before it is taken: what only starts like an image is refused,
// with why.
TEST(Covers, DecodedNotSniffed) {
  const std::string png = ReadBytes(MORVANE_TEST_DATA_DIR "/cover.png").value();
  const std::string jpeg = ReadBytes(MORVANE_TEST_DATA_DIR "/cover.jpg").value();
  std::string flipped = png;
  flipped[png.find("IDAT") + 6] ^= 0x55;  // data under the chunk's checksum
  // The description of 10000 by 10001 pixels, with its checksum made again.
  std::string huge = png;
  huge.replace(16, 8, std::string("\0\0\x27\x10\0\0\x27\x11", 8));
  const uLong sum = crc32(0, reinterpret_cast<const Bytef*>(huge.data() + 12), 17);
  for (int k = 0; k < 4; ++k) huge[29 + k] = static_cast<char>(sum >> (24 - 8 * k));
  struct Case {
    const char* name;
    std::string bytes;
    CoverProblem problem;
  };
  const Case cases[] = {
      {"a PNG", png, CoverProblem::kNone},
      {"a JPEG", jpeg, CoverProblem::kNone},
      {"a PNG signature alone", std::string("\x89PNG\r\n\x1A\n", 8), CoverProblem::kCutShort},
      {"a JPEG start and junk", "\xFF\xD8\xFF" + std::string(200, 'x'), CoverProblem::kBadHeader},
      {"a PNG cut short", png.substr(0, png.size() / 2), CoverProblem::kCutShort},
      {"a JPEG cut short", jpeg.substr(0, jpeg.size() - 40), CoverProblem::kCutShort},
      {"a PNG with damaged data", flipped, CoverProblem::kBadData},
      {"a PNG of 10000 by 10001 pixels", huge, CoverProblem::kTooLarge},
      {"text", "cover", CoverProblem::kNotImage},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CoverCheck check = CheckCover(c.bytes);
#ifdef _WIN32
    // The Windows Imaging Component tells some failures apart differently: refused counts.
    EXPECT_EQ(check.ok(), c.problem == CoverProblem::kNone);
#else
    EXPECT_EQ(check.problem, c.problem);
#endif
    if (c.problem == CoverProblem::kNone) continue;
    const std::string said = messages::CoverRefused(PathFromUtf8("封面"), check.problem);
    EXPECT_EQ(said.find_first_of("abdefghijklmnopqrstuvwxyz"), std::string::npos) << said;
  }
}

TEST(EpubBook, DetailsFromTheText) {
  const std::pair<const char*, const char*> authors[] = {
      {"书名：某书\r\n作者：王小明\r\n", "王小明"},
      {"作者: Li Lei  \n正文", "Li Lei"},
      {"《某书》 作者 ： 张三\n", "张三"},
      {"第一章 作者不明\n", ""},
      {"作者：张<三&四\n", "张<三&四"},
  };
  for (const auto& [text, author] : authors) {
    EXPECT_EQ(AuthorOf(Gbk(text), Encoding::kGbk), author) << text;
    EXPECT_EQ(AuthorOf(ByteText::Copy(Bytes(Encoding::kUtf16Le, text)), Encoding::kUtf16Le),
              author);
  }
  std::string far(5000, ' ');
  EXPECT_EQ(AuthorOf(Gbk(far + "作者：远处\n"), Encoding::kGbk), "");

  EXPECT_EQ(ImageKindOf("\xFF\xD8\xFF\xE0rest"), ImageKind::kJpeg);
  EXPECT_EQ(ImageKindOf(std::string_view("\x89PNG\r\n\x1A\n\0\0", 10)), ImageKind::kPng);
  EXPECT_EQ(ImageKindOf("GIF89a"), ImageKind::kNone);
  EXPECT_EQ(ImageKindOf(""), ImageKind::kNone);

  Sha1 sha;
  sha.Update("ab");
  sha.Update("c");
  // FIPS 180's example digest of "abc": a9993e36..., here as a version 5 UUID.
  EXPECT_EQ(BookIdentifier(sha.Finish()), "urn:uuid:a9993e36-4706-516a-ba3e-25717850c26c");
  EXPECT_EQ(W3cTime(0), "1970-01-01T00:00:00Z");
  EXPECT_EQ(W3cTime(1700000000), "2023-11-14T22:13:20Z");
}

// A novel with what a book must get right: text before the first heading, volumes, a
// heading left uncut, indentation, characters to escape, one chapter over 256 KiB.
std::string Novel(int chapters, int volumeEvery, std::size_t largeChapter = 0) {
  std::string text = "书名：测试\r\n作者：王小明\r\n\r\n　　开头的话<&>\r\n";
  for (int c = 1; c <= chapters; ++c) {
    if (volumeEvery > 0 && c % volumeEvery == 1) {
      text += "第" + std::to_string(c / volumeEvery + 1) + "卷 卷名\r\n";
    }
    text += "第" + std::to_string(c) + "章 标题" + std::to_string(c) + "\r\n";
    const int lines = c == static_cast<int>(largeChapter) ? 9000 : 3;
    for (int p = 0; p < lines; ++p) text += "　　天地玄黄，宇宙洪荒。日月盈昃，辰宿列张。\r\n\r\n";
  }
  return text;
}

ChapterPlan AutoPlan(Encoding encoding, const std::string& bytes) {
  ChapterPlan plan;
  plan.rule = *ParseRule("auto");
  plan.map = std::get<ChapterMap>(MapOf(ByteText::Copy(bytes), plan.rule, encoding));
  return plan;
}

TEST(EpubBook, ReadsBackAsTheMapAndTheText) {
  ScratchFolder dir;
  for (const Encoding encoding : kEncodings) {
    const std::string bytes = Bytes(encoding, Novel(40, 10, 7));
    ChapterPlan plan = AutoPlan(encoding, bytes);
    ASSERT_EQ(plan.map.size(), 40u);
    plan.choice.cut.assign(plan.map.size(), true);
    plan.choice.cut[5] = false;  // 第5章 joins 第4章
    BookInfo info;
    info.title = "书";
    info.modified = 1700000000;
    const std::string path = dir / "book.epub";
    ASSERT_TRUE(WriteEpub(PathFromUtf8(path), plan, info).ok);

    const std::string file = ReadBytes(path).value();
    // The media type first, stored, with no extra field.
    EXPECT_EQ(file.substr(26, 4), std::string("\x08\0\0\0", 4));
    EXPECT_EQ(file.substr(8, 2), std::string("\0\0", 2));
    EXPECT_EQ(file.substr(30, 28), "mimetypeapplication/epub+zip");

    const std::vector<ZipEntry> entries = ZipEntries(path);
    for (const ZipEntry& entry : entries) EXPECT_TRUE(entry.crcMatches) << entry.name;
    const std::string nav = *FindEntry(entries, "OEBPS/nav.xhtml");
    std::vector<std::string> labels;
    std::vector<std::string> files;
    for (std::size_t at = 0; (at = nav.find("<a href=\"", at)) != std::string::npos;) {
      at += 9;
      const std::size_t quote = nav.find('"', at);
      std::string href = nav.substr(at, quote - at);
      files.push_back(href.substr(0, href.find('#')));
      EXPECT_NE(FindEntry(entries, "OEBPS/" + files.back()), nullptr) << href;
      const std::size_t end = nav.find("</a>", quote);
      labels.push_back(nav.substr(quote + 2, end - quote - 2));
    }
    std::vector<std::string> expected = {"前言"};
    std::string volume;
    for (std::size_t i = 0; i < plan.map.size(); ++i) {
      if (!plan.choice.cut[i]) continue;
      if (Utf8(plan.map.VolumeTitle(i)) != volume)
        expected.push_back(volume = Utf8(plan.map.VolumeTitle(i)));
      expected.push_back(Utf8(plan.map.Title(i)));
    }
    EXPECT_EQ(labels, expected) << EncodingName(encoding);

    // Every paragraph, in the order of the spine, is the text's line without its
    // indentation.
    const std::string opf = *FindEntry(entries, "OEBPS/content.opf");
    std::string joined;
    std::size_t pages = 0;
    for (std::size_t at = 0; (at = opf.find("<itemref idref=\"c", at)) != std::string::npos;) {
      at += 16;
      const std::string name = opf.substr(at, opf.find('"', at) - at) + ".xhtml";
      for (const std::string& block : Blocks(*FindEntry(entries, "OEBPS/" + name)))
        joined += block + "\n";
      ++pages;
    }
    EXPECT_GT(pages, plan.map.size());  // the large chapter is in several files
    std::string text = Utf8(Decode(encoding, bytes).text);
    std::string lines;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = std::min(text.find("\r\n", at), text.size());
      std::string line = text.substr(at, end - at);
      while (line.starts_with("　")) line.erase(0, 3);
      if (!line.empty()) lines += line + "\n";
      at = end + 2;
    }
    EXPECT_EQ(joined, lines) << EncodingName(encoding);

    // The same book again is the same bytes.
    ASSERT_TRUE(WriteEpub(PathFromUtf8(dir / "again.epub"), plan, info).ok);
    EXPECT_EQ(ReadBytes(dir / "again.epub"), file);
  }
}

// Stopped part-way (the desktop's 取消), or never stopped, the book is all or nothing.
TEST(EpubBook, AStoppedBookLeavesNothing) {
  class StopAfter final : public Progress {
   public:
    explicit StopAfter(int calls) : calls_(calls) {}
    bool Advance(std::int64_t, std::int64_t) override { return --calls_ > 0; }
    bool StopRequested() const override { return calls_ <= 0; }

   private:
    int calls_;
  };
  ScratchFolder dir;
  const std::string bytes = Bytes(Encoding::kGbk, Novel(3000, 100));
  const ChapterPlan plan = AutoPlan(Encoding::kGbk, bytes);
  for (const int calls : {1, 50, 2900}) {
    StopAfter progress(calls);
    BookInfo info;
    info.title = "书";
    EXPECT_FALSE(WriteEpub(dir.at("book.epub"), plan, info, &progress).ok) << calls;
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{}) << calls;
  }
}

#ifndef _WIN32
// One book per test, so that ctest runs the slow checks side by side.
struct Checked {
  const char* name;
  Encoding encoding;
  std::string (*bytes)();
  void (*styled)(BookInfo&) = nullptr;  // the book's style, description and language
};

void PrintTo(const Checked& checked, std::ostream* out) {
  *out << checked.name;
}

class Epubcheck : public ::testing::TestWithParam<Checked> {};

TEST_P(Epubcheck, FindsNothingToReport) {
  const std::string jar = "/usr/share/java/epubcheck.jar";
  if (!std::filesystem::exists(jar) || !std::filesystem::exists("/usr/bin/java")) {
    GTEST_SKIP() << "epubcheck is not installed";
  }
  ScratchFolder dir;
  const Checked& book = GetParam();
  ChapterPlan plan = AutoPlan(book.encoding, book.bytes());
  BookInfo info;
  info.title = book.name;
  info.author = "作者";
  info.modified = 1700000000;
  if (book.styled) book.styled(info);
  const std::string path = dir / (std::string(book.name) + ".epub");
  ASSERT_TRUE(WriteEpub(PathFromUtf8(path), plan, info).ok);
  // epubcheck follows the reading order by recursion, a level per link of the table of
  // contents: 20 000 chapters need a deeper stack than Java's default.
  const ProgramRun run = RunProgram("/usr/bin/java", {"-Xss512m", "-jar", jar, path}, dir.path());
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("No errors or warnings detected"), std::string::npos)
      << run.out << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Books, Epubcheck,
    ::testing::Values(
        Checked{"novella", Encoding::kGbk,
                [] { return ReadBytes(MORVANE_TEST_DATA_DIR "/a-q-zhengzhuan.gbk.txt").value(); }},
        Checked{"volumes", Encoding::kGbk, [] { return Bytes(Encoding::kGbk, Novel(20000, 100)); }},
        Checked{"utf16", Encoding::kUtf16Le,
                [] { return Bytes(Encoding::kUtf16Le, Novel(300, 50, 3)); }},
        Checked{"big5", Encoding::kBig5, [] { return Bytes(Encoding::kBig5, Novel(300, 50)); }},
        Checked{"vertical", Encoding::kGbk, [] { return Bytes(Encoding::kGbk, Novel(300, 50)); },
                [](BookInfo& info) {
                  info.vertical = true;
                  info.language = "zh-Hant";
                  info.description = "一行简介。\n第二行 & <简介>。";
                }},
        Checked{"css", Encoding::kGbk, [] { return Bytes(Encoding::kGbk, Novel(300, 50)); },
                [](BookInfo& info) {
                  info.userStyle = "p { text-indent: 1em; color: #222; }\n";
                  info.language = "zh-Hans";
                }}),
    [](const ::testing::TestParamInfo<Checked>& info) { return std::string(info.param.name); });
#endif

}  // namespace
}  // namespace morvane::testing
