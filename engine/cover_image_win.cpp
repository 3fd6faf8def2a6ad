// SPDX-License-Identifier: MIT
// Covers decoded by the Windows Imaging Component, which every Windows since XP SP3 has:
// the Windows build needs no image library of its own.

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <new>
#include <vector>

#include "engine/cover_image.h"

namespace morvane {
namespace {

// A COM interface released at the end of its scope.
template <typename T>
class Held {
 public:
  Held() = default;
  ~Held() {
    if (p_ != nullptr) p_->Release();
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** out() { return &p_; }

 private:
  T* p_ = nullptr;
};

// COM for this thread, for as long as the decoding; a thread that has it already keeps it.
class ComForThisThread {
 public:
  ComForThisThread() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ~ComForThisThread() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComForThisThread(const ComForThisThread&) = delete;
  ComForThisThread& operator=(const ComForThisThread&) = delete;

 private:
  HRESULT result_;
};

// What a failed call means for the cover; inData says whether the rows were being read.
CoverProblem ProblemOf(HRESULT result, bool inData) {
  switch (result) {
    case E_OUTOFMEMORY:
      throw std::bad_alloc();
    case WINCODEC_ERR_COMPONENTNOTFOUND:
    case WINCODEC_ERR_UNKNOWNIMAGEFORMAT:
      return CoverProblem::kNotImage;
    case WINCODEC_ERR_STREAMREAD:
    case WINCODEC_ERR_STREAMNOTAVAILABLE:
    case WINCODEC_ERR_FRAMEMISSING:
    case HRESULT_FROM_WIN32(ERROR_HANDLE_EOF):
      return CoverProblem::kCutShort;
    case WINCODEC_ERR_IMAGESIZEOUTOFRANGE:
    case WINCODEC_ERR_VALUEOUTOFRANGE:
      return CoverProblem::kTooLarge;
    case WINCODEC_ERR_BADHEADER:
      return CoverProblem::kBadHeader;
    default:
      return inData ? CoverProblem::kBadData : CoverProblem::kBadHeader;
  }
}

CoverProblem Decode(std::string_view bytes, ImageKind kind) {
  if (bytes.size() > MAXDWORD) return CoverProblem::kTooLarge;
  ComForThisThread com;
  Held<IWICImagingFactory> factory;
  HRESULT result =
      CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                       IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out()));
  if (FAILED(result)) return ProblemOf(result, false);
  Held<IWICStream> stream;
  result = factory->CreateStream(stream.out());
  if (SUCCEEDED(result)) {
    result = stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                          static_cast<DWORD>(bytes.size()));
  }
  if (FAILED(result)) return ProblemOf(result, false);
  Held<IWICBitmapDecoder> decoder;
  result = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                            decoder.out());
  if (FAILED(result)) return ProblemOf(result, false);
  GUID format{};
  if (FAILED(decoder->GetContainerFormat(&format))) return CoverProblem::kBadHeader;
  const GUID& expected =
      kind == ImageKind::kPng ? GUID_ContainerFormatPng : GUID_ContainerFormatJpeg;
  if (!IsEqualGUID(format, expected)) return CoverProblem::kNotImage;
  Held<IWICBitmapFrameDecode> frame;
  result = decoder->GetFrame(0, frame.out());
  if (FAILED(result)) return ProblemOf(result, false);
  UINT width = 0, height = 0;
  result = frame->GetSize(&width, &height);
  if (FAILED(result)) return ProblemOf(result, false);
  if (width == 0 || height == 0) return CoverProblem::kBadHeader;
  if (std::uint64_t{width} * height > kMostCoverPixels) return CoverProblem::kTooLarge;
  // Every row converted to one pixel format, a row at a time: the decoder reads all of the
  // image's data without a copy of its pixels being held.
  Held<IWICFormatConverter> converter;
  result = factory->CreateFormatConverter(converter.out());
  if (SUCCEEDED(result)) {
    result =
        converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                              nullptr, 0.0, WICBitmapPaletteTypeCustom);
  }
  if (FAILED(result)) return ProblemOf(result, false);
  const UINT stride = width * 4;
  std::vector<BYTE> row(stride);
  for (UINT y = 0; y < height; ++y) {
    const WICRect rect{0, static_cast<INT>(y), static_cast<INT>(width), 1};
    result = converter->CopyPixels(&rect, stride, stride, row.data());
    if (FAILED(result)) return ProblemOf(result, true);
  }
  return CoverProblem::kNone;
}

}  // namespace

CoverCheck CheckCover(std::string_view bytes) {
  const ImageKind kind = ImageKindOf(bytes);
  if (kind == ImageKind::kNone) return {kind, CoverProblem::kNotImage};
  return {kind, Decode(bytes, kind)};
}

}  // namespace morvane
