// SPDX-License-Identifier: MIT
#include "core/path.h"

#include <gtest/gtest.h>

#include <string>

#include "core/gbk.h"

namespace morvane {
namespace {

struct ShownCase {
  std::string bytes;
  std::string shown;     // DisplayName, UTF-8
  std::string shownGbk;  // DisplayNameGbk, as UTF-8 where GBK holds it
};

TEST(DisplayName, DecodesOnlyToShowAndNeverChangesTheBytes) {
  const ShownCase cases[] = {
      {"/in/第一卷.txt", "/in/第一卷.txt", "/in/第一卷.txt"},                    // UTF-8 as it is
      {"/in/\xB5\xDA\xD2\xBB\xBE\xED.txt", "/in/第一卷.txt", "/in/第一卷.txt"},  // raw GBK
      {"book😀.txt", "book😀.txt", "book\\u{1F600}.txt"},                          // GBK lacks it
      {"dirö", "dirö", "dir\\u{F6}"},
      {"a\xFF"
       "b",
       "a\\xFFb", "a\\xFFb"},            // neither: escaped
      {"书\xFF", "书\\xFF", "书\\xFF"},  // UTF-8 then a stray byte
      {"", "", ""},
  };
  for (const ShownCase& c : cases) {
    const Path path(c.bytes);
    EXPECT_EQ(DisplayName(path), c.shown) << c.bytes;
    EXPECT_EQ(DisplayNameGbk(path), GbkFromUtf8(c.shownGbk)) << c.bytes;
    EXPECT_EQ(path.native(), c.bytes);
  }
}

TEST(PathFromTyped, EncodesForTheFileSystemAndRefusesWhatItCannotHold) {
  // 第一卷 typed in GBK becomes UTF-8; "\x80" (no GBK character) cannot be held.
  const TypedName typed = PathFromTyped(ByteText("\xB5\xDA\xD2\xBB\xBE\xED"));
  EXPECT_TRUE(typed.ok());
  EXPECT_EQ(typed.path.native(), "第一卷");
  const TypedName refused =
      PathFromTyped(ByteText("a\x80"
                             "b\xFF"));
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(refused.unrepresentable, "\\x80\\xFF");
}

TEST(PathParts, AreFoundByTheSeparatorByte) {
  EXPECT_EQ(JoinPath(Path("/"), Path("a")).native(), "/a");
  EXPECT_EQ(JoinPath(Path("/out"), Path("a")).native(), "/out/a");
  EXPECT_EQ(FolderPart(Path("/a")).native(), "/");
  EXPECT_EQ(FolderPart(Path("a")).native(), ".");
  EXPECT_EQ(FolderPart(Path("/x/\xB5\xDA.txt")).native(), "/x");
  EXPECT_TRUE(HasSeparator(Path("sub/a")));
  EXPECT_FALSE(HasSeparator(Path("\x81\x5C")));  // a GBK character with a backslash byte
  EXPECT_EQ(WithSuffix(Path("\xB5"), "已合并.txt").native(),
            "\xB5"
            "已合并.txt");
}

}  // namespace
}  // namespace morvane
