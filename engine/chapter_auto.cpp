// SPDX-License-Identifier: MIT
#include "engine/chapter_auto.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <thread>

#include <unicode/ustring.h>

#include "core/side_by_side.h"
#include "engine/chapter_map.h"
#include "engine/chinese_numerals.h"

namespace morvane {
namespace {

// The kinds of heading lines. The first eight are 第 + a number + that unit.
constexpr std::u16string_view kUnits = u"章节回卷集部篇话";
constexpr int kUnitKinds = 8;
constexpr int kNumbered = 8;  // "1、标题", "001 标题"
constexpr int kEnglish = 9;   // "Chapter 12"
constexpr int kNamed = 10;    // 序章, 楔子, 尾声, 完本感言, …
constexpr int kKinds = 11;

bool IsVolumeKind(int kind) {
  return kind == 3 || kind == 5 || kind == 6;  // 卷 部 篇
}
constexpr int kChapterUnit = 0;
constexpr int kSectionUnit = 1;
constexpr int kTalkUnit = 7;

constexpr std::size_t kLineLimit = 4096;
constexpr std::size_t kHeadingCharacters = 40;
constexpr std::int64_t kUnknown = -2;  // the line before lies in the part before
constexpr std::int64_t kNone = -1;

struct Candidate {
  std::int64_t offset;    // where its line begins
  std::int64_t previous;  // where the non-blank line before it begins
  std::int64_t number;    // kNone when it has none
  std::uint32_t hash;     // of the line, trimmed
  int kind;
};

std::uint32_t HashOf(std::u16string_view line) {
  std::uint32_t hash = 2166136261u;
  for (char16_t c : line) hash = (hash ^ c) * 16777619u;
  return hash;
}

// A heading in brackets (【第一章 标题】) is read as the heading inside them.
std::u16string_view Unbracketed(std::u16string_view line) {
  static constexpr std::u16string_view kOpen = u"【[〔「";
  static constexpr std::u16string_view kClose = u"】]〕」";
  if (line.size() < 3) return line;
  const std::size_t open = kOpen.find(line.front());
  if (open == std::u16string_view::npos || line.back() != kClose[open]) return line;
  return TrimmedBlanks(line.substr(1, line.size() - 2));
}

// Words that 话 opens in body text (第一话题 is no heading).
bool TalkGuarded(char16_t next) {
  return std::u16string_view(u"题语说音筒费剧柄头锋里术").find(next) != std::u16string_view::npos;
}

struct Kind {
  int kind = -1;
  std::int64_t number = kNone;
};

// "1、标题", "001 标题", "12": a number of at most five digits alone or with a separator or
// a blank before a title that is no sentence.
Kind NumberedKind(std::u16string_view line) {
  std::size_t at = 0;
  std::int64_t number = 0;
  while (at < line.size() && IsDigit(line[at])) {
    number = number * 10 + (line[at] >= u'０' ? line[at] - u'０' : line[at] - u'0');
    ++at;
  }
  if (at == 0 || at > 5) return {};
  if (at == line.size()) return {kNumbered, number};
  if (std::u16string_view(u"、.．:： \t\u3000").find(line[at]) == std::u16string_view::npos)
    return {};
  // "1.5倍" and "3.14" are numbers, not headings.
  if ((line[at] == u'.' || line[at] == u'．') && at + 1 < line.size() && IsDigit(line[at + 1])) {
    return {};
  }
  const std::u16string_view title = TrimmedBlanks(line.substr(at + 1));
  if (title.empty() ||
      std::u16string_view(u"。，！？；").find(title.back()) != std::u16string_view::npos) {
    return {};
  }
  return {kNumbered, number};
}

// The kind of a trimmed line, or none.
Kind KindOf(std::u16string_view line) {
  if (line.empty() || static_cast<std::size_t>(u_countChar32(
                          line.data(), static_cast<int32_t>(line.size()))) > kHeadingCharacters) {
    return {};
  }
  line = Unbracketed(line);
  if (line.empty()) return {};
  if (line.front() == u'第') {
    std::size_t at = 1;
    while (at < line.size() && (IsBlank(line[at]) || IsNumeral(line[at]))) ++at;
    if (at == line.size()) return {};
    const std::size_t unit = kUnits.find(line[at]);
    if (unit == std::u16string_view::npos) return {};
    // 话 is read as the lines rule reads 章, with guards of its own.
    std::u16string read(line);
    if (static_cast<int>(unit) == kTalkUnit) {
      if (at + 1 < line.size() && TalkGuarded(line[at + 1])) return {};
      read[at] = u'章';
    }
    if (!IsHeadingLine(read)) return {};
    const auto number = ReadChapterNumber(read);
    return {static_cast<int>(unit), number ? *number : kNone};
  }
  if (IsDigit(line.front())) return NumberedKind(line);
  if (line.front() == u'C' || line.front() == u'c') {
    if (!IsHeadingLine(line)) return {};
    const auto number = ReadChapterNumber(line);
    return {kEnglish, number ? *number : kNone};
  }
  if (line.starts_with(u"完本感言") || IsHeadingLine(line)) return {kNamed, kNone};
  return {};
}

// No book has a heading line in every few hundred bytes: a text that has (made of "第1章"
// lines, say) is cut by the lines rule instead, and its candidates never hold more memory
// than an eighth of the text.
constexpr std::size_t kBytesPerCandidate = 256;

struct Part {
  std::vector<Candidate> candidates;
  std::int64_t lastLine = kNone;  // the last non-blank line of the part
  bool tooMany = false;
};

Part CandidatesIn(std::string_view bytes, std::size_t from, std::size_t to, Encoding encoding) {
  TextDecoder decoder(encoding);
  const int unitBytes = static_cast<int>(UnitBytes(encoding));
  const CharacterSequences blanks(decoder, u" \t\u3000\r");
  const CharacterSequences openers(decoder, kHeadingOpeners);
  Part part;
  const std::size_t most = std::max<std::size_t>(1024, (to - from) / kBytesPerCandidate);
  std::int64_t previous = kUnknown;
  std::size_t line = from;
  while (line < to) {
    const std::size_t end = LineEndOf(bytes, line, unitBytes, to - line);
    std::size_t first = line;
    while (const std::size_t blank = blanks.At(bytes, first, end)) first += blank;
    if (first < end) {
      if (end - line <= kLineLimit && openers.At(bytes, first, end) != 0) {
        const std::u16string decoded = decoder.Decode(bytes.substr(line, end - line));
        const std::u16string_view trimmed = TrimmedBlanks(decoded);
        const Kind kind = KindOf(trimmed);
        if (kind.kind >= 0 && part.candidates.size() == most) {
          part.tooMany = true;
          return part;
        }
        if (kind.kind >= 0) {
          part.candidates.push_back(
              {static_cast<std::int64_t>(line), previous, kind.number, HashOf(trimmed), kind.kind});
        }
      }
      previous = static_cast<std::int64_t>(line);
    }
    line = end + static_cast<std::size_t>(unitBytes);
  }
  part.lastLine = previous;
  return part;
}

// The candidates of the whole text, or nothing when there are too many; parts of a large
// text are read side by side, each ending at a line break.
std::optional<std::vector<Candidate>> Candidates(std::string_view bytes, Encoding encoding) {
  constexpr std::size_t kSmall = std::size_t{8} << 20;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t unit = UnitBytes(encoding);
  std::vector<std::size_t> bounds = {0};
  if (bytes.size() >= kSmall && cores >= 2) {
    const std::size_t parts = std::min<std::size_t>(cores, 4);
    for (std::size_t k = 1; k < parts; ++k) {
      std::size_t at = std::max(bounds.back(), bytes.size() / parts * k);
      at -= at % unit;
      at = LineEndOf(bytes, at, static_cast<int>(unit), bytes.size());
      bounds.push_back(std::min(bytes.size(), at + unit));
    }
  }
  bounds.push_back(bytes.size());
  const std::size_t parts = bounds.size() - 1;
  std::vector<Part> found(parts);
  RunSideBySide(parts, [&](std::size_t k) {
    found[k] = CandidatesIn(bytes, bounds[k], bounds[k + 1], encoding);
  });
  for (const Part& part : found) {
    if (part.tooMany) return std::nullopt;
  }
  std::vector<Candidate> all;
  std::int64_t lastLine = kNone;
  for (Part& part : found) {
    for (Candidate& c : part.candidates) {
      if (c.previous == kUnknown) c.previous = lastLine;
      all.push_back(c);
    }
    if (part.lastLine != kUnknown) lastLine = part.lastLine;
    std::vector<Candidate>().swap(part.candidates);
  }
  return all;
}

// Whether b repeats a: on the next non-blank line, the same line or the same number.
bool Repeats(const Candidate& a, const Candidate& b) {
  return b.previous == a.offset &&
         RepeatsHeading({a.kind, a.number, a.hash}, {b.kind, b.number, b.hash});
}

std::vector<Candidate> WithoutRepeats(std::vector<Candidate> list) {
  std::vector<Candidate> kept;
  for (const Candidate& c : list) {
    if (!kept.empty() && Repeats(kept.back(), c)) continue;
    kept.push_back(c);
  }
  return kept;
}

// A table of contents at the front of a book: a block of heading lines with nothing but
// blank lines between them, which lists the chapters the text then opens. It is cut at
// nowhere and stays in the front matter. The block ends before the heading that repeats its
// first line (the book's first chapter, after the list), or else before its last line, which
// heads text. Only a block before the first numbered heading that heads text counts: a
// preface or a 楔子 may come first, but empty chapters after the first are the book's own.
std::vector<Candidate> WithoutContents(std::vector<Candidate> all) {
  constexpr std::size_t kLeastEntries = 3;
  bool texted = false;  // a numbered heading has headed text
  for (std::size_t i = 0; i < all.size() && !texted;) {
    std::size_t end = i;
    while (end + 1 < all.size() && all[end + 1].previous == all[end].offset) ++end;
    std::size_t entries = end - i;  // all but the last, which heads text
    for (std::size_t k = i + 1; k <= end; ++k) {
      const HeadingLine first{all[i].kind, all[i].number, all[i].hash};
      if (RepeatsHeading(first, {all[k].kind, all[k].number, all[k].hash}) && k - i > 1) {
        entries = k - i;
        break;
      }
    }
    if (entries >= kLeastEntries) {
      all.erase(all.begin() + static_cast<std::ptrdiff_t>(i),
                all.begin() + static_cast<std::ptrdiff_t>(i + entries));
      return all;
    }
    texted = all[end].kind != kNamed;
    i = end + 1;
  }
  return all;
}

bool Follows(std::int64_t previous, std::int64_t number) {
  return number == previous + 1 || (number == 1 && previous > 1);
}

// Plain numbers vouch for nothing but their order: one that follows neither the number
// before it nor leads to the number after it is body text ("100 块钱").
std::vector<Candidate> InSequence(const std::vector<Candidate>& list) {
  std::vector<Candidate> kept;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const bool after = !kept.empty() && Follows(kept.back().number, list[i].number);
    const bool before = i + 1 < list.size() && Follows(list[i].number, list[i + 1].number);
    if (after || before || (kept.empty() && list[i].number <= 1)) kept.push_back(list[i]);
  }
  return kept;
}

double Score(const std::vector<Candidate>& list, std::int64_t textBytes) {
  const std::size_t n = list.size();
  if (n == 0) return 0;
  std::size_t following = 0;
  for (std::size_t i = 1; i < n; ++i) {
    if (list[i].number != kNone && Follows(list[i - 1].number, list[i].number)) ++following;
  }
  const double sequence = n > 1 ? static_cast<double>(following) / static_cast<double>(n - 1) : 0;
  std::vector<std::int64_t> sizes;
  sizes.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    sizes.push_back((i + 1 < n ? list[i + 1].offset : textBytes) - list[i].offset);
  }
  std::vector<std::int64_t> sorted = sizes;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(n / 2),
                   sorted.end());
  const std::int64_t median = sorted[n / 2];
  const auto ordinary = std::count_if(sizes.begin(), sizes.end(), [&](std::int64_t size) {
    return size * 20 >= median && size <= 5 * median;
  });
  const double even = static_cast<double>(ordinary) / static_cast<double>(n);
  return static_cast<double>(n) * (0.1 + sequence) * (0.5 + 0.5 * even);
}

// How often the numbers of list start again at 1.
std::size_t Restarts(const std::vector<Candidate>& list) {
  std::size_t restarts = 0;
  for (std::size_t i = 1; i < list.size(); ++i) {
    if (list[i].number == 1 && list[i - 1].number > 1) ++restarts;
  }
  return restarts;
}

}  // namespace

HeadingLine ReadHeadingLine(std::u16string_view line) {
  const std::u16string_view trimmed = TrimmedBlanks(line);
  const Kind kind = KindOf(trimmed);
  if (kind.kind < 0) return {};
  return {kind.kind, kind.number, HashOf(trimmed)};
}

bool RepeatsHeading(const HeadingLine& heading, const HeadingLine& next) {
  if (!heading.isHeading() || !next.isHeading()) return false;
  return next.hash == heading.hash ||
         (next.number != kNone && next.number == heading.number && next.kind == heading.kind);
}

FoundChapters FindChaptersAutomatically(const ByteText& text, Encoding encoding) {
  FoundChapters found;
  std::optional<std::vector<Candidate>> all = Candidates(text.view(), encoding);
  if (!all) {
    found.headings =
        std::get<std::vector<Heading>>(FindHeadings(text, {RuleKind::kLines, {}}, encoding));
    return found;
  }
  *all = WithoutContents(std::move(*all));
  std::array<std::vector<Candidate>, kKinds> byKind;
  for (const Candidate& c : *all) byKind[static_cast<std::size_t>(c.kind)].push_back(c);
  all.reset();
  for (auto& list : byKind) list = WithoutRepeats(std::move(list));
  byKind[kNumbered] = InSequence(byKind[kNumbered]);

  int best = -1;
  double bestScore = 0;
  std::array<double, kKinds> scores{};
  for (int kind = 0; kind < kNamed; ++kind) {
    scores[static_cast<std::size_t>(kind)] =
        Score(byKind[static_cast<std::size_t>(kind)], text.size());
    if (scores[static_cast<std::size_t>(kind)] > bestScore) {
      bestScore = scores[static_cast<std::size_t>(kind)];
      best = kind;
    }
  }
  if (best == kSectionUnit && Restarts(byKind[kSectionUnit]) >= 2 &&
      byKind[kChapterUnit].size() >= 3) {
    best = kChapterUnit;
  }

  if (best < 0 || byKind[static_cast<std::size_t>(best)].size() < 3) {
    auto near = FindHeadings(text, ChapterRule{}, encoding);
    found.headings = std::move(std::get<std::vector<Heading>>(near));
    return found;
  }

  std::vector<Candidate> chapters = std::move(byKind[static_cast<std::size_t>(best)]);
  const std::vector<Candidate>& named = byKind[kNamed];
  std::vector<Candidate> merged;
  merged.reserve(chapters.size() + named.size());
  std::merge(chapters.begin(), chapters.end(), named.begin(), named.end(),
             std::back_inserter(merged),
             [](const Candidate& a, const Candidate& b) { return a.offset < b.offset; });
  chapters = WithoutRepeats(std::move(merged));

  std::vector<Candidate> volumes;
  if (best < kUnitKinds && !IsVolumeKind(best)) {
    for (int kind = 0; kind < kUnitKinds; ++kind) {
      if (!IsVolumeKind(kind)) continue;
      const auto& list = byKind[static_cast<std::size_t>(kind)];
      volumes.insert(volumes.end(), list.begin(), list.end());
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Candidate& a, const Candidate& b) { return a.offset < b.offset; });
  }

  // Chapters and volumes in the order of the text: a volume line opens the chapter whose
  // heading is the next non-blank line, else it stands as a chapter of its own.
  found.headings.reserve(chapters.size() + volumes.size());
  std::size_t v = 0;
  for (std::size_t i = 0; i <= chapters.size(); ++i) {
    const std::int64_t offset = i < chapters.size() ? chapters[i].offset : text.size();
    for (; v < volumes.size() && volumes[v].offset < offset; ++v) {
      const bool opens = i < chapters.size() && chapters[i].previous == volumes[v].offset;
      if (opens) continue;
      found.headings.emplace_back(volumes[v].offset, true);
      found.volumes.push_back({volumes[v].offset, volumes[v].offset});
    }
    if (i == chapters.size()) break;
    if (v > 0 && chapters[i].previous == volumes[v - 1].offset &&
        (found.volumes.empty() || found.volumes.back().offset != volumes[v - 1].offset)) {
      found.headings.emplace_back(volumes[v - 1].offset, true);
      found.volumes.push_back({volumes[v - 1].offset, chapters[i].offset});
    } else {
      found.headings.emplace_back(chapters[i].offset, true);
    }
  }
  return found;
}

}  // namespace morvane
