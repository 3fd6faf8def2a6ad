#pragma once
// The files of a folder with their bytes, so that what the desktop wrote can be compared
// with what morvane-cli writes for the same operation.

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <QDir>
#include <QFileInfo>

namespace morvane::testing {

inline std::map<std::string, std::string> ReadFolder(const QString& folder) {
  std::map<std::string, std::string> files;
  for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name)) {
    std::ifstream in(info.filePath().toStdString(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[info.fileName().toStdString()] = bytes.str();
  }
  return files;
}

}  // namespace morvane::testing
