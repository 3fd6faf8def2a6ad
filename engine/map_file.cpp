// SPDX-License-Identifier: MIT
#include "engine/map_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/chinese_numerals.h"

namespace morvane {
namespace {

using Problem = MapFileError::Problem;

std::optional<std::int64_t> NumberIn(std::string_view column) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(column.data(), column.data() + column.size(), value);
  if (column.empty() || error != std::errc() || end != column.data() + column.size() || value < 0) {
    return std::nullopt;
  }
  return value;
}

bool AreFlags(std::string_view column) {
  while (!column.empty()) {
    const std::size_t comma = column.find(',');
    const std::string_view name = column.substr(0, comma);
    bool known = false;
    for (unsigned flag = 1; flag <= kInline; flag <<= 1) known = known || FlagNames(flag) == name;
    if (!known) return false;
    if (comma == std::string_view::npos) break;
    column.remove_prefix(comma + 1);
    if (column.empty()) return false;
  }
  return true;
}

std::u16string Utf16Of(std::string_view utf8) {
  return Decode(Encoding::kUtf8, utf8).text;
}

// Whether only blanks stand between the start of its line and offset (looked for at most
// a heading line's length back).
bool StartsLine(std::string_view text, std::size_t offset, Encoding encoding) {
  constexpr std::size_t kLineLimit = 4096;
  const std::size_t unit = UnitBytes(encoding);
  std::size_t start = offset;
  while (start >= unit && offset - start < kLineLimit) {
    const std::size_t before = start - unit;
    if (LineEndOf(text, before, static_cast<int>(unit), unit) == before) break;
    start = before;
  }
  if (start >= unit && offset - start >= kLineLimit) return false;
  const std::u16string before = Decode(encoding, text.substr(start, offset - start)).text;
  return std::all_of(before.begin(), before.end(), IsBlank);
}

// Where the next non-blank line after the line at offset begins, or offset when none does.
std::size_t NextLine(std::string_view text, std::size_t offset, Encoding encoding) {
  const int unit = static_cast<int>(UnitBytes(encoding));
  std::size_t line = LineEndOf(text, offset, unit, text.size()) + static_cast<std::size_t>(unit);
  while (line < text.size()) {
    const std::size_t end = LineEndOf(text, line, unit, text.size());
    const std::u16string decoded = Decode(encoding, text.substr(line, end - line)).text;
    if (!std::all_of(decoded.begin(), decoded.end(), IsBlank)) return line;
    line = end + static_cast<std::size_t>(unit);
  }
  return offset;
}

}  // namespace

namespace {

// ReadMapFile, calling read once every row is read and before the map is made: the file's
// bytes can go then, so that they and the map are never held together.
std::variant<ChapterMap, MapFileError> ReadRows(std::string_view utf8, const ByteText& text,
                                                Encoding encoding,
                                                const std::function<void()>& read) {
  const std::string_view bytes = text.view();
  // A map file may hold millions of rows: each costs its heading alone (16 bytes), and a
  // title only where one is given.
  std::vector<Heading> headings;
  headings.reserve(static_cast<std::size_t>(std::count(utf8.begin(), utf8.end(), '\n')) + 1);
  std::vector<Volume> volumes;
  std::vector<std::pair<std::uint32_t, std::u16string>> titles;
  std::u16string volume;
  std::size_t boundary = 0;
  int number = 0;
  while (!utf8.empty()) {
    ++number;
    const std::size_t lineEnd = utf8.find('\n');
    std::string_view line = utf8.substr(0, lineEnd);
    utf8 = lineEnd == std::string_view::npos ? std::string_view() : utf8.substr(lineEnd + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    const auto refuse = [&](Problem problem) { return MapFileError{number, problem}; };

    std::array<std::string_view, 7> columns;
    std::size_t count = 0;
    for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos;) {
      if (count == columns.size()) return refuse(Problem::kColumns);
      columns[count++] = line.substr(0, tab);
      line.remove_prefix(tab + 1);
    }
    if (count == columns.size()) return refuse(Problem::kColumns);
    columns[count] = line;
    const auto offset = NumberIn(columns[1]);
    for (const std::size_t optional : {0, 2, 3}) {
      if (!columns[optional].empty() && !NumberIn(columns[optional])) {
        return refuse(Problem::kColumns);
      }
    }
    if (!offset || !AreFlags(columns[5])) return refuse(Problem::kColumns);
    if (*offset >= static_cast<std::int64_t>(bytes.size())) return refuse(Problem::kBeyondText);
    if (!headings.empty() && *offset <= headings.back().offset()) {
      return refuse(Problem::kNotAscending);
    }
    const auto at = static_cast<std::size_t>(*offset);
    if (BoundaryAtOrAfter(encoding, bytes, at, boundary) != at) {
      return refuse(Problem::kNotBoundary);
    }
    boundary = at;
    const std::u16string title = Utf16Of(columns[4]);
    const std::u16string rowVolume = Utf16Of(columns[6]);
    if (!rowVolume.empty() && rowVolume != volume) {
      // A new volume: its line is where the row's chapter begins.
      ChapterMap probe;
      probe.text = text;
      probe.encoding = encoding;
      probe.entries.emplace_back(*offset);
      if (probe.Title(0) != rowVolume) return refuse(Problem::kVolume);
      const std::size_t next = NextLine(bytes, at, encoding);
      probe.entries.emplace_back(static_cast<std::int64_t>(next));
      const bool standsAlone =
          next == at || (!title.empty() && title == rowVolume && probe.Title(1) != title);
      volumes.push_back({*offset, standsAlone ? *offset : static_cast<std::int64_t>(next)});
      volume = rowVolume;
    }
    if (!title.empty()) titles.emplace_back(static_cast<std::uint32_t>(headings.size()), title);
    headings.emplace_back(*offset, StartsLine(bytes, at, encoding));
  }
  if (headings.empty()) return MapFileError{0, Problem::kEmpty};
  if (read) read();
  ChapterMap map = BuildChapterMap(text, std::move(headings), encoding, std::move(volumes));
  for (auto& [i, title] : titles) {
    if (title != map.Title(i)) map.titles.emplace_back(i, std::move(title));
  }
  return map;
}

}  // namespace

std::variant<ChapterMap, MapFileError> ReadMapFile(std::string_view utf8, const ByteText& text,
                                                   Encoding encoding) {
  return ReadRows(utf8, text, encoding, nullptr);
}

std::variant<ChapterMap, MapFileError> ReadMapFileAt(const Path& path, const ByteText& text,
                                                     Encoding encoding) {
  // A copy, not a mapping: a file cut short while it is read must not end the program.
  // UTF-8 (what the program writes) is read in place, without a second copy.
  TextRead read = ReadTextFile(path, ReadMode::kCopy);
  if (!read.ok()) {
    MapFileError error(0, Problem::kCannotRead);
    error.path = path;
    error.read = std::move(read);
    error.read.text = ByteText();
    return error;
  }
  // UTF-16 without its mark that the detection did not tell (a short map): its zero bytes
  // end the text early; read as UTF-16 either way round, the right one is mostly ASCII.
  if (read.EndedEarly() && !read.detected.bom) {
    std::size_t bestAscii = 0;
    for (const Encoding utf16 : {Encoding::kUtf16Le, Encoding::kUtf16Be}) {
      TextRead again = ReadTextFile(path, ReadMode::kCopy, utf16);
      if (!again.ok() || again.EndedEarly()) continue;
      const std::u16string units = Decode(utf16, again.text.view()).text;
      const auto ascii = static_cast<std::size_t>(
          std::count_if(units.begin(), units.end(), [](char16_t c) { return c < 0x80; }));
      if (ascii > bestAscii && units.find_first_of(u"\t\n") != std::u16string::npos) {
        bestAscii = ascii;
        read = std::move(again);
      }
    }
  }
  // The program writes maps in UTF-8, and plain ASCII (which any encoding could be) is
  // UTF-8 too.
  const Encoding fileEncoding = !IsUtf16(read.detected.encoding) && IsUtf8(read.text.view())
                                    ? Encoding::kUtf8
                                    : read.detected.encoding;
  const std::string_view bytes = read.text.view();
  // A text ends at its first zero byte: one that stopped early holds more than text.
  if (read.EndedEarly() || FindUndecodable(fileEncoding, bytes).count > 0) {
    return MapFileError{0, Problem::kBinary};
  }
  std::string transcoded;
  if (fileEncoding != Encoding::kUtf8) {
    transcoded = Transcode(fileEncoding, Encoding::kUtf8, bytes).bytes;
  }
  const std::string_view utf8 = fileEncoding == Encoding::kUtf8 ? bytes : transcoded;
  const bool controls = std::any_of(utf8.begin(), utf8.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F;
  });
  if (controls) return MapFileError{0, Problem::kBinary};
  return ReadRows(utf8, text, encoding, [&] {
    read = TextRead();
    std::string().swap(transcoded);
  });
}

}  // namespace morvane
