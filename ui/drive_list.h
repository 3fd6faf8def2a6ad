// SPDX-License-Identifier: MIT
#pragma once
// The drive list of the save-location window on POSIX: the mounted file systems a user
// would save to (the root, home, removable and network volumes), each with a note for
// its kind and its label, the way the Windows drive list shows drive letters.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::ui {

struct Volume {
  std::string mountPoint;  // native path
  std::string fsType;      // "ext4", "nfs4", "tmpfs", ...
  std::string label;       // volume label, may be empty
  std::string device;      // "/dev/sdb1", ...
  bool readOnly = false;
  bool removable = false;  // the block device says so
};

struct Drive {
  std::string mountPoint;  // native path: the list's value
  std::string item;        // UTF-8: the mount point and its kind note
};

// The list entry for a volume, or nothing for file systems nobody saves to
// (proc, sysfs, cgroups, snap images, mounts under /proc, /sys, /dev, /run, /boot).
std::optional<Drive> DriveFor(const Volume& volume);

// The mounted volumes of this machine, in the order of the mount table.
std::vector<Volume> MountedVolumes();
std::vector<Drive> ListDrives(const std::vector<Volume>& volumes);

// The entry whose mount point holds folder most closely (the current drive); 0 if none.
int DriveIndexFor(const std::vector<Drive>& drives, std::string_view folder);

}  // namespace morvane::ui
