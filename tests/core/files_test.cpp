// SPDX-License-Identifier: MIT
#include "core/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "sanitizers.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;

class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "morvane-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    SetWriteFaults({});
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }

  // A path in the test folder, as the program's path and as the system's name.
  morvane::Path At(std::string_view name) const {
    return morvane::Path((dir_ / std::string(name)).string());
  }
  std::string Native(std::string_view utf8Name) const {
    return (dir_ / std::string(utf8Name)).string();
  }
  void Put(std::string_view name, std::string_view bytes) const {
    std::ofstream(Native(name), std::ios::binary).write(bytes.data(), bytes.size());
  }
  std::string Get(std::string_view name) const {
    std::ifstream in(Native(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(FilesTest, UnopenableFilesGiveZeroAndAReason) {
  EXPECT_EQ(OpenFile(At("missing.txt")), 0);
  EXPECT_EQ(LastOpenError().kind(), ErrorKind::kNotFound);
  EXPECT_EQ(LastOpenError().path, At("missing.txt"));
  EXPECT_EQ(OpenFile(morvane::Path()), 0);
  EXPECT_EQ(OpenFile(morvane::Path(dir_.string())), 0);
  EXPECT_EQ(LastOpenError().kind(), ErrorKind::kIsAFolder);
  EXPECT_EQ(OpenFile(morvane::Path("/dev/null")), 0);
  EXPECT_EQ(LastOpenError().kind(), ErrorKind::kNotRegularFile);

  TextRead read = ReadText(0);
  EXPECT_EQ(read.status, TextRead::Status::kCannotOpen);
  EXPECT_TRUE(read.text.empty());
  EXPECT_EQ(ReadTextFile(At("missing.txt")).status, TextRead::Status::kCannotOpen);
}

TEST_F(FilesTest, ANumberReadsOnce) {
  Put("a.txt", "abc");
  FileNumber file = OpenFile(At("a.txt"));
  ASSERT_NE(file, 0);
  EXPECT_EQ(ReadText(file).text.view(), "abc");
  EXPECT_EQ(ReadText(file).status, TextRead::Status::kCannotOpen);
  EXPECT_EQ(ReadText(file + 1000).status, TextRead::Status::kCannotOpen);
}

TEST_F(FilesTest, ReadOnlyFileReadsNormally) {
  Put("ro.txt",
      "\xB5\xDA"
      "1");
  ::chmod(Native("ro.txt").c_str(), 0444);
  TextRead read = ReadTextFile(At("ro.txt"));
  EXPECT_TRUE(read.ok());
  EXPECT_EQ(read.text.view(),
            "\xB5\xDA"
            "1");
}

TEST_F(FilesTest, EmptyFileIsTheEmptyTextInBothModes) {
  Put("empty.txt", "");
  for (ReadMode mode : {ReadMode::kCopy, ReadMode::kMap}) {
    TextRead read = ReadTextFile(At("empty.txt"), mode);
    EXPECT_TRUE(read.ok());
    EXPECT_TRUE(read.text.empty());
    EXPECT_EQ(read.fileBytes, 0);
    EXPECT_EQ(read.endMark, -1);
    EXPECT_FALSE(read.EndedEarly());
  }
}

TEST_F(FilesTest, FileLargerThanATextIsNotRead) {
  int fd = ::open(Native("big.txt").c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, kMaxTextBytes + 1), 0);  // sparse: costs no disk
  ::close(fd);
  TextRead read = ReadTextFile(At("big.txt"), ReadMode::kMap);
  EXPECT_EQ(read.status, TextRead::Status::kTooLarge);
  EXPECT_EQ(read.fileBytes, kMaxTextBytes + 1);
}

#if !MORVANE_ASAN
// Without memory for the bytes the read fails as a value, not fatally.
void LimitAddressSpace(rlim_t bytes) {
  struct rlimit limit = {bytes, bytes};
  ::setrlimit(RLIMIT_AS, &limit);
}

// Reads the file over and over, keeping every text, until memory runs out.
[[noreturn]] void ReadUntilMemoryRunsOut(const morvane::Path& path) {
  LimitAddressSpace(256 << 20);
  std::vector<TextRead> reads;
  for (int i = 0; i < 8; ++i) {
    reads.push_back(ReadTextFile(path));
    if (reads.back().status == TextRead::Status::kOutOfMemory) std::_Exit(7);
  }
  std::_Exit(1);
}

TEST_F(FilesTest, NoMemoryForTheBytesIsAStatus) {
  Put("m.txt", std::string(64 << 20, 'a'));
  EXPECT_EXIT(ReadUntilMemoryRunsOut(At("m.txt")), testing::ExitedWithCode(7), "");
}
#endif

struct EndingCase {
  std::string bytes;
  std::string text;
  int endMark;
  bool endedEarly;
};

TEST_F(FilesTest, TextEndsAtAMarkStartingACharacter) {
  using namespace std::string_literals;
  const EndingCase cases[] = {
      {"ab\x1A"
       "cd"s,
       "ab", 0x1A, true},
      {"\xA0\x1A"s, "\xA0\x1A", -1, false},  // 0x1A as a second byte
      {"ab\0cd"s, "ab", 0x00, true},
      {"\xFF\xFE"
       "A\0\0\0B\0"s,
       "A\0"s, 0x00, true},                  // UTF-16 "A", a U+0000, "B"
      {"ab\xB5\0cd"s, "ab", 0x00, true},     // the high byte goes too
      {"ab\xB5"s, "ab\xB5", -1, false},      // a lone last byte is kept
      {"ab\x1A\x1A\0"s, "ab", 0x1A, false},  // only padding after the mark
      {"ab\x1A"
       "x"s,
       "ab", 0x1A, true},
      {"\xB5\xB5\x1A"s, "\xB5\xB5", 0x1A, false},
      {"\xB5\xB5\xB5\x1A"
       "c\0"s,
       "\xB5\xB5\xB5\x1A"
       "c",
       0x00, true},
      {"\x1A"s, "", 0x1A, false},
  };
  for (const EndingCase& c : cases) {
    Put("t.txt", c.bytes);
    for (ReadMode mode : {ReadMode::kCopy, ReadMode::kMap}) {
      TextRead read = ReadTextFile(At("t.txt"), mode);
      SCOPED_TRACE(testing::PrintToString(c.bytes) + (mode == ReadMode::kMap ? " mapped" : ""));
      ASSERT_TRUE(read.ok());
      EXPECT_EQ(read.text.view(), c.text);
      EXPECT_EQ(read.endMark, c.endMark);
      EXPECT_EQ(read.EndedEarly(), c.endedEarly);
      EXPECT_EQ(read.fileBytes, static_cast<std::int64_t>(c.bytes.size()));
      const std::size_t bom = read.detected.bom ? BomOf(read.detected.encoding).size() : 0;
      EXPECT_EQ(read.bytesLeftOut, static_cast<std::int64_t>(c.bytes.size() - c.text.size() - bom));
    }
  }
}

// The rule read plainly: walk characters from the start.
std::size_t ReferenceTextEnd(std::string_view b) {
  std::size_t i = 0;
  while (i < b.size()) {
    unsigned char c = b[i];
    if (c == 0x00 || c == 0x1A) return i;
    if (c >= 0x80) {
      if (i + 1 == b.size()) return b.size();
      if (b[i + 1] == '\0') return i;
      i += 2;
    } else {
      i += 1;
    }
  }
  return b.size();
}

TEST(TextEnd, AgreesWithACharacterWalkOnRandomBytes) {
  std::mt19937 rng(99);
  static const char kBytes[] = {'a', '\x1A', '\xB5', '\xDA', '\x80', '\xFF', '\n'};
  for (int round = 0; round < 20000; ++round) {
    std::string s(std::uniform_int_distribution<int>(0, 300)(rng), 'a');
    // Mostly text with few marks, so that long runs reach the fast scan.
    for (char& c : s) {
      int k = std::uniform_int_distribution<int>(0, 99)(rng);
      c = k < 2 ? '\0' : k < 4 ? '\x1A' : kBytes[k % 7 == 1 ? 0 : k % 7];
    }
    ASSERT_EQ(TextEnd(s), ReferenceTextEnd(s)) << testing::PrintToString(s);
  }
}

// The scan in pieces hands over only bytes that are text in whatever encoding the file
// turns out to have, and ends where the scan of the whole ends.
TEST(TextEnd, AWatchedScanHandsOverOnlyTextAndEndsAsTheWholeScan) {
  constexpr std::size_t kPiece = 16u << 20;
  struct Case {
    const char* what;
    std::string planted;
    std::size_t at;
  };
  const Case cases[] = {
      {"no mark", "", kPiece},
      {"a zero just after a piece", std::string(1, '\0'), kPiece},
      {"a high byte and a zero across a piece's end", std::string("\xB5\0", 2), kPiece - 1},
      {"0x1A as a second byte at a piece's end", "\xB5\x1A", kPiece - 1},
      {"a mark where the scan past a piece ends", "\x1A", kPiece + 4096},
      {"a four-byte character across a piece's end", "\x81\x30\x81\x30", kPiece - 2},
      {"zeros of UTF-16 in the second piece", std::string("a\0b\0c\0d\0", 8), kPiece + 100},
      {"a UTF-8 character across a piece's end", "\xE7\xAC\xAC", kPiece - 1},
  };
  for (bool ascii : {false, true}) {
    std::string base(2 * kPiece + 4097, 'a');
    if (!ascii) {
      for (std::size_t i = 0; i + 1 < base.size(); i += 2) base.replace(i, 2, "\xB5\xDA");
    }
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (ascii ? " in ASCII" : " in GBK"));
      std::string bytes = base;
      bytes.replace(c.at, c.planted.size(), c.planted);
      ReadWatch watch;
      const TextExtent watched = LocateTextWatched(bytes, nullptr, watch);
      watch.Finish();
      const TextExtent whole = LocateTextIn(bytes, std::nullopt);
      EXPECT_EQ(watched.detected.encoding, whole.detected.encoding);
      EXPECT_EQ(watched.start, whole.start);
      EXPECT_EQ(watched.end, whole.end);
      const std::string_view certain = watch.WaitBeyond(0).certain;
      EXPECT_LE(certain.size(), whole.end);
      if (!certain.empty()) {
        EXPECT_EQ(certain.data(), bytes.data());
      }
      // Without a mark early on, the first piece goes out before the scan is over.
      if (c.at > kPiece) {
        EXPECT_GE(certain.size(), kPiece);
      }
    }
  }
}

TEST_F(FilesTest, MappedAndCopiedReadsAgreeOnALargeFile) {
  std::string bytes;
  std::mt19937 rng(5);
  for (int i = 0; i < 1 << 20; ++i) bytes.push_back(static_cast<char>(0x81 + rng() % 0x7E));
  bytes[bytes.size() - 7] = '\x1A';
  Put("large.txt", bytes);
  TextRead copied = ReadTextFile(At("large.txt"), ReadMode::kCopy);
  TextRead mapped = ReadTextFile(At("large.txt"), ReadMode::kMap);
  EXPECT_EQ(copied.text, mapped.text);
  EXPECT_EQ(copied.text.size(), TextEnd(bytes));
  EXPECT_EQ(copied.endMark, mapped.endMark);
}

TEST_F(FilesTest, CopiedTextStaysAsTheFileWas) {
  Put("a.txt", "before");
  TextRead read = ReadTextFile(At("a.txt"));
  Put("a.txt", "AFTER!");
  EXPECT_EQ(read.text.view(), "before");
}

TEST_F(FilesTest, WritesCreateAndReplaceWholeFiles) {
  EXPECT_TRUE(WriteWholeFile(At("new.txt"), ""));
  EXPECT_TRUE(fs::exists(Native("new.txt")));
  EXPECT_EQ(fs::file_size(Native("new.txt")), 0u);

  Put("old.txt", "a much longer older content");
  const std::string_view parts[] = {"ab", "", "\xB5\xDA"};
  WriteResult result = WriteFileParts(At("old.txt"), parts);
  EXPECT_TRUE(result.ok) << result.error.code;
  EXPECT_EQ(Get("old.txt"), "ab\xB5\xDA");
  EXPECT_EQ(Names(), (std::vector<std::string>{"new.txt", "old.txt"}));
}

TEST_F(FilesTest, NewFilesFollowTheUmask) {
  mode_t old = ::umask(022);
  EXPECT_TRUE(WriteWholeFile(At("m.txt"), "x"));
  ::umask(old);
  struct stat st;
  ASSERT_EQ(::stat(Native("m.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(FilesTest, ManyPartsAreAllWritten) {
  std::vector<std::string> storage;
  for (int i = 0; i < 3000; ++i) storage.push_back(std::to_string(i) + ",");
  std::vector<std::string_view> parts(storage.begin(), storage.end());
  std::string expected;
  for (const std::string& s : storage) expected += s;
  ASSERT_TRUE(WriteFileParts(At("many.txt"), parts).ok);
  EXPECT_EQ(Get("many.txt"), expected);
}

int shortWriteCalls = 0;

TEST_F(FilesTest, ShortWritesAreResumed) {
  const std::string_view parts[] = {"abcdefg", "h", "ijklmnopq", "", "rs"};
  shortWriteCalls = 0;
  SetWriteFaults({nullptr, [](std::size_t) -> std::size_t {
                    ++shortWriteCalls;
                    return 3;
                  }});
  WriteResult result = WriteFileParts(At("short.txt"), parts);
  SetWriteFaults({});
  ASSERT_TRUE(result.ok) << result.error.code;
  EXPECT_EQ(Get("short.txt"), "abcdefghijklmnopqrs");
  EXPECT_EQ(shortWriteCalls, 7);  // 19 bytes, 3 at a time
}

TEST_F(FilesTest, ALinkAtTheNameGivesWayAndItsTargetStays) {
  Put("target.txt", "old");
  fs::create_symlink(Native("target.txt"), Native("link.txt"));
  ASSERT_TRUE(WriteWholeFile(At("link.txt"), "new"));
  EXPECT_FALSE(fs::is_symlink(Native("link.txt")));
  EXPECT_EQ(Get("link.txt"), "new");
  EXPECT_EQ(Get("target.txt"), "old");
}

TEST_F(FilesTest, FailedWritesLeaveNothingBehind) {
  WriteResult missingFolder =
      WriteFileParts(At("no/such/x.txt"), std::vector<std::string_view>{"x"});
  EXPECT_FALSE(missingFolder.ok);
  EXPECT_EQ(missingFolder.error.kind(), ErrorKind::kNotFound);
  EXPECT_EQ(missingFolder.error.operation, FileOperation::kWrite);
  EXPECT_EQ(missingFolder.error.path, At("no/such/x.txt"));
  EXPECT_FALSE(WriteWholeFile(morvane::Path(), "x"));
  EXPECT_TRUE(Names().empty());

  Put("keep.txt", "older");
  SetWriteFaults({[](std::size_t) { return ENOSPC; }, nullptr});
  WriteResult full = WriteFileParts(At("keep.txt"), std::vector<std::string_view>{"newer"});
  SetWriteFaults({});
  EXPECT_FALSE(full.ok);
  EXPECT_EQ(full.error.kind(), ErrorKind::kNoSpace);
  EXPECT_EQ(Get("keep.txt"), "older");
  EXPECT_EQ(Names(), std::vector<std::string>{"keep.txt"});
}

TEST_F(FilesTest, ANewFileHasNoNameUntilItIsComplete) {
  // While the bytes go out, the folder shows nothing: a run killed half-way leaves no
  // partial file.
  static fs::path folder;
  static bool sawAName;
  folder = dir_;
  sawAName = false;
  SetWriteFaults({[](std::size_t) {
                    sawAName = sawAName || !fs::is_empty(folder);
                    return 0;
                  },
                  nullptr});
  WriteResult result = WriteFileParts(At("new.txt"), std::vector<std::string_view>{"abc", "d"});
  SetWriteFaults({});
  ASSERT_TRUE(result.ok) << result.error.code;
  EXPECT_FALSE(sawAName);
  EXPECT_EQ(Get("new.txt"), "abcd");
}

TEST_F(FilesTest, AFailedNewFileLeavesNothingBehind) {
  for (int error : {ENOSPC, EIO}) {
    static int injected;
    injected = error;
    SetWriteFaults({[](std::size_t) { return injected; }, nullptr});
    WriteResult result = WriteFileParts(At("new.txt"), std::vector<std::string_view>{"abc"});
    SetWriteFaults({});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.category, ErrorCategory::kPosix);
    EXPECT_EQ(result.error.code, error);
    EXPECT_TRUE(Names().empty());
  }
}

TEST_F(FilesTest, NewAndReplacedFilesGetTheSameBytes) {
  const std::string_view parts[] = {"\xB5\xDA", "", "body", "\r\n"};
  ASSERT_TRUE(WriteFileParts(At("fresh.txt"), parts).ok);
  Put("stale.txt", "an older and longer content than the new one");
  ASSERT_TRUE(WriteFileParts(At("stale.txt"), parts).ok);
  EXPECT_EQ(Get("fresh.txt"),
            "\xB5\xDA"
            "body\r\n");
  EXPECT_EQ(Get("stale.txt"), Get("fresh.txt"));
  // No temporary file is left beside either.
  EXPECT_EQ(Names(), (std::vector<std::string>{"fresh.txt", "stale.txt"}));
}

TEST_F(FilesTest, ReadOnlyOrOddTargetsAreRefused) {
  Put("ro.txt", "older");
  ::chmod(Native("ro.txt").c_str(), 0444);
  WriteResult result = WriteFileParts(At("ro.txt"), std::vector<std::string_view>{"x"});
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error.kind(), ErrorKind::kNoPermission);
  EXPECT_EQ(Get("ro.txt"), "older");

  fs::create_directory(Native("sub"));
  EXPECT_FALSE(WriteWholeFile(At("sub"), "x"));
  EXPECT_TRUE(fs::is_directory(Native("sub")));
}

TEST_F(FilesTest, NamesAreTheSystemsBytesUnchanged) {
  // Raw GBK (第一卷-1.txt as an archive from Chinese Windows names it) and UTF-8 alike.
  for (std::string name : {"\xB5\xDA\xD2\xBB\xBE\xED-1.txt", "第一卷-1.txt", "\xB5\xDA.txt"}) {
    ASSERT_TRUE(WriteWholeFile(At(name), name));
    EXPECT_EQ(Get(name), name);
    EXPECT_EQ(ReadTextFile(At(name)).text.view(), name);
  }
  EXPECT_EQ(Names().size(), 3u);
}

}  // namespace
}  // namespace morvane

namespace morvane {
namespace {

class Replacing : public FilesTest {};

TEST_F(Replacing, KeepsThePermissionBitsAndWritesNothingIntoTheOldFile) {
  for (mode_t mode : {0600, 0640, 0755, 0604}) {
    Put("kept.txt", "older");
    ::chmod(Native("kept.txt").c_str(), mode);
    struct stat before;
    ::stat(Native("kept.txt").c_str(), &before);
    ASSERT_TRUE(WriteWholeFile(At("kept.txt"), "newer"));
    struct stat after;
    ::stat(Native("kept.txt").c_str(), &after);
    EXPECT_EQ(after.st_mode & 07777, mode);
    EXPECT_NE(after.st_ino, before.st_ino);  // a new file took the name
    EXPECT_EQ(Get("kept.txt"), "newer");
  }
}

// Names that change between the check and the write: whatever appears at the name when
// the complete file is about to take it, a file being read is never replaced.
std::string raceInput;
std::string raceName;
void (*raceAction)() = nullptr;

TEST_F(Replacing, AFileBeingReadThatAppearsAtTheNameIsNotReplaced) {
  const std::pair<const char*, void (*)()> cases[] = {
      {"a symbolic link", [] { ::symlink(raceInput.c_str(), raceName.c_str()); }},
      {"a hard link", [] { ::link(raceInput.c_str(), raceName.c_str()); }},
      {"an older file turned into a link",
       [] {
         ::unlink(raceName.c_str());
         ::symlink(raceInput.c_str(), raceName.c_str());
       }},
  };
  for (const auto& [what, action] : cases) {
    SCOPED_TRACE(what);
    Put("input.txt", "INPUT");
    if (std::string(what) == "an older file turned into a link") Put("out.txt", "older");
    raceInput = Native("input.txt");
    raceName = Native("out.txt");
    const FileIdentity input = *IdentityOf(At("input.txt"));
    KeepUnchanged(std::span(&input, 1));
    raceAction = action;
    SetWriteFaults({nullptr, nullptr, [] {
                      if (raceAction) std::exchange(raceAction, nullptr)();
                    }});
    const WriteResult result = WriteFileParts(At("out.txt"), std::vector<std::string_view>{"NEW"});
    SetWriteFaults({});
    KeepUnchanged({});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error.kind(), ErrorKind::kReplacesKeptFile);
    EXPECT_EQ(Get("input.txt"), "INPUT");
    EXPECT_EQ(Names(), (std::vector<std::string>{"input.txt", "out.txt"}));
    ::unlink(Native("out.txt").c_str());
  }
}

}  // namespace
}  // namespace morvane
