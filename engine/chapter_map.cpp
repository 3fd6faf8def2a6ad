// SPDX-License-Identifier: MIT
#include "engine/chapter_map.h"

#include <algorithm>
#include <charconv>

#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include "core/gbk.h"
#include "core/numbers.h"
#include "engine/chinese_numerals.h"
#include "engine/contents_block.h"
#include "engine/output_naming.h"

namespace morvane {
namespace {

constexpr std::size_t kTitleCharacters = 60;
// A title is read from at most this many bytes of its line.
constexpr std::size_t kTitleBytes = 1024;

bool IsHeadingUnit(char16_t c) {
  return std::u16string_view(u"章节回卷集部篇话").find(c) != std::u16string_view::npos;
}

// The characters of title that a file name may not hold (on any common file system)
// become "_"; so do control characters, and the controls that reverse the direction of
// what follows, which would make "…\u202Etxt.exe" look like a name it is not.
std::u16string NameSafe(std::u16string_view title) {
  std::u16string safe(title);
  for (char16_t& c : safe) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
        (c >= 0x2066 && c <= 0x2069) ||
        std::u16string_view(u"/\\:*?\"<>|").find(c) != std::u16string_view::npos) {
      c = u'_';
    }
  }
  return safe;
}

// A title needs at most 60 characters after its blanks: this many bytes hold them (and
// a few more) in the encoding, so a larger part of the line is decoded only after many
// blanks. A text of millions of headings reads every title twice.
std::size_t ShortTitleBytes(Encoding encoding) {
  const bool doubleByte = encoding == Encoding::kGbk || encoding == Encoding::kBig5;
  return (kTitleCharacters + 4) * (doubleByte ? 2 : 4);
}
// Bytes that no complete character covers at the end of a part of a line decode into at
// most this many units, which say nothing of the line.
constexpr std::size_t kPartialUnits = 4;

// The title at offset, control characters shown as spaces, or kept for a file name (which
// replaces them) when shown is false; trimmed and cut alike either way.
std::u16string TitleAt(std::string_view text, std::size_t offset, Encoding encoding,
                       bool shown = true) {
  const int unitBytes = static_cast<int>(UnitBytes(encoding));
  for (const std::size_t window : {ShortTitleBytes(encoding), kTitleBytes}) {
    const std::size_t end = LineEndOf(text, offset, unitBytes, window);
    const std::u16string line = Decode(encoding, text.substr(offset, end - offset)).text;
    const bool wholeLine = end == text.size() || end - offset < window;
    std::u16string spaced = line;
    for (char16_t& c : spaced) {
      if (c < 0x20 || c == 0x7F) c = u' ';
    }
    std::size_t first = 0;
    while (first < spaced.size() && IsBlank(spaced[first])) ++first;
    std::size_t last = spaced.size();
    while (last > first && IsBlank(spaced[last - 1])) --last;
    // At most 60 characters, never half a surrogate pair.
    std::size_t cut = first;
    std::size_t characters = 0;
    for (; cut < last && characters < kTitleCharacters; ++characters) {
      cut += U16_IS_LEAD(spaced[cut]) && cut + 1 < last && U16_IS_TRAIL(spaced[cut + 1]) ? 2 : 1;
    }
    // The title is whole when a character that is no blank follows it within the part
    // decoded (so the line does not end in blanks right after it).
    const std::size_t sure = line.size() - std::min(line.size(), kPartialUnits);
    bool whole = false;
    for (std::size_t i = cut; characters == kTitleCharacters && i < sure && !whole; ++i) {
      whole = !IsBlank(spaced[i]);
    }
    if (wholeLine || whole || window == kTitleBytes) {
      return (shown ? spaced : line).substr(first, cut - first);
    }
  }
  return {};
}

// ReadChapterNumber, telling through ranOut whether it came to the end of title before it
// could tell (so that more of the line might give another answer).
std::optional<std::int64_t> ReadNumber(std::u16string_view title, bool& ranOut) {
  ranOut = false;
  const auto end = [&](std::size_t at) {
    ranOut = ranOut || at >= title.size();
    return at >= title.size();
  };
  while (!title.empty() && IsBlank(title.front())) title.remove_prefix(1);
  if (end(0)) return std::nullopt;
  if (std::u16string_view(u"【[〔「").find(title.front()) != std::u16string_view::npos) {
    title.remove_prefix(1);
    while (!title.empty() && IsBlank(title.front())) title.remove_prefix(1);
    if (end(0)) return std::nullopt;
  }
  std::size_t at = 0;
  if (DigitOf(title.front()) >= 0) {
    std::size_t taken = 0;
    const auto number = ArabicNumber(title, taken);
    if (!number) return std::nullopt;
    if (end(taken)) return number;  // a number alone on its line
    const bool separated =
        IsBlank(title[taken]) ||
        std::u16string_view(u"、.．:：").find(title[taken]) != std::u16string_view::npos;
    return separated ? number : std::nullopt;
  }
  if (title.front() == u'第') {
    at = 1;
    while (at < title.size() && IsBlank(title[at])) ++at;
    if (end(at)) return std::nullopt;
    std::size_t taken = 0;
    auto number = ArabicNumber(title.substr(at), taken);
    if (!number && taken == 0) number = ChineseNumber(title.substr(at), taken);
    if (!number) {
      // A run of numerals cut off by the end of title might read otherwise when longer.
      end(at + taken);
      return std::nullopt;
    }
    at += taken;
    while (at < title.size() && IsBlank(title[at])) ++at;
    if (end(at) || !IsHeadingUnit(title[at])) return std::nullopt;
    return number;
  }
  constexpr std::u16string_view kWord = u"chapter";
  for (; at < kWord.size(); ++at) {
    if (end(at)) return std::nullopt;
    if (title[at] != kWord[at] && title[at] != kWord[at] - (u'a' - u'A')) return std::nullopt;
  }
  // "Chapter 12" may go on with more digits.
  ranOut = true;
  if (title.size() <= kWord.size()) return std::nullopt;
  while (at < title.size() && IsBlank(title[at])) ++at;
  std::size_t taken = 0;
  return ArabicNumber(title.substr(at), taken);
}

// The chapter number of the heading at offset: ReadChapterNumber of its title. Most
// headings tell it (or that they have none) in their first few characters, so these are
// read first: what they tell is the title's (the title begins the same and holds 60
// characters).
std::optional<std::int64_t> NumberAt(std::string_view text, std::size_t offset, Encoding encoding) {
  constexpr std::size_t kNumberBytes = 48;
  const std::size_t end =
      LineEndOf(text, offset, static_cast<int>(UnitBytes(encoding)), kNumberBytes);
  std::u16string start = Decode(encoding, text.substr(offset, end - offset)).text;
  for (char16_t& c : start) {
    if (c < 0x20 || c == 0x7F) c = u' ';
  }
  // Bytes cut off at the end of the part decode into a few units that are no characters.
  if (end < text.size() && end - offset >= kNumberBytes) {
    start.resize(start.size() - std::min(start.size(), kPartialUnits));
  }
  bool ranOut = false;
  const std::optional<std::int64_t> number = ReadNumber(start, ranOut);
  if (!ranOut) return number;
  return ReadChapterNumber(TitleAt(text, offset, encoding));
}

std::int64_t Median(std::vector<std::int64_t> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

void Flag(ChapterMap& map) {
  std::vector<ChapterEntry>& entries = map.entries;
  std::optional<std::int64_t> previous;
  for (ChapterEntry& entry : entries) {
    const std::optional<std::int64_t> number = entry.number();
    if (!number) continue;
    if (previous) {
      if (*number == *previous) {
        entry.AddFlags(kRepeat);
      } else if (*number < *previous) {
        entry.AddFlags(kRestart);
      } else if (*number != *previous + 1) {
        entry.AddFlags(kGap);
      }
    }
    previous = number;
  }
  // Lengths say little about two or three chapters.
  if (entries.size() < 4) return;
  std::vector<std::int64_t> lengths;
  lengths.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) lengths.push_back(map.Length(i));
  const std::int64_t median = Median(std::move(lengths));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::int64_t length = map.Length(i);
    if (length > 5 * median) entries[i].AddFlags(kLong);
    if (length * 20 < median) entries[i].AddFlags(kShort);
  }
}

// Flags again after an edit: only whether a heading starts its line stays as it was.
void Reflag(ChapterMap& map) {
  for (ChapterEntry& entry : map.entries) {
    entry = ChapterEntry(entry.offset(), entry.number(), entry.flags() & kInline);
  }
  Flag(map);
}

}  // namespace

std::string FlagNames(unsigned flags) {
  static constexpr std::pair<ChapterFlag, std::string_view> kNames[] = {
      {kGap, "gap"},   {kRepeat, "repeat"}, {kRestart, "restart"},
      {kLong, "long"}, {kShort, "short"},   {kInline, "inline"},
  };
  std::string names;
  for (const auto& [flag, name] : kNames) {
    if ((flags & flag) == 0) continue;
    if (!names.empty()) names += ',';
    names += name;
  }
  return names;
}

std::int64_t ChapterMap::Length(std::size_t i) const {
  const std::int64_t next = i + 1 < entries.size() ? entries[i + 1].offset() : textBytes();
  return next - entries[i].offset();
}

static const std::u16string* GivenTitle(const ChapterMap& map, std::size_t i) {
  const auto at = std::lower_bound(map.titles.begin(), map.titles.end(), i,
                                   [](const std::pair<std::uint32_t, std::u16string>& given,
                                      std::size_t index) { return given.first < index; });
  return at != map.titles.end() && at->first == i ? &at->second : nullptr;
}

std::u16string ChapterMap::Title(std::size_t i) const {
  if (const std::u16string* given = GivenTitle(*this, i)) return *given;
  return TitleAt(text.view(), static_cast<std::size_t>(HeadingOffset(i)), encoding);
}

std::u16string ChapterMap::NameTitle(std::size_t i) const {
  if (const std::u16string* given = GivenTitle(*this, i)) return *given;
  return TitleAt(text.view(), static_cast<std::size_t>(HeadingOffset(i)), encoding, false);
}

std::u16string ChapterMap::VolumeTitle(std::size_t i) const {
  const std::int64_t offset = entries[i].offset();
  const auto after =
      std::upper_bound(volumes.begin(), volumes.end(), offset,
                       [](std::int64_t at, const Volume& volume) { return at < volume.offset; });
  if (after == volumes.begin() || IsBackMatter(Title(i))) return {};
  return TitleAt(text.view(), static_cast<std::size_t>((after - 1)->offset), encoding);
}

bool IsBackMatter(std::u16string_view title) {
  while (!title.empty() && (IsBlank(title.front()) || title.front() == u'\u00A0')) {
    title.remove_prefix(1);
  }
  for (const std::u16string_view word :
       {u"尾声", u"後記", u"后记", u"番外", u"完本感言", u"尾聲"}) {
    if (title.starts_with(word)) return true;
  }
  return false;
}

std::int64_t ChapterMap::HeadingOffset(std::size_t i) const {
  const std::int64_t offset = entries[i].offset();
  const auto at =
      std::lower_bound(volumes.begin(), volumes.end(), offset,
                       [](const Volume& volume, std::int64_t at) { return volume.offset < at; });
  return at != volumes.end() && at->offset == offset ? at->heading : offset;
}

static std::string Utf8Text(std::u16string_view utf16) {
  std::string utf8(utf16.size() * 3, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(utf8.data(), static_cast<int32_t>(utf8.size()), &length, utf16.data(),
                     static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr, &status);
  utf8.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
  return utf8;
}

bool WriteMapLines(const ChapterMap& map, const std::function<bool(std::string_view)>& write) {
  constexpr std::size_t kPart = std::size_t{1} << 20;
  std::string lines;
  lines.reserve(kPart + 512);
  std::string title;
  for (std::size_t i = 0; i < map.size(); ++i) {
    const ChapterEntry& entry = map.entries[i];
    const std::u16string utf16 = map.Title(i);
    title.resize(utf16.size() * 3);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(title.data(), static_cast<int32_t>(title.size()), &length, utf16.data(),
                       static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr, &status);
    title.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    lines += std::to_string(i + 1);
    lines += '\t';
    lines += std::to_string(entry.offset());
    lines += '\t';
    lines += std::to_string(map.Length(i));
    lines += '\t';
    if (const auto number = entry.number()) lines += std::to_string(*number);
    lines += '\t';
    lines += title;
    lines += '\t';
    lines += FlagNames(entry.flags());
    lines += '\t';
    if (!map.volumes.empty()) lines += Utf8Text(map.VolumeTitle(i));
    lines += '\n';
    if (lines.size() >= kPart) {
      if (!write(lines)) return false;
      lines.clear();
    }
  }
  return lines.empty() || write(lines);
}

std::string MapLines(const ChapterMap& map) {
  std::string lines;
  WriteMapLines(map, [&](std::string_view part) {
    lines += part;
    return true;
  });
  return lines;
}

std::optional<std::int64_t> ReadChapterNumber(std::u16string_view title) {
  bool ranOut = false;
  return ReadNumber(title, ranOut);
}

ChapterMap BuildChapterMap(const ByteText& text, std::vector<Heading> headings, Encoding encoding,
                           std::vector<Volume> volumes) {
  ChapterMap map;
  map.text = text;
  map.encoding = encoding;
  map.volumes = std::move(volumes);
  map.entries.reserve(headings.size());
  for (const Heading& heading : headings) {
    map.entries.emplace_back(heading.offset(), std::nullopt,
                             heading.startsLine() ? 0u : unsigned{kInline});
    const auto offset = static_cast<std::size_t>(map.HeadingOffset(map.entries.size() - 1));
    map.entries.back() = ChapterEntry(heading.offset(), NumberAt(text.view(), offset, encoding),
                                      map.entries.back().flags());
  }
  std::vector<Heading>().swap(headings);
  Flag(map);
  return map;
}

std::variant<ChapterMap, RuleError> MapOf(const ByteText& text, const ChapterRule& rule,
                                          Encoding encoding, Progress* progress) {
  if (rule.kind == RuleKind::kAuto) {
    FoundChapters found = FindChaptersAutomatically(text, encoding);
    return BuildChapterMap(text, std::move(found.headings), encoding, std::move(found.volumes));
  }
  HeadingsOrError found = FindHeadings(text, rule, encoding, progress);
  if (auto* error = std::get_if<RuleError>(&found)) return std::move(*error);
  auto& headings = std::get<std::vector<Heading>>(found);
  if (rule.kind == RuleKind::kNear) {
    // The written rule takes every heading-like line; a table of contents at the front is
    // none of the book's chapters.
    const ContentsBlock contents = FindContentsBlock(text, headings, encoding);
    const auto first = headings.begin() + static_cast<std::ptrdiff_t>(contents.first);
    headings.erase(first, first + static_cast<std::ptrdiff_t>(contents.count));
  }
  return BuildChapterMap(text, std::move(headings), encoding);
}

std::optional<std::size_t> AddHeading(ChapterMap& map, std::int64_t offset) {
  if (offset < 0 || offset >= map.textBytes()) return std::nullopt;
  std::vector<ChapterEntry>& entries = map.entries;
  const auto after = std::upper_bound(
      entries.begin(), entries.end(), offset,
      [](std::int64_t at, const ChapterEntry& entry) { return at < entry.offset(); });
  const auto i = static_cast<std::size_t>(after - entries.begin());
  // A heading that a volume line opens lies inside its chapter, yet is no place for another.
  if (i > 0 && (entries[i - 1].offset() == offset || map.HeadingOffset(i - 1) == offset)) {
    return std::nullopt;
  }
  const auto at = static_cast<std::size_t>(offset);
  entries.insert(after, ChapterEntry(offset, NumberAt(map.text.view(), at, map.encoding)));
  for (auto& [index, title] : map.titles) {
    if (index >= i) ++index;
  }
  Reflag(map);
  return i;
}

void RemoveHeading(ChapterMap& map, std::size_t i) {
  map.entries.erase(map.entries.begin() + static_cast<std::ptrdiff_t>(i));
  std::erase_if(map.titles, [i](const auto& given) { return given.first == i; });
  for (auto& [index, title] : map.titles) {
    if (index > i) --index;
  }
  Reflag(map);
}

void SetTitle(ChapterMap& map, std::size_t i, std::u16string title) {
  auto& titles = map.titles;
  const auto place = [&] {
    return std::lower_bound(
        titles.begin(), titles.end(), i,
        [](const auto& given, std::size_t index) { return given.first < index; });
  };
  if (const auto at = place(); at != titles.end() && at->first == i) titles.erase(at);
  if (title.empty() || title == map.Title(i)) return;
  titles.insert(place(), {static_cast<std::uint32_t>(i), std::move(title)});
}

ChapterMap KeptChapters(const ChapterMap& map, const std::vector<bool>& cut) {
  ChapterMap kept;
  kept.text = map.text;
  kept.encoding = map.encoding;
  auto title = map.titles.begin();
  auto volume = map.volumes.begin();
  for (std::size_t i = 0; i < map.size(); ++i) {
    const std::int64_t offset = map.entries[i].offset();
    while (volume != map.volumes.end() && volume->offset < offset) ++volume;
    while (title != map.titles.end() && title->first < i) ++title;
    if (i < cut.size() && !cut[i]) continue;
    if (volume != map.volumes.end() && volume->offset == offset) kept.volumes.push_back(*volume);
    if (title != map.titles.end() && title->first == i) {
      kept.titles.emplace_back(static_cast<std::uint32_t>(kept.size()), title->second);
    }
    kept.entries.push_back(map.entries[i]);
  }
  Reflag(kept);
  return kept;
}

IndexList ParseIndexList(std::string_view list, int count) {
  IndexList read;
  const auto number = [](std::string_view digits) -> std::optional<int> {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
  };
  const auto fail = [&](IndexList::Problem problem, std::string_view item) {
    read.indices.clear();
    read.problem = problem;
    read.item = std::string(item);
    return read;
  };
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    if (comma != std::string_view::npos && list.empty()) {
      return fail(IndexList::Problem::kMalformed, item);
    }
    const std::size_t dash = item.find('-');
    const auto first = number(item.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : number(item.substr(dash + 1));
    if (!first || !last || *first < 1 || *last < 1 || *first > count || *last > count) {
      return fail(IndexList::Problem::kMalformed, item);
    }
    if (*first > *last) {
      read.first = *first;
      read.last = *last;
      return fail(IndexList::Problem::kReversed, item);
    }
    for (int index = *first; index <= *last; ++index) read.indices.push_back(index);
  }
  std::sort(read.indices.begin(), read.indices.end());
  read.indices.erase(std::unique(read.indices.begin(), read.indices.end()), read.indices.end());
  return read;
}

Path TitleFileName(const Path& prefix, int number, int width, std::u16string_view title,
                   std::size_t nameLimit) {
  std::string digits = std::to_string(number);
  if (digits.size() < static_cast<std::size_t>(width)) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  }
  const Path head = WithSuffix(prefix, "-" + digits);
  std::u16string safe = NameSafe(title);
  for (;;) {
    const Path name = safe.empty()
                          ? WithSuffix(head, ".txt")
                          : WithSuffix(Joined(WithSuffix(head, " "), NameFromText(safe)), ".txt");
    if (safe.empty() || name.native().size() <= nameLimit) return name;
    // One character less, never half a surrogate pair, and no blank left at the end.
    safe.pop_back();
    if (!safe.empty() && U16_IS_LEAD(safe.back())) safe.pop_back();
    while (!safe.empty() && IsBlank(safe.back())) safe.pop_back();
  }
}

ChapterFiles::ChapterFiles(const ChapterPlan& plan, Path prefix, std::size_t nameLimit)
    : plan_(plan), prefix_(std::move(prefix)), nameLimit_(nameLimit) {
  const auto& entries = plan.map.entries;
  const auto& cut = plan.choice.cut;
  const int perFile = std::max(1, plan.choice.perFile);
  int inFile = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i < cut.size() && !cut[i]) continue;
    if (inFile == 0) firsts_.push_back(static_cast<std::uint32_t>(i));
    inFile = (inFile + 1) % perFile;
  }
  width_ = std::max(4, static_cast<int>(std::to_string(firsts_.size()).size()));
}

std::int64_t ChapterFiles::Begin(std::size_t k) const {
  return k == 0 ? 0 : plan_.map.entries[firsts_[k - 1]].offset();
}

std::int64_t ChapterFiles::End(std::size_t k) const {
  return k < firsts_.size() ? plan_.map.entries[firsts_[k]].offset() : plan_.map.textBytes();
}

Path ChapterFiles::Name(std::size_t k) const {
  const int number = static_cast<int>(k);
  if (plan_.choice.names == NameStyle::kNumber) return PieceFileName(prefix_, number);
  const std::u16string title =
      k == 0 ? std::u16string() : FileTitle(plan_.map, firsts_[k - 1], plan_.choice.names);
  return TitleFileName(prefix_, number, width_, title, nameLimit_);
}

std::u16string FileTitle(const ChapterMap& map, std::size_t i, NameStyle style) {
  std::u16string title = map.NameTitle(i);
  if (style == NameStyle::kVolume) {
    const std::u16string volume = map.VolumeTitle(i);
    if (!volume.empty()) title = volume + u" " + title;
  }
  return title;
}

}  // namespace morvane
