// SPDX-License-Identifier: MIT
#pragma once
// The folders of the operating system itself, where a user's output files do not belong.
// A save location inside one is confirmed by the user before the first file goes there.
//
// POSIX: the root folder itself, and /usr, /bin, /sbin, /lib (and lib32, lib64, libx32),
// /etc, /boot, /proc, /sys and /dev with everything below them. Windows: the Windows folder
// and the Program Files folders, as the system's environment names them.
//
// Windows also has the program's own folder, where the data that travels with the program
// lies (ConversionDataFolder).

#include <string>
#include <string_view>

#include "core/path.h"

namespace morvane {

// Whether the folder is, or lies inside, a system folder: as written, or once its
// symbolic links are resolved (a link in a home folder that leads into /usr counts).
bool IsSystemFolder(const Path& folder);

// Whether path is folder or lies below it, by whole path components: /usr/lib is inside
// /usr, /usrdata is not. Repeated and trailing separators do not count.
bool IsInsideFolder(std::basic_string_view<PathChars::value_type> path,
                    std::basic_string_view<PathChars::value_type> folder);

#ifdef _WIN32
// The folder of the running executable, in its plain form (no \\?\ prefix), without a
// separator at its end; empty when the system does not tell it.
std::wstring ProgramFolder();

// The folder of the traditional/simplified conversion's data on Windows: the configurations
// and dictionaries of OpenCC in the folder `opencc` beside the executable, in UTF-8 with /
// between folders (OpenCC's own form of a file name), without a separator at its end. The
// data is looked for there alone, never in the current folder.
std::string ConversionDataFolder();
#endif

}  // namespace morvane
