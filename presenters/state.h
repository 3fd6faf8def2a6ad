// SPDX-License-Identifier: MIT
#pragma once
// The state the handlers share: one instance for the whole run, created before the main
// window and released after it (the desktop's start-up owns it: app/desktop.cpp,
// app/desktop_win.cpp).

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "core/byte_text.h"
#include "core/files.h"
#include "core/path.h"

namespace morvane {

struct ChapterPlan;  // engine/chapter_map.h

struct CutSettings {
  Path saveFolder;  // folder last opened in the save-location window
  FileNumber openFileNumber = 0;
  int simplePieceBytes = 0;  // bytes per piece of the simple cut (1 for a box of 0)
  int simpleTextBytes = 0;   // byte length of the simple-cut text at its last refresh
  int normalTextBytes = 0;   // byte length of normalText
  ByteText normalText;       // whole text of the file opened on the cut page
  int normalPieceBytes = 0;  // cut size in K times 1024
  Path normalPath;           // the file normalText was read from (never written to)
  Path simplePath;           // the file last loaded into the simple-cut text (never written to)
  Detected normalEncoding;   // normalText's encoding and whether its file had a mark
  Detected simpleEncoding;   // the encoding of the simple-cut text
  // The encodings the pages' lists ask for files to be read in; none: detect.
  std::optional<Encoding> normalChosen;
  std::optional<Encoding> simpleChosen;
  // A hash of the text last read into the simple-cut box, to tell whether it was edited.
  std::size_t simpleReadHash = 0;
};

struct MergeSettings {
  int mergeCount = 0;  // 0 until the count list is first picked
  FileNumber mergeFileNumber = 0;
  ByteText mergeText[6];                   // mergeText[1] .. mergeText[5]; [0] unused
  Path mergePath[6];                       // the file each slot was read from (never written to)
  Detected mergeEncoding[6];               // each slot's encoding
  std::optional<Encoding> mergeChosen[6];  // the encoding each row's list asks for; none: detect
  std::optional<Encoding> mergeTo;         // the merged file's encoding; the first file's when none
};

struct AppState {
  CutSettings cut;
  // The system folder the user last agreed to write into (see ConfirmOutputFolder).
  Path systemFolderAllowed;
  MergeSettings merge;
  ByteText bannerText;
  int chapterSearchDone = 0;
  std::vector<int> chapterStarts;
  // The chapter map as the user confirmed it after the last search; none: the cut
  // writes one file per heading of chapterStarts.
  std::shared_ptr<const ChapterPlan> chapterPlan;
  // The map file the chapter-map window opened, if it did: an input of every cut and book
  // made while it is open, so that no output replaces it.
  Path chapterMapFile;
};

}  // namespace morvane
