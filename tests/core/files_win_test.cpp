// SPDX-License-Identifier: MIT
// The file seam on Windows: names reach the W functions whole, writes are whole or
// nothing, what cannot be replaced is refused. Run under Wine on Linux.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "core/files.h"
#include "core/folder_listing.h"
#include "core/path.h"
#include "test_files.h"

namespace morvane::testing {
namespace {

class WindowsFiles : public ::testing::Test {
 protected:
  morvane::Path At(std::string_view utf8Name) const { return dir.at(utf8Name); }
  std::wstring Wide(std::string_view utf8Name) const {
    return FileSystemPath(dir / std::string(utf8Name)).wstring();
  }
  ScratchFolder dir;
};

TEST_F(WindowsFiles, AGbkNameRoundTripsThroughTheWideFunctions) {
  // Created by the system under its UTF-16 name, found by the program's GBK path, and
  // the other way round: both see the one file.
  const std::wstring wide = Wide("第一卷·序.txt");
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "\xB5\xDA", 2, &written, nullptr);
  CloseHandle(file);
  TextRead read = ReadTextFile(At("第一卷·序.txt"));
  ASSERT_TRUE(read.ok()) << read.error.code;
  EXPECT_EQ(read.text.view(), "\xB5\xDA");

  ASSERT_TRUE(WriteWholeFile(At("卷二.txt"), ByteBuffer("x")));
  EXPECT_NE(GetFileAttributesW(Wide("卷二.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"卷二.txt", "第一卷·序.txt"}));
}

TEST_F(WindowsFiles, ReadsAsOnEverySystem) {
  struct Case {
    std::string bytes;
    ReadMode mode;
    std::string text;
  };
  const Case cases[] = {
      {"", ReadMode::kCopy, ""},
      {std::string("ab\0cd", 5), ReadMode::kMap, "ab"},
      {"\xA0\x1A"
       "z\x1A",
       ReadMode::kCopy,
       "\xA0\x1A"
       "z"},
      {std::string(3 << 20, 'q'), ReadMode::kMap, std::string(3 << 20, 'q')},
  };
  for (const Case& c : cases) {
    WriteBytes(dir / "r.txt", c.bytes);
    TextRead read = ReadTextFile(At("r.txt"), c.mode);
    ASSERT_TRUE(read.ok()) << read.error.code;
    EXPECT_EQ(read.text.view(), c.text);
    EXPECT_EQ(read.fileBytes, static_cast<std::int64_t>(c.bytes.size()));
  }
  EXPECT_EQ(ReadTextFile(At("missing.txt")).status, TextRead::Status::kCannotOpen);
  EXPECT_EQ(ReadTextFile(dir.native()).status, TextRead::Status::kCannotOpen);
}

int NoSpace(std::size_t) {
  return ENOSPC;
}

TEST_F(WindowsFiles, WritesWholeOrNotAtAll) {
  // A new file appears complete and visible; an existing one is replaced; neither
  // leaves its temporary behind.
  ASSERT_TRUE(WriteWholeFile(At("n.txt"), ByteBuffer("new")));
  EXPECT_EQ(ReadBytes(dir / "n.txt"), "new");
  EXPECT_FALSE(GetFileAttributesW(Wide("n.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(WriteWholeFile(At("n.txt"), ByteBuffer("newer")));
  EXPECT_EQ(ReadBytes(dir / "n.txt"), "newer");

  // A failed write keeps the older file as it was.
  SetWriteFaults({NoSpace, nullptr});
  std::string_view part = "lost";
  WriteResult full = WriteFileParts(At("n.txt"), std::span<const std::string_view>(&part, 1));
  SetWriteFaults({});
  EXPECT_FALSE(full.ok);
  EXPECT_EQ(ReadBytes(dir / "n.txt"), "newer");
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"n.txt"});
}

TEST_F(WindowsFiles, RefusesWhatCannotBeReplaced) {
  std::filesystem::create_directory(FileSystemPath(dir / "folder.txt"));
  WriteBytes(dir / "ro.txt", "keep");
  SetWritable(dir / "ro.txt", false);
  const std::pair<std::string, int> cases[] = {
      {"folder.txt", EISDIR},
      {"ro.txt", EACCES},
      {"new.txt", 0},
  };
  for (const auto& [name, refusal] : cases) EXPECT_EQ(ReplaceRefusal(At(name)), refusal) << name;
  EXPECT_FALSE(WriteWholeFile(At("ro.txt"), ByteBuffer("x")));
  EXPECT_FALSE(WriteWholeFile(At("gone/x.txt"), ByteBuffer("x")));
  EXPECT_EQ(ReadBytes(dir / "ro.txt"), "keep");
  SetWritable(dir / "ro.txt", true);
  EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"folder.txt", "ro.txt"}));
}

// A file another program holds open keeps its Win32 code up to the message: in use, not a
// missing right.
TEST_F(WindowsFiles, AFileInUseIsSaidToBeInUse) {
  WriteBytes(dir / "held.txt", "older");
  HANDLE held =
      CreateFileW(Wide("held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const WriteResult result = WriteFileParts(At("held.txt"), std::vector<std::string_view>{"x"});
  CloseHandle(held);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error.category, ErrorCategory::kWin32);
  EXPECT_EQ(result.error.kind(), ErrorKind::kInUse) << result.error.code;
  EXPECT_EQ(ReadBytes(dir / "held.txt"), "older");
}

// The folder of a run cannot be renamed away while the run writes
// into it; where the system lets it go all the same (Wine), the run knows it moved.
TEST_F(WindowsFiles, AFolderMovedDuringARunIsKnown) {
  std::filesystem::create_directory(FileSystemPath(dir / "out"));
  ASSERT_EQ(WriteInto(At("out")), 0);
  const bool moved = MoveFileW(Wide("out").c_str(), Wide("moved").c_str());
  EXPECT_EQ(OutputFolderInPlace(), !moved);
  EndWrites();
}

// "z." and "in " are names of their own, beside "z" and "in": the plain form of a path
// would strip the dot or blank and reach the other one. A path beyond 260 characters
// works as any other.
TEST_F(WindowsFiles, NamesAreUsedAsSpeltAndLongPathsWork) {
  const Path dotted = At("z.");
  ASSERT_TRUE(CreateDirectoryW(SystemPath(dotted).c_str(), nullptr));
  std::filesystem::create_directory(FileSystemPath(dir / "z"));
  EXPECT_EQ(FolderRefusal(dotted), 0);
  ASSERT_TRUE(WriteWholeFile(JoinPath(dotted, Path(L"a.txt")), ByteBuffer("dot")));
  EXPECT_TRUE(ListFolder(At("z")).empty());
  EXPECT_EQ(ListFolder(dotted).size(), 1u);
  for (const char* name : {"in.", "in "}) {
    ASSERT_TRUE(WriteWholeFile(At(name), ByteBuffer(name))) << name;
  }
  WriteBytes(dir / "in", "plain");
  for (const char* name : {"in.", "in "}) {
    TextRead read = ReadTextFile(At(name));
    ASSERT_TRUE(read.ok()) << name;
    EXPECT_EQ(read.text.view(), name);
  }

  Path deep = At(std::string(100, 'd'));
  for (int level = 0; level < 3; ++level) {
    ASSERT_TRUE(CreateDirectoryW(SystemPath(deep).c_str(), nullptr));
    deep = JoinPath(deep, Path(std::wstring(100, L'd')));
  }
  ASSERT_GT(deep.native().size(), 300u);
  ASSERT_TRUE(WriteWholeFile(deep, ByteBuffer("deep")));
  TextRead read = ReadTextFile(deep);
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.text.view(), "deep");
  EXPECT_EQ(KindOf(deep), EntryKind::kFile);
  EXPECT_TRUE(RemoveFile(deep));

  // The scratch folder's removal takes the plain form: these go by their exact names.
  RemoveFile(JoinPath(dotted, Path(L"a.txt")));
  RemoveDirectoryW(SystemPath(dotted).c_str());
  RemoveFile(At("in."));
  RemoveFile(At("in "));
}

TEST_F(WindowsFiles, ListsFoldersAndFilesByTheirUnicodeNames) {
  std::filesystem::create_directory(FileSystemPath(dir / "第一卷"));
  WriteBytes(dir / "序章.txt", "x");
  const auto names = [](const std::vector<FolderEntry>& entries) {
    std::vector<std::pair<std::string, bool>> shown;
    for (const FolderEntry& entry : entries)
      shown.emplace_back(DisplayName(entry.name), entry.folder);
    std::sort(shown.begin(), shown.end());
    return shown;
  };
  using Listed = std::vector<std::pair<std::string, bool>>;
  EXPECT_EQ(names(ListFolder(dir.native())), (Listed{{"序章.txt", false}, {"第一卷", true}}));
  EXPECT_EQ(names(ListFolder(dir.native(), true)), (Listed{{"第一卷", true}}));
  EXPECT_TRUE(ListFolder(At("gone")).empty());
  const std::pair<std::string, EntryKind> kinds[] = {{"第一卷", EntryKind::kFolder},
                                                     {"序章.txt", EntryKind::kFile},
                                                     {"gone", EntryKind::kMissing}};
  for (const auto& [name, kind] : kinds) EXPECT_EQ(KindOf(At(name)), kind) << name;
}

}  // namespace
}  // namespace morvane::testing
