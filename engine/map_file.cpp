#include "engine/map_file.h"

#include <algorithm>
#include <charconv>
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

struct Row {
  std::int64_t offset;
  std::u16string title;
};

}  // namespace

std::variant<ChapterMap, MapFileError> ReadMapFile(std::string_view utf8, const ByteText& text,
                                                   Encoding encoding) {
  const std::string_view bytes = text.view();
  std::vector<Heading> headings;
  std::vector<Volume> volumes;
  std::vector<Row> rows;
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

    std::vector<std::string_view> columns;
    for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos;) {
      columns.push_back(line.substr(0, tab));
      line.remove_prefix(tab + 1);
    }
    columns.push_back(line);
    columns.resize(std::max<std::size_t>(columns.size(), 2));
    if (columns.size() > 7) return refuse(Problem::kColumns);
    columns.resize(7);
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
    headings.emplace_back(*offset, StartsLine(bytes, at, encoding));
    rows.push_back({*offset, title});
  }
  ChapterMap map = BuildChapterMap(text, std::move(headings), encoding, std::move(volumes));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i].title.empty() && rows[i].title != map.Title(i)) {
      map.titles.emplace_back(static_cast<std::uint32_t>(i), std::move(rows[i].title));
    }
  }
  return map;
}

}  // namespace morvane
