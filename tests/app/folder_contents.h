// SPDX-License-Identifier: MIT
#pragma once
// The files of a folder with their bytes, so that what the desktop wrote can be compared
// with what morvane-cli writes for the same operation.

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

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

// What morvane-cli writes into out for arguments (plus "--out out").
inline std::map<std::string, std::string> RunCliInto(const QStringList& arguments,
                                                     const QString& out) {
  QDir().mkpath(out);
  QProcess cli;
  cli.start(QStringLiteral(MORVANE_CLI_PATH),
            arguments + QStringList{QStringLiteral("--out"), out});
  cli.waitForFinished(60000);
  return ReadFolder(out);
}

}  // namespace morvane::testing
