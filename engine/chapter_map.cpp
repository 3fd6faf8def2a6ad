#include "engine/chapter_map.h"

#include <algorithm>
#include <charconv>

#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include "core/gbk.h"
#include "core/numbers.h"
#include "engine/output_naming.h"

namespace morvane {
namespace {

constexpr std::size_t kTitleCharacters = 60;
// A title is read from at most this many bytes of its line.
constexpr std::size_t kTitleBytes = 1024;
constexpr std::int64_t kLargestNumber = std::int64_t{1} << 53;

int DigitOf(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'０' && c <= u'９') return c - u'０';
  return -1;
}

int ChineseDigitOf(char16_t c) {
  static constexpr std::u16string_view kDigits[] = {u"零〇", u"一壹", u"二两贰", u"三叁", u"四肆",
                                                    u"五伍", u"六陆", u"七柒",   u"八捌", u"九玖"};
  for (int value = 0; value < 10; ++value) {
    if (kDigits[value].find(c) != std::u16string_view::npos) return value;
  }
  return -1;
}

std::int64_t MultiplierOf(char16_t c) {
  switch (c) {
    case u'十':
    case u'拾':
      return 10;
    case u'百':
    case u'佰':
      return 100;
    case u'千':
    case u'仟':
      return 1000;
    case u'万':
      return 10000;
    case u'亿':
      return 100000000;
    default:
      return 0;
  }
}

// A run of Arabic or full-width digits at the start of text; the characters it took.
std::optional<std::int64_t> ArabicNumber(std::u16string_view text, std::size_t& taken) {
  std::int64_t value = 0;
  taken = 0;
  while (taken < text.size() && DigitOf(text[taken]) >= 0) {
    value = value * 10 + DigitOf(text[taken]);
    if (value > kLargestNumber) return std::nullopt;
    ++taken;
  }
  if (taken == 0) return std::nullopt;
  return value;
}

// A run of Chinese numerals: with multipliers (一千零二十四) or digit by digit (一〇二四).
std::optional<std::int64_t> ChineseNumber(std::u16string_view text, std::size_t& taken) {
  taken = 0;
  bool multipliers = false;
  while (taken < text.size() &&
         (ChineseDigitOf(text[taken]) >= 0 || MultiplierOf(text[taken]) > 0)) {
    multipliers = multipliers || MultiplierOf(text[taken]) > 0;
    ++taken;
  }
  if (taken == 0) return std::nullopt;
  const std::u16string_view run = text.substr(0, taken);
  if (!multipliers) {
    std::int64_t value = 0;
    for (char16_t c : run) {
      value = value * 10 + ChineseDigitOf(c);
      if (value > kLargestNumber) return std::nullopt;
    }
    return value;
  }
  std::int64_t total = 0;    // whole 万 and 亿 groups
  std::int64_t section = 0;  // below 万
  std::int64_t digit = -1;   // the digit not yet multiplied
  for (char16_t c : run) {
    const int value = ChineseDigitOf(c);
    if (value >= 0) {
      digit = value;
      continue;
    }
    const std::int64_t multiplier = MultiplierOf(c);
    if (multiplier < 10000) {
      section += (digit < 0 ? 1 : digit) * multiplier;  // 十二: a bare 十 is ten
    } else {
      section += std::max<std::int64_t>(digit, 0);
      if (section == 0) section = 1;
      if (total + section > kLargestNumber / multiplier) return std::nullopt;
      total = multiplier == 10000 ? total + section * multiplier : (total + section) * multiplier;
      section = 0;
    }
    digit = -1;
    if (total > kLargestNumber) return std::nullopt;
  }
  return total + section + std::max<std::int64_t>(digit, 0);
}

bool IsHeadingUnit(char16_t c) {
  return std::u16string_view(u"章节回卷集部篇").find(c) != std::u16string_view::npos;
}

// The characters of title that a file name may not hold (on any common file system)
// become "_".
std::u16string NameSafe(std::u16string_view title) {
  std::u16string safe(title);
  for (char16_t& c : safe) {
    if (c < 0x20 || c == 0x7F ||
        std::u16string_view(u"/\\:*?\"<>|").find(c) != std::u16string_view::npos) {
      c = u'_';
    }
  }
  return safe;
}

std::u16string Title(std::string_view text, std::size_t offset, Encoding encoding,
                     TextDecoder& decoder) {
  const std::size_t end =
      LineEndOf(text, offset, static_cast<int>(UnitBytes(encoding)), kTitleBytes);
  std::u16string line = decoder.Decode(text.substr(offset, end - offset));
  for (char16_t& c : line) {
    if (c < 0x20 || c == 0x7F) c = u' ';
  }
  std::size_t first = 0;
  while (first < line.size() && IsBlank(line[first])) ++first;
  std::size_t last = line.size();
  while (last > first && IsBlank(line[last - 1])) --last;
  // At most 60 characters, never half a surrogate pair.
  std::size_t cut = first;
  for (std::size_t characters = 0; cut < last && characters < kTitleCharacters; ++characters) {
    cut += U16_IS_LEAD(line[cut]) && cut + 1 < last && U16_IS_TRAIL(line[cut + 1]) ? 2 : 1;
  }
  return line.substr(first, cut - first);
}

std::int64_t Median(std::vector<std::int64_t> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

void Flag(std::vector<ChapterEntry>& entries) {
  std::optional<std::int64_t> previous;
  for (ChapterEntry& entry : entries) {
    if (!entry.number) continue;
    if (previous) {
      if (*entry.number == *previous) {
        entry.flags |= kRepeat;
      } else if (*entry.number < *previous) {
        entry.flags |= kRestart;
      } else if (*entry.number != *previous + 1) {
        entry.flags |= kGap;
      }
    }
    previous = entry.number;
  }
  // Lengths say little about two or three chapters.
  if (entries.size() < 4) return;
  std::vector<std::int64_t> lengths;
  lengths.reserve(entries.size());
  for (const ChapterEntry& entry : entries) lengths.push_back(entry.length);
  const std::int64_t median = Median(std::move(lengths));
  for (ChapterEntry& entry : entries) {
    if (entry.length > 5 * median) entry.flags |= kLong;
    if (entry.length * 20 < median) entry.flags |= kShort;
  }
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

std::string MapLines(const ChapterMap& map) {
  std::string lines;
  lines.reserve(map.entries.size() * 64);
  std::string title;
  for (std::size_t i = 0; i < map.entries.size(); ++i) {
    const ChapterEntry& entry = map.entries[i];
    title.resize(entry.title.size() * 3);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(title.data(), static_cast<int32_t>(title.size()), &length,
                       entry.title.data(), static_cast<int32_t>(entry.title.size()), 0xFFFD,
                       nullptr, &status);
    title.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    lines += std::to_string(i + 1);
    lines += '\t';
    lines += std::to_string(entry.offset);
    lines += '\t';
    lines += std::to_string(entry.length);
    lines += '\t';
    if (entry.number) lines += std::to_string(*entry.number);
    lines += '\t';
    lines += title;
    lines += '\t';
    lines += FlagNames(entry.flags);
    lines += '\n';
  }
  return lines;
}

std::optional<std::int64_t> ReadChapterNumber(std::u16string_view title) {
  while (!title.empty() && IsBlank(title.front())) title.remove_prefix(1);
  std::size_t at = 0;
  if (!title.empty() && title.front() == u'第') {
    at = 1;
    while (at < title.size() && IsBlank(title[at])) ++at;
    std::size_t taken = 0;
    auto number = ArabicNumber(title.substr(at), taken);
    if (!number) number = ChineseNumber(title.substr(at), taken);
    if (!number) return std::nullopt;
    at += taken;
    while (at < title.size() && IsBlank(title[at])) ++at;
    if (at == title.size() || !IsHeadingUnit(title[at])) return std::nullopt;
    return number;
  }
  constexpr std::u16string_view kWord = u"chapter";
  if (title.size() <= kWord.size()) return std::nullopt;
  for (; at < kWord.size(); ++at) {
    if (title[at] != kWord[at] && title[at] != kWord[at] - (u'a' - u'A')) return std::nullopt;
  }
  while (at < title.size() && IsBlank(title[at])) ++at;
  std::size_t taken = 0;
  return ArabicNumber(title.substr(at), taken);
}

ChapterMap BuildChapterMap(const ByteText& text, const std::vector<Heading>& headings,
                           Encoding encoding) {
  ChapterMap map;
  map.textBytes = static_cast<std::int64_t>(text.size());
  map.entries.reserve(headings.size());
  TextDecoder decoder(encoding);
  for (std::size_t i = 0; i < headings.size(); ++i) {
    const Heading& heading = headings[i];
    ChapterEntry entry;
    entry.offset = heading.offset;
    const std::int64_t next = i + 1 < headings.size() ? headings[i + 1].offset : map.textBytes;
    entry.length = next - heading.offset;
    entry.title = Title(text.view(), static_cast<std::size_t>(heading.offset), encoding, decoder);
    entry.number = ReadChapterNumber(entry.title);
    if (!heading.startsLine) entry.flags |= kInline;
    map.entries.push_back(std::move(entry));
  }
  Flag(map.entries);
  return map;
}

std::optional<std::vector<int>> ParseIndexList(std::string_view list, int count) {
  std::vector<int> indices;
  const auto number = [](std::string_view digits) -> std::optional<int> {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
  };
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    if (comma != std::string_view::npos && list.empty()) return std::nullopt;
    const std::size_t dash = item.find('-');
    const auto first = number(item.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : number(item.substr(dash + 1));
    if (!first || !last || *first < 1 || *last > count || *first > *last) return std::nullopt;
    for (int index = *first; index <= *last; ++index) indices.push_back(index);
  }
  std::sort(indices.begin(), indices.end());
  indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
  return indices;
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

std::vector<ChapterFile> PlanChapterFiles(const ChapterPlan& plan, const Path& prefix,
                                          std::size_t nameLimit) {
  const auto& entries = plan.map.entries;
  const auto& cut = plan.choice.cut;
  const int perFile = std::max(1, plan.choice.perFile);
  // The chapters that begin a file.
  std::vector<std::size_t> firsts;
  int inFile = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i < cut.size() && !cut[i]) continue;
    if (inFile == 0) firsts.push_back(i);
    inFile = (inFile + 1) % perFile;
  }
  const int last = static_cast<int>(firsts.size());
  const int width = std::max(4, static_cast<int>(std::to_string(last).size()));
  std::vector<ChapterFile> files;
  files.reserve(firsts.size() + 1);
  const auto nameOf = [&](int number, std::u16string_view title) {
    return plan.choice.names == NameStyle::kTitle
               ? TitleFileName(prefix, number, width, title, nameLimit)
               : PieceFileName(prefix, number);
  };
  const std::int64_t end = plan.map.textBytes;
  files.push_back({0, firsts.empty() ? end : entries[firsts.front()].offset, nameOf(0, {})});
  for (std::size_t k = 0; k < firsts.size(); ++k) {
    const ChapterEntry& first = entries[firsts[k]];
    const std::int64_t next = k + 1 < firsts.size() ? entries[firsts[k + 1]].offset : end;
    files.push_back({first.offset, next, nameOf(static_cast<int>(k + 1), first.title)});
  }
  return files;
}

}  // namespace morvane
