// SPDX-License-Identifier: MIT
#include "engine/script_conversion.h"

#include <algorithm>
#include <new>
#include <vector>

#ifdef MORVANE_HAVE_OPENCC
#include <opencc/Config.hpp>
#include <opencc/Converter.hpp>
#include <opencc/Exception.hpp>
#endif

#include <unicode/ustring.h>

#include "core/fatal.h"
#include "core/files.h"
#include "core/path.h"
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

#ifndef MORVANE_OPENCC_DATA
#define MORVANE_OPENCC_DATA ""
#endif

std::string ScriptConversionDataFolder() {
  // On Windows the data travels with the program, in the folder beside the executable.
#ifdef _WIN32
  return ConversionDataFolder();
#else
  return MORVANE_OPENCC_DATA;
#endif
}

#ifdef MORVANE_HAVE_OPENCC

namespace {

constexpr std::size_t kConfigLimit = std::size_t{1} << 20;

// The configuration with every file it names made a path in folder. OpenCC looks for a
// dictionary named by a bare file name in the current folder first; a full path is read
// from there alone. The names are plain file names (no escapes in OpenCC's own data).
std::string WithDataPaths(std::string_view json, const std::string& folder,
                          std::vector<std::string>* files) {
  std::string out;
  std::size_t at = 0;
  for (std::size_t key; (key = json.find("\"file\"", at)) != std::string_view::npos;) {
    std::size_t value = key + 6;
    while (value < json.size() &&
           (json[value] == ' ' || json[value] == '\t' || json[value] == '\n' ||
            json[value] == '\r' || json[value] == ':')) {
      ++value;
    }
    if (value >= json.size() || json[value] != '"') break;
    const std::size_t end = json.find('"', value + 1);
    if (end == std::string_view::npos) break;
    std::string name(json.substr(value + 1, end - value - 1));
    if (name.empty() || name.front() != '/') name = folder + "/" + name;
    files->push_back(name);
    out.append(json.substr(at, value + 1 - at));
    out += name;
    at = end;
  }
  out.append(json.substr(at));
  return out;
}

// OpenCC's failure, as a kind and the file concerned.
ScriptConversionProblem ProblemOf(const opencc::Exception& failure, const std::string& config) {
  std::string what = failure.what();
  if (dynamic_cast<const opencc::FileNotFound*>(&failure) != nullptr) {
    const std::string tail = " not found or not accessible.";
    if (what.size() > tail.size() && what.ends_with(tail)) what.resize(what.size() - tail.size());
    return {ScriptConversionProblem::Kind::kMissing, what};
  }
  return {ScriptConversionProblem::Kind::kDamaged, config};
}

// The dictionary among files that OpenCC cannot read, or nothing: loaded one at a time
// (only after the whole configuration failed) to say which file is damaged.
std::optional<std::string> DamagedDictionary(const std::vector<std::string>& files,
                                             const std::string& folder) {
  for (const std::string& file : files) {
    const std::string type = file.ends_with(".ocd2")  ? "ocd2"
                             : file.ends_with(".ocd") ? "ocd"
                                                      : "text";
    const std::string dict = "{\"type\":\"" + type + "\",\"file\":\"" + file + "\"}";
    const std::string alone =
        "{\"name\":\"x\",\"segmentation\":{\"type\":\"mmseg\",\"dict\":" + dict +
        "},\"conversion_chain\":[{\"dict\":" + dict + "}]}";
    try {
      opencc::Config().NewFromString(alone, folder);
    } catch (const std::bad_alloc&) {
      throw;
    } catch (...) {
      return file;
    }
  }
  return std::nullopt;
}

}  // namespace

struct ScriptConverter::Impl {
  opencc::ConverterPtr converter;
};

std::unique_ptr<ScriptConverter> ScriptConverter::Open(std::string_view config,
                                                       ScriptConversionProblem* problem,
                                                       const std::string& dataFolder) {
  ScriptConversionProblem ignored;
  if (problem == nullptr) problem = &ignored;
  if (!IsScriptConversion(config)) {
    *problem = {ScriptConversionProblem::Kind::kUnknownConfig, std::string(config)};
    return nullptr;
  }
  const std::string folder = dataFolder.empty() ? ScriptConversionDataFolder() : dataFolder;
  const std::string file = folder + "/" + std::string(config) + ".json";
  const std::optional<std::string> json = ReadFileBytes(PathFromUtf8(file), kConfigLimit);
  if (!json) {
    *problem = {ScriptConversionProblem::Kind::kMissing, file};
    return nullptr;
  }
  std::vector<std::string> files;
  const std::string resolved = WithDataPaths(*json, folder, &files);
  auto impl = std::make_unique<Impl>();
  try {
    impl->converter = opencc::Config().NewFromString(resolved, folder);
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const opencc::Exception& failure) {
    *problem = ProblemOf(failure, file);
  } catch (...) {
    *problem = {ScriptConversionProblem::Kind::kDamaged, file};
  }
  if (impl->converter == nullptr) {
    if (problem->kind == ScriptConversionProblem::Kind::kDamaged) {
      if (auto damaged = DamagedDictionary(files, folder)) problem->file = *damaged;
    }
    return nullptr;
  }
  return std::unique_ptr<ScriptConverter>(new ScriptConverter(std::move(impl)));
}

std::string ScriptConverter::ConvertUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  return impl_->converter->Convert(std::string(utf8));
}

#else

struct ScriptConverter::Impl {};

std::unique_ptr<ScriptConverter> ScriptConverter::Open(std::string_view,
                                                       ScriptConversionProblem* problem,
                                                       const std::string&) {
  if (problem != nullptr) *problem = {ScriptConversionProblem::Kind::kNoOpenCC, {}};
  return nullptr;
}

std::string ScriptConverter::ConvertUtf8(std::string_view utf8) {
  return std::string(utf8);
}

#endif

ScriptConverter::ScriptConverter(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ScriptConverter::~ScriptConverter() = default;

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
