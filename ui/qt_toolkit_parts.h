// SPDX-License-Identifier: MIT
#pragma once
// What the files of the Qt toolkit share (qt_toolkit.cpp builds windows and controls,
// qt_controls.cpp reads and writes them, qt_dialogs.cpp runs message boxes and file
// dialogs): the record of a control, and the small conversions between our texts and Qt's.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include <QFile>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "core/byte_text.h"
#include "core/path.h"
#include "ui/drive_list.h"
#include "ui/qt_toolkit.h"
#include "ui/text_boundary.h"

namespace morvane::ui {

struct QtToolkit::Control {
  bool isWindow = false;
  Kind kind = Kind::kLabel;
  std::string window;           // the window the control belongs to
  QPointer<QWidget> widget;     // none for a file dialog component
  ByteText caption;             // captions of labels, buttons, frames, pages, windows
  std::vector<ByteText> items;  // drop-down list items
  std::vector<Drive> drives;    // drive list entries
  std::vector<Path> dropped;    // what the last drop brought
};

namespace qt_parts {

[[noreturn]] inline void UnknownControl(std::string_view name) {
  std::fprintf(stderr, "morvane: no control named \"%.*s\"\n", static_cast<int>(name.size()),
               name.data());
  std::abort();
}

inline QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Captions show CR LF as a line break, like a Windows static control.
inline QString CaptionText(const ByteText& bytes) {
  QString text = PlainFromBytes(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

// A message's text (UTF-8) as a message box shows it.
inline QString MessageText(const std::string& utf8) {
  QString text = QString::fromStdString(utf8);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

// A path for Qt's own file classes, which take the file system's bytes through
// QFile::encodeName and decodeName.
inline QString NativeQPath(const Path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

}  // namespace qt_parts
}  // namespace morvane::ui
