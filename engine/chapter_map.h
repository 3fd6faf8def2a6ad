#pragma once
// The chapter map: every heading a rule found, with what a reader needs to judge it
// (its chapter number, its title, its size, and flags that point at likely mistakes),
// and the files a cut writes from it once the user has corrected it (headings left out,
// several chapters per file, names with the title).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_text.h"
#include "core/path.h"
#include "engine/chapter_rules.h"

namespace morvane {

// Flags of a map entry.
enum ChapterFlag : unsigned {
  kGap = 1u << 0,      // the number is not the previous number + 1
  kRepeat = 1u << 1,   // the same number as the previous one
  kRestart = 1u << 2,  // a lower number than the previous one (a new volume, often)
  kLong = 1u << 3,     // over 5 times the median chapter: headings missed inside?
  kShort = 1u << 4,    // under 1/20 of the median: a heading in body text?
  kInline = 1u << 5,   // the heading does not start its line
};
// "gap,long"; empty for none.
std::string FlagNames(unsigned flags);

struct ChapterEntry {
  std::int64_t offset = 0;  // 0-based byte offset where the chapter begins
  std::int64_t length = 0;  // its bytes, up to the next heading or the end of the text
  std::optional<std::int64_t> number;
  std::u16string title;  // the heading's line from the heading on, trimmed, <= 60 characters
  unsigned flags = 0;
};

struct ChapterMap {
  std::vector<ChapterEntry> entries;
  std::int64_t textBytes = 0;
};

// The map of text for the headings a rule found.
ChapterMap BuildChapterMap(const ByteText& text, const std::vector<Heading>& headings,
                           Encoding encoding = Encoding::kGbk);

// The map as tab-separated UTF-8 lines "index offset length number title flags", index
// from 1, an empty number where there is none, flags as FlagNames gives them.
std::string MapLines(const ChapterMap& map);

// The chapter number a heading's title gives: 第 + a number + a unit (Arabic, full-width
// and Chinese numerals, 第一千零二十四章 and 第一〇二四章 alike 1024), or "Chapter N";
// nothing for any other title.
std::optional<std::int64_t> ReadChapterNumber(std::u16string_view title);

// "3,5-7" as the ascending, distinct numbers 3 5 6 7; nothing for a malformed list or
// a number outside 1..count.
std::optional<std::vector<int>> ParseIndexList(std::string_view list, int count);

enum class NameStyle {
  kNumber,  // prefix-0.txt, prefix-1.txt, ...
  kTitle,   // prefix-0000.txt, prefix-0001 第一章 标题.txt, ...
};

// What the user made of a map: which headings are cut at, how many chapters go into a
// file, and how the files are named.
struct ChapterChoice {
  std::vector<bool> cut;  // per entry; an entry beyond the list is cut at
  int perFile = 1;
  NameStyle names = NameStyle::kNumber;
};

// A map together with the user's choice: what the chapter cut writes.
struct ChapterPlan {
  ChapterMap map;
  ChapterChoice choice;
  ChapterRule rule;  // the rule that made the map
};

// One file of a chapter cut: bytes [begin, end) of the text, and its name.
struct ChapterFile {
  std::int64_t begin = 0;
  std::int64_t end = 0;
  Path name;
};

// The files of a plan: file 0 holds the text before the first heading cut at (the whole
// text when none is), each further file perFile chapters from one heading cut at; a
// heading not cut at stays inside the chapter before it. Names by number are those of
// today's chapter cut; names with the title are prefix-NNNN TITLE.txt, numbers padded
// to at least four digits so that the names sort, the title of the file's first chapter
// with the characters a file name cannot hold replaced, the name cut to nameLimit bytes
// as the file system spells it.
std::vector<ChapterFile> PlanChapterFiles(const ChapterPlan& plan, const Path& prefix,
                                          std::size_t nameLimit);

// prefix-NNNN TITLE.txt as above, for file number of a cut whose numbers have width
// digits.
Path TitleFileName(const Path& prefix, int number, int width, std::u16string_view title,
                   std::size_t nameLimit);

}  // namespace morvane
