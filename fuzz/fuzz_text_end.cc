// The rule that ends a file's text (TextEnd) against its character-stepping definition,
// and, for every 32nd input, ReadTextFile on a real file holding the same bytes: the text
// read, copied or mapped, must be exactly the bytes TextEnd keeps, and the report must
// account for the rest.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "core/byte_text.h"
#include "core/files.h"
#include "reference.h"

namespace ref = morvane::reference;

static std::string ScratchPath() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/morvane-fuzz-text-end-" +
         std::to_string(getpid()) + ".txt";
}

static void CheckFileRead(std::string_view bytes, std::size_t end, morvane::ReadMode mode) {
  static const std::string path = ScratchPath();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  // Read as GBK: the rule under test is GBK's, and detection would take some of these
  // byte strings (zero bytes in pairs, say) for UTF-16.
  morvane::TextRead read =
      morvane::ReadTextFile(morvane::Path(path), mode, morvane::Encoding::kGbk);
  std::remove(path.c_str());
  if (!read.ok()) ref::Fail("ReadTextFile failed on a small file", bytes);
  if (read.text.view() != bytes.substr(0, end)) ref::Fail("ReadTextFile text", bytes);
  if (read.fileBytes != static_cast<std::int64_t>(bytes.size())) ref::Fail("fileBytes", bytes);
  if (read.bytesLeftOut != static_cast<std::int64_t>(bytes.size() - end))
    ref::Fail("bytesLeftOut", bytes);
  bool cut = end < bytes.size();
  if (cut != (read.endMark != -1)) ref::Fail("endMark set iff the text was cut", bytes);
  if (cut && read.endMark != 0x00 && read.endMark != 0x1A) ref::Fail("endMark value", bytes);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::size_t end = morvane::TextEnd(bytes);
  if (end != ref::TextEnd(bytes)) ref::Fail("TextEnd", bytes);
  // What the rule keeps is a valid text: no zero byte in it.
  if (bytes.substr(0, end).find('\0') != std::string_view::npos) ref::Fail("zero kept", bytes);
  // The one-pass reading of detection and the text end against the separate steps.
  for (const auto forced :
       {std::optional<morvane::Encoding>{}, std::optional(morvane::Encoding::kGbk)}) {
    const morvane::TextExtent extent = morvane::LocateTextIn(bytes, forced);
    const morvane::Detected detected = morvane::ResolveEncoding(bytes, forced);
    const std::size_t start = bytes.size() - detected.TextOf(bytes).size();
    if (extent.detected.encoding != detected.encoding || extent.detected.bom != detected.bom)
      ref::Fail("LocateTextIn encoding", bytes);
    if (extent.start != start ||
        extent.end != start + morvane::TextEndIn(detected.encoding, bytes.substr(start)))
      ref::Fail("LocateTextIn extent", bytes);
  }
  static unsigned calls = 0;
  if (++calls % 32 == 0)
    CheckFileRead(bytes, end, calls % 64 ? morvane::ReadMode::kCopy : morvane::ReadMode::kMap);
  return 0;
}
