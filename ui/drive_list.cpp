// SPDX-License-Identifier: MIT
#include "ui/drive_list.h"

#include <algorithm>
#include <array>
#include <fstream>

#include <QStorageInfo>

namespace morvane::ui {
namespace {

bool IsUnder(std::string_view path, std::string_view folder) {
  if (folder == "/") return !path.empty() && path.front() == '/';
  return path == folder || (path.size() > folder.size() &&
                            path.substr(0, folder.size()) == folder && path[folder.size()] == '/');
}

template <std::size_t N>
bool OneOf(std::string_view value, const std::array<std::string_view, N>& list) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

constexpr std::array<std::string_view, 24> kPseudoFileSystems = {
    "proc",     "sysfs",      "cgroup",    "cgroup2",    "devpts",      "devtmpfs",
    "mqueue",   "debugfs",    "tracefs",   "securityfs", "pstore",      "bpf",
    "configfs", "fusectl",    "hugetlbfs", "autofs",     "binfmt_misc", "squashfs",
    "efivarfs", "rpc_pipefs", "nsfs",      "overlay",    "fuse.portal", "fuse.gvfsd-fuse"};
constexpr std::array<std::string_view, 6> kSystemFolders = {"/proc", "/sys",  "/dev",
                                                            "/run",  "/boot", "/snap"};
constexpr std::array<std::string_view, 10> kNetworkFileSystems = {
    "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p", "davfs", "fuse.davfs2", "afs"};
constexpr std::array<std::string_view, 2> kRamFileSystems = {"tmpfs", "ramfs"};
constexpr std::array<std::string_view, 2> kDiscFileSystems = {"iso9660", "udf"};

bool InRemovableFolder(std::string_view mountPoint) {
  return IsUnder(mountPoint, "/media") || IsUnder(mountPoint, "/run/media");
}

// /sys/class/block/<dev>/removable, or that of the disk a partition belongs to.
bool DeviceIsRemovable(const std::string& device) {
  if (device.rfind("/dev/", 0) != 0) return false;
  const std::string name = device.substr(5);
  for (const std::string& file :
       {"/sys/class/block/" + name + "/removable", "/sys/class/block/" + name + "/../removable"}) {
    std::ifstream in(file);
    int flag = 0;
    if (in >> flag) return flag == 1;
  }
  return false;
}

}  // namespace

std::optional<Drive> DriveFor(const Volume& volume) {
  const std::string& mount = volume.mountPoint;
  if (mount.empty() || mount.front() != '/') return std::nullopt;
  const bool root = mount == "/";
  if (!root) {
    if (OneOf(volume.fsType, kPseudoFileSystems)) return std::nullopt;
    for (std::string_view folder : kSystemFolders) {
      if (IsUnder(mount, folder) && !IsUnder(mount, "/run/media")) return std::nullopt;
    }
    // A read-only RAM disk can take no files (and is some container's plumbing).
    if (OneOf(volume.fsType, kRamFileSystems) && volume.readOnly) return std::nullopt;
  }
  Drive drive{mount, mount};
  if (OneOf(volume.fsType, kNetworkFileSystems)) {
    drive.item += " （网络驱动器）";
  } else if (OneOf(volume.fsType, kDiscFileSystems)) {
    drive.item += " （光驱）";
  } else if (OneOf(volume.fsType, kRamFileSystems)) {
    drive.item += " （内存虚拟驱动器）";
  } else if (volume.removable || InRemovableFolder(mount)) {
    // removable volumes carry no note
  } else {
    drive.item += " （硬盘）";
    if (!volume.label.empty()) drive.item += " " + volume.label;
  }
  return drive;
}

std::vector<Volume> MountedVolumes() {
  std::vector<Volume> volumes;
  for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
    if (!info.isValid()) continue;
    Volume volume;
    volume.mountPoint = info.rootPath().toStdString();
    volume.fsType = info.fileSystemType().toStdString();
    volume.label = info.name().toStdString();
    volume.device = info.device().toStdString();
    volume.readOnly = info.isReadOnly();
    volume.removable = DeviceIsRemovable(volume.device);
    volumes.push_back(std::move(volume));
  }
  return volumes;
}

std::vector<Drive> ListDrives(const std::vector<Volume>& volumes) {
  std::vector<Drive> drives;
  for (const Volume& volume : volumes) {
    std::optional<Drive> drive = DriveFor(volume);
    if (!drive) continue;
    // A file system mounted twice at one place is listed once.
    const bool seen = std::any_of(drives.begin(), drives.end(), [&](const Drive& d) {
      return d.mountPoint == drive->mountPoint;
    });
    if (!seen) drives.push_back(std::move(*drive));
  }
  const bool hasRoot =
      std::any_of(drives.begin(), drives.end(), [](const Drive& d) { return d.mountPoint == "/"; });
  if (!hasRoot) drives.insert(drives.begin(), Drive{"/", "/ （硬盘）"});
  return drives;
}

int DriveIndexFor(const std::vector<Drive>& drives, std::string_view folder) {
  int best = 0;
  std::size_t bestLength = 0;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    const std::string& mount = drives[i].mountPoint;
    if (IsUnder(folder, mount) && mount.size() >= bestLength) {
      best = static_cast<int>(i);
      bestLength = mount.size();
    }
  }
  return best;
}

}  // namespace morvane::ui
