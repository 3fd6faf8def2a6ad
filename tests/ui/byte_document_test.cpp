// SPDX-License-Identifier: MIT
// The edit box's document without Qt: edits, undo and redo, stepping by the characters
// of each encoding, and the bound on what undo keeps.
#include "ui/byte_document.h"

#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace morvane::ui {
namespace {

using namespace std::string_literals;

struct Case {
  const char* name;
  Encoding encoding;
  std::string start;
  std::function<void(ByteDocument&)> act;
  std::string bytes;  // held afterwards
  std::size_t cursor;
  std::size_t undoBytes = std::string::npos;  // npos: not checked
};

void Type(ByteDocument& doc, std::string_view bytes) {
  doc.ReplaceSelection(std::string(bytes), true);
}

TEST(ByteDocumentTest, EditsUndoAndStepping) {
  const std::string big(1000, 'x');
  const Case cases[] = {
      {"typing one run is one step", Encoding::kGbk, "",
       [](ByteDocument& d) {
         Type(d, "ab");
         Type(d, "\xB5\xDA");
         d.Undo();
       },
       "", 0},
      {"redo after undo", Encoding::kGbk, "xy",
       [](ByteDocument& d) {
         d.MoveCursor(1, false);
         Type(d, "ab");
         d.Undo();
         d.Redo();
       },
       "xaby", 3},
      {"an edit drops the redo steps", Encoding::kGbk, "xy",
       [](ByteDocument& d) {
         d.MoveCursor(2, false);
         Type(d, "a");
         d.Undo();
         d.ReplaceSelection("b", false);
         EXPECT_FALSE(d.Redo());
       },
       "xyb", 3},
      {"undo restores the selection", Encoding::kGbk, "abcd",
       [](ByteDocument& d) {
         d.Select(1, 3);
         d.ReplaceSelection({}, false);
         d.Undo();
         EXPECT_EQ(d.Anchor(), 1U);
       },
       "abcd", 3},
      {"backspace takes back a typed trail byte alone", Encoding::kGbk, "\x81",
       [](ByteDocument& d) {
         d.MoveCursor(1, false);
         Type(d, "A");  // now pairs with the stray lead byte
         d.Backspace();
       },
       "\x81", 1},
      {"backspace after moving takes the whole character", Encoding::kGbk, "a\xB5\xDA\r\n",
       [](ByteDocument& d) {
         d.MoveCursor(5, false);
         d.Backspace();
         d.Backspace();
       },
       "a", 1},
      {"a position inside a GBK pair goes back to its start", Encoding::kGbk,
       "a\xB5\xDA"
       "b",
       [](ByteDocument& d) { d.MoveCursor(2, false); },
       "a\xB5\xDA"
       "b",
       1},
      {"UTF-8 steps whole sequences", Encoding::kUtf8,
       "a\xE4\xB8\xAD"
       "b",
       [](ByteDocument& d) {
         d.MoveCursor(d.NextUnit(1), false);
         EXPECT_EQ(d.PreviousUnit(4), 1U);
         d.Backspace();
       },
       "ab", 1},
      {"UTF-16 steps a surrogate pair and a CR LF as one", Encoding::kUtf16Le,
       "a\0\x3D\xD8\x00\xDE\r\0\n\0b\0"s,
       [](ByteDocument& d) {
         EXPECT_EQ(d.NextUnit(2), 6U);
         EXPECT_EQ(d.NextUnit(6), 10U);
         d.MoveCursor(5, false);
         d.DeleteForward();
       },
       "a\0\r\0\n\0b\0"s, 2},
      {"GB18030 steps four-byte characters", Encoding::kGb18030, "\x81\x30\x81\x30x",
       [](ByteDocument& d) {
         d.MoveCursor(3, false);
         d.DeleteForward();
       },
       "x", 0},
      {"keys type ASCII in the text's encoding", Encoding::kUtf16Be, "",
       [](ByteDocument& d) { d.ReplaceSelection(d.Ascii("\r\n"), false); }, "\0\r\0\n"s, 4},
      {"a zero byte ends the text outside UTF-16", Encoding::kGbk, "ab",
       [](ByteDocument& d) {
         d.MoveCursor(1, false);
         Type(d, "\0"s);
         EXPECT_EQ(d.Length(), 1U);
         EXPECT_EQ(d.Bytes().view(), "a");
       },
       "a\0b"s, 2},
      {"words: letters and digits together", Encoding::kGbk, "ab_1 \xB5\xDA",
       [](ByteDocument& d) {
         EXPECT_EQ(d.NextWordEnd(0), 4U);
         EXPECT_EQ(d.PreviousWordStart(4), 0U);
         EXPECT_EQ(d.WordAround(5), std::make_pair(std::size_t{5}, std::size_t{7}));
         d.MoveCursor(d.WordAround(2).second, false);
       },
       "ab_1 \xB5\xDA", 4},
      {"replacing everything keeps only the changed middle", Encoding::kGbk, "hello world",
       [](ByteDocument& d) { d.ReplaceAll("hello there world"); }, "hello there world", 17, 6},
      {"replacing everything is undone whole", Encoding::kGbk, "a b c",
       [](ByteDocument& d) {
         d.ReplaceAll("abc");
         d.Undo();
       },
       "a b c", 0},
      {"a text of another encoding is undone with its encoding, and redone", Encoding::kGbk,
       "\xB5\xDA",  // 第
       [](ByteDocument& d) {
         d.ReplaceAll("\x2C\x7B"s, Encoding::kUtf16Le);
         EXPECT_EQ(d.TextEncoding(), Encoding::kUtf16Le);
         EXPECT_EQ(d.NextUnit(0), 2U);
         d.Undo();
         EXPECT_EQ(d.TextEncoding(), Encoding::kGbk);
         EXPECT_EQ(d.Bytes().view(), "\xB5\xDA");
         d.Redo();
         EXPECT_EQ(d.TextEncoding(), Encoding::kUtf16Le);
       },
       "\x2C\x7B"s, 2, 4},
      {"the same text again: reported, no step", Encoding::kGbk, "abc",
       [](ByteDocument& d) {
         EXPECT_TRUE(d.ReplaceAll("abc"));
         EXPECT_FALSE(d.CanUndo());
       },
       "abc", 3, 0},
      {"undo drops the oldest steps past its bound", Encoding::kGbk, "",
       [&big](ByteDocument& d) {
         for (int i = 0; i < 5; ++i) d.ReplaceSelection(big, false);  // 1000 bytes a step
         int steps = 0;
         while (d.Undo()) ++steps;
         EXPECT_EQ(steps, 2);
       },
       std::string(3000, 'x'), 3000, 2000},
      {"the newest step is kept even past the bound", Encoding::kGbk, "",
       [&big](ByteDocument& d) {
         d.ReplaceSelection(big + big + big, false);
         EXPECT_TRUE(d.CanUndo());
       },
       std::string(3000, 'x'), 3000, 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ByteDocument doc(2500);
    doc.SetEncoding(c.encoding);
    doc.SetBytes(ByteText::Copy(c.start));
    c.act(doc);
    EXPECT_EQ(doc.View(), c.bytes);
    EXPECT_EQ(doc.Cursor(), c.cursor);
    if (c.undoBytes != std::string::npos) {
      EXPECT_EQ(doc.UndoBytes(), c.undoBytes);
    }
  }
}

}  // namespace
}  // namespace morvane::ui
