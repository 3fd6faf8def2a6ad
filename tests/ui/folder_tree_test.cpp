// SPDX-License-Identifier: MIT
// The save-location window's folder tree (the three ways of opening a node, on a real
// temporary folder tree) and its drive list.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "ui/drive_list.h"
#include "ui/folder_tree_model.h"

namespace morvane::ui {
namespace {

namespace fs = std::filesystem;

using Node = FolderTreeModel::Node;

class FolderTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("morvane-tree-" + std::to_string(::getpid()));
    fs::remove_all(root_);
    for (const char* folder :
         {"Books/2010", "Books/2009", "Books/Old", "archive", "Zeta", ".hidden", "卷一"}) {
      fs::create_directories(root_ / folder);
    }
    std::ofstream(root_ / "notes.txt") << "a file, not a folder";
    fs::create_directory_symlink(root_ / "Books", root_ / "link");
    fs::create_symlink(root_ / "notes.txt", root_ / "file-link");
    model_.SetPath(root_.string());
  }
  void TearDown() override { fs::remove_all(root_); }

  // The listed subfolder called name.
  Node Listed(const std::string& name) {
    const auto& listing = model_.listing();
    const auto at = std::find(listing.begin(), listing.end(), name);
    EXPECT_NE(at, listing.end()) << name;
    return {model_.chain().size(), at - listing.begin()};
  }
  using Names = std::vector<std::string>;

  fs::path root_;
  FolderTreeModel model_;
};

TEST_F(FolderTreeTest, SettingThePathBuildsTheChainAndListsSubfoldersAlphabetically) {
  EXPECT_EQ(model_.value(), root_.string());
  EXPECT_EQ(model_.chain().front(), "/");
  EXPECT_EQ(model_.PathOf(model_.last()), root_.string());
  // Folders and links to folders, not files.
  EXPECT_EQ(model_.listing(), (Names{".hidden", "archive", "Books", "link", "Zeta", "卷一"}));
}

TEST_F(FolderTreeTest, OpeningFollowsTheThreeCases) {
  const Node top = model_.last();
  // The node whose subfolders are listed: nothing changes.
  EXPECT_FALSE(model_.Open(top));
  EXPECT_EQ(model_.listing().size(), 6u);

  // Down into Books, then 2010: siblings go on the way, the value follows.
  ASSERT_TRUE(model_.Open(Listed("Books")));
  const Node books = model_.last();
  EXPECT_EQ(model_.value(), (root_ / "Books").string());
  EXPECT_EQ(model_.NameOf(books), "Books");
  EXPECT_EQ(model_.listing(), (Names{"2009", "2010", "Old"}));
  ASSERT_TRUE(model_.Open(Listed("2010")));
  EXPECT_EQ(model_.value(), (root_ / "Books" / "2010").string());
  EXPECT_EQ(model_.chain().size(), books.depth + 2);
  EXPECT_TRUE(model_.listing().empty());

  // A second open of the last opened folder (no subfolders) lists it again: its value
  // stays the same path.
  EXPECT_TRUE(model_.Open(model_.last()));
  EXPECT_EQ(model_.value(), (root_ / "Books" / "2010").string());

  // Re-opening an ancestor lists its subfolders again.
  ASSERT_TRUE(model_.Open(books));
  EXPECT_EQ(model_.value(), (root_ / "Books").string());
  EXPECT_EQ(model_.listing(), (Names{"2009", "2010", "Old"}));
  EXPECT_FALSE(model_.Open(books));

  // The root node joins without doubling the slash.
  ASSERT_TRUE(model_.Open(Node{0}));
  EXPECT_EQ(model_.value(), "/");
  ASSERT_FALSE(model_.listing().empty());
  EXPECT_EQ(model_.PathOf({1, 0}), "/" + model_.listing().front());

  // Nodes that are not in the tree open nothing.
  EXPECT_FALSE(model_.Open(Node{5}));
  EXPECT_FALSE(model_.Open(Node{1, static_cast<std::ptrdiff_t>(model_.listing().size())}));
  EXPECT_EQ(model_.value(), "/");
}

TEST_F(FolderTreeTest, AnUnreadableFolderShowsNoSubfolders) {
  model_.SetPath((root_ / "missing").string());
  EXPECT_TRUE(model_.listing().empty());
  EXPECT_EQ(model_.value(), (root_ / "missing").string());
  model_.SetPath("");
  EXPECT_TRUE(model_.empty());
  EXPECT_FALSE(model_.Open(Node{0}));
}

TEST(FolderOrderTest, LettersWithoutCaseThenBytes) {
  const std::pair<const char*, const char*> ordered[] = {
      {"a", "B"},       {"B", "c"},  {"Books", "books"}, {"abc", "ABD"}, {"ab", "Abc"},
      {"Zeta", "卷一"}, {"_x", "a"}, {"9", "A"},         {"aB", "ab"},   {"", "a"},
  };
  for (const auto& [before, after] : ordered) {
    EXPECT_TRUE(FolderTreeModel::Before(before, after)) << before << " < " << after;
    EXPECT_FALSE(FolderTreeModel::Before(after, before)) << after << " !< " << before;
  }
  EXPECT_FALSE(FolderTreeModel::Before("same", "same"));
}

struct DriveCase {
  Volume volume;
  const char* item;  // nullptr: not listed
};

TEST(DriveListTest, EachVolumeGetsItsKindNoteOrIsLeftOut) {
  const DriveCase cases[] = {
      {{"/", "ext4", "", "/dev/sda1"}, "/ （硬盘）"},
      {{"/home", "ext4", "data", "/dev/sda2"}, "/home （硬盘） data"},
      {{"/media/kws/STICK", "vfat", "STICK", "/dev/sdb1"}, "/media/kws/STICK"},
      {{"/run/media/kws/CARD", "exfat", "CARD", "/dev/sdc1"}, "/run/media/kws/CARD"},
      {{"/mnt/usb", "vfat", "", "/dev/sdd1", false, true}, "/mnt/usb"},
      {{"/mnt/nas", "nfs4", "", "nas:/share"}, "/mnt/nas （网络驱动器）"},
      {{"/mnt/smb", "cifs", "", "//pc/share"}, "/mnt/smb （网络驱动器）"},
      {{"/tmp", "tmpfs", "", "tmpfs"}, "/tmp （内存虚拟驱动器）"},
      {{"/media/cdrom", "iso9660", "DISC", "/dev/sr0"}, "/media/cdrom （光驱）"},
      {{"/proc", "proc", "", "proc"}, nullptr},
      {{"/sys/fs/cgroup", "tmpfs", "", "tmpfs"}, nullptr},
      {{"/dev/shm", "tmpfs", "", "tmpfs"}, nullptr},
      {{"/run", "tmpfs", "", "tmpfs"}, nullptr},
      {{"/boot/efi", "vfat", "", "/dev/sda3"}, nullptr},
      {{"/snap/core/1", "squashfs", "", "/dev/loop0"}, nullptr},
      {{"/mnt/tools", "tmpfs", "", "tools", true}, nullptr},
  };
  for (const DriveCase& c : cases) {
    const std::optional<Drive> drive = DriveFor(c.volume);
    if (c.item == nullptr) {
      EXPECT_FALSE(drive.has_value()) << c.volume.mountPoint;
    } else {
      ASSERT_TRUE(drive.has_value()) << c.volume.mountPoint;
      EXPECT_EQ(drive->item, c.item);
      EXPECT_EQ(drive->mountPoint, c.volume.mountPoint);
    }
  }
}

TEST(DriveListTest, TheCurrentDriveIsTheMountHoldingTheFolder) {
  const std::vector<Drive> drives = ListDrives({{"/", "ext4", "", ""},
                                                {"/home", "ext4", "", ""},
                                                {"/home", "ext4", "", ""},
                                                {"/proc", "proc", "", ""}});
  ASSERT_EQ(drives.size(), 2u);  // /home listed once, /proc left out
  EXPECT_EQ(DriveIndexFor(drives, "/home/kws/books"), 1);
  EXPECT_EQ(DriveIndexFor(drives, "/homework"), 0);
  EXPECT_EQ(DriveIndexFor(drives, "/"), 0);
  // A machine whose root is some pseudo file system still offers "/".
  EXPECT_EQ(ListDrives({{"/data", "ext4", "", ""}}).front().mountPoint, "/");
}

}  // namespace
}  // namespace morvane::ui
