#include "engine/script_conversion.h"

#include <algorithm>

#ifdef MORVANE_HAVE_OPENCC
#include <opencc.h>
#endif

#include <unicode/ustring.h>

#include "core/fatal.h"
#include "core/system_folders.h"
#include "engine/chapter_rules.h"

namespace morvane {
namespace {

// UTF-8 of UTF-16 text that holds characters only.
std::string Utf8Of(std::u16string_view text) {
  std::string out(text.size() * 3 + 1, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                     static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return out;
}

// UTF-16 of UTF-8 text that came out of OpenCC (valid).
std::u16string Utf16Of(std::string_view utf8) {
  std::u16string out(utf8.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, utf8.data(),
                       static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &status);
  out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return out;
}

}  // namespace

bool IsScriptConversion(std::string_view name) {
  return std::find(std::begin(kScriptConversions), std::end(kScriptConversions), name) !=
         std::end(kScriptConversions);
}

bool ScriptConversionAvailable() {
#ifdef MORVANE_HAVE_OPENCC
  return true;
#else
  return false;
#endif
}

#ifdef MORVANE_HAVE_OPENCC

std::unique_ptr<ScriptConverter> ScriptConverter::Open(std::string_view config,
                                                       std::string* whyNot) {
  if (!IsScriptConversion(config)) {
    if (whyNot != nullptr) *whyNot = std::string(config);
    return nullptr;
  }
  // OpenCC finds a configuration by its file name in the folder of its own data; on
  // Windows that folder travels with the program.
#ifdef _WIN32
  const std::string file = ConversionDataFolder() + "/" + std::string(config) + ".json";
#else
  const std::string file = std::string(config) + ".json";
#endif
  opencc_t handle = nullptr;
  try {
    handle = opencc_open(file.c_str());
  } catch (...) {
    handle = reinterpret_cast<opencc_t>(-1);
  }
  if (handle == reinterpret_cast<opencc_t>(-1)) {
    if (whyNot != nullptr) *whyNot = opencc_error();
    return nullptr;
  }
  return std::unique_ptr<ScriptConverter>(new ScriptConverter(handle));
}

ScriptConverter::~ScriptConverter() {
  opencc_close(handle_);
}

std::string ScriptConverter::ConvertUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  char* converted = opencc_convert_utf8(handle_, utf8.data(), utf8.size());
  if (converted == nullptr) OutOfMemory(utf8.size() * 2);
  std::string out(converted);
  opencc_convert_utf8_free(converted);
  return out;
}

#else

std::unique_ptr<ScriptConverter> ScriptConverter::Open(std::string_view, std::string* whyNot) {
  if (whyNot != nullptr) *whyNot = "这个版本的程序不带OpenCC";
  return nullptr;
}

ScriptConverter::~ScriptConverter() = default;

std::string ScriptConverter::ConvertUtf8(std::string_view utf8) {
  return std::string(utf8);
}

#endif

EncodedText ScriptConverter::Convert(std::string_view bytes, Encoding from, Encoding to) {
  // UTF-8 that is all characters goes to OpenCC as it is; anything else through UTF-16.
  // Bytes that are no character are refused, as by Transcode.
  std::string utf8;
  if (from == Encoding::kUtf8 && IsUtf8(bytes)) {
    utf8 = ConvertUtf8(bytes);
    if (to == Encoding::kUtf8) return {std::move(utf8)};
  } else {
    const DecodedText decoded = Decode(from, bytes);
    if (decoded.undecodable > 0) {
      EncodedText refused;
      refused.undecodable = decoded.undecodable;
      refused.firstUndecodable = decoded.firstUndecodable;
      return refused;
    }
    utf8 = ConvertUtf8(Utf8Of(decoded.text));
  }
  return Encode(to, Utf16Of(utf8));
}

EncodedText ConvertText(ScriptConverter* converter, std::string_view bytes, Encoding from,
                        Encoding to) {
  constexpr std::size_t kPart = std::size_t{1} << 20;
  const std::size_t unit = UnitBytes(from);
  EncodedText all;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = std::min(bytes.size(), at + kPart);
    if (end < bytes.size()) {
      end -= (end - at) % unit;
      end = std::min(bytes.size(),
                     LineEndOf(bytes, end, static_cast<int>(unit), bytes.size()) + unit);
    }
    const std::string_view part = bytes.substr(at, end - at);
    EncodedText converted =
        converter != nullptr ? converter->Convert(part, from, to) : Transcode(from, to, part);
    if (converted.undecodable > 0) {
      all.bytes.clear();
      all.undecodable = converted.undecodable;
      all.firstUndecodable = at + converted.firstUndecodable;
      return all;
    }
    if (converted.unencodable > 0 && all.unencodable == 0) {
      all.firstUnencodableChar = converted.firstUnencodableChar;
    }
    all.unencodable += converted.unencodable;
    all.bytes += converted.bytes;
    at = end;
  }
  return all;
}

}  // namespace morvane
