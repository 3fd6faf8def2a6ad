// SPDX-License-Identifier: MIT
#pragma once
// Traditional and simplified characters: a text converted by OpenCC, with its phrase-level
// configurations (s2t, t2s, s2tw, tw2s, s2hk, hk2s, tw2sp, s2twp).
//
// The text is converted a part at a time, each part ending after a line break (no phrase of
// OpenCC's dictionaries spans a line), from its own encoding into the one it is written
// in: its own when every converted character fits, else one the user chooses. Bytes that
// are no character of the text's encoding go through unchanged when the encoding stays.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/encoding.h"

namespace morvane {

// The configurations offered, in the order the user sees them.
inline constexpr std::string_view kScriptConversions[] = {"t2s",  "s2t",  "tw2s",  "s2tw",
                                                          "hk2s", "s2hk", "tw2sp", "s2twp"};
bool IsScriptConversion(std::string_view name);
// Whether this build converts at all (it is built with OpenCC).
bool ScriptConversionAvailable();

// Why a configuration cannot be opened, for engine/messages to word.
struct ScriptConversionProblem {
  enum class Kind {
    kNone,
    kNoOpenCC,       // the build has no OpenCC
    kUnknownConfig,  // not one of kScriptConversions
    kMissing,        // file (the configuration or a dictionary) cannot be read
    kDamaged,        // file is there but is no configuration or dictionary of OpenCC
  };
  Kind kind = Kind::kNone;
  std::string file;  // the file concerned, when known
};

// The folder of the conversion's data (configurations and dictionaries): the system's
// OpenCC data folder, never the current folder, so that a file planted beside a novel
// cannot change what the conversion writes.
std::string ScriptConversionDataFolder();

// One configuration of OpenCC, opened once, for one thread at a time.
class ScriptConverter {
 public:
  // Nothing when the configuration cannot be opened (a file missing or damaged, or the
  // build has no OpenCC); why goes to problem. The configuration and every dictionary it
  // names are read from dataFolder only (empty: ScriptConversionDataFolder()).
  static std::unique_ptr<ScriptConverter> Open(std::string_view config,
                                               ScriptConversionProblem* problem,
                                               const std::string& dataFolder = {});
  ~ScriptConverter();
  ScriptConverter(const ScriptConverter&) = delete;
  ScriptConverter& operator=(const ScriptConverter&) = delete;

  // OpenCC's conversion of UTF-8 text.
  std::string ConvertUtf8(std::string_view utf8);

  // A part of a text in from, converted, in to. A character that to cannot hold is
  // counted (and written as "?"): the caller refuses the result then. Bytes that are no
  // character of from are refused as Transcode refuses them (EncodedText::undecodable).
  EncodedText Convert(std::string_view bytes, Encoding from, Encoding to);

 private:
  struct Impl;
  explicit ScriptConverter(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// A whole text converted a part at a time (parts end after a line break), into to; with
// no converter only re-encoded. The count of characters to cannot hold, and of bytes that
// are no character of from (the first one's offset in bytes), say whether the result may
// be used.
EncodedText ConvertText(ScriptConverter* converter, std::string_view bytes, Encoding from,
                        Encoding to);

}  // namespace morvane
