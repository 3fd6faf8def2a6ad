// SPDX-License-Identifier: MIT
#include "core/file_reading_parts.h"

#include <utility>

#include "core/encoding.h"

namespace morvane::file_reading {

ByteText TextOf(std::shared_ptr<const void> owner, const char* bytes, std::size_t fileBytes,
                std::size_t textBytes) {
  if (textBytes < fileBytes / 2) return ByteText::Copy(std::string_view(bytes, textBytes));
  return ByteText::Adopt(std::move(owner), bytes, textBytes);
}

void FillEnd(TextRead& read, std::string_view bytes, std::size_t end) {
  read.fileBytes = static_cast<std::int64_t>(bytes.size());
  read.bytesLeftOut = static_cast<std::int64_t>(bytes.size() - end);
  if (end == bytes.size()) return;
  // The mark stands at end, or one further when a dropped byte stood before a zero; in
  // UTF-16 it is the code unit at end.
  std::size_t mark = bytes[end] == '\0' || bytes[end] == '\x1A' ? end : end + 1;
  read.endMark = static_cast<unsigned char>(bytes[mark]);
  if (IsUtf16(read.detected.encoding) && end + 1 < bytes.size()) {
    read.endMark =
        static_cast<unsigned char>(bytes[end]) | static_cast<unsigned char>(bytes[end + 1]);
  }
  read.onlyPaddingLeftOut = true;
  for (std::size_t i = mark; i < bytes.size(); ++i) {
    if (bytes[i] != '\0' && bytes[i] != '\x1A') {
      read.onlyPaddingLeftOut = false;
      break;
    }
  }
}

std::size_t LocateText(std::string_view bytes, std::optional<Encoding> encoding, TextRead& read,
                       std::size_t& fileEnd) {
  const TextExtent extent = LocateTextIn(bytes, encoding);
  read.detected = extent.detected;
  read.undecodable = extent.undecodable;
  fileEnd = extent.end;
  return extent.start;
}

void FinishRead(TextRead& read, std::shared_ptr<const void> owner, std::string_view bytes,
                std::optional<Encoding> encoding) {
  std::size_t end = 0;
  const std::size_t start = LocateText(bytes, encoding, read, end);
  FillEnd(read, bytes, end);
  read.text = TextOf(std::move(owner), bytes.data() + start, bytes.size(), end - start);
  read.status = TextRead::Status::kOk;
}

}  // namespace morvane::file_reading

namespace morvane {

bool TextRead::EndedEarly() const {
  if (endMark == 0x00) return true;
  if (endMark == 0x1A) return !onlyPaddingLeftOut;
  return false;
}

}  // namespace morvane
