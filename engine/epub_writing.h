// SPDX-License-Identifier: MIT
#pragma once
// Writing an EPUB: the book's parts (epub_book.h) in a ZIP container made by minizip on
// zlib. The chapters are rendered and deflated on every core, a chapter at a time, and
// go into the container in their order; the container goes to its file through the
// program's one way of writing files, so the book is written whole or not at all.

#include <cstdint>

#include "core/files.h"
#include "core/long_work.h"
#include "core/path.h"
#include "engine/chapter_map.h"
#include "engine/epub_book.h"

namespace morvane {

// The deflate level of the chapters: the strongest of zlib's fast (greedy) levels, 2% larger
// than level 6 on Chinese text for a third less time.
inline constexpr int kEpubLevel = 3;

// Writes the book of plan (its map with the headings cut at) to path. The same plan and
// info give the same bytes, on every platform. progress hears the bytes of text done;
// when it asks to stop, nothing is written.
WriteResult WriteEpub(const Path& path, const ChapterPlan& plan, const BookInfo& info,
                      Progress* progress = nullptr);

}  // namespace morvane
