// morvane-cli against hostile names and links: file names that are not what they seem
// once transcoded, outputs that lead back to an input, names that change between the
// check and the write, and the messages such cases end in. One table per mechanism.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/files.h"
#include "sandbox.h"

namespace morvane::testing {
namespace {

const std::string kCli = MORVANE_CLI_PATH;

ProcessResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), kCli);
  return RunProcess(args);
}

// The GBK bytes of 第一卷 and of 第.
const std::string kGbkVolume = "\xB5\xDA\xD2\xBB\xBE\xED";
const std::string kGbkDi = "\xB5\xDA";

struct NameCase {
  const char* what;
  std::function<std::vector<std::string>(const ScratchFolder&)> run;  // set up, give the args
  std::string file;       // the output that must exist, relative to the scratch folder
  std::string startsAs;   // its first bytes
  std::string untouched;  // a file that must keep "PRECIOUS", or ""
};

// Paths are the file system's bytes from the command line to the system call.
TEST(CliNames, AreTheFileSystemsBytesUnchanged) {
  const NameCase cases[] = {
      {"a name GBK lacks is not its '?' look-alike",
       [](const ScratchFolder& d) {
         WriteBytes(d / "book😀.txt", "REAL");
         WriteBytes(d / "book?.txt", "DECOY");
         return std::vector<std::string>{"cut", "--kb", "1", "--out", d.path(), d / "book😀.txt"};
       },
       "book😀-1.txt", "REAL", ""},
      {"an output folder GBK lacks is not its look-alike",
       [](const ScratchFolder& d) {
         ::mkdir((d / "dirö").c_str(), 0755);
         ::mkdir((d / "dir?").c_str(), 0755);
         WriteBytes(d / "dir?/x-1.txt", "PRECIOUS");
         WriteBytes(d / "NOVEL", "novel");
         return std::vector<std::string>{"cut", "--kb",  "100",      "--prefix",
                                         "x",   "--out", d / "dirö", d / "NOVEL"};
       },
       "dirö/x-1.txt", "novel", "dir?/x-1.txt"},
      {"a raw GBK name opens and names its pieces in the same bytes",
       [](const ScratchFolder& d) {
         WriteBytes(d / (kGbkVolume + ".txt"), "VOLUME");
         return std::vector<std::string>{"cut",   "--kb",   "1",
                                         "--out", d.path(), d / (kGbkVolume + ".txt")};
       },
       kGbkVolume + "-1.txt", "VOLUME", ""},
      {"raw GBK 第 is not the UTF-8 第",
       [](const ScratchFolder& d) {
         WriteBytes(d / (kGbkDi + ".txt"), "RAW");
         WriteBytes(d / "第.txt", "PRECIOUS");
         return std::vector<std::string>{"cut",   "--kb",   "1",
                                         "--out", d.path(), d / (kGbkDi + ".txt")};
       },
       kGbkDi + "-1.txt", "RAW", "第.txt"},
      {"a prefix is bytes, the suffix UTF-8",
       [](const ScratchFolder& d) {
         WriteBytes(d / "a.txt", "A");
         return std::vector<std::string>{"merge",  "--prefix",  "\xB5",     "--out",
                                         d.path(), d / "a.txt", d / "a.txt"};
       },
       "\xB5已合并.txt", "AA", ""},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder dir;
    const ProcessResult run = Cli(c.run(dir));
    EXPECT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_TRUE(ReadBytes(dir / c.file).value_or("").starts_with(c.startsAs)) << run.Describe();
    if (!c.untouched.empty()) {
      EXPECT_EQ(ReadBytes(dir / c.untouched), "PRECIOUS");
    }
  }
}

struct LinkCase {
  const char* what;
  // Puts something at the output name out/p-1.txt (or p已合并.txt) that leads to input.
  std::function<bool(const std::string& out, const std::string& input, const std::string& name)>
      place;
};

// An output name that leads to an input in any way is refused before anything is
// written, whatever file system the link and the input are on.
TEST(CliInputs, AreNeverReplacedWhateverTheLinks) {
  const LinkCase cases[] = {
      {"a symbolic link",
       [](const std::string& out, const std::string& input, const std::string& name) {
         return ::symlink(input.c_str(), (out + "/" + name).c_str()) == 0;
       }},
      {"a chain of links",
       [](const std::string& out, const std::string& input, const std::string& name) {
         return ::symlink(input.c_str(), (out + "/hop").c_str()) == 0 &&
                ::symlink((out + "/hop").c_str(), (out + "/" + name).c_str()) == 0;
       }},
      {"a hard link",
       [](const std::string& out, const std::string& input, const std::string& name) {
         return ::link(input.c_str(), (out + "/" + name).c_str()) == 0;
       }},
  };
  const std::string book = "第一章 the input\n";
  for (const LinkCase& c : cases) {
    for (const std::string command : {"cut", "chapters", "merge"}) {
      SCOPED_TRACE(std::string(c.what) + ", " + command);
      ScratchFolder dir;
      const std::string input = dir / "book.txt";
      WriteBytes(input, book);
      std::string out = dir / "out";
      ::mkdir(out.c_str(), 0755);
      // On a file system of its own where the sandbox allows one: a link there leads
      // to another device.
      std::string why;
      const bool ownDevice = std::string(c.what) != "a hard link" && MountTmpfs(out, 1 << 20, &why);
      const std::string name = command == "merge" ? "p已合并.txt"
                               : command == "cut" ? "p-1.txt"
                                                  : "p-0.txt";
      ASSERT_TRUE(c.place(out, input, name));
      std::vector<std::string> args = {command, "--prefix", "p", "--out", out};
      if (command == "cut") args.insert(args.begin() + 1, {"--kb", "1"});
      if (command == "merge") args.push_back(input);
      args.push_back(input);
      const ProcessResult run = Cli(args);
      EXPECT_EQ(run.exitCode, 1) << run.Describe();
      EXPECT_NE(run.err.find("覆盖正在处理的文件"), std::string::npos) << run.Describe();
      EXPECT_EQ(ReadBytes(input), book);
      if (ownDevice) Unmount(out);
    }
  }
}

struct MessageCase {
  const char* what;
  std::function<std::vector<std::string>(const ScratchFolder&)> run;
  std::string says;
};

// Refusals a user can act on, in Chinese, naming what is wrong.
TEST(CliMessages, SayWhatIsWrong) {
  const MessageCase cases[] = {
      {"an empty file is refused by both cuts",
       [](const ScratchFolder& d) {
         WriteBytes(d / "empty.txt", "");
         return std::vector<std::string>{"cut", "--kb", "1", "--out", d.path(), d / "empty.txt"};
       },
       "被分割的文件是空的"},
      {"a folder path too long for the system",
       [](const ScratchFolder& d) {
         WriteBytes(d / "a.txt", "A");
         std::string deep = d.path();
         while (deep.size() <= PATH_MAX) deep += "/" + std::string(200, 'd');
         return std::vector<std::string>{"cut", "--kb", "1", "--out", deep, d / "a.txt"};
       },
       "路径太长"},
      {"a prefix leading into another folder",
       [](const ScratchFolder& d) {
         WriteBytes(d / "a.txt", "A");
         return std::vector<std::string>{"cut", "--kb",  "1",      "--prefix",
                                         "x/y", "--out", d.path(), d / "a.txt"};
       },
       "路径分隔符"},
  };
  for (const MessageCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder dir;
    const ProcessResult run = Cli(c.run(dir));
    EXPECT_EQ(run.exitCode, 1) << run.Describe();
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.Describe();
  }
}

// Temporaries: ours from killed runs go, anything else stays.
TEST(CliTemporaries, StaleOnesOfOursAreRemovedByTheNextRun) {
  ScratchFolder dir;
  WriteBytes(dir / "a.txt", "A");
  const std::vector<std::string> stale = {".a-1.txt.morvane-999999999-AbCd1234.tmp"};
  const std::vector<std::string> kept = {".notes.tmp", ".a-1.txt.morvane-1-AbCd1234.tmp",
                                         ".x.AbCd1234.tmp", ".a-2.txt.AbCd1234.tmp"};
  for (const std::string& name : stale) WriteBytes(dir / name, "stale");
  for (const std::string& name : kept) WriteBytes(dir / name, "kept");
  ASSERT_EQ(Cli({"cut", "--kb", "1", "--out", dir.path(), dir / "a.txt"}).exitCode, 0);
  for (const std::string& name : stale) EXPECT_FALSE(ReadBytes(dir / name)) << name;
  for (const std::string& name : kept) EXPECT_EQ(ReadBytes(dir / name), "kept") << name;
}

// A symbolic link at an output name is replaced as a name: the link gives way, its target
// (a file, a folder, nothing, the link itself) stays as it was, and no two names of the
// run reach one file. Nothing outside the output folder changes.
TEST(CliLinks, AtOutputNamesGiveWayAndTheirTargetsStay) {
  const std::pair<const char*, std::function<void(const ScratchFolder&)>> cases[] = {
      {"two names linked to one file elsewhere",
       [](const ScratchFolder& d) {
         ::symlink((d / "victim.txt").c_str(), (d / "out/a-1.txt").c_str());
         ::symlink((d / "victim.txt").c_str(), (d / "out/a-2.txt").c_str());
       }},
      {"a link to a folder",
       [](const ScratchFolder& d) { ::symlink(d.path().c_str(), (d / "out/a-1.txt").c_str()); }},
      {"a dangling link",
       [](const ScratchFolder& d) {
         ::symlink((d / "made.txt").c_str(), (d / "out/a-2.txt").c_str());
       }},
      {"a link loop",
       [](const ScratchFolder& d) {
         ::symlink((d / "out/a-3.txt").c_str(), (d / "out/a-3.txt").c_str());
       }},
      {"a link to a read-only file",
       [](const ScratchFolder& d) {
         ::chmod((d / "victim.txt").c_str(), 0444);
         ::symlink((d / "victim.txt").c_str(), (d / "out/a-1.txt").c_str());
       }},
  };
  for (const auto& [what, place] : cases) {
    SCOPED_TRACE(what);
    ScratchFolder dir;
    ::mkdir((dir / "out").c_str(), 0755);
    WriteBytes(dir / "a.txt", std::string(3000, 'A'));
    WriteBytes(dir / "victim.txt", "PRECIOUS");
    place(dir);
    const std::vector<std::string> around = FolderNames(dir.path());
    const ProcessResult run = Cli({"cut", "--kb", "1", "--out", dir / "out", dir / "a.txt"});
    EXPECT_EQ(run.exitCode, 0) << run.Describe();
    for (const char* name : {"a-1.txt", "a-2.txt", "a-3.txt"}) {
      struct stat info {};
      ASSERT_EQ(::lstat((dir / "out/" + name).c_str(), &info), 0) << name;
      EXPECT_TRUE(S_ISREG(info.st_mode)) << name;
      EXPECT_TRUE(ReadBytes(dir / "out/" + name).value_or("").starts_with("AAAA")) << name;
    }
    EXPECT_EQ(ReadBytes(dir / "victim.txt"), "PRECIOUS");
    EXPECT_EQ(FolderNames(dir.path()), around);
  }
}

// In a sticky folder a rename over another user's file fails: the check before the
// first write knows it. Needs root to act as two users.
TEST(StickyFolder, AnotherUsersFileCannotBeReplacedAndTheCheckSaysSo) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to play two users";
  ScratchFolder dir;
  const std::string shared = dir / "shared";
  ::mkdir(shared.c_str(), 01777);
  ::chmod(shared.c_str(), 01777);
  ::chmod(dir.path().c_str(), 0755);
  WriteBytes(shared + "/book-2.txt", "THEIRS");
  ::chmod((shared + "/book-2.txt").c_str(), 0666);
  ASSERT_EQ(::chown((shared + "/book-2.txt").c_str(), 12345, 12345), 0);
  for (const bool sticky : {true, false}) {
    ::chmod(shared.c_str(), sticky ? 01777 : 0777);
    const ProcessResult run = RunInChild(
        [&] {
          if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 99;
          return ReplaceRefusal(Path(shared + "/book-2.txt"));
        },
        {});
    EXPECT_EQ(run.exitCode, sticky ? EPERM : 0) << run.Describe();
  }
}

// Ctrl-C or SIGTERM at any moment leaves no temporary behind: 200 writers that replace
// files without pause, each stopped at a random instant.
TEST(Signals, AtRandomMomentsLeaveNoTemporary) {
  ScratchFolder dir;
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> instant(0, 3000);  // microseconds
  for (int run = 0; run < 200; ++run) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      HandleWriteSignals();
      for (int i = 0;; ++i) WriteWholeFile(Path(dir / ("book-" + std::to_string(i % 4))), "NEW");
    }
    ::usleep(static_cast<useconds_t>(instant(random)));
    ::kill(child, run % 3 == 0 ? SIGINT : SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "run " << run;
    for (const std::string& name : FolderNames(dir.path()))
      ASSERT_EQ(name.find(".morvane-"), std::string::npos) << "run " << run << ": " << name;
  }
}

// SIGTERM at the instant a replacement has its temporary name: the old file is whole and
// no temporary is left.
TEST(Signals, RemoveTheTemporaryOfTheReplacementUnderWay) {
  ScratchFolder dir;
  const std::string target = dir / "book-1.txt";
  WriteBytes(target, "OLDER");
  const ProcessResult run = RunInChild(
      [&] {
        HandleWriteSignals();
        SetWriteFaults({nullptr, nullptr, [] { ::raise(SIGTERM); }});
        return WriteWholeFile(Path(target), "NEWER") ? 0 : 1;
      },
      {});
  EXPECT_FALSE(run.exited);
  EXPECT_EQ(run.signal, SIGTERM);
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"book-1.txt"});
  EXPECT_EQ(ReadBytes(target), "OLDER");
}

}  // namespace
}  // namespace morvane::testing
