// morvane-cli run as a child process against inputs and outputs that go wrong: files too
// large for the program's 32-bit sizes or for memory, folders and vanished paths where
// files are expected, output folders that are gone, full or read-only. Whatever happens,
// the program must end by itself with a failure code and a message that names the file
// or folder, and the output folder must hold only complete files: older files intact,
// no partial output, no temporary file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "sandbox.h"

namespace morvane::testing {
namespace {

const std::string kCli = MORVANE_CLI_PATH;
constexpr std::int64_t k2GiB = std::int64_t{1} << 31;

const std::string& Banner() {
  static const std::string banner = RunProcess({kCli, "banner"}).out;
  return banner;
}

// Neither a crash nor a sanitizer report: the program ended through its own exit.
void ExpectCleanEnd(const ProcessResult& run) {
  EXPECT_TRUE(run.exited) << run.Describe();
  EXPECT_EQ(run.err.find("Sanitizer"), std::string::npos) << run.Describe();
  EXPECT_EQ(run.err.find("runtime error"), std::string::npos) << run.Describe();
}

void ExpectRefused(const ProcessResult& run, const std::string& named) {
  ExpectCleanEnd(run);
  EXPECT_NE(run.exitCode, 0) << run.Describe();
  EXPECT_NE(run.err.find(named), std::string::npos) << "the message should name " << named << "\n"
                                                    << run.Describe();
}

using Files = std::map<std::string, std::string>;

// Every file left in the folder is an older file with its old bytes, or a new file with
// exactly the bytes it should have; every older file is still there, old or replaced
// whole. Anything else is a partial or temporary file.
void ExpectOnlyWholeFiles(const std::string& dir, const Files& older, const Files& wanted) {
  for (const std::string& name : FolderNames(dir)) {
    std::string bytes = ReadBytes(dir + "/" + name).value_or("<unreadable>");
    auto o = older.find(name);
    auto w = wanted.find(name);
    bool isOld = o != older.end() && o->second == bytes;
    bool isWhole = w != wanted.end() && w->second == bytes;
    EXPECT_TRUE(isOld || isWhole) << name << " (" << bytes.size()
                                  << " bytes) is neither an older file nor a whole output";
  }
  for (const auto& [name, bytes] : older)
    EXPECT_TRUE(ReadBytes(dir + "/" + name).has_value()) << "older file " << name << " is gone";
}

void PutFiles(const std::string& dir, const Files& files) {
  for (const auto& [name, bytes] : files) WriteBytes(dir + "/" + name, bytes);
}

// ASCII lines, so that pieces are plain byte ranges.
std::string Lines(std::size_t bytes) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i) text += "line " + std::to_string(i) + " of the text\n";
  text.resize(bytes);
  return text;
}

// The pieces of a cut of ASCII text by n bytes, as prefix-1.txt ... with the banner.
Files Pieces(const std::string& text, std::size_t n, const std::string& prefix) {
  Files files;
  for (std::size_t i = 0; i * n < text.size(); ++i)
    files[prefix + "-" + std::to_string(i + 1) + ".txt"] = text.substr(i * n, n) + Banner();
  return files;
}

// The commands that read an input file, with FILE where the file goes.
std::vector<std::vector<std::string>> ReadingCommands(const std::string& out,
                                                      const std::string& other) {
  return {{"cut", "--bytes", "100", "--out", out, "FILE"},
          {"cut", "--kb", "1", "--out", out, "FILE"},
          {"chapters", "--out", out, "FILE"},
          {"merge", "--out", out, other, "FILE"},
          {"clean", "--spaces", "FILE"}};
}

ProcessResult RunWith(std::vector<std::string> command, const std::string& file,
                      const ChildLimits& limits = {}) {
  command.insert(command.begin(), kCli);
  for (std::string& arg : command)
    if (arg == "FILE") arg = file;
  return RunProcess(command, limits);
}

class CliBadInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ::mkdir(out_.c_str(), 0755);
    WriteBytes(other_, "a small file\n");
  }
  void ExpectRefusedByAll(const std::string& file, const std::string& named) {
    for (const auto& command : ReadingCommands(out_, other_)) {
      SCOPED_TRACE(command[0] + " " + command[1]);
      ProcessResult run = RunWith(command, file);
      ExpectRefused(run, named);
      EXPECT_TRUE(run.out.empty()) << run.Describe();
      EXPECT_TRUE(FolderNames(out_).empty());
    }
  }

  ScratchFolder dir_;
  std::string out_ = dir_ / "out";
  std::string other_ = dir_ / "other.txt";
};

// 2 GiB is one byte more than the sizes hold; 4 GiB + 3 would pass for 3 bytes if a size
// were cut to 32 bits anywhere on the way.
TEST_F(CliBadInput, FilesBeyondThe32BitSizesAreRefusedUnread) {
  for (std::int64_t length : {k2GiB, 2 * k2GiB + 3}) {
    SCOPED_TRACE(length);
    std::string huge = dir_ / "huge.txt";
    MakeSparseFile(huge, length, "abc");
    ExpectRefusedByAll(huge, huge);
  }
}

TEST_F(CliBadInput, AFolderGivenAsFileIsRefused) {
  std::string folder = dir_ / "a-folder.txt";
  ::mkdir(folder.c_str(), 0755);
  ExpectRefusedByAll(folder, folder);
}

TEST_F(CliBadInput, AVanishedFileIsNamed) {
  std::string gone = dir_ / "gone.txt";
  WriteBytes(gone, "text");
  ::unlink(gone.c_str());
  ExpectRefusedByAll(gone, gone);
}

TEST(CliBadOutput, AVanishedOutputFolderIsNamedAndNotRecreated) {
  ScratchFolder dir;
  std::string input = dir / "book.txt";
  WriteBytes(input, Lines(3000));
  std::string out = dir / "out";
  for (auto command : ReadingCommands(out, input)) {
    if (command[0] == "clean") continue;
    SCOPED_TRACE(command[0]);
    ExpectRefused(RunWith(command, input), out);
    EXPECT_FALSE(ReadBytes(out).has_value()) << "the output folder was created";
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"book.txt"});
  }
}

// A write beyond RLIMIT_FSIZE fails with EFBIG as a full disk fails with ENOSPC. Pieces
// of 1024 bytes plus the banner are over the limit, the short last piece is under it.
TEST(CliBadOutput, WritesBeyondTheFileSizeLimitLeaveOnlyWholeFiles) {
  ScratchFolder dir;
  std::string input = dir / "book.txt";
  std::string text = Lines(4 * 1024 + 700);
  WriteBytes(input, text);
  std::string out = dir / "out";
  ::mkdir(out.c_str(), 0755);
  Files older = {{"p-2.txt", "older piece two"}, {"p-9.txt", "older piece nine"}};
  PutFiles(out, older);
  ChildLimits limits;
  limits.fileSize = 1024 + 1;

  Files pieces = Pieces(text, 1024, "p");
  ProcessResult run =
      RunWith({"cut", "--kb", "1", "--prefix", "p", "--out", out, "FILE"}, input, limits);
  ExpectRefused(run, out);
  ExpectOnlyWholeFiles(out, older, pieces);

  Files merged = {{"m已合并.txt", text + text + Banner()}};
  run = RunWith({"merge", "--prefix", "m", "--out", out, input, "FILE"}, input, limits);
  ExpectRefused(run, out);
  ExpectOnlyWholeFiles(out, older, pieces);
  EXPECT_FALSE(ReadBytes(out + "/m已合并.txt").has_value());
}

TEST(CliBadOutput, AFullDiskLeavesOnlyWholeFiles) {
  ScratchFolder dir;
  std::string out = dir / "small-disk";
  ::mkdir(out.c_str(), 0755);
  std::string why;
  if (!MountTmpfs(out, 64 * 1024, &why)) GTEST_SKIP() << "no tmpfs for a full disk: " << why;
  Files older = {{"p-1.txt", "older piece one"}, {"p-20.txt", "older piece twenty"}};
  PutFiles(out, older);
  std::string input = dir / "book.txt";
  std::string text = Lines(200 * 1024);
  WriteBytes(input, text);

  ProcessResult run = RunWith({"cut", "--kb", "16", "--prefix", "p", "--out", out, "FILE"}, input);
  ExpectRefused(run, out);
  ExpectOnlyWholeFiles(out, older, Pieces(text, 16 * 1024, "p"));
  Unmount(out);
}

// Tests run as root, whom file modes do not stop: only a read-only mount does.
TEST(CliBadOutput, AReadOnlyFolderIsNamedAndKeepsItsFiles) {
  ScratchFolder dir;
  std::string out = dir / "read-only";
  ::mkdir(out.c_str(), 0755);
  Files older = {{"p-1.txt", "older piece one"}};
  PutFiles(out, older);
  std::string why;
  if (!MakeReadOnly(out, &why)) GTEST_SKIP() << "no read-only mount: " << why;
  std::string input = dir / "book.txt";
  WriteBytes(input, Lines(3000));

  for (auto command : ReadingCommands(out, input)) {
    if (command[0] == "clean") continue;
    SCOPED_TRACE(command[0]);
    command.insert(command.begin() + 1, {"--prefix", "p"});
    ExpectRefused(RunWith(command, input), out);
    EXPECT_EQ(FolderNames(out), std::vector<std::string>{"p-1.txt"});
    EXPECT_EQ(ReadBytes(out + "/p-1.txt"), older["p-1.txt"]);
  }
  Unmount(out);
}

// The file alone is as large as the whole address space the program may use, so no way
// of reading it can succeed; the program must say so instead of dying.
TEST(CliMemory, AFileTooLargeForMemoryEndsInAMessage) {
  if (kBuiltWithAsan) GTEST_SKIP() << "AddressSanitizer cannot run under RLIMIT_AS";
  ScratchFolder dir;
  constexpr std::size_t kLimit = 256u << 20;
  std::string input = dir / "too-large-for-memory.txt";
  {
    std::string chunk(1u << 20, 'a');
    FILE* f = std::fopen(input.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    for (std::size_t i = 0; i < kLimit / chunk.size(); ++i)
      std::fwrite(chunk.data(), 1, chunk.size(), f);
    std::fclose(f);
  }
  std::string out = dir / "out";
  ::mkdir(out.c_str(), 0755);
  ChildLimits limits;
  limits.addressSpace = kLimit;

  for (auto command : ReadingCommands(out, input)) {
    if (command[0] == "merge") continue;  // its other file is this one too
    SCOPED_TRACE(command[0] + " " + command[1]);
    ProcessResult run = RunWith(command, input, limits);
    ExpectRefused(run, input);
    EXPECT_TRUE(FolderNames(out).empty());
  }
}

// Another program cuts the input short while the cut runs (an editor saving over it in
// place, say). The cut goes on with the text it read, or stops with a message naming
// the file; it must not die.
TEST(CliChangingInput, AnInputCutShortWhileCuttingEndsWithoutACrash) {
  ScratchFolder dir;
  const std::string input = dir / "book.txt";
  const std::string text = Lines(32u << 20);
  WriteBytes(input, text);
  const std::string out = dir / "out";
  ::mkdir(out.c_str(), 0755);

  RunningProcess cli =
      StartProcess({kCli, "cut", "--bytes", "4096", "--prefix", "p", "--out", out, input});
  // Once the first piece is there, the text has been read and the cut is under way.
  for (int i = 0; i < 20000 && FolderNames(out).size() < 2; ++i) ::usleep(100);
  ASSERT_EQ(::truncate(input.c_str(), 1000), 0);
  ProcessResult run = cli.Finish();

  ExpectCleanEnd(run);
  if (run.exitCode == 0) {
    EXPECT_EQ(FolderNames(out).size(), text.size() / 4096);
  } else {
    // Stopped at the first write that found its bytes gone, with the message for it,
    // rather than trying every further piece.
    EXPECT_NE(run.err.find(input), std::string::npos) << run.Describe();
    EXPECT_NE(run.err.find("文件在读取时被截短或改动"), std::string::npos) << run.Describe();
    EXPECT_EQ(run.err.find("没能写入"), std::string::npos) << run.Describe();
  }
  for (const std::string& name : FolderNames(out))
    EXPECT_EQ(name.rfind("p-", 0), 0u) << "a file that is no piece: " << name;
}

// Whether the running process has the unnamed file of its output open: its inputs have been
// read by then.
bool Writing(int pid) {
  std::error_code error;
  for (const auto& fd :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
    const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
    if (target.find("(deleted)") != std::string::npos) return true;
  }
  return false;
}

// One merge input is cut short while the merged file is written (converted, or copied):
// the message names that file and not the untouched one.
TEST(CliChangingInput, AMergeInputCutShortIsNamedAlone) {
  ScratchFolder dir;
  const std::string big = dir / "big.txt";
  const std::string small = dir / "small.txt";
  std::string gbk(64u << 20, 'a');
  for (std::size_t i = 0; i + 1 < gbk.size(); i += 2) gbk.replace(i, 2, "\xB5\xDA");
  WriteBytes(small, "small\r\n");
  const std::string out = dir / "out";
  ::mkdir(out.c_str(), 0755);
  const std::vector<std::string> ways[] = {{"--to", "utf-8"}, {"--encoding", "gbk"}};
  for (const auto& way : ways) {
    SCOPED_TRACE(way[0]);
    WriteBytes(big, gbk);
    std::vector<std::string> argv = {kCli, "merge", "--out", out};
    argv.insert(argv.end(), way.begin(), way.end());
    argv.insert(argv.end(), {big, small});
    RunningProcess cli = StartProcess(argv);
    for (int i = 0; i < 20000 && !Writing(cli.pid); ++i) ::usleep(100);
    ASSERT_EQ(::truncate(big.c_str(), 1000), 0);
    ProcessResult run = cli.Finish();
    ExpectCleanEnd(run);
    if (run.exitCode != 0) {
      EXPECT_NE(run.err.find(big), std::string::npos) << run.Describe();
      EXPECT_EQ(run.err.find(small), std::string::npos) << run.Describe();
      EXPECT_TRUE(FolderNames(out).empty());
    }
    for (const std::string& name : FolderNames(out)) ::unlink((out + "/" + name).c_str());
  }
}

}  // namespace
}  // namespace morvane::testing
