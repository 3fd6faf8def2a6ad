// SPDX-License-Identifier: MIT
#pragma once
// The chapter map: every heading a rule found, with what a reader needs to judge it
// (its chapter number, its title, its size, and flags that point at likely mistakes),
// and the files a cut writes from it once the user has corrected it (headings left out,
// several chapters per file, names with the title).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/path.h"
#include "engine/chapter_auto.h"
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

// One heading of a map in 16 bytes, as a text can hold tens of millions: where its
// chapter begins, the chapter number read from it and its flags. Its length and its title
// are the map's to give (ChapterMap::Length, ChapterMap::Title).
class ChapterEntry {
 public:
  ChapterEntry(std::int64_t offset = 0, std::optional<std::int64_t> number = std::nullopt,
               unsigned flags = 0)
      : offset_(offset), number_(number ? *number : kNoNumber), flags_(flags) {}

  // The 0-based byte offset where the chapter begins.
  std::int64_t offset() const { return offset_; }
  std::optional<std::int64_t> number() const {
    if (number_ == kNoNumber) return std::nullopt;
    return number_;
  }
  unsigned flags() const { return static_cast<unsigned>(flags_); }
  void AddFlags(unsigned flags) { flags_ = flags_ | static_cast<std::int64_t>(flags); }

 private:
  static constexpr std::int64_t kNoNumber = -1;
  std::int64_t offset_;
  // Chapter numbers stop at 2^53 (ReadChapterNumber); the flags take six bits.
  std::int64_t number_ : 56;
  std::int64_t flags_ : 8;
};
static_assert(sizeof(ChapterEntry) == 16);

// The map of a text: its entries ascending, and the text they were found in, from which
// the titles are read when they are shown.
struct ChapterMap {
  std::vector<ChapterEntry> entries;
  ByteText text;
  Encoding encoding = Encoding::kGbk;
  // The volume lines, ascending (few: one per tens of chapters). A chapter that a volume
  // line opens begins at that line, and its title and number are read from its heading.
  std::vector<Volume> volumes;
  // Titles the user gave, by entry, ascending; the others are read from the text.
  std::vector<std::pair<std::uint32_t, std::u16string>> titles;

  std::size_t size() const { return entries.size(); }
  std::int64_t textBytes() const { return static_cast<std::int64_t>(text.size()); }
  // The bytes of chapter i, up to the next heading or the end of the text.
  std::int64_t Length(std::size_t i) const;
  // The title of chapter i: the heading's line from the heading on, control characters
  // as spaces, trimmed, at most 60 characters.
  std::u16string Title(std::size_t i) const;
  // The same with its control characters kept, for TitleFileName to replace.
  std::u16string NameTitle(std::size_t i) const;
  // The title of the volume chapter i lies in (its line, as Title reads it), or nothing
  // (also for back matter after a volume: IsBackMatter).
  std::u16string VolumeTitle(std::size_t i) const;
  // Where the heading of chapter i begins: past the volume line that opens it, if one does.
  std::int64_t HeadingOffset(std::size_t i) const;
};

// What follows the story (尾声, 后记, 番外, 完本感言): a title that opens with one of these
// words, blanks before it aside. It is the book's, not the last volume's: it has no volume
// (ChapterMap::VolumeTitle), and a book's contents list it at their top level.
bool IsBackMatter(std::u16string_view title);

// The map of text for the headings a rule found (which it takes, to free them once the
// entries are made), and the volumes that open some of them.
ChapterMap BuildChapterMap(const ByteText& text, std::vector<Heading> headings,
                           Encoding encoding = Encoding::kGbk, std::vector<Volume> volumes = {});

// The map of text under rule (the automatic rule's volumes included), or why there is none;
// progress as for FindHeadings.
std::variant<ChapterMap, RuleError> MapOf(const ByteText& text, const ChapterRule& rule,
                                          Encoding encoding, Progress* progress = nullptr);

// The user's corrections of a map. Numbers and flags follow each as a search would have
// given them.
// A chapter beginning at offset, a line start inside another chapter (the caller's to
// know); its index, or nothing where a chapter or its heading already begins or the
// offset lies outside the text.
std::optional<std::size_t> AddHeading(ChapterMap& map, std::int64_t offset);
void RemoveHeading(ChapterMap& map, std::size_t i);
// The title chapter i shows and names its file with; the text's own, or an empty one,
// makes it the text's again.
void SetTitle(ChapterMap& map, std::size_t i, std::u16string title);

// The map of the chapters cut at (an entry beyond cut is): what a map file of that choice
// holds. A volume goes with the chapter its line opens.
ChapterMap KeptChapters(const ChapterMap& map, const std::vector<bool>& cut);

// The map as tab-separated UTF-8 lines "index offset length number title flags volume",
// index from 1, an empty number where there is none, flags as FlagNames gives them, the
// volume's title or nothing; handed to
// write a part at a time (a map of millions of headings is never held as text), stopping
// when write returns false. False then.
bool WriteMapLines(const ChapterMap& map, const std::function<bool(std::string_view)>& write);
// The same lines in one string.
std::string MapLines(const ChapterMap& map);

// The chapter number a heading's title gives: 第 + a number + a unit (Arabic, full-width
// and Chinese numerals, 第一千零二十四章 and 第一〇二四章 alike 1024), "Chapter N", or a
// number before a separator or a blank ("12、标题", "012 标题"), also in brackets
// (【第一章 标题】); nothing for any other title.
std::optional<std::int64_t> ReadChapterNumber(std::u16string_view title);

// A list of heading numbers read: "3,5-7" as the ascending, distinct numbers 3 5 6 7, or
// what is wrong with it.
struct IndexList {
  enum class Problem {
    kNone,
    kMalformed,  // not numbers and ranges separated by commas, or a number outside 1..count
    kReversed,   // a range from high to low, "7-5" (the numbers are in 1..count)
  };
  std::vector<int> indices;
  Problem problem = Problem::kNone;
  int first = 0;  // the reversed range
  int last = 0;
  std::string item;
};
IndexList ParseIndexList(std::string_view list, int count);

enum class NameStyle {
  kNumber,  // prefix-0.txt, prefix-1.txt, ...
  kTitle,   // prefix-0000.txt, prefix-0001 第一章 标题.txt, ...
  kVolume,  // the same with the volume before the title: prefix-0001 第一卷 第一章 标题.txt
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

// The files of a plan: file 0 holds the text before the first heading cut at (the whole
// text when none is), each further file perFile chapters from one heading cut at; a
// heading not cut at stays inside the chapter before it. Names by number are those of
// today's chapter cut; names with the title are prefix-NNNN TITLE.txt, numbers padded
// to at least four digits so that the names sort, the title of the file's first chapter
// with the characters a file name cannot hold replaced (TitleFileName), the name cut to
// nameLimit bytes as the file system spells it. Only where each file begins is kept; the plan must
// outlive it.
class ChapterFiles {
 public:
  ChapterFiles(const ChapterPlan& plan, Path prefix, std::size_t nameLimit);

  std::size_t size() const { return firsts_.size() + 1; }
  // Bytes [Begin, End) of the text are file k's.
  std::int64_t Begin(std::size_t k) const;
  std::int64_t End(std::size_t k) const;
  Path Name(std::size_t k) const;

 private:
  const ChapterPlan& plan_;
  Path prefix_;
  std::size_t nameLimit_;
  int width_;
  std::vector<std::uint32_t> firsts_;  // the entry that begins each file after file 0
};

// The title of the file entry i begins, as names of style take it: its chapter's title, the
// volume's before it for kVolume (where there is one).
std::u16string FileTitle(const ChapterMap& map, std::size_t i, NameStyle style);

// prefix-NNNN TITLE.txt as above, for file number of a cut whose numbers have width
// digits: / \ : * ? " < > |, control characters and the bidirectional controls
// (U+202A-U+202E, U+2066-U+2069) become "_".
Path TitleFileName(const Path& prefix, int number, int width, std::u16string_view title,
                   std::size_t nameLimit);

}  // namespace morvane
