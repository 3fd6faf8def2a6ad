// SPDX-License-Identifier: MIT
// Covers decoded by libpng and libjpeg-turbo. Both libraries report errors by a jump out
// of their own code: each decoder runs in a function of its own whose locals are plain
// data, so that nothing needing a destructor is jumped over.

#include "engine/cover_image.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace morvane {
namespace {

// ---- PNG ----

struct PngSource {
  const unsigned char* bytes;
  std::size_t size;
  std::size_t at;
  bool cutShort;
  bool inData;  // past the description, reading rows
  CoverProblem problem;
  png_structp png;
  png_infop info;
  png_bytep row;
};

void PngRead(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > source->size - source->at) {
    source->cutShort = true;
    png_error(png, "cut short");
  }
  std::memcpy(out, source->bytes + source->at, length);
  source->at += length;
}

void PngFailed(png_structp png, png_const_charp message) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (source->cutShort) {
    source->problem = CoverProblem::kCutShort;
  } else if (std::strstr(message, "user limit") != nullptr ||
             std::strstr(message, "too large") != nullptr) {
    source->problem = CoverProblem::kTooLarge;
  } else {
    source->problem = source->inData ? CoverProblem::kBadData : CoverProblem::kBadHeader;
  }
  png_longjmp(png, 1);
}

void PngWarned(png_structp, png_const_charp) {}

// Decodes into source; its state lives in the caller's frame, which the jump does not
// leave, so every change to it after setjmp holds.
void DecodePngWith(PngSource& source) {
  png_structp png = source.png;
  png_infop info = source.info;
  if (setjmp(png_jmpbuf(png))) {
    if (source.problem == CoverProblem::kNone) source.problem = CoverProblem::kBadHeader;
    return;
  }
  png_set_read_fn(png, &source, PngRead);
  // A damaged checksum is a damaged file, in any chunk.
  png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_ERROR_QUIT);
  png_set_user_limits(png, 1'000'000, 1'000'000);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (std::uint64_t{width} * height > kMostCoverPixels) {
    source.problem = CoverProblem::kTooLarge;
    return;
  }
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  source.row = static_cast<png_bytep>(png_malloc(png, png_get_rowbytes(png, info)));
  source.inData = true;
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, source.row, nullptr);
  }
  png_read_end(png, nullptr);
}

CoverProblem DecodePng(std::string_view bytes) {
  PngSource source{reinterpret_cast<const unsigned char*>(bytes.data()),
                   bytes.size(),
                   0,
                   false,
                   false,
                   CoverProblem::kNone,
                   nullptr,
                   nullptr,
                   nullptr};
  source.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, PngWarned);
  if (source.png == nullptr) throw std::bad_alloc();
  source.info = png_create_info_struct(source.png);
  const bool made = source.info != nullptr;
  if (made) DecodePngWith(source);
  png_free(source.png, source.row);
  png_destroy_read_struct(&source.png, &source.info, nullptr);
  if (!made) throw std::bad_alloc();
  return source.problem;
}

// ---- JPEG ----

struct JpegFailure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool inData;
  CoverProblem problem;
};

CoverProblem JpegProblem(const JpegFailure& failure, int code) {
  switch (code) {
    case JERR_INPUT_EOF:
    case JWRN_JPEG_EOF:
      return CoverProblem::kCutShort;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
    case JERR_OUT_OF_MEMORY:
      return CoverProblem::kTooLarge;
    case JERR_NO_SOI:
      return CoverProblem::kNotImage;
    default:
      return failure.inData ? CoverProblem::kBadData : CoverProblem::kBadHeader;
  }
}

void JpegFailed(j_common_ptr jpeg) {
  auto* failure = reinterpret_cast<JpegFailure*>(jpeg->err);
  failure->problem = JpegProblem(*failure, failure->manager.msg_code);
  std::longjmp(failure->jump, 1);
}

// libjpeg goes on after damaged data with a warning, making up the missing pixels: for a
// cover that is a damaged file. Two warnings are about files that decode whole.
void JpegMessage(j_common_ptr jpeg, int level) {
  auto* failure = reinterpret_cast<JpegFailure*>(jpeg->err);
  const int code = failure->manager.msg_code;
  if (level >= 0 || code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM) return;
  JpegFailed(jpeg);
}

// Decodes what jpeg was given; failure lives in the caller's frame, as DecodePngWith's
// state does.
void DecodeJpegWith(jpeg_decompress_struct& jpeg, JpegFailure& failure, std::string_view bytes) {
  if (setjmp(failure.jump)) return;
  jpeg_create_decompress(&jpeg);
  jpeg_mem_src(&jpeg, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&jpeg, TRUE);
  if (std::uint64_t{jpeg.image_width} * jpeg.image_height > kMostCoverPixels) {
    failure.problem = CoverProblem::kTooLarge;
    return;
  }
  // Every coefficient is still decoded (and checked) at an eighth of the size; only the
  // pixels made of them are fewer.
  jpeg.scale_num = 1;
  jpeg.scale_denom = 8;
  jpeg.dct_method = JDCT_IFAST;
  jpeg.do_fancy_upsampling = FALSE;
  failure.inData = true;
  jpeg_start_decompress(&jpeg);
  JSAMPARRAY row = (*jpeg.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&jpeg), JPOOL_IMAGE,
                                             jpeg.output_width * jpeg.output_components, 1);
  while (jpeg.output_scanline < jpeg.output_height) jpeg_read_scanlines(&jpeg, row, 1);
  jpeg_finish_decompress(&jpeg);
}

CoverProblem DecodeJpeg(std::string_view bytes) {
  jpeg_decompress_struct jpeg{};
  JpegFailure failure{};
  jpeg.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = JpegFailed;
  failure.manager.emit_message = JpegMessage;
  failure.inData = false;
  failure.problem = CoverProblem::kNone;
  DecodeJpegWith(jpeg, failure, bytes);
  jpeg_destroy_decompress(&jpeg);
  return failure.problem;
}

}  // namespace

CoverCheck CheckCover(std::string_view bytes) {
  const ImageKind kind = ImageKindOf(bytes);
  switch (kind) {
    case ImageKind::kPng:
      return {kind, DecodePng(bytes)};
    case ImageKind::kJpeg:
      return {kind, DecodeJpeg(bytes)};
    case ImageKind::kNone:
      break;
  }
  return {kind, CoverProblem::kNotImage};
}

}  // namespace morvane
