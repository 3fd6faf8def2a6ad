// SPDX-License-Identifier: MIT
// Paths on Windows: UTF-16, "\" between folder and name, drive roots such as "C:\".

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "core/path.h"

namespace morvane {
namespace {

Path W(const wchar_t* text) {
  return Path(std::wstring(text));
}

TEST(WindowsPaths, ComposeWithBackslashesAndKeepDriveRoots) {
  struct Case {
    const wchar_t* folder;
    const wchar_t* name;
    const wchar_t* joined;
  };
  // The folder tree's value for a drive is "C:" without a backslash.
  const Case joins[] = {
      {L"C:", L"a.txt", L"C:\\a.txt"},
      {L"C:\\", L"a.txt", L"C:\\a.txt"},
      {L"C:\\Books", L"卷一-1.txt", L"C:\\Books\\卷一-1.txt"},
      {L"\\\\server\\share", L"a.txt", L"\\\\server\\share\\a.txt"},
  };
  for (const Case& c : joins) EXPECT_EQ(JoinPath(W(c.folder), W(c.name)), W(c.joined)) << c.joined;

  const std::pair<const wchar_t*, const wchar_t*> folders[] = {
      {L"C:\\Books\\a.txt", L"C:\\Books"},
      {L"C:\\a.txt", L"C:\\"},
      {L"C:/in/a.txt", L"C:/in"},
      {L"a.txt", L"."},
  };
  for (const auto& [path, folder] : folders) EXPECT_EQ(FolderPart(W(path)), W(folder)) << path;

  const std::pair<const wchar_t*, const wchar_t*> stems[] = {
      {L"C:\\txt\\第一卷.part.txt", L"第一卷.part"},
      {L"Z:/work/shared/novella.gbk.txt", L"novella.gbk"},
      {L"C:\\in.old\\book", L""},
  };
  for (const auto& [path, stem] : stems) EXPECT_EQ(StemOf(W(path)), W(stem)) << path;

  EXPECT_TRUE(HasSeparator(W(L"sub\\a")));
  EXPECT_TRUE(HasSeparator(W(L"sub/a")));
  EXPECT_FALSE(HasSeparator(W(L"卷一")));
  EXPECT_EQ(WithSuffix(W(L"卷"), "已合并.txt"), W(L"卷已合并.txt"));
  EXPECT_EQ(PathFromUtf8("C:\\书\\a.txt"), W(L"C:\\书\\a.txt"));
}

// What the W functions are given: every name as spelt ("z." stays "z."), in the long form
// that also takes paths beyond 260 characters.
TEST(WindowsPaths, TheSystemGetsTheLongFormWithEveryNameAsSpelt) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\out\\z.", L"\\\\?\\C:\\out\\z."},
      {L"C:/in/in ", L"\\\\?\\C:\\in\\in "},
      {L"C:\\a\\.\\b\\..\\..\\c\\", L"\\\\?\\C:\\c"},
      {L"C:\\..", L"\\\\?\\C:\\"},
      {L"C:\\", L"\\\\?\\C:\\"},
      {L"C:", L"\\\\?\\C:\\"},
      {L"\\\\server\\share\\卷\\..\\a.", L"\\\\?\\UNC\\server\\share\\a."},
      {L"\\\\?\\C:\\x.", L"\\\\?\\C:\\x."},
  };
  for (const auto& [path, system] : cases) EXPECT_EQ(SystemPath(W(path)), system) << path;
  // A relative name is put in the current folder, still as spelt.
  const std::wstring relative = SystemPath(W(L"z."));
  EXPECT_TRUE(relative.starts_with(L"\\\\?\\")) << relative;
  EXPECT_TRUE(relative.ends_with(L"\\z.")) << relative;
}

TEST(WindowsPaths, DeviceNamesAreKnownBeforeTheFirstDot) {
  for (const wchar_t* name : {L"NUL.", L"con.txt", L"AUX.x", L"Com1.-1.txt", L"lpt9", L"PRN .txt",
                              L"C:\\out\\nul.已合并.txt"}) {
    EXPECT_TRUE(IsDeviceName(W(name))) << name;
  }
  for (const wchar_t* name : {L"CON-1.txt", L"COM0.txt", L"COM10.txt", L"nul已合并.txt", L"x.con",
                              L"CONSOLE.txt", L"NUL\\a.txt"}) {
    EXPECT_FALSE(IsDeviceName(W(name))) << name;
  }
}

TEST(WindowsPaths, ShowAndTypeNamesThroughGbk) {
  // A name GBK cannot hold is shown with an escape and never becomes a "?" name.
  EXPECT_EQ(DisplayName(W(L"C:\\书\\😀.txt")), "C:\\书\\😀.txt");
  EXPECT_EQ(DisplayNameGbk(W(L"书😀")), GbkFromUtf8("书\\u{1F600}"));
  const TypedName typed = PathFromTyped(GbkFromUtf8("C:\\第一卷"));
  ASSERT_TRUE(typed.ok());
  EXPECT_EQ(typed.path, W(L"C:\\第一卷"));
  EXPECT_FALSE(PathFromTyped(ByteText("a\x80")).ok());
}

}  // namespace
}  // namespace morvane
