// SPDX-License-Identifier: MIT
#pragma once
// A cover image decoded before it is accepted: a file that only starts like a JPEG or a
// PNG is no cover. The whole image is decoded a row at a time (no copy of its pixels is
// kept) by the system's own decoders: libpng and libjpeg-turbo on POSIX systems
// (cover_image.cpp), the Windows Imaging Component on Windows (cover_image_win.cpp).

#include <string_view>

#include "engine/epub_book.h"

namespace morvane {

// Why a cover was refused, for engine/messages to word.
enum class CoverProblem {
  kNone,
  kNotImage,   // neither a JPEG nor a PNG
  kCutShort,   // the file ends before the image does
  kBadHeader,  // the image's description (size, colours, tables) is damaged
  kBadData,    // the image's data is damaged (checksums, compressed data)
  kTooLarge,   // more pixels than a cover has any need of (kMostCoverPixels)
};

// Covers are at most this many pixels (a cover of a book is a few million): a file that
// claims more is refused before any of it is decoded.
inline constexpr std::uint64_t kMostCoverPixels = 100'000'000;

struct CoverCheck {
  ImageKind kind = ImageKind::kNone;  // what the bytes start as
  CoverProblem problem = CoverProblem::kNotImage;
  bool ok() const { return problem == CoverProblem::kNone; }
};

// The image in bytes, decoded whole; ok() when it is a JPEG or PNG that decodes.
CoverCheck CheckCover(std::string_view bytes);

}  // namespace morvane
