// The save-location window's folder tree (the three ways of opening a node, on a real
// temporary folder tree) and its drive list.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ui/drive_list.h"
#include "ui/folder_tree_model.h"

namespace morvane::ui {
namespace {

namespace fs = std::filesystem;

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
    model_.SetPath(root_.string());
  }
  void TearDown() override { fs::remove_all(root_); }

  FolderNode* Child(FolderNode* node, const std::string& name) {
    for (auto& child : node->children) {
      if (child->name == name) return child.get();
    }
    return nullptr;
  }
  std::vector<std::string> Names(const FolderNode* node) {
    std::vector<std::string> names;
    for (auto& child : node->children) names.push_back(child->name);
    return names;
  }

  fs::path root_;
  FolderTreeModel model_;
};

TEST_F(FolderTreeTest, SettingThePathBuildsTheChainAndListsSubfoldersAlphabetically) {
  EXPECT_EQ(model_.value(), root_.string());
  EXPECT_EQ(model_.root()->name, "/");
  FolderNode* last = model_.selected();
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(model_.PathOf(last), root_.string());
  EXPECT_EQ(Names(last), (std::vector<std::string>{".hidden", "archive", "Books", "Zeta", "卷一"}));
  for (const FolderNode* node = last; node != nullptr; node = node->parent) {
    EXPECT_TRUE(node->opened && node->expanded) << node->name;
  }
}

TEST_F(FolderTreeTest, OpeningFollowsTheThreeCases) {
  FolderNode* top = model_.selected();
  // The node whose subfolders are listed: nothing changes.
  EXPECT_FALSE(model_.Open(top));
  EXPECT_EQ(top->children.size(), 5u);

  // Down into Books, then 2010: siblings go on the way, the value follows.
  FolderNode* books = Child(top, "Books");
  ASSERT_TRUE(model_.Open(books));
  EXPECT_EQ(model_.value(), (root_ / "Books").string());
  EXPECT_EQ(Names(top), (std::vector<std::string>{"Books"}));
  EXPECT_EQ(Names(books), (std::vector<std::string>{"2009", "2010", "Old"}));
  FolderNode* y2010 = Child(books, "2010");
  ASSERT_TRUE(model_.Open(y2010));
  EXPECT_EQ(model_.value(), (root_ / "Books" / "2010").string());
  EXPECT_EQ(Names(books), (std::vector<std::string>{"2010"}));
  EXPECT_TRUE(y2010->children.empty());

  // A second open of the last opened folder (expanded, no children) lists it again:
  // its value stays the same path.
  EXPECT_TRUE(model_.Open(y2010));
  EXPECT_EQ(model_.value(), (root_ / "Books" / "2010").string());

  // Re-opening an ancestor lists its subfolders again.
  ASSERT_TRUE(model_.Open(books));
  EXPECT_EQ(model_.value(), (root_ / "Books").string());
  EXPECT_EQ(Names(books), (std::vector<std::string>{"2009", "2010", "Old"}));
  EXPECT_FALSE(model_.Open(books));

  // The root node joins without doubling the slash.
  ASSERT_TRUE(model_.Open(model_.root()));
  EXPECT_EQ(model_.value(), "/");
  FolderNode* first = model_.root()->children.front().get();
  EXPECT_EQ(model_.PathOf(first), "/" + first->name);
}

TEST_F(FolderTreeTest, AnUnreadableFolderShowsNoSubfolders) {
  model_.SetPath((root_ / "missing").string());
  EXPECT_TRUE(model_.selected()->children.empty());
  EXPECT_EQ(model_.value(), (root_ / "missing").string());
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
